#include "app/Skin.h"

#include "platform/Platform.h"

namespace vistarel {

void ApplySkin(QWidget& /*window*/, const Platform& /*platform*/) {
  // Built with the skin issue.
}

}  // namespace vistarel
