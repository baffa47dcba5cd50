// The palette members: reading, setting, swapping and flagging the palette of the current image
// when it is indexed, and marking one of its colours transparent.
#include <algorithm>
#include <utility>
#include <vector>

#include "engine/image_access.h"
#include "engine/pixel_formats.h"
#include "vexiro/imaging.h"

namespace vexiro {

namespace engine = vx::engine;
using vx::gdiplus::ARGB;
using vx::gdiplus::ColorPalette;

namespace {

constexpr uint32_t kMaxPaletteEntries = 256;

bool IsOpaque(ARGB c) { return (c >> 24) == 0xFF; }
bool IsTransparent(ARGB c) { return (c >> 24) == 0; }

// Locks the whole image in its own format for the given mode and unlocks it again.
VexiroStatus TouchWholeImage(int32_t id, uint32_t mode) {
  int32_t width = 0, height = 0;
  VexiroStatus s = engine::GetImageWidth(id, width);
  if (s == OK) s = engine::GetImageHeight(id, height);
  if (s != OK) return s;
  vx::gdiplus::PixelFormat format = engine::GetImagePixelFormatValue(id);
  vx::gdiplus::BitmapData data;
  s = engine::LockImageBits(id, vx::gdiplus::GpRect{0, 0, width, height}, mode, format, data);
  if (s != OK) return s;
  return engine::UnlockImageBits(id, data);
}

// The palette an array stands for; its flags say whether any entry is less than opaque.
ColorPalette PaletteFromArray(const BasicArray<int32_t>& colors, uint32_t count) {
  ColorPalette p;
  p.Count = count;
  const int32_t lower = colors.LBound(1);
  bool alpha = false;
  for (uint32_t i = 0; i < count; ++i) {
    p.Entries[i] = static_cast<ARGB>(colors(lower + static_cast<int32_t>(i)));
    alpha = alpha || !IsOpaque(p.Entries[i]);
  }
  p.Flags = alpha ? vx::gdiplus::PaletteFlagsHasAlpha : vx::gdiplus::PaletteFlagsHalftone;
  return p;
}

BasicArray<int32_t> ArrayFromPalette(const ColorPalette& p) {
  std::vector<int32_t> values(p.Entries, p.Entries + std::min(p.Count, kMaxPaletteEntries));
  return BasicArray<int32_t>::FromVector(std::move(values));
}

uint32_t ElementCount(const BasicArray<int32_t>& a) { return a.Rank() == 1 ? static_cast<uint32_t>(a.Bound(1).count) : 0; }

}  // namespace

bool cImaging::CurrentImageIsIndexed() {
  vx::gdiplus::PixelFormat format = 0;
  nStat = engine::GetImagePixelFormat(nNativeImage, format);
  return nStat == OK && engine::IsIndexedPixelFormat(format);
}

VexiroStatus cImaging::ReadCurrentPalette(ColorPalette& palette) {
  int32_t bytes = 0;
  nStat = engine::GetImagePaletteSize(nNativeImage, bytes);
  if (nStat == OK) nStat = engine::GetImagePalette(nNativeImage, palette, bytes);
  return nStat;
}

VexiroStatus cImaging::WriteCurrentPalette(const ColorPalette& palette) {
  nStat = TouchWholeImage(nNativeImage, vx::gdiplus::ImageLockModeRead);
  if (nStat == OK) nStat = engine::SetImagePalette(nNativeImage, palette);
  if (nStat == OK) nStat = TouchWholeImage(nNativeImage, vx::gdiplus::ImageLockModeWrite);
  return nStat;
}

VexiroStatus cImaging::ColorPaletteGet(BasicArray<int32_t>& nARGBColorsArray, int32_t& nEntriesCount) {
  nEntriesCount = 0;
  if (!CurrentImageIsIndexed()) return nStat = NotIndexedPixelFormat;
  ColorPalette palette;
  if (ReadCurrentPalette(palette) != OK) return nStat;
  if (palette.Count > 0) {
    nARGBColorsArray = ArrayFromPalette(palette);
    nEntriesCount = static_cast<int32_t>(std::min(palette.Count, kMaxPaletteEntries));
  }
  return nStat;
}

VexiroStatus cImaging::ColorPaletteSet(BasicArray<int32_t>& nARGBColorsArray) {
  if (!CurrentImageIsIndexed()) return nStat = NotIndexedPixelFormat;
  const uint32_t count = ElementCount(nARGBColorsArray);
  if (count > kMaxPaletteEntries) return nStat = InvalidParameter;
  if (count == 0) return nStat;
  return WriteCurrentPalette(PaletteFromArray(nARGBColorsArray, count));
}

int32_t cImaging::ColorPaletteGetEntrie(int32_t nEntrie) {
  if (!CurrentImageIsIndexed()) {
    nStat = NotIndexedPixelFormat;
    return 0;
  }
  ColorPalette palette;
  if (ReadCurrentPalette(palette) != OK) return 0;
  if (nEntrie < 0 || static_cast<uint32_t>(nEntrie) >= std::min(palette.Count, kMaxPaletteEntries)) return 0;
  return static_cast<int32_t>(palette.Entries[nEntrie]);
}

int32_t cImaging::ColorPaletteGetColorsCount() {
  if (!CurrentImageIsIndexed()) {
    nStat = NotIndexedPixelFormat;
    return 0;
  }
  ColorPalette palette;
  if (ReadCurrentPalette(palette) != OK) return 0;
  return static_cast<int32_t>(palette.Count);
}

ColorPaletteType cImaging::ColorPaletteGetType() {
  if (!CurrentImageIsIndexed()) {
    nStat = NotIndexedPixelFormat;
    return ColorPaletteTypeUndefined;
  }
  ColorPalette palette;
  if (ReadCurrentPalette(palette) != OK) return ColorPaletteTypeUndefined;
  return static_cast<ColorPaletteType>(palette.Flags);
}

VexiroStatus cImaging::ColorPaletteSwapEntries(int32_t nEntrie1, int32_t nEntrie2) {
  if (!CurrentImageIsIndexed()) return nStat = NotIndexedPixelFormat;
  ColorPalette palette;
  if (ReadCurrentPalette(palette) != OK) return nStat;
  const auto count = static_cast<int32_t>(std::min(palette.Count, kMaxPaletteEntries));
  if (nEntrie1 < 0 || nEntrie1 >= count || nEntrie2 < 0 || nEntrie2 >= count) return nStat = InvalidParameter;
  std::swap(palette.Entries[nEntrie1], palette.Entries[nEntrie2]);
  BasicArray<int32_t> colors = ArrayFromPalette(palette);
  return ColorPaletteSet(colors);
}

VexiroStatus cImaging::ColorPaletteSetTransparentColor(int32_t nColorARGB) {
  BasicArray<int32_t> colors;
  int32_t count = 0;
  if (ColorPaletteGet(colors, count) != OK) return nStat;
  std::vector<int32_t>& entries = colors.Data();
  const auto clear = static_cast<int32_t>(static_cast<uint32_t>(nColorARGB) & 0x00FFFFFFu);
  bool replaced = false;
  for (int32_t i = 0; i < count; ++i) {
    if (entries[static_cast<size_t>(i)] != nColorARGB) continue;
    entries[static_cast<size_t>(i)] = clear;
    replaced = true;
  }
  if (!replaced) {
    // The colour joins the palette as a new entry, when the pixel format has room for one, so
    // no pixel changes colour.
    const int32_t capacity = 1 << std::min(engine::GetImageBitDepthStrict(nNativeImage), 8);
    if (count >= capacity) return nStat;
    std::vector<int32_t> grown(entries.begin(), entries.begin() + count);
    grown.push_back(clear);
    colors = BasicArray<int32_t>::FromVector(std::move(grown));
  }
  return ColorPaletteSet(colors);
}

int32_t cImaging::ColorPaletteGetTransparentColor() {
  BasicArray<int32_t> colors;
  int32_t count = 0;
  ColorPaletteGet(colors, count);
  int32_t found = 0;
  for (int32_t i = 0; i < count; ++i)
    if (IsTransparent(static_cast<ARGB>(colors(i)))) found = colors(i);
  return found;
}

bool cImaging::ColorPaletteHasTransparentColor() {
  BasicArray<int32_t> colors;
  int32_t count = 0;
  ColorPaletteGet(colors, count);
  for (int32_t i = 0; i < count; ++i)
    if (IsTransparent(static_cast<ARGB>(colors(i)))) return true;
  return false;
}

VexiroStatus cImaging::ColorPaletteConvertToHalftone() {
  if (nNativeImage == 0) return nStat = GenericError;
  if (!CurrentImageIsIndexed()) return nStat = NotIndexedPixelFormat;
  ColorPalette palette;
  if (ReadCurrentPalette(palette) != OK) return nStat;
  palette.Flags |= vx::gdiplus::PaletteFlagsHalftone;
  return WriteCurrentPalette(palette);
}

}  // namespace vexiro
