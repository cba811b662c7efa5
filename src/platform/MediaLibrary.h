#pragma once

#include <QStringList>

#include <cstddef>
#include <cstdint>

namespace vistarel {

class IEventPump;

// MediaInfo stream kinds, as the library numbers them.
enum class StreamKind { General = 0, Video = 1, Audio = 2 };

// The calls of the MediaInfo library's C interface that the program makes, one
// for one. Text is the library's wide text: UTF-32 where wchar_t has 32 bits.
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

  // A library that reads the files in processes of its own: Open takes the path
  // as it is, and how the file reaches the library is the reader's business.
  virtual bool ReadsFilesElsewhere() const { return false; }
  // The run's files, in the order of their New calls, handed over before the
  // first: a library that reads elsewhere starts reading them ahead and, while
  // a file's answers are not in yet, waits through `pump`. Ended by
  // EndReadAhead.
  virtual void ReadAhead(const QStringList& files, IEventPump& pump) {
    static_cast<void>(files);
    static_cast<void>(pump);
  }
  virtual void EndReadAhead() noexcept {}

  static constexpr std::uint64_t kNoSeek = ~std::uint64_t{0};
  // The bit of OpenBufferContinue's status that says the library has read enough.
  static constexpr std::size_t kBufferFinalized = 0x08;
};

// The read-ahead of one run, ended when the run ends, however it ends.
class MediaReadAhead {
 public:
  MediaReadAhead() = default;
  MediaReadAhead(IMediaLibrary& library, const QStringList& files, IEventPump& pump)
      : library_(&library) {
    library.ReadAhead(files, pump);
  }
  ~MediaReadAhead() {
    if (library_ != nullptr)
      library_->EndReadAhead();
  }
  MediaReadAhead(const MediaReadAhead&) = delete;
  MediaReadAhead& operator=(const MediaReadAhead&) = delete;

 private:
  IMediaLibrary* library_ = nullptr;
};

}  // namespace vistarel
