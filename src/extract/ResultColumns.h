#pragma once

#include <QString>

#include <array>

namespace vistarel {

// The stream a media column reads, numbered as the MediaInfo library numbers
// its stream kinds.
enum class StreamKind { General = 0, Video = 1, Audio = 2 };

// Where a fixed result column takes its value from.
enum class ColumnSource { Path, Media, File };

struct FixedColumn {
  const char16_t* header;
  ColumnSource source;
  StreamKind stream;          // Media columns only
  const char16_t* parameter;  // Media: the library's parameter name; File: the property name
};

inline constexpr int kFixedColumnCount = 50;
inline constexpr int kMediaColumnCount = 38;  // sub-items 1 to 38
// Header of run-time columns: this prefix, then the shell's property name.
inline constexpr char16_t kRunTimeColumnPrefix[] = u"File General - ";

// The 50 fixed columns of the result table, in order; index 0 is column 1.
const std::array<FixedColumn, kFixedColumnCount>& FixedColumns();

// The input list's one column: its header has a leading blank, unlike column 1
// of the result table.
inline constexpr char16_t kInputListHeader[] = u" Video File/s";
inline constexpr int kInputListColumnWidth = 7000;  // twips

// Widths in twips that start-up gives the first three result columns.
inline constexpr std::array<int, 3> kLeadingColumnWidths = {3000, 2000, 2000};

}  // namespace vistarel
