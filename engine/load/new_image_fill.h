// Blank images: the pixel format of each supported depth and the first fill in a colour.
#pragma once
#include <cstdint>

#include "engine/vexiro_status.h"
#include "platform/gdiplus/gdiplus_types.h"

namespace vx::engine {

// 1, 4, 8, 16, 24, 32, 48 and 64 bits; 0 for any other depth.
gdiplus::PixelFormat PixelFormatOfBitDepth(int32_t bits);
// Direct formats are cleared to the colour through a graphics object; indexed formats, on which
// no graphics can draw, take the palette entry nearest to it.
VexiroStatus FillNewImage(int32_t id, gdiplus::ARGB colour);

}  // namespace vx::engine
