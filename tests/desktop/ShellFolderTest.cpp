#include <QDir>
#include <QFile>
#include <QLocale>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include "base/Failure.h"
#include "desktop/FactsShellFolder.h"
#include "desktop/ShellDetails.h"
#include "worker/MediaInfoDLL.h"
#include "worker/ShellMediaValues.h"
#include "support/FailureOf.h"
#include "support/FakeMediaLibrary.h"
#include "support/InProcessShell.h"
#include "support/SharedMediaParse.h"
#include "support/SpecialFiles.h"
#include "support/TempTree.h"
#include "system/Accounts.h"
#include "system/FileNames.h"

namespace vistarel {
namespace {

using namespace Qt::StringLiterals;
namespace column = shell_column;

class ShellFolderTest : public testing::Test {
 protected:
  ShellFolderTest() { QLocale::setDefault(QLocale::c()); }
  ~ShellFolderTest() override { QLocale::setDefault(QLocale::system()); }

  QString Copy(const QString& sample, const QString& name) {
    const QString path = tree.Path(name);
    EXPECT_TRUE(test::CopyFileTo(test::TestDataPath(u"media/"_s + sample), path));
    return path;
  }
  // The values of the one entry of `folder` whose display name is `name`.
  std::vector<QString> ValuesOf(const QString& name, const QString& folder = {}) {
    const auto shown = shell.Namespace(folder.isEmpty() ? tree.root() : folder);
    const QList<int> items = shown->ItemsNamed(name);
    EXPECT_EQ(items.size(), 1);
    std::vector<QString> values;
    for (int k = 0; k < kShellPropertyCount; ++k)
      values.push_back(items.isEmpty() ? QString() : shown->GetDetailsOf(items[0], k));
    return values;
  }
  QStringList CallNames() const { return library.CallNames(); }

