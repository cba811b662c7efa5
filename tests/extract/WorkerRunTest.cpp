// The extraction run with the MediaInfo library in real media workers, on the
// real file system and shell.
#include <QDir>
#include <QProcess>
#include <QElapsedTimer>
#include <QPushButton>
#include <QRegularExpression>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

#include <csignal>
#include <memory>

#include "desktop/HelperFileSystem.h"
#include "desktop/LinuxFileSystem.h"
#include "extract/ResultColumns.h"
#include "extract/ResultTableModel.h"
#include "filelist/InputListModel.h"
#include "media/MediaInfoLibrary.h"
#include "media/PooledMediaLibrary.h"
#include "media/WorkerMessages.h"
#include "support/InProcessShell.h"
#include "support/Processes.h"
#include "support/SharedMediaParse.h"
#include "support/SpecialFiles.h"
#include "support/TempTree.h"
#include "support/TestPlatform.h"
#include "system/CallProgress.h"
#include "window/Form1.h"

namespace vistarel::test {
namespace {

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

HelperCommand Worker(QStringList arguments = {}) {
  return {QStringLiteral(VISTAREL_PROGRAM_DIR "/vistarel-media-worker"), std::move(arguments)};
}

HelperCommand WorkerOnStandIn() {
  return Worker({QStringLiteral(VISTAREL_STANDIN_MEDIAINFO)});
}

MediaWorkerPool::Limits QuickStallLimit() {
  MediaWorkerPool::Limits limits;
  limits.stallLimit = 1500ms;
  limits.stallCheck = 100ms;
  return limits;
}

// The real window over the media workers, as the program makes it: the file
// system and the shell of the run come from the workers' facts.
class WorkerRun : public testing::Test {
 protected:
  std::unique_ptr<Form1> MakeForm(PooledMediaLibrary& library) {
    return MakeForm(library, Keep(std::make_unique<HelperFileSystem>(Worker(), library)),
                    Keep(std::make_unique<RunShell>(library)));
  }
  // The same window with the library, the file system and the shell in its
  // own process.
  std::unique_ptr<Form1> MakeInProcessForm(SharedMediaParse& library) {
    return MakeForm(library, Keep(std::make_unique<LinuxFileSystem>()),
                    Keep(std::make_unique<InProcessShell>(library)));
  }
  std::unique_ptr<Form1> MakeForm(IMediaLibrary& library, IFileSystem& files, IShell& folders) {
    Platform platform = fakes.platform();
    platform.mediaLibrary = &library;
    platform.fileSystem = &files;
    platform.shell = &folders;
    auto form = std::make_unique<Form1>(platform);
    form->Pump().SetInterval(15);
    return form;
  }

  QString Add(Form1& form, const QString& sample, const QString& name) {
    const QString path = tree.Path(name);
    EXPECT_TRUE(CopyFileTo(TestDataPath(u"media/"_s + sample), path)) << path.toStdString();
    form.InputList().Append(path);
    return path;
  }

  static QString Cell(Form1& form, int row, const QString& header) {
    const int column = form.ResultTable().ColumnIndexOf(header);
    return column < 0 ? QString() : form.ResultTable().Cell(row, column);
  }

  QStringList ReportTexts() { return fakes.dialogs.ErrorReportTexts(); }
  QStringList Messages() { return fakes.dialogs.MessageTexts(); }

