// Reading and writing runs of pixels of every bitmap format as the two conversion
// intermediates: 32-bit ARGB and 64-bit ARGB (16 bits per channel), both not premultiplied.
#pragma once
#include <cstddef>
#include <cstdint>

#include "platform/gdiplus/gdiplus_types.h"

namespace vx::gdiplus {

class PaletteMatcher;

struct PaletteRef {
  const ARGB* entries = nullptr;
  size_t count = 0;
};

// `x` is the pixel offset of the run within `row`; sub-byte formats are addressed by it.
void DecodeArgb32(const uint8_t* row, PixelFormat format, PaletteRef palette, INT x, INT count, uint32_t* out);
void DecodeArgb64(const uint8_t* row, PixelFormat format, PaletteRef palette, INT x, INT count, uint64_t* out);
// Indexed targets take the matcher's nearest entry; sub-byte writes keep neighbouring pixels.
void EncodeArgb32(const uint32_t* in, INT count, uint8_t* row, PixelFormat format, PaletteMatcher* matcher, INT x);
void EncodeArgb64(const uint64_t* in, INT count, uint8_t* row, PixelFormat format, PaletteMatcher* matcher, INT x);

// Index access for the indexed formats (1, 4, 8 bits).
uint32_t ReadIndex(const uint8_t* row, UINT bits, INT x);
void WriteIndex(uint8_t* row, UINT bits, INT x, uint32_t index);

}  // namespace vx::gdiplus
