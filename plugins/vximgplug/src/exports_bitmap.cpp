// Bitmap queries, conversions and in-place changes.
#include <cstring>
#include <limits>

#include "../vximgplug.h"
#include "bilevel_bitmap.h"
#include "guarded_call.h"
#include "plugin_objects.h"

using namespace vximgplug;

namespace {

// A conversion result keeps its source's row order: every conversion maps row to row.
uint32_t AddConverted(uint32_t source, FIBITMAP* (*convert)(FIBITMAP*)) {
  Bitmap* b = Bitmaps().Find(source);
  if (!b || !FreeImage_HasPixels(b->dib)) return 0;
  return AddBitmap(convert(b->dib), b->topRowFirst);
}

template <class Query>
int32_t QueryInt(uint32_t bitmap, int32_t none, Query query) {
  return Guarded<int32_t>(none, [&] {
    FIBITMAP* dib = DibOf(bitmap);
    return dib ? static_cast<int32_t>(query(dib)) : none;
  });
}

uint32_t RawBitsLine(int32_t width, int32_t bpp) {
  return static_cast<uint32_t>((static_cast<uint64_t>(width) * static_cast<uint64_t>(bpp) + 7) / 8);
}

bool KnownRawDepth(int32_t bpp) {
  switch (bpp) {
    case 1: case 4: case 8: case 16: case 24: case 32: return true;
    default: return false;
  }
}

}  // namespace

