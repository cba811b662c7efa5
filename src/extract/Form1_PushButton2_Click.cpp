// "Start Extracting Metadata"
#include "app/Form1.h"

namespace vistarel {

void Form1::PushButton2_Click() {
  // Built with its own issue.
}

}  // namespace vistarel
