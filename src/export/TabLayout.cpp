#include "export/TabLayout.h"

#include <algorithm>

#include "extract/ResultTableModel.h"
#include "platform/EventPump.h"

namespace vistarel {

void AppendPaddedCell(QString& line, QStringView cell, qsizetype width) {
  const qsizetype start = line.size();
  line.append(cell);
  QChar* written = line.data() + start;
  for (qsizetype i = 0; i < cell.size(); ++i) {
    const char16_t unit = written[i].unicode();
    if (unit == u'\t' || unit == u'\r' || unit == u'\n')
      written[i] = u' ';
  }
  if (cell.size() < width)
    line.resize(line.size() + (width - cell.size()), u' ');
  line.append(u'\t');
}

std::vector<qsizetype> ColumnWidths(const ResultTableModel& table, bool countHeaders,
                                    IEventPump& pump) {
  std::vector<qsizetype> widths;
  const int columns = table.ColumnCount();
  widths.reserve(static_cast<size_t>(std::max(columns, 0)));
  for (int column = 1; column <= columns; ++column) {
    qsizetype width = countHeaders ? table.HeaderText(column).size() : 0;
    const int rows = table.RowCount();
    for (int row = 1; row <= rows; ++row) {
      pump.YieldSoon();
      width = std::max(width, table.CellView(row, column).size());
    }
    widths.push_back(width);
  }
  return widths;
}

}  // namespace vistarel
