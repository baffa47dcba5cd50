// Plug-in bitmaps whose samples no platform format holds as they are (CMYK ink of any format;
// 16-bit RGB, RGBA and grey of TIFF files), rebuilt row by row as the image the platform's own
// decoders make of the same file.
#pragma once
#include <cstdint>

#include "engine/vexiro_status.h"
#include "plugins/vximgplug/vximgplug.h"

namespace vx::engine {

bool NeedsConvertedRows(const VximgplugApi& api, uint32_t bitmap, int32_t format);

// Registers a new image holding the bitmap's pixels converted; the bitmap stays the caller's.
// UnknownImageFormat for a bitmap that needs no conversion.
VexiroStatus ImageFromConvertedRows(const VximgplugApi& api, uint32_t bitmap, int32_t format, int32_t& id);

}  // namespace vx::engine
