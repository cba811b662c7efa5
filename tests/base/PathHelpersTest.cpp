#include <gtest/gtest.h>

#include "base/PathHelpers.h"

namespace vistarel {
namespace {

using namespace Qt::StringLiterals;

TEST(FileNameOf, TakesTheTextAfterTheLastSeparator) {
  EXPECT_EQ(FileNameOf(u"/videos/clip.mp4"_s), u"clip.mp4"_s);
  EXPECT_EQ(FileNameOf(u"clip.mp4"_s), u"clip.mp4"_s);
  EXPECT_EQ(FileNameOf(u"/videos/"_s), QString());
  EXPECT_EQ(FileNameOf(u"/videos/a\\b.mp4"_s), u"a\\b.mp4"_s);  // a backslash is a character
  EXPECT_EQ(FileNameOf(u"/V/Clip.MP4"_s), u"Clip.MP4"_s);
}

TEST(FolderOf, KeepsTheFinalSeparator) {
  EXPECT_EQ(FolderOf(u"/videos/clip.mp4"_s), u"/videos/"_s);
  EXPECT_EQ(FolderOf(u"clip.mp4"_s), QString());
  EXPECT_EQ(FolderOf(u"/videos/"_s), u"/videos/"_s);
  EXPECT_EQ(FolderOf(u"/x.avi"_s), u"/"_s);
  EXPECT_EQ(FolderOf(u"C:\\Videos\\clip.mp4"_s), QString());
}

TEST(NameWithoutExtension, CutsAtTheLastDot) {
  EXPECT_EQ(NameWithoutExtension(u"clip.mp4"_s), u"clip"_s);
  EXPECT_EQ(NameWithoutExtension(u"my.clip.mp4"_s), u"my.clip"_s);
  EXPECT_EQ(NameWithoutExtension(u"README"_s), u"README"_s);
  EXPECT_EQ(NameWithoutExtension(u".hidden"_s), QString());
  EXPECT_EQ(NameWithoutExtension(u"CLIP.Mp4"_s), u"CLIP"_s);
}

TEST(FixRootPath, CollapsesOnlyTheLeadingDoubledSeparator) {
  EXPECT_EQ(FixRootPath(u"//x.avi"_s), u"/x.avi"_s);
  EXPECT_EQ(FixRootPath(u"/a//b.avi"_s), u"/a//b.avi"_s);
  EXPECT_EQ(FixRootPath(u"/a/b.avi"_s), u"/a/b.avi"_s);
  EXPECT_EQ(FixRootPath(u"c:\\\\x.avi"_s), u"c:\\\\x.avi"_s);
}

}  // namespace
}  // namespace vistarel
