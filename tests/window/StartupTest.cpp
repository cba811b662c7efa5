#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include "base/Failure.h"
#include "desktop/SystemClock.h"
#include "extract/ResultTableModel.h"
#include "gui/MousePointer.h"
#include "gui/QtEventPump.h"
#include "gui/StartupHelpers.h"
#include "support/SpecialFiles.h"
#include "support/TempTree.h"
#include "support/TestPlatform.h"
#include "window/Form1.h"

namespace vistarel {
namespace {

using namespace Qt::StringLiterals;

// A 32 by 32 Windows cursor file with the given hot spot: an icon file whose
// type is 2 and whose entry holds the hot spot where an icon has its planes.
QByteArray CursorFile(int hotX, int hotY) {
  QImage image(32, 32, QImage::Format_ARGB32);
  image.fill(Qt::transparent);
  QPainter(&image).fillRect(8, 0, 8, 24, Qt::black);
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "ICO");
  bytes[2] = 2;
  bytes[10] = static_cast<char>(hotX);
  bytes[12] = static_cast<char>(hotY);
  return bytes;
}

TEST(LoadCursorFile, TakesTheHotSpotFromTheFile) {
  test::TempTree tree;
  const QString path = tree.File(u"HAND-M.CUR"_s, CursorFile(11, 1));
  const QCursor cursor = LoadCursorFile(path);
  EXPECT_EQ(cursor.hotSpot(), QPoint(11, 1));
  EXPECT_EQ(cursor.pixmap().size(), QSize(32, 32));
  EXPECT_THROW(LoadCursorFile(tree.File(u"bad.cur"_s, "not a picture")), Failure);
}

TEST(LoadCursorFile, TheShippedHandPointsWithItsFingerTip) {
  const QCursor hand = LoadCursorFile(QString::fromUtf8(VISTAREL_PROGRAM_DIR) + u"/HAND-M.CUR"_s);
  EXPECT_EQ(hand.pixmap().size(), QSize(32, 32));
  EXPECT_EQ(hand.hotSpot(), QPoint(12, 1));
}

TEST(FileExists, TellsFilesFromEverythingElseWithoutOpeningThem) {
  test::TempTree tree;
  const QString file = tree.File(u"a.avi"_s, "x");
  EXPECT_TRUE(FileExists(file));
  EXPECT_FALSE(FileExists(QString()));
  EXPECT_FALSE(FileExists(tree.Path(u"missing.avi"_s)));
  EXPECT_FALSE(FileExists(tree.Folder(u"Splash"_s) + u'/'));
  const QString fifo = tree.Path(u"pipe"_s);
  ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
  EXPECT_TRUE(FileExists(fifo));  // must not block
}

TEST(IsDevelopmentRun, FollowsTheBuildTreeMarker) {
  test::TempTree tree;
  EXPECT_FALSE(IsDevelopmentRun(tree.root()));
  tree.File(u"vistarel.build-tree"_s);
  EXPECT_TRUE(IsDevelopmentRun(tree.root()));
  EXPECT_TRUE(IsDevelopmentRun(QString()));
  EXPECT_TRUE(IsDevelopmentRun(QString::fromUtf8(VISTAREL_PROGRAM_DIR)));
}

TEST(MaybeOpenHomePage, OpensThePageOnlyOnADrawOfSeven) {
  test::FakeClock clock;
  clock.timeOfDay = 4321.25;
  test::FakeRandom random;
  test::FakeLauncher launcher;
  random.numbers = {0.0601, 0.0599, 0.07, 0.999};  // draws 7, 6, 8, 100
  for (int start = 0; start < 4; ++start) MaybeOpenHomePage(clock, random, launcher);
  ASSERT_EQ(launcher.openedUrls.size(), 1u);
  EXPECT_EQ(launcher.openedUrls[0], QUrl(u"https://quorvane.example/vistarel"_s));
  EXPECT_EQ(random.seeds, std::vector<double>(4, 4321.25));
}

TEST(MaybeOpenHomePage, OpensOnAboutOneStartInAHundred) {
  SystemClock clock;
  SystemRandom random;
  test::FakeLauncher launcher;
  constexpr int kStarts = 20000;
  for (int start = 0; start < kStarts; ++start) {
    const size_t before = launcher.openedUrls.size();
    test::FakeClock fixed;
    fixed.timeOfDay = start + 0.5;
    MaybeOpenHomePage(fixed, random, launcher);
    EXPECT_LE(launcher.openedUrls.size() - before, 1u);
  }
  EXPECT_NEAR(static_cast<double>(launcher.openedUrls.size()) / kStarts, 0.01, 0.003);
}

TEST(FormLoad, WithoutAHandPointerFileStartUpIsSilent) {
  test::TestPlatform fakes;
  auto form = fakes.MakeForm();
  EXPECT_TRUE(fakes.dialogs.boxes.empty());
  EXPECT_FALSE(form->HasHandPointerImage());
  EXPECT_TRUE(fakes.launcher.openedUrls.empty());
}

TEST(FormLoad, LoadsTheHandPointerBesideTheProgram) {
  test::TestPlatform fakes;
  QFile file(fakes.programDir.filePath(u"HAND-M.CUR"_s));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(CursorFile(9, 2));
  file.close();
  auto form = fakes.MakeForm();
  EXPECT_TRUE(form->HasHandPointerImage());
  form->SetMousePointer(mouse_pointer::kCustom);
  EXPECT_EQ(form->cursor().shape(), Qt::BitmapCursor);
  EXPECT_EQ(form->cursor().hotSpot(), QPoint(9, 2));
  EXPECT_TRUE(fakes.dialogs.boxes.empty());
}

TEST(FormLoad, AnUnloadableHandPointerIsReportedAtLine106AndStartUpGoesOn) {
  test::TestPlatform fakes;
  QFile file(fakes.programDir.filePath(u"HAND-M.CUR"_s));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("GIF89a but not really");
  file.close();
  auto form = fakes.MakeForm();
  const auto reports = fakes.dialogs.ErrorReports();
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_TRUE(reports[0].text.contains(u"Form1.Form_Load at line 106"_s));
  EXPECT_FALSE(form->HasHandPointerImage());
  form->SetMousePointer(mouse_pointer::kCustom);
  EXPECT_EQ(form->cursor().shape(), Qt::PointingHandCursor);
  EXPECT_EQ(form->ResultTable().ColumnCount(), 50);
}

// Opening a FIFO for reading waits for a writer: the window would never come.
TEST(FormLoad, AHandPointerThatIsAFifoIsReportedAtLine106WithoutBlocking) {
  test::TestPlatform fakes;
  const QString fifo = fakes.programDir.filePath(u"HAND-M.CUR"_s);
  ASSERT_TRUE(test::MakeFifo(fifo));
  std::unique_ptr<Form1> form;
  EXPECT_TRUE(test::ReturnsWithoutBlockingHere(fifo, [&] { form = fakes.MakeForm(); }));
  const auto reports = fakes.dialogs.ErrorReports();
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_TRUE(reports[0].text.contains(u"Form1.Form_Load at line 106"_s));
  EXPECT_TRUE(reports[0].text.contains(u"Not a regular file"_s));
  EXPECT_FALSE(form->HasHandPointerImage());
  EXPECT_EQ(form->ResultTable().ColumnCount(), 50);
}

TEST(FormLoad, OpensTheHomePageBeforeTheWindowIsShownAndReportsAFailureAt108) {
  test::TestPlatform fakes;
  fakes.random.numbers = {0.06};
  fakes.launcher.succeeds = false;
  auto form = fakes.MakeForm();
  EXPECT_FALSE(form->isVisible());
  ASSERT_EQ(fakes.launcher.openedUrls.size(), 1u);
  const auto reports = fakes.dialogs.ErrorReports();
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_TRUE(reports[0].text.contains(u"at line 108"_s));
  EXPECT_EQ(form->windowTitle(), u"Vistarel"_s);
}

TEST(Shutdown, ClosingMarksTheWindowSoThatTheNextYieldEndsItsHandler) {
  test::TestPlatform fakes;
  auto form = fakes.MakeForm();
  form->show();
  EXPECT_NO_THROW(form->Pump().Yield());
  form->close();
  EXPECT_TRUE(form->Pump().IsClosing());
  EXPECT_THROW(form->Pump().Yield(), HandlerAbort);
  EXPECT_THROW(form->Pump().YieldSoon(), HandlerAbort);
  EXPECT_TRUE(fakes.dialogs.boxes.empty());
  EXPECT_TRUE(fakes.settings.writes.empty());
}

}  // namespace
}  // namespace vistarel
