#pragma once

#include <QByteArray>
#include <QSaveFile>
#include <QString>

#include <memory>

#include "platform/FileSystem.h"

namespace vistarel {

// A file written beside its final name and put in place by Commit (in a folder
// the user may not write, written in place). Destroyed without Commit, it
// leaves any earlier file of that name as it was. Failures are Failure: 52 for
// a name Qt cannot carry, 58 when the file exists and may not be replaced, 76
// for a missing folder, 70 when the system refuses, 57 for a failed write.
class SavedFile {
 public:
  static std::unique_ptr<SavedFile> Create(const QString& path, bool overwrite);

  void Write(const QByteArray& bytes);
  void Commit();

 private:
  explicit SavedFile(const QString& path);
  [[noreturn]] void ThrowWriteFailure();

  QString path_;
  QSaveFile file_;
};

// A text file written in this process, as the export's stream.
std::unique_ptr<ITextStream> OpenTextFileStream(const QString& path, bool overwrite);

}  // namespace vistarel
