#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QImage>
#include <QLabel>

#include <gtest/gtest.h>

#include <ctime>
#include <functional>

#include <sys/stat.h>

#include "app/Form1.h"
#include "app/QtEventPump.h"
#include "app/Splash.h"
#include "extract/ResultTableModel.h"
#include "platform/Failure.h"
#include "platform/QtSettingsStore.h"
#include "platform/StyleSheetSkinEngine.h"
#include "platform/SystemClock.h"
#include "support/TempTree.h"
#include "support/TestPlatform.h"

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
    ++reads;
    if (onRead)
      onRead(reads);
    return now;
  }

  double now = 0;
  double step = 0.25;  // each pass of a wait sleeps one real time slice
  int reads = 0;
  std::function<void(int)> onRead;
};

class SplashStart : public testing::Test {
 protected:
  void Picture(const QString& name, int width, int height) {
    ASSERT_TRUE(QDir(fakes.programDir.path()).mkpath(u"Splash"_s));
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::darkBlue);
    ASSERT_TRUE(image.save(SplashFolder() + name, "PNG"));
  }
  QString SplashFolder() const { return fakes.programDir.path() + u"/Splash/"_s; }
  std::unique_ptr<Form1> Start() {
    Platform platform = fakes.platform();
    platform.clock = &clock;
    auto form = std::make_unique<Form1>(platform);
    form->Pump().SetInterval(0);
    return form;
  }
  std::vector<test::ShownBox> Reports() const { return fakes.dialogs.ErrorReports(); }

  test::TestPlatform fakes;
  SteppingClock clock;
};

TEST(SplashLayout, FramesA300By200PixelPictureExactly) {
  const SplashLayout layout = LayOutSplash({4500, 3000});
  EXPECT_EQ(layout.image, QRect(0, 0, 4500, 3300));
  EXPECT_EQ(layout.window, QSize(4500, 3300));
  EXPECT_EQ(layout.check, QRect(120, 2905, 4215, 375));
  EXPECT_EQ(layout.lines[0], (TwipsLine{0, 0, 0, 10000}));
  EXPECT_EQ(layout.lines[1], (TwipsLine{0, 0, 10000, 0}));
  EXPECT_EQ(layout.lines[2], (TwipsLine{4490, 0, 4490, 10000}));
  EXPECT_EQ(layout.lines[3], (TwipsLine{0, 3290, 10000, 3290}));
}

TEST(ShowsSplash, ZeroShowsOtherNumbersDoNotAndTextFails) {
  EXPECT_TRUE(ShowsSplash(u"0"_s));
  EXPECT_TRUE(ShowsSplash(u" 0 "_s));
  EXPECT_FALSE(ShowsSplash(u"1"_s));
  EXPECT_FALSE(ShowsSplash(u"-3"_s));
  for (const QString& bad : {u"yes"_s, QString(), u"1x"_s, u"nan"_s, u"inf"_s}) {
    SCOPED_TRACE(bad.toStdString());
    try {
      ShowsSplash(bad);
      ADD_FAILURE() << "no failure";
    } catch (const Failure& failure) {
      EXPECT_TRUE(failure.description().contains(u"\"ShowAgain\""_s));
      EXPECT_EQ(failure.number(), 13);
    }
  }
}

TEST_F(SplashStart, ShowsThePictureAloneForFourSecondsThenHidesIt) {
  Picture(u"splash.png"_s, 300, 200);
  Splash* splash = nullptr;
  int readsWhileShown = 0;
  clock.onRead = [&](int) {
    for (QWidget* window : QApplication::topLevelWidgets()) {
      if (window->objectName() == u"Splash"_s)
        splash = static_cast<Splash*>(window);
    }
    QWidgetList shown;
    for (QWidget* window : QApplication::topLevelWidgets())
      if (window->isVisible())
        shown << window;
    if (shown == QWidgetList{splash})
      ++readsWhileShown;
  };
  auto form = Start();
  EXPECT_TRUE(Reports().empty());
  ASSERT_EQ(splash, form->SplashWindow());
  EXPECT_FALSE(splash->isVisible());  // hidden, still loaded
  EXPECT_EQ(readsWhileShown, clock.reads);
  // Installed (no build-tree marker): 4 seconds on the monotonic clock.
  const double waited = clock.now - clock.step;
  EXPECT_GE(waited, 4.0);
  EXPECT_LT(waited, 4.0 + 2 * clock.step);
  EXPECT_EQ(splash->windowTitle(), u"Vistarel"_s);
  EXPECT_TRUE(splash->windowFlags().testFlag(Qt::FramelessWindowHint));
  EXPECT_FALSE(splash->isModal());
}

