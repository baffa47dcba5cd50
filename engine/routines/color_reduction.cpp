// Reducing an image to 8-bit indexed form with the octree palette.
#include <algorithm>
#include <array>
#include <cstdlib>
#include <new>
#include <vector>

#include "engine/image_access.h"
#include "engine/image_store.h"
#include "engine/load/from_memory.h"
#include "engine/pixel_formats.h"
#include "engine/runtime_error.h"
#include "engine/routines/octree_quantizer.h"

namespace vx::engine {

using gdiplus::ARGB;
using gdiplus::ColorPalette;

namespace {

constexpr int32_t kMinColors = 8;
constexpr int32_t kMaxColors = 256;
constexpr int32_t kTreeDepth = 8;
// A palette colour this close to the key colour (summed channel distance) becomes transparent.
constexpr int32_t kKeyDistanceLimit = 4;

struct Rgb {
  int32_t red, green, blue;
};

Rgb FromColorRef(int32_t colorRef) {
  const auto v = static_cast<uint32_t>(colorRef);
  return {static_cast<int32_t>(v & 0xFF), static_cast<int32_t>((v >> 8) & 0xFF), static_cast<int32_t>((v >> 16) & 0xFF)};
}

ARGB MakeARGB(uint32_t alpha, const Rgb& c) {
  return (alpha << 24) | (static_cast<uint32_t>(c.red) << 16) | (static_cast<uint32_t>(c.green) << 8) |
         static_cast<uint32_t>(c.blue);
}

// Rows of width bytes padded to 4, each byte the palette index of its pixel.
std::vector<uint8_t> IndexRows(const std::vector<uint8_t>& rgb, int32_t width, int32_t height, int32_t& stride8) {
  const int32_t stride24 = ComputeStride(width, 24);
  stride8 = ComputeStride(width, 8);
  std::vector<uint8_t> indices(static_cast<size_t>(stride8) * static_cast<size_t>(height), 0);
  for (int32_t y = 0; y < height; ++y) {
    const uint8_t* src = rgb.data() + static_cast<size_t>(y) * static_cast<size_t>(stride24);
    uint8_t* dst = indices.data() + static_cast<size_t>(y) * static_cast<size_t>(stride8);
    OctreeIndexRow(src, width, dst);
  }
  return indices;
}

void FillOctreePalette(ColorPalette& palette, int32_t& colorCount) {
  const int32_t entries = std::min(OctreeGetLeafCount() + 1, kMaxColors);
  palette = ColorPalette{};
  for (int32_t i = 0; i < entries; ++i) {
    uint8_t b = 0, g = 0, r = 0;
    OctreeGetPaletteEntry(i, b, g, r);
    palette.Entries[i] = MakeARGB(255, {r, g, b});
  }
  colorCount = entries;
  palette.Count = static_cast<uint32_t>(entries);
  palette.Flags = gdiplus::PaletteFlagsHalftone;
}

int32_t FindKeyEntry(const ColorPalette& palette, const Rgb& key) {
  for (uint32_t i = 0; i < palette.Count; ++i) {
    const ARGB e = palette.Entries[i];
    const int32_t distance = std::abs(static_cast<int32_t>((e >> 16) & 0xFF) - key.red) +
                             std::abs(static_cast<int32_t>((e >> 8) & 0xFF) - key.green) +
                             std::abs(static_cast<int32_t>(e & 0xFF) - key.blue);
    if (distance < kKeyDistanceLimit) return static_cast<int32_t>(i);
  }
  return -1;
}

// The 8bppIndexed bitmap over the index rows, registered as `newId`.
VexiroStatus MakeIndexedImage(int32_t width, int32_t height, std::vector<uint8_t>& indices, int32_t stride8,
                              const ColorPalette& palette, int32_t& newId) {
  newId = 0;
  ScopedImage made;
  VexiroStatus s = CreateImageFromScan0(width, height, 0, gdiplus::PixelFormat8bppIndexed, 0, *made.put(), false);
  if (s != vexiro::OK) return s;
  SetImagePaletteRaw(made.get(), palette);
  gdiplus::BitmapData data;
  data.Width = static_cast<gdiplus::UINT>(width);
  data.Height = static_cast<gdiplus::UINT>(height);
  data.Stride = stride8;
  data.PixelFormat = gdiplus::PixelFormat8bppIndexed;
  data.Scan0 = indices.data();
  gdiplus::PixelFormat format = gdiplus::PixelFormat8bppIndexed;
  const gdiplus::GpRect whole{0, 0, width, height};
  s = LockImageBits(made.get(), whole, gdiplus::ImageLockModeWrite | gdiplus::ImageLockModeUserInputBuf, format, data);
  if (s == vexiro::OK) s = UnlockImageBits(made.get(), data);
  if (s == vexiro::OK) newId = made.Keep();
  return s;
}

// The palette indices of 24-bit rows, with the palette of their octree of at most colorCount
// colours (colorCount then holds the palette's size).
std::vector<uint8_t> QuantizeRows(const std::vector<uint8_t>& rgb, int32_t width, int32_t height, int32_t& colorCount,
                                  ColorPalette& palette, int32_t& stride8) {
  const int32_t stride24 = ComputeStride(width, 24);
  OctreeQuantize(stride24, height, stride24 - 3 * width, rgb.data(), rgb.size(), colorCount, kTreeDepth);
  std::vector<uint8_t> indices = IndexRows(rgb, width, height, stride8);
  FillOctreePalette(palette, colorCount);
  return indices;
}

VexiroStatus ReadSize(int32_t id, int32_t& width, int32_t& height) {
  const VexiroStatus s = GetImageWidth(id, width);
  return s == vexiro::OK ? GetImageHeight(id, height) : s;
}

VexiroStatus Reduce(int32_t id, int32_t& newId, int32_t& colorCount, ColorPalette& palette, bool transparency,
                    int32_t keyColor) {
  int32_t width = 0, height = 0;
  VexiroStatus s = ReadSize(id, width, height);
  if (s != vexiro::OK) return s;
  std::vector<uint8_t> rgb;
  s = ReadWholeImage(id, gdiplus::PixelFormat24bppRGB, 24, rgb);
  if (s != vexiro::OK) return s;
  int32_t stride8 = 0;
  std::vector<uint8_t> indices = QuantizeRows(rgb, width, height, colorCount, palette, stride8);
  rgb = {};
  const Rgb key = FromColorRef(keyColor);
  const int32_t transparent = transparency ? FindKeyEntry(palette, key) : -1;

  s = MakeIndexedImage(width, height, indices, stride8, palette, newId);
  if (s != vexiro::OK || transparent < 0) return s;
  palette.Entries[transparent] = MakeARGB(0, key);
  palette.Flags |= gdiplus::PaletteFlagsHasAlpha;
  SetImagePaletteRaw(newId, palette);
  return vexiro::OK;
}

constexpr size_t kArgbBytes = 4;
constexpr size_t kAlphaByte = 3;

// The colour a fully transparent pixel is given before quantising: that of the first opaque
// pixel, so it brings no colour of its own into the palette (black when there is none).
std::array<uint8_t, 3> ClearPixelFiller(const std::vector<uint8_t>& argb) {
  for (size_t at = 0; at + kArgbBytes <= argb.size(); at += kArgbBytes)
    if (argb[at + kAlphaByte] != 0) return {argb[at], argb[at + 1], argb[at + 2]};
  return {0, 0, 0};
}

// The 24-bit rows of 32-bit rows (no padding) with the filler in place of every fully
// transparent pixel; the count of those pixels.
int64_t RgbRowsOfArgb(const std::vector<uint8_t>& argb, int32_t width, int32_t height, std::vector<uint8_t>& rgb) {
  const std::array<uint8_t, 3> filler = ClearPixelFiller(argb);
  const auto stride24 = static_cast<size_t>(ComputeStride(width, 24));
  const size_t w = static_cast<size_t>(width);
  rgb.assign(stride24 * static_cast<size_t>(height), 0);
  int64_t clear = 0;
  for (size_t y = 0; y < static_cast<size_t>(height); ++y) {
    const uint8_t* src = argb.data() + y * w * kArgbBytes;
    uint8_t* dst = rgb.data() + y * stride24;
    for (size_t x = 0; x < w; ++x, src += kArgbBytes, dst += 3) {
      const bool isClear = src[kAlphaByte] == 0;
      clear += isClear;
      std::copy_n(isClear ? filler.data() : src, 3, dst);
    }
  }
  return clear;
}

void MarkClearPixels(const std::vector<uint8_t>& argb, int32_t width, int32_t height, std::vector<uint8_t>& indices,
                     int32_t stride8, uint8_t clearIndex) {
  const size_t w = static_cast<size_t>(width);
  for (size_t y = 0; y < static_cast<size_t>(height); ++y) {
    const uint8_t* src = argb.data() + y * w * kArgbBytes;
    uint8_t* dst = indices.data() + y * static_cast<size_t>(stride8);
    for (size_t x = 0; x < w; ++x)
      if (src[x * kArgbBytes + kAlphaByte] == 0) dst[x] = clearIndex;
  }
}

VexiroStatus ReduceWithClearEntry(int32_t id, int32_t& newId, int64_t& clearPixels) {
  int32_t width = 0, height = 0;
  VexiroStatus s = ReadSize(id, width, height);
  if (s != vexiro::OK) return s;
  std::vector<uint8_t> argb, rgb;
  s = ReadWholeImage(id, gdiplus::PixelFormat32bppARGB, 32, argb);
  if (s != vexiro::OK) return s;
  if (argb.size() < static_cast<size_t>(width) * static_cast<size_t>(height) * kArgbBytes) return vexiro::GenericError;
  clearPixels = RgbRowsOfArgb(argb, width, height, rgb);
  // One entry stays free for the transparent pixels when there are any.
  int32_t colorCount = clearPixels > 0 ? kMaxColors - 1 : kMaxColors;
  ColorPalette palette;
  int32_t stride8 = 0;
  std::vector<uint8_t> indices = QuantizeRows(rgb, width, height, colorCount, palette, stride8);
  rgb = {};
  if (clearPixels > 0) {
    const auto clearIndex = static_cast<uint8_t>(palette.Count);
    palette.Entries[clearIndex] = MakeARGB(0, {0, 0, 0});
    palette.Count += 1;
    palette.Flags |= gdiplus::PaletteFlagsHasAlpha;
    MarkClearPixels(argb, width, height, indices, stride8, clearIndex);
  }
  return MakeIndexedImage(width, height, indices, stride8, palette, newId);
}

}  // namespace

VexiroStatus ReduceImageColorsKeepingClearPixels(int32_t id, int32_t& newId, int64_t& clearPixels) {
  newId = 0;
  clearPixels = 0;
  if (GetImageIndex(id) < 0) return vexiro::OK;
  return TrapRuntimeErrors([&] { return ReduceWithClearEntry(id, newId, clearPixels); });
}

VexiroStatus ReduceImageColors(int32_t id, int32_t& newId, int32_t& colorCount, ColorPalette& palette,
                               bool transparency, int32_t keyColor) {
  newId = 0;
  colorCount = std::clamp(colorCount, kMinColors, kMaxColors);
  if (GetImageIndex(id) < 0) return vexiro::OK;
  return TrapRuntimeErrors([&] { return Reduce(id, newId, colorCount, palette, transparency, keyColor); });
}

}  // namespace vx::engine
