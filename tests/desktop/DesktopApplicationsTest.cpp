#include <QFile>
#include <QProcess>
#include <QThread>

#include <gtest/gtest.h>

#include "support/TempTree.h"

namespace vistarel {
namespace {

using namespace Qt::StringLiterals;

const QByteArray kXlsx = "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet";

// A desktop of our making, asked through a probe: GIO reads the XDG folders
// once per process, so every question gets a process of its own.
class DefaultApplication : public testing::Test {
 protected:
  // An executable that writes its arguments, one per line, to `<name>.args`.
  QString Program(const QString& name) {
    const QString path =
        tree.File(u"bin/"_s + name, "#!/bin/sh\nprintf '%s\\n' \"$@\" > \"$0.args\"\n");
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
  }
  void Entry(const QString& id, const QString& exec, const QByteArray& extra = {}) {
    tree.File(u"usr/share/applications/"_s + id, "[Desktop Entry]\nType=Application\nName=Sheet " +
                                                     id.toUtf8() + "\nExec=" + exec.toUtf8() +
                                                     "\nMimeType=" + kXlsx + ";\n" + extra);
  }
  // What the probe prints: "<id>\t<name>" or "none"; it starts the application
  // on `files` when there are any.
  QString Ask(const QStringList& files = {}) {
    QProcess probe;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"HOME"_s, tree.Folder(u"home"_s));
    environment.insert(u"XDG_CONFIG_HOME"_s, tree.Folder(u"home/config"_s));
    environment.insert(u"XDG_CONFIG_DIRS"_s, tree.Folder(u"etc/xdg"_s));
    environment.insert(u"XDG_DATA_HOME"_s, tree.Folder(u"home/data"_s));
    environment.insert(u"XDG_DATA_DIRS"_s, tree.Folder(u"usr/share"_s));
    environment.insert(u"XDG_CURRENT_DESKTOP"_s, u"MATE"_s);
    environment.insert(u"GIO_USE_VFS"_s, u"local"_s);
    probe.setProcessEnvironment(environment);
    probe.start(QStringLiteral(VISTAREL_DESKTOP_APPLICATION_PROBE),
                QStringList{QString::fromUtf8(kXlsx)} + files);
    EXPECT_TRUE(probe.waitForFinished(30000));
    EXPECT_EQ(probe.exitCode(), 0) << probe.readAllStandardError().toStdString();
    return QString::fromUtf8(probe.readAllStandardOutput()).trimmed();
  }

  test::TempTree tree;
};

TEST_F(DefaultApplication, TheDesktopsOwnListThenTheUsersDefaultWin) {
  Entry(u"sheets.desktop"_s, Program(u"sheets"_s) + u" --new %U"_s);
  Entry(u"grid.desktop"_s, Program(u"grid"_s) + u" %f"_s);
  tree.File(u"etc/xdg/mimeapps.list"_s, "[Default Applications]\n" + kXlsx + "=sheets.desktop;\n");
  tree.File(u"home/config/mimeapps.list"_s,
            "# mine\n[Default Applications]\n" + kXlsx +
                "=missing.desktop;grid.desktop;\napplication/zip=sheets.desktop\n");
  EXPECT_EQ(Ask(), u"grid.desktop\tSheet grid.desktop"_s);

  tree.File(u"home/config/mate-mimeapps.list"_s,
            "[Default Applications]\n" + kXlsx + "=sheets.desktop\n");
  EXPECT_EQ(Ask(), u"sheets.desktop\tSheet sheets.desktop"_s);
}

TEST_F(DefaultApplication, EntriesThatCannotStartOrRunInATerminalServeNone) {
  Entry(u"gone.desktop"_s, tree.Path(u"bin/notthere"_s) + u" %f"_s);
  Entry(u"tried.desktop"_s, Program(u"sheets"_s) + u" %f"_s, "TryExec=notthere\n");
  Entry(u"hidden.desktop"_s, Program(u"sheets"_s) + u" %f"_s, "Hidden=true\n");
  tree.File(u"home/config/mimeapps.list"_s,
            "[Default Applications]\n" + kXlsx + "=gone.desktop;tried.desktop;hidden.desktop\n");
  EXPECT_EQ(Ask(), u"none"_s);

  Entry(u"term.desktop"_s, Program(u"termsheet"_s) + u" %f"_s, "Terminal=true\n");
  tree.File(u"home/config/mimeapps.list"_s, "[Default Applications]\n" + kXlsx + "=term.desktop\n");
  EXPECT_EQ(Ask(), u"none"_s);
}

TEST_F(DefaultApplication, WithoutADefaultAnAssociatedApplicationThatIsNotRemovedServes) {
  Entry(u"sheets.desktop"_s, Program(u"sheets"_s) + u" %F"_s);
  Entry(u"grid.desktop"_s, Program(u"grid"_s) + u" %F"_s);
  tree.File(u"usr/share/applications/mimeinfo.cache"_s,
            "[MIME Cache]\n" + kXlsx + "=sheets.desktop;grid.desktop;\n");
  tree.File(u"home/config/mimeapps.list"_s,
            "[Removed Associations]\n" + kXlsx + "=sheets.desktop;\n");
  EXPECT_EQ(Ask(), u"grid.desktop\tSheet grid.desktop"_s);
}

TEST_F(DefaultApplication, StartsTheApplicationOnTheFilesAsItsExecLineWantsThem) {
  const QString sheets = Program(u"sheets"_s);
  Entry(u"sheets.desktop"_s, sheets + u" --new %F"_s);
  tree.File(u"home/config/mimeapps.list"_s,
            "[Default Applications]\n" + kXlsx + "=sheets.desktop\n");
  const QString first = tree.File(u"out/Results.xlsx"_s, "PK");
  const QString second = tree.File(u"out/Results 2.xlsx"_s, "PK");
  EXPECT_EQ(Ask({first, second}), u"sheets.desktop\tSheet sheets.desktop"_s);

  // Started detached: the arguments arrive a moment later.
  QFile arguments(sheets + u".args"_s);
  for (int tries = 0; tries < 300 && arguments.size() == 0; ++tries) QThread::msleep(10);
  ASSERT_TRUE(arguments.open(QIODevice::ReadOnly));
  EXPECT_EQ(QString::fromUtf8(arguments.readAll()).split(u'\n', Qt::SkipEmptyParts),
            (QStringList{u"--new"_s, first, second}));
}

}  // namespace
}  // namespace vistarel
