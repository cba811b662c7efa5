#pragma once

#include <QString>

#include <chrono>
#include <optional>
#include <vector>

#include "base/Failure.h"

namespace vistarel {

// What made no progress for the stall limit during a run or a walk: the
// look-up of a file or folder, the listing of a folder, and, once three
// different places on one mount have stalled, the whole mount. A later request
// there fails at once with a failure that says so, rather than wait the limit
// again and leave one more helper stuck in the kernel. A folder whose listing
// stalled may still be looked up itself; nothing within it is asked again.
class StallMemory {
 public:
  enum class Request { LookUp, Listing };

  // `waitedForDisk`: the helper waited for its disk or share, rather than
  // computed (a library that loops): only such stalls tell of a dead mount.
  void Note(const QString& path, Request request, const Failure& failure,
            bool waitedForDisk = true);
  std::optional<Failure> Known(const QString& path, Request request) const;
  bool IsEmpty() const { return stalls_.empty(); }
  void Clear();

 private:
  struct Stall {
    QString path;
    Request request = Request::LookUp;
    Failure failure;
    QString mount;  // its mount point, by the path's text; empty when unknown or not counted
  };
  std::vector<Stall> stalls_;
  std::vector<QString> deadMounts_;
};

// A wait as the failures name it: "30", "0.4".
QString SecondsText(std::chrono::milliseconds wait);

// The failure of a request that made no progress for `wait`.
Failure StallFailure(const QString& what, const QString& path, std::chrono::milliseconds wait);

}  // namespace vistarel
