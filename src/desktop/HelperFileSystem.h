#pragma once

#include <chrono>
#include <vector>

#include "desktop/FolderWalker.h"
#include "platform/FileSystem.h"

namespace vistarel {

// The file-system object of the window, which never looks at the disk
// itself: the walk's folders and listings come from a helper process beside
// it, a run's files from the facts their media worker gathered, and the text
// export is written by a helper of its own.
class HelperFileSystem final : public IFileSystem {
 public:
  explicit HelperFileSystem(HelperCommand command,
                            std::chrono::milliseconds stallLimit = std::chrono::seconds(30));

  std::unique_ptr<IFolder> GetFolder(const QString& path) override;
  std::unique_ptr<IFile> GetFile(const QString& path, const FileFacts& facts) override;
  QString GetExtensionName(const QString& path) override;
  std::vector<ListedFile> ListFiles(const QString& folder, const QString& pattern,
                                    int mask) override;
  int GetAttributes(const QString& path) override;
  void BeginWalk(IEventPump& pump) override;
  void EndWalk() noexcept override;
  std::unique_ptr<ITextStream> CreateTextFile(const QString& path, bool overwrite,
                                              IEventPump& pump) override;

 private:
  IEventPump& Pump();

  HelperCommand command_;
  std::chrono::milliseconds stallLimit_;
  FolderWalker walker_;
  std::vector<IEventPump*> pumps_;  // of the walks under way, the innermost last
};

}  // namespace vistarel
