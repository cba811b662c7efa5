// "Start Extracting Metadata" on the real layers (the MediaInfo library in
// media workers, the file system, the desktop shell) in the real window, shown,
// with every box answered by a script:
// (a) files per second over a folder of 1,000 copies of a sample, against the
//     mediainfo command line over the same folder in the same run, with one
//     worker per core and with a single worker;
// (b) a folder of 10,000 copies against 1,000;
// (c) the peak memory of the window's process and its workers together while
//     the table fills with 10,000 rows;
// (d) over a disk whose every read answers after 0.3 s (slowfs), the time
//     from a click on "Help" during the run to its box, and the same with the
//     library in the window's own process, for comparison;
// (e) over a share whose every call takes a 2 ms round trip (slowfs), files
//     per second of the run against the mediainfo command line reading the
//     same files one after the other, in the same run.
//
//   extraction_bench [--large N] [--share-only]
// The window shows on the offscreen display unless QT_QPA_PLATFORM or
// DISPLAY say otherwise (xvfb-run -a extraction_bench).
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMouseEvent>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "WindowBench.h"
#include "CommandLine.h"
#include "desktop/FactsShellFolder.h"
#include "desktop/HelperFileSystem.h"
#include "extract/ResultColumns.h"
#include "extract/ResultTableModel.h"
#include "filelist/InputListModel.h"
#include "media/MediaWorkers.h"
#include "support/InProcessReader.h"
#include "support/TestPlatform.h"
#include "system/CharacterType.h"
#include "tools/slowfs/SlowFsMount.h"
#include "window/Form1.h"
#include "worker/LinuxFileSystem.h"
#include "worker/MediaInfoLibrary.h"

using namespace vistarel;
using namespace Qt::StringLiterals;

namespace {

constexpr int kSmall = 1000;
constexpr int kLarge = 10000;
constexpr int kRounds = 3;
constexpr int kSlowFiles = 12;
constexpr int kShareFiles = 200;
constexpr int kShareRoundTripMs = 2;

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

// The resident memory of a process in MB; 0 when it has ended.
double ResidentMegabytes(qint64 pid, const char* field = "VmRSS:") {
  QFile status(u"/proc/%1/status"_s.arg(pid));
  if (!status.open(QIODevice::ReadOnly))
    return 0;
  for (const QByteArray& line : status.readAll().split('\n')) {
    if (line.startsWith(field))
      return line.mid(qsizetype(std::strlen(field))).trimmed().split(' ').front().toDouble() / 1024;
  }
  return 0;
}

// The window on real layers; boxes and the rest answered by fakes.
struct Bench {
  test::TestPlatform fakes;
  const HelperCommand worker{QStringLiteral(VISTAREL_PROGRAM_DIR "/vistarel-media-worker"), {}};
  MediaWorkers pooled{worker};
  MediaInfoLibrary mediaInfo;
  test::InProcessReader inProcess{mediaInfo};
  HelperFileSystem pooledFileSystem{worker};
  LinuxFileSystem inProcessFileSystem;
  FactsShell shell;
  std::unique_ptr<Form1> form;
  std::unique_ptr<Form1> inProcessForm;
  // The peak of the window's and the workers' resident memory, sampled.
  double peakMegabytes = 0;
  QTimer sampler;

  Bench() {
    Platform platform = fakes.platform();
    platform.fileReader = &pooled;
    platform.fileSystem = &pooledFileSystem;
    platform.shell = &shell;
    form = std::make_unique<Form1>(platform);
    form->show();
    platform.fileReader = &inProcess;
    platform.fileSystem = &inProcessFileSystem;
    inProcessForm = std::make_unique<Form1>(platform);
    QObject::connect(&sampler, &QTimer::timeout, form.get(), [this] { Sample(); });
  }

  void Sample() {
    double sum = ResidentMegabytes(getpid());
    if (pooled.Pool() != nullptr) {
      for (const qint64 pid : pooled.Pool()->WorkerIds()) sum += ResidentMegabytes(pid);
    }
    peakMegabytes = std::max(peakMegabytes, sum);
  }

