// Files per second of the MediaInfo binding (New, Open, the 38 queries of the
// result table, Close, Delete per file) against the mediainfo command line
// reading the same folder of 1,000 copies of the test MP4 in one process, and
// the cost of listing the subfolders of a folder of 100,000 files.
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

#include <fcntl.h>
#include <unistd.h>

#include "CommandLine.h"
#include "worker/LinuxFileSystem.h"
#include "extract/ResultColumns.h"
#include "worker/MediaInfoDLL.h"
#include "worker/MediaInfoLibrary.h"
#include "system/CharacterType.h"

using namespace vistarel;
using namespace Qt::StringLiterals;

namespace {

constexpr int kCopies = 1000;
constexpr int kRounds = 5;
constexpr int kFolderEntries = 100000;

double BindingSeconds(IMediaLibrary& library, const QStringList& paths) {
  QElapsedTimer timer;
  timer.start();
  qsizetype answered = 0;
  for (const QString& path : paths) {
    const MediaInfoHandle handle = MediaInfo_New(library);
    MediaInfo_Open(library, handle, path);
    for (const FixedColumn& column : FixedColumns()) {
      if (column.source == ColumnSource::Media)
        answered += MediaInfoQuery(library, handle, column.stream, column.parameter).size();
    }
    MediaInfo_Close(library, handle);
    MediaInfo_Delete(library, handle);
  }
  const double seconds = double(timer.nsecsElapsed()) / 1e9;
  if (answered == 0)
    std::fputs("the binding read nothing\n", stderr);
  return seconds;
}

void BenchSubFolders(const QString& root) {
  const QString folder = root + u"/many"_s;
  QDir().mkpath(folder);
  const QByteArray prefix = QFile::encodeName(folder) + "/f";
  for (int i = 0; i < kFolderEntries; ++i) {
    const int fd = open((prefix + QByteArray::number(i)).constData(), O_CREAT | O_WRONLY, 0644);
    if (fd >= 0)
      close(fd);
  }
  for (int i = 0; i < 10; ++i) QDir().mkpath(folder + u"/sub"_s + QString::number(i));
  LinuxFileSystem fileSystem;
  double best = 1e9;
  qsizetype found = 0;
  for (int round = 0; round < kRounds; ++round) {
    QElapsedTimer timer;
    timer.start();
    found = fileSystem.GetFolder(folder)->SubFolders().size();
    best = std::min(best, double(timer.nsecsElapsed()) / 1e6);
  }
  std::printf("SubFolders of a folder of %d files and %lld folders: %.1f ms\n", kFolderEntries,
              static_cast<long long>(found), best);
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  UseUtf8CharacterType();

  const QString source =
      QString::fromUtf8(VISTAREL_SOURCE_DIR) + u"/tests/data/media/mp4-h264-aac.mp4"_s;
  QTemporaryDir root;
  const QString folder = root.path() + u"/copies"_s;
  QDir().mkpath(folder);
  QStringList paths;
  for (int i = 0; i < kCopies; ++i) {
    paths.append(folder + u"/clip%1.mp4"_s.arg(i, 4, 10, QChar(u'0')));
    QFile::copy(source, paths.back());
  }

  MediaInfoLibrary library;
  const QString cli = QStandardPaths::findExecutable(u"mediainfo"_s);
  // Warms the page cache and the library; then the two take turns, so that a
  // busy moment of the machine weighs on both alike, and the best round counts.
  BindingSeconds(library, paths);
  double binding = 1e9;
  double reference = 1e9;
  for (int round = 0; round < kRounds; ++round) {
    binding = std::min(binding, BindingSeconds(library, paths));
    if (!cli.isEmpty())
      reference = std::min(reference, CommandLineSeconds(cli, {folder}));
  }
  const double bindingRate = kCopies / binding;
  std::printf("binding: %d files in %.3f s, %.0f files/s (best of %d)\n", kCopies, binding,
              bindingRate, kRounds);
  if (cli.isEmpty()) {
    std::puts("mediainfo command line: not installed (Debian package mediainfo)");
  } else {
    const double referenceRate = kCopies / reference;
    std::printf("mediainfo <folder>: %d files in %.3f s, %.0f files/s (best of %d)\n", kCopies,
                reference, referenceRate, kRounds);
    std::printf("binding / command line: %.2fx (target 1.3x: %s)\n", bindingRate / referenceRate,
                bindingRate >= 1.3 * referenceRate ? "met" : "missed");
  }

  BenchSubFolders(root.path());
  return 0;
}
