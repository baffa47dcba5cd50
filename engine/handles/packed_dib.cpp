// Packed DIB export and import.
#include "engine/handles/packed_dib.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "engine/image_access.h"
#include "engine/image_store.h"
#include "engine/pixel_formats.h"
#include "platform/gdi/dib_header.h"
#include "platform/gdiplus/codecs/byte_order.h"
#include "platform/gdiplus/gdiplus_flat.h"
#include "platform/kernel/global_memory.h"

namespace vx::engine {

using namespace vx::gdiplus;

namespace {

using gdiplus::codecs::Set16LE;
using gdiplus::codecs::Set32LE;

// Blocks above this size are refused before memory is taken.
constexpr uint64_t kMaxDibBytes = uint64_t{1} << 31;
constexpr uint32_t kHeaderBytes = 40;

uint64_t DibStride(uint64_t width, uint32_t bits) { return (width * bits + 31) / 32 * 4; }


// ---------------------------------------------------------------- export

struct ExportPlan {
  uint32_t bits = 0;          // bits per pixel in the DIB
  PixelFormat lockFormat = 0;  // format the rows are read in
  bool bitfields565 = false;
};

bool PlanExport(PixelFormat format, ExportPlan& plan) {
  switch (format) {
    case PixelFormat1bppIndexed: plan = {1, format}; return true;
    case PixelFormat4bppIndexed: plan = {4, format}; return true;
    case PixelFormat8bppIndexed: plan = {8, format}; return true;
    case PixelFormat16bppRGB555:
    case PixelFormat16bppARGB1555: plan = {16, format}; return true;
    case PixelFormat16bppRGB565: plan = {16, format, true}; return true;
    case PixelFormat16bppGrayScale:
    case PixelFormat24bppRGB:
    case PixelFormat48bppRGB: plan = {24, PixelFormat24bppRGB}; return true;
    case PixelFormat32bppRGB: plan = {32, PixelFormat32bppRGB}; return true;
    case PixelFormat32bppARGB:
    case PixelFormat32bppPARGB:
    case PixelFormat64bppARGB:
    case PixelFormat64bppPARGB: plan = {32, PixelFormat32bppARGB}; return true;
    default: return false;
  }
}

int32_t PixelsPerMetre(float dpi) {
  const double ppm = std::nearbyint(static_cast<double>(dpi) * 100.0 / 2.54);
  if (!std::isfinite(ppm) || ppm < 0 || ppm > std::numeric_limits<int32_t>::max()) return 0;
  return static_cast<int32_t>(ppm);
}

void WriteHeader(uint8_t* p, int32_t width, int32_t height, const ExportPlan& plan, uint32_t imageBytes, float hdpi,
                 float vdpi, uint32_t colours) {
  Set32LE(p + 0, kHeaderBytes);
  Set32LE(p + 4, static_cast<uint32_t>(width));
  Set32LE(p + 8, static_cast<uint32_t>(height));
  Set16LE(p + 12, 1);
  Set16LE(p + 14, static_cast<uint16_t>(plan.bits));
  Set32LE(p + 16, plan.bitfields565 ? BI_BITFIELDS : BI_RGB);
  Set32LE(p + 20, imageBytes);
  Set32LE(p + 24, static_cast<uint32_t>(PixelsPerMetre(hdpi)));
  Set32LE(p + 28, static_cast<uint32_t>(PixelsPerMetre(vdpi)));
  Set32LE(p + 32, colours);
  Set32LE(p + 36, 0);
}

// Read locks of a band of rows each fill the DIB: the caller buffer of a band starts at its first
// row's place near the DIB's end and runs upwards, so image row 0 lands at the bottom. A failure
// or a stop leaves nothing to keep.
constexpr int32_t kBandRows = 256;

VexiroStatus WriteBottomUpRows(int32_t id, int32_t width, int32_t height, const ExportPlan& plan, uint32_t stride,
                               const std::function<bool()>& stop, uint8_t* rows) {
  for (int32_t top = 0; top < height; top += kBandRows) {
    if (stop && stop()) return vexiro::Aborted;
    const int32_t band = std::min(kBandRows, height - top);
    BitmapData data;
    data.Width = static_cast<UINT>(width);
    data.Height = static_cast<UINT>(band);
    data.Stride = -static_cast<INT>(stride);
    data.PixelFormat = plan.lockFormat;
    data.Scan0 = rows + static_cast<size_t>(stride) * static_cast<size_t>(height - 1 - top);
    PixelFormat format = plan.lockFormat;
    const GpRect area{0, top, width, band};
    VexiroStatus s = LockImageBits(id, area, ImageLockModeRead | ImageLockModeUserInputBuf, format, data);
    if (s == vexiro::OK) s = UnlockImageBits(id, data);
    if (s != vexiro::OK) return s;
  }
  return vexiro::OK;
}

// ---------------------------------------------------------------- import

using gdi::DibHeader;

// The parsed header, limited to what an image can be made of here: headers of 40 bytes and more,
// plain rows or bit fields, and pixel memory the block limit allows.
VexiroStatus ParseHeader(const uint8_t* info, size_t infoBytes, DibHeader& d) {
  switch (gdi::ParseDibHeader(info, infoBytes, {.maxPixelBytes = kMaxDibBytes}, d)) {
    case gdi::DibParse::Ok: break;
    case gdi::DibParse::Unsupported: return vexiro::UnknownImageFormat;
    case gdi::DibParse::TooLarge: return vexiro::OutOfMemory;
    default: return vexiro::InvalidParameter;
  }
  if (d.size < kHeaderBytes || d.planes != 1) return vexiro::InvalidParameter;
  return d.RunLength() ? vexiro::UnknownImageFormat : vexiro::OK;
}

bool IsMasks(const uint32_t (&m)[4], uint32_t r, uint32_t g, uint32_t b, uint32_t a) {
  return m[0] == r && m[1] == g && m[2] == b && m[3] == a;
}

// The platform format whose rows are laid out exactly as the DIB's, 0 when pixels must be
// unpacked through the masks.
PixelFormat DirectFormat(const DibHeader& d) {
  switch (d.bitCount) {
    case 1: return PixelFormat1bppIndexed;
    case 4: return PixelFormat4bppIndexed;
    case 8: return PixelFormat8bppIndexed;
    case 24: return PixelFormat24bppRGB;
    case 16:
      if (IsMasks(d.masks, 0x7C00, 0x03E0, 0x001F, 0)) return PixelFormat16bppRGB555;
      if (IsMasks(d.masks, 0xF800, 0x07E0, 0x001F, 0)) return PixelFormat16bppRGB565;
      return 0;
    case 32:
      if (IsMasks(d.masks, 0x00FF0000, 0x0000FF00, 0x000000FF, 0)) return PixelFormat32bppRGB;
      if (IsMasks(d.masks, 0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000)) return PixelFormat32bppARGB;
      return 0;
    default: return 0;
  }
}

Status SetTablePalette(GpBitmap* bitmap, const uint8_t* info, const DibHeader& d) {
  const std::vector<uint32_t> table = gdi::ReadDibColourTable(info, d);
  ColorPalette palette;
  palette.Count = 1u << d.bitCount;
  for (uint32_t i = 0; i < palette.Count; ++i) palette.Entries[i] = i < table.size() ? table[i] : 0xFF000000u;
  return GdipSetImagePalette(bitmap, &palette);
}

Status CopyRows(GpBitmap* bitmap, PixelFormat format, const uint8_t* bits, const DibHeader& d, bool direct) {
  BitmapData data;
  const GpRect whole{0, 0, d.width, d.height};
  Status s = GdipBitmapLockBits(bitmap, &whole, ImageLockModeWrite, format, &data);
  if (s != Ok) return s;
  const size_t rowBytes = static_cast<size_t>(ComputeRowBytes(d.width, static_cast<int32_t>(d.bitCount)));
  for (int32_t y = 0; y < d.height; ++y) {
    const int32_t sourceRow = d.topDown ? y : d.height - 1 - y;
    const uint8_t* src = bits + static_cast<size_t>(d.stride) * static_cast<size_t>(sourceRow);
    uint8_t* dst = static_cast<uint8_t*>(data.Scan0) + static_cast<ptrdiff_t>(y) * data.Stride;
    if (direct) {
      std::memcpy(dst, src, rowBytes);
    } else {
      gdi::UnpackDibMaskedRow(d, src, d.width, dst);
    }
  }
  return GdipBitmapUnlockBits(bitmap, &data);
}

}  // namespace

VexiroStatus GetImageAsPackedDIB(int32_t id, HGLOBAL& dib) { return GetImageAsPackedDIB(id, PackedDibExport{}, dib); }

namespace {

// Everything of an export but its rows.
struct DibLayout {
  int32_t width = 0, height = 0;
  float hdpi = 0, vdpi = 0;
  ExportPlan plan;
  uint64_t stride = 0, imageBytes = 0;
  uint32_t colours = 0, maskBytes = 0;
  ColorPalette palette;

