#pragma once

#include <QString>

#include <map>
#include <vector>

#include "platform/Spreadsheet.h"

namespace vistarel {

// A workbook of one sheet held in memory, cell by cell in any order, and
// written out as an .xlsx file when it is handed to the user.
class XlsxWorkbook final : public ISpreadsheetWorkbook {
 public:
  static constexpr int kMaxRows = 1048576;
  static constexpr int kMaxColumns = 16384;
  // The widest column a sheet allows, in character widths.
  static constexpr double kMaxColumnWidth = 255;

  // Stores the text as a text cell; empty text empties the cell. A text longer
  // than a cell holds keeps what fits and the call then fails, so that the cut
  // is reported rather than silent.
  void SetCell(int row, int column, const QString& text) override;
  void AutofitColumns() override;

  QString Cell(int row, int column) const;
  // The fitted width of a column in character widths; 0 when it was not fitted.
  double ColumnWidth(int column) const;

  // Writes the sheet as an .xlsx file at `path`; the writer keeps its scratch
  // files in `scratchFolder`. Throws Failure when the file cannot be written.
  void Write(const QString& path, const QString& scratchFolder) const;

 private:
  std::vector<std::vector<QString>> rows_;  // grows to the highest cell written
  std::map<int, double> widths_;
};

}  // namespace vistarel
