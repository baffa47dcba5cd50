#include "engine/pixel_formats.h"

#include <array>
#include <limits>

namespace vx::engine {
namespace {

using namespace vx::gdiplus;

struct FormatInfo {
  PixelFormat code;
  const char* name;
  int32_t bits;
};

constexpr std::array<FormatInfo, 14> kFormats = {{
    {PixelFormat1bppIndexed, "1bppIndexed", 1},
    {PixelFormat4bppIndexed, "4bppIndexed", 4},
    {PixelFormat8bppIndexed, "8bppIndexed", 8},
    {PixelFormat16bppGrayScale, "16bppGrayScale", 16},
    {PixelFormat16bppRGB555, "16bppRGB555", 16},
    {PixelFormat16bppRGB565, "16bppRGB565", 16},
    {PixelFormat16bppARGB1555, "16bppARGB1555", 16},
    {PixelFormat24bppRGB, "24bppRGB", 24},
    {PixelFormat32bppRGB, "32bppRGB", 32},
    {PixelFormat32bppARGB, "32bppARGB", 32},
    {PixelFormat32bppPARGB, "32bppPARGB", 32},
    {PixelFormat48bppRGB, "48bppRGB", 48},
    {PixelFormat64bppARGB, "64bppARGB", 64},
    {PixelFormat64bppPARGB, "64bppPARGB", 64},
}};

const FormatInfo* Find(PixelFormat format) {
  for (const FormatInfo& f : kFormats)
    if (f.code == format) return &f;
  return nullptr;
}

// The 1- and 4-bit strides have always been held in 16 bits.
constexpr int64_t kMaxNarrowStride = 32767;

int32_t Fit(int64_t bytes) {
  return bytes > std::numeric_limits<int32_t>::max() ? 0 : static_cast<int32_t>(bytes);
}

}  // namespace

int32_t PixelFormatBitDepth(PixelFormat format) {
  if (format == PixelFormatUndefined) return 0;
  const FormatInfo* f = Find(format);
  return f ? f->bits : 32;
}

int32_t PixelFormatBitDepthStrict(PixelFormat format) {
  const FormatInfo* f = Find(format);
  return f ? f->bits : 0;
}

std::string PixelFormatName(PixelFormat format) {
  const FormatInfo* f = Find(format);
  return f ? f->name : "Undefined";
}

int32_t ComputeStride(int32_t width, int32_t bitsPerPixel) {
  if (width < 1 || bitsPerPixel < 1 || bitsPerPixel > 64) return 0;
  const int64_t w = width;
  const int64_t groups32 = (w + 31) / 32;
  switch (bitsPerPixel) {
    case 1: return groups32 * 4 > kMaxNarrowStride ? 0 : static_cast<int32_t>(groups32 * 4);
    case 4: return groups32 * 16 > kMaxNarrowStride ? 0 : static_cast<int32_t>(groups32 * 16);
    case 8: return Fit((w + 3) / 4 * 4);
    case 16: return Fit((2 * w + 2) & ~int64_t{2});
    case 24: return Fit((3 * w + 3) & ~int64_t{3});
    case 32: return Fit(4 * w);
    case 48: return Fit((6 * w + 6) & ~int64_t{6});
    case 64: return Fit(8 * w);
    default: return 0;
  }
}

int32_t ComputeRowBytes(int32_t width, int32_t bitsPerPixel) {
  if (width < 1 || bitsPerPixel < 1 || bitsPerPixel > 64) return 0;
  const int64_t w = width;
  switch (bitsPerPixel) {
    case 1: return Fit((w + 7) / 8);
    case 4: return Fit((w + 1) / 2);
    case 8: case 16: case 24: case 32: case 48: case 64: return Fit(w * (bitsPerPixel / 8));
    default: return 0;
  }
}

int32_t ColorSpaceCodeFromFlags(uint32_t flags) {
  int32_t code = ImageColorSpaceUnknown;
  if (flags & ImageFlagsColorSpaceRGB) code = ImageColorSpaceRGB;
  if (flags & ImageFlagsColorSpaceCMYK) code = ImageColorSpaceCMYK;
  if (flags & ImageFlagsColorSpaceGRAY) code = ImageColorSpaceGRAY;
  if (flags & ImageFlagsColorSpaceYCBCR) code = ImageColorSpaceYCBCR;
  if (flags & ImageFlagsColorSpaceYCCK) code = ImageColorSpaceYCCK;
  return code;
}

}  // namespace vx::engine
