#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <optional>
#include <utility>

#include "system/FileDescriptor.h"

namespace vistarel {

// A regular file open for reading. It is opened without blocking and checked
// on the open descriptor, so that a FIFO or device put in a file's place (even
// between a look and the open) is never read: a FIFO would block the reader
// until a writer comes, a device would stream without end.
class RegularFile {
 public:
  // The file at the path; none, with the errno why in `error` (EINVAL for a
  // path that is no regular file), when it cannot be opened as one.
  static std::optional<RegularFile> Open(const QByteArray& encodedPath, int* error = nullptr);

  std::uint64_t Size() const { return size_; }
  // Reads at most `size` bytes at the current offset: how many were read, 0 at
  // the end, -1 with errno on a failure.
  std::int64_t Read(void* buffer, std::uint64_t size);
  bool Seek(std::uint64_t offset);

 private:
  RegularFile(FileDescriptor file, std::uint64_t size) : file_(std::move(file)), size_(size) {}

  FileDescriptor file_;
  std::uint64_t size_;
};

// The bytes of a regular file of at most `maxBytes`. Throws Failure for
// anything that is not a regular file, for a file that is too large and for
// the system's own errors.
QByteArray ReadRegularFile(const QString& path, qint64 maxBytes);

// At most the first `bytes` bytes of a regular file; nothing when the path is
// no regular file or cannot be read.
QByteArray ReadFileHead(const QByteArray& encodedPath, qsizetype bytes);

}  // namespace vistarel