TEST_F(SplashStart, ADevelopmentRunWaitsFourTenthsOfASecond) {
  Picture(u"splash.png"_s, 300, 200);
  QFile marker(fakes.programDir.filePath(u"vistarel.build-tree"_s));
  ASSERT_TRUE(marker.open(QIODevice::WriteOnly));
  marker.close();
  clock.step = 0.05;
  Start();
  const double waited = clock.now - clock.step;
  EXPECT_GE(waited, 0.4 - 1e-9);
  EXPECT_LT(waited, 0.4 + 2 * clock.step);
}

TEST_F(SplashStart, LaysOutA300By200PixelPictureInTwipsAndPixels) {
  Picture(u"splash.png"_s, 300, 200);
  auto form = Start();
  const Splash& splash = *form->SplashWindow();
  ASSERT_EQ(splash.logicalDpiX(), 96) << "the design values hold exactly at 96 DPI";
  const SplashLayout& layout = splash.Layout();
  EXPECT_EQ(layout.window, QSize(4500, 3300));
  EXPECT_EQ(layout.check.top(), 2905);
  EXPECT_EQ(layout.lines[2].x1, 4490);
  EXPECT_EQ(layout.lines[3].y1, 3290);

  EXPECT_EQ(splash.size(), QSize(300, 220));
  EXPECT_EQ(splash.Image1()->geometry(), QRect(0, 0, 300, 220));
  EXPECT_EQ(splash.Image1()->pixmap().size(), QSize(300, 200));
  EXPECT_EQ(splash.Check1()->geometry(), QRect(8, 194, 281, 25));
  EXPECT_EQ(splash.Line(1)->geometry(), QRect(0, 0, 1, 668));
  EXPECT_EQ(splash.Line(2)->geometry(), QRect(0, 0, 668, 1));
  EXPECT_EQ(splash.Line(3)->geometry().left(), 299);  // the last column
  EXPECT_EQ(splash.Line(4)->geometry().top(), 219);   // the last row
  EXPECT_EQ(splash.Check1()->text(), u"Hide this at next startup"_s);
  EXPECT_EQ(splash.Check1()->font().family(), u"Arial"_s);
  EXPECT_TRUE(splash.Check1()->font().bold());
  EXPECT_DOUBLE_EQ(splash.Check1()->font().pointSizeF(), 9);
  EXPECT_TRUE(splash.Check1()->autoFillBackground());
  EXPECT_EQ(splash.Check1()->palette().color(splash.Check1()->backgroundRole()), QColor(Qt::white));
  EXPECT_FALSE(splash.Check1()->isChecked());
}

TEST_F(SplashStart, TheCheckBoxStaysWhiteUnderTheMainWindowsSkin) {
  Picture(u"splash.png"_s, 300, 200);
  ASSERT_TRUE(QDir(fakes.programDir.path()).mkpath(u"x"_s));
  ASSERT_TRUE(QFile::copy(QString::fromUtf8(VISTAREL_SOURCE_DIR) + u"/skins/example.qss"_s,
                          fakes.programDir.filePath(u"x/o.cjs"_s)));
  StyleSheetSkinEngine engine;
  Platform platform = fakes.platform();
  platform.clock = &clock;
  platform.skin = &engine;
  Form1 form(platform);
  ASSERT_FALSE(form.styleSheet().isEmpty());
  QCheckBox& box = *form.SplashWindow()->Check1();
  const QImage shot = box.grab().toImage();
  EXPECT_EQ(QColor(shot.pixel(shot.width() - 2, shot.height() / 2)), QColor(Qt::white));
}

TEST_F(SplashStart, UsesOnlyTheFirstOrdinaryFileListed) {
  Picture(u"b.png"_s, 100, 100);
  Picture(u"A.png"_s, 300, 200);
  Picture(u".0.png"_s, 50, 50);  // hidden
  ASSERT_TRUE(QDir(SplashFolder()).mkdir(u"0 folder"_s));
  ASSERT_EQ(mkfifo(QFile::encodeName(SplashFolder() + u"0pipe"_s).constData(), 0600), 0);
  auto form = Start();
  EXPECT_TRUE(Reports().empty());
  EXPECT_EQ(form->SplashWindow()->Image1()->pixmap().size(), QSize(300, 200));
}

