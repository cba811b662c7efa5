// The run, the window and the exports as the table grows. For each N on the
// command line a window process of its own runs "Start Extracting Metadata"
// over one folder of N hard-linked copies of a small MP4, on the real layers,
// with the media workers beside the program and the window shown; then it
// scrolls and widens a column, runs the three exports (the spreadsheet
// program is never started) and clears both lists. Prints times and the
// resident memory of the window with all its child processes.
//
//   scale_bench [N ...]     the runs; 1000 10000 100000 when no N is given. An N
//                           may come again: "10000 100000 1000000 100000" sets
//                           the million against both runs of 100,000
//   scale_bench --rows N    no run: N rows copied from the run over one file,
//                           for the table's cost per row and the window at N
//
// The window shows on the offscreen display unless QT_QPA_PLATFORM or DISPLAY
// say otherwise (xvfb-run -a scale_bench). The links go under TMPDIR and are
// removed at the end; a million take a few minutes to make and remove.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QProcess>
#include <QPushButton>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QWheelEvent>

#include <malloc.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <functional>

#include "WindowBench.h"
#include "ProcessMemory.h"
#include "base/PathHelpers.h"
#include "desktop/FactsShellFolder.h"
#include "desktop/HelperFileSystem.h"
#include "desktop/XlsxSpreadsheet.h"
#include "extract/ResultColumns.h"
#include "extract/ResultTableModel.h"
#include "filelist/InputListModel.h"
#include "gui/ListView.h"
#include "gui/QtClipboard.h"
#include "media/MediaWorkers.h"
#include "platform/Launcher.h"
#include "support/TestPlatform.h"
#include "system/CharacterType.h"
#include "window/Form1.h"

using namespace vistarel;
using namespace Qt::StringLiterals;

namespace {

// ext4 allows 65,000 links to one file; each source copy takes fewer.
constexpr int kLinksPerSource = 60000;
constexpr double kTargetMegabytes = 150;
constexpr double kMillionTargetMegabytes = 1500;
constexpr double kAnswerMilliseconds = 100;

double Seconds(const QElapsedTimer& timer) { return double(timer.nsecsElapsed()) / 1e9; }

// N names in `folder`, hard links to a few copies of the test MP4 kept beside it.
QStringList MakeLinks(const QString& folder, int count) {
  QElapsedTimer timer;
  timer.start();
  const QString sample =
      QString::fromUtf8(VISTAREL_SOURCE_DIR) + u"/tests/data/media/mp4-h264-aac.mp4"_s;
  const QString sources = folder + u".sources"_s;
  QDir().mkpath(folder);
  QDir().mkpath(sources);
  QStringList paths;
  paths.reserve(count);
  QByteArray source;
  for (int i = 0; i < count; ++i) {
    if (i % kLinksPerSource == 0) {
      const QString copy = sources + u"/source%1.mp4"_s.arg(i / kLinksPerSource);
      QFile::copy(sample, copy);
      source = QFile::encodeName(copy);
    }
    paths.append(folder + u"/clip%1.mp4"_s.arg(i, 7, 10, QChar(u'0')));
    if (::link(source.constData(), QFile::encodeName(paths.back()).constData()) != 0) {
      std::perror("link");
      std::exit(1);
    }
  }
  std::printf("made %d hard links in %.1f s\n", count, Seconds(timer));
  return paths;
}

SpreadsheetSearch AnyProgram() {
  SpreadsheetSearch search;
  search.findOnPath = [](const QString& name) {
    return name == u"gnumeric"_s ? u"/bin/true"_s : QString();
  };
  return search;
}

// The window on the real layers and the real clipboard; boxes and dialogs
// answered by the test fakes.
struct Window {
  explicit Window(const QString& scratch) : spreadsheet(launcher, AnyProgram(), scratch) {
    Platform platform = fakes.platform();
    platform.fileReader = &pooled;
    platform.fileSystem = &fileSystem;
    platform.shell = &shell;
    platform.spreadsheet = &spreadsheet;
    platform.clipboard = &clipboard;
    form = std::make_unique<Form1>(platform);
    form->show();
    Settle();
  }

