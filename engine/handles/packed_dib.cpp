// Packed DIB export and import.
#include "engine/handles/packed_dib.h"

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

// One read lock fills the whole DIB: the caller buffer starts at the DIB's last row and runs
// upwards, so image row 0 lands at the bottom. A failure leaves nothing to keep.
VexiroStatus WriteBottomUpRows(int32_t id, int32_t width, int32_t height, const ExportPlan& plan, uint32_t stride,
                               uint8_t* rows) {
  BitmapData data;
  data.Width = static_cast<UINT>(width);
  data.Height = static_cast<UINT>(height);
  data.Stride = -static_cast<INT>(stride);
  data.PixelFormat = plan.lockFormat;
  data.Scan0 = rows + static_cast<size_t>(stride) * static_cast<size_t>(height - 1);
  PixelFormat format = plan.lockFormat;
  const GpRect whole{0, 0, width, height};
  VexiroStatus s = LockImageBits(id, whole, ImageLockModeRead | ImageLockModeUserInputBuf, format, data);
  if (s == vexiro::OK) s = UnlockImageBits(id, data);
  return s;
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

VexiroStatus GetImageAsPackedDIB(int32_t id, HGLOBAL& dib) {
  dib = 0;
  if (GetImageIndex(id) < 0) return vexiro::InvalidParameter;
  float hdpi = 0, vdpi = 0;
  int32_t width = 0, height = 0, stride = 0;
  GetImageHorizontalResolution(id, hdpi);
  GetImageVerticalResolution(id, vdpi);
  GetImageHeight(id, height);
  GetImageWidth(id, width);
  const VexiroStatus strideStatus = ReadImageStride(id, stride);
  if (strideStatus != vexiro::OK) return strideStatus;
  if (width < 1 || height < 1) return vexiro::GenericError;
  ExportPlan plan;
  if (!PlanExport(GetImagePixelFormatValue(id), plan)) return vexiro::UnsupportedPixelFormat;

  const uint64_t dibStride = DibStride(static_cast<uint64_t>(width), plan.bits);
  const uint64_t imageBytes = dibStride * static_cast<uint64_t>(height);
  const uint32_t colours = plan.bits <= 8 ? 1u << plan.bits : 0;
  const uint32_t maskBytes = plan.bitfields565 ? 12 : 0;
  const uint64_t total = kHeaderBytes + maskBytes + uint64_t{4} * colours + imageBytes;
  if (total > kMaxDibBytes) return vexiro::OutOfMemory;

  ColorPalette palette;
  if (colours > 0) {
    int32_t paletteBytes = 0;
    if (GetImagePaletteSize(id, paletteBytes) != vexiro::OK || GetImagePalette(id, palette, paletteBytes) != vexiro::OK)
      return vexiro::OutOfMemory;
  }
  const HGLOBAL block = GlobalAlloc(GPTR, static_cast<size_t>(total));
  if (block == 0) return vexiro::OutOfMemory;
  auto* p = static_cast<uint8_t*>(GlobalLock(block));
  if (!p) {
    GlobalFree(block);
    return vexiro::OutOfMemory;
  }
  WriteHeader(p, width, height, plan, static_cast<uint32_t>(imageBytes), hdpi, vdpi, colours);
  uint8_t* cursor = p + kHeaderBytes;
  if (plan.bitfields565) {
    Set32LE(cursor, 0xF800);
    Set32LE(cursor + 4, 0x07E0);
    Set32LE(cursor + 8, 0x001F);
    cursor += maskBytes;
  }
  for (uint32_t i = 0; i < colours; ++i, cursor += 4) Set32LE(cursor, i < palette.Count ? palette.Entries[i] : 0);

  const VexiroStatus s = WriteBottomUpRows(id, width, height, plan, static_cast<uint32_t>(dibStride), cursor);
  GlobalUnlock(block);
  if (s != vexiro::OK) {
    GlobalFree(block);
    return s;
  }
  dib = block;
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
