// The pixel-format code tables and the row-size rules of buffers exchanged with the platform.
#pragma once
#include <cstdint>
#include <string>

#include "platform/gdiplus/gdiplus_types.h"

namespace vx::engine {

using gdiplus::PixelFormat;

// Bits per pixel of a listed format; 32 for an unlisted non-zero code, 0 for code 0.
int32_t PixelFormatBitDepth(PixelFormat format);
// Bits per pixel of a listed format; 0 for anything else.
int32_t PixelFormatBitDepthStrict(PixelFormat format);
// "1bppIndexed" ... "64bppPARGB"; "Undefined" for anything else.
std::string PixelFormatName(PixelFormat format);

inline bool IsIndexedPixelFormat(PixelFormat format) { return (format & gdiplus::PixelFormatIndexed) != 0; }
inline bool IsAlphaPixelFormat(PixelFormat format) { return (format & gdiplus::PixelFormatAlpha) != 0; }

// Bytes per row of the buffers this system builds: 0 for widths below 1, depths outside 1..64,
// unlisted depths, and 1- and 4-bit rows wider than the supported range (262,112 and 65,504
// pixels), whose stride no longer fits the 16 bits it has always been held in.
int32_t ComputeStride(int32_t width, int32_t bitsPerPixel);
// Bytes a row's pixels occupy, without padding; 0 under the same conditions.
int32_t ComputeRowBytes(int32_t width, int32_t bitsPerPixel);

// Colour-space codes read from the image flags.
enum ImageColorSpaces : int32_t {
  ImageColorSpaceUnknown = 0,
  ImageColorSpaceRGB = 1,
  ImageColorSpaceCMYK = 2,
  ImageColorSpaceGRAY = 3,
  ImageColorSpaceYCBCR = 4,
  ImageColorSpaceYCCK = 5,
};
int32_t ColorSpaceCodeFromFlags(uint32_t imageFlags);

}  // namespace vx::engine
