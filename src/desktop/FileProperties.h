#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QLocale>
#include <QMimeType>
#include <QString>

#include <sys/types.h>

namespace vistarel {

// A file date as the user reads it: the locale's short date and its time with
// seconds (without a time zone).
QString FileDateText(const QDateTime& moment, const QLocale& locale = QLocale::system());

// The description of the file's type in the shared MIME database ("MPEG-4
// video"). The name decides; where it is ambiguous (".ts": transport stream or
// translation file) or unknown, the first bytes of a regular file decide too.
// A FIFO, socket or device is described by its kind and never opened.
QString FileTypeDescription(const QString& path, const QByteArray& encodedPath, mode_t mode);
// The MIME type that description belongs to, found the same way.
QMimeType FileMimeType(const QString& path, const QByteArray& encodedPath, mode_t mode);

// The mount point of the file system that holds the path.
QString DriveOf(const QByteArray& encodedPath);

// The absolute form of a path, with "." and ".." elements and doubled
// separators resolved as text.
QString AbsolutePath(const QString& path);

}  // namespace vistarel
