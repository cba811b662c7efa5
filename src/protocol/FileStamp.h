#pragma once

#include <cstdint>

namespace vistarel {

// What tells one file or folder from another, and from itself after a change:
// on Linux the device and inode numbers, the size, and the modification and
// change times (adding, removing or renaming a folder's entry changes both).
struct FileStamp {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  std::int64_t size = 0;
  std::int64_t modifiedNs = 0;  // since the epoch
  std::int64_t changedNs = 0;

  // The same file or folder, changed or not, however it was reached (a link, a
  // bind mount).
  bool SameObject(const FileStamp& other) const {
    return device == other.device && inode == other.inode;
  }
  // The same file, unchanged since.
  bool operator==(const FileStamp&) const = default;
};

}  // namespace vistarel
