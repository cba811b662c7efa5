#pragma once

namespace vistarel {

// A helper process shows that it still makes progress each time a system call
// on a user's path returns: a call that never returns (a dead share) is then
// the only silence the program has to tell from slow work.
class CallWatch {
 public:
  virtual ~CallWatch() = default;
  virtual void Returned() = 0;
};

// Tells `watch` of the calls this thread makes, for as long as it lives; the
// watch before it comes back after. Without one, the calls cost next to nothing.
class ScopedCallWatch {
 public:
  explicit ScopedCallWatch(CallWatch& watch);
  ~ScopedCallWatch();
  ScopedCallWatch(const ScopedCallWatch&) = delete;
  ScopedCallWatch& operator=(const ScopedCallWatch&) = delete;

 private:
  CallWatch* previous_;
};

// Said by the code of this folder after each such call.
void CallReturned();

}  // namespace vistarel
