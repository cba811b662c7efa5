#pragma once

#include <QString>

#include <memory>

namespace vistarel {

// A workbook of the spreadsheet program; its active sheet is the only one the
// program fills. Rows and columns are numbered from 1, as the sheet shows them.
// The sheet is filled row after row: the cells of one row may come in any
// order, a cell of a row before the latest one fails.
class ISpreadsheetWorkbook {
 public:
  virtual ~ISpreadsheetWorkbook() = default;
  // ActiveSheet.Cells(row, column) := text. The text is always stored as text,
  // never read as a formula or a number. Fails for a cell outside the sheet.
  virtual void SetCell(int row, int column, const QString& text) = 0;
  // ActiveSheet.Columns.Autofit: fits every column to its longest text so far.
  virtual void AutofitColumns() = 0;
  // The number of rows the sheet has; a cell below them fails.
  virtual int SheetRows() const = 0;
};

// One running, not yet visible spreadsheet program. Releasing an application
// that was never made visible leaves nothing behind.
class ISpreadsheetApplication {
 public:
  virtual ~ISpreadsheetApplication() = default;
  // Workbooks.Add: a new, empty workbook owned by this application. Fails
  // when the workbook cannot be begun.
  virtual ISpreadsheetWorkbook& AddWorkbook() = 0;
  // Visible := True: hands the workbooks to the user in the spreadsheet program,
  // which then lives on by itself.
  virtual void SetVisible() = 0;
};

// The spreadsheet program of the desktop.
class ISpreadsheet {
 public:
  virtual ~ISpreadsheet() = default;
  // A new application object; throws Failure when no spreadsheet program is
  // installed.
  virtual std::unique_ptr<ISpreadsheetApplication> CreateApplication() = 0;
};

}  // namespace vistarel
