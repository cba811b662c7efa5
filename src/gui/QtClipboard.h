#pragma once

#include "platform/Clipboard.h"

namespace vistarel {

class QtClipboard final : public IClipboard {
 public:
  void Clear() override;
  void SetText(const QString& text) override;
  QString Text() override;
};

}  // namespace vistarel
