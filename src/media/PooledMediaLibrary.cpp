#include "media/PooledMediaLibrary.h"

#include <algorithm>

#include "helpers/Await.h"
#include "media/MediaInfoDLL.h"
#include "platform/EventPump.h"

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

}  // namespace

PooledMediaLibrary::PooledMediaLibrary(HelperCommand command, QList<MediaQuery> queries,
                                       MediaWorkerPool::Limits limits)
    : command_(std::move(command)), queries_(std::move(queries)), limits_(limits) {}

PooledMediaLibrary::~PooledMediaLibrary() = default;

void PooledMediaLibrary::ReadAhead(const QStringList& files, IEventPump& pump) {
  MediaWorkerPool::Limits limits = limits_;
  const int fileCount = int(files.size());
  limits.workers = std::min(MediaWorkerPool::DefaultWorkerCount(fileCount), mostWorkers_);
  limits.mostWorkers = std::min(MediaWorkerPool::MostWorkerCount(fileCount), mostWorkers_);
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
  current_.reset();
  currentPath_.clear();
}

void PooledMediaLibrary::Load() {
  if (noHandle_)
    throw *noHandle_;
}

IMediaLibrary::Handle PooledMediaLibrary::New() {
  if (pool_ == nullptr)
    throw Failure(u"No files were handed to the media workers"_s);
  const int file = nextFile_++;
  current_ = AwaitThrough(
      *pump_, [&] { return pool_->TakeListFile(file); },
      [&](int milliseconds) { pool_->Poll(milliseconds); });
  currentPath_ = files_.value(file);
  const MediaAnswers& answers = current_->media;
  noHandle_ = answers.noHandle;
  if (noHandle_)
    throw *noHandle_;
  auto parsed = std::make_unique<Parsed>();
  for (const QString& value : answers.values) parsed->values.push_back(ToWide(value));
  parsed->answers = answers;
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
  Of(handle);
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

const worker_message::RunFacts* PooledMediaLibrary::FactsOf(const QString& path) const {
  return current_ && path == currentPath_ ? &current_->facts : nullptr;
}

const worker_message::RunFacts* PooledMediaLibrary::CurrentFacts() const {
  return current_ ? &current_->facts : nullptr;
}

ShellMediaValues PooledMediaLibrary::MediaValuesOf(const EntryFacts& entry) const {
  if (!current_)
    return {};
  const MediaAnswers& media = current_->media;
  // The file the run parsed, unchanged since: its values, or none when its
  // parse stopped, rather than read, crash or stall a second time.
  if (entry.stamp && media.identity && *entry.stamp == *media.identity)
    return media.noHandle || media.stopped ? ShellMediaValues{} : media.shell;
  for (const worker_message::SiblingValues& sibling : current_->siblings) {
    if (sibling.item == entry.item)
      return sibling.values;
  }
  return {};
}

}  // namespace vistarel
