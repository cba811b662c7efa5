#include "desktop/FileProperties.h"

#include <QDir>
#include <QMimeDatabase>


#include "base/PathHelpers.h"
#include "system/FileStatus.h"

namespace vistarel {

using namespace Qt::StringLiterals;

namespace {

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

QString FileDateText(qint64 msecsSinceEpoch) {
  return FileDateText(QDateTime::fromMSecsSinceEpoch(msecsSinceEpoch));
}

QMimeType MimeTypeNamed(const QString& name) {
  // The database is the process's own; each of these is a look-up in memory.
  return QMimeDatabase().mimeTypeForName(name);
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
