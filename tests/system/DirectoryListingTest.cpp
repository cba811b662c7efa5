#include <QFile>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "support/TempTree.h"
#include "system/DirectoryListing.h"
#include "system/FileNames.h"

namespace vistarel {
namespace {

using namespace Qt::StringLiterals;

TEST(MatchesWildcard, StarAndQuestionMarkWithoutRegardToCase) {
  EXPECT_TRUE(MatchesWildcard(u"*.avi"_s, u"CLIP.AVI"_s));
  EXPECT_TRUE(MatchesWildcard(u"*.avi"_s, u"a.b.avi"_s));
  EXPECT_FALSE(MatchesWildcard(u"*.avi"_s, u"clip.avi2"_s));
  EXPECT_FALSE(MatchesWildcard(u"*.avi"_s, u"avi"_s));
  EXPECT_TRUE(MatchesWildcard(u"*.*"_s, u"README"_s));
  EXPECT_TRUE(MatchesWildcard(u"*"_s, u".hidden"_s));
  EXPECT_TRUE(MatchesWildcard(u"clip?.mp4"_s, u"clip7.MP4"_s));
  EXPECT_FALSE(MatchesWildcard(u"clip?.mp4"_s, u"clip.mp4"_s));
  EXPECT_TRUE(MatchesWildcard(u"*.tar.gz"_s, u"x.TAR.gz"_s));
  EXPECT_TRUE(MatchesWildcard(u"*.é"_s, u"x.É"_s));
  EXPECT_FALSE(MatchesWildcard(u"*.[a]"_s, u"x.a"_s));  // brackets are plain characters
  EXPECT_TRUE(MatchesWildcard(u"*.[a]"_s, u"x.[A]"_s));
}

class Listing : public testing::Test {
 protected:
  void SetUp() override {
    tree.File(u"b.avi"_s);
    tree.File(u"A.AVI"_s);
    tree.File(u".hidden.avi"_s);
    tree.File(u"notes.txt"_s);
    tree.Folder(u"folder.avi"_s);
    tree.Folder(u".dotfolder"_s);
    ASSERT_EQ(mkfifo(QFile::encodeName(tree.Path(u"pipe.avi"_s)).constData(), 0644), 0);
  }
  test::TempTree tree;
};

TEST_F(Listing, MaskSixListsEveryFileAndNoFolderInNameOrder) {
  EXPECT_EQ(ListDirectory(tree.root(), u"*.avi"_s, 6),
            (QStringList{u".hidden.avi"_s, u"A.AVI"_s, u"b.avi"_s, u"pipe.avi"_s}));
  EXPECT_EQ(ListDirectory(tree.root(), u"*.*"_s, 6).size(), 5);
}

TEST_F(Listing, TheNormalMaskLeavesOutHiddenAndSystemFiles) {
  EXPECT_EQ(ListDirectory(tree.root(), u"*.*"_s, 0),
            (QStringList{u"A.AVI"_s, u"b.avi"_s, u"notes.txt"_s}));
  EXPECT_EQ(ListDirectory(tree.root(), u"*.avi"_s, 16),
            (QStringList{u"A.AVI"_s, u"b.avi"_s, u"folder.avi"_s}));
}

// Without regard to case, then with it: neither byte order nor case alone.
TEST(ListingOrder, IsByNameWithoutRegardToCaseInEveryListing) {
  test::TempTree tree;
  const QStringList written = {u"b"_s, u"A"_s, u"a"_s, u"C"_s, u"é"_s};
  for (const QString& name : written) {
    tree.File(u"files/"_s + name);
    tree.Folder(u"folders/"_s + name);
  }
  const QStringList expected = {u"A"_s, u"a"_s, u"b"_s, u"C"_s, u"é"_s};
  QStringList withAttributes;
  for (const ListedFile& file : ListDirectoryWithAttributes(tree.Path(u"files"_s), u"*"_s, 6))
    withAttributes.append(file.name);
  QStringList entries;
  for (const FolderEntry& entry : ListFolderEntries(tree.Path(u"folders"_s)))
    entries.append(entry.name);
  EXPECT_EQ(ListDirectory(tree.Path(u"files"_s), u"*"_s, 6), expected);
  EXPECT_EQ(withAttributes, expected);
  EXPECT_EQ(ListSubFolders(tree.Path(u"folders"_s)), expected);
  EXPECT_EQ(entries, expected);
}

TEST_F(Listing, AMissingFolderListsNothingAndNamesRoundTrip) {
  EXPECT_TRUE(ListDirectory(tree.Path(u"missing"_s), u"*.*"_s, 6).isEmpty());
  const QByteArray raw = QFile::encodeName(tree.root()) + "/\xff.avi";
  const int fd = open(raw.constData(), O_CREAT | O_WRONLY, 0644);
  ASSERT_GE(fd, 0);
  close(fd);
  QStringList names = ListDirectory(tree.root(), u"?.avi"_s, 6);
  names.removeIf([](const QString& name) { return !HasUndecodableBytes(name); });
  ASSERT_EQ(names.size(), 1);
  EXPECT_EQ(EncodeFileName(tree.root() + u'/' + names[0]), raw);
}

}  // namespace
}  // namespace vistarel
