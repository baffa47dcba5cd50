// For the decoding helper process only: FreeImage's TIFF reader leaves metadata tags behind whose
// pointers lead nowhere, and reading them faults. In the helper (which holds nothing of the
// host's worth keeping) a fault while copying such a tag skips the tag instead of the load.
#pragma once
#include <functional>

namespace vximgplug {

// Runs `read`; false when it faulted (SIGSEGV or SIGBUS). Installs its handlers on first use,
// so it must only ever run in the helper. `read` must not allocate or own resources.
bool ReadWithoutFault(const std::function<void()>& read);

}  // namespace vximgplug
