#include "gui/Resources.h"

#include <QtGlobal>

// Q_INIT_RESOURCE has to be used outside any namespace.
static void InitVistarelResources() { Q_INIT_RESOURCE(vistarel); }

namespace vistarel {

void InitResources() {
  static const bool done = [] {
    InitVistarelResources();
    return true;
  }();
  (void)done;
}

}  // namespace vistarel