  static void Settle() {
    for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
  }
  void Click(int button) { form->PushButton(button)->click(); }
  ResultTableModel& table() { return form->ResultTable(); }

  // A press of "Start Extracting Metadata" over the list, to its "Done.".
  // From 100,000 files on it says how fast each tenth of the rows came, so a
  // rate that falls as the table grows shows apart from one that is low throughout.
  void Run() {
    const int count = form->InputList().Count();
    QTimer tenths;
    QElapsedTimer clock;
    int nextTenth = 1;
    double lastSeconds = 0;
    if (count >= 100000) {
      QObject::connect(&tenths, &QTimer::timeout, [&] {
        const int rows = table().RowCount();
        if (rows < qint64(count) * nextTenth / 10)
          return;
        const double seconds = Seconds(clock);
        const int tenthRows = count / 10;
        std::printf("  %d rows at %.1f s; %.0f files/s over the last tenth\n", rows, seconds,
                    tenthRows / (seconds - lastSeconds));
        std::fflush(stdout);
        lastSeconds = seconds;
        nextTenth = rows * 10 / count + 1;
      });
      tenths.start(250);
    }
    clock.start();
    Click(2);
    if (table().RowCount() != form->InputList().Count() ||
        !fakes.dialogs.ErrorReports().empty()) {
      std::fprintf(stderr, "the run did not go through cleanly: %d rows, %zu reports\n",
                   table().RowCount(), fakes.dialogs.ErrorReports().size());
      std::exit(1);
    }
  }

  test::TestPlatform fakes;
  const HelperCommand worker{QStringLiteral(VISTAREL_PROGRAM_DIR "/vistarel-media-worker"), {}};
  MediaWorkers pooled{worker};
  HelperFileSystem fileSystem{worker};
  FactsShell shell;
  NoLauncher launcher;
  XlsxSpreadsheet spreadsheet;
  QtClipboard clipboard;
  std::unique_ptr<Form1> form;
};

// The time from a user's action to the window having answered it: the action,
// the passes of the event loop it causes, and a paint of the view.
double AnswerMilliseconds(QAbstractItemView* view, const std::function<void()>& action) {
  Window::Settle();
  QElapsedTimer timer;
  timer.start();
  action();
  QCoreApplication::processEvents();
  QCoreApplication::processEvents();
  view->viewport()->repaint();
  return double(timer.nsecsElapsed()) / 1e6;
}

void Wheel(QAbstractItemView* view) {
  const QPointF at = QRectF(view->viewport()->rect()).center();
  QWheelEvent wheel(at, view->viewport()->mapToGlobal(at), {}, {0, -120}, Qt::NoButton,
                    Qt::NoModifier, Qt::NoScrollPhase, false);
  QCoreApplication::sendEvent(view->viewport(), &wheel);
}

const char* Verdict(bool met) { return met ? "met" : "missed"; }

void TryTheWindow(Window& window) {
  ListView* results = window.form->ListView2();
  ListView* inputs = window.form->ListView1();
  const double wheel = AnswerMilliseconds(results, [&] { Wheel(results); });
  const double thumb = AnswerMilliseconds(results, [&] {
    results->verticalScrollBar()->setValue(results->verticalScrollBar()->maximum() / 2);
  });
  const double end = AnswerMilliseconds(results, [&] {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_End, Qt::ControlModifier);
    QCoreApplication::sendEvent(results, &press);
  });
  double widen = 0;
  for (int move = 1; move <= 10; ++move) {
    widen = std::max(widen, AnswerMilliseconds(results, [&] {
                       results->header()->resizeSection(0, results->header()->sectionSize(0) + 15);
                     }));
  }
  const double listWheel = AnswerMilliseconds(inputs, [&] { Wheel(inputs); });
  const double slowest = std::max({wheel, thumb, end, widen, listWheel});
  std::printf(
      "window: results wheel %.1f ms, thumb to the middle %.1f ms, Ctrl+End %.1f ms, widen a "
      "column (slowest of 10 moves) %.1f ms; input list wheel %.1f ms (target %.0f ms: %s)\n",
      wheel, thumb, end, widen, listWheel, kAnswerMilliseconds,
      Verdict(slowest <= kAnswerMilliseconds));
}

