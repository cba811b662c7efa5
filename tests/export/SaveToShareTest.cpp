// "Save Results As Text File" into a share, played by a writable slowfs, in
// the real window through the real writer helper: a share whose writes never
// return costs the save (57 after the stall limit, at its step, naming the
// file, the earlier file kept), never the window, and a close ends the save at
// once even with the writer stuck in the kernel; a share that answers gets the
// same bytes as a local folder.
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <sys/syscall.h>

#include <functional>
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
const QByteArray kEarlier = "earlier results\r\n";

class SaveToShare : public RunFixture {
 protected:
  void SetUp() override {
    tree.Folder(u"source"_s);
    tree.Folder(u"local"_s);
    std::vector<std::string> more{"--writable"};
    if (StuckWhenKilled())
      more.push_back("--stuck-when-killed");
    mount = std::make_unique<SlowFsMount>(VISTAREL_SLOWFS, tree.Path(u"source"_s).toStdString(),
                                          tree.Path(u"share"_s).toStdString(), 0, 10s, more);
    if (!mount->isMounted())
      GTEST_SKIP() << mount->reason();
    library = std::make_unique<MediaWorkers>(
        HelperCommand{QStringLiteral(VISTAREL_PROGRAM_DIR "/vistarel-media-worker"), {}});
    UseWorkers(*library, kStallLimit);
    // Rows enough for more than one write of the helper (a write goes out
    // per megabyte), with cells the locale's encoding must turn into bytes.
    for (int i = 1; i <= 1500; ++i) {
      const int row = table().AddRow(u"/v/vidéo %1.mp4"_s.arg(i));
      table().SetSubItem(row, 1, u"MPEG-4 ✓"_s);
      table().SetSubItem(row, 2, QString(i % 40, u'x'));
      table().SetIncluded(row, i % 7 != 0);
    }
  }
  virtual bool StuckWhenKilled() const { return false; }

  // Saves the table through "Save Results As Text File" as `path`.
  void Save(const QString& path) {
    fakes.dialogs.saveAnswers.push_back(path);
    form->PushButton(8)->click();
  }
  // Runs `action` once, at the first yield of the window at which the writer
  // helper waits in a write for the share to answer.
  void WhenTheWriterIsStuck(std::function<void()> action) {
    auto* poll = new QTimer(form.get());
    QObject::connect(poll, &QTimer::timeout, form.get(), [this, poll, action] {
      for (const qint64 pid : ChildrenWith(QCoreApplication::applicationPid(), "--write")) {
        if (WaitingIn(pid) == SYS_write && WaitsForFuse(pid)) {
          writer = pid;
          poll->stop();
          poll->deleteLater();
          action();
          return;
        }
      }
    });
    poll->start(10);
  }
  static QByteArray Contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(no file)");
  }

  std::unique_ptr<SlowFsMount> mount;
  std::unique_ptr<MediaWorkers> library;
  qint64 writer = 0;  // the writer helper, once found stuck
};

class StalledSave : public SaveToShare, public testing::WithParamInterface<bool> {
 protected:
  bool StuckWhenKilled() const override { return GetParam(); }
};

