#include <QFile>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/Failure.h"
#include "support/FailureOf.h"
#include "support/TempTree.h"
#include "system/FileAttributes.h"
#include "system/FileNames.h"

namespace vistarel {
namespace {

using namespace Qt::StringLiterals;

void MakeReadOnly(const QString& path) {
  ASSERT_EQ(chmod(QFile::encodeName(path).constData(), 0444), 0);
}

void Link(const QString& target, const QString& link) {
  ASSERT_EQ(symlink(QFile::encodeName(target).constData(), QFile::encodeName(link).constData()), 0);
}

TEST(AttributesOf, FilesFoldersAndTheirHiddenAndReadOnlyForms) {
  test::TempTree tree;
  EXPECT_EQ(AttributesOf(tree.File(u"a.avi"_s)), 32);
  EXPECT_EQ(AttributesOf(tree.File(u".hidden.avi"_s)), 34);
  const QString readOnlyHidden = tree.File(u".ro.avi"_s);
  MakeReadOnly(readOnlyHidden);
  EXPECT_EQ(AttributesOf(readOnlyHidden), 35);
  EXPECT_EQ(AttributesOf(tree.Folder(u"S1"_s)), 16);
  EXPECT_EQ(AttributesOf(tree.Folder(u".config"_s)), 18);
  EXPECT_EQ(AttributesOf(tree.Path(u"S1/"_s)), 16);  // a trailing separator names the folder
}

TEST(AttributesOf, TrashFoldersAreSystemFoldersAndLinksAddTheLinkBit) {
  test::TempTree tree;
  EXPECT_EQ(AttributesOf(tree.Folder(u".Trash"_s)), 22);
  EXPECT_EQ(AttributesOf(tree.Folder(u".Trash-1000"_s)), 22);
  EXPECT_EQ(AttributesOf(tree.Folder(u".Trash-x"_s)), 18);
  EXPECT_EQ(AttributesOf(tree.Folder(u"Trash"_s)), 16);  // only the user's own trash is
  Link(tree.Path(u".Trash"_s), tree.Path(u".trashlink"_s));
  EXPECT_EQ(AttributesOf(tree.Path(u".trashlink"_s)), 22 | 1024);
  Link(tree.File(u"f.mp4"_s), tree.Path(u"l.mp4"_s));
  EXPECT_EQ(AttributesOf(tree.Path(u"l.mp4"_s)), 32 | 1024);
  Link(tree.Path(u"gone"_s), tree.Path(u"dangling"_s));
  EXPECT_EQ(AttributesOf(tree.Path(u"dangling"_s)), 1024);
}

TEST(AttributesOf, SpecialFilesAreSystemFilesAndAreNeverOpened) {
  test::TempTree tree;
  const QString fifo = tree.Path(u"pipe.avi"_s);
  ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0644), 0);
  EXPECT_EQ(AttributesOf(fifo), 4);
  EXPECT_EQ(AttributesOf(u"/dev/null"_s) & 4, 4);
}

TEST(AttributesOf, FailuresCarryTheSystemTextThePathAndANumber) {
  test::TempTree tree;
  const Failure missing = test::FailureOf([&] { AttributesOf(tree.Path(u"missing.avi"_s)); });
  EXPECT_EQ(missing.number(), 53);
  EXPECT_EQ(missing.description(), u"No such file or directory: "_s + tree.Path(u"missing.avi"_s));
  EXPECT_EQ(test::FailureOf([&] { AttributesOf(tree.File(u"file"_s) + u"/below"_s); }).number(),
            76);
}

TEST(AttributesOf, ReachesNamesThatAreNotValidUtf8) {
  test::TempTree tree;
  const QByteArray raw = QFile::encodeName(tree.root()) + "/caf\xe9.avi";
  const int fd = open(raw.constData(), O_CREAT | O_WRONLY, 0644);
  ASSERT_GE(fd, 0);
  close(fd);
  EXPECT_EQ(AttributesOf(DecodeFileName(raw)), 32);
}

}  // namespace
}  // namespace vistarel
