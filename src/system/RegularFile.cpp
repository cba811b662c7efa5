#include "system/RegularFile.h"

#include <algorithm>
#include <cerrno>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/Failure.h"
#include "system/CallProgress.h"
#include "system/Errno.h"
#include "system/FileNames.h"

namespace vistarel {

using namespace Qt::StringLiterals;

namespace {

Failure TooLarge(const QString& path, qint64 maxBytes) {
  return Failure(u"File too large (over "_s + QString::number(maxBytes) + u" bytes): "_s + path,
                 failure_number::kPathFileAccess);
}

}  // namespace

std::optional<RegularFile> RegularFile::Open(const QByteArray& encodedPath, int* error) {
  const auto fail = [error](int why) {
    if (error != nullptr)
      *error = why;
    return std::nullopt;
  };
  const int fd = open(encodedPath.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  const int openError = errno;
  CallReturned();
  if (fd < 0)
    return fail(openError);
  FileDescriptor file(fd);
  struct stat status {};
  if (fstat(fd, &status) != 0)
    return fail(errno);
  if (!S_ISREG(status.st_mode))
    return fail(EINVAL);
  return RegularFile(std::move(file), std::uint64_t(status.st_size));
}

std::int64_t RegularFile::Read(void* buffer, std::uint64_t size) {
  ssize_t count = 0;
  do {
    count = read(file_.get(), buffer, size);
  } while (count < 0 && errno == EINTR);
  const int error = errno;
  CallReturned();
  errno = error;
  return count;
}

bool RegularFile::Seek(std::uint64_t offset) {
  return lseek(file_.get(), off_t(offset), SEEK_SET) >= 0;
}

QByteArray ReadRegularFile(const QString& path, qint64 maxBytes) {
  int error = 0;
  std::optional<RegularFile> file = RegularFile::Open(EncodeFileName(path), &error);
  if (!file) {
    if (error == EINVAL)
      throw Failure(u"Not a regular file: "_s + path, failure_number::kPathFileAccess);
    ThrowErrno(error, path);
  }
  if (file->Size() > std::uint64_t(maxBytes))
    throw TooLarge(path, maxBytes);

  QByteArray bytes;
  bytes.resize(qsizetype(file->Size()));
  qsizetype filled = 0;
  // Read to the end rather than to the size seen: a file that grows meanwhile
  // stops at the limit, one that shrinks at its end.
  while (true) {
    if (filled == bytes.size()) {
      if (bytes.size() >= maxBytes) {
        char probe = 0;
        if (file->Read(&probe, 1) > 0)
          throw TooLarge(path, maxBytes);
        break;
      }
      bytes.resize(std::min<qsizetype>(maxBytes, std::max<qsizetype>(bytes.size() * 2, 4096)));
    }
    const std::int64_t got =
        file->Read(bytes.data() + filled, std::uint64_t(bytes.size() - filled));
    if (got < 0)
      ThrowErrno(errno, path);
    if (got == 0)
      break;
    filled += qsizetype(got);
  }
  bytes.truncate(filled);
  return bytes;
}

QByteArray ReadFileHead(const QByteArray& encodedPath, qsizetype bytes) {
  std::optional<RegularFile> file = RegularFile::Open(encodedPath);
  if (!file)
    return {};
  QByteArray head(bytes, Qt::Uninitialized);
  const std::int64_t count = file->Read(head.data(), std::uint64_t(head.size()));
  head.resize(count > 0 ? qsizetype(count) : 0);
  return head;
}

}  // namespace vistarel
