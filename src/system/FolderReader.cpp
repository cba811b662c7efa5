#include "system/FolderReader.h"

#include <cerrno>

#include "system/FileAttributes.h"
#include "system/FileNames.h"

namespace vistarel {

FolderReader::FolderReader(const QString& folder)
    : folder_(folder), dir_(opendir(EncodeFileName(folder).constData())) {
  if (dir_ == nullptr)
    openError_ = errno;
}

FolderReader::~FolderReader() {
  if (dir_ != nullptr)
    closedir(dir_);
}

const dirent* FolderReader::Next() {
  if (dir_ == nullptr)
    return nullptr;
  for (;;) {
    errno = 0;
    const dirent* entry = readdir(dir_);
    if (entry == nullptr) {
      if (errno != 0)
        ThrowErrno(errno, folder_);
      return nullptr;
    }
    const char* name = entry->d_name;
    if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0')))
      continue;
    return entry;
  }
}

}  // namespace vistarel
