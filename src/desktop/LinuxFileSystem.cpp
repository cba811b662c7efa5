#include "desktop/LinuxFileSystem.h"

#include <cerrno>
#include <cstring>
#include <memory>

#include <sys/stat.h>

#include "base/Failure.h"
#include "base/PathHelpers.h"
#include "desktop/FileProperties.h"
#include "desktop/TextFileStream.h"
#include "system/DirectoryListing.h"
#include "system/Errno.h"
#include "system/FileAttributes.h"
#include "system/FileNames.h"
#include "system/FileStatus.h"
#include "system/FolderReader.h"

namespace vistarel {

using namespace Qt::StringLiterals;

namespace {

class LinuxFolder final : public IFolder {
 public:
  LinuxFolder(QString path, const FileStamp& stamp) : path_(std::move(path)), stamp_(stamp) {}

  bool IsRootFolder() override { return WithoutTrailingSeparators(path_) == kPathSeparator; }

  int Attributes() override { return AttributesOf(path_); }

  QStringList SubFolders() override {
    FolderReader dir(path_);
    if (!dir.IsOpen())
      ThrowErrno(dir.OpenError(), path_);
    QStringList names;
    while (const dirent* entry = dir.Next()) {
      if (dir.IsFolder(*entry))
        names.append(DecodeFileName(entry->d_name, qsizetype(std::strlen(entry->d_name))));
    }
    SortNames(names);
    return names;
  }

  FileStamp Identity() override { return stamp_; }

 private:
  QString path_;
  FileStamp stamp_;
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
    throw Failure(u"The file object has no property %1"_s.arg(name),
                  failure_number::kNoSuchProperty);
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
  return std::make_unique<LinuxFolder>(path, LookUpFolder(path));
}

std::unique_ptr<IFile> LinuxFileSystem::GetFile(const QString& path) {
  // The kernel resolves the path as given; the properties show it absolute.
  QByteArray encoded = EncodeFileName(path);
  int error = 0;
  const std::optional<struct statx> status = StatX(encoded, true, &error);
  if (!status)
    ThrowErrno(error, path);
  if (S_ISDIR(status->stx_mode))
    ThrowErrno(EISDIR, path, failure_number::kFileNotFound);
  return std::make_unique<LinuxFile>(AbsolutePath(path), std::move(encoded), *status);
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
