#include <gtest/gtest.h>

#include "export/SaveListAsText.h"
#include "extract/ResultTableModel.h"
#include "platform/EventPump.h"
#include "platform/Failure.h"
#include "platform/Progress.h"

namespace vistarel {
namespace {

using namespace Qt::StringLiterals;

// Collects the bytes a text file would get, as UTF-8 with CR LF line ends.
struct MemoryFile {
  QByteArray bytes;
  bool closed = false;
  int failAfterLines = -1;
};

class MemoryStream final : public ITextLineStream {
 public:
  explicit MemoryStream(MemoryFile& file) : file_(file) {}
  void WriteLine(const QString& text) override {
    if (file_.failAfterLines == 0)
      throw Failure(u"No space left on device: /v/out.txt"_s, 57);
    --file_.failAfterLines;
    file_.bytes += text.toUtf8() + "\r\n";
  }
  void Close() override { file_.closed = true; }

 private:
  MemoryFile& file_;
};

struct Step {
  double value;
  QString caption;
  bool operator==(const Step&) const = default;
};

class RecordingProgress final : public IProgress {
 public:
  void SetValue(double value) override { values.push_back(value); }
  void SetCaption(const QString& caption) override { captions.push_back(caption); }
  std::vector<double> values;
  std::vector<QString> captions;
};

class TextExport : public testing::Test {
 protected:
  void Save(const QString& path, IProgress* progress = nullptr) {
    SaveListAsText(table, path, progress, pump, [this](const QString& target) {
      paths.push_back(target);
      return std::make_unique<MemoryStream>(file);
    });
  }
  void FillExample() {
    table.AppendColumn(u"A"_s);
    table.AppendColumn(u"Size"_s);
    table.SetSubItem(table.AddRow(u"x.mp4"_s), 1, u"10 MB"_s);
    table.AddRow(u"long name.avi"_s);
    table.SetIncluded(1, true);
    table.SetIncluded(2, true);
  }
  void AddRows(int count) {
    for (int i = 0; i < count; ++i) table.SetIncluded(table.AddRow(u"f"_s), true);
  }

  ResultTableModel table;
  NoEventPump pump;
  MemoryFile file;
  std::vector<QString> paths;
};

TEST_F(TextExport, TheWorkedExampleByteForByte) {
  FillExample();
  Save(u"/v/out.txt"_s);
  EXPECT_EQ(file.bytes, QByteArray("A            \tSize \t\r\n"
                                   "x.mp4        \t10 MB\t\r\n"
                                   "long name.avi\t     \t\r\n"));
  EXPECT_TRUE(file.closed);
  EXPECT_EQ(paths, std::vector<QString>{u"/v/out.txt"_s});
}

TEST_F(TextExport, AnEmptyTableGivesTheHeaderLineOnlyAndLongHeadersSetTheWidth) {
  table.AppendColumn(u"General - Format"_s);
  table.AppendColumn(u"B"_s);
  Save(u"out"_s);
  EXPECT_EQ(file.bytes, QByteArray("General - Format\tB\t\r\n"));
  table.SetSubItem(table.AddRow(u"a.mp4"_s), 1, u"x"_s);
  table.SetIncluded(1, true);
  file.bytes.clear();
  Save(u"out"_s);
  EXPECT_EQ(file.bytes, QByteArray("General - Format\tB\t\r\na.mp4           \tx\t\r\n"));
}

TEST_F(TextExport, ExcludedRowsAreLeftOutButCountForTheWidths) {
  FillExample();
  table.SetIncluded(2, false);
  Save(u"out"_s);
  EXPECT_EQ(file.bytes, QByteArray("A            \tSize \t\r\nx.mp4        \t10 MB\t\r\n"));
}

TEST_F(TextExport, NonAsciiCellsAreCountedInCharactersAndControlsBecomeBlanks) {
  table.AppendColumn(u"File"_s);
  table.AppendColumn(u"Title"_s);
  table.SetSubItem(table.AddRow(u"/v/vidéo 日本.mp4"_s), 1, u"a\tb\r\nc"_s);
  table.SetSubItem(table.AddRow(u"/v/x.mp4"_s), 1, u"🎬"_s);  // two UTF-16 units
  table.SetIncluded(1, true);
  table.SetIncluded(2, true);
  Save(u"out"_s);
  EXPECT_EQ(QString::fromUtf8(file.bytes),
            u"File           \tTitle \t\r\n"
            "/v/vidéo 日本.mp4\ta b  c\t\r\n"
            "/v/x.mp4       \t🎬    \t\r\n"_s);
}

TEST_F(TextExport, ProgressRunsFromTheCaptionToDoneAndBackToRest) {
  FillExample();
  RecordingProgress progress;
  Save(u"/v/results.txt"_s, &progress);
  EXPECT_EQ(progress.values, (std::vector<double>{1, 10, 20, 50, 100, 100, 0}));
  const QString caption = u"Writing file: results.txt"_s;
  EXPECT_EQ(progress.captions,
            (std::vector<QString>{caption, caption, caption, u"Done."_s, u"Progress Bar"_s}));
}

TEST_F(TextExport, LongTablesCountRowsInTheCaptionAndRunSlightlyAhead) {
  table.AppendColumn(u"A"_s);
  AddRows(2500);
  RecordingProgress progress;
  Save(u"name-without-folder"_s, &progress);
  // Three fixed values, then one per row: row r shows (r + 1) / 2500 * 100.
  ASSERT_EQ(progress.values.size(), 3u + 2500u + 2u);
  EXPECT_DOUBLE_EQ(progress.values[3], 2.0 / 2500 * 100);
  EXPECT_DOUBLE_EQ(progress.values[3 + 2499], 2501.0 / 2500 * 100);
  EXPECT_EQ(progress.captions[3], u"Writing file: name-without-folder (1000)"_s);
  EXPECT_EQ(progress.captions[4], u"Writing file: name-without-folder (2000)"_s);
}

TEST_F(TextExport, AFailingWriteEndsTheWriterWithTheProgressWhereItWas) {
  FillExample();
  file.failAfterLines = 2;
  RecordingProgress progress;
  EXPECT_THROW(Save(u"/v/out.txt"_s, &progress), Failure);
  EXPECT_FALSE(file.closed);
  EXPECT_EQ(progress.captions.back(), u"Writing file: out.txt"_s);
}

}  // namespace
}  // namespace vistarel
