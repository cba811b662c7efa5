// Writes a text file as the text export does, for the tests that run it as
// another user or under a limit on the size of the files it may write:
//   text_file_writer [--limit BYTES] PATH LINE [TIMES]
// writes LINE (TIMES times, once by default). With --limit, a write past BYTES
// fails as on a full disk (SIGXFSZ is ignored, so the write returns EFBIG).
// When the file cannot be written, prints the failure and its number and ends
// with status 1.
#include <QStringList>

#include <csignal>
#include <cstdio>
#include <cstring>

#include <sys/resource.h>

#include "base/Failure.h"
#include "worker/LinuxFileSystem.h"
#include "system/FileNames.h"

int main(int argc, char** argv) {
  using namespace vistarel;
  int first = 1;
  if (argc > 2 && std::strcmp(argv[1], "--limit") == 0) {
    const rlim_t limit = std::strtoull(argv[2], nullptr, 10);
    const rlimit size{limit, limit};
    std::signal(SIGXFSZ, SIG_IGN);
    if (setrlimit(RLIMIT_FSIZE, &size) != 0)
      return 3;
    first = 3;
  }
  if (argc - first < 2 || argc - first > 3)
    return 2;
  const int times = argc - first == 3 ? std::atoi(argv[first + 2]) : 1;
  try {
    auto stream =
        LinuxFileSystem().CreateTextFile(DecodeFileName(QByteArray(argv[first])), true);
    const QString line = QString::fromUtf8(argv[first + 1]);
    for (int i = 0; i < times; ++i) stream->WriteLine(line);
    stream->Close();
  } catch (const Failure& failure) {
    std::fprintf(stderr, "%s (%d)\n", failure.description().toUtf8().constData(), failure.number());
    return 1;
  }
  return 0;
}
