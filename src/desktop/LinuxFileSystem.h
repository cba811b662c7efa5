#pragma once

#include "platform/FileSystem.h"

namespace vistarel {

// The file-system object on Linux: every call on a path goes by the path's own
// bytes (EncodeFileName), so names that are not valid UTF-8 stay reachable, and
// nothing ever opens a FIFO, socket or device.
class LinuxFileSystem final : public IFileSystem {
 public:
  std::unique_ptr<IFolder> GetFolder(const QString& path) override;
  std::unique_ptr<IFile> GetFile(const QString& path) override;
  QString GetExtensionName(const QString& path) override;
  std::unique_ptr<ITextStream> CreateTextFile(const QString& path, bool overwrite) override;
};

}  // namespace vistarel
