#include "desktop/FileProperties.h"

#include <QDir>
#include <QMimeDatabase>
#include <QStorageInfo>

#include <sys/stat.h>

#include "base/PathHelpers.h"
#include "system/FileNames.h"
#include "system/FileStatus.h"
#include "system/RegularFile.h"

namespace vistarel {

using namespace Qt::StringLiterals;

namespace {

// As much of a file's start as the MIME database's content rules look at.
constexpr qsizetype kContentHead = 16 * 1024;

// The locale's long time format without its time-zone fields, which the user
// does not expect on a file date; literal text in quotes stays.
QString TimeFormatWithSeconds(const QLocale& locale) {
  const QString format = locale.timeFormat(QLocale::LongFormat);
  QString kept;
  bool quoted = false;
  for (const QChar c : format) {
    if (c == u'\'')
      quoted = !quoted;
    if (!quoted && c == u't')
      continue;
    kept.append(c);
  }
  return kept.simplified();
}

QString KindName(mode_t mode) {
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

}  // namespace

QString FileDateText(const QDateTime& moment, const QLocale& locale) {
  // A run writes several dates per file; the locale's format is worked out once.
  thread_local QLocale formatLocale = QLocale::c();
  thread_local QString timeFormat = TimeFormatWithSeconds(formatLocale);
  if (locale != formatLocale) {
    formatLocale = locale;
    timeFormat = TimeFormatWithSeconds(locale);
  }
  return locale.toString(moment.date(), QLocale::ShortFormat) + u' ' +
         locale.toString(moment.time(), timeFormat);
}

QString FileTypeDescription(const QString& path, const QByteArray& encodedPath, mode_t mode) {
  return FileMimeType(path, encodedPath, mode).comment();
}

QMimeType FileMimeType(const QString& path, const QByteArray& encodedPath, mode_t mode) {
  const QMimeDatabase database;
  if (!S_ISREG(mode))
    return database.mimeTypeForName(KindName(mode));
  const QString name = FileNameOf(path);
  const QList<QMimeType> byName = database.mimeTypesForFileName(name);
  if (byName.size() == 1)
    return byName.front();
  return database.mimeTypeForFileNameAndData(name, ReadFileHead(encodedPath, kContentHead));
}

QString DriveOf(const QByteArray& encodedPath) {
  QString path = RealPath(encodedPath);
  if (path.isEmpty())
    return {};
  // Finding the mount point reads the system's whole mount table. The files of
  // one folder share theirs while they stay on the same device (a file system
  // mounted on the folder meanwhile puts them on another).
  const std::optional<FileStamp> file = StampOf(encodedPath);
  const QString folder = FolderOf(path);
  thread_local QString lastFolder;
  thread_local std::uint64_t lastDevice = 0;
  thread_local QString lastDrive;
  if (file && folder == lastFolder && file->device == lastDevice)
    return lastDrive;
  // Qt names paths in UTF-8 only; a mount point is reached through the nearest
  // folder whose name it can carry.
  while (HasUndecodableBytes(path)) {
    path = FolderOf(path);
    if (path.size() > 1)
      path.chop(1);
  }
  const QString drive = QStorageInfo(path).rootPath();
  if (file) {
    lastFolder = folder;
    lastDevice = file->device;
    lastDrive = drive;
  }
  return drive;
}

QString AbsolutePath(const QString& path) {
  if (path.startsWith(kPathSeparator))
    return QDir::cleanPath(path);
  const QString folder = CurrentFolder();
  if (folder.isEmpty())
    return QDir::cleanPath(path);
  return QDir::cleanPath(folder + kPathSeparator + path);
}

}  // namespace vistarel
