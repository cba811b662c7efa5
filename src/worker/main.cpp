// vistarel-media-worker: reads media files for Vistarel, one file at a time,
// in a process of its own, so that a file the library crashes on, loops on or
// cannot read costs that file alone. Started by the program, never by hand.
#include <QString>

#include <csignal>

#include <sys/prctl.h>
#include <unistd.h>

#include "extract/ResultColumns.h"
#include "media/MediaInfoLibrary.h"
#include "system/CharacterType.h"
#include "worker/MediaWorker.h"

int main(int argc, char** argv) {
  // Ends with the program, even in the middle of a read that never returns.
  prctl(PR_SET_PDEATHSIG, SIGKILL);
  std::signal(SIGPIPE, SIG_IGN);
  // The library turns paths into bytes through the character type, as the
  // program's own process did.
  vistarel::UseUtf8CharacterType();
  vistarel::MediaInfoLibrary library(
      argc > 1 ? QString::fromLocal8Bit(argv[1])
               : QString::fromLatin1(vistarel::MediaInfoLibrary::kDefaultFileName));
  return vistarel::ServeMediaRequests(STDIN_FILENO, STDOUT_FILENO, library,
                                      vistarel::MediaColumnQueries());
}
