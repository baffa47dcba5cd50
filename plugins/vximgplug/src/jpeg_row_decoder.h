// The rows of a JPEG file decoded straight into the stream to the host, exactly as FreeImage's
// loader decodes them with its default flags (the fast integer transform, no smoothing of
// subsampled chroma, blue first), so that the picture needs neither FreeImage's cleared bitmap
// nor a copy out of it. Plain colour and greyscale files take this route, and CMYK and YCCK files
// loaded with their ink kept (as CMYK samples, 0 for no ink, whether or not the file stores them
// complemented).
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "isolated_load.h"
#include "platform/gdiplus/codecs/stored_colour_space.h"

namespace vximgplug {

// Writes the picture's rows, top row first, into `rows`: 3 bytes a pixel for a colour file, 1 for
// a greyscale one, 4 for a CMYK or YCCK one, as `bitsPerPixel` (FreeImage's depth for the file)
// says.
// NotThisFile when the file is of another kind or size, which FreeImage's loader then decodes.
DirectRows DecodeJpegRows(const std::string& path, uint32_t width, uint32_t height, uint32_t bitsPerPixel,
                          RowStream& rows);

// The colour space the file's frame stores, as libjpeg reads it from the header and markers.
vx::gdiplus::codecs::StoredColourSpace JpegFileColourSpace(const std::string& path);

}  // namespace vximgplug
