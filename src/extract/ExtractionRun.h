#pragma once

#include <QString>

#include <array>

#include "base/Failure.h"
#include "extract/ResultColumns.h"
#include "platform/Shell.h"
#include "protocol/FileAnswer.h"

namespace vistarel {

// The work of the extraction run's steps ("Start Extracting Metadata"), apart
// from the window.

// The names of the shell's property columns 0 to 40 for the current file's
// folder, "Others" where the shell gives none.
using ShellPropertyHeaders = std::array<QString, kShellPropertyCount>;

// The progress value while the j-th of `count` files is processed: j / count x
// 100, as a real number.
double ProgressValue(int j, int count);
// "Processing: " and the file's name.
QString ProcessingCaption(const QString& path);

// The fixed column of a sub-item, 1 to 49.
const FixedColumn& ColumnOfSubItem(int subItem);
// The line numbers of the steps that fill a media cell (sub-items 1 to 38) and
// a file-system cell (sub-items 39 to 48).
constexpr int MediaCellStep(int subItem) {
  return 128 + 2 * subItem;
}
constexpr int FileCellStep(int subItem) {
  return 134 + 2 * subItem;
}
inline constexpr int kFirstFileSubItem = 39;
inline constexpr int kLastFileSubItem = 48;
inline constexpr int kTypeSubItem = 49;

// The library steps of a file (124 to 208) read its parse as it was answered:
// each fails as its call failed in the media worker.
// The file's handle (124) and its close and release (206, 208): fail when the
// library gave none.
void RequireHandle(const MediaAnswers& media);
// Its open (126): fails without a handle, or when the parse stopped.
void RequireOpened(const MediaAnswers& media);
// The answer of the media column of a sub-item (1 to 38): fails without a
// handle; empty when the parse stopped.
QString MediaCell(const MediaAnswers& media, int subItem);

// The shell matches a file to its folder's entries by lower-cased display name.
bool SameDisplayName(const QString& baseName, const QString& displayName);
// "File General - " and the property name.
QString RunTimeColumnHeader(const QString& propertyName);

}  // namespace vistarel
