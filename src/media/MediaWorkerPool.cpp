#include "media/MediaWorkerPool.h"

#include <QThread>

#include <algorithm>

#include "base/PathHelpers.h"
#include "system/Processes.h"

namespace vistarel {

using namespace Qt::StringLiterals;
using namespace helper_message;

namespace {

// Busy workers that used less of a processor than this were waiting, not
// computing: one more may read beside them.
constexpr double kWaitingShare = 0.5;

// The folder the run opens in the shell for a file, as the worker lists it.
QString ShellFolderOf(const QString& path) {
  return WithoutTrailingSeparators(TrimBlanks(FolderOf(path)));
}

}  // namespace

struct MediaWorkerPool::Worker {
  std::unique_ptr<HelperClient> client;
  std::optional<double> processorSeconds;  // at the last growth check
};

int MediaWorkerPool::DefaultWorkerCount(int files) {
  return std::clamp(std::min(QThread::idealThreadCount(), files), 1, 16);
}

int MediaWorkerPool::MostWorkerCount(int files) {
  return std::clamp(files, 1, 16);
}

MediaWorkerPool::MediaWorkerPool(HelperCommand command, QStringList files, Limits limits)
    : command_(std::move(command)),
      files_(std::move(files)),
      limits_(limits),
      group_(limits.stallLimit, limits.stallCheck) {
  limits_.workers = std::max(1, limits_.workers);
  limits_.mostWorkers = std::max(limits_.workers, limits_.mostWorkers);
  limits_.lookAhead = std::max(1, limits_.lookAhead);
  limits_.queuedPerWorker = std::max(1, limits_.queuedPerWorker);
  connect(&group_, &HelperGroup::Checked, this, &MediaWorkerPool::GrowIfWaiting);
  sinceGrowthCheck_.start();
  Dispatch();
}

// Each worker's helper is let go as its client goes.
MediaWorkerPool::~MediaWorkerPool() = default;

std::optional<FileAnswer> MediaWorkerPool::TakeListFile(int index) {
  const auto found = done_.find(index);
  if (found == done_.end())
    return std::nullopt;
  FileAnswer answer = std::move(found->second);
  done_.erase(found);
  nextToTake_ = std::max(nextToTake_, index + 1);
  Dispatch();
  return answer;
}

void MediaWorkerPool::Poll(int milliseconds) {
  group_.Poll(milliseconds);
}

QList<qint64> MediaWorkerPool::WorkerIds() const {
  QList<qint64> ids;
  for (const auto& worker : workers_) {
    if (const std::optional<qint64> pid = worker->client->ProcessId())
      ids.append(*pid);
  }
  return ids;
}

bool MediaWorkerPool::HasWork() const {
  return nextListFile_ < files_.size() && nextListFile_ < nextToTake_ + limits_.lookAhead;
}

std::optional<int> MediaWorkerPool::NextJob() {
  if (!HasWork())
    return std::nullopt;
  return nextListFile_++;
}

void MediaWorkerPool::Dispatch() {
  while (HasWork()) {
    Worker* target = nullptr;
    for (const auto& worker : workers_) {
      if (worker->client->Pending() < limits_.queuedPerWorker &&
          (target == nullptr || worker->client->Pending() < target->client->Pending())) {
        target = worker.get();
      }
    }
    // Every worker starts as soon as there is work, so that all read at once.
    if ((target == nullptr || target->client->Pending() > 0) &&
        int(workers_.size()) < limits_.workers) {
      target = StartWorker();
    }
    if (target == nullptr)
      return;
    const int job = *NextJob();
    Request request{.kind = Kind::Parse, .id = quint64(job), .path = PathOf(job)};
    Revise(request);
    target->client->Ask(std::move(request));
  }
}

void MediaWorkerPool::Revise(Request& request) {
  // What stalled before is not asked again: a read, or a folder's listing. (A
  // look-up the client itself refuses.)
  const StallMemory& stalls = group_.Stalls();
  Partial& partial = partial_[int(request.id)];
  if (request.withMedia && !partial.media) {
    if (std::optional<Failure> read = stalls.Known(request.path, StallMemory::Request::Reading)) {
      partial.media.emplace().stopped = std::move(read);
      request.withMedia = false;
    }
  }
  if (request.withFolder) {
    partial.folderStalled =
        stalls.Known(ShellFolderOf(request.path), StallMemory::Request::Listing);
    request.withFolder = !partial.folderStalled;
  }
}

MediaWorkerPool::Worker* MediaWorkerPool::StartWorker() {
  auto owned = std::make_unique<Worker>();
  owned->client = std::make_unique<HelperClient>(
      command_, u"The media reader %1"_s.arg(command_.program), group_,
      HelperClient::Owner{
          [this](const Request& front, Answer&& answer) { return Take(front, std::move(answer)); },
          [this, worker = owned.get()](const Request& request, HelperLoss& loss) {
            return Lose(*worker, int(request.id), loss);
          },
          [this](Request& request) { Revise(request); },
      });
  // A worker with room takes more of the list.
  connect(owned->client.get(), &HelperClient::Settled, this, &MediaWorkerPool::Dispatch);
  workers_.push_back(std::move(owned));
  return workers_.back().get();
}

HelperClient::Fit MediaWorkerPool::Take(const Request& front, Answer&& answer) {
  const int job = int(front.id);
  Partial& partial = partial_[job];
  using Fit = HelperClient::Fit;
  switch (answer.kind) {
    case Kind::ParsedFile: {
      auto* file = std::get_if<FileFacts>(&answer.payload);
      if (file == nullptr)
        return Fit::Wrong;
      if (partial.file)  // the folder asked again: the facts it had
        return partial.media && !partial.folder ? Fit::More : Fit::Wrong;
      // On a share the workers mostly wait: more of them read at once.
      if (file->remote && limits_.workers < limits_.mostWorkers)
        limits_.workers = limits_.mostWorkers;
      partial.file = std::move(*file);
      return front.withMedia || front.withFolder ? Fit::More : Finish(job);
    }
    case Kind::ParsedMedia: {
      auto* media = std::get_if<MediaAnswers>(&answer.payload);
      if (media == nullptr || !partial.file || partial.media)
        return Fit::Wrong;
      partial.media = std::move(*media);
      return front.withFolder ? Fit::More : Finish(job);
    }
    case Kind::ParsedFolder: {
      auto* folder = std::get_if<FolderFacts>(&answer.payload);
      if (folder == nullptr || !partial.file || !partial.media || partial.folder)
        return Fit::Wrong;
      partial.folder = std::move(*folder);
      return Fit::More;
    }
    case Kind::ParsedSiblings: {
      auto* siblings = std::get_if<QList<SiblingValues>>(&answer.payload);
      if (siblings == nullptr || !partial.folder)
        return Fit::Wrong;
      partial.siblings = std::move(*siblings);
      return Finish(job);
    }
    default:
      return Fit::Wrong;
  }
}

HelperClient::Fit MediaWorkerPool::Finish(int job) {
  Partial partial = std::move(partial_[job]);
  FileAnswer answer;
  answer.file = std::move(partial.file).value_or(FileFacts{});
  answer.media = std::move(partial.media).value_or(MediaAnswers{});
  if (partial.folder) {
    answer.folder = std::move(*partial.folder);
  } else {
    answer.folder.failure = partial.folderStalled;
  }
  answer.siblings = std::move(partial.siblings);
  Complete(job, std::move(answer));
  return HelperClient::Fit::Done;
}

Failure MediaWorkerPool::Lose(Worker& worker, int job, HelperLoss& loss) {
  const QString& path = PathOf(job);
  const QString& program = command_.program;
  using Why = HelperLoss::Why;
  // Workers that cannot be had fail every file as a library that cannot be
  // loaded does.
  if (loss.IsBroken()) {
    const Failure failure =
        loss.why == Why::CannotStart
            ? Failure(u"The media reader %1 cannot be started: %2"_s.arg(program, loss.how),
                      failure_number::kFileNotFound)
        : loss.why == Why::NotOurs
            ? Failure(u"The media reader %1 does not belong to this version of the program"_s.arg(
                  program))
            : Failure(u"The media reader %1 %2 before it could read any file"_s.arg(program,
                                                                                     loss.how));
    CompleteWithFailure(job, failure, true);
    return failure;
  }
  const bool stalled = loss.why == Why::Stalled;
  const QString how = loss.why == Why::BrokeProtocol
                          ? u"stopped (it answered what it was not asked)"_s
                          : loss.how;
  const QString stop = stalled ? u"made no progress for %1 seconds and was stopped"_s.arg(
                                     SecondsText(group_.StallLimit()))
                               : how;
  const QString at = loss.doing ? loss.doing->path : path;
  // How the part it was at failed.
  const auto failureAt = [&](const QString& what, const QString& where) {
    if (loss.why == Why::StalledBefore)
      return *loss.before;
    return stalled ? StallFailure(what, where, group_.StallLimit())
                   : Failure(u"The media reader %1 while looking up %2."_s.arg(how, where));
  };
  Partial& partial = partial_[job];
  if (!partial.file) {
    // It ended while it looked the file up, before any parse.
    const Failure failure = failureAt(u"Looking up"_s, path);
    CompleteWithFailure(job, failure, false);
    return failure;
  }
  if (!partial.media) {
    const Failure failure(
        u"The MediaInfo library %1 while reading %2; its media values are left empty."_s.arg(
            stop, path));
    partial.media.emplace().stopped = failure;
    if (partial.folderStalled) {
      Finish(job);
      return failure;
    }
    // The parse cost its media values alone: the folder, which comes after
    // it, is asked for again, without the parse.
    Request folderOnly{.kind = Kind::Parse, .id = quint64(job), .path = path};
    folderOnly.withMedia = false;
    worker.client->Ask(std::move(folderOnly));
    return failure;
  }
  if (!partial.folder) {
    // Its folder, or one of its same-named entries, stalled: only the shell's
    // columns are lost.
    const bool listing = loss.doing && loss.doing->what == Activity::What::Listing;
    partial.folderStalled = failureAt(listing ? u"Listing the folder"_s : u"Looking up"_s, at);
    const Failure failure = *partial.folderStalled;
    Finish(job);
    return failure;
  }
  // It ended on a sibling: no values of its.
  Finish(job);
  return Failure(
      u"The MediaInfo library %1 while reading %2; its media values are left empty."_s.arg(stop,
                                                                                         at));
}

void MediaWorkerPool::GrowIfWaiting() {
  const double interval = double(sinceGrowthCheck_.restart()) / 1000.0;
  double used = 0;
  int busy = 0;
  bool computing = false;  // a busy worker is on a processor, or waits for one
  for (const auto& worker : workers_) {
    const std::optional<qint64> pid = worker->client->ProcessId();
    const std::optional<double> now = pid ? ProcessorSeconds(*pid) : std::nullopt;
    if (worker->client->Pending() > 0 && now && worker->processorSeconds) {
      used += *now - *worker->processorSeconds;
      ++busy;
      computing = computing || worker->client->IsComputing();
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

void MediaWorkerPool::Complete(int job, FileAnswer answer) {
  partial_.erase(job);
  done_.insert_or_assign(job, std::move(answer));
}

void MediaWorkerPool::CompleteWithFailure(int job, const Failure& failure, bool noHandle) {
  FileAnswer answer;
  answer.file.failure = failure;
  answer.folder.failure = failure;
  // Workers that cannot start fail every call on the file, as a library that
  // cannot be loaded does; a file that was never parsed fails its open.
  if (noHandle)
    answer.media.noHandle = failure;
  else
    answer.media.stopped = failure;
  Complete(job, std::move(answer));
}

}  // namespace vistarel
