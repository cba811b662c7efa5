#include "system/FileStatus.h"

#include <cerrno>
#include <cstdlib>
#include <vector>

#include <sys/xattr.h>
#include <unistd.h>

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
  if (stat(encodedPath.constData(), &status) != 0)
    return std::nullopt;
  return StampFrom(status);
}

std::optional<struct statx> StatX(const QByteArray& encodedPath, bool followLinks, int* error) {
  struct statx status {};
  const int flags = followLinks ? 0 : AT_SYMLINK_NOFOLLOW;
  if (statx(AT_FDCWD, encodedPath.constData(), flags, STATX_BASIC_STATS | STATX_BTIME, &status) ==
      0)
    return status;
  if (error != nullptr)
    *error = errno;
  return std::nullopt;
}

FileStamp LookUpFolder(const QString& path) {
  struct stat status {};
  if (stat(EncodeFileName(path).constData(), &status) != 0) {
    const int error = errno;
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
  return lstat(encodedPath.constData(), &status) == 0;
}

bool IsRegularFile(const QByteArray& encodedPath) {
  struct stat status {};
  return stat(encodedPath.constData(), &status) == 0 && S_ISREG(status.st_mode);
}

QString RealPath(const QByteArray& encodedPath) {
  char* resolved = realpath(encodedPath.constData(), nullptr);
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
  if (size < 0 && errno == ERANGE) {
    size = getxattr(encodedPath.constData(), name, nullptr, 0);
    if (size <= 0)
      return {};
    value.resize(size_t(size));
    size = getxattr(encodedPath.constData(), name, value.data(), value.size());
  }
  if (size <= 0)
    return {};
  while (size > 0 && value[size_t(size - 1)] == '\0') --size;
  return QString::fromUtf8(value.data(), size);
}

QString CurrentFolder() {
  QByteArray folder(4096, '\0');
  if (getcwd(folder.data(), size_t(folder.size())) == nullptr)
    return {};
  folder.truncate(qsizetype(qstrlen(folder.constData())));
  return DecodeFileName(folder);
}

}  // namespace vistarel