struct Measured {
  double seconds;
  double peak;       // MB, the window and its child processes
  double peakAbove;  // MB above what they held before the action
};

Measured Measure(ProcessTreeMemory& memory, const std::function<void()>& action) {
  Window::Settle();
  // What an earlier step freed goes back to the system, so that this step
  // cannot hide its own growth in it.
  malloc_trim(0);
  const double before = ProcessTreeMemory::TreeMegabytes();
  memory.RestartPeak();
  QElapsedTimer timer;
  timer.start();
  action();
  const double seconds = Seconds(timer);
  const double peak = memory.PeakMegabytes();
  return {seconds, peak, peak - before};
}

// On an X display, another program pastes what the window holds: the window
// hands the text over while it goes on answering.
void PasteElsewhere(ProcessTreeMemory& memory, double tableMegabytes) {
  const QString xclip = QStandardPaths::findExecutable(u"xclip"_s);
  if (QGuiApplication::platformName() != u"xcb"_s || xclip.isEmpty())
    return;
  QProcess paste;
  paste.setStandardOutputFile(QProcess::nullDevice());
  memory.RestartPeak();
  QElapsedTimer timer;
  timer.start();
  paste.start(xclip, {u"-o"_s, u"-selection"_s, u"clipboard"_s});
  while (paste.state() != QProcess::NotRunning)
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
  std::printf("  pasted by xclip: %.1f s; peak above the table %.0f MB\n", Seconds(timer),
              memory.PeakMegabytes() - tableMegabytes);
}

void TryTheExports(Window& window, ProcessTreeMemory& memory, const QString& scratch) {
  const Measured sheet = Measure(memory, [&] { window.Click(9); });
  std::printf(
      "spreadsheet export: %.1f s, %.1f MB file; peak above the table %.0f MB (target %.0f MB: "
      "%s)\n",
      sheet.seconds, QFileInfo(window.launcher.file).size() / 1e6, sheet.peakAbove,
      kTargetMegabytes, Verdict(sheet.peakAbove <= kTargetMegabytes));
  QFile::remove(window.launcher.file);

  const QString text = scratch + u"/results.txt"_s;
  window.fakes.dialogs.saveAnswers.push_back(text);
  const Measured file = Measure(memory, [&] { window.Click(8); });
  std::printf("text export: %.1f s, %.1f MB file; peak above the table %.0f MB\n", file.seconds,
              QFileInfo(text).size() / 1e6, file.peakAbove);
  QFile::remove(text);

  const double before = ProcessTreeMemory::TreeMegabytes();
  const Measured copy = Measure(memory, [&] { window.Click(4); });
  const qsizetype characters = window.clipboard.Text().size();
  const double held = ProcessTreeMemory::TreeMegabytes() - before;
  std::printf(
      "clipboard: %.1f s, %.1f M characters; peak above the table %.0f MB, held after the copy "
      "%.0f MB\n",
      copy.seconds, double(characters) / 1e6, copy.peakAbove, held);
  PasteElsewhere(memory, before);
  window.clipboard.Clear();
  if (!window.fakes.dialogs.ErrorReports().empty()) {
    std::fprintf(stderr, "an export reported: %s\n",
                 qPrintable(window.fakes.dialogs.ErrorReportTexts().join(u"\n"_s)));
    std::exit(1);
  }
}

void ClearBothLists(Window& window) {
  const double results = AnswerMilliseconds(window.form->ListView2(), [&] { window.Click(6); });
  const double inputs = AnswerMilliseconds(window.form->ListView1(), [&] { window.Click(7); });
  std::printf("Clear List: results %.1f ms, input list %.1f ms (target %.0f ms: %s)\n", results,
              inputs, kAnswerMilliseconds,
              Verdict(std::max(results, inputs) <= kAnswerMilliseconds));
}

