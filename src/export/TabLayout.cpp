#include "export/TabLayout.h"

#include <algorithm>

#include "extract/ResultTableModel.h"
#include "platform/EventPump.h"

namespace vistarel {

void AppendPaddedCell(QString& line, QStringView cell, qsizetype width) {
  const qsizetype padded = std::max(width, cell.size());
  const qsizetype start = line.size();
  line.resize(start + padded + 1);
  QChar* out = line.data() + start;
  const QChar* in = cell.data();
  for (qsizetype i = 0; i < cell.size(); ++i) {
    const char16_t unit = in[i].unicode();
    out[i] = (unit == u'\t' || unit == u'\r' || unit == u'\n') ? QChar(u' ') : in[i];
  }
  std::fill(out + cell.size(), out + padded, QChar(u' '));
  out[padded] = u'\t';
}

qsizetype PaddedLineLength(const std::vector<qsizetype>& widths) {
  qsizetype length = 0;
  for (const qsizetype width : widths) length += width + 1;
  return length;
}

std::vector<qsizetype> ColumnWidths(const ResultTableModel& table, bool countHeaders,
                                    IEventPump& pump) {
  const int columns = table.ColumnCount();
  std::vector<qsizetype> widths(static_cast<size_t>(std::max(columns, 0)), 0);
  if (countHeaders) {
    for (int column = 1; column <= columns; ++column) {
      widths[static_cast<size_t>(column - 1)] = table.HeaderText(column).size();
    }
  }
  // Row by row: the same widths as column by column, read in the order the
  // table holds its cells.
  const int rows = table.RowCount();
  for (int row = 1; row <= rows; ++row) {
    for (int column = 1; column <= columns; ++column) {
      pump.YieldSoon();
      qsizetype& width = widths[static_cast<size_t>(column - 1)];
      width = std::max(width, table.CellView(row, column).size());
    }
  }
  return widths;
}

}  // namespace vistarel
