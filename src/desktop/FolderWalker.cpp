#include "desktop/FolderWalker.h"

#include "helpers/Await.h"

namespace vistarel {

using namespace Qt::StringLiterals;
using namespace helper_message;

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

// The answer each question takes.
Kind AnswerKindOf(Kind request) {
  switch (request) {
    case Kind::LookUpFolder:
      return Kind::FolderLookedUp;
    case Kind::ListSubFolders:
      return Kind::SubFolders;
    case Kind::ListFiles:
      return Kind::Files;
    default:
      return Kind::Attributes;
  }
}

}  // namespace

FolderWalker::FolderWalker(HelperCommand command, std::chrono::milliseconds stallLimit)
    : program_(command.program),
      group_(stallLimit),
      client_(std::move(command), u"The file-system helper %1"_s.arg(program_), group_,
              HelperClient::Owner{
                  [this](const Request& front, Answer&& answer) {
                    return Take(front, std::move(answer));
                  },
                  [this](const Request& request, HelperLoss& loss) { return Lose(request, loss); },
              }) {}

FolderWalker::~FolderWalker() = default;

void FolderWalker::EndWalk() {
  if (walks_ > 0 && --walks_ == 0) {
    group_.Stalls().Clear();
    client_.TryAgain();
  }
}

Payload FolderWalker::Ask(Kind kind, const QString& path, IEventPump& pump, const QString& pattern,
                          int mask) {
  Pending done =
      Wait(Request{.kind = kind, .id = 0, .path = path, .pattern = pattern, .mask = mask}, pump);
  if (done.failure)
    throw *done.failure;
  return std::move(*done.answer);
}

std::vector<AttributeValue> FolderWalker::AskAttributes(const QStringList& paths,
                                                        IEventPump& pump) {
  std::vector<AttributeValue> values;
  values.reserve(size_t(paths.size()));
  while (values.size() < size_t(paths.size())) {
    const QString& next = paths[qsizetype(values.size())];
    Request request{.kind = Kind::GetAttributesOfMany, .id = 0, .path = next};
    request.paths = paths.mid(qsizetype(values.size()));
    Pending done = Wait(std::move(request), pump);
    values.insert(values.end(), done.values.begin(), done.values.end());
    // The path it was at when it failed (or the first, when it stalled before
    // and was not asked) fails with it; the rest are asked again.
    if (done.failure && values.size() < size_t(paths.size()))
      values.push_back({done.failure, 0});
  }
  return values;
}

FolderWalker::Pending FolderWalker::Wait(Request request, IEventPump& pump) {
  const quint64 id = nextId_++;
  request.id = id;
  pending_[id];
  client_.Ask(std::move(request));
  AwaitThrough(
      pump,
      [&]() -> std::optional<bool> {
        return pending_.at(id).done ? std::optional<bool>(true) : std::nullopt;
      },
      [&](int milliseconds) { group_.Poll(milliseconds); });
  Pending done = std::move(pending_.at(id));
  pending_.erase(id);
  return done;
}

HelperClient::Fit FolderWalker::Take(const Request& front, Answer&& answer) {
  Pending& pending = pending_.at(front.id);
  if (answer.kind != AnswerKindOf(front.kind))
    return HelperClient::Fit::Wrong;
  if (front.kind == Kind::GetAttributesOfMany) {
    const auto* value = std::get_if<AttributeValue>(&answer.payload);
    if (value == nullptr || pending.values.size() >= size_t(front.paths.size()))
      return HelperClient::Fit::Wrong;
    pending.values.push_back(*value);
    pending.done = pending.values.size() == size_t(front.paths.size());
    return pending.done ? HelperClient::Fit::Done : HelperClient::Fit::More;
  }
  pending.answer = std::move(answer.payload);
  pending.done = true;
  return HelperClient::Fit::Done;
}

Failure FolderWalker::Lose(const Request& request, HelperLoss& loss) {
  Pending& pending = pending_.at(request.id);
  // A request answered path by path was at its next path.
  const bool byPath = request.kind == Kind::GetAttributesOfMany;
  const QString path =
      byPath ? request.paths.value(qsizetype(pending.values.size())) : request.path;
  if (byPath)
    loss.place = {path, StallMemory::Request::LookUp};
  using Why = HelperLoss::Why;
  const QString name = client_.Name();
  Failure failure(QString{});
  switch (loss.why) {
    case Why::CannotStart:
      failure = Failure(u"%1 cannot be started: %2"_s.arg(name, loss.how),
                        failure_number::kFileNotFound);
      break;
    case Why::Stalled:
      failure = StallFailure(WhatIsAsked(request.kind), path, group_.StallLimit());
      break;
    case Why::NotOurs:
      failure = Failure(name + u" does not belong to this version of the program while it "
                               u"looked at "_s + path);
      break;
    case Why::BrokeProtocol:
      failure = Failure(name + u" answered what it was not asked while it looked at "_s + path);
      break;
    case Why::DiedBeforeHello:
      failure = Failure(u"%1 %2 before it could answer, while it looked at %3"_s.arg(
          name, loss.how, path));
      break;
    case Why::Ended:
      failure = Failure(u"%1 %2 while it looked at %3"_s.arg(name, loss.how, path));
      break;
    case Why::StalledBefore:
      failure = *loss.before;
      break;
  }
  pending.failure = failure;
  pending.done = true;
  return failure;
}

}  // namespace vistarel