// One window process over N files.
int RunFiles(int count) {
  QTemporaryDir scratch;
  const QStringList paths = MakeLinks(scratch.path() + u"/videos"_s, count);
  Window window(scratch.path());
  ProcessTreeMemory memory;
  window.form->InputList().Append(paths);
  Window::Settle();
  malloc_trim(0);
  const double before = ProcessTreeMemory::ResidentMegabytes(getpid());
  const auto cpuBefore = ProcessTreeMemory::TreeProcessorSeconds();
  const Measured run = Measure(memory, [&] { window.Run(); });
  const auto processor = ProcessTreeMemory::TreeProcessorSeconds() - cpuBefore;
  const double cpu = processor.Total();
  std::printf("window before Start, list filled: %.0f MB\n", before);
  std::printf("run: %.1f s, %.0f files/s; %d rows x %d columns; processor time of the window "
              "and its workers %.1f s (window %.1f s, workers %.1f s; in the kernel %.1f s)\n",
              run.seconds, count / run.seconds, window.table().RowCount(),
              window.table().ColumnCount(), cpu, processor.window, processor.workers,
              processor.kernel);
  std::printf("peak, window + workers: %.0f MB; above the window before Start %.0f MB",
              run.peak, run.peak - before);
  // The targets: 150 MB for 100,000 rows, and about 1.5 GB in all for a million.
  if (count == 100000)
    std::printf(" (target %.0f MB: %s)\n", kTargetMegabytes,
                Verdict(run.peak - before <= kTargetMegabytes));
  else if (count == 1000000)
    std::printf(" (target about %.0f MB in all: %s)\n", kMillionTargetMegabytes,
                Verdict(run.peak <= kMillionTargetMegabytes));
  else
    std::printf("\n");
  std::printf("@run %.6f %.6f\n", run.seconds, cpu);
  std::fflush(stdout);

  TryTheWindow(window);
  TryTheExports(window, memory, scratch.path());
  ClearBothLists(window);
  QElapsedTimer removal;
  removal.start();
  scratch.remove();
  std::printf("removed the links in %.1f s\n", Seconds(removal));
  return 0;
}

// N rows like the run's, without the run: the cells of one real row, with
// the path and the cells taken from it made for each row.
int FillRows(int count) {
  QTemporaryDir scratch;
  Window window(scratch.path());
  ProcessTreeMemory memory;
  const QString model = MakeLinks(scratch.path() + u"/one"_s, 1).front();
  window.form->InputList().Append(model);
  window.Run();
  ResultTableModel& table = window.table();
  const int columns = table.ColumnCount();
  QStringList cells;
  for (int column = 1; column <= columns; ++column) cells += table.Cell(1, column);
  window.Click(6);
  window.Click(7);

  QStringList paths;
  paths.reserve(count);
  for (int i = 0; i < count; ++i)
    paths += scratch.path() + u"/videos/clip%1.mp4"_s.arg(i, 7, 10, QChar(u'0'));
  window.form->InputList().Append(paths);
  Window::Settle();
  const double before = ProcessTreeMemory::ResidentMegabytes(getpid());
  QElapsedTimer timer;
  timer.start();
  for (const QString& path : paths) {
    const int row = table.AddRow(path);
    table.SetIncluded(row, true);
    for (int column = 2; column <= columns; ++column) {
      const QString& cell = cells[column - 1];
      table.SetSubItem(row, column - 1,
                       cell == model                 ? path
                       : cell == FileNameOf(model)   ? FileNameOf(path)
                                                     : cell);
    }
  }
  Window::Settle();
  const double filled = Seconds(timer);
  const double after = ProcessTreeMemory::ResidentMegabytes(getpid());
  std::printf("%d rows x %d columns filled in %.1f s: %.0f MB, %.0f bytes per row\n", count,
              columns, filled, after - before, (after - before) * 1024 * 1024 / count);

  // What the window's passes cost a run once the table is this long: for two
  // seconds, a row filled as the run fills it every 1.5 ms, a pass every 15 ms.
  QElapsedTimer span;
  span.start();
  QElapsedTimer sincePass;
  sincePass.start();
  qint64 passing = 0;
  while (span.elapsed() < 2000) {
    const int row = table.AddRow(paths.back());
    for (int column = 2; column <= columns; ++column) table.SetSubItem(row, column - 1, cells[column - 1]);
    QElapsedTimer work;
    work.start();
    while (work.nsecsElapsed() < 1'500'000) {
    }
    if (sincePass.elapsed() >= 15) {
      QElapsedTimer pass;
      pass.start();
      QCoreApplication::processEvents();
      passing += pass.nsecsElapsed();
      sincePass.restart();
    }
  }
  std::printf("the window's passes while rows come in: %.0f%% of the time\n",
              100.0 * double(passing) / double(span.nsecsElapsed()));

  TryTheWindow(window);
  TryTheExports(window, memory, scratch.path());
  ClearBothLists(window);
  return 0;
}

