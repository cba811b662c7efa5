#include "helpers/StallMemory.h"

#include <QDir>

#include <algorithm>

#include "system/Mounts.h"

namespace vistarel {

using namespace Qt::StringLiterals;

namespace {

// How many places on one mount must stall before the mount counts as dead:
// one dead file or folder is not yet a dead share.
constexpr size_t kStallsForDeadMount = 3;

bool IsWithin(const QString& path, const QString& folder) {
  if (folder == u"/"_s)
    return path.startsWith(u'/');
  return path == folder || (path.startsWith(folder) && path.at(folder.size()) == u'/');
}

QString MountOf(const QString& path) {
  if (!path.startsWith(u'/'))
    return {};
  const std::optional<Mount> mount = MountByText(QDir::cleanPath(path));
  return mount ? mount->point : QString();
}

}  // namespace

QString SecondsText(std::chrono::milliseconds wait) {
  return QString::number(double(wait.count()) / 1000.0);
}

Failure StallFailure(const QString& what, const QString& path, std::chrono::milliseconds wait) {
  return Failure(u"%1 %2 made no progress for %3 seconds and was given up; its disk or share "
                 u"does not answer."_s.arg(what, path, SecondsText(wait)),
                 failure_number::kDeviceIo);
}

void StallMemory::Note(const QString& path, Request request, const Failure& failure,
                       bool waitedForDisk) {
  Stall stall{QDir::cleanPath(path), request, failure,
              waitedForDisk ? MountOf(path) : QString()};
  if (!stall.mount.isEmpty()) {
    std::vector<QString> paths{stall.path};
    for (const Stall& other : stalls_) {
      if (other.mount == stall.mount &&
          std::find(paths.begin(), paths.end(), other.path) == paths.end()) {
        paths.push_back(other.path);
      }
    }
    if (paths.size() >= kStallsForDeadMount &&
        std::find(deadMounts_.begin(), deadMounts_.end(), stall.mount) == deadMounts_.end()) {
      deadMounts_.push_back(stall.mount);
    }
  }
  stalls_.push_back(std::move(stall));
}

std::optional<Failure> StallMemory::Known(const QString& path, Request request) const {
  if (stalls_.empty())
    return std::nullopt;
  const QString clean = QDir::cleanPath(path);
  for (const Stall& stall : stalls_) {
    if (stall.path == clean && (stall.request == request || stall.request == Request::LookUp))
      return stall.failure;
  }
  // Only a look-up that stalled bars what lies within: a path is reached
  // through its folders, never through their listings.
  for (const Stall& stall : stalls_) {
    if (stall.request == Request::LookUp && clean != stall.path && IsWithin(clean, stall.path)) {
      return Failure(u"%1 was not looked at: the folder %2 made no progress before."_s.arg(
                         path, stall.path),
                     failure_number::kDeviceIo);
    }
  }
  if (!deadMounts_.empty()) {
    const QString mount = MountOf(clean);
    if (std::find(deadMounts_.begin(), deadMounts_.end(), mount) != deadMounts_.end()) {
      return Failure(u"%1 was not looked at: %2, where it lies, made no progress before."_s.arg(
                         path, mount),
                     failure_number::kDeviceIo);
    }
  }
  return std::nullopt;
}

void StallMemory::Clear() {
  stalls_.clear();
  deadMounts_.clear();
}

}  // namespace vistarel
