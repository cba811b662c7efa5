// "Load Sample/Example Files"
#include "app/Form1.h"

namespace vistarel {

void Form1::PushButton10_Click() {
  // Built with its own issue.
}

}  // namespace vistarel
