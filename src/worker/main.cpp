// vistarel-media-worker: Vistarel's helper beside the window. It reads media
// files, looks at the disk for the folder walks, and writes the text save, in
// a process of its own, so that a file the library crashes on, loops on or
// cannot read, or a share that stops answering, costs that file or folder
// alone and never the window. It shuts itself in before it reads a request,
// so that a file made to take the library over can do nothing with it.
// Started by the program, never by hand:
//   vistarel-media-worker [LIBRARY]       reads (LIBRARY: the MediaInfo library's file)
//   vistarel-media-worker --write FOLDER  writes the text save into FOLDER
#include <QString>

#include <cstring>

#include "protocol/Framing.h"
#include "system/CharacterType.h"
#include "system/Pipes.h"
#include "system/Sandbox.h"
#include "worker/MediaInfoLibrary.h"
#include "worker/Requests.h"

int main(int argc, char** argv) {
  using namespace vistarel;
  // Ends with the program, even in the middle of a read that never returns.
  EndWithParent();
  CloseDescriptorsFrom(kHelperAnswerFd + 1);
  // The library turns paths into bytes through the character type, as the
  // program's own process did.
  UseUtf8CharacterType();
  const bool writes = argc > 2 && std::strcmp(argv[1], "--write") == 0;
  MediaInfoLibrary library(argc > 1 && !writes
                               ? QString::fromLocal8Bit(argv[1])
                               : QString::fromLatin1(MediaInfoLibrary::kDefaultFileName));
  if (!writes) {
    // Loaded before the walls go up; a library that cannot be loaded says so
    // with each file.
    try {
      library.Load();
    } catch (const Failure&) {
    }
  }
  const Sandbox sandbox = writes ? ShutIn(SandboxRole::Writer, QString::fromLocal8Bit(argv[2]))
                                 : ShutIn(SandboxRole::Reader);
  return ServeRequests(kHelperRequestFd, kHelperAnswerFd, library, sandbox);
}
