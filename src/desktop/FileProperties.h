#pragma once

#include <QDateTime>
#include <QLocale>
#include <QMimeType>
#include <QString>

namespace vistarel {

// A file date as the user reads it: the locale's short date and its time with
// seconds (without a time zone).
QString FileDateText(const QDateTime& moment, const QLocale& locale = QLocale::system());
// The same for milliseconds since the epoch.
QString FileDateText(qint64 msecsSinceEpoch);

// The type of the shared MIME database of that name ("video/mp4"), whose
// comment describes it ("MPEG-4 video"). Nothing is read from any file.
QMimeType MimeTypeNamed(const QString& name);

// The absolute form of a path, with "." and ".." elements and doubled
// separators resolved as text.
QString AbsolutePath(const QString& path);

}  // namespace vistarel
