#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <chrono>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "base/Failure.h"
#include "helpers/HelperProcess.h"
#include "helpers/StallMemory.h"
#include "media/MediaAnswers.h"
#include "media/WorkerMessages.h"

namespace vistarel {

// All a worker learnt of one of the run's files: its facts (gathered before
// the parse), its media values, and the media values of its same-named
// siblings. Whatever the worker could not say carries the failure why.
struct ParsedFile {
  worker_message::RunFacts facts;
  MediaAnswers media;
  QList<worker_message::SiblingValues> siblings;
};

// Media workers reading a run's files ahead of it, in list order, each file in
// one worker. A worker that dies on a file, or makes no progress on it for the
// stall limit (it says nothing and reads no byte, whether a call of it never
// returns or the library loops), costs that file alone: its answers say what
// happened, the worker is killed and let go, and the files queued behind it go
// to the next one. A place that stalled once is not asked again. Nothing here
// waits: the workers' pipes are read in the events of the thread that owns the
// pool, or in its polls; its owner takes the answers in order.
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
    int queuedPerWorker = 16;
    std::chrono::milliseconds stallLimit{30'000};
    std::chrono::milliseconds stallCheck{1'000};
  };

  // One per core, at least one, never more than the files.
  static int DefaultWorkerCount(int files);
  // Four per core, at most 16, never more than the files.
  static int MostWorkerCount(int files);

  MediaWorkerPool(HelperCommand command, QStringList files, Limits limits);
  // Kills every worker and lets it go: nothing waits for one.
  ~MediaWorkerPool() override;
  MediaWorkerPool(const MediaWorkerPool&) = delete;
  MediaWorkerPool& operator=(const MediaWorkerPool&) = delete;

  // What the workers learnt of the list's file `index` (from 0), once all is
  // in; each is taken once, in list order.
  std::optional<ParsedFile> TakeListFile(int index);
  // Reads the workers' pipes for at most `milliseconds`, handles what they
  // said, and gives up the workers that stalled.
  void Poll(int milliseconds);

  // How many of the list's files have been handed to workers so far.
  int ListFilesStarted() const { return nextListFile_; }
  // The process ids of the workers at work (not those let go).
  QList<qint64> WorkerIds() const;
  // How many workers may read at once just now.
  int WorkerLimit() const { return limits_.workers; }

 private:
  struct Worker;
  struct Partial {
    std::optional<worker_message::RunFacts> facts;
    std::optional<MediaAnswers> media;
  };

  void Dispatch();
  bool HasWork() const;
  std::optional<int> NextJob();
  Worker* StartWorker();
  void ReadFrom(Worker& worker);
  // False when it said something that is no answer to what it was asked.
  bool Take(Worker& worker, const worker_message::Answer& answer);
  // `stalled`: given up for want of progress; `waitedForDisk`: it was waiting,
  // not computing, then.
  void Ended(Worker& worker, const QString& how, bool stalled, bool waitedForDisk = false);
  void CheckProgress();
  void Complete(int job, ParsedFile parsed);
  void CompleteWithFailure(int job, const Failure& failure);
  void Break(const Failure& failure);
  bool IsLive(const Worker* worker) const;
  const QString& PathOf(int job) const { return files_.at(job); }

  HelperCommand command_;
  QStringList files_;
  Limits limits_;

  std::vector<std::unique_ptr<Worker>> workers_;
  std::deque<int> retry_;  // jobs of a worker that ended, to go first
  int nextListFile_ = 0;
  int nextToTake_ = 0;
  std::map<int, Partial> partial_;
  std::map<int, ParsedFile> done_;
  // Workers that cannot start or say hello: every job fails with this.
  std::optional<Failure> broken_;
  int deathsBeforeHello_ = 0;
  StallMemory stalls_;
  QTimer progressCheck_;
  QElapsedTimer sinceProgressCheck_;
};

}  // namespace vistarel
