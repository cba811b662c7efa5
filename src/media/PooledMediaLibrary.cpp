#include "media/PooledMediaLibrary.h"

#include <algorithm>

#include "media/MediaInfoDLL.h"
#include "platform/EventPump.h"
#include "system/FileNames.h"

namespace vistarel {

using namespace Qt::StringLiterals;

namespace {

// The library's wide text of an answer, which CopyLibraryString turns back
// into the same string.
std::wstring ToWide(const QString& text) {
  std::wstring wide;
  wide.reserve(std::size_t(text.size()));
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar unit = text[i];
    if (unit.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
      wide.push_back(wchar_t(QChar::surrogateToUcs4(unit, text[i + 1])));
      ++i;
    } else {
      wide.push_back(wchar_t(unit.unicode()));
    }
  }
  return wide;
}

// How long a wait reads a worker's pipe alone before the window's events get
// their turn: one frame.
constexpr int kFrameMs = 15;

// Waits until `take` has the answers: on the worker's pipe while they come
// within a frame, else through `pump`, so that the window always answers.
template <class Take, class WaitOnWorker>
MediaAnswers Await(IEventPump& pump, Take&& take, WaitOnWorker&& waitOnWorker) {
  for (;;) {
    if (std::optional<MediaAnswers> answers = take())
      return std::move(*answers);
    if (!waitOnWorker(kFrameMs))
      pump.Wait();
  }
}

}  // namespace

PooledMediaLibrary::PooledMediaLibrary(MediaWorkerCommand command, QList<MediaQuery> queries,
                                       MediaWorkerPool::Limits limits)
    : command_(std::move(command)), queries_(std::move(queries)), limits_(limits) {}

PooledMediaLibrary::~PooledMediaLibrary() = default;

void PooledMediaLibrary::ReadAhead(const QStringList& files, IEventPump& pump) {
  MediaWorkerPool::Limits limits = limits_;
  limits.workers = std::min(MediaWorkerPool::DefaultWorkerCount(int(files.size())), mostWorkers_);
  files_ = files;
  pool_ = std::make_unique<MediaWorkerPool>(command_, files, limits);
  pump_ = &pump;
  nextFile_ = 0;
}

void PooledMediaLibrary::EndReadAhead() noexcept {
  pool_.reset();
  files_.clear();
  pump_ = nullptr;
  handles_.clear();
  noHandle_.reset();
}

void PooledMediaLibrary::Load() {
  if (noHandle_)
    throw *noHandle_;
}

IMediaLibrary::Handle PooledMediaLibrary::New() {
  if (pool_ == nullptr)
    throw Failure(u"No files were handed to the media workers"_s);
  const int file = nextFile_++;
  MediaAnswers answers = Await(
      *pump_, [&] { return pool_->TakeListFile(file); },
      [&](int milliseconds) { return pool_->WaitForListFile(file, milliseconds); });
  noHandle_ = answers.noHandle;
  if (noHandle_)
    throw *noHandle_;
  auto parsed = std::make_unique<Parsed>();
  parsed->path = files_.value(file);
  for (const QString& value : answers.values) parsed->values.push_back(ToWide(value));
  parsed->answers = std::move(answers);
  const Handle handle = parsed.get();
  handles_.emplace(handle, std::move(parsed));
  return handle;
}

PooledMediaLibrary::Parsed& PooledMediaLibrary::Of(Handle handle) {
  const auto found = handles_.find(handle);
  if (found == handles_.end())
    throw Failure(u"The MediaInfo handle is not one of this run's"_s);
  return *found->second;
}

std::size_t PooledMediaLibrary::Open(Handle handle, const wchar_t*) {
  const Parsed& parsed = Of(handle);
  if (parsed.answers.stopped)
    throw *parsed.answers.stopped;
  return parsed.answers.opened ? 1 : 0;
}

const wchar_t* PooledMediaLibrary::Get(Handle handle, int streamKind, std::size_t streamNumber,
                                       const wchar_t* parameter, int infoKind, int searchKind) {
  const Parsed& parsed = Of(handle);
  // A parse that stopped has no answers: its cells stay empty.
  if (parsed.values.empty())
    return nullptr;
  const QString name = CopyLibraryString(parameter);
  // The workers ask for the text of the first stream, by name.
  if (streamNumber == 0 && infoKind == 1 && searchKind == 0) {
    for (qsizetype q = 0; q < queries_.size() && q < qsizetype(parsed.values.size()); ++q) {
      if (int(queries_[q].kind) == streamKind && queries_[q].parameter == name)
        return parsed.values[std::size_t(q)].c_str();
    }
  }
  throw Failure(u"The media workers were not asked for %1"_s.arg(name));
}

void PooledMediaLibrary::Close(Handle handle) {
  const Parsed& parsed = Of(handle);
  // A file whose parse stopped shows no media values in the shell either,
  // rather than be read, crash or stall a second time.
  std::optional<FileStamp> identity = parsed.answers.identity;
  if (!identity && parsed.answers.stopped)
    identity = StampOf(EncodeFileName(parsed.path));
  if (identity)
    last_ = Remembered{*identity, parsed.answers.shell};
  else
    last_.reset();
}

void PooledMediaLibrary::Delete(Handle handle) {
  Of(handle);
  handles_.erase(handle);
}

std::size_t PooledMediaLibrary::OpenBufferInit(Handle, std::uint64_t, std::uint64_t) {
  throw Failure(u"The media workers read the files themselves"_s);
}

std::size_t PooledMediaLibrary::OpenBufferContinue(Handle, const std::uint8_t*, std::size_t) {
  throw Failure(u"The media workers read the files themselves"_s);
}

std::uint64_t PooledMediaLibrary::OpenBufferContinueGoToGet(Handle) {
  throw Failure(u"The media workers read the files themselves"_s);
}

std::size_t PooledMediaLibrary::OpenBufferFinalize(Handle) {
  throw Failure(u"The media workers read the files themselves"_s);
}

std::optional<ShellMediaValues> PooledMediaLibrary::Recall(const FileStamp& identity) const {
  if (last_ && last_->identity == identity)
    return last_->values;
  return std::nullopt;
}

ShellMediaValues PooledMediaLibrary::Parse(const QString& path) {
  // Outside a run, a worker of its own reads the file.
  NoEventPump ownPump;
  std::unique_ptr<MediaWorkerPool> own;
  MediaWorkerPool* pool = pool_.get();
  if (pool == nullptr) {
    MediaWorkerPool::Limits limits = limits_;
    limits.workers = 1;
    own = std::make_unique<MediaWorkerPool>(command_, QStringList{}, limits);
    pool = own.get();
  }
  const int ticket = pool->Submit(path);
  IEventPump& pump = pump_ != nullptr ? *pump_ : ownPump;
  const MediaAnswers answers = Await(
      pump, [&] { return pool->TakeSubmitted(ticket); },
      [&](int milliseconds) { return pool->WaitForSubmitted(ticket, milliseconds); });
  // A file the library cannot read shows no values rather than fail.
  return answers.noHandle || answers.stopped ? ShellMediaValues{} : answers.shell;
}

}  // namespace vistarel
