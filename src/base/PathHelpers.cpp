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

QString TrimBlanks(const QString& text) {
  qsizetype first = 0;
  qsizetype end = text.size();
  while (first < end && text[first] == u' ') ++first;
  while (end > first && text[end - 1] == u' ') --end;
  return text.mid(first, end - first);
}

QString JoinPath(const QString& folder, const QString& name) {
  return folder.endsWith(kPathSeparator) ? folder + name : folder + kPathSeparator + name;
}

QString ExtensionOf(const QString& path) {
  const QString name = FileNameOf(WithoutTrailingSeparators(path));
  const qsizetype dot = name.lastIndexOf(u'.');
  return dot < 0 ? QString() : name.mid(dot + 1);
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