TEST_P(StalledSave, HelpAnswersMeanwhileAndTheSaveFailsAt116KeepingTheEarlierFile) {
  tree.File(u"source/stall.txt"_s, kEarlier);
  const QString path = tree.Path(u"share/stall.txt"_s);
  // The window's own timer goes on through the stall: the longest gap
  // between its ticks is how long the window did not answer.
  QTimer tick;
  QElapsedTimer sinceTick;
  qint64 longestGap = 0;
  QObject::connect(&tick, &QTimer::timeout, form.get(), [&] {
    longestGap = std::max(longestGap, sinceTick.restart());
  });
  QElapsedTimer sinceStuck;
  WhenTheWriterIsStuck([&] {
    sinceStuck.start();
    form->PushButton(5)->click();
  });
  qint64 reportAfterStuck = -1;
  fakes.dialogs.onBox = [&](const ShownBox& box) {
    if (box.title == u"Application Error"_s)
      reportAfterStuck = sinceStuck.elapsed();
  };
  sinceTick.start();
  tick.start(10);

  Save(path);
  tick.stop();

  ASSERT_NE(writer, 0) << "the writer never waited in a write";
  ASSERT_EQ(fakes.dialogs.boxes.size(), 2u);
  EXPECT_EQ(fakes.dialogs.Messages().size(), 1u) << "Help answered before the report";
  const std::vector<ShownBox> reports = fakes.dialogs.ErrorReports();
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(fakes.dialogs.boxes.back().text, reports[0].text) << "the report came last";
  const QString description = reports[0].text.section(u'\r', 0, 0);
  EXPECT_EQ(description, u"Writing "_s + path +
                             u" made no progress for 1.5 seconds and was given up; its disk or "
                             u"share does not answer."_s);
  EXPECT_TRUE(reports[0].text.contains(u"PushButton8_Click at line 116"_s));
  // Given up after the limit: progress is looked at once a second, so
  // between the limit and the limit and two looks after the write began.
  EXPECT_GE(reportAfterStuck, 1000);
  EXPECT_LT(reportAfterStuck, 4500);
  EXPECT_LT(longestGap, 1000) << "the window did not answer for " << longestGap << " ms";
  EXPECT_EQ(Contents(tree.Path(u"source/stall.txt"_s)), kEarlier);
}

TEST_P(StalledSave, AClosingWindowEndsTheSaveWithoutWaitingForItsStuckWriter) {
  tree.File(u"source/stall.txt"_s, kEarlier);
  QElapsedTimer sinceClose;
  WhenTheWriterIsStuck([&] {
    sinceClose.start();
    form->close();
  });

  Save(tree.Path(u"share/stall.txt"_s));

  ASSERT_TRUE(sinceClose.isValid()) << "the writer never waited in a write";
  // Far less than the stall limit: nothing waited for the stuck writer.
  EXPECT_LT(sinceClose.elapsed(), 1000);
  EXPECT_TRUE(form->Pump().IsClosing());
  EXPECT_TRUE(fakes.dialogs.boxes.empty()) << "no report after a close";
  EXPECT_TRUE(IsRunning(writer)) << "the writer is still stuck, and was let go";
  // It ends once the share does, and the earlier file stays as it was.
  mount->Unmount();
  EXPECT_TRUE(EndsWithin(writer, 10'000));
  EXPECT_EQ(Contents(tree.Path(u"source/stall.txt"_s)), kEarlier);
}

INSTANTIATE_TEST_SUITE_P(KilledCallers, StalledSave, testing::Values(false, true),
                         [](const testing::TestParamInfo<bool>& info) {
                           return info.param ? "StayStuck" : "End";
                         });

TEST_F(SaveToShare, AShareThatAnswersGetsTheBytesOfALocalSaveAndNoLeftovers) {
  // A new file and one over an earlier file: a local disk may take the file
  // without a name and link it into place, the share takes it beside its name.
  tree.File(u"local/earlier.txt"_s, kEarlier);
  tree.File(u"source/results.txt"_s, kEarlier);
  Save(tree.Path(u"local/results.txt"_s));
  Save(tree.Path(u"local/earlier.txt"_s));
  Save(tree.Path(u"share/results.txt"_s));

  EXPECT_TRUE(fakes.dialogs.boxes.empty())
      << fakes.dialogs.ErrorReportTexts().join(u'\n').toStdString();
  const QByteArray local = Contents(tree.Path(u"local/results.txt"_s));
  EXPECT_GT(local.size(), 1 << 20) << "more than one write";
  EXPECT_TRUE(local.startsWith("Video File/s"));
  EXPECT_TRUE(Contents(tree.Path(u"local/earlier.txt"_s)) == local);
  EXPECT_TRUE(Contents(tree.Path(u"source/results.txt"_s)) == local);
  // The earlier files were replaced, and nothing written beside them is left.
  const auto files = [&](const QString& folder) {
    return QDir(tree.Path(folder)).entryList(QDir::Files | QDir::Hidden | QDir::System);
  };
  EXPECT_EQ(files(u"local"_s), (QStringList{u"earlier.txt"_s, u"results.txt"_s}));
  EXPECT_EQ(files(u"source"_s), QStringList{u"results.txt"_s});
  EXPECT_EQ(form->ProgressBar1()->Caption(), u"Progress Bar"_s);
}

}  // namespace
}  // namespace vistarel::test
