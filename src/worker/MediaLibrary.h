#pragma once

#include <cstddef>
#include <cstdint>

namespace vistarel {

// The calls of the MediaInfo library's C interface that the media worker
// makes, one for one. Text is the library's wide text: UTF-32 where wchar_t has 32 bits.
// An answer of Get belongs to the library and is stale after the next call on
// the handle. Every call throws Failure when the library cannot be loaded.
class IMediaLibrary {
 public:
  using Handle = void*;

  virtual ~IMediaLibrary() = default;

  // Loads the library if that has not been done; throws Failure when it cannot
  // be loaded.
  virtual void Load() = 0;

  virtual Handle New() = 0;
  virtual std::size_t Open(Handle handle, const wchar_t* path) = 0;
  virtual const wchar_t* Get(Handle handle, int streamKind, std::size_t streamNumber,
                             const wchar_t* parameter, int infoKind, int searchKind) = 0;
  virtual void Close(Handle handle) = 0;
  virtual void Delete(Handle handle) = 0;

  // Opening by content: the caller hands over the file's bytes.
  virtual std::size_t OpenBufferInit(Handle handle, std::uint64_t fileSize,
                                     std::uint64_t fileOffset) = 0;
  virtual std::size_t OpenBufferContinue(Handle handle, const std::uint8_t* bytes,
                                         std::size_t size) = 0;
  // The offset the library wants to read from next, or kNoSeek.
  virtual std::uint64_t OpenBufferContinueGoToGet(Handle handle) = 0;
  virtual std::size_t OpenBufferFinalize(Handle handle) = 0;

  static constexpr std::uint64_t kNoSeek = ~std::uint64_t{0};
  // The bit of OpenBufferContinue's status that says the library has read enough.
  static constexpr std::size_t kBufferFinalized = 0x08;
};

}  // namespace vistarel
