// "Save Results As Excel File": the whole result table, headers included, into a
// new workbook of the spreadsheet program, which stays open for the user.
#include "base/Addresses.h"
#include "base/Failure.h"
#include "extract/ResultTableModel.h"
#include "gui/MousePointer.h"
#include "platform/Dialogs.h"
#include "platform/Spreadsheet.h"
#include "report/HandlerGuard.h"
#include "window/Form1.h"

namespace vistarel {

using namespace Qt::StringLiterals;

namespace {

constexpr char16_t kNotInstalled[] =
    u"Excel is not installed on this computer. You need to have it installed to use this feature.";

// Makes and releases one application object: whether the export can run at all.
bool CanCreateApplication(ISpreadsheet& spreadsheet) {
  try {
    return spreadsheet.CreateApplication() != nullptr;
  } catch (const Failure&) {
    return false;
  }
}

// The table can change during a yield; reading past its end fails as the
// table control's own reads do, one report per cell.
QString HeaderOf(const ResultTableModel& table, int column) {
  if (column > table.ColumnCount()) {
    throw Failure(u"Index out of bounds: column %1"_s.arg(column));
  }
  return table.HeaderText(column);
}

QString CellOf(const ResultTableModel& table, int row, int column) {
  if (row > table.RowCount() || column > table.ColumnCount()) {
    throw Failure(u"Index out of bounds: row %1, column %2"_s.arg(row).arg(column));
  }
  return table.Cell(row, column);
}

QString WithoutEqualsSigns(QString text) {
  return text.remove(u'=');
}

// The rows that do not fit below the sheet's last row are reported once, together.
[[noreturn]] void ReportRowsLeftOut(int rowsLeftOut, int sheetRows) {
  throw Failure(rowsLeftOut == 1
                    ? u"The sheet ends at row %1, so the last row of the results was left out."_s
                          .arg(sheetRows)
                    : u"The sheet ends at row %1, so the last %2 rows of the results were left out."_s
                          .arg(sheetRows)
                          .arg(rowsLeftOut));
}

}  // namespace

void Form1::PushButton9_Click() {
  // The table is neither cleared nor refilled while this reads it.
  const ResultTableUse::Claim reading = resultTableUse_.ClaimToRead();
  HandlerGuard guard(*platform_.dialogs, u"PushButton9_Click"_s);
  guard.Run([&] {
    bool installed = false;
    guard.Step(100, [&] { installed = CanCreateApplication(*platform_.spreadsheet); });
    if (!installed) {
      guard.Step(156, [&] {
        platform_.dialogs->MessageBox(QString::fromUtf16(kNotInstalled),
                                      QString::fromUtf16(kProductName), BoxIcon::None,
                                      BoxButtons::Ok);
      });
      return;
    }
    if (guard.Test(102, [&] { return resultTable_->RowCount() == 0; }))
      return;
    guard.Step(104, [&] { SetMousePointer(mouse_pointer::kBusy); });

    std::unique_ptr<ISpreadsheetApplication> app;
    ISpreadsheetWorkbook* book = nullptr;
    guard.Step(106, [&] { app = platform_.spreadsheet->CreateApplication(); });
    guard.Step(108, [&] { book = &Made(app.get()).AddWorkbook(); });

    int column = 0;
    guard.Step(110, [&] { column = 1; });
    int columns = 0;
    guard.Step(112, [&] { columns = resultTable_->ColumnCount(); });
    for (int h = 1; h <= columns; ++h) {
      guard.Step(114, [&] { Pump().YieldSoon(); });
      guard.Step(116, [&] { Made(book).SetCell(1, column, HeaderOf(*resultTable_, h)); });
      guard.Step(118, [&] { ++column; });
    }  // 120: next h

    int sheetRow = 0;
    guard.Step(122, [&] { sheetRow = 2; });
    int rows = 0;
    guard.Step(124, [&] { rows = resultTable_->RowCount(); });
    for (int r = 1; r <= rows; ++r) {
      guard.Step(126, [&] { Pump().YieldSoon(); });
      // A row below the sheet's last fails at its first cell, and so would
      // every one of its cells and of the rows after it.
      if (book != nullptr && sheetRow > book->SheetRows()) {
        guard.Step(136, [&] { ReportRowsLeftOut(rows - r + 1, book->SheetRows()); });
        break;
      }
      guard.Step(128, [&] { column = 1; });
      int cells = 0;
      guard.Step(130, [&] { cells = resultTable_->ColumnCount(); });
      for (int k = 1; k <= cells; ++k) {
        guard.Step(132, [&] { Pump().YieldSoon(); });
        if (guard.Test(134, [&] { return k == 1; })) {
          guard.Step(136,
                     [&] { Made(book).SetCell(sheetRow, column, CellOf(*resultTable_, r, 1)); });
          guard.Step(138, [&] { ++column; });
        } else {
          guard.Step(140, [&] {
            Made(book).SetCell(sheetRow, column, WithoutEqualsSigns(CellOf(*resultTable_, r, k)));
          });
          guard.Step(142, [&] { ++column; });
        }
      }  // 144: next k
      guard.Step(146, [&] { ++sheetRow; });
    }  // 148: next r

    guard.Step(150, [&] { Made(book).AutofitColumns(); });
    guard.Step(152, [&] { Made(app.get()).SetVisible(); });
    guard.Step(154, [&] { SetMousePointer(mouse_pointer::kDefault); });
  });
}

}  // namespace vistarel
