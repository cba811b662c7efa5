#pragma once

#include <QString>

#include <optional>

#include <dirent.h>

namespace vistarel {

// Reads the entries of a folder by the folder's bytes, leaving out "." and "..".
class FolderReader {
 public:
  explicit FolderReader(const QString& folder);
  ~FolderReader();
  FolderReader(const FolderReader&) = delete;
  FolderReader& operator=(const FolderReader&) = delete;

  bool IsOpen() const { return dir_ != nullptr; }
  // Why the folder could not be opened (an errno value); 0 when it is open.
  int OpenError() const { return openError_; }
  // The next entry, or nullptr after the last. Throws Failure when reading fails.
  const dirent* Next();
  // The open folder, for fstatat on its entries.
  DIR* get() const { return dir_; }

  // True when the entry is a folder or a link to one. The entry's type answers
  // for most entries, so that a large folder of files costs no stat per file.
  // On the kernel's own file systems (/proc, /sys) a link never counts: their
  // links form a web (every device to its bus, driver and class and back), and
  // a process's links lead wherever it works, a dead share included.
  bool IsFolder(const dirent& entry);

 private:
  bool FollowsLinks();

  QString folder_;
  DIR* dir_;
  int openError_ = 0;
  std::optional<bool> followsLinks_;
};

}  // namespace vistarel
