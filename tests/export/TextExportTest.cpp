#include <QDir>
#include <QFile>

#include <QPushButton>

#include <gtest/gtest.h>

#include "base/Failure.h"
#include "export/SaveListAsText.h"
#include "extract/ResultTableModel.h"
#include "gui/MousePointer.h"
#include "gui/ProgressBar.h"
#include "platform/EventPump.h"
#include "platform/Progress.h"
#include "support/FakeFileSystem.h"
#include "support/TempTree.h"
#include "support/TestPlatform.h"
#include "window/Form1.h"

namespace vistarel {
namespace {

using namespace Qt::StringLiterals;

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
  // Saves into the temporary folder and returns the file's bytes.
  QByteArray Save(const QString& name, IProgress* progress = nullptr) {
    const QString path = tree.Path(name);
    SaveListAsText(table, path, progress, pump, fileSystem);
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(no file)");
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

  test::TempTree tree;
  test::FakeFileSystem fileSystem;
  ResultTableModel table;
  NoEventPump pump;
};

TEST_F(TextExport, TheWorkedExampleByteForByte) {
  FillExample();
  EXPECT_EQ(Save(u"out.txt"_s), QByteArray("A            \tSize \t\r\n"
                                           "x.mp4        \t10 MB\t\r\n"
                                           "long name.avi\t     \t\r\n"));
}

TEST_F(TextExport, AnEmptyTableGivesTheHeaderLineOnlyAndLongHeadersSetTheWidth) {
  table.AppendColumn(u"General - Format"_s);
  table.AppendColumn(u"B"_s);
  EXPECT_EQ(Save(u"out"_s), QByteArray("General - Format\tB\t\r\n"));
  table.SetSubItem(table.AddRow(u"a.mp4"_s), 1, u"x"_s);
  table.SetIncluded(1, true);
  // The same name again: replaced without a question, no extension added.
  EXPECT_EQ(Save(u"out"_s), QByteArray("General - Format\tB\t\r\na.mp4           \tx\t\r\n"));
}

TEST_F(TextExport, ExcludedRowsAreLeftOutButCountForTheWidths) {
  FillExample();
  table.SetIncluded(2, false);
  EXPECT_EQ(Save(u"out"_s), QByteArray("A            \tSize \t\r\nx.mp4        \t10 MB\t\r\n"));
}

TEST_F(TextExport, NonAsciiCellsAreCountedInCharactersAndControlsBecomeBlanks) {
  table.AppendColumn(u"File"_s);
  table.AppendColumn(u"Title"_s);
  table.SetSubItem(table.AddRow(u"/v/vidéo 日本.mp4"_s), 1, u"a\tb\r\nc"_s);
  table.SetSubItem(table.AddRow(u"/v/x.mp4"_s), 1, u"🎬"_s);  // two UTF-16 units
  table.SetIncluded(1, true);
  table.SetIncluded(2, true);
  EXPECT_EQ(QString::fromUtf8(Save(u"out"_s)),
            u"File           \tTitle \t\r\n"
            "/v/vidéo 日本.mp4\ta b  c\t\r\n"
            "/v/x.mp4       \t🎬    \t\r\n"_s);
}

TEST_F(TextExport, ProgressRunsFromTheCaptionToDoneAndBackToRest) {
  FillExample();
  RecordingProgress progress;
  Save(u"results.txt"_s, &progress);
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

TEST_F(TextExport, AFailingWriteLeavesTheEarlierFileAndTheProgressAsTheyWere) {
  const QString path = tree.File(u"out.txt"_s, "earlier results\r\n");
  FillExample();
  fileSystem.Fail(u"WriteLine"_s, Failure(u"No space left on device: "_s + path, 57));
  RecordingProgress progress;
  EXPECT_THROW(SaveListAsText(table, path, &progress, pump, fileSystem), Failure);
  EXPECT_EQ(progress.captions.back(), u"Writing file: out.txt"_s);
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_EQ(file.readAll(), QByteArray("earlier results\r\n"));
  EXPECT_EQ(QDir(tree.root()).entryList(QDir::Files), QStringList{u"out.txt"_s});
}

class SaveButton : public testing::Test {
 protected:
  void SetUp() override {
    ResultTableModel& results = form->ResultTable();
    const int row = results.AddRow(u"/v/a.mp4"_s);
    results.SetSubItem(row, 1, u"MPEG-4"_s);
    results.SetIncluded(row, true);
  }
  void Press() { form->PushButton(8)->click(); }

  test::TempTree tree;
  test::TestPlatform fakes;
  std::unique_ptr<Form1> form = fakes.MakeForm();
};

TEST_F(SaveButton, CancelWritesNothingAndChangesNothing) {
  form->SetMousePointer(mouse_pointer::kCustom);
  Press();
  ASSERT_EQ(fakes.dialogs.saveDialogs.size(), 1u);
  EXPECT_EQ(fakes.dialogs.saveDialogs[0].title, u"Save"_s);
  ASSERT_EQ(fakes.dialogs.saveDialogs[0].filters.size(), 2);
  EXPECT_EQ(fakes.dialogs.saveDialogs[0].filters[0].description, u"Text Files (*.txt)"_s);
  EXPECT_EQ(fakes.dialogs.saveDialogs[0].filters[1].description, u"All Files (*.*)"_s);
  EXPECT_TRUE(fakes.dialogs.boxes.empty());
  EXPECT_EQ(form->MousePointer(), mouse_pointer::kCustom);
  EXPECT_TRUE(QDir(tree.root()).isEmpty());
}

TEST_F(SaveButton, WritesTheTableAndRestsTheProgressBar) {
  fakes.dialogs.saveAnswers.push_back(tree.Path(u"results"_s));
  Press();
  QFile file(tree.Path(u"results"_s));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QList<QByteArray> lines = file.readAll().split('\n');
  ASSERT_EQ(lines.size(), 3);  // header, one row, and nothing after the last CR LF
  EXPECT_TRUE(lines[0].startsWith("Video File/s\tGeneral - Format\tGeneral - Format/Info\t"));
  EXPECT_TRUE(lines[1].startsWith("/v/a.mp4    \tMPEG-4          \t                     \t"));
  EXPECT_TRUE(lines[1].endsWith("\t\r"));
  EXPECT_EQ(form->ProgressBar1()->Value(), 0);
  EXPECT_EQ(form->ProgressBar1()->Caption(), u"Progress Bar"_s);
  EXPECT_EQ(form->MousePointer(), mouse_pointer::kDefault);
  EXPECT_TRUE(fakes.dialogs.boxes.empty());
}

TEST_F(SaveButton, AFailureInTheWriterIsReportedAt116AndThePointerComesBack) {
  const QString path = tree.Path(u"no such folder/results.txt"_s);
  fakes.dialogs.saveAnswers.push_back(path);
  Press();
  const auto reports = fakes.dialogs.ErrorReports();
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].text.section(u'\r', 0, 0), u"No such file or directory: "_s + path);
  EXPECT_TRUE(reports[0].text.contains(u"PushButton8_Click at line 116"_s));
  EXPECT_EQ(form->MousePointer(), mouse_pointer::kDefault);
  EXPECT_EQ(form->ProgressBar1()->Value(), 10);  // where the failure found it
  EXPECT_EQ(form->ProgressBar1()->Caption(), u"Writing file: results.txt"_s);
}

TEST_F(SaveButton, ClosingTheWindowMidWayLeavesTheEarlierFileAsItWas) {
  const QString path = tree.File(u"results.txt"_s, "earlier\r\n");
  fakes.dialogs.saveAnswers.push_back(path);
  // The header line is written when the bar reaches 20; the window closes then.
  QObject::connect(form->ProgressBar1(), &QProgressBar::valueChanged, form.get(), [&](int value) {
    if (value == 200) form->close();
  });
  form->show();
  Press();
  EXPECT_TRUE(form->Pump().IsClosing());
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_EQ(file.readAll(), QByteArray("earlier\r\n"));
  EXPECT_EQ(QDir(tree.root()).entryList(QDir::Files | QDir::Hidden), QStringList{u"results.txt"_s});
  EXPECT_TRUE(fakes.dialogs.boxes.empty());
}

}  // namespace
}  // namespace vistarel
