#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

#include "platform/Spreadsheet.h"

struct lxw_workbook;
struct lxw_worksheet;

namespace vistarel {

// A workbook of one sheet written as an .xlsx file while its cells come, row
// after row, so that a sheet of a million rows costs no more memory than one:
// a row goes to the file as soon as a later row begins, and the file is
// complete when it is closed. Cells of the row being written may come in any
// order; a cell of an earlier row fails. The widths that fitting the columns
// needs are kept as the rows go by.
class XlsxWorkbook final : public ISpreadsheetWorkbook {
 public:
  static constexpr int kMaxRows = 1048576;
  static constexpr int kMaxColumns = 16384;
  // The widest column a sheet allows, in character widths.
  static constexpr double kMaxColumnWidth = 255;

  // Begins the file at `path`; the writer keeps the rows written so far in a
  // scratch file in `scratchFolder`. Throws Failure when it cannot begin.
  XlsxWorkbook(const QString& path, const QString& scratchFolder);
  // A workbook that was not closed leaves no file behind.
  ~XlsxWorkbook() override;
  XlsxWorkbook(const XlsxWorkbook&) = delete;
  XlsxWorkbook& operator=(const XlsxWorkbook&) = delete;

  // Stores the text as a text cell; empty text empties the cell. A text longer
  // than a cell holds keeps what fits and the call then fails, so that the cut
  // is reported rather than silent.
  void SetCell(int row, int column, const QString& text) override;
  // Fits the columns to the rows written so far, the row being written too.
  void AutofitColumns() override;
  int SheetRows() const override { return kMaxRows; }

  const QString& Path() const { return path_; }
  // Writes the last row and completes the file. Throws Failure when the file
  // cannot be written; it is then removed.
  void Close();

 private:
  void WriteRow();
  void Discard() noexcept;

  QString path_;
  QByteArray scratchFolder_;  // the writer refers to it until the file is closed
  lxw_workbook* book_ = nullptr;
  lxw_worksheet* sheet_ = nullptr;
  int row_ = 0;                   // the row being written, from 1; 0 before the first
  std::vector<QString> cells_;    // its cells, up to the last one written
  std::vector<int> widest_;       // per column, of the rows written to the file
  std::vector<double> fitted_;    // per column, as fitted; 0 when not fitted
};

}  // namespace vistarel
