#include "extract/ResultTableModel.h"

#include <algorithm>
#include <thread>
#include <utility>

#include "base/Failure.h"

namespace vistarel {

namespace {

// Tables from this size on take longer to free than a frame lasts.
constexpr size_t kRowsFreedAside = 50000;

}  // namespace

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
  columns_.push_back({header, width, {}});
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
    // The column's shared texts go with it, and so do the row's cells under it.
    columns_.pop_back();
    const int subItemsLeft = std::max(last - 1, 0);
    for (ResultRow& row : rows_) row.Truncate(subItemsLeft);
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

const ResultRow* ResultTableModel::RowAt(int row) const {
  if (row < 1 || row > RowCount()) return nullptr;
  return &rows_[static_cast<size_t>(row - 1)];
}

ResultRow* ResultTableModel::RowAt(int row) {
  if (row < 1 || row > RowCount()) return nullptr;
  return &rows_[static_cast<size_t>(row - 1)];
}

int ResultTableModel::AddRow(const QString& path) {
  const int at = RowCount();
  // The run fills one row after another: the row before is complete.
  if (!rows_.empty()) rows_.back().Seal();
  beginInsertRows({}, at, at);
  rows_.emplace_back(path);
  endInsertRows();
  return at + 1;
}

void ResultTableModel::SetSubItem(int row, int subItem, const QString& text) {
  ResultRow* target = RowAt(row);
  if (target == nullptr || subItem < 1 || subItem >= ColumnCount()) {
    throw Failure(QStringLiteral("Index out of bounds: row %1, sub-item %2").arg(row).arg(subItem));
  }
  if (text.isEmpty()) {
    target->Set(subItem - 1, ResultRow::kEmpty, ColumnCount() - 1);
  } else {
    Place(*target, subItem, text);
  }
  // A row before the last one is complete already and stays as small as it was.
  if (row < RowCount()) target->Seal();
  NoteChangedRow(row - 1);
}

void ResultTableModel::Place(ResultRow& row, int subItem, const QString& text) {
  const int slot = subItem - 1;
  const int room = ColumnCount() - 1;
  const QString& path = row.Path();
  if (text.size() == path.size() && text == path) {
    const ResultRow::Ref whole = ResultRow::PathPartRef(0, path.size());
    if (whole != ResultRow::kEmpty) return row.Set(slot, whole, room);
  }
  SharedTexts& shared = columns_[static_cast<size_t>(subItem)].shared;
  int number = shared.Find(text);
  if (number >= 0) return row.Set(slot, ResultRow::SharedRef(number), room);
  // The file's name and folder are parts of its path; checked before sharing,
  // so that a column of names does not fill its shared texts with them.
  const qsizetype at = path.indexOf(text);
  if (at >= 0) {
    const ResultRow::Ref part = ResultRow::PathPartRef(at, text.size());
    if (part != ResultRow::kEmpty) return row.Set(slot, part, room);
  }
  number = shared.Add(text);
  if (number >= 0) return row.Set(slot, ResultRow::SharedRef(number), room);
  row.SetOwn(slot, text, room);
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

QStringView ResultTableModel::SubItemView(const ResultRow& row, int subItem) const {
  const ResultRow::Ref ref = row.At(subItem - 1);
  switch (ResultRow::KindOf(ref)) {
    case ResultRow::Kind::Shared:
      return columns_[static_cast<size_t>(subItem)].shared.Text(ResultRow::SharedNumber(ref));
    case ResultRow::Kind::PathPart:
      return row.PathPart(ref);
    case ResultRow::Kind::Own:
      return row.Own(ref);
    case ResultRow::Kind::Empty:
      break;
  }
  return {};
}

QString ResultTableModel::SubItem(int row, int subItem) const {
  const ResultRow* source = RowAt(row);
  if (source == nullptr || subItem < 1 || subItem >= ColumnCount()) return {};
  const ResultRow::Ref ref = source->At(subItem - 1);
  // A shared text or the whole path is handed out as it is held, without a copy.
  if (ResultRow::KindOf(ref) == ResultRow::Kind::Shared)
    return columns_[static_cast<size_t>(subItem)].shared.Text(ResultRow::SharedNumber(ref));
  if (ResultRow::KindOf(ref) == ResultRow::Kind::PathPart &&
      source->PathPart(ref).size() == source->Path().size())
    return source->Path();
  return SubItemView(*source, subItem).toString();
}

QString ResultTableModel::Cell(int row, int column) const {
  if (column == 1) {
    const ResultRow* source = RowAt(row);
    return source != nullptr ? source->Path() : QString();
  }
  return SubItem(row, column - 1);
}

QStringView ResultTableModel::CellView(int row, int column) const {
  const ResultRow* source = RowAt(row);
  if (source == nullptr || column < 1 || column > ColumnCount()) return {};
  if (column == 1) return source->Path();
  return SubItemView(*source, column - 1);
}

bool ResultTableModel::Included(int row) const {
  const ResultRow* source = RowAt(row);
  return source != nullptr && source->Included();
}

void ResultTableModel::SetIncluded(int row, bool included) {
  ResultRow* target = RowAt(row);
  if (target == nullptr) throw Failure(QStringLiteral("Index out of bounds: row %1").arg(row));
  target->SetIncluded(included);
}

void ResultTableModel::RemoveAllRows() {
  if (rows_.empty()) return;
  beginRemoveRows({}, 0, RowCount() - 1);
  std::vector<ResultRow> old = std::exchange(rows_, {});
  // Freeing a million rows outlasts several frames; a thread of its own lets
  // them go while the window answers. The rows hold nothing but memory, and
  // their paths' counts are atomic.
  if (old.size() >= kRowsFreedAside)
    std::thread([rows = std::move(old)]() mutable { rows = {}; }).detach();
  // No row refers to a shared text any more.
  for (Column& column : columns_) column.shared.Clear();
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
