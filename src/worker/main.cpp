// vistarel-media-worker: reads media files for Vistarel, and looks at the disk
// for its folder walks, in a process of its own, so that a file the library
// crashes on, loops on or cannot read, or a share that stops answering, costs
// that file or folder alone. Started by the program, never by hand.
#include <QString>

#include <unistd.h>

#include "extract/ResultColumns.h"
#include "media/MediaInfoLibrary.h"
#include "system/CharacterType.h"
#include "system/Pipes.h"
#include "worker/Requests.h"

int main(int argc, char** argv) {
  // Ends with the program, even in the middle of a read that never returns.
  vistarel::EndWithParent();
  // The library turns paths into bytes through the character type, as the
  // program's own process did.
  vistarel::UseUtf8CharacterType();
  vistarel::MediaInfoLibrary library(
      argc > 1 ? QString::fromLocal8Bit(argv[1])
               : QString::fromLatin1(vistarel::MediaInfoLibrary::kDefaultFileName));
  return vistarel::ServeRequests(STDIN_FILENO, STDOUT_FILENO, library,
                                 vistarel::MediaColumnQueries());
}
