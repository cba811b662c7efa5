// The extraction run with the MediaInfo library in real media workers, on the
// real file system and shell.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QElapsedTimer>
#include <QPushButton>
#include <QRegularExpression>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

#include <csignal>
#include <map>
#include <memory>

#include "extract/ResultColumns.h"
#include "extract/ResultTableModel.h"
#include "extract/RunFixture.h"
#include "filelist/InputListModel.h"
#include "media/MediaWorkers.h"
#include "protocol/Messages.h"
#include "support/Processes.h"
#include "support/SpecialFiles.h"
#include "support/TempTree.h"
#include "support/TestPlatform.h"
#include "tools/slowfs/SlowFsMount.h"
#include "system/CallProgress.h"
#include "window/Form1.h"
#include "worker/MediaInfoLibrary.h"

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
using WorkerRun = RunFixture;

TEST_F(WorkerRun, AFileTheLibraryCrashesOnAndOneItLoopsOnCostOneReportEachWhileTheWindowAnswers) {
  MediaWorkers library(WorkerOnStandIn(), QuickStallLimit());
  UseWorkers(library);
  const QString good = Add(u"mp4-h264-aac.mp4"_s, u"good.mp4"_s);
  const QString crash = Add(u"mp4-h264-aac.mp4"_s, u"crash.mp4"_s);
  Add(u"avi-mpeg4-mp3.avi"_s, u"other.avi"_s);
  const QString loop = Add(u"mov-h264-aac.mov"_s, u"loop.mov"_s);
  Add(u"mpeg-ps-mpeg2-mp2.mpg"_s, u"last.mpg"_s);
  // "Help" pressed while the run waits for the looping file.
  QTimer::singleShot(400ms, form.get(), [&] { form->PushButton(5)->click(); });

  form->PushButton(2)->click();

  const ResultTableModel& table = form->ResultTable();
  ASSERT_EQ(table.RowCount(), 5);
  const QStringList reports = fakes.dialogs.ErrorReportTexts();
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
  EXPECT_EQ(Cell(1, u"General - Format"_s), u"MPEG-4"_s);
  EXPECT_EQ(Cell(3, u"General - Format"_s), u"AVI"_s);
  EXPECT_EQ(Cell(5, u"General - Format"_s), u"MPEG-PS"_s);
  for (const int bad : {2, 4}) {
    for (int s = 1; s <= kMediaColumnCount; ++s)
      EXPECT_TRUE(table.Cell(bad, s + 1).isEmpty()) << bad << " " << s;
    EXPECT_FALSE(table.Cell(bad, 49 + 1).isEmpty()) << "file-system cells are filled";
  }
  EXPECT_EQ(table.Cell(1, 1), good);
  // The shell's media columns come from the same parse.
  EXPECT_EQ(Cell(1, u"File General - Length"_s), u"0:00:01"_s);
  EXPECT_EQ(Messages().size(), 2);
  EXPECT_EQ(Messages().value(1), u"Done."_s);
  EXPECT_NE(Messages().value(0), u"Done."_s) << "Help answered during the run";
}

