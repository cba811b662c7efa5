#pragma once

#include <QList>

#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "media/MediaAnswers.h"
#include "media/MediaWorkerPool.h"
#include "media/RunFacts.h"
#include "platform/MediaLibrary.h"

namespace vistarel {

class IEventPump;

// The MediaInfo library as the window's process sees it when the library runs
// in media workers. A run hands over its files first (ReadAhead); the workers
// read them ahead, in list order, each with its facts. Each New then takes the
// next file's answers, waiting while they are not in yet (the window's events
// get their turn once a frame), and the handle answers Open and the queries
// from them. The calls keep their order and their failures: a library that
// cannot be loaded fails New and every later call of that file; a worker that
// died or stalled on a file fails its Open. The file's facts serve the run's
// file-system object and shell folder.
class PooledMediaLibrary final : public IMediaLibrary, public IRunFacts {
 public:
  // `queries` are those the workers make, in their order; Get answers them.
  PooledMediaLibrary(HelperCommand command, QList<MediaQuery> queries,
                     MediaWorkerPool::Limits limits = {});
  ~PooledMediaLibrary() override;

  bool ReadsFilesElsewhere() const override { return true; }
  void ReadAhead(const QStringList& files, IEventPump& pump) override;
  void EndReadAhead() noexcept override;
  // At most this many workers read a run's files.
  void SetMostWorkers(int most) { mostWorkers_ = most; }
  // The pool of the run under way, if any.
  MediaWorkerPool* Pool() const { return pool_.get(); }

  void Load() override;
  Handle New() override;
  std::size_t Open(Handle handle, const wchar_t* path) override;
  const wchar_t* Get(Handle handle, int streamKind, std::size_t streamNumber,
                     const wchar_t* parameter, int infoKind, int searchKind) override;
  void Close(Handle handle) override;
  void Delete(Handle handle) override;
  // The workers hand the library a file's bytes themselves where a name will not do.
  std::size_t OpenBufferInit(Handle handle, std::uint64_t fileSize,
                             std::uint64_t fileOffset) override;
  std::size_t OpenBufferContinue(Handle handle, const std::uint8_t* bytes,
                                 std::size_t size) override;
  std::uint64_t OpenBufferContinueGoToGet(Handle handle) override;
  std::size_t OpenBufferFinalize(Handle handle) override;

  const worker_message::RunFacts* FactsOf(const QString& path) const override;
  const worker_message::RunFacts* CurrentFacts() const override;
  ShellMediaValues MediaValuesOf(const EntryFacts& entry) const override;

 private:
  struct Parsed {
    MediaAnswers answers;
    std::vector<std::wstring> values;  // the answers as the library's text
  };

  Parsed& Of(Handle handle);

  HelperCommand command_;
  QList<MediaQuery> queries_;
  MediaWorkerPool::Limits limits_;
  QStringList files_;
  std::unique_ptr<MediaWorkerPool> pool_;
  IEventPump* pump_ = nullptr;
  int mostWorkers_ = 16;
  int nextFile_ = 0;
  // Why the file of the last New has no handle.
  std::optional<Failure> noHandle_;
  std::unordered_map<Handle, std::unique_ptr<Parsed>> handles_;
  // The file of the last New, all its worker learnt of it.
  QString currentPath_;
  std::optional<ParsedFile> current_;
};

}  // namespace vistarel
