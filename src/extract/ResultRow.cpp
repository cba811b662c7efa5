#include "extract/ResultRow.h"

#include <algorithm>

#include "base/Failure.h"

namespace vistarel {

namespace {

constexpr ResultRow::Ref kKindBits = 2;
// A part of the path: its offset and length, 15 bits each.
constexpr qsizetype kLongestPathPart = 0x7FFF;
// An own text: its offset among the row's texts, 30 bits.
constexpr size_t kLastOwnOffset = (size_t(1) << 30) - 1;
// A length from 32,768 units on takes two units: this bit, then the rest.
constexpr char16_t kLongLength = 0x8000;
// Room for the texts of the row's own, made with the room for its slots.
constexpr size_t kTextRoom = 32;

}  // namespace

ResultRow::Ref ResultRow::PathPartRef(qsizetype offset, qsizetype length) {
  if (offset < 0 || length <= 0 || offset > kLongestPathPart || length > kLongestPathPart)
    return kEmpty;
  return static_cast<Ref>(offset) << 17 | static_cast<Ref>(length) << kKindBits |
         static_cast<Ref>(Kind::PathPart);
}

ResultRow::Ref ResultRow::At(int slot) const {
  if (slot < 0 || slot >= count_)
    return kEmpty;
  const auto at = static_cast<size_t>(slot) * 2;
  return static_cast<Ref>(block_[at]) | static_cast<Ref>(block_[at + 1]) << 16;
}

QStringView ResultRow::PathPart(Ref ref) const {
  return QStringView(path_).mid(ref >> 17, (ref >> kKindBits) & kLongestPathPart);
}

QStringView ResultRow::Own(Ref ref) const {
  size_t at = size_t(count_) * 2 + (ref >> kKindBits);
  qsizetype length = block_[at++];
  if (length & kLongLength)
    length = (length & ~qsizetype(kLongLength)) << 15 | block_[at++];
  return {block_.data() + at, length};
}

void ResultRow::Grow(int count, int room) {
  if (block_.empty())
    block_.reserve(size_t(std::max(count, room)) * 2 + kTextRoom);
  // The own texts sit after the slots and are counted from there: inserting
  // slots moves them without changing a reference.
  block_.insert(block_.begin() + ptrdiff_t(count_) * 2, size_t(count - count_) * 2, 0);
  count_ = static_cast<std::uint16_t>(count);
}

void ResultRow::Store(int slot, Ref ref) {
  const auto at = static_cast<size_t>(slot) * 2;
  block_[at] = static_cast<char16_t>(ref & 0xFFFF);
  block_[at + 1] = static_cast<char16_t>(ref >> 16);
}

void ResultRow::Set(int slot, Ref ref, int room) {
  if (slot >= count_) {
    if (ref == kEmpty)
      return;  // an unwritten cell already reads as empty
    Grow(slot + 1, room);
  }
  Store(slot, ref);
}

void ResultRow::SetOwn(int slot, QStringView text, int room) {
  if (slot >= count_)
    Grow(slot + 1, room);
  const size_t offset = block_.size() - size_t(count_) * 2;
  const auto length = static_cast<size_t>(text.size());
  if (offset + length + 2 > kLastOwnOffset) {
    throw Failure(QStringLiteral("The result table cannot hold a row of more than %1 characters.")
                      .arg(kLastOwnOffset));
  }
  if (length < kLongLength) {
    block_.push_back(static_cast<char16_t>(length));
  } else {
    block_.push_back(static_cast<char16_t>(kLongLength | length >> 15));
    block_.push_back(static_cast<char16_t>(length & (kLongLength - 1)));
  }
  block_.insert(block_.end(), text.utf16(), text.utf16() + length);
  Store(slot, static_cast<Ref>(offset) << kKindBits | static_cast<Ref>(Kind::Own));
}

void ResultRow::Truncate(int count) {
  if (count >= count_)
    return;
  block_.erase(block_.begin() + ptrdiff_t(count) * 2, block_.begin() + ptrdiff_t(count_) * 2);
  count_ = static_cast<std::uint16_t>(std::max(count, 0));
  Seal();
}

void ResultRow::Seal() {
  size_t size = size_t(count_) * 2;
  for (int slot = 0; slot < count_; ++slot) {
    const Ref ref = At(slot);
    if (KindOf(ref) == Kind::Own) {
      const auto length = static_cast<size_t>(Own(ref).size());
      size += length + (length < kLongLength ? 1 : 2);
    }
  }
  if (size == block_.size() && size == block_.capacity())
    return;
  ResultRow sealed(path_);
  sealed.block_.reserve(size);
  sealed.block_.assign(block_.begin(), block_.begin() + ptrdiff_t(count_) * 2);
  sealed.count_ = count_;
  for (int slot = 0; slot < count_; ++slot) {
    const Ref ref = At(slot);
    if (KindOf(ref) == Kind::Own)
      sealed.SetOwn(slot, Own(ref), count_);
  }
  block_.swap(sealed.block_);
}

}  // namespace vistarel