struct Timed {
  int count;
  double seconds;
  double cpu;
};

// The mean time and processor time of the runs over `count` files.
std::pair<double, double> MeanOf(const QList<Timed>& runs, int count) {
  double seconds = 0, cpu = 0;
  int n = 0;
  for (const Timed& run : runs) {
    if (run.count == count) {
      seconds += run.seconds;
      cpu += run.cpu;
      ++n;
    }
  }
  return {seconds / n, cpu / n};
}

// Each size against the size a tenth of it, over every run of each in this
// invocation. A size run both before and after the larger one, as in
// "100000 1000000 100000", brackets it, so that a machine that speeds up or
// slows down during the long run weighs on both sides of the ratio.
void CompareSizes(const QList<Timed>& runs) {
  QList<int> sizes;
  for (const Timed& run : runs)
    if (!sizes.contains(run.count))
      sizes += run.count;
  for (const int count : sizes) {
    if (count % 10 != 0 || !sizes.contains(count / 10))
      continue;
    const auto [seconds, cpu] = MeanOf(runs, count);
    const auto [tenthSeconds, tenthCpu] = MeanOf(runs, count / 10);
    const auto runsOf = [&](int n) {
      return int(std::count_if(runs.begin(), runs.end(),
                               [n](const Timed& run) { return run.count == n; }));
    };
    std::printf(
        "%d files against %d (mean of %d and %d runs): run time %.2fx (target 11x: %s), "
        "processor time %.2fx\n",
        count, count / 10, runsOf(count), runsOf(count / 10), seconds / tenthSeconds,
        Verdict(seconds / tenthSeconds <= 11), cpu / tenthCpu);
  }
}

// Each N in a window process of its own, so that none inherits the memory of another.
int RunEach(const QList<int>& counts) {
  QList<Timed> runs;
  for (const int count : counts) {
    std::printf("== %d files ==\n", count);
    std::fflush(stdout);
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(), {u"--files"_s, QString::number(count)});
    Timed timed{count, 0, 0};
    for (;;) {
      const bool more = child.waitForReadyRead(-1);
      while (child.canReadLine()) {
        const QByteArray line = child.readLine();
        if (line.startsWith("@run ")) {
          const QList<QByteArray> figures = line.mid(5).trimmed().split(' ');
          timed.seconds = figures.value(0).toDouble();
          timed.cpu = figures.value(1).toDouble();
        } else {
          std::fwrite(line.constData(), 1, size_t(line.size()), stdout);
        }
      }
      std::fflush(stdout);
      if (!more && child.state() == QProcess::NotRunning)
        break;
    }
    if (child.exitCode() != 0)
      return child.exitCode();
    if (!runs.isEmpty()) {
      const Timed& previous = runs.back();
      const double ratio = timed.seconds / previous.seconds;
      std::printf("run time %.2fx that of %d files, for %gx the files\n", ratio,
                  previous.count, double(count) / previous.count);
    }
    runs += timed;
  }
  CompareSizes(runs);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  ShowOffscreenUnlessTold();
  QApplication application(argc, argv);
  UseUtf8CharacterType();
  QStringList arguments = QCoreApplication::arguments().mid(1);
  if (arguments.size() == 2 && arguments[0] == u"--files"_s)
    return RunFiles(arguments[1].toInt());
  if (arguments.size() == 2 && arguments[0] == u"--rows"_s)
    return FillRows(arguments[1].toInt());
  if (arguments.isEmpty())
    arguments = {u"1000"_s, u"10000"_s, u"100000"_s};
  QList<int> counts;
  for (const QString& argument : arguments) counts += argument.toInt();
  if (std::any_of(counts.begin(), counts.end(), [](int n) { return n <= 0; })) {
    std::fprintf(stderr, "usage: scale_bench [N ...] | scale_bench --rows N\n");
    return 2;
  }
  return RunEach(counts);
}
