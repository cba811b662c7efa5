#pragma once

#include <QString>
#include <QStringView>

#include <vector>

namespace vistarel {

class IEventPump;
class ResultTableModel;

// The column-aligned tab layout shared by the text file and the clipboard: each
// cell padded with blanks to its column's width and followed by one TAB.
//
// A Linux file name or a tag can hold TAB, CR or LF; written as they are, they
// would break the lines and columns, so each is written as one blank. That keeps
// the cell's length, so widths measured on the raw text stay right.

// Appends the cell, cleaned and padded to `width`, and a TAB.
void AppendPaddedCell(QString& line, QStringView cell, qsizetype width);

// The length of a line of cells padded to these widths, TABs included; cells are
// never longer than their column's width, so every line has this length.
qsizetype PaddedLineLength(const std::vector<qsizetype>& widths);

// The width of every column: the longest cell of the column over all rows,
// whatever their filter state, and the header too when `countHeaders` is set.
// Yields once per cell.
std::vector<qsizetype> ColumnWidths(const ResultTableModel& table, bool countHeaders,
                                    IEventPump& pump);

}  // namespace vistarel
