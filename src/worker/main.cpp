// vistarel-media-worker: Vistarel's helper beside the window. It reads media
// files, looks at the disk for the folder walks, and writes the text save, in
// a process of its own, so that a file the library crashes on, loops on or
// cannot read, or a share that stops answering, costs that file or folder
// alone and never the window. Started by the program, never by hand:
//   vistarel-media-worker [LIBRARY]       reads (LIBRARY: the MediaInfo library's file)
//   vistarel-media-worker --write FOLDER  writes the text save into FOLDER
#include <QString>

#include <cstring>

#include <unistd.h>

#include "system/CharacterType.h"
#include "system/Pipes.h"
#include "worker/MediaInfoLibrary.h"
#include "worker/Requests.h"

int main(int argc, char** argv) {
  // Ends with the program, even in the middle of a read that never returns.
  vistarel::EndWithParent();
  // The library turns paths into bytes through the character type, as the
  // program's own process did.
  vistarel::UseUtf8CharacterType();
  const bool writes = argc > 1 && std::strcmp(argv[1], "--write") == 0;
  vistarel::MediaInfoLibrary library(
      argc > 1 && !writes ? QString::fromLocal8Bit(argv[1])
                          : QString::fromLatin1(vistarel::MediaInfoLibrary::kDefaultFileName));
  return vistarel::ServeRequests(STDIN_FILENO, STDOUT_FILENO, library);
}
