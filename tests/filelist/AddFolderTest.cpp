#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <functional>

#include <sys/stat.h>
#include <unistd.h>

#include "filelist/AddFolder.h"
#include "filelist/InputListModel.h"
#include "platform/EventPump.h"
#include "report/HandlerGuard.h"
#include "support/FakeFileSystem.h"
#include "support/ScriptedDialogs.h"
#include "support/SpecialFiles.h"
#include "support/TempTree.h"
#include "system/DirectoryListing.h"
#include "system/FileAttributes.h"
#include "system/FileNames.h"

namespace vistarel {
namespace {

using namespace Qt::StringLiterals;

// A yield that lets a test act in the middle of a walk.
class HookPump final : public IEventPump {
 public:
  void Yield() override { YieldSoon(); }
  void YieldSoon() override {
    if (onYield)
      onYield();
  }
  std::function<void()> onYield;
};

// AddFolderTree as the button runs it, on a real tree, with scripted failures.
class FolderWalk : public testing::Test {
 protected:
  // The entries added, relative to the tree's root.
  QStringList Walk(const QString& folder, const QString& pattern) {
    HandlerGuard guard(dialogs, u"PushButton3_Click"_s);
    guard.Run([&] { AddFolderTree(folder, pattern, fileSystem, pump, list, guard); });
    QStringList relative;
    for (const QString& entry : list.Entries())
      relative << (entry.startsWith(tree.root()) ? entry.mid(tree.root().size() + 1) : entry);
    list.Clear();
    return relative;
  }
  QStringList WalkV(const QString& pattern = u"*.avi"_s) {
    return Walk(tree.Path(u"V"_s), pattern);
  }
  void Link(const QString& target, const QString& relative) {
    ASSERT_TRUE(QFile::link(target, tree.Path(relative))) << relative.toStdString();
  }
  int ReportedLine(size_t report) const { return dialogs.ReportedLines().at(report); }

