#include <QFile>
#include <QWidget>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include "base/Failure.h"
#include "gui/StyleSheetSkinEngine.h"
#include "support/TempTree.h"
#include "system/RegularFile.h"

namespace vistarel {
namespace {

using namespace Qt::StringLiterals;

QString LoadFailure(const QString& path, const QString& variant = {}) {
  StyleSheetSkinEngine engine;
  try {
    engine.LoadSkin(path, variant);
  } catch (const Failure& failure) {
    return failure.description();
  }
  return {};  // it loaded
}

TEST(StyleSheetSkinEngine, AppliesALoadedSheetToTheWindowWhenBitZeroIsSet) {
  test::TempTree tree;
  const QByteArray sheet = "/* a { */ QPushButton { color: \"}\"; }\n";
  const QString path = tree.File(u"o.cjs"_s, sheet);
  StyleSheetSkinEngine engine;
  QWidget window;
  EXPECT_THROW(engine.ApplyWindow(window), Failure);  // nothing loaded yet
  engine.LoadSkin(path, QString());
  engine.ApplyWindow(window);
  EXPECT_TRUE(window.styleSheet().isEmpty());
  engine.SetApplyOptions(engine.ApplyOptions() | skin_option::kSkinWindow);
  engine.SetSkinOwnedWindows(true);
  engine.SetSkinBoxes(true);
  engine.ApplyWindow(window);
  EXPECT_EQ(window.styleSheet(), QString::fromUtf8(sheet));
  EXPECT_TRUE(engine.SkinsOwnedWindows() && engine.SkinsBoxes());
}

TEST(StyleSheetSkinEngine, RefusesFilesThatWillNotDoWithADescription) {
  test::TempTree tree;
  EXPECT_TRUE(LoadFailure(tree.File(u"empty"_s)).contains(u"empty"_s));
  EXPECT_TRUE(LoadFailure(tree.File(u"blank"_s, " \n/* only a comment */\n")).contains(u"empty"_s));
  EXPECT_TRUE(LoadFailure(tree.File(u"open"_s, "QPushButton { color: red;")).contains(u"brace"_s));
  EXPECT_TRUE(LoadFailure(tree.File(u"close"_s, "a { } }")).contains(u"brace"_s));
  EXPECT_TRUE(
      LoadFailure(tree.File(u"latin1"_s, "a { font-family: \"Caf\xe9\"; }")).contains(u"UTF-8"_s));
  const QString missing = tree.Path(u"missing"_s);
  EXPECT_EQ(LoadFailure(missing), u"No such file or directory: "_s + missing);
  const QString good = tree.File(u"good"_s, "a { }");
  EXPECT_TRUE(LoadFailure(good, u"Blue"_s).contains(u"Blue"_s));
  const QString fifo = tree.Path(u"fifo"_s);
  ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
  EXPECT_TRUE(LoadFailure(fifo).contains(u"Not a regular file"_s));  // and did not block
}

TEST(StyleSheetSkinEngine, TheExampleSkinLoads) {
  EXPECT_EQ(LoadFailure(QString::fromUtf8(VISTAREL_SOURCE_DIR) + u"/skins/example.qss"_s),
            QString());
}

TEST(ReadRegularFile, ReadsUpToTheLimitAndRefusesMore) {
  test::TempTree tree;
  const QString path = tree.File(u"f"_s, "0123456789");
  EXPECT_EQ(ReadRegularFile(path, 10), QByteArray("0123456789"));
  EXPECT_THROW(ReadRegularFile(path, 9), Failure);
  EXPECT_THROW(ReadRegularFile(tree.Folder(u"d"_s), 10), Failure);
}

}  // namespace
}  // namespace vistarel
