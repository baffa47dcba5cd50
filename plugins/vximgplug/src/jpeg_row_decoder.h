// The rows of a JPEG file decoded straight into the stream to the host, exactly as FreeImage's
// loader decodes them with its default flags (the fast integer transform, no smoothing of
// subsampled chroma, blue first), so that the picture needs neither FreeImage's cleared bitmap
// nor a copy out of it. Only plain colour and greyscale files take this route.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "isolated_load.h"

namespace vximgplug {

// Writes the picture's rows, top row first, into `rows`: 3 bytes a pixel for a colour file, 1 for
// a greyscale one, as `bitsPerPixel` (FreeImage's depth for the file) says.
// NotThisFile when the file is of another kind or size, which FreeImage's loader then decodes.
DirectRows DecodeJpegRows(const std::string& path, uint32_t width, uint32_t height, uint32_t bitsPerPixel,
                          RowStream& rows);

}  // namespace vximgplug
