#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QImage>
#include <QLabel>

#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>
#include <functional>

#include <sys/stat.h>

#include "base/Failure.h"
#include "desktop/QtSettingsStore.h"
#include "desktop/SystemClock.h"
#include "extract/ResultTableModel.h"
#include "gui/QtEventPump.h"
#include "gui/Splash.h"
#include "gui/StyleSheetSkinEngine.h"
#include "support/TempTree.h"
#include "support/TestPlatform.h"
#include "window/Form1.h"

namespace vistarel {
namespace {

using namespace Qt::StringLiterals;

// A monotonic clock that moves by `step` on every read and lets a test act at
// each read, as a person could while the splash waits.
class SteppingClock final : public IClock {
 public:
  double SecondsSinceMidnight() override { return 12 * 3600.0; }
  double MonotonicSeconds() override {
    now += step;
    if (onRead)
      onRead(++reads);
    else
      ++reads;
    return now;
  }
  double Waited() const { return now - step; }  // from the first read to the last

  double now = 0;
  double step = 0.25;  // each pass of a wait sleeps one real time slice
  int reads = 0;
  std::function<void(int)> onRead;
};

QWidget* TopLevel(const QString& name) {
  for (QWidget* window : QApplication::topLevelWidgets())
    if (window->objectName() == name)
      return window;
  return nullptr;
}

class SplashStart : public testing::Test {
 protected:
  void Picture(const QString& name, int width = 300, int height = 200) {
    ASSERT_TRUE(QDir(fakes.programDir.path()).mkpath(u"Splash"_s));
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::darkBlue);
    ASSERT_TRUE(image.save(SplashFolder() + name, "PNG"));
  }
  QString SplashFolder() const { return fakes.programDir.path() + u"/Splash/"_s; }
  void ClickBoxAt(std::vector<int> reads) {
    clock.onRead = [reads](int read) {
      if (std::find(reads.begin(), reads.end(), read) != reads.end())
        TopLevel(u"Splash"_s)->findChild<QCheckBox*>(u"Check1"_s)->click();
    };
  }
  std::unique_ptr<Form1> Start() {
    platform.clock = &clock;
    return std::make_unique<Form1>(platform);
  }
  std::vector<test::ShownBox> Reports() const { return fakes.dialogs.ErrorReports(); }

