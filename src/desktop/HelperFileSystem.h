#pragma once

#include "desktop/FolderHelper.h"
#include "platform/FileSystem.h"
#include "platform/Shell.h"

namespace vistarel {

class IRunFacts;

// The file-system object of the window, which never looks at the disk
// itself: the walk's folders and listings come from a helper process beside
// it, a run's files from the facts their media worker gathered. Text files
// (the export's) are written here, as the user asked.
class HelperFileSystem final : public IFileSystem {
 public:
  HelperFileSystem(HelperCommand command, const IRunFacts& run,
                   std::chrono::milliseconds stallLimit = std::chrono::seconds(30));

  std::unique_ptr<IFolder> GetFolder(const QString& path) override;
  // Throws the failure the worker met looking the file up, or 53 when no
  // worker looked at it.
  std::unique_ptr<IFile> GetFile(const QString& path) override;
  QString GetExtensionName(const QString& path) override;
  std::vector<ListedFile> ListFiles(const QString& folder, const QString& pattern,
                                    int mask) override;
  int GetAttributes(const QString& path) override;
  void BeginWalk(IEventPump& pump) override;
  void EndWalk() noexcept override;
  std::unique_ptr<ITextStream> CreateTextFile(const QString& path, bool overwrite) override;

 private:
  IEventPump& Pump();

  FolderHelper helper_;
  const IRunFacts& run_;
  std::vector<IEventPump*> pumps_;  // of the walks under way, the innermost last
};

// The desktop shell of the window: a run's folder as its media worker found it.
class RunShell final : public IShell {
 public:
  explicit RunShell(const IRunFacts& run) : run_(run) {}
  // The folder of the run's current file; throws the failure the worker met
  // looking at it, or 76 for any other folder.
  std::unique_ptr<IShellFolder> Namespace(const QString& path) override;

 private:
  const IRunFacts& run_;
};

}  // namespace vistarel
