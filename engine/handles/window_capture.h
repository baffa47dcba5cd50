// Captures a window (0: the whole desktop) into a new image of 32 bits per pixel.
#pragma once
#include <cstdint>

#include "engine/vexiro_status.h"

namespace vx::engine {

// Without a display, or for a window the display does not know, the result is InvalidParameter,
// as for a window whose device context cannot be had.
VexiroStatus CaptureWindowImage(uint32_t window, int32_t& id);

}  // namespace vx::engine