  test::TestPlatform fakes;
  Platform platform = fakes.platform();
  SteppingClock clock;
};

TEST(ShowsSplash, ZeroShowsOtherNumbersDoNotAndTextFails) {
  EXPECT_TRUE(ShowsSplash(u" 0 "_s));
  EXPECT_FALSE(ShowsSplash(u"1"_s));
  EXPECT_FALSE(ShowsSplash(u"-3"_s));
  for (const QString& bad : {u"yes"_s, QString(), u"1x"_s, u"nan"_s})
    EXPECT_THROW(ShowsSplash(bad), Failure) << bad.toStdString();
}

TEST_F(SplashStart, ShowsA300By200PictureAloneForFourSecondsFramedAsDesigned) {
  Picture(u"splash.png"_s);
  int readsShownAlone = 0;
  clock.onRead = [&](int) {
    QWidgetList shown;
    for (QWidget* window : QApplication::topLevelWidgets())
      if (window->isVisible())
        shown << window;
    readsShownAlone += shown == QWidgetList{TopLevel(u"Splash"_s)};
  };
  auto form = Start();
  EXPECT_TRUE(Reports().empty());
  const Splash& splash = *form->SplashWindow();
  EXPECT_EQ(readsShownAlone, clock.reads);
  EXPECT_FALSE(splash.isVisible());  // hidden again, still loaded
  // Installed (no build-tree marker): 4 seconds on the monotonic clock.
  EXPECT_GE(clock.Waited(), 4.0);
  EXPECT_LT(clock.Waited(), 4.0 + 2 * clock.step);
  EXPECT_EQ(splash.windowTitle(), u"Vistarel"_s);
  EXPECT_TRUE(splash.windowFlags().testFlag(Qt::FramelessWindowHint));

  ASSERT_EQ(splash.logicalDpiX(), 96) << "the design values hold exactly at 96 DPI";
  const SplashLayout& layout = splash.Layout();
  EXPECT_EQ(layout.image, QRect(0, 0, 4500, 3300));
  EXPECT_EQ(layout.window, QSize(4500, 3300));
  EXPECT_EQ(layout.check, QRect(120, 2905, 4215, 375));
  EXPECT_EQ(layout.lines[0], (TwipsLine{0, 0, 0, 10000}));
  EXPECT_EQ(layout.lines[1], (TwipsLine{0, 0, 10000, 0}));
  EXPECT_EQ(layout.lines[2], (TwipsLine{4490, 0, 4490, 10000}));
  EXPECT_EQ(layout.lines[3], (TwipsLine{0, 3290, 10000, 3290}));

  EXPECT_EQ(splash.size(), QSize(300, 220));
  EXPECT_EQ(splash.Image1()->pixmap().size(), QSize(300, 200));
  EXPECT_EQ(splash.Check1()->geometry(), QRect(8, 194, 281, 25));
  EXPECT_EQ(splash.Line(1)->geometry(), QRect(0, 0, 1, 668));
  EXPECT_EQ(splash.Line(3)->geometry().left(), 299);  // the last column
  EXPECT_EQ(splash.Line(4)->geometry().top(), 219);   // the last row
  const QCheckBox& box = *splash.Check1();
  EXPECT_EQ(box.text(), u"Hide this at next startup"_s);
  EXPECT_EQ(box.font().family(), u"Arial"_s);
  EXPECT_TRUE(box.font().bold());
  EXPECT_DOUBLE_EQ(box.font().pointSizeF(), 9);
  EXPECT_EQ(box.palette().color(box.backgroundRole()), QColor(Qt::white));
}

TEST_F(SplashStart, ADevelopmentRunWaitsFourTenthsOfASecond) {
  Picture(u"splash.png"_s);
  QFile marker(fakes.programDir.filePath(u"vistarel.build-tree"_s));
  ASSERT_TRUE(marker.open(QIODevice::WriteOnly));
  marker.close();
  clock.step = 0.05;
  Start();
  EXPECT_GE(clock.Waited(), 0.4 - 1e-9);
  EXPECT_LT(clock.Waited(), 0.4 + 2 * clock.step);
}

TEST_F(SplashStart, UsesOnlyTheFirstOrdinaryFileListed) {
  Picture(u"b.png"_s, 100, 100);
  Picture(u"A.png"_s);
  Picture(u".0.png"_s, 50, 50);  // hidden
  ASSERT_TRUE(QDir(SplashFolder()).mkdir(u"0 folder"_s));
  ASSERT_EQ(mkfifo(QFile::encodeName(SplashFolder() + u"0pipe"_s).constData(), 0600), 0);
  auto form = Start();
  EXPECT_TRUE(Reports().empty());
  EXPECT_EQ(form->SplashWindow()->Image1()->pixmap().size(), QSize(300, 200));
}

TEST_F(SplashStart, NoPictureOrShowAgainOneMeansNoSplashAndNoMessage) {
  Start();  // no Splash folder
  ASSERT_TRUE(QDir(fakes.programDir.path()).mkpath(u"Splash/sub"_s));
  Start();  // only a folder in it
  Picture(u"splash.png"_s);
  fakes.settings.values.insert(u"ShowAgain"_s, u"1"_s);
  auto form = Start();
  EXPECT_TRUE(form->SplashWindow()->Image1()->pixmap().isNull());
  EXPECT_EQ(clock.reads, 0);
  EXPECT_TRUE(fakes.dialogs.boxes.empty());
}

TEST_F(SplashStart, ASettingOrPictureThatWillNotDoIsReportedAtLine110AndStartUpGoesOn) {
  Picture(u"splash.png"_s);
  fakes.settings.values.insert(u"ShowAgain"_s, u"never"_s);
  Start();
  ASSERT_EQ(Reports().size(), 1u);
  EXPECT_TRUE(Reports()[0].text.contains(u"\"never\""_s));
  EXPECT_TRUE(Reports()[0].text.contains(u"Form1.Form_Load at line 110"_s));

  fakes.settings.values.clear();
  fakes.dialogs.boxes.clear();
  QFile bad(SplashFolder() + u"0-not-a-picture.png"_s);
  ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
  bad.write("not a picture at all");
  bad.close();
  auto form = Start();
  ASSERT_EQ(Reports().size(), 1u);
  EXPECT_TRUE(Reports()[0].text.contains(u"0-not-a-picture.png"_s));
  EXPECT_TRUE(Reports()[0].text.contains(u"at line 110"_s));
  EXPECT_EQ(clock.reads, 0);  // never shown
  EXPECT_EQ(form->ResultTable().ColumnCount(), 50);
}

TEST_F(SplashStart, TickingAndClearingTheBoxDuringTheWaitLeavesZero) {
  Picture(u"splash.png"_s);
  ClickBoxAt({4, 8});
  Start();
  EXPECT_EQ(fakes.settings.writes, (std::vector<QString>{u"1"_s, u"0"_s}));
}

TEST_F(SplashStart, ATickKeepsTheSplashAwayAtTheNextStart) {
  Picture(u"splash.png"_s);
  test::TempTree store;
  QtSettingsStore settings(store.Path(u"Quorvane.conf"_s));
  platform.settings = &settings;
  ClickBoxAt({3});
  Start();
  QSettings file(store.Path(u"Quorvane.conf"_s), QSettings::IniFormat);
  EXPECT_EQ(file.value(u"Vistarel/ShowAgain"_s).toString(), u"1"_s);
  clock.reads = 0;
  Start();
  EXPECT_EQ(clock.reads, 0);
}

TEST_F(SplashStart, ClosingTheProgramDuringTheWaitEndsStartUpThere) {
  Picture(u"splash.png"_s);
  clock.onRead = [](int read) {
    if (read == 5)
      TopLevel(u"Form1"_s)->close();
  };
  auto form = Start();
  EXPECT_EQ(clock.reads, 5);  // the wait stopped at its next pass
  EXPECT_TRUE(form->Pump().IsClosing());
  EXPECT_FALSE(form->SplashWindow()->isVisible());
  EXPECT_TRUE(fakes.dialogs.boxes.empty());
  EXPECT_EQ(form->ResultTable().ColumnCount(), 0);  // the later steps did not run
}

TEST_F(SplashStart, TheCheckBoxStaysWhiteUnderTheMainWindowsSkin) {
  Picture(u"splash.png"_s);
  ASSERT_TRUE(QDir(fakes.programDir.path()).mkpath(u"x"_s));
  ASSERT_TRUE(QFile::copy(QString::fromUtf8(VISTAREL_SOURCE_DIR) + u"/skins/example.qss"_s,
                          fakes.programDir.filePath(u"x/o.cjs"_s)));
  StyleSheetSkinEngine engine;
  platform.skin = &engine;
  auto form = Start();
  ASSERT_FALSE(form->styleSheet().isEmpty());
  const QImage shot = form->SplashWindow()->Check1()->grab().toImage();
  EXPECT_EQ(QColor(shot.pixel(shot.width() - 2, shot.height() / 2)), QColor(Qt::white));
}

TEST(WaitSeconds, SleepsBetweenPassesInsteadOfSpinning) {
  test::TestPlatform fakes;
  SystemClock clock;
  Platform platform = fakes.platform();
  platform.clock = &clock;
  QtEventPump pump;  // the program's time slice
  Splash splash(platform, pump);
  const double wallStart = clock.MonotonicSeconds();
  const std::clock_t cpuStart = std::clock();
  splash.WaitSeconds(0.3);
  const double cpu = double(std::clock() - cpuStart) / CLOCKS_PER_SEC;
  EXPECT_GE(clock.MonotonicSeconds() - wallStart, 0.3);
  EXPECT_LT(cpu, 0.1) << "the wait kept the processor busy";
}

TEST(ShippedSplash, TheBuildTreeHoldsALoadablePicture) {
  const QString path = SplashPicturePath(QString::fromUtf8(VISTAREL_PROGRAM_DIR));
  EXPECT_TRUE(path.endsWith(u"/Splash/Vistarel.png"_s));
  EXPECT_FALSE(LoadSplashPicture(path).isNull());
}

}  // namespace
}  // namespace vistarel
