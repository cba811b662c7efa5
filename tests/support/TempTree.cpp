#include "support/TempTree.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace vistarel::test {

TempTree::TempTree() : root_(QDir(dir_.path()).canonicalPath()) {}

QString TempTree::Path(const QString& relative) const { return root_ + u'/' + relative; }

QString TempTree::File(const QString& relative, const QByteArray& content) const {
  const QString path = Path(relative);
  QDir().mkpath(QFileInfo(path).path());
  QFile file(path);
  if (file.open(QIODevice::WriteOnly)) file.write(content);
  return path;
}

QString TempTree::Folder(const QString& relative) const {
  const QString path = Path(relative);
  QDir().mkpath(path);
  return path;
}

QString TestDataPath(const QString& relative) {
  return QString::fromUtf8(VISTAREL_TEST_DATA_DIR) + u'/' + relative;
}

}  // namespace vistarel::test
