#include "export/CopyListToClipboard.h"

#include "export/TabLayout.h"
#include "extract/ResultTableModel.h"
#include "platform/Clipboard.h"
#include "platform/EventPump.h"

namespace vistarel {

using namespace Qt::StringLiterals;

QString ClipboardText(const ResultTableModel& table, IEventPump& pump) {
  const std::vector<qsizetype> widths = ColumnWidths(table, /*countHeaders=*/false, pump);
  QString text;
  const int rows = table.RowCount();
  text.reserve((PaddedLineLength(widths) + 2) * rows);
  for (int row = 1; row <= rows; ++row) {
    pump.YieldSoon();
    if (!table.Included(row))
      continue;
    const int columns = table.ColumnCount();
    for (int column = 1; column <= columns; ++column) {
      pump.YieldSoon();
      const auto at = static_cast<size_t>(column - 1);
      AppendPaddedCell(text, table.CellView(row, column), at < widths.size() ? widths[at] : 0);
    }
    text.append(u"\r\n"_s);
  }
  return text;
}

void CopyListToClipboard(const ResultTableModel& table, IClipboard& clipboard, IEventPump& pump) {
  if (table.RowCount() == 0)
    return;
  const QString text = ClipboardText(table, pump);
  clipboard.Clear();
  clipboard.SetText(text);
}

QString CopiedMessage() {
  return u"Results have been copied to the clipboard.\r\rClick a text area where you normally type "
         "and press Ctrl+V to paste the clipboard."_s;
}

}  // namespace vistarel
