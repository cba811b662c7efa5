#include <QFile>
#include <QMap>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include "desktop/DesktopApplications.h"
#include "support/TempTree.h"

namespace vistarel {
namespace {

using namespace Qt::StringLiterals;

const QString kXlsx = u"application/vnd.openxmlformats-officedocument.spreadsheetml.sheet"_s;

TEST(SplitExec, FollowsTheQuotingOfDesktopEntries) {
  EXPECT_EQ(SplitExec(u"calc --new  %U"_s), (QStringList{u"calc"_s, u"--new"_s, u"%U"_s}));
  EXPECT_EQ(SplitExec(u"\"/opt/My Sheets/run\" \"a \\\"b\\\" \\$c \\\\d\" %f"_s),
            (QStringList{u"/opt/My Sheets/run"_s, u"a \"b\" $c \\d"_s, u"%f"_s}));
  EXPECT_EQ(SplitExec(u"run \"\" x"_s), (QStringList{u"run"_s, QString(), u"x"_s}));
  EXPECT_TRUE(SplitExec(u"run \"open"_s).isEmpty());
}

TEST(ExpandCommand, PutsTheFilesWhereTheFieldCodesSay) {
  LaunchCommand command{u"/usr/bin/calc"_s, {u"-n"_s, u"%F"_s}, u"Calc"_s, u"calc"_s, {}};
  const QStringList two = {u"/tmp/a b.xlsx"_s, u"/tmp/c.xlsx"_s};
  EXPECT_EQ(ExpandCommand(command, two),
            (std::vector<QStringList>{{u"-n"_s, u"/tmp/a b.xlsx"_s, u"/tmp/c.xlsx"_s}}));

  command.arguments = {u"%i"_s, u"--title=%c"_s, u"%u"_s, u"100%%"_s, u"%d"_s};
  EXPECT_EQ(ExpandCommand(command, two),
            (std::vector<QStringList>{
                {u"--icon"_s, u"calc"_s, u"--title=Calc"_s, u"file:///tmp/a%20b.xlsx"_s, u"100%"_s},
                {u"--icon"_s, u"calc"_s, u"--title=Calc"_s, u"file:///tmp/c.xlsx"_s, u"100%"_s}}));

  command.arguments = {u"--view"_s};  // no field code: the files go last
  EXPECT_EQ(ExpandCommand(command, {u"/tmp/c.xlsx"_s}),
            (std::vector<QStringList>{{u"--view"_s, u"/tmp/c.xlsx"_s}}));
}

// An XDG tree of our making: programs on PATH are the ones `installed` names.
class DefaultApp : public testing::Test {
 protected:
  XdgDirs Dirs() {
    return {{tree.Folder(u"home/config"_s), tree.Folder(u"etc/xdg"_s)},
            {tree.Folder(u"home/data"_s), tree.Folder(u"usr/share"_s)},
            {u"mate"_s}};
  }
  PathLookup Lookup() {
    return [this](const QString& name) { return installed.value(name); };
  }
  void Entry(const QString& id, const QString& exec, const QString& extra = {}) {
    tree.File(u"usr/share/applications/"_s + id,
              (u"[Desktop Entry]\nType=Application\nName=Sheet "_s + id + u"\nExec="_s + exec +
               u"\n"_s + extra)
                  .toUtf8());
  }
  std::optional<LaunchCommand> Find() { return DefaultApplication(kXlsx, Dirs(), Lookup()); }

  test::TempTree tree;
  QMap<QString, QString> installed = {{u"sheets"_s, u"/usr/bin/sheets"_s},
                                      {u"grid"_s, u"/usr/bin/grid"_s},
                                      {u"termsheet"_s, u"/usr/bin/termsheet"_s}};
};

TEST_F(DefaultApp, TheUsersDefaultWinsAndItsExecLineIsKept) {
  Entry(u"sheets.desktop"_s, u"sheets --new %U"_s);
  Entry(u"grid.desktop"_s, u"grid %f"_s);
  tree.File(u"etc/xdg/mimeapps.list"_s,
            "[Default Applications]\n" + kXlsx.toUtf8() + "=sheets.desktop;\n");
  tree.File(u"home/config/mimeapps.list"_s,
            "# mine\n[Default Applications]\n" + kXlsx.toUtf8() +
                "=missing.desktop;grid.desktop;\napplication/zip=sheets.desktop\n");
  const auto command = Find();
  ASSERT_TRUE(command.has_value());
  EXPECT_EQ(command->program, u"/usr/bin/grid"_s);
  EXPECT_EQ(command->arguments, QStringList{u"%f"_s});
  EXPECT_EQ(command->name, u"Sheet grid.desktop"_s);

  // The desktop's own list comes before the general one.
  tree.File(u"home/config/mate-mimeapps.list"_s,
            "[Default Applications]\n" + kXlsx.toUtf8() + "=sheets.desktop\n");
  EXPECT_EQ(Find()->program, u"/usr/bin/sheets"_s);
}

TEST_F(DefaultApp, EntriesThatCannotStartAreSkipped) {
  Entry(u"term.desktop"_s, u"termsheet %f"_s, u"Terminal=true\n"_s);
  Entry(u"gone.desktop"_s, u"notthere %f"_s);
  Entry(u"tried.desktop"_s, u"sheets %f"_s, u"TryExec=notthere\n"_s);
  Entry(u"hidden.desktop"_s, u"sheets %f"_s, u"Hidden=true\n"_s);
  tree.File(u"home/config/mimeapps.list"_s,
            "[Default Applications]\n" + kXlsx.toUtf8() +
                "=term.desktop;gone.desktop;tried.desktop;hidden.desktop\n");
  EXPECT_FALSE(Find().has_value());
}

TEST_F(DefaultApp, WithoutADefaultAnAssociatedApplicationThatIsNotRemovedServes) {
  Entry(u"sheets.desktop"_s, u"sheets %F"_s);
  Entry(u"grid.desktop"_s, u"grid %F"_s);
  tree.File(u"usr/share/applications/mimeinfo.cache"_s,
            "[MIME Cache]\n" + kXlsx.toUtf8() + "=sheets.desktop;grid.desktop;\n");
  tree.File(u"home/config/mimeapps.list"_s,
            "[Removed Associations]\n" + kXlsx.toUtf8() + "=sheets.desktop;\n");
  ASSERT_TRUE(Find().has_value());
  EXPECT_EQ(Find()->program, u"/usr/bin/grid"_s);
}

TEST_F(DefaultApp, NothingInstalledFindsNothingAndAFifoDoesNotBlock) {
  EXPECT_FALSE(Find().has_value());
  const QString fifo = tree.Path(u"home/config/mimeapps.list"_s);
  ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
  EXPECT_FALSE(Find().has_value());
}

}  // namespace
}  // namespace vistarel
