// The few format plug-in services the savers call. The plug-in bridge answers them once it is
// wired in; until then the plug-in counts as absent, and every route that prefers it takes its
// platform path instead.
#pragma once
#include <cstdint>
#include <string>

#include "engine/vexiro_status.h"

namespace vx::engine {

// True when the format plug-in is present (a non-zero version was recorded for it).
bool IsVximgplugAvailable();

// Writes an 8-bit grey image as JPEG through the plug-in; `quality` is handed over as the
// plug-in's save flags. OK only when the plug-in wrote the file; VximgplugDllRequired when it
// is absent.
VexiroStatus SaveGreyJpegThroughPlugin(int32_t imageId, const std::string& path, int32_t quality);

}  // namespace vx::engine
