#pragma once

#include <memory>

#include "helpers/HelperProcess.h"
#include "media/MediaWorkerPool.h"
#include "platform/FileReader.h"

namespace vistarel {

// The program's reader of a run's files: a pool of media workers beside the
// window reads them ahead, in list order, and each file's answer is taken as
// a value when the run comes to it.
class MediaWorkers final : public IFileReader {
 public:
  explicit MediaWorkers(HelperCommand command, MediaWorkerPool::Limits limits = {});
  ~MediaWorkers() override;

  std::unique_ptr<IFileReading> Read(const QStringList& files) override;

  // At most this many workers read a run's files.
  void SetMostWorkers(int most) { mostWorkers_ = most; }
  // The pool of the reading under way, if any.
  MediaWorkerPool* Pool() const { return current_; }

 private:
  class Reading;

  HelperCommand command_;
  MediaWorkerPool::Limits limits_;
  int mostWorkers_ = 16;
  MediaWorkerPool* current_ = nullptr;
};

}  // namespace vistarel
