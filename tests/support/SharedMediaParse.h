#pragma once

#include <optional>
#include <unordered_map>

#include "protocol/FileStamp.h"
#include "worker/MediaLibrary.h"
#include "worker/ShellMediaValues.h"

namespace vistarel {

// Where the in-process shell takes a media file's values from. The extraction
// run has just parsed the file it asks about, so its values are usually at hand.
class IShellMediaSource {
 public:
  virtual ~IShellMediaSource() = default;
  // The values of the file parsed last, when `identity` is that file, unchanged
  // since.
  virtual std::optional<ShellMediaValues> Recall(const FileStamp& identity) const = 0;
  // Parses the file for its values; empty values when it cannot be read.
  virtual ShellMediaValues Parse(const QString& path) = 0;
};

// The MediaInfo library as the extraction run and the desktop shell share it.
// Every call passes through; when a handle that opened a file by its path is
// closed, the shell's media values are read from it first and kept. The run
// parses each file once for its 38 queries, and the shell's media columns of
// that file come from the same parse instead of a second one.
class SharedMediaParse final : public IMediaLibrary, public IShellMediaSource {
 public:
  explicit SharedMediaParse(IMediaLibrary& library) : library_(library) {}

  std::optional<ShellMediaValues> Recall(const FileStamp& identity) const override;
  // A parse of the shell's own, with the library itself.
  ShellMediaValues Parse(const QString& path) override {
    return ParseShellMediaValues(library_, path);
  }

  void Load() override { library_.Load(); }
  Handle New() override { return library_.New(); }
  std::size_t Open(Handle handle, const wchar_t* path) override;
  const wchar_t* Get(Handle handle, int streamKind, std::size_t streamNumber,
                     const wchar_t* parameter, int infoKind, int searchKind) override {
    return library_.Get(handle, streamKind, streamNumber, parameter, infoKind, searchKind);
  }
  void Close(Handle handle) override;
  void Delete(Handle handle) override;
  // A file handed over by content is not kept: the shell parses it itself.
  std::size_t OpenBufferInit(Handle handle, std::uint64_t fileSize,
                             std::uint64_t fileOffset) override {
    return library_.OpenBufferInit(handle, fileSize, fileOffset);
  }
  std::size_t OpenBufferContinue(Handle handle, const std::uint8_t* bytes,
                                 std::size_t size) override {
    return library_.OpenBufferContinue(handle, bytes, size);
  }
  std::uint64_t OpenBufferContinueGoToGet(Handle handle) override {
    return library_.OpenBufferContinueGoToGet(handle);
  }
  std::size_t OpenBufferFinalize(Handle handle) override {
    return library_.OpenBufferFinalize(handle);
  }

 private:
  struct Parsed {
    FileStamp identity;
    ShellMediaValues values;
  };

  IMediaLibrary& library_;
  std::unordered_map<Handle, FileStamp> opened_;
  std::optional<Parsed> last_;
};

}  // namespace vistarel
