// Pixel format checks and the default palettes of new indexed bitmaps.
#include "platform/gdiplus/pixel_format_info.h"

#include <array>

#include "platform/gdiplus/image_object.h"

namespace vx::gdiplus {

bool IsBitmapPixelFormat(PixelFormat format) {
  switch (format) {
    case PixelFormat1bppIndexed:
    case PixelFormat4bppIndexed:
    case PixelFormat8bppIndexed:
    case PixelFormat16bppGrayScale:
    case PixelFormat16bppRGB555:
    case PixelFormat16bppRGB565:
    case PixelFormat16bppARGB1555:
    case PixelFormat24bppRGB:
    case PixelFormat32bppRGB:
    case PixelFormat32bppARGB:
    case PixelFormat32bppPARGB:
    case PixelFormat48bppRGB:
    case PixelFormat64bppARGB:
    case PixelFormat64bppPARGB:
      return true;
    default:
      return false;
  }
}

Status CheckBitmapSize(INT width, INT height) {
  if (width <= 0 || height <= 0) return InvalidParameter;
  if (int64_t{width} * height > kMaxBitmapPixels) return OutOfMemory;
  return Ok;
}

namespace {

// The 16 colours of the VGA palette in the system order: the eight dark colours (with grey 0x80
// at 7), then light grey, then the seven bright colours.
void FillSystemColours(std::vector<ARGB>& palette) {
  for (UINT i = 0; i < 8; ++i) {
    ARGB c = 0xff000000;
    if (i & 1) c |= 0x800000;
    if (i & 2) c |= 0x008000;
    if (i & 4) c |= 0x000080;
    palette[i] = c;
  }
  palette[8] = 0xffc0c0c0;
  for (UINT i = 9; i < 16; ++i) {
    ARGB c = 0xff000000;
    if (i & 1) c |= 0xff0000;
    if (i & 2) c |= 0x00ff00;
    if (i & 4) c |= 0x0000ff;
    palette[i] = c;
  }
}

// The halftone palette of 8-bit bitmaps: the 16 system colours, 24 unused (transparent black)
// entries, then the 6x6x6 colour cube with blue varying fastest.
std::vector<ARGB> HalftonePalette() {
  static constexpr std::array<ARGB, 6> kLevels = {0x00, 0x33, 0x66, 0x99, 0xcc, 0xff};
  std::vector<ARGB> palette(256, 0);
  FillSystemColours(palette);
  for (UINT i = 40; i < 256; ++i) {
    const UINT cube = i - 40;
    palette[i] = 0xff000000 | kLevels[cube % 6] | kLevels[(cube / 6) % 6] << 8 | kLevels[(cube / 36) % 6] << 16;
  }
  return palette;
}

}  // namespace

std::vector<ARGB> DefaultPalette(PixelFormat format) {
  switch (format) {
    case PixelFormat1bppIndexed:
      return {0xff000000, 0xffffffff};
    case PixelFormat4bppIndexed: {
      std::vector<ARGB> palette(16, 0);
      FillSystemColours(palette);
      return palette;
    }
    case PixelFormat8bppIndexed:
      return HalftonePalette();
    default:
      return {};
  }
}

UINT DefaultPaletteFlags(PixelFormat format) {
  switch (format) {
    case PixelFormat1bppIndexed:
      return PaletteFlagsGrayScale;
    case PixelFormat8bppIndexed:
      return PaletteFlagsHalftone;
    default:
      return 0;
  }
}

}  // namespace vx::gdiplus
