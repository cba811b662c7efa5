#pragma once

#include <QString>

namespace vistarel {

class IClipboard {
 public:
  virtual ~IClipboard() = default;
  virtual void Clear() = 0;
  virtual void SetText(const QString& text) = 0;
  virtual QString Text() = 0;
};

}  // namespace vistarel
