#pragma once

#include <QString>

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

 private:
  QString folder_;
  DIR* dir_;
  int openError_ = 0;
};

}  // namespace vistarel
