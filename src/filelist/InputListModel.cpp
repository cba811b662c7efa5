#include "filelist/InputListModel.h"

#include "base/Failure.h"

namespace vistarel {

InputListModel::InputListModel(QObject* parent) : QAbstractListModel(parent) {}

void InputListModel::Append(const QString& path) {
  const int at = Count();
  beginInsertRows({}, at, at);
  entries_.push_back(path);
  endInsertRows();
}

void InputListModel::Append(const QStringList& paths) {
  if (paths.isEmpty())
    return;
  const int at = Count();
  beginInsertRows({}, at, at + static_cast<int>(paths.size()) - 1);
  entries_.insert(entries_.end(), paths.begin(), paths.end());
  endInsertRows();
}

QString InputListModel::Text(int position) const {
  if (position < 1 || position > Count())
    return {};
  return entries_[static_cast<size_t>(position - 1)];
}

void InputListModel::Remove(int position) {
  if (position < 1 || position > Count()) {
    throw Failure(QStringLiteral("Index out of bounds: entry %1").arg(position));
  }
  beginRemoveRows({}, position - 1, position - 1);
  entries_.erase(entries_.begin() + (position - 1));
  endRemoveRows();
}

void InputListModel::Clear() {
  if (entries_.empty())
    return;
  beginRemoveRows({}, 0, Count() - 1);
  entries_.clear();
  entries_.shrink_to_fit();
  endRemoveRows();
}

QStringList InputListModel::Entries() const {
  return {entries_.begin(), entries_.end()};
}

void InputListModel::SetHeader(const QString& header) {
  header_ = header;
  Q_EMIT headerDataChanged(Qt::Horizontal, 0, 0);
}

void InputListModel::SetColumnWidth(int width) {
  columnWidth_ = width;
  Q_EMIT columnWidthChanged();
}

int InputListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : Count();
}

QVariant InputListModel::data(const QModelIndex& index, int role) const {
  if (role != Qt::DisplayRole || !index.isValid())
    return {};
  return Text(index.row() + 1);
}

QVariant InputListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (section != 0 || orientation != Qt::Horizontal || role != Qt::DisplayRole)
    return {};
  return header_;
}

}  // namespace vistarel
