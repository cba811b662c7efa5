#pragma once

namespace vistarel {

// Registers the compiled-in resources (the application icon). The library is
// static, so nothing registers them by itself.
void InitResources();

}  // namespace vistarel
