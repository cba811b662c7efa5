#pragma once

#include <QString>

namespace vistarel {

class IClipboard;
class IEventPump;
class ResultTableModel;

// The rows of the table that pass the row filter, in the tab layout with widths
// from the cells alone and CR LF after every row. Yields once per cell.
QString ClipboardText(const ResultTableModel& table, IEventPump& pump);

// Puts that text on the clipboard; an empty table leaves the clipboard as it was.
void CopyListToClipboard(const ResultTableModel& table, IClipboard& clipboard, IEventPump& pump);

QString CopiedMessage();

}  // namespace vistarel
