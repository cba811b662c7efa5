#include "workbook/XlsxWorkbook.h"

#include <QFile>

#include <xlsxwriter.h>

#include <algorithm>

#include "base/Failure.h"
#include "workbook/XlsxCellText.h"

namespace vistarel {

using namespace Qt::StringLiterals;

namespace {

QString LibraryError(lxw_error error) {
  return QString::fromUtf8(lxw_strerror(error));
}

}  // namespace

void XlsxWorkbook::SetCell(int row, int column, const QString& text) {
  if (row < 1 || row > kMaxRows || column < 1 || column > kMaxColumns) {
    throw Failure(
        u"Cell (%1, %2) is outside the sheet, which has %3 rows and %4 columns."_s.arg(row)
            .arg(column)
            .arg(kMaxRows)
            .arg(kMaxColumns));
  }
  const auto r = static_cast<size_t>(row - 1);
  const auto c = static_cast<size_t>(column - 1);
  if (rows_.size() <= r) {
    if (text.isEmpty())
      return;
    rows_.resize(r + 1);
  }
  std::vector<QString>& cells = rows_[r];
  if (cells.size() <= c) {
    if (text.isEmpty())
      return;
    cells.resize(c + 1);
  }
  const qsizetype fit = CellTextFit(text);
  cells[c] = fit == text.size() ? text : text.left(fit);
  if (fit < text.size()) {
    throw Failure(
        u"The text for cell (%1, %2) has %3 characters; a cell holds at most %4, so only the "
        u"first %5 were kept."_s.arg(row)
            .arg(column)
            .arg(text.size())
            .arg(kMaxCellCharacters)
            .arg(fit));
  }
}

void XlsxWorkbook::AutofitColumns() {
  std::vector<int> widest;
  for (const std::vector<QString>& cells : rows_) {
    if (widest.size() < cells.size())
      widest.resize(cells.size(), 0);
    for (size_t c = 0; c < cells.size(); ++c) {
      if (!cells[c].isEmpty())
        widest[c] = std::max(widest[c], CellTextWidth(cells[c]));
    }
  }
  for (size_t c = 0; c < widest.size(); ++c) {
    // One character's room beside the text, as the sheet's own fitting leaves.
    if (widest[c] > 0) {
      widths_[static_cast<int>(c) + 1] = std::min(kMaxColumnWidth, widest[c] + 1.0);
    }
  }
}

QString XlsxWorkbook::Cell(int row, int column) const {
  if (row < 1 || column < 1 || static_cast<size_t>(row) > rows_.size())
    return {};
  const std::vector<QString>& cells = rows_[static_cast<size_t>(row - 1)];
  return static_cast<size_t>(column) <= cells.size() ? cells[static_cast<size_t>(column - 1)]
                                                     : QString();
}

double XlsxWorkbook::ColumnWidth(int column) const {
  const auto found = widths_.find(column);
  return found != widths_.end() ? found->second : 0;
}

void XlsxWorkbook::Write(const QString& path, const QString& scratchFolder) const {
  QByteArray scratch = QFile::encodeName(scratchFolder);
  lxw_workbook_options options{};
  options.constant_memory = LXW_FALSE;
  options.tmpdir = scratch.data();
  lxw_workbook* book = workbook_new_opt(QFile::encodeName(path).constData(), &options);
  if (book == nullptr)
    throw Failure(u"Cannot create the workbook: "_s + path);
  lxw_worksheet* sheet = workbook_add_worksheet(book, nullptr);

  lxw_error failed = sheet != nullptr ? LXW_NO_ERROR : LXW_ERROR_MEMORY_MALLOC_FAILED;
  for (const auto& [column, width] : widths_) {
    if (failed != LXW_NO_ERROR)
      break;
    const auto at = static_cast<lxw_col_t>(column - 1);
    failed = worksheet_set_column(sheet, at, at, width, nullptr);
  }
  for (size_t r = 0; r < rows_.size() && failed == LXW_NO_ERROR; ++r) {
    const std::vector<QString>& cells = rows_[r];
    for (size_t c = 0; c < cells.size() && failed == LXW_NO_ERROR; ++c) {
      if (cells[c].isEmpty())
        continue;
      // Always a string cell: a text that starts with "=" stays text.
      failed = worksheet_write_string(sheet, static_cast<lxw_row_t>(r), static_cast<lxw_col_t>(c),
                                      CellTextBytes(cells[c]).constData(), nullptr);
    }
  }

  const lxw_error closed = workbook_close(book);  // frees the book in every case
  if (failed == LXW_NO_ERROR)
    failed = closed;
  if (failed != LXW_NO_ERROR) {
    QFile::remove(path);
    throw Failure(u"Cannot write the workbook %1: %2"_s.arg(path, LibraryError(failed)));
  }
}

}  // namespace vistarel
