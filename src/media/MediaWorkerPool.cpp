#include "media/MediaWorkerPool.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QThread>

#include <algorithm>
#include <cstring>
#include <set>

#include "system/Processes.h"

namespace vistarel {

using namespace Qt::StringLiterals;

namespace {

// Worker starts that fail before a worker says hello, in a row, after which
// the workers are taken for unusable.
constexpr int kDeathsBeforeHelloLimit = 3;

QString HowItEnded(int exitCode, QProcess::ExitStatus status) {
  if (status == QProcess::CrashExit) {
    const char* name = strsignal(exitCode);
    return u"stopped (signal %1, %2)"_s.arg(exitCode).arg(QString::fromLocal8Bit(name));
  }
  return u"stopped (exit status %1)"_s.arg(exitCode);
}

QString Seconds(std::chrono::milliseconds duration) {
  return QString::number(double(duration.count()) / 1000.0);
}

}  // namespace

struct MediaWorkerPool::Worker {
  QProcess* process = nullptr;
  std::deque<int> queue;  // jobs sent, in order; the first is being read
  media_message::Reader reader;
  bool greeted = false;
  bool stalled = false;
  std::optional<quint64> bytesRead;
  QElapsedTimer sinceProgress;

  void MarkProgress() {
    bytesRead =
        process->state() == QProcess::Running ? BytesRead(process->processId()) : std::nullopt;
    sinceProgress.start();
  }
};

int MediaWorkerPool::DefaultWorkerCount(int files) {
  return std::clamp(std::min(QThread::idealThreadCount(), files), 1, 16);
}

MediaWorkerPool::MediaWorkerPool(MediaWorkerCommand command, QStringList files, Limits limits)
    : command_(std::move(command)), files_(std::move(files)), limits_(limits) {
  limits_.workers = std::max(1, limits_.workers);
  limits_.lookAhead = std::max(1, limits_.lookAhead);
  limits_.queuedPerWorker = std::max(1, limits_.queuedPerWorker);
  progressCheck_.setInterval(int(limits_.stallCheck.count()));
  connect(&progressCheck_, &QTimer::timeout, this, &MediaWorkerPool::CheckProgress);
  progressCheck_.start();
  Dispatch();
}

MediaWorkerPool::~MediaWorkerPool() {
  for (const auto& worker : workers_) {
    worker->process->disconnect(this);
    worker->process->kill();
    worker->process->waitForFinished(5000);
  }
}

std::optional<MediaAnswers> MediaWorkerPool::TakeListFile(int index) {
  const auto found = answers_.find(index);
  if (found == answers_.end())
    return std::nullopt;
  MediaAnswers answers = std::move(found->second);
  answers_.erase(found);
  nextToTake_ = std::max(nextToTake_, index + 1);
  Dispatch();
  return answers;
}

int MediaWorkerPool::Submit(const QString& path) {
  submitted_.append(path);
  const int ticket = int(submitted_.size()) - 1;
  submittedQueue_.push_back(int(files_.size()) + ticket);
  Dispatch();
  return ticket;
}

std::optional<MediaAnswers> MediaWorkerPool::TakeSubmitted(int ticket) {
  const auto found = answers_.find(int(files_.size()) + ticket);
  if (found == answers_.end())
    return std::nullopt;
  MediaAnswers answers = std::move(found->second);
  answers_.erase(found);
  return answers;
}

bool MediaWorkerPool::WaitForListFile(int index, int milliseconds) {
  return WaitFor(index, milliseconds);
}

bool MediaWorkerPool::WaitForSubmitted(int ticket, int milliseconds) {
  return WaitFor(int(files_.size()) + ticket, milliseconds);
}

bool MediaWorkerPool::WaitFor(int job, int milliseconds) {
  for (const auto& worker : workers_) {
    if (std::find(worker->queue.begin(), worker->queue.end(), job) != worker->queue.end()) {
      // Its answers, or its end, come as signals from inside the wait.
      return worker->process->waitForReadyRead(milliseconds);
    }
  }
  return false;
}

QList<qint64> MediaWorkerPool::WorkerIds() const {
  QList<qint64> ids;
  for (const auto& worker : workers_) ids.append(worker->process->processId());
  return ids;
}

const QString& MediaWorkerPool::PathOf(int job) const {
  return job < files_.size() ? files_.at(job) : submitted_.at(job - files_.size());
}

bool MediaWorkerPool::HasWork() const {
  return !submittedQueue_.empty() || !retry_.empty() ||
         (nextListFile_ < files_.size() && nextListFile_ < nextToTake_ + limits_.lookAhead);
}

std::optional<int> MediaWorkerPool::NextJob() {
  // A submitted file first: the window waits for it now. Then the files of a
  // worker that ended, then the list, as far as the look-ahead goes.
  if (!submittedQueue_.empty()) {
    const int job = submittedQueue_.front();
    submittedQueue_.pop_front();
    return job;
  }
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
      while (const std::optional<int> job = NextJob()) {
        MediaAnswers answers;
        answers.noHandle = broken_;
        Answer(*job, std::move(answers));
      }
      return;
    }
    Worker* target = nullptr;
    for (const auto& worker : workers_) {
      if (int(worker->queue.size()) < limits_.queuedPerWorker &&
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
    if (target->queue.empty())
      target->MarkProgress();
    target->queue.push_back(*job);
    target->process->write(media_message::Request(quint64(*job), PathOf(*job)));
    // Sent now, not at the next pass of the event loop: the worker may be idle.
    target->process->waitForBytesWritten(0);
  }
}

MediaWorkerPool::Worker* MediaWorkerPool::StartWorker() {
  auto owned = std::make_unique<Worker>();
  Worker& worker = *owned;
  workers_.push_back(std::move(owned));
  worker.process = new QProcess(this);
  QProcess& process = *worker.process;
  // What a worker or the library says on its error output reaches ours.
  process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  connect(&process, &QProcess::readyReadStandardOutput, this,
          [this, &worker] { ReadFrom(worker); });
  connect(&process, &QProcess::finished, this,
          [this, &worker](int exitCode, QProcess::ExitStatus status) {
            Ended(worker, worker.stalled ? u"made no progress for %1 seconds and was stopped"_s.arg(
                                               Seconds(limits_.stallLimit))
                                         : HowItEnded(exitCode, status));
          });
  connect(&process, &QProcess::errorOccurred, this, [this, &process](QProcess::ProcessError error) {
    if (error == QProcess::FailedToStart) {
      Break(Failure(u"The media reader %1 cannot be started: %2"_s.arg(command_.program,
                                                                       process.errorString()),
                    failure_number::kFileNotFound));
    }
  });
  process.start(command_.program, command_.arguments);
  return broken_ ? nullptr : &worker;
}

void MediaWorkerPool::ReadFrom(Worker& worker) {
  if (TakeAnswers(worker))
    Dispatch();
}

bool MediaWorkerPool::TakeAnswers(Worker& worker) {
  worker.reader.Append(worker.process->readAllStandardOutput());
  while (const std::optional<QByteArray> body = worker.reader.Next()) {
    if (!worker.greeted) {
      const std::optional<quint32> version = media_message::ParseHello(*body);
      if (version != media_message::kVersion) {
        Break(Failure(u"The media reader %1 does not belong to this version of the program"_s.arg(
            command_.program)));
        return false;
      }
      worker.greeted = true;
      deathsBeforeHello_ = 0;
      continue;
    }
    std::optional<media_message::ParsedAnswer> answer = media_message::ParseAnswer(*body);
    if (!answer || worker.queue.empty() || answer->id != quint64(worker.queue.front())) {
      worker.process->kill();  // not an answer to what it was asked: it ends as a crash
      return false;
    }
    const int job = worker.queue.front();
    worker.queue.pop_front();
    worker.MarkProgress();
    Answer(job, std::move(answer->answers));
  }
  return true;
}

void MediaWorkerPool::Ended(Worker& ended, const QString& how) {
  const auto found = std::find_if(workers_.begin(), workers_.end(),
                                  [&](const auto& owned) { return owned.get() == &ended; });
  if (found == workers_.end())
    return;
  const std::unique_ptr<Worker> worker = std::move(*found);
  workers_.erase(found);
  worker->process->disconnect(this);
  worker->process->deleteLater();
  // What it answered before it ended still counts.
  TakeAnswers(*worker);

  std::deque<int>& queue = worker->queue;
  if (!broken_ && !queue.empty() && (worker->greeted || worker->stalled)) {
    const int culprit = queue.front();
    queue.pop_front();
    MediaAnswers answers;
    answers.stopped = Failure(
        u"The MediaInfo library %1 while reading %2; its media values "
        u"are left empty."_s.arg(how, PathOf(culprit)));
    Answer(culprit, std::move(answers));
  }
  // The rest goes to the next worker; a worker that ended before it could read
  // anything blames none of its files.
  retry_.insert(retry_.end(), queue.begin(), queue.end());
  if (!worker->greeted && !worker->stalled && ++deathsBeforeHello_ >= kDeathsBeforeHelloLimit) {
    Break(Failure(
        u"The media reader %1 %2 before it could read any file"_s.arg(command_.program, how)));
  }
  Dispatch();
}

void MediaWorkerPool::CheckProgress() {
  for (const auto& worker : workers_) {
    if (worker->queue.empty() || worker->stalled)
      continue;
    const std::optional<quint64> now = BytesRead(worker->process->processId());
    // Where the system does not tell, nothing is taken for a stall.
    if (!now || now != worker->bytesRead) {
      worker->bytesRead = now;
      worker->sinceProgress.start();
      continue;
    }
    if (worker->sinceProgress.elapsed() >= limits_.stallLimit.count()) {
      worker->stalled = true;
      worker->process->kill();
    }
  }
}

void MediaWorkerPool::Answer(int job, MediaAnswers answers) {
  answers_.insert_or_assign(job, std::move(answers));
}

void MediaWorkerPool::Break(const Failure& failure) {
  if (broken_)
    return;
  broken_ = failure;
  std::vector<std::unique_ptr<Worker>> workers = std::move(workers_);
  workers_.clear();
  for (const auto& worker : workers) {
    worker->process->disconnect(this);
    worker->process->kill();
    worker->process->waitForFinished(5000);
    worker->process->deleteLater();
    retry_.insert(retry_.end(), worker->queue.begin(), worker->queue.end());
  }
  Dispatch();
}

}  // namespace vistarel
