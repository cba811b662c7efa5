#pragma once

#include <QAbstractListModel>
#include <QString>

#include <vector>

namespace vistarel {

// The input file list: the queue of paths the next extraction run processes.
// Positions are numbered from 1; entries are appended at the end only and keep
// their text exactly; duplicates are allowed.
class InputListModel final : public QAbstractListModel {
  Q_OBJECT

 public:
  explicit InputListModel(QObject* parent = nullptr);

  void Append(const QString& path);
  void Append(const QStringList& paths);
  int Count() const { return static_cast<int>(entries_.size()); }
  // The text at position 1..Count; empty text outside.
  QString Text(int position) const;
  void Remove(int position);
  void Clear();
  // Every entry, in order: the list as it stands now.
  QStringList Entries() const;

  void SetHeader(const QString& header);
  // The width of the list's one column, in twips.
  int ColumnWidth() const { return columnWidth_; }
  void SetColumnWidth(int width);

  // QAbstractListModel
  int rowCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 Q_SIGNALS:
  void columnWidthChanged();

 private:
  std::vector<QString> entries_;
  QString header_;
  int columnWidth_ = 0;
};

}  // namespace vistarel
