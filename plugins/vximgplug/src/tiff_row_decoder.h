// The rows of a plain TIFF page (8-bit RGB, samples interleaved, in strips) decoded straight
// into memory the host maps, as FreeImage's loader lays them out: blue first, bottom row first.
// Anything else, and any page whose strips do not all decode whole, is left to FreeImage's
// loader, which then decodes the page as it always did.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "isolated_load.h"

namespace vximgplug {

// Writes the first page's rows, bottom row first, `pitch` bytes apart from `bits`, when it is a
// `width` x `height` page of FreeImage's 24-bit kind; NotThisFile otherwise.
DirectRows DecodeTiffRows(const std::string& path, uint32_t width, uint32_t height, uint32_t bitsPerPixel,
                          uint8_t* bits, size_t pitch);

}  // namespace vximgplug
