#pragma once

#include <QString>

namespace vistarel {

class IEventPump;
class IFileSystem;
class IProgress;
class ResultTableModel;

// Writes the table to `path` as column-aligned tab-separated text: the header
// line, then every row that passes the row filter. Widths count the headers and
// every row. Shows progress when `progress` is given. Failures pass up; the file
// appears only when complete, so a failure leaves an earlier file as it was.
void SaveListAsText(const ResultTableModel& table, const QString& path, IProgress* progress,
                    IEventPump& pump, IFileSystem& fileSystem);

}  // namespace vistarel
