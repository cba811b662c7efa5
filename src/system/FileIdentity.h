#pragma once

#include <QByteArray>

#include <ctime>
#include <optional>

#include <sys/types.h>

namespace vistarel {

// A file as it is now: the same identity means the same file, unchanged.
struct FileIdentity {
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = 0;
  timespec modified{};

  bool operator==(const FileIdentity& other) const {
    return device == other.device && inode == other.inode && size == other.size &&
           modified.tv_sec == other.modified.tv_sec && modified.tv_nsec == other.modified.tv_nsec;
  }
};

// The identity of the file a path leads to; none when it cannot be looked up.
std::optional<FileIdentity> IdentityOf(const QByteArray& encodedPath);

}  // namespace vistarel
