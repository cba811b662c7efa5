#pragma once

#include <QString>
#include <QStringList>

#include <vector>

#include "base/Failure.h"
#include "worker/LinuxFileSystem.h"

namespace vistarel::test {

// The real file-system object, with failures scripted per operation: an
// operation is a call's name ("GetFolder", "IsRootFolder", "Attributes",
// "SubFolders", "Identity", "GetFile", a file property such as "Size" or "Type",
// "GetExtensionName", "CreateTextFile", "WriteLine", "Close"). Every call is
// logged as its operation, a blank and its path.
class FakeFileSystem final : public IFileSystem {
 public:
  // Makes the operation fail with `failure`, on every path or on `path` only.
  void Fail(const QString& operation, const Failure& failure, const QString& path = {});
  // Throws the scripted failure of the operation on the path, if any, after
  // logging the call.
  void Enter(const QString& operation, const QString& path);

  QStringList calls;

  std::unique_ptr<IFolder> GetFolder(const QString& path) override;
  std::unique_ptr<IFile> GetFile(const QString& path, const FileFacts& facts) override;
  QString GetExtensionName(const QString& path) override;
  std::vector<ListedFile> ListFiles(const QString& folder, const QString& pattern,
                                    int mask) override;
  int GetAttributes(const QString& path) override;
  std::unique_ptr<ITextStream> CreateTextFile(const QString& path, bool overwrite,
                                              IEventPump& pump) override;

 private:
  struct ScriptedFailure {
    QString operation;
    QString path;
    Failure failure;
  };

  LinuxFileSystem real_;
  std::vector<ScriptedFailure> failures_;
};

}  // namespace vistarel::test
