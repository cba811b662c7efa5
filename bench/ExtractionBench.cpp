// "Start Extracting Metadata" on the real layers (MediaInfo library, file
// system, desktop shell) in the real window, headless, with every box answered
// by a script: (a) files per second over a folder of 1,000 copies of a sample,
// against the mediainfo command line over the same folder in the same run;
// (b) a folder of 10,000 copies against 1,000; (c) the peak memory of the
// process once the table holds 10,000 rows.
//
//   extraction_bench [--show] [--large N]
// --show shows the window (on the offscreen display unless QT_QPA_PLATFORM says
// otherwise), so that each file's yield paints it; --large sets the size of (b).
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include <sys/resource.h>

#include "CommandLine.h"
#include "extract/ResultColumns.h"
#include "extract/ResultTableModel.h"
#include "filelist/InputListModel.h"
#include "platform/CharacterType.h"
#include "platform/LinuxFileSystem.h"
#include "platform/LinuxShell.h"
#include "platform/MediaInfoDLL.h"
#include "platform/MediaInfoLibrary.h"
#include "platform/SharedMediaParse.h"
#include "support/TestPlatform.h"
#include "window/Form1.h"

using namespace vistarel;
using namespace Qt::StringLiterals;

namespace {

constexpr int kSmall = 1000;
constexpr int kLarge = 10000;
constexpr int kRounds = 3;

QStringList MakeCopies(const QString& folder, int copies) {
  const QString source =
      QString::fromUtf8(VISTAREL_SOURCE_DIR) + u"/tests/data/media/mp4-h264-aac.mp4"_s;
  QDir().mkpath(folder);
  QStringList paths;
  for (int i = 0; i < copies; ++i) {
    paths.append(folder + u"/clip%1.mp4"_s.arg(i, 5, 10, QChar(u'0')));
    QFile::copy(source, paths.back());
  }
  return paths;
}

// The layers of the installed program, boxes and the rest answered by fakes.
struct Bench {
  test::TestPlatform fakes;
  MediaInfoLibrary mediaInfo;
  SharedMediaParse media{mediaInfo};
  LinuxFileSystem fileSystem;
  LinuxShell shell{media};
  std::unique_ptr<Form1> form;

  explicit Bench(bool show) {
    Platform platform = fakes.platform();
    platform.mediaLibrary = &media;
    platform.fileSystem = &fileSystem;
    platform.shell = &shell;
    form = std::make_unique<Form1>(platform);
    if (show)
      form->show();
  }

  // One press of "Start Extracting Metadata" over the files, to its "Done.".
  double RunSeconds(const QStringList& paths) {
    form->InputList().Clear();
    form->InputList().Append(paths);
    fakes.dialogs.boxes.clear();
    QElapsedTimer timer;
    timer.start();
    form->PushButton(2)->click();
    const double seconds = double(timer.nsecsElapsed()) / 1e9;
    const auto& table = form->ResultTable();
    if (table.RowCount() != paths.size() || !fakes.dialogs.ErrorReports().empty() ||
        fakes.dialogs.Messages().size() != 1) {
      std::fprintf(stderr, "the run did not go through cleanly: %d rows, %zu reports\n",
                   table.RowCount(), fakes.dialogs.ErrorReports().size());
      std::exit(1);
    }
    return seconds;
  }
};

// The library's share of a run: New, Open, the 38 queries, Close and Delete.
double BindingSeconds(IMediaLibrary& library, const QStringList& paths) {
  QElapsedTimer timer;
  timer.start();
  for (const QString& path : paths) {
    const MediaInfoHandle handle = MediaInfo_New(library);
    MediaInfo_Open(library, handle, path);
    for (const FixedColumn& column : FixedColumns()) {
      if (column.source == ColumnSource::Media)
        MediaInfoQuery(library, handle, column.stream, column.parameter);
    }
    MediaInfo_Close(library, handle);
    MediaInfo_Delete(library, handle);
  }
  return double(timer.nsecsElapsed()) / 1e9;
}

double PeakMegabytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return double(usage.ru_maxrss) / 1024.0;
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  UseUtf8CharacterType();

  const QStringList arguments = QCoreApplication::arguments();
  const bool show = arguments.contains(u"--show"_s);
  const qsizetype largeAt = arguments.indexOf(u"--large"_s);
  const int largeCount =
      largeAt > 0 && largeAt + 1 < arguments.size() ? arguments[largeAt + 1].toInt() : kLarge;

  QTemporaryDir root;
  const QString smallFolder = root.path() + u"/small"_s;
  const QString largeFolder = root.path() + u"/large"_s;
  const QStringList small = MakeCopies(smallFolder, kSmall);
  const QStringList large = MakeCopies(largeFolder, largeCount);

  Bench bench(show);
  const QString cli = QStandardPaths::findExecutable(u"mediainfo"_s);
  // Warms the page cache and the library; then the run and the command line
  // take turns, so that a busy moment of the machine weighs on both alike.
  bench.RunSeconds(small);
  double run = 1e9;
  double reference = 1e9;
  double binding = 1e9;
  for (int round = 0; round < kRounds; ++round) {
    run = std::min(run, bench.RunSeconds(small));
    binding = std::min(binding, BindingSeconds(bench.mediaInfo, small));
    if (!cli.isEmpty())
      reference = std::min(reference, CommandLineSeconds(cli, {smallFolder}));
  }
  std::printf("(a) run: %d files in %.3f s, %.0f files/s (best of %d)\n", kSmall, run, kSmall / run,
              kRounds);
  std::printf("    of which the library alone (open and 38 queries): %.3f s\n", binding);
  if (cli.isEmpty()) {
    std::puts("    mediainfo command line: not installed (Debian package mediainfo)");
  } else {
    std::printf("    mediainfo <folder>: %d files in %.3f s, %.0f files/s (best of %d)\n", kSmall,
                reference, kSmall / reference, kRounds);
    std::printf("    run / command line: %.2fx (target 1.0x: %s)\n", reference / run,
                run <= reference ? "met" : "missed");
  }

  const int listingsBefore = bench.shell.Listings();
  const double largeRun = bench.RunSeconds(large);
  std::printf("(b) run: %d files in %.3f s, %.0f files/s; %.1fx the time of %d (target 12x: %s)\n",
              largeCount, largeRun, largeCount / largeRun, largeRun / run, kSmall,
              largeRun <= 12 * run ? "met" : "missed");
  std::printf("    the shell listed the folder %d time(s) for %d files\n",
              bench.shell.Listings() - listingsBefore, largeCount);
  const double peak = PeakMegabytes();
  std::printf("(c) peak memory with %d rows of %d columns: %.0f MB (target 300 MB: %s)\n",
              bench.form->ResultTable().RowCount(), bench.form->ResultTable().ColumnCount(), peak,
              peak < 300 ? "met" : "missed");
  return 0;
}
