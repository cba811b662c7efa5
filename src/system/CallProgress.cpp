#include "system/CallProgress.h"

namespace vistarel {

namespace {
CallReturnedHook hook = nullptr;
}  // namespace

void SetCallReturnedHook(CallReturnedHook newHook) {
  hook = newHook;
}

void CallReturned() {
  if (hook != nullptr)
    hook();
}

}  // namespace vistarel
