// A close of the window in the middle of a run over thousands of local files,
// tried again and again in a program of its own each time, as a user closes
// the real program: the time from the close to the end of the process.
//
//   close_bench [--tries N] [--files N] [--after SECONDS]
// The window shows on the offscreen display unless QT_QPA_PLATFORM or
// DISPLAY say otherwise.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

#include <unistd.h>

#include "WindowBench.h"
#include "desktop/FactsShellFolder.h"
#include "desktop/HelperFileSystem.h"
#include "extract/ResultColumns.h"
#include "extract/ResultTableModel.h"
#include "filelist/InputListModel.h"
#include "media/MediaWorkers.h"
#include "support/TestPlatform.h"
#include "system/CharacterType.h"
#include "window/Form1.h"

using namespace vistarel;
using namespace Qt::StringLiterals;

namespace {

qint64 MonotonicNs() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return qint64(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

QString Argument(const QStringList& arguments, const QString& name, const QString& fallback) {
  const qsizetype at = arguments.indexOf(name);
  return at >= 0 && at + 1 < arguments.size() ? arguments[at + 1] : fallback;
}

// The program's window over the real layers; prints the moment of the close.
int Child(const QString& folder, double after) {
  const HelperCommand worker{QStringLiteral(VISTAREL_PROGRAM_DIR "/vistarel-media-worker"), {}};
  test::TestPlatform fakes;
  MediaWorkers library(worker);
  HelperFileSystem fileSystem(worker);
  FactsShell shell;
  Platform platform = fakes.platform();
  platform.fileReader = &library;
  platform.fileSystem = &fileSystem;
  platform.shell = &shell;
  Form1 form(platform);
  form.show();
  for (const QString& name : QDir(folder).entryList(QDir::Files, QDir::Name))
    form.InputList().Append(folder + u'/' + name);
  QTimer::singleShot(int(after * 1000), &form, [&] {
    std::printf("closed at %lld\n", static_cast<long long>(MonotonicNs()));
    std::fflush(stdout);
    form.close();
  });
  form.PushButton(2)->click();
  std::printf("rows %d\n", form.ResultTable().RowCount());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  ShowOffscreenUnlessTold();
  QApplication application(argc, argv);
  UseUtf8CharacterType();
  const QStringList arguments = QCoreApplication::arguments();
  const double after = Argument(arguments, u"--after"_s, u"1.5"_s).toDouble();
  if (arguments.contains(u"--child"_s))
    return Child(Argument(arguments, u"--child"_s, {}), after);

  const int tries = Argument(arguments, u"--tries"_s, u"20"_s).toInt();
  const int files = Argument(arguments, u"--files"_s, u"8000"_s).toInt();
  QTemporaryDir root;
  const QString source =
      QString::fromUtf8(VISTAREL_SOURCE_DIR) + u"/tests/data/media/mp4-h264-aac.mp4"_s;
  for (int i = 0; i < files; ++i)
    QFile::copy(source, root.path() + u"/clip%1.mp4"_s.arg(i, 5, 10, QChar(u'0')));

  std::vector<double> ends;
  int rowsSeen = 0;
  for (int attempt = 0; attempt < tries; ++attempt) {
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(),
                {u"--child"_s, root.path(), u"--after"_s, QString::number(after)});
    child.waitForFinished(-1);
    const qint64 ended = MonotonicNs();
    const QByteArray output = child.readAllStandardOutput();
    qint64 closed = 0;
    for (const QByteArray& line : output.split('\n')) {
      if (line.startsWith("closed at "))
        closed = line.mid(10).toLongLong();
      if (line.startsWith("rows "))
        rowsSeen = std::max(rowsSeen, line.mid(5).toInt());
    }
    if (closed == 0) {
      std::printf("try %d: the run ended before the close\n", attempt + 1);
      continue;
    }
    ends.push_back(double(ended - closed) / 1e9);
    std::printf("try %d: ended %.3f s after the close\n", attempt + 1, ends.back());
  }
  const auto within = std::count_if(ends.begin(), ends.end(), [](double s) { return s < 1.0; });
  std::printf("close %.1f s into a run over %d files: the program ended within a second in %lld "
              "of %d tries (slowest %.3f s; most rows at the close: %d)\n",
              after, files, static_cast<long long>(within), tries,
              ends.empty() ? 0.0 : *std::max_element(ends.begin(), ends.end()), rowsSeen);
  return 0;
}
