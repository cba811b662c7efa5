#include "base/PathHelpers.h"

namespace vistarel {

QString FileNameOf(const QString& path) {
  const qsizetype at = path.lastIndexOf(kPathSeparator);
  return at < 0 ? path : path.mid(at + 1);
}

QString FolderOf(const QString& path) {
  const qsizetype at = path.lastIndexOf(kPathSeparator);
  return at < 0 ? QString() : path.left(at + 1);
}

QString NameWithoutExtension(const QString& name) {
  const qsizetype at = name.lastIndexOf(u'.');
  return at < 0 ? name : name.left(at);
}

QString WithoutTrailingSeparators(QString path) {
  while (path.size() > 1 && path.endsWith(kPathSeparator)) path.chop(1);
  return path;
}

QString FixRootPath(const QString& path) {
#ifdef Q_OS_WIN
  QString fixed = path;
  return fixed.replace(QStringLiteral(":\\\\"), QStringLiteral(":\\"));
#else
  if (path.startsWith(QStringLiteral("//"))) return path.mid(1);
  return path;
#endif
}

}  // namespace vistarel