TEST_F(SplashStart, NoPictureMeansNoSplashAndNoMessage) {
  {
    auto form = Start();  // no Splash folder
    EXPECT_TRUE(form->SplashWindow()->Image1()->pixmap().isNull());
  }
  ASSERT_TRUE(QDir(fakes.programDir.path()).mkpath(u"Splash/sub"_s));
  QFile hidden(SplashFolder() + u".hidden.png"_s);
  ASSERT_TRUE(hidden.open(QIODevice::WriteOnly));
  hidden.close();
  auto form = Start();  // only a folder and a hidden file
  EXPECT_TRUE(form->SplashWindow()->Image1()->pixmap().isNull());
  EXPECT_EQ(clock.reads, 0);
  EXPECT_TRUE(fakes.dialogs.boxes.empty());
}

TEST_F(SplashStart, ShowAgainOneShowsNothingAndLoadsNoPicture) {
  Picture(u"splash.png"_s, 300, 200);
  fakes.settings.values.insert(u"ShowAgain"_s, u"1"_s);
  auto form = Start();
  EXPECT_EQ(clock.reads, 0);
  EXPECT_TRUE(form->SplashWindow()->Image1()->pixmap().isNull());
  EXPECT_TRUE(fakes.dialogs.boxes.empty());
}

TEST_F(SplashStart, ASettingOrPictureThatWillNotDoIsReportedAtLine110AndStartUpGoesOn) {
  Picture(u"splash.png"_s, 300, 200);
  fakes.settings.values.insert(u"ShowAgain"_s, u"never"_s);
  {
    auto form = Start();
    ASSERT_EQ(Reports().size(), 1u);
    EXPECT_TRUE(Reports()[0].text.contains(u"\"never\""_s));
    EXPECT_TRUE(Reports()[0].text.contains(u"Form1.Form_Load at line 110"_s));
    EXPECT_EQ(form->ResultTable().ColumnCount(), 50);
  }
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
  EXPECT_EQ(form->windowTitle(), u"Vistarel"_s);
}

TEST_F(SplashStart, TickingAndClearingTheBoxDuringTheWaitLeavesZero) {
  Picture(u"splash.png"_s, 300, 200);
  clock.onRead = [&](int read) {
    QCheckBox* box = nullptr;
    for (QWidget* window : QApplication::topLevelWidgets())
      if (window->objectName() == u"Splash"_s)
        box = window->findChild<QCheckBox*>(u"Check1"_s);
    if (box != nullptr && (read == 4 || read == 8))
      box->click();
  };
  Start();
  EXPECT_EQ(fakes.settings.writes, (std::vector<QString>{u"1"_s, u"0"_s}));
  EXPECT_EQ(fakes.settings.values.value(u"ShowAgain"_s), u"0"_s);
}

TEST_F(SplashStart, ATickKeepsTheSplashAwayAtTheNextStart) {
  Picture(u"splash.png"_s, 300, 200);
  test::TempTree store;
  QtSettingsStore settings(store.Path(u"Quorvane.conf"_s));
  Platform platform = fakes.platform();
  platform.settings = &settings;
  platform.clock = &clock;
  clock.onRead = [&](int read) {
    for (QWidget* window : QApplication::topLevelWidgets())
      if (read == 3 && window->objectName() == u"Splash"_s)
        window->findChild<QCheckBox*>(u"Check1"_s)->click();
  };
  { Form1 first(platform); }
  EXPECT_GT(clock.reads, 3);
  QSettings file(store.Path(u"Quorvane.conf"_s), QSettings::IniFormat);
  EXPECT_EQ(file.value(u"Vistarel/ShowAgain"_s).toString(), u"1"_s);

  clock.reads = 0;
  Form1 second(platform);
  EXPECT_EQ(clock.reads, 0);
  EXPECT_TRUE(second.SplashWindow()->Image1()->pixmap().isNull());
}

TEST_F(SplashStart, ClosingTheProgramDuringTheWaitEndsStartUpThere) {
  Picture(u"splash.png"_s, 300, 200);
  clock.onRead = [&](int read) {
    if (read != 5)
      return;
    for (QWidget* window : QApplication::topLevelWidgets())
      if (window->objectName() == u"Form1"_s)
        window->close();
  };
  auto form = Start();
  EXPECT_EQ(clock.reads, 5);  // the wait stopped at its next pass
  EXPECT_TRUE(form->Pump().IsClosing());
  EXPECT_FALSE(form->SplashWindow()->isVisible());
  EXPECT_TRUE(fakes.dialogs.boxes.empty());
  EXPECT_EQ(form->ResultTable().ColumnCount(), 0);  // the later steps did not run
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
  const QString program = QString::fromUtf8(VISTAREL_PROGRAM_DIR);
  const QString path = SplashPicturePath(program);
  EXPECT_TRUE(path.endsWith(u"/Splash/Vistarel.png"_s));
  EXPECT_FALSE(LoadSplashPicture(path).isNull());
}

}  // namespace
}  // namespace vistarel
