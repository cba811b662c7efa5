#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include "extract/ResultTableModel.h"
#include "gui/Skin.h"
#include "support/TempTree.h"
#include "support/TestPlatform.h"
#include "window/Form1.h"

namespace vistarel {
namespace {

using namespace Qt::StringLiterals;

class SkinStart : public testing::Test {
 protected:
  QString SkinFile() const { return fakes.programDir.path() + u"/x/o.cjs"_s; }
  void MakeSkinFolder() { ASSERT_TRUE(QDir(fakes.programDir.path()).mkpath(u"x"_s)); }
  void WriteSkin() {
    MakeSkinFolder();
    QFile file(SkinFile());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("QPushButton { color: red; }");
  }

  test::TestPlatform fakes;
};

TEST_F(SkinStart, WithoutAnOrdinarySkinFileTheWindowStaysWhiteAndTheEngineIsNotCalled) {
  const auto expectDesignColours = [this](const char* setup) {
    SCOPED_TRACE(setup);
    auto form = fakes.MakeForm();
    EXPECT_EQ(form->backgroundRole(), QPalette::Window);
    EXPECT_EQ(form->palette().color(form->backgroundRole()), QColor(Qt::white));
  };
  expectDesignColours("no folder x");
  MakeSkinFolder();
  expectDesignColours("x without o.cjs");
  ASSERT_TRUE(QDir(fakes.programDir.path()).mkpath(u"x/o.cjs"_s));
  expectDesignColours("a folder named o.cjs");
  ASSERT_TRUE(QDir(SkinFile()).removeRecursively());
  // A FIFO: looked at, never opened, so start-up cannot hang on it.
  ASSERT_EQ(mkfifo(QFile::encodeName(SkinFile()).constData(), 0600), 0);
  expectDesignColours("a FIFO named o.cjs");
  EXPECT_TRUE(fakes.skin.calls.isEmpty());
  EXPECT_TRUE(fakes.dialogs.boxes.empty());
}

TEST_F(SkinStart, TheEngineReceivesTheFiveOperationsInOrder) {
  WriteSkin();
  fakes.skin.options = 6;  // the other bits are kept
  auto form = fakes.MakeForm();
  EXPECT_TRUE(fakes.dialogs.boxes.empty());
  EXPECT_EQ(fakes.skin.calls, (QStringList{
                                  u"LoadSkin("_s + SkinFile() + u", )"_s,
                                  u"ApplyOptions() = 6"_s,
                                  u"SetApplyOptions(7)"_s,
                                  u"SetSkinOwnedWindows(true)"_s,
                                  u"SetSkinBoxes(true)"_s,
                                  u"ApplyWindow(Form1)"_s,
                              }));
  EXPECT_EQ(fakes.skin.appliedTo, form.get());
  EXPECT_EQ(form->backgroundRole(), QPalette::Button);
  EXPECT_EQ(form->palette().color(QPalette::Button),
            QApplication::palette().color(QPalette::Button));
}

TEST_F(SkinStart, TheButtonFaceFollowsTheDesktopColourScheme) {
  WriteSkin();
  auto form = fakes.MakeForm();
  const QPalette desktop = QApplication::palette();
  QPalette changed = desktop;
  changed.setColor(QPalette::Button, QColor(0x12, 0x34, 0x56));
  QApplication::setPalette(changed);
  QCoreApplication::processEvents();
  const QColor followed = form->palette().color(form->backgroundRole());
  QApplication::setPalette(desktop);
  EXPECT_EQ(followed, QColor(0x12, 0x34, 0x56));
}

TEST_F(SkinStart, ARejectedSkinIsReportedAtLine102AndStartUpGoesOn) {
  WriteSkin();
  fakes.skin.failOn = u"LoadSkin"_s;
  auto form = fakes.MakeForm();
  const auto reports = fakes.dialogs.ErrorReports();
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_TRUE(reports[0].text.contains(u"rejected the call: LoadSkin"_s));
  EXPECT_TRUE(reports[0].text.contains(u"Form1.Form_Load at line 102"_s));
  EXPECT_EQ(fakes.skin.calls.size(), 1);
  EXPECT_EQ(form->backgroundRole(), QPalette::Button);  // set before the engine was called
  EXPECT_EQ(form->windowTitle(), u"Vistarel"_s);
  EXPECT_EQ(form->ResultTable().ColumnCount(), 50);
}

TEST_F(SkinStart, OptionButtonsCheckBoxesFramesAndLabelsTakeTheButtonFace) {
  WriteSkin();
  QWidget window;
  window.setObjectName(u"window"_s);
  auto* check = new QCheckBox(&window);
  auto* radio = new QRadioButton(&window);
  auto* label = new QLabel(&window);
  auto* frame = new QGroupBox(&window);
  auto* framed = new QLabel(frame);
  auto* button = new QPushButton(&window);
  auto* owned = new QWidget(&window, Qt::Window);  // a window of its own
  auto* ownedCheck = new QCheckBox(owned);
  ApplySkin(window, fakes.platform());
  for (QWidget* w : {&window, static_cast<QWidget*>(check), static_cast<QWidget*>(radio),
                     static_cast<QWidget*>(label), static_cast<QWidget*>(frame),
                     static_cast<QWidget*>(framed)}) {
    EXPECT_EQ(w->backgroundRole(), QPalette::Button) << w->metaObject()->className();
    EXPECT_TRUE(w->autoFillBackground()) << w->metaObject()->className();
  }
  EXPECT_FALSE(button->autoFillBackground());
  EXPECT_FALSE(ownedCheck->autoFillBackground());
  EXPECT_EQ(fakes.skin.appliedTo, &window);
}

// The name o.cjs cannot be hidden on Linux; hidden files and links are
// checked here.
TEST(IsOrdinaryFile, AcceptsPlainFilesAndLinksToThemOnly) {
  test::TempTree tree;
  const QString plain = tree.File(u"o.cjs"_s, "x");
  EXPECT_TRUE(IsOrdinaryFile(plain));
  EXPECT_FALSE(IsOrdinaryFile(tree.File(u".o.cjs"_s, "x")));
  const QByteArray link = QFile::encodeName(tree.Path(u"link"_s));
  ASSERT_EQ(symlink(QFile::encodeName(plain).constData(), link.constData()), 0);
  EXPECT_TRUE(IsOrdinaryFile(tree.Path(u"link"_s)));
  ASSERT_EQ(symlink("nowhere", QFile::encodeName(tree.Path(u"dangling"_s)).constData()), 0);
  EXPECT_FALSE(IsOrdinaryFile(tree.Path(u"dangling"_s)));
}

}  // namespace
}  // namespace vistarel
