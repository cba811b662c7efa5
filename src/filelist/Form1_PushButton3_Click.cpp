// "Add All Video File/s In Folder"
#include "app/Form1.h"

namespace vistarel {

void Form1::PushButton3_Click() {
  // Built with its own issue.
}

}  // namespace vistarel
