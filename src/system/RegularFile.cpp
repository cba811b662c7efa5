#include "system/RegularFile.h"

#include <algorithm>
#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/Failure.h"
#include "system/FileAttributes.h"
#include "system/FileDescriptor.h"
#include "system/FileNames.h"

namespace vistarel {

using namespace Qt::StringLiterals;

QByteArray ReadRegularFile(const QString& path, qint64 maxBytes) {
  const FileDescriptor file(
      open(EncodeFileName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
  if (file.get() < 0)
    ThrowErrno(errno, path);
  struct stat status {};
  if (fstat(file.get(), &status) != 0)
    ThrowErrno(errno, path);
  if (!S_ISREG(status.st_mode)) {
    throw Failure(u"Not a regular file: "_s + path, failure_number::kPathFileAccess);
  }
  if (status.st_size > maxBytes) {
    throw Failure(u"File too large (over "_s + QString::number(maxBytes) + u" bytes): "_s + path,
                  failure_number::kPathFileAccess);
  }

  QByteArray bytes;
  bytes.resize(static_cast<qsizetype>(status.st_size));
  qsizetype filled = 0;
  // Read to the end rather than to the size seen: a file that grows meanwhile
  // stops at the limit, one that shrinks at its end.
  while (true) {
    if (filled == bytes.size()) {
      if (bytes.size() >= maxBytes) {
        char probe = 0;
        const ssize_t more = read(file.get(), &probe, 1);
        if (more > 0) {
          throw Failure(
              u"File too large (over "_s + QString::number(maxBytes) + u" bytes): "_s + path,
              failure_number::kPathFileAccess);
        }
        break;
      }
      bytes.resize(std::min<qsizetype>(maxBytes, std::max<qsizetype>(bytes.size() * 2, 4096)));
    }
    const ssize_t got = read(file.get(), bytes.data() + filled, size_t(bytes.size() - filled));
    if (got < 0) {
      if (errno == EINTR)
        continue;
      ThrowErrno(errno, path);
    }
    if (got == 0)
      break;
    filled += got;
  }
  bytes.truncate(filled);
  return bytes;
}

}  // namespace vistarel
