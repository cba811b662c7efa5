#pragma once

#include <QString>

#include <map>
#include <utility>

namespace vistarel::test {

// What a written .xlsx file holds, read back from its sheet and shared-string
// parts with the unzip tool; texts may be shared or inline in their cells.
struct ReadSheet {
  // Decoded text by (row, column), from 1.
  std::map<std::pair<int, int>, QString> cells;
  // Column widths by column, from 1.
  std::map<int, double> widths;
  int cellsNotText = 0;  // cells whose type is neither "s" nor "inlineStr"
  int formulas = 0;               // <f> elements
  QString error;                  // empty when both parts read as XML
};

ReadSheet ReadXlsx(const QString& path);

// "_x000D_" and the other escapes of the file format, decoded.
QString DecodeEscapes(const QString& text);

}  // namespace vistarel::test
