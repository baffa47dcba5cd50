// Filling a new image in one colour, row by row through a write lock.
#include "engine/load/new_image_fill.h"

#include <cstring>
#include <limits>

#include "engine/image_access.h"
#include "engine/image_graphics.h"
#include "engine/pixel_formats.h"

namespace vx::engine {

using namespace vx::gdiplus;

namespace {

int32_t ChannelDistance(ARGB a, ARGB b, int shift) {
  const int32_t d = static_cast<int32_t>((a >> shift) & 0xFF) - static_cast<int32_t>((b >> shift) & 0xFF);
  return d * d;
}

// The palette entry closest to the colour in RGB and alpha; the lowest index wins a tie.
uint8_t NearestPaletteIndex(const ColorPalette& palette, ARGB colour) {
  uint8_t best = 0;
  int32_t bestDistance = std::numeric_limits<int32_t>::max();
  const UINT count = palette.Count < 256 ? palette.Count : 256;
  for (UINT i = 0; i < count; ++i) {
    const ARGB e = palette.Entries[i];
    const int32_t d = ChannelDistance(e, colour, 24) + ChannelDistance(e, colour, 16) + ChannelDistance(e, colour, 8) +
                      ChannelDistance(e, colour, 0);
    if (d < bestDistance) {
      bestDistance = d;
      best = static_cast<uint8_t>(i);
    }
  }
  return best;
}

// The byte that repeats an index across every pixel it holds.
uint8_t IndexFillByte(uint8_t index, int32_t bits) {
  if (bits == 1) return index ? 0xFF : 0x00;
  if (bits == 4) return static_cast<uint8_t>((index & 0x0F) * 0x11);
  return index;
}

// Indexed rows filled with one repeated byte.
VexiroStatus FillIndexRows(int32_t id, PixelFormat format, uint8_t fill, int32_t bits) {
  int32_t width = 0, height = 0;
  VexiroStatus s = GetImageWidth(id, width);
  if (s == vexiro::OK) s = GetImageHeight(id, height);
  if (s != vexiro::OK) return s;
  BitmapData data;
  s = LockImageBits(id, GpRect{0, 0, width, height}, ImageLockModeWrite, format, data);
  if (s != vexiro::OK) return s;
  const auto rowBytes = static_cast<size_t>(ComputeRowBytes(width, bits));
  auto* row = static_cast<uint8_t*>(data.Scan0);
  for (int32_t y = 0; y < height; ++y, row += data.Stride) std::memset(row, fill, rowBytes);
  return UnlockImageBits(id, data);
}

}  // namespace

PixelFormat PixelFormatOfBitDepth(int32_t bits) {
  switch (bits) {
    case 1:
      return PixelFormat1bppIndexed;
    case 4:
      return PixelFormat4bppIndexed;
    case 8:
      return PixelFormat8bppIndexed;
    case 16:
      return PixelFormat16bppRGB555;
    case 24:
      return PixelFormat24bppRGB;
    case 32:
      return PixelFormat32bppARGB;
    case 48:
      return PixelFormat48bppRGB;
    case 64:
      return PixelFormat64bppPARGB;
    default:
      return 0;
  }
}

namespace {

VexiroStatus ClearThroughGraphics(int32_t id, ARGB colour) {
  GpGraphics* graphics = nullptr;
  VexiroStatus s = GetImageGraphics(id, graphics);
  if (s != vexiro::OK) return s;
  s = ToStatus(GdipGraphicsClear(graphics, colour));
  GdipDeleteGraphics(graphics);
  return s;
}

VexiroStatus FillWithNearestIndex(int32_t id, PixelFormat format, ARGB colour) {
  int32_t bytes = 0;
  ColorPalette palette;
  VexiroStatus s = GetImagePaletteSize(id, bytes);
  if (s == vexiro::OK) s = GetImagePalette(id, palette, bytes);
  if (s != vexiro::OK) return s;
  const int32_t bits = PixelFormatBitDepth(format);
  const uint8_t fill = IndexFillByte(NearestPaletteIndex(palette, colour), bits);
  // Whole bytes are written; a row's last byte may carry padding bits, which nothing reads.
  return FillIndexRows(id, format, fill, bits);
}

}  // namespace

VexiroStatus FillNewImage(int32_t id, ARGB colour) {
  const PixelFormat format = GetImagePixelFormatValue(id);
  return IsIndexedPixelFormat(format) ? FillWithNearestIndex(id, format, colour) : ClearThroughGraphics(id, colour);
}

}  // namespace vx::engine
