#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <set>
#include <utility>
#include <vector>

#include "platform/Spreadsheet.h"

namespace vistarel::test {

// One operation on the spreadsheet layer: "Create", "Release", "Workbooks.Add",
// "Cells", "Columns.Autofit" or "Visible". Cells carry their row, column and text.
struct SpreadsheetCall {
  QString operation;
  int row = 0;
  int column = 0;
  QString text;
};

// A spreadsheet layer that records every operation in order.
class RecordingSpreadsheet final : public ISpreadsheet {
 public:
  std::unique_ptr<ISpreadsheetApplication> CreateApplication() override;

  // The recorded operations named `operation`, in order.
  std::vector<SpreadsheetCall> Calls(const QString& operation) const;
  // The names of all recorded operations, in order.
  QStringList Operations() const;
  void Record(SpreadsheetCall call);

  // False: no spreadsheet program is installed, creating fails.
  bool installed = true;
  // Cells (row, column) whose assignment fails.
  std::set<std::pair<int, int>> failingCells;
  // The rows of a workbook's sheet.
  int sheetRows = 1048576;
  std::vector<SpreadsheetCall> calls;
  // Runs after each recorded operation, as the user could act meanwhile; may be empty.
  std::function<void(const SpreadsheetCall&)> onCall;
};

}  // namespace vistarel::test
