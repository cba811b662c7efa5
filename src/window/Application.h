#pragma once

namespace vistarel {

// Makes the platform layers, shows the main window centred and runs the event
// loop until the window closes.
int RunApplication(int argc, char** argv);

}  // namespace vistarel
