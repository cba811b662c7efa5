#pragma once

#include <QAbstractTableModel>
#include <QString>

#include <vector>

#include "extract/ResultRow.h"
#include "extract/SharedTexts.h"

namespace vistarel {

// The result table: columns with a header and a width in twips, rows whose first
// cell is the file's path and whose other cells are sub-items numbered from 1
// (sub-item n shows under column n + 1). Columns and rows are numbered from 1
// here, as the table's users count them; reading outside the table gives empty
// text.
//
// A run of a million files makes a million rows, so a cell costs little: a
// text its column already holds is shared, a text found in the row's path (the
// file's name, its folder) refers into it, and only the rest is kept in the
// row's own block.
class ResultTableModel final : public QAbstractTableModel {
  Q_OBJECT

 public:
  // The table control's default column width, in twips (one inch).
  static constexpr int kDefaultColumnWidth = 1440;
  // Column numbers are signed 16-bit values.
  static constexpr int kMaxColumns = 32767;

  explicit ResultTableModel(QObject* parent = nullptr);

  // Columns.
  int ColumnCount() const { return static_cast<int>(columns_.size()); }
  QString HeaderText(int column) const;
  int ColumnWidth(int column) const;
  // Appends a column at the end; its number is the new column count.
  void AppendColumn(const QString& header, int width = kDefaultColumnWidth);
  void SetColumnWidth(int column, int width);
  // Removes every column after `keep`, the last one first.
  void RemoveColumnsAfter(int keep);
  // The first column whose header equals `text` exactly, or -1.
  int ColumnIndexOf(const QString& text) const;

  // Rows.
  int RowCount() const { return static_cast<int>(rows_.size()); }
  // Appends a row whose first cell is `path`; returns its number.
  int AddRow(const QString& path);
  void SetSubItem(int row, int subItem, const QString& text);
  QString SubItem(int row, int subItem) const;
  // Column 1 is the row's own text, column k >= 2 its sub-item k - 1.
  QString Cell(int row, int column) const;
  // The same cell without a copy, for readers that walk the whole table; valid
  // until the table changes.
  QStringView CellView(int row, int column) const;
  // The per-row state the text and clipboard exports filter on.
  bool Included(int row) const;
  void SetIncluded(int row, bool included);
  void RemoveAllRows();

  // QAbstractTableModel
  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 Q_SIGNALS:
  void columnWidthChanged(int column);

 private:
  // Cell writes come by the thousand during a run; the views hear of them once
  // per pass of the event loop, as one span of changed rows.
  void NoteChangedRow(int rowIndex);
  void AnnounceChangedRows();

  struct Column {
    QString header;
    int width;
    SharedTexts shared;  // of the cells under this column
  };

  const ResultRow* RowAt(int row) const;
  ResultRow* RowAt(int row);
  // Where the text of a sub-item is kept: the path, the column or the row.
  void Place(ResultRow& row, int subItem, const QString& text);
  QStringView SubItemView(const ResultRow& row, int subItem) const;

  std::vector<Column> columns_;
  std::vector<ResultRow> rows_;
  int changedFirst_ = -1;
  int changedLast_ = -1;
};

}  // namespace vistarel