  TempTree tree;
  TestPlatform fakes;
  // Keeps a platform object for as long as the windows that use it.
  template <class T>
  T& Keep(std::unique_ptr<T> object) {
    T& kept = *object;
    kept_.push_back(std::shared_ptr<void>(std::move(object)));
    return kept;
  }
  std::vector<std::shared_ptr<void>> kept_;
};

TEST_F(WorkerRun, AFileTheLibraryCrashesOnAndOneItLoopsOnCostOneReportEachWhileTheWindowAnswers) {
  PooledMediaLibrary library(WorkerOnStandIn(), MediaColumnQueries(), QuickStallLimit());
  auto form = MakeForm(library);
  const QString good = Add(*form, u"mp4-h264-aac.mp4"_s, u"good.mp4"_s);
  const QString crash = Add(*form, u"mp4-h264-aac.mp4"_s, u"crash.mp4"_s);
  Add(*form, u"avi-mpeg4-mp3.avi"_s, u"other.avi"_s);
  const QString loop = Add(*form, u"mov-h264-aac.mov"_s, u"loop.mov"_s);
  Add(*form, u"mpeg-ps-mpeg2-mp2.mpg"_s, u"last.mpg"_s);
  // "Help" pressed while the run waits for the looping file.
  QTimer::singleShot(400ms, form.get(), [&] { form->PushButton(5)->click(); });

  form->PushButton(2)->click();

  const ResultTableModel& table = form->ResultTable();
  ASSERT_EQ(table.RowCount(), 5);
  const QStringList reports = ReportTexts();
  ASSERT_EQ(reports.size(), 2) << reports.join(u"\n"_s).toStdString();
  EXPECT_TRUE(reports[0].startsWith(u"The MediaInfo library stopped ("_s))
      << reports[0].toStdString();
  EXPECT_TRUE(
      reports[0].contains(u"while reading "_s + crash + u"; its media values are left empty."_s));
  EXPECT_TRUE(reports[0].contains(u"PushButton2_Click at line 126"_s));
  EXPECT_TRUE(
      reports[1].startsWith(u"The MediaInfo library made no progress for 1.5 seconds and "
                            u"was stopped while reading "_s +
                            loop));
  EXPECT_TRUE(reports[1].contains(u"PushButton2_Click at line 126"_s));

  // Rows are numbered from 1.
  EXPECT_EQ(Cell(*form, 1, u"General - Format"_s), u"MPEG-4"_s);
  EXPECT_EQ(Cell(*form, 3, u"General - Format"_s), u"AVI"_s);
  EXPECT_EQ(Cell(*form, 5, u"General - Format"_s), u"MPEG-PS"_s);
  for (const int bad : {2, 4}) {
    for (int s = 1; s <= kMediaColumnCount; ++s)
      EXPECT_TRUE(table.Cell(bad, s + 1).isEmpty()) << bad << " " << s;
    EXPECT_FALSE(table.Cell(bad, 49 + 1).isEmpty()) << "file-system cells are filled";
  }
  EXPECT_EQ(table.Cell(1, 1), good);
  // The shell's media columns come from the same parse.
  EXPECT_EQ(Cell(*form, 1, u"File General - Length"_s), u"0:00:01"_s);
  EXPECT_EQ(Messages().size(), 2);
  EXPECT_EQ(Messages().value(1), u"Done."_s);
  EXPECT_NE(Messages().value(0), u"Done."_s) << "Help answered during the run";
}

TEST_F(WorkerRun, ClosingTheWindowDuringARunEndsItWithNoWorkerLeft) {
  PooledMediaLibrary library(WorkerOnStandIn(), MediaColumnQueries());
  auto form = MakeForm(library);
  Add(*form, u"mp4-h264-aac.mp4"_s, u"loop.mp4"_s);
  Add(*form, u"mp4-h264-aac.mp4"_s, u"b.mp4"_s);
  QList<qint64> workers;
  QTimer::singleShot(500ms, form.get(), [&] {
    workers = library.Pool()->WorkerIds();
    form->close();
  });

  form->PushButton(2)->click();

  ASSERT_FALSE(workers.isEmpty());
  EXPECT_EQ(library.Pool(), nullptr);
  for (const qint64 pid : workers) EXPECT_TRUE(EndsWithin(pid, 10'000)) << pid;
  EXPECT_TRUE(Messages().isEmpty()) << "no Done. after a close";
}

TEST_F(WorkerRun, AFifoAndANameThatIsNotUtf8GoThroughTheWorkersWithoutBlocking) {
  PooledMediaLibrary library(Worker(), MediaColumnQueries());
  auto form = MakeForm(library);
  const QString fifo = tree.Path(u"pipe.mp4"_s);
  ASSERT_TRUE(MakeFifo(fifo));
  form->InputList().Append(fifo);
  // "vid\xE9o.mp4": Latin-1 bytes, carried as a lone surrogate.
  Add(*form, u"mp4-h264-aac.mp4"_s, u"vid"_s + QChar(0xDCE9) + u"o.mp4"_s);

  EXPECT_TRUE(ReturnsWithoutBlockingHere(fifo, [&] { form->PushButton(2)->click(); }));

  ASSERT_EQ(form->ResultTable().RowCount(), 2);
  EXPECT_TRUE(ReportTexts().isEmpty()) << ReportTexts().join(u"\n"_s).toStdString();
  EXPECT_TRUE(Cell(*form, 1, u"General - Format"_s).isEmpty());
  EXPECT_FALSE(Cell(*form, 1, u"File System - Type"_s).isEmpty());
  EXPECT_EQ(Cell(*form, 2, u"General - Format"_s), u"MPEG-4"_s);
  EXPECT_EQ(Cell(*form, 2, u"File General - Length"_s), u"0:00:01"_s);
}

TEST_F(WorkerRun, WorkersUnderAnAsciiLocaleStillReadNonAsciiNames) {
  // The workers take the program's environment.
  const QByteArray saved = qgetenv("LC_ALL");
  qputenv("LC_ALL", "C");
  PooledMediaLibrary library(Worker(), MediaColumnQueries());
  auto form = MakeForm(library);
  Add(*form, u"mp4-h264-aac.mp4"_s, u"vidéo 日本.mp4"_s);
  form->PushButton(2)->click();
  if (saved.isNull())
    qunsetenv("LC_ALL");
  else
    qputenv("LC_ALL", saved);

  EXPECT_TRUE(ReportTexts().isEmpty());
  EXPECT_EQ(Cell(*form, 1, u"General - Format"_s), u"MPEG-4"_s);
}

TEST_F(WorkerRun, ALibraryThatCannotBeLoadedIsReportedAtEachLibraryStepAsBefore) {
  PooledMediaLibrary library(Worker({u"/nonexistent/libmediainfo.so.0"_s}), MediaColumnQueries());
  auto form = MakeForm(library);
  Add(*form, u"mp4-h264-aac.mp4"_s, u"a.mp4"_s);

  form->PushButton(2)->click();

  static const QRegularExpression line(u"at line (\\d+)"_s);
  std::vector<int> lines;
  for (const QString& text : ReportTexts()) {
    EXPECT_TRUE(
        text.startsWith(u"The MediaInfo library /nonexistent/libmediainfo.so.0 cannot be "
                        u"loaded: "_s))
        << text.toStdString();
    lines.push_back(line.match(text).captured(1).toInt());
  }
  std::vector<int> expected = {124, 126};
  for (int s = 1; s <= kMediaColumnCount; ++s) expected.push_back(128 + 2 * s);
  expected.insert(expected.end(), {206, 208});
  EXPECT_EQ(lines, expected);
  EXPECT_FALSE(Cell(*form, 1, u"File System - Size"_s).isEmpty());
}

// Entries of the file's folder with its display name give the shell's values
// too: read by the worker, and one that crashes it costs nothing but its own.
TEST_F(WorkerRun, SameNamedSiblingsAreReadByTheWorkerAndOneThatCrashesItCostsNothing) {
  PooledMediaLibrary library(WorkerOnStandIn(), MediaColumnQueries());
  auto form = MakeForm(library);
  Add(*form, u"mp4-h264-aac.mp4"_s, u"clip.mp4"_s);
  ASSERT_TRUE(CopyFileTo(TestDataPath(u"media/mp4-tagged.mp4"_s), tree.Path(u"clip.mov"_s)));
  Add(*form, u"avi-mpeg4-mp3.avi"_s, u"other.avi"_s);
  // Named "crash", the stand-in library crashes on it.
  ASSERT_TRUE(CopyFileTo(TestDataPath(u"media/mp4-h264-aac.mp4"_s), tree.Path(u"other.crash"_s)));
  Add(*form, u"mpeg-ps-mpeg2-mp2.mpg"_s, u"last.mpg"_s);

  // Two runs in a row over the same workers' library.
  for (int run = 1; run <= 2; ++run) {
    form->PushButton(2)->click();
    EXPECT_TRUE(ReportTexts().isEmpty()) << run << ReportTexts().join(u"\n"_s).toStdString();
    ASSERT_EQ(form->ResultTable().RowCount(), 3) << run;
    EXPECT_EQ(Cell(*form, 1, u"File General - Title"_s), u"Größe 日本 🎬"_s) << "from clip.mov";
    EXPECT_EQ(Cell(*form, 1, u"File General - Frame width"_s), u"320"_s) << "clip.mp4 last";
    EXPECT_EQ(Cell(*form, 2, u"General - Format"_s), u"AVI"_s);
    EXPECT_EQ(Cell(*form, 3, u"General - Format"_s), u"MPEG-PS"_s);
    EXPECT_EQ(Messages().value(run - 1), u"Done."_s);
  }
}

// A worker ends with the program, even one the program never got to end.
TEST(MediaWorker, EndsWithTheProgramThatStartedIt) {
  QProcess parent;
  // The worker waits on a pipe that stays open; its parent is the shell.
  parent.start(u"sh"_s, {u"-c"_s, u"sleep 60 | \"$0\" & echo $!; exec sleep 60"_s,
                         QStringLiteral(VISTAREL_PROGRAM_DIR "/vistarel-media-worker")});
  // Its number, then its hello: it is at work.
  const QByteArray hello = worker_message::Hello();
  QByteArray said;
  while (!said.endsWith(hello) && parent.waitForReadyRead(10'000)) said += parent.readAll();
  ASSERT_TRUE(said.endsWith(hello)) << said.toHex().toStdString();
  const qint64 worker = said.left(said.indexOf('\n')).toLongLong();
  ASSERT_TRUE(IsRunning(worker));
  parent.kill();
  parent.waitForFinished();
  EXPECT_TRUE(EndsWithin(worker, 10'000));
}

// Every call on a user's path goes through the system folder, which says so
// when it returns: in the window's process none may come during a run or a
// walk over the workers, whatever a share does then.
int callsReturned = 0;
void CountCall() {
  ++callsReturned;
}

TEST_F(WorkerRun, NoCallOnTheWindowsThreadTakesAUsersPathDuringARunOrAWalk) {
  const auto countCalls = [](const std::function<void()>& action) {
    callsReturned = 0;
    SetCallReturnedHook(CountCall);
    action();
    SetCallReturnedHook(nullptr);
    return callsReturned;
  };
  MediaInfoLibrary real;
  SharedMediaParse inProcess(real);
  auto inProcessForm = MakeInProcessForm(inProcess);
  Add(*inProcessForm, u"mp4-h264-aac.mp4"_s, u"a.mp4"_s);
  // The window's own process looks at the disk: the count sees it.
  EXPECT_GT(countCalls([&] { inProcessForm->PushButton(2)->click(); }), 0);

  PooledMediaLibrary library(Worker(), MediaColumnQueries());
  auto form = MakeForm(library);
  Add(*form, u"mp4-h264-aac.mp4"_s, u"a.mp4"_s);
  tree.File(u"sub/b.mp4"_s);
  fakes.dialogs.inputAnswers.push_back(u"mp4"_s);
  fakes.dialogs.folderAnswers.push_back(tree.root());
  EXPECT_EQ(countCalls([&] {
              form->PushButton(3)->click();
              form->PushButton(2)->click();
            }),
            0);
  EXPECT_EQ(form->ResultTable().RowCount(), 3);
  EXPECT_EQ(Cell(*form, 1, u"General - Format"_s), u"MPEG-4"_s);
}

TEST_F(WorkerRun, GivesTheSameRowsAsTheLibraryInTheWindowsOwnProcess) {
  const QDir media(TestDataPath(u"media"_s));
  const auto fill = [&](Form1& form) {
    for (const QString& name : media.entryList(QDir::Files, QDir::Name))
      form.InputList().Append(media.filePath(name));
  };
  MediaInfoLibrary real;
  SharedMediaParse inProcess(real);
  auto before = MakeInProcessForm(inProcess);
  fill(*before);
  before->PushButton(2)->click();

  PooledMediaLibrary pooled(Worker(), MediaColumnQueries());
  auto after = MakeForm(pooled);
  fill(*after);
  after->PushButton(2)->click();

  EXPECT_TRUE(ReportTexts().isEmpty());
  const ResultTableModel& a = before->ResultTable();
  const ResultTableModel& b = after->ResultTable();
  ASSERT_EQ(a.RowCount(), b.RowCount());
  ASSERT_EQ(a.ColumnCount(), b.ColumnCount());
  for (int c = 1; c <= a.ColumnCount(); ++c) {
    const QString header = a.HeaderText(c);
    ASSERT_EQ(header, b.HeaderText(c));
    // Reading a file may change when it was last read.
    if (header.contains(u"ccessed"_s))
      continue;
    for (int r = 1; r <= a.RowCount(); ++r)
      EXPECT_EQ(a.Cell(r, c), b.Cell(r, c)) << header.toStdString() << " row " << r;
  }
}

}  // namespace
}  // namespace vistarel::test