extern "C" {

int32_t VXIMGPLUG_GetWidth(uint32_t bitmap) { return QueryInt(bitmap, 0, FreeImage_GetWidth); }
int32_t VXIMGPLUG_GetHeight(uint32_t bitmap) { return QueryInt(bitmap, 0, FreeImage_GetHeight); }
int32_t VXIMGPLUG_GetPitch(uint32_t bitmap) { return QueryInt(bitmap, 0, FreeImage_GetPitch); }
int32_t VXIMGPLUG_GetBPP(uint32_t bitmap) { return QueryInt(bitmap, 0, FreeImage_GetBPP); }
int32_t VXIMGPLUG_GetImageType(uint32_t bitmap) { return QueryInt(bitmap, 0, FreeImage_GetImageType); }
int32_t VXIMGPLUG_GetColorType(uint32_t bitmap) { return QueryInt(bitmap, -1, FreeImage_GetColorType); }
int32_t VXIMGPLUG_GetTransparencyCount(uint32_t bitmap) {
  return QueryInt(bitmap, 0, FreeImage_GetTransparencyCount);
}
int32_t VXIMGPLUG_IsTransparent(uint32_t bitmap) { return QueryInt(bitmap, 0, FreeImage_IsTransparent); }
int32_t VXIMGPLUG_GetColorsUsed(uint32_t bitmap) { return QueryInt(bitmap, 0, FreeImage_GetColorsUsed); }

int32_t VXIMGPLUG_GetPhotoMetric(uint32_t bitmap) {
  return QueryInt(bitmap, -1, [](FIBITMAP* dib) {
    switch (FreeImage_GetColorType(dib)) {
      case FIC_MINISWHITE: return 0;
      case FIC_MINISBLACK: return 1;
      case FIC_PALETTE: return 3;
      case FIC_CMYK: return 5;
      default: return 2;
    }
  });
}

uint8_t* VXIMGPLUG_GetBits(uint32_t bitmap) {
  return Guarded<uint8_t*>(nullptr, [&] {
    FIBITMAP* dib = DibOf(bitmap);
    return dib ? FreeImage_GetBits(dib) : nullptr;
  });
}

void* VXIMGPLUG_GetPalette(uint32_t bitmap) {
  return Guarded<void*>(nullptr, [&]() -> void* {
    FIBITMAP* dib = DibOf(bitmap);
    return dib ? FreeImage_GetPalette(dib) : nullptr;
  });
}

const void* VXIMGPLUG_GetInfo(uint32_t bitmap) {
  return Guarded<const void*>(nullptr, [&]() -> const void* {
    Bitmap* b = Bitmaps().Find(bitmap);
    if (!b) return nullptr;
    const BITMAPINFOHEADER* header = FreeImage_GetInfoHeader(b->dib);
    const size_t paletteBytes = FreeImage_GetColorsUsed(b->dib) * sizeof(RGBQUAD);
    b->info.resize(sizeof(BITMAPINFOHEADER) + paletteBytes + sizeof(RGBQUAD));
    BITMAPINFOHEADER copy = *header;
    if (b->topRowFirst) copy.biHeight = -copy.biHeight;
    std::memcpy(b->info.data(), &copy, sizeof copy);
    if (paletteBytes) std::memcpy(b->info.data() + sizeof copy, FreeImage_GetPalette(b->dib), paletteBytes);
    return b->info.data();
  });
}

uint32_t VXIMGPLUG_ConvertToType(uint32_t bitmap, int32_t type, int32_t scaleLinear) {
  return Guarded<uint32_t>(0, [&]() -> uint32_t {
    Bitmap* b = Bitmaps().Find(bitmap);
    if (!b || !FreeImage_HasPixels(b->dib) || type < FIT_BITMAP || type > FIT_RGBAF) return 0;
    return AddBitmap(FreeImage_ConvertToType(b->dib, static_cast<FREE_IMAGE_TYPE>(type), scaleLinear ? TRUE : FALSE),
                     b->topRowFirst);
  });
}

uint32_t VXIMGPLUG_ConvertToGreyscale(uint32_t bitmap) {
  return Guarded<uint32_t>(0, [&] { return AddConverted(bitmap, FreeImage_ConvertToGreyscale); });
}
uint32_t VXIMGPLUG_ConvertTo24Bits(uint32_t bitmap) {
  return Guarded<uint32_t>(0, [&] { return AddConverted(bitmap, FreeImage_ConvertTo24Bits); });
}
uint32_t VXIMGPLUG_ConvertTo32Bits(uint32_t bitmap) {
  return Guarded<uint32_t>(0, [&] { return AddConverted(bitmap, FreeImage_ConvertTo32Bits); });
}
uint32_t VXIMGPLUG_ConvertToRGBF(uint32_t bitmap) {
  return Guarded<uint32_t>(0, [&] { return AddConverted(bitmap, FreeImage_ConvertToRGBF); });
}

uint32_t VXIMGPLUG_TmoReinhard05(uint32_t bitmap, double intensity, double contrast, double adaptation,
                                 double colorCorrection) {
  return Guarded<uint32_t>(0, [&]() -> uint32_t {
    Bitmap* b = Bitmaps().Find(bitmap);
    if (!b || !FreeImage_HasPixels(b->dib)) return 0;
    return AddBitmap(FreeImage_TmoReinhard05Ex(b->dib, intensity, contrast, adaptation, colorCorrection),
                     b->topRowFirst);
  });
}

uint32_t VXIMGPLUG_ConvertFromRawBits(const uint8_t* bits, int32_t width, int32_t height, int32_t pitch, int32_t bpp,
                                      uint32_t redMask, uint32_t greenMask, uint32_t blueMask, int32_t topDown) {
  return Guarded<uint32_t>(0, [&]() -> uint32_t {
    if (!bits || width <= 0 || height <= 0 || !KnownRawDepth(bpp)) return 0;
    if (!DimensionsAcceptable(static_cast<uint64_t>(width), static_cast<uint64_t>(height))) return 0;
    if (pitch == std::numeric_limits<int32_t>::min() || static_cast<uint32_t>(pitch < 0 ? -pitch : pitch) < RawBitsLine(width, bpp))
      return 0;
    // FreeImage walks the rows by `pitch` from `bits`, so a negative pitch reads upwards.
    return AddBitmap(FreeImage_ConvertFromRawBits(const_cast<uint8_t*>(bits), width, height, pitch,
                                                  static_cast<unsigned>(bpp), redMask, greenMask, blueMask,
                                                  topDown ? TRUE : FALSE));
  });
}

int32_t VXIMGPLUG_FlipVertical(uint32_t bitmap) {
  return Guarded<int32_t>(0, [&] {
    Bitmap* b = Bitmaps().Find(bitmap);
    if (!b || !FreeImage_FlipVertical(b->dib)) return 0;
    b->topRowFirst = !b->topRowFirst;
    return 1;
  });
}

int32_t VXIMGPLUG_Invert(uint32_t bitmap) {
  return QueryInt(bitmap, 0, FreeImage_Invert);
}

void VXIMGPLUG_SetTransparentIndex(uint32_t bitmap, int32_t index) {
  GuardedVoid([&] {
    FIBITMAP* dib = DibOf(bitmap);
    if (dib && index >= 0 && index < 256) FreeImage_SetTransparentIndex(dib, index);
  });
}

uint32_t VXIMGPLUG_GetDotsPerMeterX(uint32_t bitmap) {
  return static_cast<uint32_t>(QueryInt(bitmap, 0, FreeImage_GetDotsPerMeterX));
}
uint32_t VXIMGPLUG_GetDotsPerMeterY(uint32_t bitmap) {
  return static_cast<uint32_t>(QueryInt(bitmap, 0, FreeImage_GetDotsPerMeterY));
}
void VXIMGPLUG_SetDotsPerMeterX(uint32_t bitmap, uint32_t value) {
  GuardedVoid([&] {
    if (FIBITMAP* dib = DibOf(bitmap)) FreeImage_SetDotsPerMeterX(dib, value);
  });
}
void VXIMGPLUG_SetDotsPerMeterY(uint32_t bitmap, uint32_t value) {
  GuardedVoid([&] {
    if (FIBITMAP* dib = DibOf(bitmap)) FreeImage_SetDotsPerMeterY(dib, value);
  });
}

}  // extern "C"
