// "Add Video File/s"
#include "app/Form1.h"

namespace vistarel {

void Form1::PushButton1_Click() {
  // Built with its own issue.
}

}  // namespace vistarel