  test::TempTree tree;
  test::FakeMediaLibrary library;
  SharedMediaParse media{library};
  int listings = 0;
  InProcessShell shell{media, [this](const QString& folder) {
                     ++listings;
                     return ListFolderEntries(folder);
                   }};
};

TEST_F(ShellFolderTest, ItemsAreInNameOrderAndShowNamesAsAFileManagerHidingExtensions) {
  for (const QString& name : {u"b.mp4"_s, u"A.avi"_s, u"clip.tar.gz"_s, u".profile"_s, u"noext"_s})
    tree.File(name);
  tree.Folder(u"folder.d"_s);
  const auto folder = shell.Namespace(tree.root() + u'/');
  EXPECT_EQ(folder->ItemCount(), 6);
  const QStringList shown = {u".profile"_s, u"A"_s,        u"b"_s,
                             u"clip.tar"_s, u"folder.d"_s, u"noext"_s};
  for (int item = 0; item < shown.size(); ++item) {
    EXPECT_EQ(folder->ItemsNamed(shown[item].toUpper()), QList<int>{item}) << item;
    EXPECT_EQ(folder->DisplayName(item), shown[item]);
  }
  // Only the entries of the name asked for are looked at.
  EXPECT_THROW(folder->DisplayName(0), Failure);
}

TEST_F(ShellFolderTest, HasFortyOneColumnsTheLastThreeWithoutAName) {
  const auto folder = shell.Namespace(tree.root());
  EXPECT_EQ(folder->PropertyName(column::kName), u"Name"_s);
  EXPECT_EQ(folder->PropertyName(column::kItemType), u"Item type"_s);
  EXPECT_EQ(folder->PropertyName(column::kLength), u"Length"_s);
  EXPECT_EQ(folder->PropertyName(column::kFolderPath), u"Folder path"_s);
  for (int k = 38; k <= 41; ++k) EXPECT_EQ(folder->PropertyName(k), QString()) << k;
}

TEST_F(ShellFolderTest, ATaggedVideoShowsItsFileSystemMimeTagAndStreamValues) {
  const QString path = Copy(u"mp4-tagged.mp4"_s, u"clip.mp4"_s);
  chmod(EncodeFileName(path).constData(), 0640);
  const std::vector<QString> values = ValuesOf(u"CLIP"_s);
  EXPECT_EQ(values[column::kName], u"clip"_s);
  EXPECT_EQ(values[column::kSize], u"9.1 kB"_s);
  EXPECT_EQ(values[column::kItemType], u"MPEG-4 video"_s);
  EXPECT_FALSE(values[column::kDateModified].isEmpty());
  EXPECT_EQ(values[column::kAttributes], u"A"_s);
  EXPECT_EQ(values[column::kOwner], AccountNames().User(getuid()));
  EXPECT_EQ(values[column::kGroup], AccountNames().Group(getgid()));
  EXPECT_EQ(values[column::kPermissions], u"rw-r-----"_s);
  EXPECT_EQ(values[column::kPerceivedType], u"Video"_s);
  EXPECT_EQ(values[column::kContentType], u"video/mp4"_s);
  EXPECT_EQ(values[column::kTitle], u"Größe 日本 🎬"_s);
  EXPECT_EQ(values[column::kArtist], u"Ana Núñez"_s);
  EXPECT_EQ(values[column::kAlbum], u"Prüfband"_s);
  EXPECT_EQ(values[column::kYear], u"2021"_s);
  EXPECT_EQ(values[column::kComment], u"Tagged for the binding tests"_s);
  EXPECT_EQ(values[column::kCopyright], u"© 2021 Vistarel"_s);
  EXPECT_EQ(values[column::kLength], u"0:00:01"_s);
  EXPECT_EQ(values[column::kBitRate], u"72.4 kb/s"_s);
  EXPECT_EQ(values[column::kFrameWidth], u"160"_s);
  EXPECT_EQ(values[column::kFrameRate], u"25.000 FPS"_s);
  EXPECT_EQ(values[column::kVideoCodec], u"AVC"_s);
  EXPECT_EQ(values[column::kAudioCodec], u"AAC"_s);
  EXPECT_EQ(values[column::kChannels], u"2 channels"_s);
  EXPECT_EQ(values[column::kSampleRate], u"48.0 kHz"_s);
  EXPECT_EQ(values[column::kLinkTarget], QString());
  EXPECT_EQ(values[column::kFolderPath], tree.root());
  EXPECT_EQ(values[38] + values[39] + values[40], QString());
}

TEST_F(ShellFolderTest, DesktopAttributesComeFromExtendedAttributesAndWinOverTheTag) {
  const QByteArray path = EncodeFileName(Copy(u"mp4-tagged.mp4"_s, u"clip.mp4"_s));
  const auto set = [&](const char* name, const QByteArray& value) {
    return setxattr(path.constData(), name, value.constData(), size_t(value.size()), 0) == 0;
  };
  if (!set("user.xdg.comment", "Für später"))
    GTEST_SKIP() << "no user extended attributes on this file system";
  set("user.xdg.tags", "holiday,beach");
  set("user.baloo.rating", QByteArray("8", 2));  // with its NUL
  set("user.xdg.origin.url", "https://example.org/clip.mp4");
  const std::vector<QString> values = ValuesOf(u"clip"_s);
  EXPECT_EQ(values[column::kComment], u"Für später"_s);
  EXPECT_EQ(values[column::kTags], u"holiday,beach"_s);
  EXPECT_EQ(values[column::kRating], u"8"_s);
  EXPECT_EQ(values[column::kOriginUrl], u"https://example.org/clip.mp4"_s);
}

TEST_F(ShellFolderTest, LinksShowTheirTargetAndFifosAreNeverOpened) {
  Copy(u"mp4-h264-aac.mp4"_s, u"clip.mp4"_s);
  ASSERT_EQ(symlink("clip.mp4", EncodeFileName(tree.Path(u"link.mp4"_s)).constData()), 0);
  const std::vector<QString> link = ValuesOf(u"link"_s);
  EXPECT_EQ(link[column::kLinkTarget], u"clip.mp4"_s);
  EXPECT_EQ(link[column::kAttributes], u"AL"_s);
  EXPECT_EQ(link[column::kFrameWidth], u"320"_s);

  const QString fifo = tree.Path(u"pipe.mp4"_s);
  ASSERT_TRUE(test::MakeFifo(fifo));
  std::vector<QString> values;
  EXPECT_TRUE(test::ReturnsWithoutBlocking(fifo, [&] { values = ValuesOf(u"pipe"_s); }));
  EXPECT_EQ(values[column::kAttributes], u"S"_s);
  EXPECT_EQ(values[column::kPerceivedType], u"Other"_s);
  EXPECT_EQ(values[column::kContentType], u"inode/fifo"_s);
  EXPECT_EQ(values[column::kLength] + values[column::kFrameWidth], QString());
}

TEST_F(ShellFolderTest, ItemsNamedIsCaseBlindListsOnceAndSeesAChangedFolder) {
  for (const QString& name : {u"Clip.avi"_s, u"clip.mp4"_s, u"clipper.mp4"_s}) tree.File(name);
  tree.Folder(u"CLIP"_s);
  EXPECT_EQ(shell.Namespace(tree.root())->ItemsNamed(u"cLiP"_s), (QList<int>{0, 1, 2}));
  EXPECT_EQ(shell.Namespace(tree.root() + u'/')->ItemsNamed(u"clipper"_s), QList<int>{3});
  EXPECT_EQ(listings, 1);

  tree.File(u"clip.mkv"_s);
  EXPECT_EQ(shell.Namespace(tree.root())->ItemsNamed(u"clip"_s).size(), 4);
  EXPECT_EQ(listings, 2);

  EXPECT_EQ(test::FailureOf([&] { shell.Namespace(tree.Path(u"missing"_s)); }).number(),
            failure_number::kPathNotFound);
  EXPECT_THROW(shell.Namespace(tree.Path(u"clip.mp4"_s)), Failure);
}

TEST_F(ShellFolderTest, MediaValuesComeFromTheRunsParseOfTheSameUnchangedFile) {
  const QString clip = Copy(u"mp4-h264-aac.mp4"_s, u"clip.mp4"_s);
  Copy(u"mp4-tagged.mp4"_s, u"clip.mov"_s);
  // The run's parse, through the shared library.
  const MediaInfoHandle handle = MediaInfo_New(media);
  MediaInfo_Open(media, handle, clip);
  MediaInfo_Close(media, handle);
  MediaInfo_Delete(media, handle);

  library.calls.clear();
  const auto folder = shell.Namespace(tree.root());
  const QList<int> both = folder->ItemsNamed(u"clip"_s);
  ASSERT_EQ(both.size(), 2);
  EXPECT_EQ(folder->GetDetailsOf(both[1], column::kFrameWidth), u"320"_s);  // clip.mp4
  EXPECT_FALSE(CallNames().contains(u"New"_s));
  EXPECT_EQ(folder->GetDetailsOf(both[0], column::kFrameWidth), u"160"_s);  // clip.mov
  EXPECT_EQ(CallNames().count(u"New"_s), 1);

  // Changed since the run read it: read again.
  QFile file(clip);
  ASSERT_TRUE(file.open(QIODevice::Append));
  file.write("more");
  file.close();
  library.calls.clear();
  const auto again = shell.Namespace(tree.root());
  EXPECT_EQ(again->GetDetailsOf(again->ItemsNamed(u"clip"_s)[1], column::kFrameWidth), u"320"_s);
  EXPECT_EQ(CallNames().count(u"New"_s), 1);
}

TEST(ShellWording, LengthsYearsPermissionsAndAttributes) {
  EXPECT_EQ(MediaLengthText(u"960.000000"_s), u"0:00:01"_s);
  EXPECT_EQ(MediaLengthText(u"3723400"_s), u"1:02:03"_s);
  EXPECT_EQ(MediaLengthText(QString()), QString());
  EXPECT_EQ(YearOf(u"UTC 2019-05-03 10:00:00"_s), u"2019"_s);
  EXPECT_EQ(YearOf(u"12345"_s), QString());
  EXPECT_EQ(PermissionsText(04755), u"rwsr-xr-x"_s);
  EXPECT_EQ(PermissionsText(02644), u"rw-r-Sr--"_s);
  EXPECT_EQ(PermissionsText(01777), u"rwxrwxrwt"_s);
  EXPECT_EQ(AttributeLetters(1 | 2 | 16 | 32 | 1024), u"RHAL"_s);
  EXPECT_EQ(DisplayNameOf(u".profile"_s, false), u".profile"_s);
  EXPECT_EQ(ShellPropertyName(column::kLength), u"Length"_s);
  EXPECT_EQ(DisplayNameOf(u"a.b"_s, true), u"a.b"_s);
}

}  // namespace
}  // namespace vistarel