  // One press of "Start Extracting Metadata" over the files, to its "Done.".
  double RunSeconds(Form1& window, const QStringList& paths) {
    window.InputList().Clear();
    window.InputList().Append(paths);
    fakes.dialogs.boxes.clear();
    QElapsedTimer timer;
    timer.start();
    window.PushButton(2)->click();
    const double seconds = double(timer.nsecsElapsed()) / 1e9;
    const auto& table = window.ResultTable();
    if (table.RowCount() != paths.size() || !fakes.dialogs.ErrorReports().empty()) {
      std::fprintf(stderr, "the run did not go through cleanly: %d rows, %zu reports\n",
                   table.RowCount(), fakes.dialogs.ErrorReports().size());
      std::exit(1);
    }
    return seconds;
  }
  double RunSeconds(const QStringList& paths) { return RunSeconds(*form, paths); }

  // Runs over `paths`; a second after the start, a click on "Help" comes from
  // outside the window's thread, as a person's would. Returns the seconds
  // from the click to the Help box.
  double HelpDelay(Form1& window, const QStringList& paths) {
    std::atomic<qint64> clickedAt{-1};
    QElapsedTimer clock;
    clock.start();
    double delay = -1;
    fakes.dialogs.onBox = [&](const test::ShownBox& box) {
      if (box.text != u"Done."_s && delay < 0 && clickedAt >= 0)
        delay = double(clock.nsecsElapsed() - clickedAt) / 1e9;
    };
    QPushButton* help = window.PushButton(5);
    const QPointF centre = QRectF(help->rect()).center();
    std::thread clicker([&] {
      std::this_thread::sleep_for(std::chrono::seconds(1));
      clickedAt = clock.nsecsElapsed();
      QCoreApplication::postEvent(
          help, new QMouseEvent(QEvent::MouseButtonPress, centre, help->mapToGlobal(centre),
                                Qt::LeftButton, Qt::LeftButton, Qt::NoModifier));
      QCoreApplication::postEvent(
          help, new QMouseEvent(QEvent::MouseButtonRelease, centre, help->mapToGlobal(centre),
                                Qt::LeftButton, Qt::NoButton, Qt::NoModifier));
    });
    window.InputList().Clear();
    window.InputList().Append(paths);
    window.PushButton(2)->click();
    clicker.join();
    fakes.dialogs.onBox = nullptr;
    return delay;
  }
};

// (a) to (d): the local disk, and a disk whose reads answer slowly.
void LocalFigures(Bench& bench, const QString& cli, const QString& smallFolder,
                  const QStringList& small, const QStringList& large, int largeCount,
                  const QString& root, const std::string& slowfs) {
  std::printf("window shown on %s; %d cores, %d workers\n",
              qPrintable(QGuiApplication::platformName()), QThread::idealThreadCount(),
              MediaWorkerPool::DefaultWorkerCount(kSmall));
  // Warms the page cache and the library; then the runs and the command line
  // take turns, so that a busy moment of the machine weighs on all alike.
  bench.RunSeconds(small);
  double run = 1e9;
  double single = 1e9;
  double reference = 1e9;
  for (int round = 0; round < kRounds; ++round) {
    run = std::min(run, bench.RunSeconds(small));
    bench.pooled.SetMostWorkers(1);
    single = std::min(single, bench.RunSeconds(small));
    bench.pooled.SetMostWorkers(16);
    if (!cli.isEmpty())
      reference = std::min(reference, CommandLineSeconds(cli, {smallFolder}));
  }
  std::printf("(a) run: %d files in %.3f s, %.0f files/s (best of %d)\n", kSmall, run, kSmall / run,
              kRounds);
  std::printf("    with a single worker: %.3f s, %.0f files/s\n", single, kSmall / single);
  if (cli.isEmpty()) {
    std::puts("    mediainfo command line: not installed (Debian package mediainfo)");
  } else {
    std::printf("    mediainfo <folder>: %d files in %.3f s, %.0f files/s (best of %d)\n", kSmall,
                reference, kSmall / reference, kRounds);
    std::printf("    run / command line: %.2fx (target 1.6x: %s); single worker: %.2fx\n",
                reference / run, reference / run >= 1.6 ? "met" : "missed", reference / single);
  }

  bench.sampler.start(50);
  const double largeRun = bench.RunSeconds(large);
  bench.sampler.stop();
  bench.Sample();
  std::printf("(b) run: %d files in %.3f s, %.0f files/s; %.1fx the time of %d (target 11x: %s)\n",
              largeCount, largeRun, largeCount / largeRun, largeRun / run, kSmall,
              largeRun <= 11 * run ? "met" : "missed");
  const double windowPeak = ResidentMegabytes(getpid(), "VmHWM:");
  const double peak = std::max(bench.peakMegabytes, windowPeak);
  std::printf(
      "(c) peak memory with %d rows of %d columns, window and workers: %.0f MB "
      "(window alone at most %.0f MB; target 300 MB: %s)\n",
      bench.form->ResultTable().RowCount(), bench.form->ResultTable().ColumnCount(), peak,
      windowPeak, peak < 300 ? "met" : "missed");

  const QString slowSource = root + u"/slow-source"_s;
  MakeCopies(slowSource, kSlowFiles);
  const QString mountPoint = root + u"/slow"_s;
  test::SlowFsMount mount(slowfs, slowSource.toStdString(), mountPoint.toStdString(), 300);
  if (!mount.isMounted()) {
    std::printf("(d) skipped: %s\n", mount.reason().c_str());
    return;
  }
  QStringList slow;
  for (const QString& name : QDir(mountPoint).entryList(QDir::Files, QDir::Name))
    slow.append(mountPoint + u'/' + name);
  const double pooledDelay = bench.HelpDelay(*bench.form, slow);
  const double inProcessDelay = bench.HelpDelay(*bench.inProcessForm, slow);
  std::printf(
      "(d) reads answering after 0.3 s, %lld files: click on Help to its box %.3f s "
      "(target 0.5 s: %s); with the library in the window's process: %.3f s\n",
      static_cast<long long>(slow.size()), pooledDelay,
      pooledDelay >= 0 && pooledDelay < 0.5 ? "met" : "missed", inProcessDelay);

}

}  // namespace

