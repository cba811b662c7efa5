#pragma once

#include <QString>

#include "base/Failure.h"
#include "worker/MediaLibrary.h"

#include <optional>

namespace vistarel {

// The MediaInfo library of the system, loaded by its file name at first use.
// Nothing links against it, so a machine without it still starts the program;
// then every call fails with the loader's reason.
class MediaInfoLibrary final : public IMediaLibrary {
 public:
  static constexpr char kDefaultFileName[] = "libmediainfo.so.0";

  explicit MediaInfoLibrary(QString fileName = QString::fromLatin1(kDefaultFileName));
  ~MediaInfoLibrary() override;
  MediaInfoLibrary(const MediaInfoLibrary&) = delete;
  MediaInfoLibrary& operator=(const MediaInfoLibrary&) = delete;

  void Load() override;
  Handle New() override;
  std::size_t Open(Handle handle, const wchar_t* path) override;
  const wchar_t* Get(Handle handle, int streamKind, std::size_t streamNumber,
                     const wchar_t* parameter, int infoKind, int searchKind) override;
  void Close(Handle handle) override;
  void Delete(Handle handle) override;
  std::size_t OpenBufferInit(Handle handle, std::uint64_t fileSize,
                             std::uint64_t fileOffset) override;
  std::size_t OpenBufferContinue(Handle handle, const std::uint8_t* bytes,
                                 std::size_t size) override;
  std::uint64_t OpenBufferContinueGoToGet(Handle handle) override;
  std::size_t OpenBufferFinalize(Handle handle) override;

 private:
  struct Entries;
  const Entries& Loaded();

  QString fileName_;
  void* module_ = nullptr;
  Entries* entries_ = nullptr;
  // Kept after the first failed load, so that later calls fail alike at once.
  std::optional<Failure> loadFailure_;
};

}  // namespace vistarel