  uint64_t InfoBytes() const { return kHeaderBytes + maskBytes + uint64_t{4} * colours; }
};

VexiroStatus PlanLayout(int32_t id, bool widenTo24, DibLayout& d) {
  if (GetImageIndex(id) < 0) return vexiro::InvalidParameter;
  int32_t stride = 0;
  GetImageHorizontalResolution(id, d.hdpi);
  GetImageVerticalResolution(id, d.vdpi);
  GetImageHeight(id, d.height);
  GetImageWidth(id, d.width);
  const VexiroStatus strideStatus = ReadImageStride(id, stride);
  if (strideStatus != vexiro::OK) return strideStatus;
  if (d.width < 1 || d.height < 1) return vexiro::GenericError;
  if (!PlanExport(GetImagePixelFormatValue(id), d.plan)) return vexiro::UnsupportedPixelFormat;
  if (widenTo24) d.plan = {24, PixelFormat24bppRGB};

  d.stride = DibStride(static_cast<uint64_t>(d.width), d.plan.bits);
  d.imageBytes = d.stride * static_cast<uint64_t>(d.height);
  d.colours = d.plan.bits <= 8 ? 1u << d.plan.bits : 0;
  d.maskBytes = d.plan.bitfields565 ? 12 : 0;
  if (d.InfoBytes() + d.imageBytes > kMaxDibBytes) return vexiro::OutOfMemory;
  if (d.colours > 0) {
    int32_t paletteBytes = 0;
    if (GetImagePaletteSize(id, paletteBytes) != vexiro::OK || GetImagePalette(id, d.palette, paletteBytes) != vexiro::OK)
      return vexiro::OutOfMemory;
  }
  return vexiro::OK;
}

// The header, masks and colour table; a negative height says the rows run from the top down.
void WriteInfo(const DibLayout& d, int32_t height, uint8_t* p) {
  WriteHeader(p, d.width, height, d.plan, static_cast<uint32_t>(d.imageBytes), d.hdpi, d.vdpi, d.colours);
  uint8_t* cursor = p + kHeaderBytes;
  if (d.plan.bitfields565) {
    Set32LE(cursor, 0xF800);
    Set32LE(cursor + 4, 0x07E0);
    Set32LE(cursor + 8, 0x001F);
    cursor += d.maskBytes;
  }
  for (uint32_t i = 0; i < d.colours; ++i, cursor += 4)
    Set32LE(cursor, i < d.palette.Count ? d.palette.Entries[i] : 0);
}

}  // namespace

VexiroStatus GetImageAsPackedDIB(int32_t id, const PackedDibExport& how, HGLOBAL& dib) {
  dib = 0;
  DibLayout d;
  const VexiroStatus planned = PlanLayout(id, how.widenTo24, d);
  if (planned != vexiro::OK) return planned;
  const HGLOBAL block = GlobalAlloc(GPTR, static_cast<size_t>(d.InfoBytes() + d.imageBytes));
  if (block == 0) return vexiro::OutOfMemory;
  auto* p = static_cast<uint8_t*>(GlobalLock(block));
  if (!p) {
    GlobalFree(block);
    return vexiro::OutOfMemory;
  }
  WriteInfo(d, d.height, p);
  const VexiroStatus s = WriteBottomUpRows(id, d.width, d.height, d.plan, static_cast<uint32_t>(d.stride), how.stop,
                                           p + d.InfoBytes());
  GlobalUnlock(block);
  if (s != vexiro::OK) {
    GlobalFree(block);
    return s;
  }
  dib = block;
  return vexiro::OK;
}

VexiroStatus GetImageDibInfo(int32_t id, std::vector<uint8_t>& info, int32_t& stride) {
  info.clear();
  stride = 0;
  DibLayout d;
  const VexiroStatus planned = PlanLayout(id, false, d);
  if (planned != vexiro::OK) return planned;
  if (d.plan.lockFormat != GetImagePixelFormatValue(id)) return vexiro::UnsupportedPixelFormat;
  info.assign(static_cast<size_t>(d.InfoBytes()), 0);
  WriteInfo(d, -d.height, info.data());
  stride = static_cast<int32_t>(d.stride);
  return vexiro::OK;
}

VexiroStatus CreateImageFromGdiDib(const void* info, size_t infoBytes, const void* bits, size_t bitsBytes, int32_t& id) {
  id = 0;
  const auto* header = static_cast<const uint8_t*>(info);
  DibHeader d;
  const VexiroStatus parsed = ParseHeader(header, infoBytes, d);
  if (parsed != vexiro::OK) return parsed;
  if (!bits || d.ImageBytes() > bitsBytes) return vexiro::InvalidParameter;

  const PixelFormat direct = DirectFormat(d);
  const PixelFormat format = direct ? direct : (d.masks[3] ? PixelFormat32bppARGB : PixelFormat32bppRGB);
  GpBitmap* bitmap = nullptr;
  Status s = GdipCreateBitmapFromScan0(d.width, d.height, 0, format, nullptr, &bitmap);
  if (s != Ok) return ToStatus(s);
  if (IsIndexedPixelFormat(format)) s = SetTablePalette(bitmap, header, d);
  if (s == Ok) s = CopyRows(bitmap, format, static_cast<const uint8_t*>(bits), d, direct != 0);
  if (s != Ok) {
    GdipDisposeImage(bitmap);
    return ToStatus(s);
  }
  RegisterImage(id, bitmap, "", "", KindGdiDib);
  return vexiro::OK;
}

VexiroStatus CreateImageFromPackedDIBBlock(const void* block, size_t blockBytes, int32_t& id) {
  id = 0;
  DibHeader d;
  const auto* p = static_cast<const uint8_t*>(block);
  const VexiroStatus parsed = ParseHeader(p, blockBytes, d);
  if (parsed != vexiro::OK) return parsed;
  const size_t bitsOffset = d.bitsOffset;
  return CreateImageFromGdiDib(block, bitsOffset, p + bitsOffset, blockBytes - bitsOffset, id);
}

}  // namespace vx::engine
