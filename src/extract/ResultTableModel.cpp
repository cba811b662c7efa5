#include "extract/ResultTableModel.h"

#include <algorithm>

#include "base/Failure.h"

namespace vistarel {

ResultTableModel::ResultTableModel(QObject* parent) : QAbstractTableModel(parent) {}

QString ResultTableModel::HeaderText(int column) const {
  if (column < 1 || column > ColumnCount()) return {};
  return columns_[static_cast<size_t>(column - 1)].header;
}

int ResultTableModel::ColumnWidth(int column) const {
  if (column < 1 || column > ColumnCount()) return 0;
  return columns_[static_cast<size_t>(column - 1)].width;
}

void ResultTableModel::AppendColumn(const QString& header, int width) {
  if (ColumnCount() >= kMaxColumns) {
    throw Failure(QStringLiteral("The result table cannot hold more than %1 columns.")
                      .arg(kMaxColumns));
  }
  const int at = ColumnCount();
  beginInsertColumns({}, at, at);
  columns_.push_back({header, width});
  endInsertColumns();
}

void ResultTableModel::SetColumnWidth(int column, int width) {
  if (column < 1 || column > ColumnCount()) {
    throw Failure(QStringLiteral("Index out of bounds: column %1").arg(column));
  }
  columns_[static_cast<size_t>(column - 1)].width = width;
  Q_EMIT columnWidthChanged(column);
}

void ResultTableModel::RemoveColumnsAfter(int keep) {
  while (ColumnCount() > keep && ColumnCount() > 0) {
    const int last = ColumnCount() - 1;
    beginRemoveColumns({}, last, last);
    columns_.pop_back();
    // What the removed column held goes with it.
    const auto subItemsLeft = static_cast<size_t>(std::max(last - 1, 0));
    for (Row& row : rows_) {
      if (row.subItems.size() > subItemsLeft) row.subItems.resize(subItemsLeft);
    }
    endRemoveColumns();
  }
}

int ResultTableModel::ColumnIndexOf(const QString& text) const {
  const int count = ColumnCount();
  for (int column = 1; column <= count; ++column) {
    if (columns_[static_cast<size_t>(column - 1)].header == text) return column;
  }
  return -1;
}

const ResultTableModel::Row* ResultTableModel::RowAt(int row) const {
  if (row < 1 || row > RowCount()) return nullptr;
  return &rows_[static_cast<size_t>(row - 1)];
}

ResultTableModel::Row* ResultTableModel::RowAt(int row) {
  if (row < 1 || row > RowCount()) return nullptr;
  return &rows_[static_cast<size_t>(row - 1)];
}

int ResultTableModel::AddRow(const QString& path) {
  const int at = RowCount();
  beginInsertRows({}, at, at);
  rows_.push_back({path, {}, false});
  endInsertRows();
  return at + 1;
}

void ResultTableModel::SetSubItem(int row, int subItem, const QString& text) {
  Row* target = RowAt(row);
  if (target == nullptr || subItem < 1 || subItem >= ColumnCount()) {
    throw Failure(QStringLiteral("Index out of bounds: row %1, sub-item %2").arg(row).arg(subItem));
  }
  const auto slot = static_cast<size_t>(subItem - 1);
  if (target->subItems.size() <= slot) {
    if (text.isEmpty()) return;  // an unwritten cell already reads as empty
    target->subItems.resize(slot + 1);
  }
  target->subItems[slot] = text;
  NoteChangedRow(row - 1);
}

void ResultTableModel::NoteChangedRow(int rowIndex) {
  if (changedFirst_ < 0) {
    changedFirst_ = changedLast_ = rowIndex;
    QMetaObject::invokeMethod(this, &ResultTableModel::AnnounceChangedRows, Qt::QueuedConnection);
    return;
  }
  changedFirst_ = std::min(changedFirst_, rowIndex);
  changedLast_ = std::max(changedLast_, rowIndex);
}

void ResultTableModel::AnnounceChangedRows() {
  const int first = changedFirst_;
  // Rows removed since the change need no word: their removal told the views.
  const int last = std::min(changedLast_, RowCount() - 1);
  changedFirst_ = changedLast_ = -1;
  if (first < 0 || first > last || ColumnCount() == 0) return;
  Q_EMIT dataChanged(index(first, 0), index(last, ColumnCount() - 1), {Qt::DisplayRole});
}

QString ResultTableModel::SubItem(int row, int subItem) const {
  const Row* source = RowAt(row);
  if (source == nullptr || subItem < 1) return {};
  const auto slot = static_cast<size_t>(subItem - 1);
  return slot < source->subItems.size() ? source->subItems[slot] : QString();
}

QString ResultTableModel::Cell(int row, int column) const {
  if (column == 1) {
    const Row* source = RowAt(row);
    return source != nullptr ? source->text : QString();
  }
  if (column > ColumnCount()) return {};
  return SubItem(row, column - 1);
}

QStringView ResultTableModel::CellView(int row, int column) const {
  const Row* source = RowAt(row);
  if (source == nullptr || column < 1 || column > ColumnCount()) return {};
  if (column == 1) return source->text;
  const auto slot = static_cast<size_t>(column - 2);
  return slot < source->subItems.size() ? QStringView(source->subItems[slot]) : QStringView();
}

bool ResultTableModel::Included(int row) const {
  const Row* source = RowAt(row);
  return source != nullptr && source->included;
}

void ResultTableModel::SetIncluded(int row, bool included) {
  Row* target = RowAt(row);
  if (target == nullptr) throw Failure(QStringLiteral("Index out of bounds: row %1").arg(row));
  target->included = included;
}

void ResultTableModel::RemoveAllRows() {
  if (rows_.empty()) return;
  beginRemoveRows({}, 0, RowCount() - 1);
  rows_.clear();
  rows_.shrink_to_fit();
  endRemoveRows();
}

int ResultTableModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : RowCount();
}

int ResultTableModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : ColumnCount();
}

QVariant ResultTableModel::data(const QModelIndex& index, int role) const {
  if (role != Qt::DisplayRole || !index.isValid()) return {};
  return Cell(index.row() + 1, index.column() + 1);
}

QVariant ResultTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  return HeaderText(section + 1);
}

}  // namespace vistarel