TEST_F(WorkerRun, ClosingTheWindowDuringARunEndsItWithNoWorkerLeft) {
  MediaWorkers library(WorkerOnStandIn());
  UseWorkers(library);
  Add(u"mp4-h264-aac.mp4"_s, u"loop.mp4"_s);
  Add(u"mp4-h264-aac.mp4"_s, u"b.mp4"_s);
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

// Answers arrive faster than the window takes them: a close still ends the
// run at once, at any moment of it.
TEST_F(WorkerRun, AClosingWindowEndsARunWhileAnswersArriveFast) {
  MediaWorkers library(Worker());
  UseWorkers(library);
  const QString clip = Add(u"mp4-h264-aac.mp4"_s, u"clip.mp4"_s);
  for (int i = 1; i < 2000; ++i) {
    const QString link = tree.Path(u"clip%1.mp4"_s.arg(i));
    ASSERT_TRUE(QFile::link(clip, link) || CopyFileTo(clip, link));
    form->InputList().Append(link);
  }
  for (const int closeAt : {2, 40, 400}) {
    QList<qint64> workers;
    QElapsedTimer sinceClose;
    When([&] { return table().RowCount() >= closeAt; },
         [&] {
           workers = library.Pool()->WorkerIds();
           sinceClose.start();
           form->close();
         });
    form->PushButton(2)->click();

    EXPECT_LT(sinceClose.elapsed(), 1000) << closeAt;
    EXPECT_LT(table().RowCount(), 2000) << closeAt;
    EXPECT_TRUE(Messages().isEmpty()) << "no Done. after a close";
    ASSERT_FALSE(workers.isEmpty());
    for (const qint64 pid : workers) EXPECT_TRUE(EndsWithin(pid, 10'000)) << pid;
    // The next window of the same program starts anew.
    Platform platform = form->platform();
    form = std::make_unique<Form1>(platform);
    form->Pump().SetInterval(15);
    for (int i = 0; i < 2000; ++i)
      form->InputList().Append(i == 0 ? clip : tree.Path(u"clip%1.mp4"_s.arg(i)));
  }
}

// Files that change after the walk that found them and before the run: each
// costs its own cells, failing where a look-up of it fails, with the system's
// own text; the rest of the run goes on.
TEST_F(WorkerRun, AFileThatVanishesIsRenamedOrIsRefusedBeforeTheRunCostsItsOwnCells) {
  const QStringList names = {u"kept.mp4"_s, u"gone.mp4"_s, u"moved.mp4"_s, u"denied.mp4"_s,
                             u"denied-folder/in.mp4"_s};
  for (const QString& name : names) {
    tree.Folder(u"source/"_s + name.section(u'/', 0, -2));
    ASSERT_TRUE(
        CopyFileTo(TestDataPath(u"media/mp4-h264-aac.mp4"_s), tree.Path(u"source/"_s + name)));
  }
  // A share refuses to look up a name with "denied" in it, even for root.
  SlowFsMount mount(VISTAREL_SLOWFS, tree.Path(u"source"_s).toStdString(),
                    tree.Path(u"share"_s).toStdString(), 0);
  if (!mount.isMounted())
    GTEST_SKIP() << mount.reason();
  MediaWorkers library(Worker());
  UseWorkers(library);
  for (const QString& name : names) form->InputList().Append(tree.Path(u"share/"_s + name));
  ASSERT_TRUE(QFile::remove(tree.Path(u"source/gone.mp4"_s)));
  ASSERT_TRUE(QFile::rename(tree.Path(u"source/moved.mp4"_s), tree.Path(u"source/elsewhere.mp4"_s)));

  form->PushButton(2)->click();

  std::vector<int> fileSteps = {210};
  for (int line = 212; line <= 232; line += 2) fileSteps.push_back(line);
  std::vector<int> folderSteps = {242};
  folderSteps.insert(folderSteps.end(), kShellPropertyCount, 246);
  folderSteps.push_back(254);
  struct Row {
    std::vector<std::vector<int>> steps;
    QStringList texts;  // of the first report of each part
  };
  const QString share = tree.Path(u"share/"_s);
  const std::vector<Row> rows = {
      {{}, {}},
      {{fileSteps}, {u"No such file or directory: "_s + share + u"gone.mp4"_s}},
      {{fileSteps}, {u"No such file or directory: "_s + share + u"moved.mp4"_s}},
      {{fileSteps}, {u"Permission denied: "_s + share + u"denied.mp4"_s}},
      {{fileSteps, folderSteps},
       {u"Permission denied: "_s + share + u"denied-folder/in.mp4"_s,
        u"Permission denied: "_s + share + u"denied-folder"_s}},
  };
  const std::vector<ShownBox> reports = fakes.dialogs.ErrorReports();
  size_t at = 0;
  std::vector<int> expected;
  for (const Row& row : rows) {
    for (size_t part = 0; part < row.steps.size(); ++part) {
      ASSERT_LT(at, reports.size());
      EXPECT_TRUE(reports[at].text.startsWith(row.texts[int(part)] + u"\r\n"_s))
          << reports[at].text.toStdString();
      expected.insert(expected.end(), row.steps[part].begin(), row.steps[part].end());
      at += row.steps[part].size();
    }
  }
  EXPECT_EQ(ReportedLines(), expected);
  ASSERT_EQ(table().RowCount(), 5);
  EXPECT_EQ(Cell(1, u"General - Format"_s), u"MPEG-4"_s);
  EXPECT_EQ(Cell(1, u"File General - Length"_s), u"0:00:01"_s);
  for (int row = 2; row <= 5; ++row) EXPECT_TRUE(Cell(row, u"General - Format"_s).isEmpty());
  EXPECT_EQ(Messages(), QStringList{u"Done."_s});
}

TEST_F(WorkerRun, AFifoAndANameThatIsNotUtf8GoThroughTheWorkersWithoutBlocking) {
  MediaWorkers library(Worker());
  UseWorkers(library);
  const QString fifo = tree.Path(u"pipe.mp4"_s);
  ASSERT_TRUE(MakeFifo(fifo));
  form->InputList().Append(fifo);
  // "vid\xE9o.mp4": Latin-1 bytes, carried as a lone surrogate.
  Add(u"mp4-h264-aac.mp4"_s, u"vid"_s + QChar(0xDCE9) + u"o.mp4"_s);

  EXPECT_TRUE(ReturnsWithoutBlockingHere(fifo, [&] { form->PushButton(2)->click(); }));

  ASSERT_EQ(form->ResultTable().RowCount(), 2);
  EXPECT_TRUE(fakes.dialogs.ErrorReportTexts().isEmpty()) << fakes.dialogs.ErrorReportTexts().join(u"\n"_s).toStdString();
  EXPECT_TRUE(Cell(1, u"General - Format"_s).isEmpty());
  EXPECT_FALSE(Cell(1, u"File System - Type"_s).isEmpty());
  EXPECT_EQ(Cell(2, u"General - Format"_s), u"MPEG-4"_s);
  EXPECT_EQ(Cell(2, u"File General - Length"_s), u"0:00:01"_s);
}

TEST_F(WorkerRun, WorkersUnderAnAsciiLocaleStillReadNonAsciiNames) {
  // The workers take the program's environment.
  const QByteArray saved = qgetenv("LC_ALL");
  qputenv("LC_ALL", "C");
  MediaWorkers library(Worker());
  UseWorkers(library);
  Add(u"mp4-h264-aac.mp4"_s, u"vidéo 日本.mp4"_s);
  form->PushButton(2)->click();
  if (saved.isNull())
    qunsetenv("LC_ALL");
  else
    qputenv("LC_ALL", saved);

  EXPECT_TRUE(fakes.dialogs.ErrorReportTexts().isEmpty());
  EXPECT_EQ(Cell(1, u"General - Format"_s), u"MPEG-4"_s);
}

TEST_F(WorkerRun, ALibraryThatCannotBeLoadedIsReportedAtEachLibraryStepAsBefore) {
  MediaWorkers library(Worker({u"/nonexistent/libmediainfo.so.0"_s}));
  UseWorkers(library);
  Add(u"mp4-h264-aac.mp4"_s, u"a.mp4"_s);

  form->PushButton(2)->click();

  for (const QString& text : fakes.dialogs.ErrorReportTexts()) {
    EXPECT_TRUE(
        text.startsWith(u"The MediaInfo library /nonexistent/libmediainfo.so.0 cannot be "
                        u"loaded: "_s))
        << text.toStdString();
  }
  // New, Open, the 38 queries (130 to 204), Close and Delete.
  std::vector<int> expected = {124, 126};
  for (int line = 130; line <= 204; line += 2) expected.push_back(line);
  expected.insert(expected.end(), {206, 208});
  EXPECT_EQ(fakes.dialogs.ReportedLines(), expected);
  EXPECT_FALSE(Cell(1, u"File System - Size"_s).isEmpty());
}

// Entries of the file's folder with its display name give the shell's values
// too: read by the worker, and one that crashes it costs nothing but its own.
TEST_F(WorkerRun, SameNamedSiblingsAreReadByTheWorkerAndOneThatCrashesItCostsNothing) {
  MediaWorkers library(WorkerOnStandIn());
  UseWorkers(library);
  Add(u"mp4-h264-aac.mp4"_s, u"clip.mp4"_s);
  ASSERT_TRUE(CopyFileTo(TestDataPath(u"media/mp4-tagged.mp4"_s), tree.Path(u"clip.mov"_s)));
  Add(u"avi-mpeg4-mp3.avi"_s, u"other.avi"_s);
  // Named "crash", the stand-in library crashes on it.
  ASSERT_TRUE(CopyFileTo(TestDataPath(u"media/mp4-h264-aac.mp4"_s), tree.Path(u"other.crash"_s)));
  Add(u"mpeg-ps-mpeg2-mp2.mpg"_s, u"last.mpg"_s);

  // Two runs in a row over the same workers' library.
  for (int run = 1; run <= 2; ++run) {
    form->PushButton(2)->click();
    EXPECT_TRUE(fakes.dialogs.ErrorReportTexts().isEmpty()) << run << fakes.dialogs.ErrorReportTexts().join(u"\n"_s).toStdString();
    ASSERT_EQ(form->ResultTable().RowCount(), 3) << run;
    EXPECT_EQ(Cell(1, u"File General - Title"_s), u"Größe 日本 🎬"_s) << "from clip.mov";
    EXPECT_EQ(Cell(1, u"File General - Frame width"_s), u"320"_s) << "clip.mp4 last";
    EXPECT_EQ(Cell(2, u"General - Format"_s), u"AVI"_s);
    EXPECT_EQ(Cell(3, u"General - Format"_s), u"MPEG-PS"_s);
    EXPECT_EQ(Messages().value(run - 1), u"Done."_s);
  }
}

// A worker ends with the program, even one the program never got to end.
TEST(MediaWorker, EndsWithTheProgramThatStartedIt) {
  QProcess parent;
  // The worker waits on a pipe that stays open; its parent is the shell. It
  // reads on descriptor 3 and answers on 4.
  parent.start(u"sh"_s, {u"-c"_s, u"sleep 60 | \"$0\" 3<&0 4>&1 & echo $!; exec sleep 60"_s,
                         QStringLiteral(VISTAREL_PROGRAM_DIR "/vistarel-media-worker")});
  // Its number, then its hello: it is at work.
  const QByteArray hello = helper_message::Hello();
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
// walk over the helpers, whatever a share does then.
struct CallCount final : CallWatch {
  void Returned() override { ++calls; }
  int calls = 0;
};

TEST_F(WorkerRun, NoCallOnTheWindowsThreadTakesAUsersPathDuringARunOrAWalk) {
  const auto countCalls = [](const std::function<void()>& action) {
    CallCount count;
    const ScopedCallWatch watching(count);
    action();
    return count.calls;
  };
  MediaInfoLibrary real;
  UseInProcessLibrary(real);
  const QString clip = Add(u"mp4-h264-aac.mp4"_s, u"a.mp4"_s);
  // The window's own process looks at the disk: the count sees it.
  EXPECT_GT(countCalls([&] { Press(); }), 0);

  MediaWorkers library(Worker());
  UseWorkers(library);
  form->InputList().Append(clip);
  tree.File(u"sub/b.mp4"_s);
  fakes.dialogs.inputAnswers.push_back(u"mp4"_s);
  fakes.dialogs.folderAnswers.push_back(tree.root());
  EXPECT_EQ(countCalls([&] {
              form->PushButton(3)->click();
              form->PushButton(2)->click();
            }),
            0);
  EXPECT_EQ(form->ResultTable().RowCount(), 3);
  EXPECT_EQ(Cell(1, u"General - Format"_s), u"MPEG-4"_s);
}

TEST_F(WorkerRun, GivesTheSameRowsAsTheLibraryInTheWindowsOwnProcess) {
  const QDir media(TestDataPath(u"media"_s));
  const auto run = [&] {
    for (const QString& name : media.entryList(QDir::Files, QDir::Name))
      form->InputList().Append(media.filePath(name));
    Press();
    // Every cell under its header; reading a file may change when it was last read.
    std::map<QString, QStringList> cells;
    for (int c = 1; c <= table().ColumnCount(); ++c) {
      if (table().HeaderText(c).contains(u"ccessed"_s))
        continue;
      for (int r = 1; r <= table().RowCount(); ++r)
        cells[table().HeaderText(c)].append(table().Cell(r, c));
    }
    return cells;
  };
  MediaInfoLibrary real;
  UseInProcessLibrary(real);
  const auto before = run();
  MediaWorkers pooled(Worker());
  UseWorkers(pooled);
  const auto after = run();

  EXPECT_TRUE(fakes.dialogs.ErrorReportTexts().isEmpty());
  ASSERT_EQ(before.size(), after.size());
  for (const auto& [header, cells] : before) {
    ASSERT_TRUE(after.count(header)) << header.toStdString();
    EXPECT_EQ(cells, after.at(header)) << header.toStdString();
  }
}

}  // namespace
}  // namespace vistarel::test
