#include "system/FileStatus.h"

#include <cerrno>
#include <cstdlib>
#include <vector>

#include <sys/xattr.h>
#include <unistd.h>

#include "system/CallProgress.h"
#include "system/Errno.h"
#include "system/FileNames.h"

namespace vistarel {

namespace {

// Most attribute values and link targets fit at the first try.
constexpr size_t kFirstTry = 1024;

std::int64_t Nanoseconds(const timespec& time) {
  return std::int64_t(time.tv_sec) * 1'000'000'000 + time.tv_nsec;
}

}  // namespace

FileStamp StampFrom(const struct stat& status) {
  return FileStamp{std::uint64_t(status.st_dev), std::uint64_t(status.st_ino),
                   std::int64_t(status.st_size), Nanoseconds(status.st_mtim),
                   Nanoseconds(status.st_ctim)};
}

std::optional<FileStamp> StampOf(const QByteArray& encodedPath) {
  struct stat status {};
  const bool found = stat(encodedPath.constData(), &status) == 0;
  CallReturned();
  if (!found)
    return std::nullopt;
  return StampFrom(status);
}

std::optional<struct statx> StatX(const QByteArray& encodedPath, bool followLinks, int* error) {
  struct statx status {};
  const int flags = followLinks ? 0 : AT_SYMLINK_NOFOLLOW;
  const int result = statx(AT_FDCWD, encodedPath.constData(), flags,
                           STATX_BASIC_STATS | STATX_BTIME | STATX_MNT_ID, &status);
  const int why = errno;
  CallReturned();
  if (result == 0)
    return status;
  if (error != nullptr)
    *error = why;
  return std::nullopt;
}

FileStamp LookUpFolder(const QString& path) {
  struct stat status {};
  const int result = stat(EncodeFileName(path).constData(), &status);
  const int error = errno;
  CallReturned();
  if (result != 0) {
    if (error == ENOENT || error == ENOTDIR)
      ThrowErrno(error, path, failure_number::kPathNotFound);
    ThrowErrno(error, path);
  }
  if (!S_ISDIR(status.st_mode))
    ThrowErrno(ENOTDIR, path, failure_number::kPathNotFound);
  return StampFrom(status);
}

bool EntryExists(const QByteArray& encodedPath) {
  struct stat status {};
  const bool found = lstat(encodedPath.constData(), &status) == 0;
  CallReturned();
  return found;
}

bool IsRegularFile(const QByteArray& encodedPath) {
  struct stat status {};
  const bool found = stat(encodedPath.constData(), &status) == 0;
  CallReturned();
  return found && S_ISREG(status.st_mode);
}

QString RealPath(const QByteArray& encodedPath) {
  char* resolved = realpath(encodedPath.constData(), nullptr);
  CallReturned();
  if (resolved == nullptr)
    return {};
  const QString result = DecodeFileName(QByteArray(resolved));
  free(resolved);
  return result;
}

QString LinkTarget(const QByteArray& encodedPath) {
  std::vector<char> target(kFirstTry);
  for (;;) {
    const ssize_t size = readlink(encodedPath.constData(), target.data(), target.size());
    CallReturned();
    if (size < 0)
      return {};
    if (size_t(size) < target.size())
      return DecodeFileName(target.data(), size);
    target.resize(target.size() * 4);
  }
}

QString ExtendedAttribute(const QByteArray& encodedPath, const char* name) {
  std::vector<char> value(kFirstTry);
  ssize_t size = getxattr(encodedPath.constData(), name, value.data(), value.size());
  CallReturned();
  if (size < 0 && errno == ERANGE) {
    size = getxattr(encodedPath.constData(), name, nullptr, 0);
    CallReturned();
    if (size <= 0)
      return {};
    value.resize(size_t(size));
    size = getxattr(encodedPath.constData(), name, value.data(), value.size());
    CallReturned();
  }
  if (size <= 0)
    return {};
  while (size > 0 && value[size_t(size - 1)] == '\0') --size;
  return QString::fromUtf8(value.data(), size);
}

QList<QByteArray> ExtendedAttributeNames(const QByteArray& encodedPath) {
  std::vector<char> names(kFirstTry);
  ssize_t size = listxattr(encodedPath.constData(), names.data(), names.size());
  CallReturned();
  if (size < 0 && errno == ERANGE) {
    size = listxattr(encodedPath.constData(), nullptr, 0);
    CallReturned();
    if (size <= 0)
      return {};
    names.resize(size_t(size));
    size = listxattr(encodedPath.constData(), names.data(), names.size());
    CallReturned();
  }
  QList<QByteArray> list;
  if (size <= 0)
    return list;
  // Each name ends with its NUL.
  for (const QByteArray& name : QByteArray(names.data(), size).split('\0')) {
    if (!name.isEmpty())
      list.append(name);
  }
  return list;
}

QString CurrentFolder() {
  QByteArray folder(4096, '\0');
  if (getcwd(folder.data(), size_t(folder.size())) == nullptr)
    return {};
  folder.truncate(qsizetype(qstrlen(folder.constData())));
  return DecodeFileName(folder);
}

}  // namespace vistarel
