// The plug-in JPEG saver while it is not wired to the bridge: it reports the plug-in absent, so
// callers fall back to their platform path. Presence itself is the bridge's answer.
#include "engine/plugin_seam.h"

namespace vx::engine {

VexiroStatus SaveGreyJpegThroughPlugin(int32_t, const std::string&, int32_t) { return vexiro::VximgplugDllRequired; }

}  // namespace vx::engine
