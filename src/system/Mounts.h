#pragma once

#include <QString>

#include <cstdint>
#include <optional>

namespace vistarel {

// A mounted file system as the kernel's mount table of this process lists it.
struct Mount {
  QString point;  // where it is mounted
  QString type;   // "ext4", "nfs4", "fuse.sshfs", ...
};

// The mount of a mount id (statx's stx_mnt_id); none when the table has no
// such mount. The table is read again when an id is not in it.
std::optional<Mount> MountById(std::uint64_t id);

// The mount whose point is the longest leading part of the absolute `path`,
// by its text alone: nothing on the path is looked at, so a dead share cannot
// hold the caller.
std::optional<Mount> MountByText(const QString& path);

// True for a file system whose every call is a round trip elsewhere: network
// file systems and FUSE.
bool IsRemoteType(const QString& type);

}  // namespace vistarel
