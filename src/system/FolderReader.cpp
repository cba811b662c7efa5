#include "system/FolderReader.h"

#include <cerrno>

#include <fcntl.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/vfs.h>

#include "system/CallProgress.h"
#include "system/Errno.h"
#include "system/FileNames.h"

namespace vistarel {

FolderReader::FolderReader(const QString& folder)
    : folder_(folder), dir_(opendir(EncodeFileName(folder).constData())) {
  if (dir_ == nullptr)
    openError_ = errno;
  CallReturned();
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
    CallReturned();
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

bool FolderReader::FollowsLinks() {
  if (!followsLinks_) {
    struct statfs system {};
    followsLinks_ = !(fstatfs(dirfd(dir_), &system) == 0 &&
                      (system.f_type == PROC_SUPER_MAGIC || system.f_type == SYSFS_MAGIC));
  }
  return *followsLinks_;
}

bool FolderReader::IsFolder(const dirent& entry) {
  if (entry.d_type == DT_DIR)
    return true;
  if (entry.d_type != DT_LNK && entry.d_type != DT_UNKNOWN)
    return false;
  struct stat target {};
  const int flags = FollowsLinks() ? 0 : AT_SYMLINK_NOFOLLOW;
  const bool found = fstatat(dirfd(dir_), entry.d_name, &target, flags) == 0;
  CallReturned();
  return found && S_ISDIR(target.st_mode);
}

}  // namespace vistarel
