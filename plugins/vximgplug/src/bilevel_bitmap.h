// 1-bit FreeImage bitmaps from and to rows of packed samples, most significant bit first.
#pragma once
#include <FreeImage.h>

#include <cstdint>
#include <vector>

namespace vximgplug {

// A 1-bit bitmap whose index 0 is white and 1 black, filled from top-down rows of
// rowBytes each (bit 1 = black). nullptr when it cannot be made.
FIBITMAP* BilevelFromRows(const uint8_t* rows, uint32_t width, uint32_t height, size_t rowBytes);

// Top-down rows of ceil(width / 8) bytes with bit 1 = black, from a 1-bit bitmap of either
// palette order. Empty when the bitmap is not 1-bit.
std::vector<uint8_t> BlackIsOneRows(FIBITMAP* dib, bool topRowFirst);

// A copy of a 1-bit bitmap, bottom row first, whose set bits mean black (oneIsBlack) or white,
// for writers that store the bits and ignore the palette. nullptr for other bitmaps.
FIBITMAP* BilevelForWriter(FIBITMAP* dib, bool topRowFirst, bool oneIsBlack);

// Checks for dimensions worth allocating.
bool DimensionsAcceptable(uint64_t width, uint64_t height);

}  // namespace vximgplug
