// Reducing an image to 8-bit indexed form with the octree palette.
#include <algorithm>
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

VexiroStatus Reduce(int32_t id, int32_t& newId, int32_t& colorCount, ColorPalette& palette, bool transparency,
                    int32_t keyColor) {
  int32_t width = 0, height = 0;
  VexiroStatus s = GetImageWidth(id, width);
  if (s == vexiro::OK) s = GetImageHeight(id, height);
  if (s != vexiro::OK) return s;
  std::vector<uint8_t> rgb;
  s = ReadWholeImage(id, gdiplus::PixelFormat24bppRGB, 24, rgb);
  if (s != vexiro::OK) return s;
  const int32_t stride24 = ComputeStride(width, 24);
  OctreeQuantize(stride24, height, stride24 - 3 * width, rgb.data(), rgb.size(), colorCount, kTreeDepth);

  int32_t stride8 = 0;
  std::vector<uint8_t> indices = IndexRows(rgb, width, height, stride8);
  rgb = {};
  FillOctreePalette(palette, colorCount);
  const Rgb key = FromColorRef(keyColor);
  const int32_t transparent = transparency ? FindKeyEntry(palette, key) : -1;

  s = MakeIndexedImage(width, height, indices, stride8, palette, newId);
  if (s != vexiro::OK || transparent < 0) return s;
  palette.Entries[transparent] = MakeARGB(0, key);
  palette.Flags |= gdiplus::PaletteFlagsHasAlpha;
  SetImagePaletteRaw(newId, palette);
  return vexiro::OK;
}

}  // namespace

VexiroStatus ReduceImageColors(int32_t id, int32_t& newId, int32_t& colorCount, ColorPalette& palette,
                               bool transparency, int32_t keyColor) {
  newId = 0;
  colorCount = std::clamp(colorCount, kMinColors, kMaxColors);
  if (GetImageIndex(id) < 0) return vexiro::OK;
  return TrapRuntimeErrors([&] { return Reduce(id, newId, colorCount, palette, transparency, keyColor); });
}

}  // namespace vx::engine
