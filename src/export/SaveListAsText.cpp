#include "export/SaveListAsText.h"

#include "base/PathHelpers.h"
#include "export/TabLayout.h"
#include "extract/ResultTableModel.h"
#include "platform/EventPump.h"
#include "platform/FileSystem.h"
#include "platform/Progress.h"

namespace vistarel {

using namespace Qt::StringLiterals;

namespace {

void ShowProgress(IProgress* progress, IEventPump& pump, double value, const QString& caption) {
  if (progress == nullptr)
    return;
  pump.Yield();
  progress->SetValue(value);
  progress->SetCaption(caption);
  pump.Yield();
}

qsizetype WidthOf(const std::vector<qsizetype>& widths, int column) {
  const auto at = static_cast<size_t>(column - 1);
  return at < widths.size() ? widths[at] : 0;
}

}  // namespace

void SaveListAsText(const ResultTableModel& table, const QString& path, IProgress* progress,
                    IEventPump& pump, IFileSystem& fileSystem) {
  const QString caption = u"Writing file: "_s + FileNameOf(path);
  ShowProgress(progress, pump, 1, caption);
  const std::vector<qsizetype> widths = ColumnWidths(table, /*countHeaders=*/true, pump);
  ShowProgress(progress, pump, 10, caption);

  const std::unique_ptr<ITextStream> file = fileSystem.CreateTextFile(path, /*overwrite=*/true, pump);

  QString line;
  line.reserve(PaddedLineLength(widths));
  const int headerColumns = table.ColumnCount();
  for (int column = 1; column <= headerColumns; ++column) {
    pump.YieldSoon();
    AppendPaddedCell(line, table.HeaderText(column), WidthOf(widths, column));
  }
  file->WriteLine(line);
  ShowProgress(progress, pump, 20, caption);

  const int rows = table.RowCount();
  const int ahead = rows / 2000;  // the value runs a little ahead on long tables
  for (int row = 1; row <= rows; ++row) {
    pump.YieldSoon();
    if (!table.Included(row))
      continue;
    line.resize(0);  // keeps the buffer for the next row
    const int columns = table.ColumnCount();
    for (int column = 1; column <= columns; ++column) {
      pump.YieldSoon();
      AppendPaddedCell(line, table.CellView(row, column), WidthOf(widths, column));
    }
    if (progress != nullptr) {
      pump.YieldSoon();
      progress->SetValue(static_cast<double>(row + ahead) / rows * 100.0);
      if (row % 1000 == 0)
        progress->SetCaption(caption + u" ("_s + QString::number(row) + u')');
      pump.YieldSoon();
    }
    file->WriteLine(line);
  }

  if (progress != nullptr) {
    progress->SetValue(100);
    progress->SetCaption(u"Done."_s);
  }
  file->Close();
  if (progress != nullptr) {
    progress->SetValue(0);
    progress->SetCaption(u"Progress Bar"_s);
  }
}

}  // namespace vistarel
