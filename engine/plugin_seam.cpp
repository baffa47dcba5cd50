// The plug-in services of the savers while the plug-in bridge is not wired in: the plug-in is
// reported absent, so callers fall back to their platform path.
#include "engine/plugin_seam.h"

namespace vx::engine {

bool IsVximgplugAvailable() { return false; }

VexiroStatus SaveGreyJpegThroughPlugin(int32_t, const std::string&, int32_t) { return vexiro::VximgplugDllRequired; }

}  // namespace vx::engine
