#include "desktop/LinuxFileSystem.h"

#include <cerrno>
#include <cstring>
#include <memory>

#include <dirent.h>
#include <fcntl.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/vfs.h>

#include "base/Failure.h"
#include "base/PathHelpers.h"
#include "system/DirectoryListing.h"
#include "system/FileAttributes.h"
#include "system/FileNames.h"
#include "desktop/FileProperties.h"
#include "system/FolderReader.h"
#include "desktop/TextFileStream.h"

namespace vistarel {

using namespace Qt::StringLiterals;

namespace {

constexpr int kNoSuchProperty = 438;

[[noreturn]] void ThrowFailure(int error, const QString& path, int number) {
  throw Failure(QString::fromLocal8Bit(std::strerror(error)) + u": "_s + path, number);
}

class LinuxFolder final : public IFolder {
 public:
  LinuxFolder(QString path, const struct stat& status)
      : path_(std::move(path)),
        identity_{std::uint64_t(status.st_dev), std::uint64_t(status.st_ino)} {}

  bool IsRootFolder() override { return WithoutTrailingSeparators(path_) == kPathSeparator; }

  int Attributes() override { return AttributesOf(path_); }

  QStringList SubFolders() override {
    FolderReader dir(path_);
    if (!dir.IsOpen())
      ThrowErrno(dir.OpenError(), path_);
    const bool followsLinks = !IsKernelFileSystem(dirfd(dir.get()));
    QStringList names;
    while (const dirent* entry = dir.Next()) {
      if (!IsFolder(dir.get(), *entry, followsLinks))
        continue;
      names.append(DecodeFileName(entry->d_name, qsizetype(std::strlen(entry->d_name))));
    }
    SortNames(names);
    return names;
  }

  FolderIdentity Identity() override { return identity_; }

 private:
  // The kernel's own file systems link their objects to each other in a web
  // (every device to its bus, driver and class and back; every process to its
  // folders): a walk that followed those links as folders would practically
  // never end. Their real folders are folders as anywhere.
  static bool IsKernelFileSystem(int folder) {
    struct statfs system {};
    return fstatfs(folder, &system) == 0 &&
           (system.f_type == PROC_SUPER_MAGIC || system.f_type == SYSFS_MAGIC);
  }

  // The entry's type answers for most entries, so a large folder of files
  // costs no stat per file; links and unknown types are looked up.
  static bool IsFolder(DIR* dir, const dirent& entry, bool followsLinks) {
    if (entry.d_type == DT_DIR)
      return true;
    if (entry.d_type != DT_LNK && entry.d_type != DT_UNKNOWN)
      return false;
    struct stat target {};
    const int flags = followsLinks ? 0 : AT_SYMLINK_NOFOLLOW;
    return fstatat(dirfd(dir), entry.d_name, &target, flags) == 0 && S_ISDIR(target.st_mode);
  }

  QString path_;
  FolderIdentity identity_;
};

class LinuxFile final : public IFile {
 public:
  LinuxFile(QString path, QByteArray encodedPath, const struct statx& status)
      : path_(std::move(path)), encodedPath_(std::move(encodedPath)), status_(status) {}

  QString Property(const QString& name) override {
    if (name == u"name"_s || name == u"ShortName"_s)
      return FileNameOf(path_);
    if (name == u"DateCreated"_s)
      return (status_.stx_mask & STATX_BTIME) != 0 ? DateText(status_.stx_btime) : QString();
    if (name == u"DateLastAccessed"_s)
      return DateText(status_.stx_atime);
    if (name == u"DateLastModified"_s)
      return DateText(status_.stx_mtime);
    if (name == u"Drive"_s)
      return DriveOf(encodedPath_);
    if (name == u"ParentFolder"_s)
      return WithoutTrailingSeparators(FolderOf(path_));
    if (name == u"Size"_s)
      return QString::number(status_.stx_size);
    if (name == u"path"_s || name == u"ShortPath"_s)
      return path_;
    if (name == u"Type"_s)
      return FileTypeDescription(path_, encodedPath_, status_.stx_mode);
    throw Failure(u"The file object has no property %1"_s.arg(name), kNoSuchProperty);
  }

 private:
  static QString DateText(const struct statx_timestamp& time) {
    return FileDateText(
        QDateTime::fromMSecsSinceEpoch(time.tv_sec * 1000 + time.tv_nsec / 1000000));
  }

  QString path_;
  QByteArray encodedPath_;
  struct statx status_;
};

}  // namespace

std::unique_ptr<IFolder> LinuxFileSystem::GetFolder(const QString& path) {
  struct stat status {};
  if (stat(EncodeFileName(path).constData(), &status) != 0) {
    const int error = errno;
    if (error == ENOENT || error == ENOTDIR)
      ThrowFailure(error, path, failure_number::kPathNotFound);
    ThrowErrno(error, path);
  }
  if (!S_ISDIR(status.st_mode))
    ThrowFailure(ENOTDIR, path, failure_number::kPathNotFound);
  return std::make_unique<LinuxFolder>(path, status);
}

std::unique_ptr<IFile> LinuxFileSystem::GetFile(const QString& path) {
  // The kernel resolves the path as given; the properties show it absolute.
  QByteArray encoded = EncodeFileName(path);
  struct statx status {};
  if (statx(AT_FDCWD, encoded.constData(), 0, STATX_BASIC_STATS | STATX_BTIME, &status) != 0)
    ThrowErrno(errno, path);
  if (S_ISDIR(status.stx_mode))
    ThrowFailure(EISDIR, path, failure_number::kFileNotFound);
  return std::make_unique<LinuxFile>(AbsolutePath(path), std::move(encoded), status);
}

QString LinuxFileSystem::GetExtensionName(const QString& path) {
  const QString name = FileNameOf(WithoutTrailingSeparators(path));
  const qsizetype dot = name.lastIndexOf(u'.');
  return dot < 0 ? QString() : name.mid(dot + 1);
}

std::unique_ptr<ITextStream> LinuxFileSystem::CreateTextFile(const QString& path, bool overwrite) {
  return OpenTextFileStream(path, overwrite);
}

}  // namespace vistarel
