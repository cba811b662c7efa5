#include "media/MediaWorkers.h"

#include <algorithm>

#include "helpers/Await.h"

namespace vistarel {

class MediaWorkers::Reading final : public IFileReading {
 public:
  Reading(MediaWorkers& owner, const QStringList& files, MediaWorkerPool::Limits limits)
      : owner_(owner), pool_(owner.command_, files, limits) {
    owner_.current_ = &pool_;
  }
  ~Reading() override {
    if (owner_.current_ == &pool_)
      owner_.current_ = nullptr;
  }

  FileAnswer Next(IEventPump& pump) override {
    const int file = next_++;
    return AwaitThrough(
        pump, [&] { return pool_.TakeListFile(file); },
        [&](int milliseconds) { pool_.Poll(milliseconds); });
  }

 private:
  MediaWorkers& owner_;
  MediaWorkerPool pool_;
  int next_ = 0;
};

MediaWorkers::MediaWorkers(HelperCommand command, MediaWorkerPool::Limits limits)
    : command_(std::move(command)), limits_(limits) {}

MediaWorkers::~MediaWorkers() = default;

std::unique_ptr<IFileReading> MediaWorkers::Read(const QStringList& files) {
  MediaWorkerPool::Limits limits = limits_;
  const int fileCount = int(files.size());
  limits.workers = std::min(MediaWorkerPool::DefaultWorkerCount(fileCount), mostWorkers_);
  limits.mostWorkers = std::min(MediaWorkerPool::MostWorkerCount(fileCount), mostWorkers_);
  return std::make_unique<Reading>(*this, files, limits);
}

}  // namespace vistarel
