// The pixel-format members: straight format changes through the platform's read-lock
// conversion, and the system's own converters to 1, 4 and 8 bits per pixel (thresholds, fixed
// and caller palettes, the colour cube and three kinds of grey). Each puts the new bitmap under
// the current identifier, with the resolution and metadata the old one had.
#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "engine/gdiplus_lifetime.h"
#include "engine/image_access.h"
#include "engine/image_store.h"
#include "engine/load/from_memory.h"
#include "engine/pixel_formats.h"
#include "engine/runtime_error.h"
#include "processing/color/color_values.h"
#include "processing/color/nearest_entry.h"
#include "processing/filters/filter_engine.h"
#include "processing/filters/filter_procedures.h"
#include "vexiro/imaging.h"

namespace vexiro {

namespace {

namespace engine = vx::engine;
namespace gp = vx::gdiplus;
using gp::ARGB;
using gp::ColorPalette;

// The new image's pixels: rows of `stride` bytes from the top, and its palette when it has one.
struct IndexedImage {
  gp::PixelFormat format = 0;
  int32_t stride = 0;
  std::vector<uint8_t> rows;
  bool hasPalette = false;
  ColorPalette palette;
};

using Pixels = std::vector<uint32_t>;

VexiroStatus ReadSource(int32_t id, int32_t w, int32_t h, gp::PixelFormat format, Pixels& pixels) {
  pixels.assign(static_cast<size_t>(w) * static_cast<size_t>(h), 0);
  gp::BitmapData data;
  data.Width = static_cast<gp::UINT>(w);
  data.Height = static_cast<gp::UINT>(h);
  data.Stride = 4 * w;
  data.PixelFormat = format;
  data.Scan0 = pixels.data();
  VexiroStatus s = engine::LockImageBits(id, gp::GpRect{0, 0, w, h},
                                         gp::ImageLockModeRead | gp::ImageLockModeUserInputBuf, format, data);
  if (s == OK) s = engine::UnlockImageBits(id, data);
  return s;
}

// Rows of `bits`-per-pixel indices, the leftmost pixel of a byte in its highest bits.
template <class IndexOf>
IndexedImage BuildIndices(const Pixels& pixels, int32_t w, int32_t h, int32_t bits, IndexOf indexOf) {
  IndexedImage out;
  out.stride = engine::ComputeStride(w, bits);
  out.rows.assign(static_cast<size_t>(out.stride) * static_cast<size_t>(h), 0);
  const int perByte = 8 / bits;
  for (int32_t y = 0; y < h; ++y) {
    const uint32_t* src = pixels.data() + static_cast<size_t>(y) * w;
    uint8_t* row = out.rows.data() + static_cast<size_t>(y) * out.stride;
    if (bits == 8) {
      for (int32_t x = 0; x < w; ++x) row[x] = indexOf(src[x]);
      continue;
    }
    for (int32_t x = 0; x < w; ++x) {
      const int shift = bits * (perByte - 1 - x % perByte);
      row[x / perByte] |= static_cast<uint8_t>(indexOf(src[x]) << shift);
    }
  }
  return out;
}

ColorPalette FixedSixteenColours() {
  static const uint8_t kRgb[16][3] = {{0, 0, 0},       {0, 0, 128},   {0, 128, 0},   {0, 128, 128},
                                      {128, 0, 0},     {128, 0, 128}, {128, 128, 0}, {128, 128, 128},
                                      {192, 192, 192}, {0, 0, 255},   {0, 255, 0},   {0, 255, 255},
                                      {255, 0, 0},     {255, 0, 255}, {255, 255, 0}, {255, 255, 255}};
  ColorPalette p;
  p.Flags = gp::PaletteFlagsHalftone;
  p.Count = 16;
  for (int i = 0; i < 16; ++i)
    p.Entries[i] = static_cast<ARGB>(vx::processing::cColor::MakeARGB(255, kRgb[i][0], kRgb[i][1], kRgb[i][2]));
  return p;
}

template <class IsWhite>
IndexedImage OneBitImage(const Pixels& pixels, int32_t w, int32_t h, IsWhite isWhite) {
  IndexedImage out = BuildIndices(pixels, w, h, 1, [&](uint32_t p) { return static_cast<uint8_t>(isWhite(p)); });
  out.format = gp::PixelFormat1bppIndexed;
  return out;
}

IndexedImage NearestColourImage(const Pixels& pixels, int32_t w, int32_t h, const ColorPalette& palette) {
  vx::processing::NearestEntry nearest(palette.Entries, palette.Count);
  IndexedImage out = BuildIndices(pixels, w, h, 4, [&](uint32_t p) { return nearest.Find(p); });
  out.format = gp::PixelFormat4bppIndexed;
  out.hasPalette = true;
  out.palette = palette;
  return out;
}

IndexedImage EightBit(IndexedImage out, const ColorPalette& palette) {
  out.format = gp::PixelFormat8bppIndexed;
  out.hasPalette = true;
  out.palette = palette;
  return out;
}

// The new bitmap over the index rows; 8-bit images go through a DIB section from platform 6.0 on.
VexiroStatus MakeIndexedImage(IndexedImage& image, int32_t w, int32_t h, int32_t& newId) {
  newId = 0;
  if (image.format == gp::PixelFormat8bppIndexed && !engine::GdiplusBefore60())
    return engine::CreateImageFromDIBits(newId, h, w, image.rows.data(), image.rows.size(), image.palette);
  VexiroStatus s = engine::CreateImageFromScan0(w, h, 0, image.format, 0, newId, false);
  if (s != OK) return s;
  if (image.hasPalette) s = engine::SetImagePalette(newId, image.palette);
  if (s == OK) {
    gp::BitmapData data;
    data.Width = static_cast<gp::UINT>(w);
    data.Height = static_cast<gp::UINT>(h);
    data.Stride = image.stride;
    data.PixelFormat = image.format;
    data.Scan0 = image.rows.data();
    gp::PixelFormat format = image.format;
    s = engine::LockImageBits(newId, gp::GpRect{0, 0, w, h}, gp::ImageLockModeWrite | gp::ImageLockModeUserInputBuf,
                              format, data);
    if (s == OK) s = engine::UnlockImageBits(newId, data);
  }
  if (s != OK) {
    engine::ReleaseImage(newId);
    newId = 0;
  }
  return s;
}

uint8_t BlueOf(uint32_t p) { return static_cast<uint8_t>(p); }
uint8_t GreenOf(uint32_t p) { return static_cast<uint8_t>(p >> 8); }
uint8_t RedOf(uint32_t p) { return static_cast<uint8_t>(p >> 16); }

}  // namespace

template <class Rule>
VexiroStatus cImaging::ConvertOwn(int32_t sourceFormat, Rule rule) {
  if (nNativeImage == 0) return nStat = GenericError;
  nStat = engine::TrapRuntimeErrors([&] {
    SaveImageProperties(nNativeImage);
    const int32_t w = nSavedWidth, h = nSavedHeight;
    Pixels pixels;
    VexiroStatus s = ReadSource(nNativeImage, w, h, static_cast<gp::PixelFormat>(sourceFormat), pixels);
    if (s != OK) return s;
    IndexedImage target = rule(pixels, w, h);
    pixels = {};
    int32_t newId = 0;
    s = MakeIndexedImage(target, w, h, newId);
    if (s != OK) return s;
    RestoreImageProperties(newId);
    if (engine::ReplaceImage(nNativeImage, newId) == 0) {
      engine::ReleaseImage(newId);
      return GenericError;
    }
    return OK;
  });
  return nStat;
}

VexiroStatus cImaging::ConvertByFormat(int32_t format) {
  int32_t newId = 0;
  return engine::ConvertImagePixelFormat(nNativeImage, static_cast<gp::PixelFormat>(format), false, newId);
}

VexiroStatus cImaging::ConvertToPixelFormatCR(int32_t nPixelDepth) {
  struct DepthFormat {
    int32_t depth;
    gp::PixelFormat format;
  };
  static const DepthFormat kFormats[] = {
      {1, gp::PixelFormat1bppIndexed},  {4, gp::PixelFormat4bppIndexed}, {8, gp::PixelFormat8bppIndexed},
      {16, gp::PixelFormat16bppRGB555}, {24, gp::PixelFormat24bppRGB},   {32, gp::PixelFormat32bppARGB},
      {48, gp::PixelFormat48bppRGB},    {64, gp::PixelFormat64bppPARGB},
  };
  for (const DepthFormat& f : kFormats)
    if (f.depth == nPixelDepth) return nStat = ConvertByFormat(static_cast<int32_t>(f.format));
  return nStat = InvalidParameter;
}

VexiroStatus cImaging::ConvertTo4Bpp() { return ConvertByFormat(gp::PixelFormat4bppIndexed); }
VexiroStatus cImaging::ConvertTo16BppRGB555() { return ConvertByFormat(gp::PixelFormat16bppRGB555); }
VexiroStatus cImaging::ConvertTo16BppRGB565() { return ConvertByFormat(gp::PixelFormat16bppRGB565); }
VexiroStatus cImaging::ConvertTo24BppRGB() { return ConvertByFormat(gp::PixelFormat24bppRGB); }
VexiroStatus cImaging::ConvertTo32BppARGB() { return ConvertByFormat(gp::PixelFormat32bppARGB); }
VexiroStatus cImaging::ConvertTo32BppPARGB() { return ConvertByFormat(gp::PixelFormat32bppPARGB); }
VexiroStatus cImaging::ConvertTo32BppRGB() { return ConvertByFormat(gp::PixelFormat32bppRGB); }
VexiroStatus cImaging::ConvertTo48BppRGB() { return ConvertByFormat(gp::PixelFormat48bppRGB); }
VexiroStatus cImaging::ConvertTo64BppARGB() { return ConvertByFormat(gp::PixelFormat64bppPARGB); }

// White where red, green and blue are all at least 126; alpha is not read.
VexiroStatus cImaging::ConvertTo1Bpp() {
  return ConvertOwn(gp::PixelFormat32bppRGB, [](const Pixels& px, int32_t w, int32_t h) {
    return OneBitImage(px, w, h, [](uint32_t p) { return BlueOf(p) > 125 && GreenOf(p) > 125 && RedOf(p) > 125; });
  });
}

// White only for opaque white.
VexiroStatus cImaging::ConvertTo1BppFast() {
  return ConvertOwn(gp::PixelFormat32bppARGB, [](const Pixels& px, int32_t w, int32_t h) {
    return OneBitImage(px, w, h, [](uint32_t p) { return p == 0xFFFFFFFFu; });
  });
}

VexiroStatus cImaging::ConvertTo4Bpp16() {
  return ConvertOwn(gp::PixelFormat32bppARGB, [](const Pixels& px, int32_t w, int32_t h) {
    return NearestColourImage(px, w, h, FixedSixteenColours());
  });
}

VexiroStatus cImaging::ConvertTo4BppPal(BasicArray<int32_t>& nARGBColorsArray) {
  if (nNativeImage == 0) return nStat = GenericError;
  // No colours would make every pixel index 0 of an empty palette: nothing to convert to.
  if (nARGBColorsArray.Rank() != 1 || nARGBColorsArray.Bound(1).count < 1) return nStat = InvalidParameter;
  ColorPalette palette;
  palette.Flags = gp::PaletteFlagsHalftone;
  palette.Count = static_cast<uint32_t>(std::min(nARGBColorsArray.Bound(1).count, 16));
  const int32_t lower = nARGBColorsArray.LBound(1);
  for (uint32_t i = 0; i < palette.Count; ++i)
    palette.Entries[i] = static_cast<ARGB>(nARGBColorsArray(lower + static_cast<int32_t>(i)));
  return ConvertOwn(gp::PixelFormat32bppARGB,
                    [&](const Pixels& px, int32_t w, int32_t h) { return NearestColourImage(px, w, h, palette); });
}

VexiroStatus cImaging::ConvertTo4BppQ() {
  int32_t colours = 16;
  if (QuantizeCore(colours, false, 0) != OK) return nStat;
  BasicArray<int32_t> palette;
  int32_t count = 0;
  if (ColorPaletteGet(palette, count) != OK) return nStat;
  ConvertTo4BppPal(palette);
  return nStat;
}

VexiroStatus cImaging::ConvertTo8Bpp216() {
  return ConvertOwn(gp::PixelFormat32bppARGB, [](const Pixels& px, int32_t w, int32_t h) {
    static const auto kLevel = vx::processing::MakeByteTable<256>([](int v) { return std::nearbyint(v / 51.0); });
    ColorPalette cube;
    cube.Flags = gp::PaletteFlagsHalftone;
    cube.Count = 216;
    for (int b = 0; b < 6; ++b)
      for (int g = 0; g < 6; ++g)
        for (int r = 0; r < 6; ++r)
          cube.Entries[r + 6 * g + 36 * b] = static_cast<ARGB>(vx::processing::cColor::MakeARGB(
              255, static_cast<uint8_t>(51 * r), static_cast<uint8_t>(51 * g), static_cast<uint8_t>(51 * b)));
    return EightBit(
        BuildIndices(px, w, h, 8,
                     [](uint32_t p) {
                       return static_cast<uint8_t>(36 * kLevel[BlueOf(p)] + 6 * kLevel[GreenOf(p)] + kLevel[RedOf(p)]);
                     }),
        cube);
  });
}

VexiroStatus cImaging::ConvertToGrayScaleCore(int32_t mode) {
  return ConvertOwn(gp::PixelFormat32bppARGB, [mode](const Pixels& px, int32_t w, int32_t h) {
    const std::array<uint8_t, 766>& mean = vx::processing::RoundedThirdOfSum();
    ColorPalette ramp;
    ramp.Flags = gp::PaletteFlagsGrayScale;
    ramp.Count = 256;
    for (uint32_t i = 0; i < 256; ++i) ramp.Entries[i] = 0xFF000000u | i * 0x010101u;
    const auto grey = [mode, &mean](uint32_t p) -> uint8_t {
      if (mode == 1)
        return static_cast<uint8_t>(std::nearbyint((222 * RedOf(p) + 707 * GreenOf(p) + 71 * BlueOf(p)) / 1000.0));
      if (mode == 2) return mean[RedOf(p) + GreenOf(p) + BlueOf(p)];
      return BlueOf(p);
    };
    return EightBit(BuildIndices(px, w, h, 8, grey), ramp);
  });
}

VexiroStatus cImaging::ConvertTo8BppGrayScale() { return ConvertToGrayScaleCore(2); }
VexiroStatus cImaging::ConvertTo8BppGrayScaleAdv() { return ConvertToGrayScaleCore(1); }

// Softening first spreads a bitonal picture's edges into greys; the blue channel then carries them.
VexiroStatus cImaging::ConvertBitonalToGrayScale(int32_t nSoftenValue) {
  nStat = ConvertTo24BppRGB();
  if (nStat != OK) return nStat;
  InitROI();
  double unused = 0;
  vx::processing::ApplyFilter(vx::processing::FilterIDSoften, nNativeImage, std::clamp(nSoftenValue, 1, 100), ROIArea,
                              0, 0.5f, 1.0f, 0, 0, 0, unused);
  return ConvertToGrayScaleCore(3);
}

VexiroStatus cImaging::ConvertTo8BppQ() {
  int32_t colours = 256;
  return QuantizeCore(colours, false, 0);
}

VexiroStatus cImaging::Quantize8Bpp(int32_t nColors) { return QuantizeCore(nColors, false, 0); }

}  // namespace vexiro
