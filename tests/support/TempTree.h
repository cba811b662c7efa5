#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

namespace vistarel::test {

// A folder tree built in a temporary folder at run time.
class TempTree {
 public:
  TempTree();
  // Removes the tree by its bytes, also names that are not valid UTF-8 and
  // folders a test made unreadable.
  ~TempTree();
  TempTree(const TempTree&) = delete;
  TempTree& operator=(const TempTree&) = delete;

  const QString& root() const { return root_; }
  // The absolute path of a path relative to the root.
  QString Path(const QString& relative) const;
  // Creates a file (and its folders) holding `content`; returns its path.
  QString File(const QString& relative, const QByteArray& content = {}) const;
  // Creates a folder (and its parents); returns its path.
  QString Folder(const QString& relative) const;
  bool isValid() const { return dir_.isValid(); }

 private:
  QTemporaryDir dir_;
  QString root_;
};

// The folder of the committed test data.
QString TestDataPath(const QString& relative);

}  // namespace vistarel::test
