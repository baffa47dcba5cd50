// The rows of a plain TIFF page (8-bit RGB, samples interleaved, in strips) decoded straight
// into the stream to the host, as FreeImage's loader makes them: blue first. Anything else, and
// any page whose rows do not all decode, is left to FreeImage's loader, which then decodes the
// page as it always did.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "isolated_load.h"
#include "platform/gdiplus/codecs/stored_colour_space.h"

namespace vximgplug {

// Writes the first page's rows, top row first, into `rows` when it is a `width` x `height` page
// of FreeImage's 24-bit kind; NotThisFile otherwise.
DirectRows DecodeTiffRows(const std::string& path, uint32_t width, uint32_t height, uint32_t bitsPerPixel,
                          RowStream& rows);

// The colour space the first page stores, by its photometric interpretation and ink set.
vx::gdiplus::codecs::StoredColourSpace TiffFileColourSpace(const std::string& path);

}  // namespace vximgplug
