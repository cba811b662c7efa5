#include "system/CallProgress.h"

namespace vistarel {

namespace {
thread_local CallWatch* watching = nullptr;
}  // namespace

ScopedCallWatch::ScopedCallWatch(CallWatch& watch) : previous_(watching) {
  watching = &watch;
}

ScopedCallWatch::~ScopedCallWatch() {
  watching = previous_;
}

void CallReturned() {
  if (watching != nullptr)
    watching->Returned();
}

}  // namespace vistarel
