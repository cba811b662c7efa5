#include "helpers/HelperClient.h"

#include <algorithm>

#include <poll.h>

#include "system/Processes.h"

namespace vistarel {

using namespace Qt::StringLiterals;
using namespace helper_message;

namespace {

// Helper starts that fail before a helper says hello, in a row, after which
// the helpers are taken for unusable.
constexpr int kDeathsBeforeHelloLimit = 3;
// How long helpers that stalled beside one given up get to show progress: the
// kernel lets those it held behind it go once it ends, if it ends.
constexpr qint64 kSpareMs = 2000;
// What a helper may say besides its answers, between two of them: notes of
// what it starts on and of calls that returned. A helper that says more
// floods the window, and is ended.
constexpr qsizetype kMostChatter = 4 << 20;

StallPlace PlaceOfActivity(const Activity& activity) {
  switch (activity.what) {
    case Activity::What::Listing:
      return {activity.path, StallMemory::Request::Listing};
    case Activity::What::Reading:
      return {activity.path, StallMemory::Request::Reading};
    default:
      return {activity.path, StallMemory::Request::LookUp};
  }
}

}  // namespace

HelperClient::HelperClient(HelperCommand command, QString name, HelperGroup& group, Owner owner)
    : command_(std::move(command)), name_(std::move(name)), group_(group), owner_(std::move(owner)) {
  group_.clients_.push_back(this);
}

// The helper's process is killed and let go as it goes: nothing waits for it.
HelperClient::~HelperClient() {
  std::erase(group_.clients_, this);
}

void HelperClient::Ask(Request request) {
  // Asked while a lost helper's requests go to the next one: after them.
  if (holding_) {
    held_.push_back(std::move(request));
    return;
  }
  if (broken_) {
    Lose(request, *broken_);
    return;
  }
  if (LostToAnEarlierStall(request))
    return;
  if (process_ == nullptr && !StartHelper()) {
    Lose(request, *broken_);
    return;
  }
  queue_.push_back(std::move(request));
  Send(queue_.back());
}

std::optional<qint64> HelperClient::ProcessId() const {
  if (process_ == nullptr)
    return std::nullopt;
  return process_->pid();
}

bool HelperClient::IsComputing() const {
  return process_ != nullptr && process_->IsComputing();
}

qint64 HelperClient::MsWithoutProgress() {
  return process_ != nullptr ? process_->MsWithoutProgress() : 0;
}

qint64 HelperClient::StuckSinceNs() {
  const qint64 without = MsWithoutProgress();
  return startedLastNs_ ? *startedLastNs_ : MonotonicNs() - without * 1'000'000;
}

bool HelperClient::StuckBefore(HelperClient& other) {
  const std::optional<qint64> mine = ProcessId();
  const std::optional<qint64> theirs = other.ProcessId();
  const std::optional<double> ranMine = mine ? LastRanMs(*mine) : std::nullopt;
  const std::optional<double> ranTheirs = theirs ? LastRanMs(*theirs) : std::nullopt;
  if (ranMine && ranTheirs)
    return *ranMine < *ranTheirs;
  return StuckSinceNs() < other.StuckSinceNs();
}

void HelperClient::RestartStallClock() {
  if (process_ != nullptr)
    process_->MarkProgress();
}

void HelperClient::GiveUpStalled() {
  if (process_ == nullptr)
    return;
  HelperLoss loss;
  loss.why = HelperLoss::Why::Stalled;
  loss.waitedForDisk = !process_->IsComputing();
  EndHelper(std::move(loss));
  SaySettled();
}

void HelperClient::TryAgain() {
  broken_.reset();
  deathsBeforeHello_ = 0;
}

void HelperClient::EndGently() {
  gently_ = true;
  if (process_ != nullptr)
    process_->EndGently();
}

bool HelperClient::StartHelper() {
  QString why;
  process_ = HelperProcess::Start(command_, &why);
  greeted_ = false;
  chatter_ = 0;
  if (process_ == nullptr) {
    HelperLoss loss;
    loss.why = HelperLoss::Why::CannotStart;
    loss.how = why;
    Break(std::move(loss));
    return false;
  }
  connect(process_.get(), &HelperProcess::Readable, this, &HelperClient::Service);
  if (gently_)
    process_->EndGently();
  return true;
}

void HelperClient::Send(const Request& request) {
  process_->SetBusy(true);
  process_->Send(Encode(request));
}

void HelperClient::Service() {
  if (process_ == nullptr)
    return;
  HelperProcess* const serving = process_.get();
  serving->Flush();
  for (QByteArray& body : serving->Receive()) {
    std::optional<Answer> answer = DecodeAnswer(body);
    if (answer && (answer->kind == Kind::Progress || answer->kind == Kind::Doing))
      chatter_ += body.size();
    else
      chatter_ = 0;
    if (!answer || chatter_ > kMostChatter) {
      HelperLoss loss;
      loss.why = greeted_ ? HelperLoss::Why::BrokeProtocol : HelperLoss::Why::NotOurs;
      if (greeted_)
        EndHelper(std::move(loss));
      else
        Break(std::move(loss));
      return;
    }
    serving->MarkProgress();
    Handle(std::move(*answer));
    if (process_.get() != serving)
      return;  // it was ended: the rest of what it said counts for nothing
  }
  if (serving->BrokeFraming()) {
    HelperLoss loss;
    loss.why = HelperLoss::Why::BrokeProtocol;
    EndHelper(std::move(loss));
  } else if (serving->HasEnded()) {
    HelperLoss loss;
    loss.why = HelperLoss::Why::Ended;
    loss.how = serving->HowItEnded();
    // One that ends well between two requests (to start afresh) blames none.
    EndHelper(std::move(loss), !(serving->EndedWell() && !doing_));
  }
  SaySettled();
}

void HelperClient::SaySettled() {
  if (!settled_)
    return;
  settled_ = false;
  Q_EMIT Settled();
}

void HelperClient::Handle(Answer&& answer) {
  startedLastNs_.reset();
  if (answer.kind == Kind::Progress)
    return;
  HelperLoss broke;
  broke.why = HelperLoss::Why::BrokeProtocol;
  if (!greeted_) {
    const auto* version = std::get_if<quint32>(&answer.payload);
    if (answer.kind != Kind::Hello || version == nullptr || *version != kVersion) {
      HelperLoss notOurs;
      notOurs.why = HelperLoss::Why::NotOurs;
      Break(std::move(notOurs));
      return;
    }
    greeted_ = true;
    deathsBeforeHello_ = 0;
    return;
  }
  if (queue_.empty() || answer.kind == Kind::Hello) {
    EndHelper(std::move(broke));
    return;
  }
  if (answer.kind == Kind::Doing) {
    const auto* activity = std::get_if<Activity>(&answer.payload);
    if (activity == nullptr) {
      EndHelper(std::move(broke));
      return;
    }
    doing_ = *activity;
    startedLastNs_ = activity->startedNs;
    return;
  }
  if (answer.id != queue_.front().id) {
    EndHelper(std::move(broke));
    return;
  }
  switch (owner_.take(queue_.front(), std::move(answer))) {
    case Fit::More:
      return;
    case Fit::Done:
      queue_.pop_front();
      doing_.reset();
      settled_ = true;
      if (process_ != nullptr)
        process_->SetBusy(!queue_.empty());
      return;
    case Fit::Wrong:
      EndHelper(std::move(broke));
      return;
  }
}

void HelperClient::EndHelper(HelperLoss loss, bool blameFront) {
  // Killed and let go: the kernel may keep it a while, nothing waits for it.
  const std::unique_ptr<HelperProcess> ended = std::move(process_);
  ended->GiveUp();
  ended->disconnect(this);
  const bool greeted = greeted_;
  greeted_ = false;
  std::optional<Activity> doing = std::move(doing_);
  doing_.reset();
  startedLastNs_.reset();

  if (!greeted && loss.why == HelperLoss::Why::Ended &&
      ++deathsBeforeHello_ >= kDeathsBeforeHelloLimit) {
    loss.why = HelperLoss::Why::DiedBeforeHello;
    Break(std::move(loss));
    return;
  }
  // A helper that ended before it could say hello blames none of its requests.
  std::optional<Request> culprit;
  if (blameFront && (greeted || loss.why == HelperLoss::Why::Stalled) && !queue_.empty()) {
    culprit = std::move(queue_.front());
    queue_.pop_front();
  }
  // The rest go to the next helper, in their order, but for those whose
  // place has just stalled; what the owner asks meanwhile comes after them.
  std::deque<Request> rest = std::move(queue_);
  queue_.clear();
  holding_ = true;
  if (culprit) {
    loss.doing = std::move(doing);
    loss.place = loss.doing ? PlaceOfActivity(*loss.doing) : PlaceOf(*culprit);
    Lose(*culprit, std::move(loss));
  }
  holding_ = false;
  std::deque<Request> held = std::move(held_);
  held_.clear();
  for (Request& request : rest) {
    if (owner_.revise)
      owner_.revise(request);
    Ask(std::move(request));
  }
  for (Request& request : held) Ask(std::move(request));
}

void HelperClient::Break(HelperLoss loss) {
  if (process_ != nullptr) {
    process_->GiveUp();
    process_->disconnect(this);
    process_.reset();
  }
  greeted_ = false;
  doing_.reset();
  broken_ = loss;
  std::deque<Request> lost = std::move(queue_);
  queue_.clear();
  for (const Request& request : lost) Lose(request, loss);
}

void HelperClient::Lose(const Request& request, HelperLoss loss) {
  settled_ = true;
  const Failure failure = owner_.lose(request, loss);
  if (loss.why == HelperLoss::Why::Stalled) {
    group_.stalls_.Note(loss.place.path, loss.place.request, failure, loss.waitedForDisk);
  }
}

bool HelperClient::LostToAnEarlierStall(const Request& request) {
  const StallPlace place = PlaceOf(request);
  std::optional<Failure> known = group_.stalls_.Known(place.path, place.request);
  if (!known)
    return false;
  HelperLoss loss;
  loss.why = HelperLoss::Why::StalledBefore;
  loss.place = place;
  loss.before = std::move(known);
  Lose(request, std::move(loss));
  return true;
}

StallPlace HelperClient::PlaceOf(const Request& request) const {
  const bool listing = request.kind == Kind::ListSubFolders || request.kind == Kind::ListFiles;
  return {request.path, listing ? StallMemory::Request::Listing : StallMemory::Request::LookUp};
}

int HelperClient::OutputFd() const {
  return process_ != nullptr && process_->IsListening() ? process_->OutputFd() : -1;
}

int HelperClient::InputFd() const {
  return process_ != nullptr ? process_->InputFd() : -1;
}

bool HelperClient::HasUnsent() const {
  return process_ != nullptr && process_->HasUnsent();
}

HelperGroup::HelperGroup(std::chrono::milliseconds stallLimit,
                         std::chrono::milliseconds stallCheck)
    : stallLimit_(stallLimit), stallCheck_(stallCheck) {
  timer_.setInterval(int(stallCheck_.count()));
  connect(&timer_, &QTimer::timeout, this, &HelperGroup::CheckProgress);
  timer_.start();
  sinceCheck_.start();
}

HelperGroup::~HelperGroup() = default;

void HelperGroup::Poll(int milliseconds) {
  std::vector<pollfd> fds;
  for (const HelperClient* client : clients_) {
    if (client->OutputFd() >= 0)
      fds.push_back({client->OutputFd(), POLLIN, 0});
    if (client->HasUnsent())
      fds.push_back({client->InputFd(), POLLOUT, 0});
  }
  poll(fds.data(), nfds_t(fds.size()), std::max(0, milliseconds));
  // What a helper says may make its owner start or drop helpers of the group.
  const std::vector<HelperClient*> serving = clients_;
  for (HelperClient* client : serving) {
    if (std::find(clients_.begin(), clients_.end(), client) != clients_.end())
      client->Service();
  }
  if (sinceCheck_.elapsed() >= stallCheck_.count())
    CheckProgress();
}

void HelperGroup::CheckProgress() {
  sinceCheck_.restart();
  // A moment after a helper was given up, no other is: those the kernel held
  // behind it go on once it ends, and show it.
  if (!sinceGiveUp_.isValid() || sinceGiveUp_.elapsed() >= kSpareMs) {
    HelperClient* first = nullptr;
    for (HelperClient* client : clients_) {
      if (client->MsWithoutProgress() >= stallLimit_.count() &&
          (first == nullptr || client->StuckBefore(*first))) {
        first = client;
      }
    }
    if (first != nullptr) {
      sinceGiveUp_.start();
      first->GiveUpStalled();
    }
  }
  Q_EMIT Checked();
}

}  // namespace vistarel
