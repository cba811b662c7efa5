// "Save Results As Text File"
#include "app/Form1.h"

namespace vistarel {

void Form1::PushButton8_Click() {
  // Built with its own issue.
}

}  // namespace vistarel
