#include "desktop/HelperTextStream.h"

#include "base/PathHelpers.h"
#include "helpers/Await.h"
#include "helpers/HelperClient.h"
#include "system/EightBitEncoder.h"

namespace vistarel {

using namespace Qt::StringLiterals;
using namespace helper_message;

namespace {

// Bytes handed to the helper and not yet written, at most: a share that
// writes slowly holds the export back rather than fill the window's memory.
constexpr qint64 kMostInFlight = 8 << 20;

class HelperTextStream final : public ITextStream {
 public:
  HelperTextStream(const HelperCommand& writer, QString path, IEventPump& pump,
                   std::chrono::milliseconds stallLimit)
      : path_(std::move(path)),
        pump_(pump),
        group_(stallLimit),
        client_(HelperCommand{writer.program, {u"--write"_s, FolderOf(path_)}},
                u"The text writer %1"_s.arg(writer.program), group_,
                HelperClient::Owner{
                    [this](const Request& front, Answer&& answer) {
                      return Take(front, std::move(answer));
                    },
                    [this](const Request& request, HelperLoss& loss) {
                      return Lose(request, loss);
                    },
                }) {
    // A helper let go closes the file it did not finish, which leaves any
    // earlier file of its name as it was.
    client_.EndGently();
  }

  void Create(bool overwrite) {
    Request request{.kind = Kind::CreateTextFile, .id = nextId_++, .path = path_};
    request.overwrite = overwrite;
    Ask(std::move(request));
    WaitUntil([&] { return outstanding_ == 0; });
    ThrowIfFailed();
  }

  void WriteLine(const QString& text) override {
    ThrowIfFailed();
    if (closed_)
      throw Failure(u"The text file is already closed: "_s + path_,
                    failure_number::kPathFileAccess);
    lines_.Append(text);
    if (lines_.IsFull())
      Write(lines_.Take());
  }

  void Close() override {
    ThrowIfFailed();
    if (closed_)
      return;
    closed_ = true;
    Write(lines_.Take());
    Ask(Request{.kind = Kind::CloseTextFile, .id = nextId_++, .path = path_});
    WaitUntil([&] { return outstanding_ == 0 || failure_.has_value(); });
    ThrowIfFailed();
  }

 private:
  void Write(QByteArray bytes) {
    if (bytes.isEmpty())
      return;
    inFlight_ += bytes.size();
    Request request{.kind = Kind::WriteText, .id = nextId_++, .path = path_};
    request.bytes = std::move(bytes);
    Ask(std::move(request));
    if (inFlight_ > kMostInFlight)
      WaitUntil([&] { return inFlight_ <= kMostInFlight / 2 || failure_.has_value(); });
    ThrowIfFailed();
  }

  void Ask(Request request) {
    ++outstanding_;
    client_.Ask(std::move(request));
  }

  template <class Condition>
  void WaitUntil(Condition condition) {
    AwaitThrough(
        pump_, [&]() -> std::optional<bool> { return condition() ? std::optional(true) : std::nullopt; },
        [&](int milliseconds) { group_.Poll(milliseconds); });
  }

  void ThrowIfFailed() const {
    if (failure_)
      throw *failure_;
  }

  void Answered(const Request& request, const std::optional<Failure>& failure) {
    --outstanding_;
    if (request.kind == Kind::WriteText)
      inFlight_ -= request.bytes.size();
    if (failure && !failure_)
      failure_ = failure;
  }

  HelperClient::Fit Take(const Request& front, Answer&& answer) {
    const auto* result = std::get_if<WriteResult>(&answer.payload);
    if (answer.kind != Kind::Written || result == nullptr)
      return HelperClient::Fit::Wrong;
    Answered(front, result->failure);
    return HelperClient::Fit::Done;
  }

  Failure Lose(const Request& request, HelperLoss& loss) {
    using Why = HelperLoss::Why;
    const QString& name = client_.Name();
    Failure failure(QString{});
    switch (loss.why) {
      case Why::Stalled:
        failure = StallFailure(u"Writing"_s, path_, group_.StallLimit());
        break;
      case Why::CannotStart:
        failure = Failure(u"%1 cannot be started: %2"_s.arg(name, loss.how),
                          failure_number::kFileNotFound);
        break;
      case Why::NotOurs:
        failure = Failure(name + u" does not belong to this version of the program"_s);
        break;
      case Why::BrokeProtocol:
        failure = Failure(u"%1 answered what it was not asked while it wrote %2"_s.arg(name, path_),
                          failure_number::kDeviceIo);
        break;
      case Why::DiedBeforeHello:
        failure = Failure(u"%1 %2 before it could write %3"_s.arg(name, loss.how, path_),
                          failure_number::kDeviceIo);
        break;
      case Why::Ended:
        failure = Failure(u"%1 %2 while it wrote %3"_s.arg(name, loss.how, path_),
                          failure_number::kDeviceIo);
        break;
      case Why::StalledBefore:
        failure = *loss.before;
        break;
    }
    loss.place = {path_, StallMemory::Request::LookUp};
    Answered(request, failure);
    return failure;
  }

  QString path_;
  IEventPump& pump_;
  HelperGroup group_;
  HelperClient client_;
  TextLines lines_;
  quint64 nextId_ = 1;
  int outstanding_ = 0;  // requests not answered yet
  qint64 inFlight_ = 0;  // bytes handed over and not written yet
  std::optional<Failure> failure_;  // the first, which the save fails with
  bool closed_ = false;
};

}  // namespace

std::unique_ptr<ITextStream> OpenHelperTextStream(const HelperCommand& writer,
                                                  const QString& path, bool overwrite,
                                                  IEventPump& pump,
                                                  std::chrono::milliseconds stallLimit) {
  auto stream = std::make_unique<HelperTextStream>(writer, path, pump, stallLimit);
  stream->Create(overwrite);
  return stream;
}

}  // namespace vistarel
