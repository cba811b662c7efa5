#include "system/FileFacts.h"

#include <QMimeDatabase>
#include <QStorageInfo>

#include <cerrno>

#include <sys/sysmacros.h>

#include "base/PathHelpers.h"
#include "system/Errno.h"
#include "system/FileNames.h"
#include "system/FileStatus.h"
#include "system/Mounts.h"
#include "system/RegularFile.h"

namespace vistarel {

using namespace Qt::StringLiterals;

namespace {

// As much of a file's start as the MIME database's content rules look at.
constexpr qsizetype kContentHead = 16 * 1024;

qint64 Milliseconds(const statx_timestamp& time) {
  return qint64(time.tv_sec) * 1000 + time.tv_nsec / 1000000;
}

QString KindName(unsigned mode) {
  if (S_ISDIR(mode))
    return u"inode/directory"_s;
  if (S_ISFIFO(mode))
    return u"inode/fifo"_s;
  if (S_ISSOCK(mode))
    return u"inode/socket"_s;
  if (S_ISCHR(mode))
    return u"inode/chardevice"_s;
  if (S_ISBLK(mode))
    return u"inode/blockdevice"_s;
  return u"application/octet-stream"_s;
}

// Where the kernel cannot name the mount by its id: the mount table's longest
// match for the real path.
QString DriveByPath(const QByteArray& encodedPath) {
  QString path = RealPath(encodedPath);
  if (path.isEmpty())
    return {};
  // Qt names paths in UTF-8 only; a mount point is reached through the nearest
  // folder whose name it can carry.
  while (HasUndecodableBytes(path)) {
    path = FolderOf(path);
    if (path.size() > 1)
      path.chop(1);
  }
  return QStorageInfo(path).rootPath();
}

}  // namespace

FileStatus StatusFrom(const struct statx& status) {
  FileStatus facts;
  facts.mode = status.stx_mode;
  facts.size = qint64(status.stx_size);
  facts.accessedMs = Milliseconds(status.stx_atime);
  facts.modifiedMs = Milliseconds(status.stx_mtime);
  facts.hasCreated = (status.stx_mask & STATX_BTIME) != 0;
  facts.createdMs = facts.hasCreated ? Milliseconds(status.stx_btime) : 0;
  facts.user = status.stx_uid;
  facts.group = status.stx_gid;
  facts.stamp = FileStamp{makedev(status.stx_dev_major, status.stx_dev_minor), status.stx_ino,
                          std::int64_t(status.stx_size),
                          std::int64_t(status.stx_mtime.tv_sec) * 1'000'000'000 +
                              status.stx_mtime.tv_nsec,
                          std::int64_t(status.stx_ctime.tv_sec) * 1'000'000'000 +
                              status.stx_ctime.tv_nsec};
  facts.hasMountId = (status.stx_mask & STATX_MNT_ID) != 0;
  facts.mountId = facts.hasMountId ? status.stx_mnt_id : 0;
  return facts;
}

PathStatus LookUpPath(const QByteArray& encodedPath) {
  PathStatus looked;
  const std::optional<struct statx> entry = StatX(encodedPath, false, &looked.error);
  if (!entry)
    return looked;
  looked.entry = StatusFrom(*entry);
  if (!S_ISLNK(entry->stx_mode)) {
    looked.target = looked.entry;
  } else if (const std::optional<struct statx> target = StatX(encodedPath, true, &looked.error)) {
    looked.target = StatusFrom(*target);
  }
  return looked;
}

FileFacts GatherFileFacts(const QString& path) {
  return FileFactsFrom(path, LookUpPath(EncodeFileName(path)));
}

FileFacts FileFactsFrom(const QString& path, const PathStatus& looked) {
  FileFacts facts;
  if (!looked.target) {
    facts.failure = ErrnoFailure(looked.error, path);
    return facts;
  }
  facts.status = *looked.target;
  if (S_ISDIR(facts.status.mode)) {
    facts.failure = ErrnoFailure(EISDIR, path, failure_number::kFileNotFound);
    return facts;
  }
  const QByteArray encoded = EncodeFileName(path);
  facts.drive = DriveOf(encoded, facts.status);
  facts.mimeType = MimeTypeName(path, encoded, facts.status.mode);
  if (facts.status.hasMountId) {
    if (const std::optional<Mount> mount = MountById(facts.status.mountId))
      facts.remote = IsRemoteType(mount->type);
  }
  return facts;
}

QString MimeTypeName(const QString& path, const QByteArray& encodedPath, unsigned mode) {
  if (!S_ISREG(mode))
    return KindName(mode);
  const QMimeDatabase database;
  const QString name = FileNameOf(path);
  const QList<QMimeType> byName = database.mimeTypesForFileName(name);
  if (byName.size() == 1)
    return byName.front().name();
  return database.mimeTypeForFileNameAndData(name, ReadFileHead(encodedPath, kContentHead)).name();
}

QString DriveOf(const QByteArray& encodedPath, const FileStatus& status) {
  if (status.hasMountId) {
    if (const std::optional<Mount> mount = MountById(status.mountId))
      return mount->point;
  }
  return DriveByPath(encodedPath);
}

}  // namespace vistarel
