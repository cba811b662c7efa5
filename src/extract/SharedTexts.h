#pragma once

#include <QHash>
#include <QString>
#include <QStringView>

#include <vector>

namespace vistarel {

// The texts one result column shares among its rows, each held once and known
// by its number. Formats, codecs, rates and most dates repeat down a column;
// a column whose values hardly repeat (sizes, frame counts) stops sharing at
// kMost texts and leaves the rest to the rows.
class SharedTexts {
 public:
  static constexpr int kMost = 1024;

  // The number of `text`, or -1 when it is not shared.
  int Find(QStringView text) const;
  // Shares a copy of `text`, which must not be shared yet; -1 when the column
  // shares as many texts as it may.
  int Add(QStringView text);
  const QString& Text(int number) const { return texts_[static_cast<size_t>(number)]; }
  void Clear();

 private:
  std::vector<QString> texts_;
  // Views of the texts above: a QString's characters stay where they are when
  // the vector moves the QString itself.
  QHash<QStringView, int> numbers_;
};

}  // namespace vistarel
