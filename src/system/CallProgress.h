#pragma once

namespace vistarel {

// A helper process shows that it still makes progress each time a system call
// on a user's path returns: a call that never returns (a dead share) is then
// the only silence the program has to tell from slow work. The helper sets the
// hook; in any other process the calls below cost next to nothing.
using CallReturnedHook = void (*)();
void SetCallReturnedHook(CallReturnedHook hook);

// Said by the code of this folder after each such call.
void CallReturned();

}  // namespace vistarel
