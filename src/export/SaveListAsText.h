#pragma once

#include <QString>

#include <functional>
#include <memory>

namespace vistarel {

class IEventPump;
class IProgress;
class ResultTableModel;

// A text file being written line by line; the file is complete only at Close.
class ITextLineStream {
 public:
  virtual ~ITextLineStream() = default;
  // Writes the text and CR LF.
  virtual void WriteLine(const QString& text) = 0;
  virtual void Close() = 0;
};
using CreateTextFileFunction = std::function<std::unique_ptr<ITextLineStream>(const QString& path)>;

// Writes the table to `path` as column-aligned tab-separated text: the header
// line, then every row that passes the row filter. Widths count the headers and
// every row. Shows progress when `progress` is given. Failures pass up.
void SaveListAsText(const ResultTableModel& table, const QString& path, IProgress* progress,
                    IEventPump& pump, const CreateTextFileFunction& createTextFile);

}  // namespace vistarel
