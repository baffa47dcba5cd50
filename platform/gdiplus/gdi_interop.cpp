#include "platform/gdiplus/gdi_interop.h"

#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <vector>

#include "platform/gdi/gdi.h"
#include "platform/gdi/gdi_objects.h"
#include "platform/gdiplus/gdiplus_flat.h"
#include "platform/gdiplus/image_handle.h"

namespace vx::gdiplus {
namespace {

using gdi::BitmapObject;
using gdi::DibFormat;

constexpr size_t kTrustedInfoBytes = std::numeric_limits<size_t>::max() / 2;

bool DefaultRgbMasks(const DibFormat& f) {
  return f.red.mask == 0xFF0000 && f.green.mask == 0xFF00 && f.blue.mask == 0xFF;
}

// The bitmap format a DIB layout maps to, and whether its rows can be copied byte for byte.
PixelFormat FormatForDib(const DibFormat& f, bool& sameBytes) {
  sameBytes = true;
  switch (f.bitCount) {
    case 1: return PixelFormat1bppIndexed;
    case 4: return PixelFormat4bppIndexed;
    case 8: return PixelFormat8bppIndexed;
    case 24: return PixelFormat24bppRGB;
    case 16:
      if (gdi::IsDefaultMasks(f)) return PixelFormat16bppRGB555;
      if (gdi::Is565(f) && !f.alpha.mask) return PixelFormat16bppRGB565;
      if (f.red.mask == 0x7C00 && f.green.mask == 0x03E0 && f.blue.mask == 0x1F && f.alpha.mask == 0x8000)
        return PixelFormat16bppARGB1555;
      break;
    case 32:
      if (DefaultRgbMasks(f) && !f.alpha.mask) return PixelFormat32bppRGB;
      if (DefaultRgbMasks(f) && f.alpha.mask == 0xFF000000u) return PixelFormat32bppARGB;
      break;
  }
  sameBytes = false;
  return f.alpha.mask ? PixelFormat32bppARGB : PixelFormat32bppRGB;
}

// A bitmap holding a copy of DIB pixels (`bits` in the DIB's own row order).
Status BitmapFromDib(const DibFormat& dib, const uint8_t* bits, GpBitmap** bitmap) {
  bool sameBytes = false;
  const PixelFormat format = FormatForDib(dib, sameBytes);
  Frame frame;
  if (Status s = MakeFrame(dib.width, dib.height, format, frame); s != Ok) return s;
  if (dib.Indexed()) {
    frame.palette = dib.colors;
    frame.paletteFlags = 0;
  }
  const size_t rowBytes = sameBytes ? (static_cast<size_t>(dib.width) * dib.bitCount + 7) / 8 : 0;
  std::vector<uint32_t> scratch(sameBytes ? 0 : static_cast<size_t>(dib.width));
  for (int32_t y = 0; y < dib.height; ++y) {
    const uint8_t* in = bits + dib.RowOffset(y);
    uint8_t* out = FrameRow(frame, y);
    if (sameBytes) {
      std::memcpy(out, in, rowBytes);
    } else {
      gdi::ReadDibRow(dib, in, 0, dib.width, scratch.data());
      std::memcpy(out, scratch.data(), scratch.size() * 4);
    }
  }
  return AdoptFrame(std::move(frame), bitmap);
}

// Premultiplied "source over background" of one 32bppPARGB run.
void CompositeOver(uint32_t* row, size_t count, ARGB background) {
  const uint32_t ba = background >> 24;
  const uint32_t bp[3] = {((background >> 16) & 0xff) * ba / 255, ((background >> 8) & 0xff) * ba / 255,
                          (background & 0xff) * ba / 255};
  if (ba == 0) return;
  for (size_t i = 0; i < count; ++i) {
    const uint32_t s = row[i];
    const uint32_t rest = 255 - (s >> 24);
    const uint32_t a = (s >> 24) + (ba * rest + 127) / 255;
    const uint32_t r = ((s >> 16) & 0xff) + (bp[0] * rest + 127) / 255;
    const uint32_t g = ((s >> 8) & 0xff) + (bp[1] * rest + 127) / 255;
    const uint32_t b = (s & 0xff) + (bp[2] * rest + 127) / 255;
    row[i] = (a << 24) | (r << 16) | (g << 8) | b;
  }
}

// A new 32-bit top-down DIB section filled row by row from the frame in `format`.
template <class RowHook>
HBITMAP DibSectionOf(const Frame& frame, PixelFormat format, RowHook hook) {
  DibFormat dib;
  if (gdi::MakeDibFormat(frame.width, frame.height, true, 32, {}, dib) != gdi::DibParse::Ok) return 0;
  auto object = gdi::NewBitmap(dib);
  if (!object) return 0;
  object->dibSection = true;
  std::vector<uint32_t> row(static_cast<size_t>(frame.width));
  for (INT y = 0; y < frame.height; ++y) {
    ConvertRow(FrameSourceRow(frame, y), {reinterpret_cast<uint8_t*>(row.data()), format}, frame.width);
    hook(row.data(), row.size());
    std::memcpy(object->Row(y), row.data(), row.size() * 4);
  }
  return gdi::InsertGdiObject(std::move(object));
}

Status ResolveFrame(GpBitmap* bitmap, const Frame*& frame) {
  GpBitmap* checked = nullptr;
  if (Status s = ResolveBitmap(bitmap, checked); s != Ok) return s;
  frame = &checked->current();
  return Ok;
}

// Icon mask pixels: set bits (white) mean transparent.
bool MaskSet(uint32_t argb) { return (argb & 0xFFFFFFu) != 0; }

Status IconPixels(const gdi::IconObject& icon, Frame& frame) {
  const BitmapObject& mask = icon.mask;
  const int32_t width = mask.format.width;
  const int32_t height = icon.color ? mask.format.height : mask.format.height / 2;
  if (Status s = MakeFrame(width, height, PixelFormat32bppARGB, frame); s != Ok) return s;
  std::vector<uint32_t> andRow(width), colour(width);
  DibFormat colourFormat;
  bool colourAlpha = false;
  if (icon.color) {
    colourFormat = icon.color->format;
    if (colourFormat.bitCount == 32 && DefaultRgbMasks(colourFormat)) {
      gdi::SetBitfieldMasks(colourFormat, 0xFF0000, 0xFF00, 0xFF, 0xFF000000u);
      for (int32_t y = 0; y < height && !colourAlpha; ++y) {
        gdi::ReadDibRow(colourFormat, icon.color->Row(y), 0, width, colour.data());
        for (uint32_t c : colour) colourAlpha |= (c >> 24) != 0;
      }
    }
  }
  for (int32_t y = 0; y < height; ++y) {
    gdi::ReadDibRow(mask.format, mask.Row(y), 0, width, andRow.data());
    if (icon.color) {
      gdi::ReadDibRow(colourFormat, icon.color->Row(y), 0, width, colour.data());
      if (!colourAlpha)
        for (int32_t x = 0; x < width; ++x) colour[x] = (colour[x] & 0xFFFFFFu) | (MaskSet(andRow[x]) ? 0 : 0xFF000000u);
    } else {
      // Monochrome icons: the lower half of the mask is the XOR picture.
      gdi::ReadDibRow(mask.format, mask.Row(y + height), 0, width, colour.data());
      for (int32_t x = 0; x < width; ++x)
        colour[x] = MaskSet(andRow[x]) ? 0 : (MaskSet(colour[x]) ? 0xFFFFFFFFu : 0xFF000000u);
    }
    std::memcpy(FrameRow(frame, y), colour.data(), colour.size() * 4);
  }
  return Ok;
}

HBITMAP MaskOf(const Frame& frame) {
  DibFormat format;
  if (gdi::MakeDibFormat(frame.width, frame.height, true, 1, {}, format) != gdi::DibParse::Ok) return 0;
  auto mask = gdi::NewBitmap(format);
  if (!mask) return 0;
  std::vector<uint32_t> row(static_cast<size_t>(frame.width));
  for (INT y = 0; y < frame.height; ++y) {
    ConvertRow(FrameSourceRow(frame, y), {reinterpret_cast<uint8_t*>(row.data()), PixelFormat32bppARGB}, frame.width);
    for (auto& px : row) px = (px >> 24) < 128 ? 0xFFFFFFFFu : 0xFF000000u;
    gdi::WriteDibRow(format, row.data(), 0, frame.width, mask->Row(y));
  }
  return gdi::InsertGdiObject(std::move(mask));
}

}  // namespace

Status GdipCreateBitmapFromHBITMAP(HBITMAP hbm, HPALETTE hpal, GpBitmap** bitmap) {
  if (!GdiplusIsRunning()) return GdiplusNotInitialized;
  if (!bitmap) return InvalidParameter;
  *bitmap = nullptr;
  auto source = gdi::FindBitmap(hbm);
  if (!source) return InvalidParameter;
  DibFormat format = source->format;
  if (auto palette = gdi::FindPalette(hpal); palette && !source->dibSection && format.Indexed()) {
    format.colors.clear();
    for (size_t i = 0; i < palette->entries.size() && i < (size_t{1} << format.bitCount); ++i) {
      const PALETTEENTRY& e = palette->entries[i];
      format.colors.push_back(0xFF000000u | (uint32_t{e.peRed} << 16) | (uint32_t{e.peGreen} << 8) | e.peBlue);
    }
  }
  return BitmapFromDib(format, source->bits.data(), bitmap);
}

Status GdipCreateHBITMAPFromBitmap(GpBitmap* bitmap, HBITMAP* hbm, ARGB background) {
  if (!GdiplusIsRunning()) return GdiplusNotInitialized;
  if (!hbm) return InvalidParameter;
  *hbm = 0;
  const Frame* frame = nullptr;
  if (Status s = ResolveFrame(bitmap, frame); s != Ok) return s;
  *hbm = DibSectionOf(*frame, PixelFormat32bppPARGB,
                      [background](uint32_t* row, size_t count) { CompositeOver(row, count, background); });
  return *hbm ? Ok : OutOfMemory;
}

Status GdipCreateBitmapFromHICON(HICON icon, GpBitmap** bitmap) {
  if (!GdiplusIsRunning()) return GdiplusNotInitialized;
  if (!bitmap) return InvalidParameter;
  *bitmap = nullptr;
  auto object = gdi::Icons().Find(icon);
  if (!object) return InvalidParameter;
  Frame frame;
  if (Status s = IconPixels(*object, frame); s != Ok) return s;
  return AdoptFrame(std::move(frame), bitmap);
}

Status GdipCreateHICONFromBitmap(GpBitmap* bitmap, HICON* icon) {
  if (!GdiplusIsRunning()) return GdiplusNotInitialized;
  if (!icon) return InvalidParameter;
  *icon = 0;
  const Frame* frame = nullptr;
  if (Status s = ResolveFrame(bitmap, frame); s != Ok) return s;
  ICONINFO info;
  info.hbmColor = DibSectionOf(*frame, PixelFormat32bppARGB, [](uint32_t*, size_t) {});
  info.hbmMask = MaskOf(*frame);
  if (info.hbmColor && info.hbmMask) *icon = CreateIconIndirect(&info);
  DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
  return *icon ? Ok : OutOfMemory;
}

Status GdipCreateBitmapFromGdiDib(const BITMAPINFO* info, void* bits, GpBitmap** bitmap) {
  if (!GdiplusIsRunning()) return GdiplusNotInitialized;
  if (!bitmap) return InvalidParameter;
  *bitmap = nullptr;
  if (!info || !bits) return InvalidParameter;
  DibFormat format;
  if (gdi::ParseDibInfo(info, kTrustedInfoBytes, format) != gdi::DibParse::Ok) return InvalidParameter;
  // A stated image size smaller than the rows need means the caller's block is shorter too.
  const DWORD stated = info->bmiHeader.biSizeImage;
  if (stated != 0 && stated < format.ImageBytes()) return InvalidParameter;
  return BitmapFromDib(format, static_cast<const uint8_t*>(bits), bitmap);
}

}  // namespace vx::gdiplus
