#include "media/MediaWorkerPool.h"

#include <QThread>

#include <algorithm>

#include <poll.h>

#include "system/Processes.h"

namespace vistarel {

using namespace Qt::StringLiterals;
using namespace worker_message;

namespace {

// Worker starts that fail before a worker says hello, in a row, after which
// the workers are taken for unusable.
constexpr int kDeathsBeforeHelloLimit = 3;
// Busy workers that used less of a processor than this were waiting, not
// computing: one more may read beside them.
constexpr double kWaitingShare = 0.5;

}  // namespace

struct MediaWorkerPool::Worker {
  std::unique_ptr<HelperProcess> process;
  std::deque<int> queue;  // jobs sent, in order; the first is being read
  bool greeted = false;
  std::optional<double> processorSeconds;  // at the last progress check
};

int MediaWorkerPool::DefaultWorkerCount(int files) {
  return std::clamp(std::min(QThread::idealThreadCount(), files), 1, 16);
}

int MediaWorkerPool::MostWorkerCount(int files) {
  return std::clamp(std::min(4 * QThread::idealThreadCount(), files), 1, 16);
}

MediaWorkerPool::MediaWorkerPool(HelperCommand command, QStringList files, Limits limits)
    : command_(std::move(command)), files_(std::move(files)), limits_(limits) {
  limits_.workers = std::max(1, limits_.workers);
  limits_.mostWorkers = std::max(limits_.workers, limits_.mostWorkers);
  limits_.lookAhead = std::max(1, limits_.lookAhead);
  limits_.queuedPerWorker = std::max(1, limits_.queuedPerWorker);
  progressCheck_.setInterval(int(limits_.stallCheck.count()));
  connect(&progressCheck_, &QTimer::timeout, this, &MediaWorkerPool::CheckProgress);
  progressCheck_.start();
  sinceProgressCheck_.start();
  Dispatch();
}

// Each worker's process is killed and let go as it goes.
MediaWorkerPool::~MediaWorkerPool() = default;

std::optional<ParsedFile> MediaWorkerPool::TakeListFile(int index) {
  const auto found = done_.find(index);
  if (found == done_.end())
    return std::nullopt;
  ParsedFile parsed = std::move(found->second);
  done_.erase(found);
  nextToTake_ = std::max(nextToTake_, index + 1);
  Dispatch();
  return parsed;
}

void MediaWorkerPool::Poll(int milliseconds) {
  std::vector<pollfd> fds;
  std::vector<Worker*> polled;
  for (const auto& worker : workers_) {
    polled.push_back(worker.get());
    if (!worker->process->IsListening())
      continue;  // its end is collected below
    fds.push_back({worker->process->OutputFd(), POLLIN, 0});
    if (worker->process->HasUnsent())
      fds.push_back({worker->process->InputFd(), POLLOUT, 0});
  }
  if (!fds.empty())
    poll(fds.data(), nfds_t(fds.size()), std::max(0, milliseconds));
  for (Worker* worker : polled) {
    if (!IsLive(worker))
      continue;
    worker->process->Flush();
    ReadFrom(*worker);
  }
  if (sinceProgressCheck_.elapsed() >= limits_.stallCheck.count())
    CheckProgress();
}

QList<qint64> MediaWorkerPool::WorkerIds() const {
  QList<qint64> ids;
  for (const auto& worker : workers_) ids.append(worker->process->pid());
  return ids;
}

bool MediaWorkerPool::IsLive(const Worker* worker) const {
  return std::any_of(workers_.begin(), workers_.end(),
                     [&](const auto& owned) { return owned.get() == worker; });
}

bool MediaWorkerPool::HasWork() const {
  return !retry_.empty() ||
         (nextListFile_ < files_.size() && nextListFile_ < nextToTake_ + limits_.lookAhead);
}

std::optional<int> MediaWorkerPool::NextJob() {
  // The files of a worker that ended first, then the list, as far as the
  // look-ahead goes.
  if (!retry_.empty()) {
    const auto first = std::min_element(retry_.begin(), retry_.end());
    const int job = *first;
    retry_.erase(first);
    return job;
  }
  if (nextListFile_ < files_.size() && nextListFile_ < nextToTake_ + limits_.lookAhead)
    return nextListFile_++;
  return std::nullopt;
}

void MediaWorkerPool::Dispatch() {
  for (;;) {
    if (broken_) {
      while (const std::optional<int> job = NextJob()) CompleteWithFailure(*job, *broken_);
      return;
    }
    Worker* target = nullptr;
    for (const auto& worker : workers_) {
      if (worker->process->IsListening() && int(worker->queue.size()) < limits_.queuedPerWorker &&
          (target == nullptr || worker->queue.size() < target->queue.size())) {
        target = worker.get();
      }
    }
    // Every worker starts as soon as there is work, so that all read at once.
    if ((target == nullptr || !target->queue.empty()) && int(workers_.size()) < limits_.workers) {
      if (!HasWork())
        return;
      target = StartWorker();
      if (target == nullptr)
        continue;
    }
    if (target == nullptr)
      return;
    const std::optional<int> job = NextJob();
    if (!job)
      return;
    // A place that stalled before is not asked again.
    if (const std::optional<Failure> known = stalls_.Known(PathOf(*job), StallMemory::Request::LookUp)) {
      CompleteWithFailure(*job, *known);
      continue;
    }
    target->queue.push_back(*job);
    target->process->SetBusy(true);
    target->process->Send(Encode(Request{Kind::Parse, quint64(*job), PathOf(*job), {}, 0, {}}));
  }
}

MediaWorkerPool::Worker* MediaWorkerPool::StartWorker() {
  QString why;
  std::unique_ptr<HelperProcess> process = HelperProcess::Start(command_, &why);
  if (process == nullptr) {
    Break(Failure(u"The media reader %1 cannot be started: %2"_s.arg(command_.program, why),
                  failure_number::kFileNotFound));
    return nullptr;
  }
  auto owned = std::make_unique<Worker>();
  Worker* worker = owned.get();
  worker->process = std::move(process);
  connect(worker->process.get(), &HelperProcess::Readable, this, [this, worker] {
    if (IsLive(worker))
      ReadFrom(*worker);
  });
  workers_.push_back(std::move(owned));
  return worker;
}

void MediaWorkerPool::ReadFrom(Worker& worker) {
  for (const QByteArray& body : worker.process->Receive()) {
    const std::optional<Answer> answer = DecodeAnswer(body);
    if (!answer || !Take(worker, *answer)) {
      // Not an answer to what it was asked: it is ended as a crash would be.
      worker.process->GiveUp();
      Ended(worker, u"stopped (it answered what it was not asked)"_s, false);
      return;
    }
    if (broken_)
      return;
  }
  if (worker.process->HasEnded())
    Ended(worker, worker.process->HowItEnded(), false);
  else
    Dispatch();
}

bool MediaWorkerPool::Take(Worker& worker, const Answer& answer) {
  if (answer.kind == Kind::Progress)
    return true;
  if (!worker.greeted) {
    const auto* version = std::get_if<quint32>(&answer.payload);
    if (answer.kind != Kind::Hello || version == nullptr || *version != kVersion) {
      Break(Failure(u"The media reader %1 does not belong to this version of the program"_s.arg(
          command_.program)));
      return true;
    }
    worker.greeted = true;
    deathsBeforeHello_ = 0;
    return true;
  }
  if (worker.queue.empty() || answer.id != quint64(worker.queue.front()))
    return false;
  const int job = worker.queue.front();
  Partial& partial = partial_[job];
  if (const auto* facts = std::get_if<RunFacts>(&answer.payload);
      facts != nullptr && answer.kind == Kind::Facts && !partial.facts) {
    partial.facts = *facts;
    // On a share the workers mostly wait: more of them read at once.
    if (facts->file.remote && limits_.workers < limits_.mostWorkers) {
      limits_.workers = limits_.mostWorkers;
    }
    return true;
  }
  if (const auto* media = std::get_if<MediaAnswers>(&answer.payload);
      media != nullptr && answer.kind == Kind::Media && partial.facts && !partial.media) {
    partial.media = *media;
    return true;
  }
  const auto* siblings = std::get_if<QList<SiblingValues>>(&answer.payload);
  if (siblings == nullptr || answer.kind != Kind::Siblings || !partial.media)
    return false;
  worker.queue.pop_front();
  worker.process->SetBusy(!worker.queue.empty());
  Complete(job, ParsedFile{std::move(*partial.facts), std::move(*partial.media), *siblings});
  partial_.erase(job);
  return true;
}

void MediaWorkerPool::Ended(Worker& ended, const QString& how, bool stalled, bool waitedForDisk) {
  const auto found = std::find_if(workers_.begin(), workers_.end(),
                                  [&](const auto& owned) { return owned.get() == &ended; });
  if (found == workers_.end())
    return;
  const std::unique_ptr<Worker> worker = std::move(*found);
  workers_.erase(found);
  worker->process->disconnect(this);

  std::deque<int>& queue = worker->queue;
  if (!broken_ && !queue.empty() && (worker->greeted || stalled)) {
    const int culprit = queue.front();
    queue.pop_front();
    const QString& path = PathOf(culprit);
    Partial partial = std::move(partial_[culprit]);
    partial_.erase(culprit);
    if (!partial.facts) {
      // It ended while it looked at the file, before any parse.
      const Failure failure =
          stalled ? StallFailure(u"Looking up"_s, path, limits_.stallLimit)
                  : Failure(u"The media reader %1 while looking up %2."_s.arg(how, path));
      if (stalled)
        stalls_.Note(path, StallMemory::Request::LookUp, failure, waitedForDisk);
      CompleteWithFailure(culprit, failure);
    } else {
      ParsedFile parsed{std::move(*partial.facts), {}, {}};
      if (partial.media) {
        parsed.media = std::move(*partial.media);  // it ended on a sibling: no values of its
      } else {
        const QString stop = stalled ? u"made no progress for %1 seconds and was stopped"_s.arg(
                                           SecondsText(limits_.stallLimit))
                                     : how;
        parsed.media.stopped = Failure(
            u"The MediaInfo library %1 while reading %2; its media values are left empty."_s.arg(
                stop, path));
        if (stalled)
          stalls_.Note(path, StallMemory::Request::LookUp, *parsed.media.stopped, waitedForDisk);
      }
      Complete(culprit, std::move(parsed));
    }
  }
  // The rest goes to the next worker; a worker that ended before it could read
  // anything blames none of its files.
  for (const int job : queue) partial_.erase(job);
  retry_.insert(retry_.end(), queue.begin(), queue.end());
  if (!worker->greeted && !stalled && ++deathsBeforeHello_ >= kDeathsBeforeHelloLimit) {
    Break(Failure(
        u"The media reader %1 %2 before it could read any file"_s.arg(command_.program, how)));
  }
  Dispatch();
}

void MediaWorkerPool::CheckProgress() {
  const double interval = double(sinceProgressCheck_.restart()) / 1000.0;
  std::vector<Worker*> snapshot;
  for (const auto& worker : workers_) snapshot.push_back(worker.get());
  double used = 0;
  int busy = 0;
  bool computing = false;  // a busy worker is on a processor, or waits for one
  for (Worker* worker : snapshot) {
    if (!IsLive(worker))
      continue;
    HelperProcess& process = *worker->process;
    if (process.HasStalled(limits_.stallLimit)) {
      const bool waitedForDisk = !process.IsComputing();
      process.GiveUp();
      Ended(*worker, {}, true, waitedForDisk);
      continue;
    }
    const std::optional<double> now = ProcessorSeconds(process.pid());
    if (process.IsBusy() && now && worker->processorSeconds) {
      used += *now - *worker->processorSeconds;
      ++busy;
      computing = computing || process.IsComputing();
    }
    worker->processorSeconds = now;
  }
  // Workers that mostly wait (a slow disk) leave room for more beside them.
  // Measured against the processors there are, not the workers, and only
  // when none of them is running or waiting to run: workers that share too few
  // processors also get little each, and more would only crowd them further.
  const int processors = std::max(1, QThread::idealThreadCount());
  if (busy > 0 && !computing && interval > 0 &&
      used / (std::min(busy, processors) * interval) < kWaitingShare &&
      busy >= limits_.workers && limits_.workers < limits_.mostWorkers && HasWork()) {
    ++limits_.workers;
    Dispatch();
  }
}

void MediaWorkerPool::Complete(int job, ParsedFile parsed) {
  done_.insert_or_assign(job, std::move(parsed));
}

void MediaWorkerPool::CompleteWithFailure(int job, const Failure& failure) {
  ParsedFile parsed;
  parsed.facts.file.failure = failure;
  parsed.facts.folder.failure = failure;
  // A pool whose workers cannot start fails every call on the file, as a
  // library that cannot be loaded does; a file that was never parsed fails
  // its open.
  if (broken_)
    parsed.media.noHandle = failure;
  else
    parsed.media.stopped = failure;
  Complete(job, std::move(parsed));
}

void MediaWorkerPool::Break(const Failure& failure) {
  if (broken_)
    return;
  broken_ = failure;
  std::vector<std::unique_ptr<Worker>> workers = std::move(workers_);
  workers_.clear();
  for (const auto& worker : workers) {
    worker->process->disconnect(this);
    retry_.insert(retry_.end(), worker->queue.begin(), worker->queue.end());
    for (const int job : worker->queue) partial_.erase(job);
  }
  Dispatch();
}

}  // namespace vistarel
