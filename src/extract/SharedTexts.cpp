#include "extract/SharedTexts.h"

namespace vistarel {

int SharedTexts::Find(QStringView text) const {
  return numbers_.value(text, -1);
}

int SharedTexts::Add(QStringView text) {
  if (texts_.size() >= kMost)
    return -1;
  const int number = static_cast<int>(texts_.size());
  // A copy of its own size: the caller's text may sit in a larger buffer.
  texts_.push_back(text.toString());
  numbers_.insert(QStringView(texts_.back()), number);
  return number;
}

void SharedTexts::Clear() {
  numbers_ = {};
  texts_ = {};
}

}  // namespace vistarel
