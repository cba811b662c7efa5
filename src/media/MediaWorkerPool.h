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
#include "media/MediaAnswers.h"

namespace vistarel {

// How a media worker is started: the helper program beside the executable and
// its arguments.
struct MediaWorkerCommand {
  QString program;
  QStringList arguments;
};

// Media workers reading a run's files ahead of it, in list order, each file in
// one worker. A worker that dies on a file, or makes no progress on it for the
// stall limit (reads no byte, whether its read is blocked or the library loops),
// costs that file alone: its answers say what happened, the worker is replaced
// and the files queued behind it go to the next one. A parse that keeps
// reading is never cut short. Everything happens in the events of the thread
// that owns the pool (or in its waits); its owner takes the answers in order.
class MediaWorkerPool final : public QObject {
  Q_OBJECT

 public:
  struct Limits {
    int workers = 1;
    // List files handed to workers ahead of the one the run takes next.
    int lookAhead = 64;
    // Requests queued in one worker, so that it never waits for the program.
    int queuedPerWorker = 16;
    std::chrono::milliseconds stallLimit{30'000};
    std::chrono::milliseconds stallCheck{1'000};
  };

  // One per core, at least one, at most 16, never more than the files.
  static int DefaultWorkerCount(int files);

  MediaWorkerPool(MediaWorkerCommand command, QStringList files, Limits limits);
  // Kills every worker and waits for it: nothing is left running.
  ~MediaWorkerPool() override;
  MediaWorkerPool(const MediaWorkerPool&) = delete;
  MediaWorkerPool& operator=(const MediaWorkerPool&) = delete;

  // The answers of the list's file `index` (from 0) once they are in; each is
  // taken once, in list order.
  std::optional<MediaAnswers> TakeListFile(int index);
  // Reads a file outside the list, before the list's next files; returns its
  // ticket for TakeSubmitted.
  int Submit(const QString& path);
  std::optional<MediaAnswers> TakeSubmitted(int ticket);

  // Waits up to `milliseconds` for the answers of a list file or a submitted
  // one, reading only the pipe of the worker it went to, so that a wait of the
  // window's thread repaints no more often than its yields do. False when the
  // file is with no worker just now or the time ran out: then wait in the event
  // loop instead.
  bool WaitForListFile(int index, int milliseconds);
  bool WaitForSubmitted(int ticket, int milliseconds);

  // How many of the list's files have been handed to workers so far.
  int ListFilesStarted() const { return nextListFile_; }
  // The process ids of the running workers.
  QList<qint64> WorkerIds() const;

 private:
  struct Worker;

  void Dispatch();
  bool HasWork() const;
  std::optional<int> NextJob();
  // The new worker; none when workers cannot be started.
  Worker* StartWorker();
  void ReadFrom(Worker& worker);
  // Takes the whole answers it has sent; false when it said something else.
  bool TakeAnswers(Worker& worker);
  void Ended(Worker& worker, const QString& how);
  void CheckProgress();
  void Answer(int job, MediaAnswers answers);
  void Break(const Failure& failure);
  bool WaitFor(int job, int milliseconds);
  const QString& PathOf(int job) const;

  MediaWorkerCommand command_;
  QStringList files_;
  QStringList submitted_;  // job files.size() + i
  Limits limits_;

  std::vector<std::unique_ptr<Worker>> workers_;
  std::deque<int> retry_;           // jobs of a worker that ended, to go first
  std::deque<int> submittedQueue_;  // submitted jobs not yet handed out
  int nextListFile_ = 0;
  int nextToTake_ = 0;
  std::map<int, MediaAnswers> answers_;
  // Workers that cannot start or say hello: every job fails with this.
  std::optional<Failure> broken_;
  int deathsBeforeHello_ = 0;
  QTimer progressCheck_;
};

}  // namespace vistarel
