// A share that stops answering, played by slowfs: a look-up or listing that
// never returns costs its file or folder, never the window, and a close ends
// the run at once even with a helper stuck in the kernel. The kernel holds
// the other look-ups of a FUSE folder while one is unanswered, so the dead
// file has a folder of its own.
#include <QElapsedTimer>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

#include "extract/RunFixture.h"
#include "media/MediaWorkers.h"
#include "support/Processes.h"
#include "tools/slowfs/SlowFsMount.h"

namespace vistarel::test {
namespace {

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

constexpr auto kStallLimit = 1500ms;

// The real window as the program makes it, over a slowfs mirror of a folder
// with a file whose look-up never returns and a folder whose listing never
// returns.
class StalledShare : public RunFixture, public testing::WithParamInterface<bool> {
 protected:
  void SetUp() override {
    for (const QString& name : {u"a.mp4"_s, u"dead/deadstat.mp4"_s, u"deadlist/c.mp4"_s,
                                u"fine/d.mp4"_s, u"z.mp4"_s}) {
      tree.Folder(u"source/"_s + name.section(u'/', 0, -2));
      ASSERT_TRUE(CopyFileTo(TestDataPath(u"media/mp4-h264-aac.mp4"_s),
                             tree.Path(u"source/"_s + name)));
    }
    std::vector<std::string> more;
    if (StuckWhenKilled())
      more.push_back("--stuck-when-killed");
    mount = std::make_unique<SlowFsMount>(VISTAREL_SLOWFS, tree.Path(u"source"_s).toStdString(),
                                          tree.Path(u"share"_s).toStdString(), 0, 10s, more);
    if (!mount->isMounted())
      GTEST_SKIP() << mount->reason();
    MediaWorkerPool::Limits limits;
    limits.stallLimit = kStallLimit;
    limits.stallCheck = 100ms;
    library = std::make_unique<MediaWorkers>(
        HelperCommand{QStringLiteral(VISTAREL_PROGRAM_DIR "/vistarel-media-worker"), {}}, limits);
    UseWorkers(*library, kStallLimit);
  }
  bool StuckWhenKilled() const { return GetParam(); }
  QString Share(const QString& name) { return tree.Path(u"share/"_s + name); }

