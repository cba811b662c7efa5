#pragma once

#include "platform/FileSystem.h"

namespace vistarel {

// The file-system object on Linux, looking at the disk in the calling
// process: the helper answers the walk's questions with it. Every call
// on a path goes by the path's own bytes (EncodeFileName), so names that are
// not valid UTF-8 stay reachable, and nothing ever opens a FIFO, socket or
// device.
class LinuxFileSystem final : public IFileSystem {
 public:
  std::unique_ptr<IFolder> GetFolder(const QString& path) override;
  std::unique_ptr<IFile> GetFile(const QString& path, const FileFacts& facts) override;
  // The file object of a path looked up here and now.
  std::unique_ptr<IFile> GetFile(const QString& path);
  QString GetExtensionName(const QString& path) override;
  std::vector<ListedFile> ListFiles(const QString& folder, const QString& pattern,
                                    int mask) override;
  int GetAttributes(const QString& path) override;
  std::unique_ptr<ITextStream> CreateTextFile(const QString& path, bool overwrite,
                                              IEventPump& pump) override;
  std::unique_ptr<ITextStream> CreateTextFile(const QString& path, bool overwrite);
};

}  // namespace vistarel
