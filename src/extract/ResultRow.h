#pragma once

#include <QString>
#include <QStringView>

#include <cstdint>
#include <vector>

namespace vistarel {

// One row of the result table: the file's path and a reference for each
// sub-item, all in one block of memory with the texts only this row holds.
// A reference says where a cell's text is: nowhere (empty), among the texts
// its column shares, in a part of the row's path (the name, the folder), or
// in the row's own texts. The table decides which; the row keeps them.
class ResultRow {
 public:
  using Ref = std::uint32_t;
  enum class Kind { Empty, Shared, PathPart, Own };
  static constexpr Ref kEmpty = 0;

  explicit ResultRow(QString path) : path_(std::move(path)) {}

  static Kind KindOf(Ref ref) {
    return ref == kEmpty ? Kind::Empty : static_cast<Kind>(ref & 3u);
  }
  static Ref SharedRef(int number) { return static_cast<Ref>(number) << 2 | 1u; }
  static int SharedNumber(Ref ref) { return static_cast<int>(ref >> 2); }
  // A part of the path; kEmpty when the path is too long to refer into.
  static Ref PathPartRef(qsizetype offset, qsizetype length);

  const QString& Path() const { return path_; }
  bool Included() const { return included_; }
  void SetIncluded(bool included) { included_ = included; }

  // The sub-items held: those up to the highest written.
  int Count() const { return count_; }
  // The reference of sub-item slot `slot` (from 0); kEmpty past the count.
  Ref At(int slot) const;
  // The text a reference into the row's path or own texts stands for.
  QStringView PathPart(Ref ref) const;
  QStringView Own(Ref ref) const;

  // Sets a slot, growing the row to it; `room` is the number of slots to make
  // room for at once, so that a row filled cell by cell grows only once.
  void Set(int slot, Ref ref, int room);
  // Sets a slot to a text of the row's own.
  void SetOwn(int slot, QStringView text, int room);
  // Keeps only the first `count` slots.
  void Truncate(int count);
  // Takes exactly the memory its cells need: the texts no slot refers to any
  // more go, and so does the room kept for growing.
  void Seal();

 private:
  void Grow(int count, int room);
  void Store(int slot, Ref ref);

  // The slots' references, two units each, then the own texts, each after
  // its length in one unit (or two, from 32,768 units on).
  QString path_;
  std::vector<char16_t> block_;
  std::uint16_t count_ = 0;
  bool included_ = false;
};

}  // namespace vistarel
