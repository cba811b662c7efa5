// Writes one line to a text file as the text export does, for the tests that
// run it as another user: text_file_writer PATH LINE. When the file cannot be
// written, prints the failure and its number and ends with status 1.
#include <cstdio>

#include "base/Failure.h"
#include "desktop/LinuxFileSystem.h"
#include "system/FileNames.h"

int main(int argc, char** argv) {
  using namespace vistarel;
  if (argc != 3)
    return 2;
  try {
    auto stream = LinuxFileSystem().CreateTextFile(DecodeFileName(QByteArray(argv[1])), true);
    stream->WriteLine(QString::fromUtf8(argv[2]));
    stream->Close();
  } catch (const Failure& failure) {
    std::fprintf(stderr, "%s (%d)\n", failure.description().toUtf8().constData(), failure.number());
    return 1;
  }
  return 0;
}
