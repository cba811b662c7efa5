// "Save Results As Excel File"
#include "app/Form1.h"

namespace vistarel {

void Form1::PushButton9_Click() {
  // Built with its own issue.
}

}  // namespace vistarel
