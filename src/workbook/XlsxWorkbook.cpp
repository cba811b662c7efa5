#include "workbook/XlsxWorkbook.h"

#include <QFile>

#include <xlsxwriter.h>

#include <algorithm>
#include <cstdio>

#include "base/Failure.h"
#include "workbook/XlsxCellText.h"

namespace vistarel {

using namespace Qt::StringLiterals;

namespace {

QString LibraryError(lxw_error error) {
  return QString::fromUtf8(lxw_strerror(error));
}

}  // namespace

XlsxWorkbook::XlsxWorkbook(const QString& path, const QString& scratchFolder)
    : path_(path), scratchFolder_(QFile::encodeName(scratchFolder)) {
  lxw_workbook_options options{};
  // Each row goes to the scratch file when the next begins, and is not held.
  options.constant_memory = LXW_TRUE;
  options.tmpdir = scratchFolder_.data();
  book_ = workbook_new_opt(QFile::encodeName(path).constData(), &options);
  if (book_ != nullptr)
    sheet_ = workbook_add_worksheet(book_, nullptr);
  if (sheet_ == nullptr) {
    Discard();
    throw Failure(u"Cannot create the workbook %1 with its scratch file in %2"_s.arg(path,
                                                                                     scratchFolder));
  }
}

XlsxWorkbook::~XlsxWorkbook() { Discard(); }

void XlsxWorkbook::Discard() noexcept {
  if (book_ == nullptr)
    return;
  // Freeing the workbook leaves its sheet's scratch file open, and the
  // space of that file (already unlinked) taken until the program ends.
  if (sheet_ != nullptr && sheet_->optimize_tmpfile != nullptr) {
    std::fclose(sheet_->optimize_tmpfile);
    sheet_->optimize_tmpfile = nullptr;
  }
  lxw_workbook_free(book_);
  book_ = nullptr;
  sheet_ = nullptr;
}

void XlsxWorkbook::SetCell(int row, int column, const QString& text) {
  if (row < 1 || row > kMaxRows || column < 1 || column > kMaxColumns) {
    throw Failure(
        u"Cell (%1, %2) is outside the sheet, which has %3 rows and %4 columns."_s.arg(row)
            .arg(column)
            .arg(kMaxRows)
            .arg(kMaxColumns));
  }
  if (book_ == nullptr) {
    throw Failure(u"Cell (%1, %2) cannot be written: the workbook %3 is complete."_s.arg(row)
                      .arg(column)
                      .arg(path_));
  }
  if (row < row_) {
    throw Failure(
        u"Cell (%1, %2) cannot be written: the sheet is written row by row, and row %3 has "
        u"begun."_s.arg(row)
            .arg(column)
            .arg(row_));
  }
  if (row > row_) {
    WriteRow();
    row_ = row;
  }
  const auto c = static_cast<size_t>(column - 1);
  if (cells_.size() <= c) {
    if (text.isEmpty())
      return;
    cells_.resize(c + 1);
  }
  const qsizetype fit = CellTextFit(text);
  cells_[c] = fit == text.size() ? text : text.left(fit);
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

// The row being written goes to the file, and its widths to those kept.
void XlsxWorkbook::WriteRow() {
  std::vector<QString> cells;
  cells.swap(cells_);
  if (widest_.size() < cells.size())
    widest_.resize(cells.size(), 0);
  lxw_error failed = LXW_NO_ERROR;
  for (size_t c = 0; c < cells.size(); ++c) {
    if (cells[c].isEmpty())
      continue;
    widest_[c] = std::max(widest_[c], CellTextWidth(cells[c]));
    // Always a string cell: a text that starts with "=" stays text.
    const lxw_error error =
        worksheet_write_string(sheet_, static_cast<lxw_row_t>(row_ - 1), static_cast<lxw_col_t>(c),
                               CellTextBytes(cells[c]).constData(), nullptr);
    if (failed == LXW_NO_ERROR)
      failed = error;
  }
  if (failed != LXW_NO_ERROR) {
    throw Failure(u"Cannot write row %1 of the workbook %2: %3"_s.arg(row_).arg(path_,
                                                                               LibraryError(failed)));
  }
}

void XlsxWorkbook::AutofitColumns() {
  fitted_.assign(std::max(widest_.size(), cells_.size()), 0);
  for (size_t c = 0; c < fitted_.size(); ++c) {
    int widest = c < widest_.size() ? widest_[c] : 0;
    if (c < cells_.size() && !cells_[c].isEmpty())
      widest = std::max(widest, CellTextWidth(cells_[c]));
    // One character's room beside the text, as the sheet's own fitting leaves.
    if (widest > 0)
      fitted_[c] = std::min(kMaxColumnWidth, widest + 1.0);
  }
}

void XlsxWorkbook::Close() {
  if (book_ == nullptr)
    return;
  lxw_error failed = LXW_NO_ERROR;
  QString description;
  try {
    WriteRow();
  } catch (const Failure& failure) {
    description = failure.description();
  }
  // The column widths go before the rows in the file, and the writer puts
  // them there when it closes it, whenever they were set.
  for (size_t c = 0; c < fitted_.size() && description.isEmpty(); ++c) {
    if (fitted_[c] <= 0)
      continue;
    const auto at = static_cast<lxw_col_t>(c);
    failed = worksheet_set_column(sheet_, at, at, fitted_[c], nullptr);
    if (failed != LXW_NO_ERROR)
      description = u"Cannot write the workbook %1: %2"_s.arg(path_, LibraryError(failed));
  }
  if (!description.isEmpty()) {
    Discard();
    QFile::remove(path_);
    throw Failure(description);
  }
  failed = workbook_close(book_);  // frees the book in every case
  book_ = nullptr;
  sheet_ = nullptr;
  if (failed != LXW_NO_ERROR) {
    QFile::remove(path_);
    throw Failure(u"Cannot write the workbook %1: %2"_s.arg(path_, LibraryError(failed)));
  }
}

}  // namespace vistarel
