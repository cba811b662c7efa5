// "Copy Results To Clipboard"
#include "app/Form1.h"

namespace vistarel {

void Form1::PushButton4_Click() {
  // Built with its own issue.
}

}  // namespace vistarel
