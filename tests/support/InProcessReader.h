#pragma once

#include "platform/FileReader.h"
#include "worker/MediaLibrary.h"

namespace vistarel::test {

// The media workers' parse of a run's files made in the test's own process,
// on a library the test gives: each file's answer is what a worker would send.
class InProcessReader final : public IFileReader {
 public:
  explicit InProcessReader(IMediaLibrary& library) : library_(library) {}

  std::unique_ptr<IFileReading> Read(const QStringList& files) override;

 private:
  IMediaLibrary& library_;
};

}  // namespace vistarel::test