int main(int argc, char** argv) {
  ShowOffscreenUnlessTold();
  QApplication application(argc, argv);
  UseUtf8CharacterType();

  const QStringList arguments = QCoreApplication::arguments();
  const qsizetype largeAt = arguments.indexOf(u"--large"_s);
  const int largeCount =
      largeAt > 0 && largeAt + 1 < arguments.size() ? arguments[largeAt + 1].toInt() : kLarge;

  const bool shareOnly = arguments.contains(u"--share-only"_s);

  QTemporaryDir root;
  const QString smallFolder = root.path() + u"/small"_s;
  const QString largeFolder = root.path() + u"/large"_s;
  const QStringList small = MakeCopies(smallFolder, shareOnly ? 0 : kSmall);
  const QStringList large = MakeCopies(largeFolder, shareOnly ? 0 : largeCount);

  Bench bench;
  const QString cli = QStandardPaths::findExecutable(u"mediainfo"_s);
  const std::string slowfs = VISTAREL_SLOWFS;
  if (!shareOnly)
    LocalFigures(bench, cli, smallFolder, small, large, largeCount, root.path(), slowfs);
  const QString shareSource = root.path() + u"/share-source"_s;
  MakeCopies(shareSource, kShareFiles);
  const QString sharePoint = root.path() + u"/share"_s;
  const std::string roundTrip = std::to_string(kShareRoundTripMs);
  test::SlowFsMount share(slowfs, shareSource.toStdString(), sharePoint.toStdString(),
                          kShareRoundTripMs, std::chrono::seconds(10),
                          {"--op-delay-ms", roundTrip});
  if (!share.isMounted() || cli.isEmpty()) {
    std::printf("(e) skipped: %s\n", share.isMounted() ? "no mediainfo" : share.reason().c_str());
    return 0;
  }
  QStringList onShare;
  for (const QString& name : QDir(sharePoint).entryList(QDir::Files, QDir::Name))
    onShare.append(sharePoint + u'/' + name);
  // Each side reads every file over the share, as a user's first run does:
  // nothing of the share is cached between them (slowfs asks its source
  // every time).
  double shareRun = 1e9;
  double shareCli = 1e9;
  for (int round = 0; round < 2; ++round) {
    shareRun = std::min(shareRun, bench.RunSeconds(onShare));
    shareCli = std::min(shareCli, CommandLineSeconds(cli, {sharePoint}));
  }
  std::printf(
      "(e) share with a %d ms round trip, %lld files: run %.3f s (%.0f files/s, up to %d "
      "workers), mediainfo <folder> %.3f s (%.0f files/s): %.2fx (target 6x: %s)\n",
      kShareRoundTripMs, static_cast<long long>(onShare.size()), shareRun,
      double(onShare.size()) / shareRun, MediaWorkerPool::MostWorkerCount(int(onShare.size())),
      shareCli, double(onShare.size()) / shareCli, shareCli / shareRun,
      shareCli / shareRun >= 6 ? "met" : "missed");
  return 0;
}
