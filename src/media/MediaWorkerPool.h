#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <chrono>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "base/Failure.h"
#include "helpers/HelperClient.h"
#include "protocol/FileAnswer.h"

namespace vistarel {

// Media workers reading a run's files ahead of it, in list order, each file in
// one worker, each worker through its own helper client. A worker that dies on
// a file, or makes no progress on it for the stall limit, costs that file
// alone, and of the file only what it was at: its look-up, its parse, its
// folder or a sibling. What stalled is not asked again during the run. Nothing
// here waits: the workers' pipes are read in the events of the thread that
// owns the pool, or in its polls; its owner takes the answers in order.
class MediaWorkerPool final : public QObject {
  Q_OBJECT

 public:
  struct Limits {
    int workers = 1;
    // As many as this where the files are on a share, or the workers wait
    // rather than compute.
    int mostWorkers = 1;
    // List files handed to workers ahead of the one the run takes next.
    int lookAhead = 64;
    // Requests queued in one worker, so that it never waits for the program.
    int queuedPerWorker = 4;
    std::chrono::milliseconds stallLimit{30'000};
    std::chrono::milliseconds stallCheck{1'000};
  };

  // One per core, at least one, never more than the files.
  static int DefaultWorkerCount(int files);
  // Where the workers mostly wait (a share, a slow disk): 16, never more than
  // the files. Workers that wait need no processor of their own.
  static int MostWorkerCount(int files);

  MediaWorkerPool(HelperCommand command, QStringList files, Limits limits);
  // Lets every worker go: nothing waits for one.
  ~MediaWorkerPool() override;
  MediaWorkerPool(const MediaWorkerPool&) = delete;
  MediaWorkerPool& operator=(const MediaWorkerPool&) = delete;

  // What the workers learnt of the list's file `index` (from 0), once all is
  // in; each is taken once, in list order.
  std::optional<FileAnswer> TakeListFile(int index);
  // Reads the workers' pipes for at most `milliseconds`, handles what they
  // said, and gives up a worker that stalled.
  void Poll(int milliseconds);

  // How many of the list's files have been handed to workers so far.
  int ListFilesStarted() const { return nextListFile_; }
  // The process ids of the workers at work (not those let go).
  QList<qint64> WorkerIds() const;
  // How many workers may read at once just now.
  int WorkerLimit() const { return limits_.workers; }

 private:
  struct Worker;
  // The parts of a file's answer in so far.
  struct Partial {
    std::optional<FileFacts> file;
    std::optional<MediaAnswers> media;
    std::optional<FolderFacts> folder;
    QList<SiblingValues> siblings;
    // Its folder stalled: not asked again, or not answered.
    std::optional<Failure> folderStalled;
  };

  void Dispatch();
  // What of a file is asked, in the light of what stalled so far.
  void Revise(helper_message::Request& request);
  bool HasWork() const;
  std::optional<int> NextJob();
  Worker* StartWorker();
  HelperClient::Fit Take(const helper_message::Request& front, helper_message::Answer&& answer);
  // Completes the file with the parts in so far.
  HelperClient::Fit Finish(int job);
  Failure Lose(Worker& worker, int job, HelperLoss& loss);
  void GrowIfWaiting();
  void Complete(int job, FileAnswer answer);
  void CompleteWithFailure(int job, const Failure& failure, bool noHandle);
  const QString& PathOf(int job) const { return files_.at(job); }

  HelperCommand command_;
  QStringList files_;
  Limits limits_;

  HelperGroup group_;
  std::vector<std::unique_ptr<Worker>> workers_;
  int nextListFile_ = 0;
  int nextToTake_ = 0;
  std::map<int, Partial> partial_;
  std::map<int, FileAnswer> done_;
  QElapsedTimer sinceGrowthCheck_;
};

}  // namespace vistarel
