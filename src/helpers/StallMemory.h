#pragma once

#include <QString>

#include <chrono>
#include <optional>
#include <vector>

#include "base/Failure.h"

namespace vistarel {

// What made no progress for the stall limit during a run, a walk or a save,
// remembered by the exact path that stalled: a later request there fails at
// once with a failure that says so, rather than wait the limit again and leave
// one more helper stuck in the kernel.
//   - A path whose look-up stalled is not looked up again, nor is anything
//     within it, which can only be reached through it.
//   - A folder whose listing stalled is not listed again; the kernel may hold
//     its other look-ups meanwhile, but a file in it that can still be looked
//     up is.
//   - A file whose read stalled (a library that loops, a read that never
//     returns) is not read again, but may still be looked up.
//   - A whole mount counts as dead once places at three different paths on it
//     have stalled while their helpers waited for it.
class StallMemory {
 public:
  enum class Request { LookUp, Listing, Reading };

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

// A place a request looks at, as the stall memory knows it.
struct StallPlace {
  QString path;
  StallMemory::Request request = StallMemory::Request::LookUp;
};

// A wait as the failures name it: "30", "0.4".
QString SecondsText(std::chrono::milliseconds wait);

// The failure of a request that made no progress for `wait`.
Failure StallFailure(const QString& what, const QString& path, std::chrono::milliseconds wait);

}  // namespace vistarel
