#include <gtest/gtest.h>

#include <QDateTime>
#include <QMimeDatabase>
#include <QStorageInfo>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/Failure.h"
#include "desktop/FileProperties.h"
#include "worker/LinuxFileSystem.h"
#include "support/FailureOf.h"
#include "support/FakeFileSystem.h"
#include "support/SpecialFiles.h"
#include "support/TempTree.h"
#include "system/FileFacts.h"
#include "system/FileNames.h"

namespace vistarel {
namespace {

using namespace Qt::StringLiterals;
using test::FailureOf;

QString Described(const char* mimeType) {
  return QMimeDatabase().mimeTypeForName(QString::fromLatin1(mimeType)).comment();
}

class FileSystem : public testing::Test {
 protected:
  LinuxFileSystem fileSystem;
  test::TempTree tree;
};

TEST_F(FileSystem, GetFolderFailsWithPathNotFoundForWhatIsNoFolder) {
  const QString file = tree.File(u"clip.avi"_s);
  for (const QString& path : {tree.Path(u"missing"_s), file, file + u"/below"_s}) {
    const Failure failure = FailureOf([&] { fileSystem.GetFolder(path); });
    EXPECT_EQ(failure.number(), failure_number::kPathNotFound) << path.toStdString();
    EXPECT_TRUE(failure.description().endsWith(u": "_s + path)) << path.toStdString();
  }
}

TEST_F(FileSystem, FoldersKnowTheRootTheirAttributesAndTheirSubfolders) {
  EXPECT_TRUE(fileSystem.GetFolder(u"/"_s)->IsRootFolder());
  const QString walk = tree.Folder(u"walk"_s);
  EXPECT_FALSE(fileSystem.GetFolder(walk)->IsRootFolder());
  EXPECT_EQ(fileSystem.GetFolder(walk)->Attributes(), 16);
  EXPECT_EQ(fileSystem.GetFolder(tree.Folder(u"walk/.hidden"_s))->Attributes(), 18);

  const QString latin1 = u"caf"_s + DecodeFileName(QByteArray("\xe9"));
  for (const QString& name : {u"beta"_s, u"Alpha"_s, u"alpha2"_s, latin1})
    ASSERT_EQ(mkdir(EncodeFileName(walk + u'/' + name).constData(), 0755), 0);
  ASSERT_EQ(symlink("beta", EncodeFileName(walk + u"/zlink"_s).constData()), 0);
  ASSERT_EQ(symlink("missing", EncodeFileName(walk + u"/broken"_s).constData()), 0);
  tree.File(u"walk/clip.avi"_s);
  ASSERT_TRUE(test::MakeFifo(walk + u"/pipe"_s));

  const QStringList expected = {u".hidden"_s, u"Alpha"_s, u"alpha2"_s,
                                u"beta"_s,    latin1,     u"zlink"_s};
  EXPECT_EQ(fileSystem.GetFolder(walk)->SubFolders(), expected);
  // A name that is not UTF-8 comes back as a folder that can be walked.
  tree.Folder(u"walk/Alpha/inner"_s);
  EXPECT_EQ(fileSystem.GetFolder(walk + u'/' + latin1)->SubFolders(), QStringList());
  EXPECT_EQ(fileSystem.GetFolder(walk + u"/Alpha"_s)->SubFolders(), QStringList{u"inner"_s});
}

// /proc links every process to its folders (and to itself): followed as
// folders, walking "/" would not end. Its real folders stay subfolders.
TEST_F(FileSystem, TheKernelsFileSystemsGiveNoLinksAsSubfolders) {
  const QStringList proc = fileSystem.GetFolder(u"/proc"_s)->SubFolders();
  EXPECT_TRUE(proc.contains(QString::number(getpid())));
  EXPECT_FALSE(proc.contains(u"self"_s));
  const QString own = u"/proc/"_s + QString::number(getpid());
  const QStringList process = fileSystem.GetFolder(own)->SubFolders();
  EXPECT_TRUE(process.contains(u"task"_s));
  EXPECT_FALSE(process.contains(u"cwd"_s));
  EXPECT_FALSE(process.contains(u"root"_s));
}

TEST_F(FileSystem, WalkingAFolderThatMayNotBeReadFailsWith70) {
  if (geteuid() == 0)
    GTEST_SKIP() << "root reads every folder";
  const QString locked = tree.Folder(u"locked"_s);
  ASSERT_EQ(chmod(EncodeFileName(locked).constData(), 0), 0);
  const auto folder = fileSystem.GetFolder(locked);
  const Failure failure = FailureOf([&] { folder->SubFolders(); });
  EXPECT_EQ(failure.number(), failure_number::kPermissionDenied);
  EXPECT_EQ(failure.description(), u"Permission denied: "_s + locked);
}

TEST_F(FileSystem, GetFileFailsWithFileNotFound) {
  const QString missing = tree.Path(u"gone.mp4"_s);
  const Failure failure = FailureOf([&] { fileSystem.GetFile(missing); });
  EXPECT_EQ(failure.number(), failure_number::kFileNotFound);
  EXPECT_EQ(failure.description(), u"No such file or directory: "_s + missing);
  EXPECT_EQ(FailureOf([&] { fileSystem.GetFile(tree.root()); }).number(),
            failure_number::kFileNotFound);
}

TEST_F(FileSystem, AFileGivesItsElevenPropertiesAsText) {
  const QString path = tree.File(u"videos/clip.mp4"_s, "eleven byte");
  const QDateTime accessed(QDate(2023, 7, 14), QTime(9, 8, 7));
  const QDateTime modified(QDate(2024, 1, 2), QTime(15, 4, 5));
  const struct timespec times[2] = {{accessed.toSecsSinceEpoch(), 0},
                                    {modified.toSecsSinceEpoch(), 0}};
  ASSERT_EQ(utimensat(AT_FDCWD, EncodeFileName(path).constData(), times, 0), 0);
  const auto file = fileSystem.GetFile(path);

  EXPECT_EQ(file->Property(u"name"_s), u"clip.mp4"_s);
  EXPECT_EQ(file->Property(u"ShortName"_s), u"clip.mp4"_s);
  EXPECT_EQ(file->Property(u"Size"_s), u"11"_s);
  EXPECT_EQ(file->Property(u"path"_s), path);
  EXPECT_EQ(file->Property(u"ShortPath"_s), path);
  EXPECT_EQ(file->Property(u"ParentFolder"_s), tree.Path(u"videos"_s));
  EXPECT_EQ(file->Property(u"Drive"_s), QStorageInfo(tree.root()).rootPath());
  EXPECT_EQ(file->Property(u"DateLastModified"_s), FileDateText(modified));
  EXPECT_EQ(file->Property(u"DateLastAccessed"_s), FileDateText(accessed));
  EXPECT_EQ(file->Property(u"Type"_s), Described("video/mp4"));
  // The birth time is the time the test made the file, where it is recorded.
  const QString created = file->Property(u"DateCreated"_s);
  if (!created.isEmpty()) {
    const QDateTime now = QDateTime::currentDateTime();
    EXPECT_TRUE(created == FileDateText(now) || created == FileDateText(now.addSecs(-1)) ||
                created == FileDateText(now.addSecs(-2)))
        << created.toStdString();
  }
  EXPECT_EQ(FailureOf([&] { file->Property(u"Name"_s); }).number(), 438);
}

TEST_F(FileSystem, PathsAreShownAbsoluteAndNamesThatAreNotUtf8StayReachable) {
  const QString name = u"bad "_s + DecodeFileName(QByteArray("\xff\xfe")) + u".avi"_s;
  const QString path = tree.Path(u"videos/"_s + name);
  tree.Folder(u"videos"_s);
  ASSERT_TRUE(test::WriteFileBytes(path, "12345"));
  const auto file = fileSystem.GetFile(tree.Path(u"videos/./../videos//"_s + name));
  EXPECT_EQ(file->Property(u"name"_s), name);
  EXPECT_EQ(file->Property(u"path"_s), path);
  EXPECT_EQ(file->Property(u"Size"_s), u"5"_s);
  EXPECT_EQ(file->Property(u"Drive"_s), QStorageInfo(tree.root()).rootPath());
  EXPECT_EQ(file->Property(u"Type"_s), Described("video/x-msvideo"));
}

TEST_F(FileSystem, TheTypeLooksAtTheContentWhereTheNameIsAmbiguousAndNeverOpensAFifo) {
  const QString stream = tree.Path(u"broadcast.ts"_s);
  ASSERT_TRUE(test::CopyFileTo(test::TestDataPath(u"media/mpeg-ts-h264-aac.ts"_s), stream));
  const QString catalog = tree.File(
      u"app_de.ts"_s, "<?xml version=\"1.0\"?>\n<!DOCTYPE TS><TS version=\"2.1\"></TS>\n");
  EXPECT_EQ(fileSystem.GetFile(stream)->Property(u"Type"_s), Described("video/mp2t"));
  EXPECT_EQ(fileSystem.GetFile(catalog)->Property(u"Type"_s),
            Described("text/vnd.trolltech.linguist"));

  const QString fifo = tree.Path(u"pipe.ts"_s);
  ASSERT_TRUE(test::MakeFifo(fifo));
  QString type;
  QString size;
  EXPECT_TRUE(test::ReturnsWithoutBlocking(fifo, [&] {
    const auto file = fileSystem.GetFile(fifo);
    type = file->Property(u"Type"_s);
    size = file->Property(u"Size"_s);
  }));
  EXPECT_EQ(type, Described("inode/fifo"));
  EXPECT_EQ(size, u"0"_s);
}

TEST_F(FileSystem, TheExtensionIsTheTextAfterTheLastDotOfTheLastElement) {
  EXPECT_EQ(fileSystem.GetExtensionName(u"/videos/clip.MP4"_s), u"MP4"_s);
  EXPECT_EQ(fileSystem.GetExtensionName(u"/videos/my.clip.mkv"_s), u"mkv"_s);
  EXPECT_EQ(fileSystem.GetExtensionName(u"/videos.d/README"_s), QString());
  EXPECT_EQ(fileSystem.GetExtensionName(u"/videos/.hidden"_s), u"hidden"_s);
  EXPECT_EQ(fileSystem.GetExtensionName(u"/videos/trailing."_s), QString());
  EXPECT_EQ(fileSystem.GetExtensionName(u"clip.avi"_s), u"avi"_s);
}

TEST(FileDateText, ShortDateAndTimeWithSecondsWithoutTimeZone) {
  const QDateTime moment(QDate(2024, 1, 2), QTime(15, 4, 5));
  EXPECT_EQ(FileDateText(moment, QLocale(u"en_US"_s)), u"1/2/24 3:04:05 PM"_s);
  EXPECT_EQ(FileDateText(moment, QLocale(u"de_DE"_s)), u"02.01.24 15:04:05"_s);
  EXPECT_EQ(FileDateText(moment, QLocale(u"zh_CN"_s)), u"2024/1/2 15:04:05"_s);
  EXPECT_EQ(FileDateText(moment, QLocale(u"ja_JP"_s)), u"2024/01/02 15時04分05秒"_s);
}

// The fake that the walk, the run and the export are tested with fails where
// it is told and is the real file system elsewhere.
TEST(FakeFileSystem, FailsTheScriptedOperationsOnly) {
  test::TempTree tree;
  const QString clip = tree.File(u"a/clip.avi"_s, "123");
  test::FakeFileSystem fileSystem;
  fileSystem.Fail(u"SubFolders"_s, Failure(u"Permission denied: x"_s, 70), tree.Path(u"a"_s));
  fileSystem.Fail(u"Size"_s, Failure(u"Device I/O error"_s, 57));

  EXPECT_EQ(fileSystem.GetFolder(tree.root())->SubFolders(), QStringList{u"a"_s});
  EXPECT_EQ(FailureOf([&] { fileSystem.GetFolder(tree.Path(u"a"_s))->SubFolders(); }).number(), 70);
  const auto file = fileSystem.GetFile(clip, GatherFileFacts(clip));
  EXPECT_EQ(file->Property(u"name"_s), u"clip.avi"_s);
  EXPECT_EQ(FailureOf([&] { file->Property(u"Size"_s); }).number(), 57);
  EXPECT_EQ(fileSystem.calls.last(), u"Size "_s + clip);
}

}  // namespace
}  // namespace vistarel
