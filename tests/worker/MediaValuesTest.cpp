#include <gtest/gtest.h>

#include <QDir>

#include <utility>
#include <vector>

#include "extract/ResultColumns.h"
#include "worker/MediaInfoDLL.h"
#include "support/FakeMediaLibrary.h"
#include "support/SpecialFiles.h"
#include "support/TempTree.h"
#include "system/FileNames.h"

namespace vistarel {
namespace {

using namespace Qt::StringLiterals;

using Values = std::vector<std::pair<QString, QString>>;  // header, answer

// The 38 answers of a file in column order, as the run asks for them.
Values MediaAnswers(IMediaLibrary& library, const QString& path) {
  const MediaInfoHandle handle = MediaInfo_New(library);
  MediaInfo_Open(library, handle, path);
  Values answers;
  for (const FixedColumn& column : FixedColumns()) {
    if (column.source == ColumnSource::Media) {
      answers.emplace_back(
          QString::fromUtf16(column.header),
          MediaInfoQuery(library, handle, column.stream, QStringView(column.parameter)));
    }
  }
  MediaInfo_Close(library, handle);
  MediaInfo_Delete(library, handle);
  return answers;
}

QString AnswerOf(const Values& answers, const QString& header) {
  for (const auto& [name, value] : answers) {
    if (name == header)
      return value;
  }
  ADD_FAILURE() << "no column " << header.toStdString();
  return {};
}

bool AllEmpty(const Values& answers, const QString& headerPrefix = {}) {
  for (const auto& [name, value] : answers) {
    if (name.startsWith(headerPrefix) && !value.isEmpty())
      return false;
  }
  return true;
}

QString Media(const QString& name) {
  return test::TestDataPath(u"media/"_s + name);
}

class MediaValues : public testing::Test {
 protected:
  test::FakeMediaLibrary library;
};

// The whole row of the plain MP4: a value under the wrong stream kind or
// parameter, or a cut or mangled text, shows here.
TEST_F(MediaValues, TheMp4GivesAll38AnswersInColumnOrder) {
  const Values expected = {
      {u"General - Format"_s, u"MPEG-4"_s},
      {u"General - Format/Info"_s, u""_s},
      {u"General - File Size"_s, u"10.1 KiB"_s},
      {u"General - Duration"_s, u"00:00:01.000"_s},
      {u"Video - Format"_s, u"AVC"_s},
      {u"Video - Format/Info"_s, u"Advanced Video Codec"_s},
      {u"Video - Format Version"_s, u""_s},
      {u"Video - Format Profile"_s, u"High@L1.3"_s},
      {u"Video - Codec"_s, u"avc1"_s},
      {u"Video - Duration"_s, u"00:00:01.000"_s},
      {u"Video - BitRate Mode"_s, u""_s},
      {u"Video - BitRate"_s, u"33.6 kb/s"_s},
      {u"Video - BitRate Minimum"_s, u""_s},
      {u"Video - BitRate Nominal"_s, u""_s},
      {u"Video - BitRate Maximum"_s, u""_s},
      {u"Video - Width"_s, u"320 pixels"_s},
      {u"Video - Height"_s, u"240 pixels"_s},
      {u"Video - Pixel Aspect Ratio"_s, u""_s},
      {u"Video - FrameRate Mode"_s, u"CFR"_s},
      {u"Video - FrameRate"_s, u"25.000 FPS"_s},
      {u"Video - FrameCount"_s, u"25"_s},
      {u"Video - Standard"_s, u""_s},
      {u"Video - Colorimetry"_s, u""_s},
      {u"Video - Scan Type"_s, u"Progressive"_s},
      {u"Video - StreamSize"_s, u"4.10 KiB"_s},
      {u"Video - Language"_s, u""_s},
      {u"Audio - Format"_s, u"AAC"_s},
      {u"Audio - Format/Info"_s, u"Advanced Audio Codec Low Complexity"_s},
      {u"Audio - Format Version"_s, u""_s},
      {u"Audio - Format Profile"_s, u""_s},
      {u"Audio - Codec"_s, u"mp4a-40-2"_s},
      {u"Audio - Duration"_s, u"00:00:01.000"_s},
      {u"Audio - BitRate Mode"_s, u"VBR"_s},
      {u"Audio - BitRate"_s, u"31.5 kb/s"_s},
      {u"Audio - Channel(s)"_s, u"2 channels"_s},
      {u"Audio - Channel Positions"_s, u"Front: L R"_s},
      {u"Audio - Sampling Rate"_s, u"48.0 kHz"_s},
      {u"Audio - Stream Size"_s, u"3.84 KiB"_s},
  };
  EXPECT_EQ(MediaAnswers(library, Media(u"mp4-h264-aac.mp4"_s)), expected);
}

TEST_F(MediaValues, EachContainerGivesItsOwnFormatsAndStreams) {
  const std::vector<std::pair<QString, Values>> cases = {
      {u"avi-mpeg4-mp3.avi"_s,
       {{u"General - Format"_s, u"AVI"_s},
        {u"General - Format/Info"_s, u"Audio Video Interleave"_s},
        {u"Video - Format"_s, u"MPEG-4 Visual"_s},
        {u"Video - Format Profile"_s, u"Simple@L1"_s},
        {u"Video - Codec"_s, u"FMP4"_s},
        {u"Video - Width"_s, u"176 pixels"_s},
        {u"Audio - Format"_s, u"MPEG Audio"_s},
        {u"Audio - Format Version"_s, u"Version 1"_s},
        {u"Audio - Format Profile"_s, u"Layer 3"_s},
        {u"Audio - Codec"_s, u"55"_s},
        {u"Audio - Channel(s)"_s, u"1 channel"_s},
        {u"Audio - Sampling Rate"_s, u"44.1 kHz"_s}}},
      {u"avi-mjpeg-pcm.avi"_s,
       {{u"General - Format"_s, u"AVI"_s},
        {u"Video - Format"_s, u"JPEG"_s},
        {u"Video - Codec"_s, u"MJPG"_s},
        {u"Video - FrameRate"_s, u"15.000 FPS"_s},
        {u"Video - FrameCount"_s, u"15"_s},
        {u"Audio - Format"_s, u"PCM"_s},
        {u"Audio - BitRate Mode"_s, u"CBR"_s},
        {u"Audio - BitRate"_s, u"128 kb/s"_s}}},
      {u"mpeg-ps-mpeg2-mp2.mpg"_s,
       {{u"General - Format"_s, u"MPEG-PS"_s},
        {u"General - Duration"_s, u"00:00:01.008"_s},
        {u"Video - Format"_s, u"MPEG Video"_s},
        {u"Video - Format Version"_s, u"Version 2"_s},
        {u"Video - Format Profile"_s, u"Main@Main"_s},
        {u"Video - BitRate Mode"_s, u"VBR"_s},
        {u"Video - Standard"_s, u"PAL"_s},
        {u"Video - Width"_s, u"352 pixels"_s},
        {u"Video - Height"_s, u"288 pixels"_s},
        {u"Audio - Format"_s, u"MPEG Audio"_s},
        {u"Audio - Format Profile"_s, u"Layer 2"_s},
        {u"Audio - BitRate"_s, u"64.0 kb/s"_s}}},
      {u"mov-h264-aac.mov"_s,
       {{u"General - Format"_s, u"MPEG-4"_s},
        {u"Video - Format Profile"_s, u"Main@L1.2"_s},
        {u"Video - Height"_s, u"180 pixels"_s},
        {u"Video - FrameRate"_s, u"30.000 FPS"_s},
        {u"Audio - Channel Positions"_s, u"Front: C"_s},
        {u"Audio - Sampling Rate"_s, u"44.1 kHz"_s}}},
      {u"flv-flv1-mp3.flv"_s,
       {{u"General - Format"_s, u"Flash Video"_s},
        {u"Video - Format"_s, u"Sorenson Spark"_s},
        {u"Video - Codec"_s, u"2"_s},
        {u"Audio - Format Version"_s, u"Version 2"_s},
        {u"Audio - Sampling Rate"_s, u"22.05 kHz"_s}}},
      {u"wmv-wmv2-wma.wmv"_s,
       {{u"General - Format"_s, u"Windows Media"_s},
        {u"Video - Format"_s, u"WMV2"_s},
        {u"Video - Codec"_s, u"WMV2"_s},
        {u"Audio - Format"_s, u"WMA"_s},
        {u"Audio - Codec"_s, u"161"_s}}},
      {u"webm-vp9-opus.webm"_s,
       {{u"General - Format"_s, u"WebM"_s},
        {u"Video - Format"_s, u"VP9"_s},
        {u"Video - Codec"_s, u"V_VP9"_s},
        {u"Audio - Format"_s, u"Opus"_s},
        {u"Audio - Codec"_s, u"A_OPUS"_s}}},
      {u"mpeg-ts-h264-aac.ts"_s,
       {{u"General - Format"_s, u"MPEG-TS"_s},
        {u"Video - Format"_s, u"AVC"_s},
        {u"Video - Codec"_s, u"27"_s},
        {u"Video - FrameRate Mode"_s, u"VFR"_s},
        {u"Audio - Format Version"_s, u"Version 4"_s},
        {u"Audio - Codec"_s, u"15-2"_s}}},
      {u"mp4-tagged.mp4"_s,
       {{u"General - File Size"_s, u"8.84 KiB"_s},
        {u"Video - Format Profile"_s, u"High@L1.1"_s},
        {u"Video - Width"_s, u"160 pixels"_s}}},
  };
  for (const auto& [file, expected] : cases) {
    const Values answers = MediaAnswers(library, Media(file));
    for (const auto& [header, value] : expected)
      EXPECT_EQ(AnswerOf(answers, header), value)
          << file.toStdString() << ", " << header.toStdString();
  }
}

TEST_F(MediaValues, AStreamKindTheFileLacksGivesEmptyText) {
  const Values answers = MediaAnswers(library, Media(u"mkv-h264-silent.mkv"_s));
  EXPECT_EQ(AnswerOf(answers, u"General - Format"_s), u"Matroska"_s);
  EXPECT_EQ(AnswerOf(answers, u"Video - Codec"_s), u"V_MPEG4/ISO/AVC"_s);
  EXPECT_TRUE(AllEmpty(answers, u"Audio - "_s));
}

// Tags come back whole: accents, CJK and a character beyond U+FFFF.
TEST_F(MediaValues, TagTextsComeBackIntact) {
  const MediaInfoHandle handle = MediaInfo_New(library);
  MediaInfo_Open(library, handle, Media(u"mp4-tagged.mp4"_s));
  const std::vector<std::pair<const char16_t*, QString>> tags = {
      {u"Title", u"Größe 日本 🎬"_s},
      {u"Performer", u"Ana Núñez"_s},
      {u"Album", u"Prüfband"_s},
      {u"Genre", u"Documentary"_s},
      {u"Recorded_Date", u"2021"_s},
      {u"Comment", u"Tagged for the binding tests"_s},
      {u"Copyright", u"© 2021 Vistarel"_s},
  };
  for (const auto& [parameter, value] : tags)
    EXPECT_EQ(MediaInfoQuery(library, handle, StreamKind::General, parameter), value);
  MediaInfo_Close(library, handle);
  MediaInfo_Delete(library, handle);
}

TEST_F(MediaValues, FilesThatAreNoMediaGiveEmptyMediaCellsAndSpecialFilesAreNeverOpened) {
  test::TempTree tree;
  const QString text = tree.File(u"notes.mp4"_s, "just some text\n");
  const Values answers = MediaAnswers(library, text);
  EXPECT_EQ(AnswerOf(answers, u"General - Format"_s), QString());
  EXPECT_EQ(AnswerOf(answers, u"General - File Size"_s), u"15.0 Bytes"_s);
  EXPECT_TRUE(AllEmpty(answers, u"Video - "_s));
  EXPECT_TRUE(AllEmpty(answers, u"Audio - "_s));

  const QString fifo = tree.Path(u"pipe.mp4"_s);
  ASSERT_TRUE(test::MakeFifo(fifo));
  const QString folder = tree.Folder(u"folder.mp4"_s);
  for (const QString& path : {fifo, folder, tree.Path(u"missing.mp4"_s)}) {
    library.calls.clear();
    Values special;
    EXPECT_TRUE(test::ReturnsWithoutBlocking(fifo, [&] { special = MediaAnswers(library, path); }))
        << path.toStdString();
    EXPECT_TRUE(AllEmpty(special)) << path.toStdString();
    EXPECT_FALSE(library.CallNames().contains(u"Open"_s)) << path.toStdString();
    EXPECT_FALSE(library.CallNames().contains(u"Open_Buffer_Init"_s)) << path.toStdString();
  }
}

// Whatever the process's locale, a name reaches its own file: the decoy that a
// lossy name conversion would make of the first name holds another video.
TEST_F(MediaValues, NonAsciiNamesReadTheirOwnFile) {
  test::TempTree tree;
  const QString mp4 = Media(u"mp4-h264-aac.mp4"_s);
  ASSERT_TRUE(test::CopyFileTo(Media(u"avi-mpeg4-mp3.avi"_s), tree.Path(u"vid?o ??.mp4"_s)));
  const QString invalid =
      tree.Path(u"latin1 vid"_s + DecodeFileName(QByteArray("\xe9")) + u"o.mp4"_s);
  const QStringList names = {tree.Path(u"vidéo 日本.mp4"_s), tree.Path(u"🎬 clip.mp4"_s),
                             tree.Path(u"vide\u0301o decomposed.mp4"_s), invalid};
  for (const QString& path : names) {
    ASSERT_TRUE(test::CopyFileTo(mp4, path)) << path.toStdString();
    library.calls.clear();
    const Values answers = MediaAnswers(library, path);
    EXPECT_EQ(AnswerOf(answers, u"General - Format"_s), u"MPEG-4"_s) << path.toStdString();
    EXPECT_EQ(AnswerOf(answers, u"Video - Format"_s), u"AVC"_s) << path.toStdString();
    EXPECT_EQ(AnswerOf(answers, u"General - File Size"_s), u"10.1 KiB"_s) << path.toStdString();
  }
  // The name that is not UTF-8 went by content, not by name.
  EXPECT_TRUE(library.CallNames().contains(u"Open_Buffer_Init"_s));
  EXPECT_FALSE(library.CallNames().contains(u"Open"_s));
}

// Handing the library a file's bytes gives the same 38 answers as its name.
TEST_F(MediaValues, OpeningByContentAnswersAsOpeningByName) {
  test::TempTree tree;
  const QStringList files = QDir(test::TestDataPath(u"media"_s)).entryList(QDir::Files);
  ASSERT_EQ(files.size(), 11);
  for (const QString& file : files) {
    const QString copy = tree.Path(DecodeFileName(QByteArray("\xff")) + file);
    ASSERT_TRUE(test::CopyFileTo(Media(file), copy));
    const Values byName = MediaAnswers(library, Media(file));
    const Values byContent = MediaAnswers(library, copy);
    for (std::size_t i = 0; i < byName.size(); ++i) {
      EXPECT_EQ(byContent[i].second, byName[i].second)
          << file.toStdString() << ", " << byName[i].first.toStdString();
    }
  }
}

}  // namespace
}  // namespace vistarel
