#include "support/TempTree.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <filesystem>

namespace vistarel::test {

TempTree::TempTree() : root_(QDir(dir_.path()).canonicalPath()) {
  dir_.setAutoRemove(false);
}

TempTree::~TempTree() {
  if (!dir_.isValid())
    return;
  namespace fs = std::filesystem;
  const fs::path root(QFile::encodeName(root_).toStdString());
  std::error_code error;
  fs::permissions(root, fs::perms::owner_all, fs::perm_options::add, error);
  for (auto it = fs::recursive_directory_iterator(root, error);
       it != fs::recursive_directory_iterator(); it.increment(error)) {
    if (error)
      break;
    if (it->is_directory(error) && !it->is_symlink(error)) {
      fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, error);
    }
  }
  fs::remove_all(root, error);
}

QString TempTree::Path(const QString& relative) const {
  return root_ + u'/' + relative;
}

QString TempTree::File(const QString& relative, const QByteArray& content) const {
  const QString path = Path(relative);
  QDir().mkpath(QFileInfo(path).path());
  QFile file(path);
  if (file.open(QIODevice::WriteOnly))
    file.write(content);
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
