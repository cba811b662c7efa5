#include "desktop/FolderHelper.h"

#include <poll.h>

#include "helpers/Await.h"

namespace vistarel {

using namespace Qt::StringLiterals;
using namespace worker_message;

namespace {

QString WhatIsAsked(Kind kind) {
  switch (kind) {
    case Kind::ListSubFolders:
    case Kind::ListFiles:
      return u"Listing the folder"_s;
    case Kind::LookUpFolder:
      return u"Looking up the folder"_s;
    default:
      return u"Looking up"_s;
  }
}

StallMemory::Request StallRequestOf(Kind kind) {
  return kind == Kind::ListSubFolders || kind == Kind::ListFiles ? StallMemory::Request::Listing
                                                                 : StallMemory::Request::LookUp;
}

}  // namespace

FolderHelper::FolderHelper(HelperCommand command, std::chrono::milliseconds stallLimit)
    : command_(std::move(command)), stallLimit_(stallLimit) {}

FolderHelper::~FolderHelper() = default;

void FolderHelper::EndWalk() {
  if (walks_ > 0 && --walks_ == 0)
    stalls_.Clear();
}

Payload FolderHelper::Ask(Kind kind, const QString& path, IEventPump& pump, const QString& pattern,
                          int mask) {
  if (const std::optional<Failure> known = stalls_.Known(path, StallRequestOf(kind)))
    throw *known;
  Pending done = Wait(Request{kind, 0, path, pattern, mask, {}}, pump);
  if (done.failure)
    throw *done.failure;
  return std::move(*done.answer);
}

std::vector<AttributeValue> FolderHelper::AskAttributes(const QStringList& paths,
                                                        IEventPump& pump) {
  std::vector<AttributeValue> values;
  values.reserve(size_t(paths.size()));
  while (values.size() < size_t(paths.size())) {
    const QString& next = paths[qsizetype(values.size())];
    if (const std::optional<Failure> known = stalls_.Known(next, StallMemory::Request::LookUp)) {
      values.push_back({known, 0});
      continue;
    }
    Request request{Kind::GetAttributesOfMany, 0, next, {}, 0, {}};
    request.paths = paths.mid(qsizetype(values.size()));
    Pending done = Wait(std::move(request), pump);
    values.insert(values.end(), done.values.begin(), done.values.end());
    // The path it was at when it failed fails with it; the rest are asked again.
    if (done.failure && values.size() < size_t(paths.size()))
      values.push_back({done.failure, 0});
  }
  return values;
}

FolderHelper::Pending FolderHelper::Wait(Request request, IEventPump& pump) {
  EnsureHelper();
  const quint64 id = nextId_++;
  request.id = id;
  Pending& asked = pending_[id];
  asked.request = std::move(request);
  order_.push_back(id);
  helper_->SetBusy(true);
  helper_->Send(Encode(asked.request));

  AwaitThrough(
      pump,
      [&]() -> std::optional<bool> {
        return pending_.at(id).IsDone() ? std::optional<bool>(true) : std::nullopt;
      },
      [&](int milliseconds) { Poll(milliseconds); });
  Pending done = std::move(pending_.at(id));
  pending_.erase(id);
  return done;
}

void FolderHelper::EnsureHelper() {
  if (helper_ != nullptr && !helper_->HasEnded())
    return;
  QString why;
  helper_ = HelperProcess::Start(command_, &why);
  greeted_ = false;
  if (helper_ == nullptr) {
    throw Failure(u"The file-system helper %1 cannot be started: %2"_s.arg(command_.program, why),
                  failure_number::kFileNotFound);
  }
  // Questions of an earlier helper that it did not come to go to this one.
  for (const quint64 id : order_) helper_->Send(Encode(pending_.at(id).request));
  helper_->SetBusy(!order_.empty());
}

void FolderHelper::Poll(int milliseconds) {
  if (helper_ == nullptr || helper_->HasEnded())
    return;
  pollfd fds[2] = {{helper_->OutputFd(), POLLIN, 0}, {helper_->InputFd(), POLLOUT, 0}};
  poll(fds, helper_->HasUnsent() ? 2 : 1, std::max(0, milliseconds));
  helper_->Flush();
  for (const QByteArray& body : helper_->Receive()) {
    const std::optional<Answer> answer = DecodeAnswer(body);
    if (answer && answer->kind == Kind::Progress)
      continue;
    if (!greeted_) {
      const auto* version = answer ? std::get_if<quint32>(&answer->payload) : nullptr;
      if (answer && answer->kind == Kind::Hello && version != nullptr && *version == kVersion) {
        greeted_ = true;
        continue;
      }
      Lose(Failure(u"The file-system helper %1 does not belong to this version of the program"_s.arg(
               command_.program)),
           false);
      return;
    }
    if (!answer || order_.empty() || answer->id != order_.front()) {
      Lose(Failure(u"The file-system helper %1 answered what it was not asked"_s.arg(
               command_.program)),
           false);
      return;
    }
    Pending& front = pending_.at(order_.front());
    if (front.request.kind == Kind::GetAttributesOfMany) {
      const auto* value = std::get_if<AttributeValue>(&answer->payload);
      if (answer->kind != Kind::Attributes || value == nullptr) {
        Lose(Failure(u"The file-system helper %1 answered what it was not asked"_s.arg(
                 command_.program)),
             false);
        return;
      }
      front.values.push_back(*value);
    } else {
      front.answer = answer->payload;
    }
    if (front.IsDone()) {
      order_.pop_front();
      helper_->SetBusy(!order_.empty());
    }
  }
  if (helper_->HasEnded()) {
    Lose(Failure(u"The file-system helper %1 %2"_s.arg(command_.program, helper_->HowItEnded())),
         false);
  } else if (helper_->HasStalled(stallLimit_)) {
    Lose(Failure(QString()), true);
  }
}

// The question being answered fails; those behind it go to the next helper.
void FolderHelper::Lose(const Failure& failure, bool stalled) {
  helper_->GiveUp();
  if (order_.empty())
    return;
  const quint64 culprit = order_.front();
  order_.pop_front();
  Pending& pending = pending_.at(culprit);
  // A request answered path by path was at its next path.
  const bool byPath = pending.request.kind == Kind::GetAttributesOfMany;
  const QString path =
      byPath ? pending.request.paths.value(qsizetype(pending.values.size())) : pending.request.path;
  if (stalled) {
    pending.failure = StallFailure(WhatIsAsked(pending.request.kind), path, stallLimit_);
    stalls_.Note(path, byPath ? StallMemory::Request::LookUp : StallRequestOf(pending.request.kind),
                 *pending.failure);
  } else {
    pending.failure =
        Failure(failure.description() + u" while it looked at "_s + path, failure.number());
  }
  if (order_.empty())
    return;
  try {
    EnsureHelper();
  } catch (const Failure& cannotStart) {
    for (const quint64 id : order_) pending_.at(id).failure = cannotStart;
    order_.clear();
  }
}

}  // namespace vistarel
