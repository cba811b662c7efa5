#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "base/Failure.h"
#include "worker/MediaInfoDLL.h"
#include "worker/MediaInfoLibrary.h"
#include "support/FailureOf.h"
#include "support/FakeMediaLibrary.h"
#include "support/TempTree.h"

namespace vistarel {
namespace {

using namespace Qt::StringLiterals;

TEST(CopyLibraryString, CopiesUpToTheNulAndKeepsCharactersBeyondTheFirstPlane) {
  EXPECT_EQ(CopyLibraryString(nullptr), QString());
  EXPECT_EQ(CopyLibraryString(L""), QString());
  EXPECT_EQ(CopyLibraryString(L"High@L1.3"), u"High@L1.3"_s);
  const wchar_t cut[] = {L'a', L'b', L'\0', L'c', L'\0'};
  EXPECT_EQ(CopyLibraryString(cut), u"ab"_s);

  const wchar_t wide[] = {wchar_t(0x1F3AC), L' ', wchar_t(0x65E5), L'\0'};
  const QString copied = CopyLibraryString(wide);
  EXPECT_EQ(copied, u"🎬 日"_s);
  EXPECT_EQ(copied.size(), 4);  // the clapper board is a surrogate pair
  // A pair the library kept as two units comes out the same.
  const wchar_t pair[] = {wchar_t(0xD83C), wchar_t(0xDFAC), L'\0'};
  EXPECT_EQ(CopyLibraryString(pair), u"🎬"_s);
}

// Every call on a library that cannot be loaded fails with the loader's reason,
// a null handle included; nothing crashes.
TEST(MediaInfoDLL, AnUnloadableLibraryFailsEveryCallWithTheLoadersReason) {
  MediaInfoLibrary missing(u"libmediainfo-missing.so.0"_s);
  const QString path = test::TestDataPath(u"media/mp4-h264-aac.mp4"_s);
  const std::vector<std::function<void()>> calls = {
      [&] { MediaInfo_New(missing); },
      [&] { MediaInfo_Open(missing, nullptr, path); },
      [&] { MediaInfoQuery(missing, nullptr, StreamKind::Video, u"Format"); },
      [&] { MediaInfo_Close(missing, nullptr); },
      [&] { MediaInfo_Delete(missing, nullptr); },
      [&] { missing.New(); },
  };
  for (const auto& call : calls) {
    const Failure failure = test::FailureOf(call);
    EXPECT_TRUE(failure.description().contains(u"libmediainfo-missing.so.0"_s))
        << failure.description().toStdString();
    EXPECT_TRUE(failure.description().contains(u"No such file or directory"_s))
        << failure.description().toStdString();
    EXPECT_EQ(failure.number(), failure_number::kFileNotFound);
  }
}

// A library that loads but is not the media library names the first entry
// point it lacks, and says so again on every later call.
TEST(MediaInfoDLL, ALibraryWithoutTheEntryPointsNamesTheFirstMissingOne) {
  MediaInfoLibrary other(u"libz.so.1"_s);
  for (int call = 0; call < 2; ++call) {
    const Failure failure = test::FailureOf([&] { other.New(); });
    EXPECT_EQ(failure.number(), failure_number::kEntryPointMissing);
    EXPECT_TRUE(failure.description().startsWith(
        u"The MediaInfo library libz.so.1 has no entry point MediaInfo_New: "_s))
        << failure.description().toStdString();
  }
}

TEST(MediaInfoDLL, ANullHandleNeverReachesTheLibrary) {
  test::FakeMediaLibrary library;
  const QString path = test::TestDataPath(u"media/mp4-h264-aac.mp4"_s);
  EXPECT_THROW(MediaInfo_Open(library, nullptr, path), Failure);
  EXPECT_THROW(MediaInfoQuery(library, nullptr, StreamKind::General, u"Format"), Failure);
  EXPECT_THROW(MediaInfo_Close(library, nullptr), Failure);
  EXPECT_THROW(MediaInfo_Delete(library, nullptr), Failure);
  EXPECT_TRUE(library.calls.empty()) << library.CallNames().join(u", "_s).toStdString();

  library.failNew = true;
  EXPECT_THROW(MediaInfo_New(library), Failure);
}

TEST(MediaInfoDLL, CallsTheLibraryWithTheFixedArgumentsInOrder) {
  test::FakeMediaLibrary library;
  const MediaInfoHandle handle = MediaInfo_New(library);
  ASSERT_NE(handle, nullptr);
  EXPECT_TRUE(MediaInfo_Open(library, handle, test::TestDataPath(u"media/mp4-h264-aac.mp4"_s)));
  EXPECT_EQ(MediaInfoQuery(library, handle, StreamKind::Audio, u"SamplingRate/String"),
            u"48.0 kHz"_s);
  MediaInfo_Close(library, handle);
  MediaInfo_Delete(library, handle);
  EXPECT_EQ(library.CallNames(), QStringList({u"New"_s, u"Open"_s, u"Get 2 SamplingRate/String"_s,
                                              u"Close"_s, u"Delete"_s}));
  for (const auto& call : library.calls) {
    if (call.name != u"New"_s) {
      EXPECT_EQ(call.handle, handle) << call.name.toStdString();
    }
  }
}

}  // namespace
}  // namespace vistarel