  std::unique_ptr<SlowFsMount> mount;
  std::unique_ptr<MediaWorkers> library;
};

TEST_P(StalledShare, AFileWhoseLookUpNeverReturnsCostsItsCellsWhileTheWindowAnswers) {
  for (const QString& name : {u"a.mp4"_s, u"dead/deadstat.mp4"_s, u"z.mp4"_s})
    form->InputList().Append(Share(name));
  // "Help" pressed while the run waits for the dead file.
  QTimer::singleShot(300ms, form.get(), [&] { form->PushButton(5)->click(); });

  form->PushButton(2)->click();

  const QStringList messages = fakes.dialogs.MessageTexts();
  ASSERT_EQ(messages.size(), 2);
  EXPECT_NE(messages[0], u"Done."_s) << "Help answered during the stall";
  EXPECT_EQ(messages[1], u"Done."_s);
  ASSERT_EQ(table().RowCount(), 3);
  for (const int good : {1, 3}) {
    EXPECT_EQ(Cell(good, u"General - Format"_s), u"MPEG-4"_s) << good;
    EXPECT_EQ(Cell(good, u"File System - Size"_s), u"10363"_s) << good;
  }
  EXPECT_TRUE(Cell(2, u"General - Format"_s).isEmpty());
  // The look-up fails where the window's own would have: the open, the file
  // object and the folder object, each with the stall's failure.
  const std::vector<ShownBox> reports = fakes.dialogs.ErrorReports();
  ASSERT_GE(reports.size(), 3u);
  const QString stalled = u"Looking up "_s + Share(u"dead/deadstat.mp4"_s) +
                          u" made no progress for 1.5 seconds and was given up"_s;
  for (const int line : {126, 210, 242}) {
    const auto found = std::find_if(reports.begin(), reports.end(), [&](const ShownBox& box) {
      return box.text.contains(u"at line %1"_s.arg(line));
    });
    ASSERT_NE(found, reports.end()) << line;
    EXPECT_TRUE(found->text.startsWith(stalled)) << found->text.toStdString();
  }
}

// One file whose look-up never returns beside three that answer, and a file in
// a folder whose listing never returns: each costs what stalled, and only that.
// The kernel holds the folder's other look-ups and listings while the dead
// look-up hangs; they go on once its helper is given up.
TEST_P(StalledShare, AStallCostsWhatStalledAndNotItsNeighbours) {
  if (StuckWhenKilled())
    GTEST_SKIP() << "a look-up that stays stuck holds every new look-up in its folder";
  const QStringList names = {u"row/a.mp4"_s, u"row/b.mp4"_s, u"row/deadstat.mp4"_s,
                             u"row/z.mp4"_s, u"row/deadlist/c.mp4"_s};
  for (const QString& name : names) {
    tree.Folder(u"source/"_s + name.section(u'/', 0, -2));
    ASSERT_TRUE(CopyFileTo(TestDataPath(u"media/mp4-h264-aac.mp4"_s),
                           tree.Path(u"source/"_s + name)));
    form->InputList().Append(Share(name));
  }

  form->PushButton(2)->click();

  ASSERT_EQ(table().RowCount(), 5);
  for (const int live : {1, 2, 4, 5})
    EXPECT_EQ(Cell(live, u"General - Format"_s), u"MPEG-4"_s) << live;
  EXPECT_TRUE(Cell(3, u"General - Format"_s).isEmpty());
  // The live files beside it keep their shell columns; the file in the dead
  // folder loses only those.
  for (const int shown : {1, 2, 4})
    EXPECT_EQ(Cell(shown, u"File General - Length"_s), u"0:00:01"_s) << shown;
  EXPECT_TRUE(Cell(5, u"File General - Length"_s).isEmpty());
  EXPECT_EQ(Cell(5, u"File System - Size"_s), u"10363"_s);

  // Reports: the dead file's own steps, then the shell's steps of the file in
  // the dead folder, and nothing else.
  const auto shellSteps = [] {
    std::vector<int> lines = {242};
    lines.insert(lines.end(), kShellPropertyCount, 246);
    lines.push_back(254);
    return lines;
  };
  std::vector<int> expected = {126, 210};
  for (int line = 212; line <= 232; line += 2) expected.push_back(line);
  for (const int line : shellSteps()) expected.push_back(line);
  for (const int line : shellSteps()) expected.push_back(line);
  EXPECT_EQ(ReportedLines(), expected);
  const std::vector<ShownBox> reports = fakes.dialogs.ErrorReports();
  ASSERT_EQ(reports.size(), expected.size());
  const QString lookUp = u"Looking up "_s + Share(u"row/deadstat.mp4"_s) +
                         u" made no progress for 1.5 seconds and was given up"_s;
  for (const size_t report : {0u, 1u, 13u})
    EXPECT_TRUE(reports[report].text.startsWith(lookUp)) << reports[report].text.toStdString();
  EXPECT_TRUE(reports[56].text.startsWith(u"Listing the folder "_s + Share(u"row/deadlist"_s) +
                                          u" made no progress for 1.5 seconds"_s))
      << reports[56].text.toStdString();
}

TEST_P(StalledShare, AFolderWhoseListingNeverReturnsCostsOnlyThatFolder) {
  fakes.dialogs.inputAnswers.push_back(u"mp4"_s);
  fakes.dialogs.folderAnswers.push_back(Share({}).chopped(1));

  form->PushButton(3)->click();

  // A file whose attributes cannot be read is added all the same.
  EXPECT_EQ(form->InputList().Entries(),
            (QStringList{Share(u"a.mp4"_s), Share(u"z.mp4"_s), Share(u"dead/deadstat.mp4"_s),
                         Share(u"fine/d.mp4"_s)}));
  // The listing of deadlist's subfolders ends without a report, as any failure
  // there but a refusal does; its files are not asked for again but fail at
  // once with it.
  const QStringList reports = fakes.dialogs.ErrorReportTexts();
  ASSERT_EQ(reports.size(), 2) << reports.join(u"\n"_s).toStdString();
  EXPECT_TRUE(reports[0].startsWith(u"Looking up "_s + Share(u"dead/deadstat.mp4"_s) +
                                    u" made no progress for 1.5 seconds"_s))
      << reports[0].toStdString();
  EXPECT_TRUE(reports[0].contains(u"PushButton3_Click at line 126"_s));
  EXPECT_TRUE(reports[1].startsWith(u"Listing the folder "_s + Share(u"deadlist/"_s) +
                                    u" made no progress for 1.5 seconds"_s))
      << reports[1].toStdString();
  EXPECT_TRUE(reports[1].contains(u"PushButton3_Click at line 118"_s));
}

TEST_P(StalledShare, AClosingWindowEndsTheRunWithoutWaitingForItsStuckHelpers) {
  form->InputList().Append(Share(u"dead/deadstat.mp4"_s));
  form->InputList().Append(Share(u"a.mp4"_s));
  QList<qint64> workers;
  QElapsedTimer sinceClose;
  // Closed once a worker is stuck waiting for the share.
  When(
      [&] {
        const MediaWorkerPool* pool = library->Pool();
        if (pool == nullptr)
          return false;
        const QList<qint64> ids = pool->WorkerIds();
        return std::any_of(ids.begin(), ids.end(), [](qint64 pid) { return WaitsForFuse(pid); });
      },
      [&] {
        workers = library->Pool()->WorkerIds();
        sinceClose.start();
        form->close();
      });

  form->PushButton(2)->click();

  // Far less than the stall limit: nothing waited for the stuck worker.
  EXPECT_LT(sinceClose.elapsed(), 1000);
  EXPECT_TRUE(fakes.dialogs.MessageTexts().isEmpty()) << "no Done. after a close";
  ASSERT_FALSE(workers.isEmpty());
  // A worker stuck in the kernel ends once the share does.
  mount->Unmount();
  for (const qint64 pid : workers) EXPECT_TRUE(EndsWithin(pid, 10'000)) << pid;
}

INSTANTIATE_TEST_SUITE_P(KilledCallers, StalledShare, testing::Values(false, true),
                         [](const testing::TestParamInfo<bool>& info) {
                           return info.param ? "StayStuck" : "End";
                         });

}  // namespace
}  // namespace vistarel::test
