// Byte metrics of the 14 bitmap pixel formats and the size limits every bitmap obeys.
#pragma once
#include <cstddef>
#include <cstdint>

#include "platform/gdiplus/gdiplus_types.h"

namespace vx::gdiplus {

// Bitmaps are bounded so that every buffer derived from them (a full 64-bit lock, a row of
// conversion work, an owned pixel block) stays allocatable and every offset fits in 64 bits:
// at most 2^28 pixels (16384 x 16384), and at most 1 GiB of owned pixel memory.
constexpr int64_t kMaxBitmapPixels = int64_t{1} << 28;
constexpr int64_t kMaxOwnedBitmapBytes = int64_t{1} << 30;

// Bytes that `width` pixels occupy without padding (sub-byte formats rounded up).
constexpr int64_t RowBytes(int64_t width, PixelFormat format) {
  return (width * GetPixelFormatSize(format) + 7) / 8;
}

// The platform stride: rows padded to a multiple of 4 bytes.
constexpr int64_t PlatformStride(int64_t width, PixelFormat format) {
  return (width * GetPixelFormatSize(format) + 31) / 32 * 4;
}

// Size checks shared by every bitmap constructor: dimensions positive, pixel count bounded.
Status CheckBitmapSize(INT width, INT height);

// Whether a pixel format carries 16 bits per channel (converted through 64-bit pixels).
constexpr bool HasWideChannels(PixelFormat format) {
  return format == PixelFormat16bppGrayScale || format == PixelFormat48bppRGB ||
         format == PixelFormat64bppARGB || format == PixelFormat64bppPARGB;
}

// Number of palette entries an indexed format can address (0 for other formats).
constexpr size_t IndexedCapacity(PixelFormat format) {
  return IsIndexedPixelFormat(format) ? size_t{1} << GetPixelFormatSize(format) : 0;
}

}  // namespace vx::gdiplus
