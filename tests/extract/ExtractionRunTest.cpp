// "Start Extracting Metadata" through the real window, on the committed media.
#include <QFile>

#include <atomic>
#include <chrono>
#include <thread>

#include <fcntl.h>
#include <unistd.h>

#include "base/PathHelpers.h"
#include "extract/RunFixture.h"
#include "gui/MousePointer.h"
#include "system/FileNames.h"

namespace vistarel {
namespace {

using namespace Qt::StringLiterals;

constexpr char16_t kGeneralFormat[] = u"General - Format";
constexpr char16_t kFileName[] = u"File System - Name";
constexpr char16_t kFileType[] = u"File System - Type";

std::vector<int> Steps(int first, int last) {
  std::vector<int> lines;
  for (int line = first; line <= last; line += 2) lines.push_back(line);
  return lines;
}

std::vector<int> Joined(std::vector<std::vector<int>> parts) {
  std::vector<int> all;
  for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

class ExtractionRun : public test::RunFixture {
 protected:
  // True when every media cell (sub-items from..38) of the row is empty.
  bool MediaCellsEmpty(int row, int from = 1) {
    for (int sub = from; sub <= kMediaColumnCount; ++sub) {
      if (!table().SubItem(row, sub).isEmpty())
        return false;
    }
    return true;
  }
};

TEST_F(ExtractionRun, AnEmptyListSaysSoAndLeavesTheTableAsItWas) {
  table().AppendColumn(u"File General - Length"_s);
  table().AddRow(u"/v/earlier.mp4"_s);
  Press();
  EXPECT_EQ(Messages(), QStringList{u"No files added."_s});
  EXPECT_EQ(fakes.dialogs.boxes[0].title, u"Vistarel"_s);
  EXPECT_EQ(table().RowCount(), 1);
  EXPECT_EQ(table().ColumnCount(), 51);
}

TEST_F(ExtractionRun, OneFileFillsItsRowFromTheLibraryTheFileSystemAndTheShell) {
  const QString path = Add(u"mp4-tagged.mp4"_s, u"clip.mp4"_s);
  QString caption;
  int pointerAtYield = -1;
  AtNextYield([&] {
    caption = form->ProgressBar1()->Caption();
    pointerAtYield = form->MousePointer();
  });
  QString captionAtDone;
  int pointerAtDone = -1;
  fakes.dialogs.onBox = [&](const test::ShownBox&) {
    captionAtDone = form->ProgressBar1()->Caption();
    pointerAtDone = form->MousePointer();
  };
  Press();

  // The caption is painted before the file is read; the hourglass comes after the yield.
  EXPECT_EQ(caption, u"Processing: clip.mp4"_s);
  EXPECT_EQ(pointerAtYield, mouse_pointer::kDefault);
  EXPECT_EQ(progress, (std::vector<double>{100, 0}));
  EXPECT_EQ(captionAtDone, u"Progress Bar"_s);
  EXPECT_EQ(pointerAtDone, mouse_pointer::kDefault);
  EXPECT_EQ(Messages(), QStringList{u"Done."_s});
  EXPECT_TRUE(fakes.dialogs.ErrorReports().empty());

  ASSERT_EQ(table().RowCount(), 1);
  EXPECT_TRUE(table().Included(1));
  EXPECT_EQ(table().Cell(1, 1), path);
  EXPECT_EQ(Cell(1, QString::fromUtf16(kGeneralFormat)), u"MPEG-4"_s);
  EXPECT_EQ(Cell(1, u"Video - Width"_s), u"160 pixels"_s);
  EXPECT_EQ(Cell(1, u"Audio - Sampling Rate"_s), u"48.0 kHz"_s);
  EXPECT_EQ(Cell(1, QString::fromUtf16(kFileName)), u"clip.mp4"_s);
  EXPECT_EQ(Cell(1, u"File System - Size"_s), u"9051"_s);
  EXPECT_EQ(Cell(1, u"File System - Path"_s), path);
  EXPECT_EQ(Cell(1, QString::fromUtf16(kFileType)), u"MPEG-4 video; mp4"_s);
  // The shell's values, each in the column of its name; "Name" never makes one.
  EXPECT_EQ(Cell(1, u"File General - Title"_s), u"Größe 日本 🎬"_s);
  EXPECT_EQ(Cell(1, u"File General - Length"_s), u"0:00:01"_s);
  EXPECT_EQ(Cell(1, u"File General - Frame width"_s), u"160"_s);
  EXPECT_EQ(Cell(1, u"File General - Content type"_s), u"video/mp4"_s);
  EXPECT_FALSE(RunTimeHeaders().contains(u"File General - Name"_s));
  EXPECT_FALSE(RunTimeHeaders().contains(u"File General - Others"_s));
  EXPECT_EQ(RunTimeHeaders().front(), u"File General - Size"_s);
}

TEST_F(ExtractionRun, EachFileHasAFreshHandleForItsOpenAnd38QueriesInColumnOrder) {
  Add(u"mp4-h264-aac.mp4"_s, u"a.mp4"_s);
  Add(u"mkv-h264-silent.mkv"_s, u"b.mkv"_s);
  Press();
  // Each file's calls run from its New to its Delete; the shell's media values
  // come from the same handle, after the 38 queries.
  const auto& calls = fakes.mediaLibrary.calls;
  std::vector<size_t> news;
  for (size_t at = 0; at < calls.size(); ++at) {
    if (calls[at].name == u"New"_s)
      news.push_back(at);
  }
  ASSERT_EQ(news.size(), 2u);
  ASSERT_EQ(calls.back().name, u"Delete"_s);
  for (size_t file = 0; file < 2; ++file) {
    const auto* first = &calls[news[file]];
    const size_t end = file + 1 < news.size() ? news[file + 1] : calls.size();
    ASSERT_GE(end - news[file], 42u);
    const auto* last = &calls[end - 2];
    EXPECT_EQ(first[0].name, u"New"_s);
    EXPECT_EQ(first[1].name, u"Open"_s);
    const auto handle = first[1].handle;
    EXPECT_NE(handle, nullptr);
    // Stream kind (0 general, 1 video, 2 audio) and parameter, in column order.
    static const QStringList queries = {
        u"0 Format"_s, u"0 Format/Info"_s, u"0 FileSize/String3"_s, u"0 Duration/String3"_s,
        u"1 Format"_s, u"1 Format/Info"_s, u"1 Format_Version"_s, u"1 Format_Profile"_s,
        u"1 CodecID"_s, u"1 Duration/String3"_s, u"1 BitRate_Mode"_s, u"1 BitRate/String"_s,
        u"1 BitRate_Minimum/String"_s, u"1 BitRate_Nominal/String"_s,
        u"1 BitRate_Maximum/String"_s, u"1 Width/String"_s, u"1 Height/String"_s,
        u"1 PixelAspectRatio/String"_s, u"1 FrameRate_Mode"_s, u"1 FrameRate/String"_s,
        u"1 FrameCount"_s, u"1 Standard"_s, u"1 Colorimetry"_s, u"1 ScanType"_s,
        u"1 StreamSize/String3"_s, u"1 Language/String"_s, u"2 Format"_s, u"2 Format/Info"_s,
        u"2 Format_Version"_s, u"2 Format_Profile"_s, u"2 CodecID"_s, u"2 Duration/String3"_s,
        u"2 BitRate_Mode"_s, u"2 BitRate/String"_s, u"2 Channel(s)/String"_s,
        u"2 ChannelPositions"_s, u"2 SamplingRate/String"_s, u"2 StreamSize/String3"_s};
    ASSERT_EQ(queries.size(), 38);
    for (int sub = 1; sub <= 38; ++sub) {
      EXPECT_EQ(first[1 + sub].name, u"Get "_s + queries[sub - 1]);
      EXPECT_EQ(first[1 + sub].handle, handle);
    }
    EXPECT_EQ(last[0].name, u"Close"_s);
    EXPECT_EQ(last[1].name, u"Delete"_s);
    EXPECT_EQ(last[1].handle, handle);
  }
  // A silent video: no audio values, the video ones as the library reads them.
  EXPECT_EQ(Cell(2, u"Video - Format"_s), u"AVC"_s);
  EXPECT_TRUE(MediaCellsEmpty(2, 27));
}

TEST_F(ExtractionRun, FourFilesShowAQuarterEachInTurnAndRowsKeepTheListOrder) {
  for (const QString& name : {u"d.mp4"_s, u"a.mp4"_s, u"c.mp4"_s, u"b.mp4"_s})
    Add(u"mp4-h264-aac.mp4"_s, name);
  Press();
  EXPECT_EQ(progress, (std::vector<double>{25, 50, 75, 100, 0}));
  ASSERT_EQ(table().RowCount(), 4);
  EXPECT_EQ(FileNameOf(table().Cell(1, 1)), u"d.mp4"_s);
  EXPECT_EQ(FileNameOf(table().Cell(4, 1)), u"b.mp4"_s);
  EXPECT_EQ(form->InputList().Count(), 4);
}

TEST_F(ExtractionRun, ATextFileNamedLikeAVideoGetsItsRowWithoutMediaAndWithoutAReport) {
  form->InputList().Append(tree.File(u"notes.mp4"_s, "just some text\n"));
  Press();
  ASSERT_EQ(table().RowCount(), 1);
  EXPECT_TRUE(MediaCellsEmpty(1, 5));  // no video, no audio
  EXPECT_EQ(Cell(1, QString::fromUtf16(kFileName)), u"notes.mp4"_s);
  EXPECT_EQ(Cell(1, u"File System - Size"_s), u"15"_s);
  EXPECT_TRUE(fakes.dialogs.ErrorReports().empty());
  EXPECT_EQ(Messages(), QStringList{u"Done."_s});
}

TEST_F(ExtractionRun, AFileWithoutADotIsMatchedToTheShellByItsWholeName) {
  Add(u"mp4-h264-aac.mp4"_s, u"clip"_s);
  Press();
  EXPECT_EQ(Cell(1, QString::fromUtf16(kFileType)).right(2), u"; "_s);
  EXPECT_EQ(Cell(1, u"File General - Frame width"_s), u"320"_s);
  EXPECT_EQ(Cell(1, QString::fromUtf16(kGeneralFormat)), u"MPEG-4"_s);
}

TEST_F(ExtractionRun, AFileDeletedBeforeTheRunReportsItsFileObjectAndItsElevenCells) {
  const QString path = tree.File(u"gone.mp4"_s, "x");
  Add(u"mp4-h264-aac.mp4"_s, u"kept.mp4"_s);
  form->InputList().Append(path);
  QFile::remove(path);
  Press();
  EXPECT_EQ(ReportedLines(), Joined({{210}, Steps(212, 230), {232}}));
  ASSERT_EQ(table().RowCount(), 2);
  EXPECT_EQ(table().Cell(2, 1), path);
  EXPECT_TRUE(MediaCellsEmpty(2));
  for (int sub = 39; sub < table().ColumnCount(); ++sub)
    EXPECT_EQ(table().SubItem(2, sub), QString()) << sub;
  EXPECT_EQ(Messages(), QStringList{u"Done."_s});
}

TEST_F(ExtractionRun, ASecondRunRemovesTheRunTimeColumnsFirstAndMakesThemAgain) {
  Add(u"mp4-tagged.mp4"_s, u"one/clip.mp4"_s);
  Add(u"avi-mpeg4-mp3.avi"_s, u"two/clip.avi"_s);
  Press();
  const QStringList first = RunTimeHeaders();
  ASSERT_GT(first.size(), 10);
  int columnsAtYield = 0;
  int rowsAtYield = -1;
  AtNextYield([&] {
    columnsAtYield = table().ColumnCount();
    rowsAtYield = table().RowCount();
  });
  Press();
  EXPECT_EQ(columnsAtYield, kFixedColumnCount);
  EXPECT_EQ(rowsAtYield, 0);
  EXPECT_EQ(RunTimeHeaders(), first);
  EXPECT_EQ(table().RowCount(), 2);
  EXPECT_EQ(Cell(2, u"File General - Video codec"_s), u"MPEG-4 Visual"_s);
  EXPECT_TRUE(Cell(2, u"File General - Title"_s).isEmpty());
}

TEST_F(ExtractionRun, FoldersWithDifferentPropertyNamesEachAddTheirColumnsInTheOrderMet) {
  const QString a = Add(u"mp4-h264-aac.mp4"_s, u"a/clip.mp4"_s);
  const QString b = Add(u"mp4-h264-aac.mp4"_s, u"b/clip.mp4"_s);
  fakes.shell.Script(FolderOf(a), {{12, u"Title"_s}, {23, u"Length"_s}},
                     {{u"clip"_s, {{12, u"A"_s}, {23, u"1 s"_s}}}});
  fakes.shell.Script(FolderOf(b), {{12, u"Titel"_s}, {23, u"Length"_s}, {30, u"Tonformat"_s}},
                     {{u"CLIP"_s, {{30, u"AAC"_s}, {12, u"B"_s}}}});
  Press();
  EXPECT_EQ(RunTimeHeaders(),
            (QStringList{u"File General - Title"_s, u"File General - Length"_s,
                         u"File General - Titel"_s, u"File General - Tonformat"_s}));
  EXPECT_EQ(Cell(1, u"File General - Titel"_s), QString());
  EXPECT_EQ(Cell(2, u"File General - Title"_s), QString());
  EXPECT_EQ(Cell(2, u"File General - Titel"_s), u"B"_s);
  EXPECT_EQ(fakes.shell.calls,
            (QStringList{u"Namespace "_s + FolderOf(a), u"Namespace "_s + FolderOf(b)}));
}

TEST_F(ExtractionRun, TwoMatchingEntriesGiveTheUnionAndTheLaterOneWins) {
  const QString path = Add(u"mp4-h264-aac.mp4"_s, u"clip.mp4"_s);
  fakes.shell.Script(FolderOf(path), {{12, u"Title"_s}, {13, u"Artist"_s}, {14, u"Album"_s}},
                     {{u"clip"_s, {{12, u"first"_s}, {13, u"only first"_s}}},
                      {u"other"_s, {{12, u"not this one"_s}}},
                      {u"Clip"_s, {{12, u"second"_s}, {14, u"only second"_s}}}});
  Press();
  EXPECT_EQ(Cell(1, u"File General - Title"_s), u"second"_s);
  EXPECT_EQ(Cell(1, u"File General - Artist"_s), u"only first"_s);
  EXPECT_EQ(Cell(1, u"File General - Album"_s), u"only second"_s);
}

TEST_F(ExtractionRun, UnnamedColumnsShareOthersNameMakesNoneAndEmptyValuesMakeNone) {
  const QString path = Add(u"mp4-h264-aac.mp4"_s, u"clip.mp4"_s);
  fakes.shell.Script(FolderOf(path),
                     {{0, u"Name"_s}, {5, u"Name"_s}, {13, u"Artist"_s}, {20, u"Copyright"_s}},
                     {{u"clip"_s,
                       {{0, u"clip"_s},
                        {5, u"x"_s},
                        {12, u"first"_s},
                        {13, u""_s},
                        {20, u"c"_s},
                        {38, u"last"_s}}}});
  Press();
  EXPECT_EQ(RunTimeHeaders(),
            (QStringList{u"File General - Others"_s, u"File General - Copyright"_s}));
  EXPECT_EQ(Cell(1, u"File General - Others"_s), u"last"_s);
}

TEST_F(ExtractionRun, WithoutAHandleOrALibraryEachLibraryStepIsReportedAndTheRestIsFilled) {
  const std::vector<int> libraryLines = Joined({{124, 126}, Steps(130, 204), {206, 208}});
  Add(u"mp4-h264-aac.mp4"_s, u"clip.mp4"_s);
  fakes.mediaLibrary.failNew = true;
  Press();
  EXPECT_EQ(ReportedLines(), libraryLines);
  EXPECT_EQ(fakes.mediaLibrary.CallNames(), QStringList{u"New"_s});  // nothing reached it

  fakes.dialogs.boxes.clear();
  fakes.mediaLibrary.failNew = false;
  fakes.mediaLibrary.MakeUnloadable();
  Press();
  EXPECT_EQ(ReportedLines(), libraryLines);
  EXPECT_TRUE(fakes.dialogs.ErrorReports()[0].text.startsWith(u"The MediaInfo library"_s));
  EXPECT_TRUE(MediaCellsEmpty(1));
  EXPECT_EQ(Cell(1, QString::fromUtf16(kFileType)), u"MPEG-4 video; mp4"_s);
  EXPECT_FALSE(Cell(1, u"File General - Size"_s).isEmpty());
  EXPECT_EQ(Messages(), QStringList{u"Done."_s});
}

TEST_F(ExtractionRun, NonAsciiNamesAndNamesThatAreNotUtf8GoThroughEndToEnd) {
  const QString unicode = Add(u"mp4-h264-aac.mp4"_s, u"Größe 日本/vidéo 🎬.mp4"_s);
  const QString bytes = tree.root() + u'/' + DecodeFileName(QByteArray("clip\xff.mp4"));
  ASSERT_TRUE(test::CopyFileTo(test::TestDataPath(u"media/mp4-tagged.mp4"_s), bytes));
  form->InputList().Append(bytes);
  Press();
  EXPECT_TRUE(fakes.dialogs.ErrorReports().empty());
  ASSERT_EQ(table().RowCount(), 2);
  EXPECT_EQ(table().Cell(1, 1), unicode);
  EXPECT_EQ(table().Cell(2, 1), bytes);
  for (int row = 1; row <= 2; ++row) {
    EXPECT_EQ(Cell(row, QString::fromUtf16(kGeneralFormat)), u"MPEG-4"_s) << row;
    EXPECT_EQ(Cell(row, u"File System - Path"_s), table().Cell(row, 1)) << row;
  }
  EXPECT_EQ(Cell(1, u"File General - Frame width"_s), u"320"_s);
  EXPECT_EQ(Cell(1, u"File General - Folder path"_s), tree.Path(u"Größe 日本"_s));
  EXPECT_EQ(Cell(2, u"File General - Title"_s), u"Größe 日本 🎬"_s);
}

// Frees whatever blocks on the FIFO after a few seconds, so that a run that
// opened it fails the test instead of hanging it.
class FifoWatchdog {
 public:
  explicit FifoWatchdog(const QString& fifo)
      : thread_([this, path = EncodeFileName(fifo)] {
          const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
          while (!done_ && std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
          if (done_)
            return;
          fired_ = true;
          const int writer = open(path.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
          if (writer >= 0)
            close(writer);
        }) {}
  ~FifoWatchdog() { Stop(); }
  bool Stop() {
    done_ = true;
    if (thread_.joinable())
      thread_.join();
    return fired_;
  }

 private:
  std::atomic<bool> done_{false};
  std::atomic<bool> fired_{false};
  std::thread thread_;
};

TEST_F(ExtractionRun, AFifoGetsItsFileSystemCellsAndIsNeverOpened) {
  const QString fifo = tree.Path(u"pipe.mp4"_s);
  ASSERT_TRUE(test::MakeFifo(fifo));
  form->InputList().Append(fifo);
  Add(u"mp4-h264-aac.mp4"_s, u"after.mp4"_s);
  FifoWatchdog watchdog(fifo);
  Press();
  EXPECT_FALSE(watchdog.Stop()) << "the run blocked on the FIFO";
  ASSERT_EQ(table().RowCount(), 2);
  EXPECT_TRUE(MediaCellsEmpty(1));
  EXPECT_EQ(Cell(1, u"File System - Size"_s), u"0"_s);
  EXPECT_TRUE(Cell(1, QString::fromUtf16(kFileType)).endsWith(u"; mp4"_s));
  EXPECT_EQ(Cell(1, u"File General - Frame width"_s), QString());
  EXPECT_EQ(Cell(2, QString::fromUtf16(kGeneralFormat)), u"MPEG-4"_s);
  EXPECT_TRUE(fakes.dialogs.ErrorReports().empty());
}

}  // namespace
}  // namespace vistarel
