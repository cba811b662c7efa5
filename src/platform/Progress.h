#pragma once

#include <QString>

namespace vistarel {

// The progress display of the long handlers: a value on a 0 to 100 scale that
// takes real numbers, and a caption shown on the bar.
class IProgress {
 public:
  virtual ~IProgress() = default;
  virtual void SetValue(double value) = 0;
  virtual void SetCaption(const QString& caption) = 0;
};

}  // namespace vistarel