  test::TempTree tree;
  test::ScriptedDialogs dialogs;
  test::FakeFileSystem fileSystem;
  HookPump pump;
  InputListModel list;
};

TEST_F(FolderWalk, ListsFolderByFolderInLevelOrder) {
  tree.File(u"V/a.avi"_s);
  tree.File(u"V/S1/b.avi"_s);
  tree.File(u"V/S1/T/c.avi"_s);
  tree.File(u"V/S2/d.avi"_s);
  tree.File(u"V/S2/notes.txt"_s);
  EXPECT_EQ(WalkV(),
            (QStringList{u"V/a.avi"_s, u"V/S1/b.avi"_s, u"V/S2/d.avi"_s, u"V/S1/T/c.avi"_s}));
  EXPECT_TRUE(dialogs.boxes.empty());

  QStringList folders{tree.Path(u"V/"_s)};
  ExpandSubFolders(folders, true, fileSystem, pump);
  EXPECT_EQ(folders, (QStringList{tree.Path(u"V/"_s), tree.Path(u"V/S1/"_s), tree.Path(u"V/S2/"_s),
                                  tree.Path(u"V/S1/T/"_s)}));
}

TEST_F(FolderWalk, MatchesExtensionsWithoutCaseAndStarListsEveryFile) {
  tree.File(u"V/CLIP.AVI"_s);
  tree.File(u"V/x.Avi"_s);
  tree.File(u"V/x.avi.txt"_s);
  tree.File(u"V/noext"_s);
  EXPECT_EQ(WalkV(), (QStringList{u"V/CLIP.AVI"_s, u"V/x.Avi"_s}));
  EXPECT_EQ(WalkV(u"*.*"_s),
            (QStringList{u"V/CLIP.AVI"_s, u"V/noext"_s, u"V/x.Avi"_s, u"V/x.avi.txt"_s}));
}

TEST_F(FolderWalk, ListFilesGrowsPastItsFirstRoomAndGivesSlotZeroForNone) {
  const NameArray none = ListFiles(tree.Folder(u"empty"_s), u"*.*"_s, fileSystem);
  EXPECT_EQ(none.Lowest(), 0);
  EXPECT_EQ(none.Highest(), 0);
  EXPECT_EQ(none[0], QString());
  for (int i = 0; i < 260; ++i) tree.File(u"many/f%1.avi"_s.arg(i, 3, 10, QChar(u'0')));
  const NameArray many = ListFiles(tree.Path(u"many"_s), u"*.avi"_s, fileSystem);
  EXPECT_EQ(many.Lowest(), 1);
  ASSERT_EQ(many.Highest(), 260);
  EXPECT_EQ(many[1], u"f000.avi"_s);
  EXPECT_EQ(many[260], u"f259.avi"_s);
}

TEST_F(FolderWalk, SkipsTildeFilesAndHiddenFilesOfValue34Only) {
  tree.File(u"V/~lock.avi"_s);
  tree.File(u"V/.hidden.avi"_s);
  const QString readOnly = tree.File(u"V/.readonly.avi"_s);
  ASSERT_EQ(chmod(QFile::encodeName(readOnly).constData(), 0444), 0);
  ASSERT_EQ(AttributesOf(readOnly), 35);
  ASSERT_TRUE(test::MakeFifo(tree.Path(u"V/pipe.avi"_s)));  // 4: a system file, listed
  const QString fifo = tree.Path(u"V/pipe.avi"_s);
  QStringList found;
  EXPECT_TRUE(test::ReturnsWithoutBlocking(fifo, [&] { found = WalkV(); }));
  EXPECT_EQ(found, (QStringList{u"V/.readonly.avi"_s, u"V/pipe.avi"_s}));
}

TEST_F(FolderWalk, SearchesHiddenFoldersButSkipsTrashFoldersWithTheirTrees) {
  tree.File(u"V/.hidden/h.avi"_s);      // 18: searched
  tree.File(u"V/.Trash-1000/t.avi"_s);  // 22: skipped
  tree.File(u"V/.Trash-1000/deeper/u.avi"_s);
  tree.File(u"Outside/.Trash/o.avi"_s);
  Link(tree.Path(u"Outside/.Trash"_s), u"V/.bin"_s);  // 1046: skipped
  Link(tree.Path(u"Outside/.Trash"_s), u"V/bin"_s);   // 1044: a folder like others
  ASSERT_EQ(AttributesOf(tree.Path(u"V/.bin"_s)), 1046);
  EXPECT_EQ(WalkV(), (QStringList{u"V/.hidden/h.avi"_s, u"V/bin/o.avi"_s}));
  // A chosen trash folder lists its own files, but none of its subfolders.
  EXPECT_EQ(Walk(tree.Path(u"V/.Trash-1000"_s), u"*.avi"_s), QStringList{u"V/.Trash-1000/t.avi"_s});
}

TEST_F(FolderWalk, SkipsFoldersWithUnsafeNames) {
  tree.File(u"V/ok/ok.avi"_s);
  tree.File(u"V/bad\u0001/x.avi"_s);
  tree.File(u"V/del\u0085/x.avi"_s);
  tree.File(u"V/what?/x.avi"_s);
  const QString undecodable = DecodeFileName(QByteArray("bad\xff"));
  ASSERT_EQ(mkdir(EncodeFileName(tree.Path(u"V/"_s + undecodable)).constData(), 0755), 0);
  ASSERT_TRUE(test::WriteFileBytes(tree.Path(u"V/%1/x.avi"_s.arg(undecodable)), {}));
  EXPECT_EQ(WalkV(), QStringList{u"V/ok/ok.avi"_s});

  EXPECT_FALSE(IsUnsafeName(u"Ünïcödé 日本 🎬 ~ ÿ"_s));
  for (const QString& name : {u"a\u001fb"_s, u"\u007f"_s, u"\u009f"_s, u"?"_s, undecodable})
    EXPECT_TRUE(IsUnsafeName(name)) << name.toStdString();
}

// Only a link back to the folder it is in or to one of that folder's ancestors
// is a cycle; a link to a sibling or a deeper folder is walked like a folder, so
// its files are listed under both paths, in level order.
TEST_F(FolderWalk, WalksLinksLikeFoldersButNotBackUpTheirOwnPath) {
  tree.File(u"V/a.avi"_s);
  tree.File(u"V/A/x.avi"_s);
  tree.File(u"V/B/b.avi"_s);
  tree.File(u"V/C/c.avi"_s);
  tree.File(u"V/C/D/d.avi"_s);
  Link(tree.Path(u"V"_s), u"V/A/up"_s);      // to its own ancestor
  Link(tree.Path(u"V/A"_s), u"V/A/self"_s);  // to the folder it is in
  Link(tree.Path(u"V/C"_s), u"V/B/toC"_s);   // B and C lead to each other
  Link(tree.Path(u"V/B"_s), u"V/C/toB"_s);
  Link(tree.Path(u"V/C/D"_s), u"V/A_toD"_s);  // to a deeper folder
  EXPECT_EQ(WalkV(), (QStringList{u"V/a.avi"_s, u"V/A/x.avi"_s, u"V/A_toD/d.avi"_s, u"V/B/b.avi"_s,
                                  u"V/C/c.avi"_s, u"V/B/toC/c.avi"_s, u"V/C/D/d.avi"_s,
                                  u"V/C/toB/b.avi"_s, u"V/B/toC/D/d.avi"_s}));
  EXPECT_TRUE(dialogs.boxes.empty());

  // The case: the real folder is not hidden by a link to it met first.
  test::TempTree other;
  other.File(u"W/B/x.avi"_s);
  ASSERT_TRUE(QFile::link(other.Path(u"W/B"_s), other.Path(u"W/A_linkToB"_s)));
  EXPECT_EQ(Walk(other.Path(u"W"_s), u"*.avi"_s),
            (QStringList{other.Path(u"W/A_linkToB/x.avi"_s), other.Path(u"W/B/x.avi"_s)}));
}

// Permission denied drops that folder and its tree; its siblings are searched.
TEST_F(FolderWalk, DropsAFolderThatMayNotBeRead) {
  tree.File(u"V/a.avi"_s);
  tree.File(u"V/S1/b.avi"_s);
  tree.File(u"V/S1/T/c.avi"_s);
  tree.File(u"V/S2/d.avi"_s);
  fileSystem.Fail(u"SubFolders"_s, Failure(u"Permission denied"_s, 70), tree.Path(u"V/S1/"_s));
  EXPECT_EQ(WalkV(), (QStringList{u"V/a.avi"_s, u"V/S2/d.avi"_s}));
  fileSystem.Fail(u"SubFolders"_s, Failure(u"Permission denied"_s, 70), tree.Path(u"V/"_s));
  EXPECT_EQ(WalkV(), QStringList());
  EXPECT_TRUE(dialogs.boxes.empty());
}

TEST_F(FolderWalk, DropsAFolderThatMayNotBeReadOnTheRealFileSystem) {
  if (geteuid() == 0)
    GTEST_SKIP() << "permissions do not bite for root; the logic is tested with number 70 above";
  tree.File(u"V/S1/b.avi"_s);
  tree.File(u"V/S2/d.avi"_s);
  ASSERT_EQ(chmod(QFile::encodeName(tree.Path(u"V/S1"_s)).constData(), 0), 0);
  EXPECT_EQ(WalkV(), QStringList{u"V/S2/d.avi"_s});
  EXPECT_TRUE(dialogs.boxes.empty());
}

TEST_F(FolderWalk, OtherFailuresEndOneFolderOrTheWalkAsTheyArise) {
  tree.File(u"V/a.avi"_s);
  tree.File(u"V/S1/b.avi"_s);
  tree.File(u"V/S1/T/c.avi"_s);
  tree.File(u"V/S2/d.avi"_s);
  // A subfolder walk that fails otherwise ends that folder's subfolders, unreported.
  fileSystem.Fail(u"SubFolders"_s, Failure(u"Input/output error"_s, 57), tree.Path(u"V/S1/"_s));
  EXPECT_EQ(WalkV(), (QStringList{u"V/a.avi"_s, u"V/S1/b.avi"_s, u"V/S2/d.avi"_s}));
  EXPECT_TRUE(dialogs.boxes.empty());
  // A lookup that fails below the top ends the expansion: the chosen folder alone.
  fileSystem.Fail(u"Attributes"_s, Failure(u"Input/output error"_s, 57), tree.Path(u"V/S2/"_s));
  EXPECT_EQ(WalkV(), QStringList{u"V/a.avi"_s});
  ASSERT_EQ(dialogs.ErrorReports().size(), 1u);
  EXPECT_EQ(ReportedLine(0), 112);
}

// Folders come and go during a long walk: one that is gone, or is no longer a
// folder, when its level looks it up is dropped without a report; the rest of
// the tree is still listed. Other lookup failures keep ending the walk (above).
TEST_F(FolderWalk, ASubfolderThatVanishesBeforeItsLookupIsDroppedSilently) {
  tree.File(u"V/a.avi"_s);
  tree.File(u"V/Gone/g.avi"_s);
  tree.File(u"V/Gone/deeper/h.avi"_s);
  tree.File(u"V/NowFile/n.avi"_s);
  tree.File(u"V/S/s.avi"_s);
  tree.File(u"V/S/T/t.avi"_s);
  bool changed = false;
  pump.onYield = [&] {
    // Once the top folder's subfolders are all seen, before any is looked up.
    if (changed || fileSystem.calls.last() != u"SubFolders "_s + tree.Path(u"V/"_s))
      return;
    changed = QDir(tree.Path(u"V/Gone"_s)).removeRecursively() &&
              QDir(tree.Path(u"V/NowFile"_s)).removeRecursively() &&
              test::WriteFileBytes(tree.Path(u"V/NowFile"_s), "x");
  };
  EXPECT_EQ(WalkV(u"*"_s),
            (QStringList{u"V/a.avi"_s, u"V/NowFile"_s, u"V/S/s.avi"_s, u"V/S/T/t.avi"_s}));
  EXPECT_TRUE(changed);
  EXPECT_TRUE(dialogs.boxes.empty());

  // A folder gone after its level was walked, before it is taken into the list.
  tree.File(u"V/Late/l.avi"_s);
  changed = false;
  pump.onYield = [&] {
    if (changed || fileSystem.calls.last() != u"SubFolders "_s + tree.Path(u"V/S/T/"_s))
      return;
    changed = QDir(tree.Path(u"V/Late"_s)).removeRecursively();
  };
  EXPECT_EQ(WalkV(u"*"_s),
            (QStringList{u"V/a.avi"_s, u"V/NowFile"_s, u"V/S/s.avi"_s, u"V/S/T/t.avi"_s}));
  EXPECT_TRUE(changed);
  EXPECT_TRUE(dialogs.boxes.empty());

  // The chosen folder itself is no subfolder: its lookup failure is reported.
  EXPECT_EQ(Walk(tree.Path(u"missing"_s), u"*"_s), QStringList());
  ASSERT_EQ(dialogs.ErrorReports().size(), 1u);
  EXPECT_EQ(ReportedLine(0), 112);
}

// The listing of a folder that fails lists nothing there, and not the names of
// the folder listed before it under this folder's path.
TEST_F(FolderWalk, AFolderWhoseListingFailsListsNothing) {
  tree.File(u"V/a.avi"_s);
  tree.File(u"V/S1/b.avi"_s);
  tree.File(u"V/S2/d.avi"_s);
  bool swapped = false;
  pump.onYield = [&] {
    // After the walk took S1 into its list: S1 becomes a link to itself.
    if (swapped || fileSystem.calls.last() != u"Attributes "_s + tree.Path(u"V/S1/"_s))
      return;
    swapped = QFile::rename(tree.Path(u"V/S1"_s), tree.Path(u"S1-moved"_s)) &&
              QFile::link(tree.Path(u"V/S1"_s), tree.Path(u"V/S1"_s));
  };
  EXPECT_EQ(WalkV(), (QStringList{u"V/a.avi"_s, u"V/S2/d.avi"_s}));
  EXPECT_TRUE(swapped);
  ASSERT_EQ(dialogs.ErrorReports().size(), 1u);
  EXPECT_EQ(ReportedLine(0), 118);
}

// The root joined with a separator gives "//"; the paths come out with one.
TEST_F(FolderWalk, TheRootFolderGivesPathsWithOneLeadingSeparator) {
  fileSystem.Fail(u"SubFolders"_s, Failure(u"not walked in a test"_s, 57), u"//"_s);
  // What the root holds, as Qt sees it: every file and link but to a folder,
  // in name order, without tilde files and hidden writable plain files.
  QStringList expected;
  const QFileInfoList entries = QDir(u"/"_s).entryInfoList(
      QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
      QDir::Name | QDir::IgnoreCase);
  for (const QFileInfo& entry : entries) {
    const bool hiddenPlain = entry.fileName().startsWith(u'.') && !entry.isSymLink() &&
                             entry.isFile() && (entry.permissions() & QFile::WriteOwner);
    if (!entry.fileName().startsWith(u'~') && !hiddenPlain && !entry.isDir())
      expected << u"/"_s + entry.fileName();
  }
  if (expected.isEmpty())
    GTEST_SKIP() << "the root holds no file here";
  EXPECT_EQ(Walk(u"/"_s, u"*"_s), expected);
  EXPECT_TRUE(fileSystem.calls.contains(u"GetFolder //"_s));
  EXPECT_TRUE(dialogs.boxes.empty());
}

// What a report of a walk from the root names has one leading separator too.
TEST_F(FolderWalk, TheRootsSubfoldersAreLookedUpWithOneLeadingSeparator) {
  fileSystem.Fail(u"Attributes"_s, Failure(u"stop at the first subfolder"_s, 57));
  EXPECT_EQ(Walk(u"/"_s, u"no file has this name"_s), QStringList());
  ASSERT_EQ(dialogs.ErrorReports().size(), 1u);
  QStringList subFolderLookups;
  for (const QString& call : std::as_const(fileSystem.calls)) {
    if (call.startsWith(u"GetFolder /"_s) && call != u"GetFolder //"_s)
      subFolderLookups << call;
  }
  ASSERT_FALSE(subFolderLookups.isEmpty());
  for (const QString& call : std::as_const(subFolderLookups))
    EXPECT_FALSE(call.startsWith(u"GetFolder //"_s)) << call.toStdString();
}

}  // namespace
}  // namespace vistarel
