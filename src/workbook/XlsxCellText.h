#pragma once

#include <QByteArray>
#include <QString>

namespace vistarel {

// The most characters one cell of a sheet holds.
inline constexpr qsizetype kMaxCellCharacters = 32767;

// How many leading UTF-16 units of `text` one cell can hold: the whole text
// when it fits. The cut never splits a character. Characters that the file
// format has to spell out (control characters) count with their spelled-out
// length, so that the library never refuses the cell.
qsizetype CellTextFit(const QString& text);

// The UTF-8 bytes of a cell's text as the sheet file stores them: the control
// characters that XML cannot carry (and a carriage return, which XML would turn
// into a line feed) spelled as _xHHHH_, and a literal "_xHHHH_" in the text
// protected so that a reader does not decode it. Tab and line feed stay as
// they are; a lone surrogate becomes U+FFFD.
QByteArray CellTextBytes(const QString& text);

// The width of the text's longest line in character widths of the sheet's
// default font, as column fitting measures it: wide East Asian characters
// count twice, combining marks not at all.
int CellTextWidth(const QString& text);

}  // namespace vistarel
