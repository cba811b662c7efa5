#include <QPushButton>

#include <gtest/gtest.h>

#include "extract/ResultTableModel.h"
#include "filelist/InputListModel.h"
#include "gui/MousePointer.h"
#include "support/TestPlatform.h"
#include "window/Form1.h"

namespace vistarel {
namespace {

using namespace Qt::StringLiterals;

class SpreadsheetExport : public testing::Test {
 protected:
  ResultTableModel& table() { return form->ResultTable(); }
  void Press() { form->PushButton(9)->click(); }

  // N rows: the path, then "r.k" in every sub-item.
  void FillRows(int rows) {
    for (int r = 1; r <= rows; ++r) {
      const int row = table().AddRow(u"/videos/clip%1.mp4"_s.arg(r));
      for (int sub = 1; sub < table().ColumnCount(); ++sub) {
        table().SetSubItem(row, sub, u"%1.%2"_s.arg(r).arg(sub));
      }
    }
  }

  test::TestPlatform fakes;
  std::unique_ptr<Form1> form = fakes.MakeForm();
};

TEST_F(SpreadsheetExport, FillsHeadersThenRowsCellByCellThenFitsAndShows) {
  table().AppendColumn(u"File General - Rating"_s);
  table().AppendColumn(u"File General - Tags"_s);
  constexpr int kRows = 3;
  FillRows(kRows);
  const int columns = table().ColumnCount();
  ASSERT_EQ(columns, 52);
  std::vector<int> pointerDuringCells;
  fakes.spreadsheet.onCall = [&](const test::SpreadsheetCall& call) {
    if (call.operation == u"Cells"_s)
      pointerDuringCells.push_back(form->MousePointer());
  };

  Press();

  // The probe makes and releases one instance before the one that gets the data.
  QStringList expected = {u"Create"_s, u"Release"_s, u"Create"_s, u"Workbooks.Add"_s};
  for (int cell = 0; cell < columns * (kRows + 1); ++cell) expected += u"Cells"_s;
  expected += {u"Columns.Autofit"_s, u"Visible"_s, u"Release"_s};
  EXPECT_EQ(fakes.spreadsheet.Operations(), expected);

  const auto cells = fakes.spreadsheet.Calls(u"Cells"_s);
  size_t at = 0;
  for (int sheetRow = 1; sheetRow <= kRows + 1; ++sheetRow) {
    for (int column = 1; column <= columns; ++column, ++at) {
      ASSERT_EQ(cells[at].row, sheetRow);
      ASSERT_EQ(cells[at].column, column);
      const QString want =
          sheetRow == 1 ? table().HeaderText(column) : table().Cell(sheetRow - 1, column);
      ASSERT_EQ(cells[at].text, want) << "at row " << sheetRow << ", column " << column;
    }
  }
  EXPECT_EQ(cells.front().text, u"Video File/s"_s);
  EXPECT_EQ(cells[columns - 1].text, u"File General - Tags"_s);
  for (const int pointer : pointerDuringCells) EXPECT_EQ(pointer, mouse_pointer::kBusy);
  EXPECT_EQ(form->MousePointer(), mouse_pointer::kDefault);
  EXPECT_TRUE(fakes.dialogs.boxes.empty());
}

TEST_F(SpreadsheetExport, RemovesEveryEqualsSignButInHeadersAndTheFileColumn) {
  table().AppendColumn(u"File General - a=b"_s);
  const int row = table().AddRow(u"/videos/=take=2.mp4"_s);
  table().SetSubItem(row, 1, u"=1+1"_s);
  table().SetSubItem(row, 2, u"a=b=c"_s);
  table().SetSubItem(row, 3, u"==="_s);
  table().SetSubItem(row, 50, u"x = y"_s);

  Press();

  std::map<std::pair<int, int>, QString> sheet;
  for (const auto& call : fakes.spreadsheet.Calls(u"Cells"_s)) {
    sheet[{call.row, call.column}] = call.text;
  }
  EXPECT_EQ(sheet[std::make_pair(1, 51)], u"File General - a=b"_s);
  EXPECT_EQ(sheet[std::make_pair(2, 1)], u"/videos/=take=2.mp4"_s);
  EXPECT_EQ(sheet[std::make_pair(2, 2)], u"1+1"_s);
  EXPECT_EQ(sheet[std::make_pair(2, 3)], u"abc"_s);
  EXPECT_EQ(sheet[std::make_pair(2, 4)], QString());
  EXPECT_EQ(sheet[std::make_pair(2, 51)], u"x  y"_s);
}

TEST_F(SpreadsheetExport, AnEmptyTableDoesNothingBeyondTheProbe) {
  form->SetMousePointer(mouse_pointer::kCustom);
  Press();
  EXPECT_EQ(fakes.spreadsheet.Operations(), (QStringList{u"Create"_s, u"Release"_s}));
  EXPECT_TRUE(fakes.dialogs.boxes.empty());
  EXPECT_EQ(form->MousePointer(), mouse_pointer::kCustom);
}

TEST_F(SpreadsheetExport, WithoutASpreadsheetProgramOnlyTheMessageShows) {
  FillRows(2);
  fakes.spreadsheet.installed = false;
  Press();
  EXPECT_TRUE(fakes.spreadsheet.calls.empty());
  ASSERT_EQ(fakes.dialogs.boxes.size(), 1u);
  const auto& box = fakes.dialogs.boxes[0];
  EXPECT_EQ(box.text,
            u"Excel is not installed on this computer. You need to have it installed to use "
            u"this feature."_s);
  EXPECT_EQ(box.title, u"Vistarel"_s);
  EXPECT_EQ(box.icon, BoxIcon::None);
  EXPECT_EQ(box.buttons, BoxButtons::Ok);
  EXPECT_EQ(form->MousePointer(), mouse_pointer::kDefault);
}

TEST_F(SpreadsheetExport, AFailingCellIsReportedWithItsStepAndTheExportGoesOn) {
  FillRows(2);
  fakes.spreadsheet.failingCells = {{1, 3}, {2, 1}, {3, 7}};
  Press();
  const auto reports = fakes.dialogs.ErrorReports();
  ASSERT_EQ(reports.size(), 3u);
  EXPECT_TRUE(reports[0].text.contains(u"Form1.PushButton9_Click at line 116"_s));
  EXPECT_TRUE(reports[1].text.contains(u"Form1.PushButton9_Click at line 136"_s));
  EXPECT_TRUE(reports[2].text.contains(u"Form1.PushButton9_Click at line 140"_s));
  EXPECT_EQ(fakes.spreadsheet.Calls(u"Cells"_s).size(), 3u * 50u - 3u);
  // The cells after a failing one keep their columns.
  EXPECT_EQ(fakes.spreadsheet.Calls(u"Cells"_s)[2].column, 4);
  EXPECT_EQ(fakes.spreadsheet.Calls(u"Visible"_s).size(), 1u);
  EXPECT_EQ(form->MousePointer(), mouse_pointer::kDefault);
}

TEST_F(SpreadsheetExport, RowsBelowTheSheetsEndAreLeftOutWithOneReport) {
  const struct {
    int rows;
    int sheetRows;
    QString report;  // empty: none
  } cases[] = {
      {3, 4, {}},
      {4, 4, u"The sheet ends at row 4, so the last row of the results was left out."_s},
      {6, 4, u"The sheet ends at row 4, so the last 3 rows of the results were left out."_s},
  };
  for (const auto& sheet : cases) {
    table().RemoveAllRows();
    FillRows(sheet.rows);
    fakes.spreadsheet.calls.clear();
    fakes.dialogs.boxes.clear();
    fakes.spreadsheet.sheetRows = sheet.sheetRows;
    Press();
    const auto cells = fakes.spreadsheet.Calls(u"Cells"_s);
    ASSERT_EQ(cells.size(), 50u * static_cast<size_t>(std::min(sheet.rows + 1, sheet.sheetRows)))
        << sheet.rows;
    EXPECT_EQ(cells.back().row, std::min(sheet.rows + 1, sheet.sheetRows));
    const QStringList reports = fakes.dialogs.ErrorReportTexts();
    if (sheet.report.isEmpty()) {
      EXPECT_TRUE(reports.isEmpty()) << sheet.rows;
      continue;
    }
    ASSERT_EQ(reports.size(), 1) << sheet.rows;
    EXPECT_TRUE(reports[0].contains(sheet.report)) << reports[0].toStdString();
    EXPECT_TRUE(reports[0].contains(u"Form1.PushButton9_Click at line 136"_s));
    // The sheet is fitted and shown with the rows it holds.
    EXPECT_EQ(fakes.spreadsheet.Operations().mid(fakes.spreadsheet.Operations().size() - 3),
              (QStringList{u"Columns.Autofit"_s, u"Visible"_s, u"Release"_s}));
  }
}

TEST_F(SpreadsheetExport, RowsCannotBeRemovedOrRefilledDuringTheExport) {
  FillRows(2);
  form->InputList().Append(u"/videos/other.mp4"_s);
  fakes.spreadsheet.onCall = [&](const test::SpreadsheetCall& call) {
    if (call.operation == u"Cells"_s && call.row == 2 && call.column == 50) {
      // "Clear List" under the results and "Start Extracting Metadata", during a yield.
      form->PushButton(6)->click();
      form->PushButton(2)->click();
    }
  };
  Press();
  // Both presses were ignored: every cell of both rows arrives, none is reported.
  EXPECT_TRUE(fakes.dialogs.ErrorReports().empty());
  EXPECT_EQ(fakes.spreadsheet.Calls(u"Cells"_s).size(), 3u * 50u);
  EXPECT_EQ(table().RowCount(), 2);
  EXPECT_EQ(table().Cell(2, 1), u"/videos/clip2.mp4"_s);
  EXPECT_EQ(fakes.spreadsheet.Calls(u"Visible"_s).size(), 1u);
  EXPECT_TRUE(form->ResultTableInUse().IsFree());
}

TEST_F(SpreadsheetExport, ClosingTheWindowMidwayStopsWithoutShowingAnything) {
  FillRows(3);
  form->show();
  fakes.spreadsheet.onCall = [&](const test::SpreadsheetCall& call) {
    if (call.operation == u"Cells"_s && call.row == 3 && call.column == 1)
      form->close();
  };
  Press();
  EXPECT_TRUE(fakes.spreadsheet.Calls(u"Visible"_s).empty());
  EXPECT_EQ(fakes.spreadsheet.Operations().back(), u"Release"_s);
  EXPECT_TRUE(fakes.dialogs.boxes.empty());
}

}  // namespace
}  // namespace vistarel
