#pragma once

class QWidget;

namespace vistarel {

struct Platform;

// The first start-up step: restyles the window when the skin file is beside the
// program.
void ApplySkin(QWidget& window, const Platform& platform);

}  // namespace vistarel
