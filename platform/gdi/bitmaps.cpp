// Bitmap creation and the DIB transfers GetDIBits / SetDIBits.
#include <algorithm>
#include <cstring>
#include <limits>

#include "platform/gdi/gdi.h"
#include "platform/gdi/gdi_objects.h"

namespace vx {
namespace {

using namespace gdi;

// A BITMAPINFO handed in by pointer carries no size: its header says how long it is.
constexpr size_t kTrustedInfoBytes = std::numeric_limits<size_t>::max() / 2;

bool SameLayout(const DibFormat& a, const DibFormat& b) {
  return a.bitCount == b.bitCount && a.red.mask == b.red.mask && a.green.mask == b.green.mask &&
         a.blue.mask == b.blue.mask && a.alpha.mask == b.alpha.mask && a.colors == b.colors;
}

// Copies `count` pixels of one row between two DIB layouts through ARGB.
void TransferRow(const DibFormat& src, const uint8_t* srcRow, const DibFormat& dst, uint8_t* dstRow, int32_t count,
                 std::vector<uint32_t>& scratch) {
  if (SameLayout(src, dst) && src.bitCount >= 8) {
    std::memcpy(dstRow, srcRow, static_cast<size_t>(count) * src.bitCount / 8);
    return;
  }
  ReadDibRow(src, srcRow, 0, count, scratch.data());
  WriteDibRow(dst, scratch.data(), 0, count, dstRow);
}

std::shared_ptr<BitmapObject> MonochromeBitmap(int width, int height) {
  DibFormat format;
  if (MakeDibFormat(width, height, true, 1, {}, format) != DibParse::Ok) return nullptr;
  return NewBitmap(format);
}

// Row `i` of a caller's DIB buffer stands for this bitmap row (counted from the top), or -1.
int32_t BitmapRowOfScan(const DibFormat& dib, UINT start, UINT i, int32_t bitmapHeight) {
  const int64_t scan = static_cast<int64_t>(start) + i;
  const int64_t fromTop = dib.topDown ? scan : dib.height - 1 - scan;
  return fromTop >= 0 && fromTop < bitmapHeight ? static_cast<int32_t>(fromTop) : -1;
}

UINT ClampLines(UINT start, UINT lines, int32_t height) {
  if (start >= static_cast<UINT>(height)) return 0;
  return std::min<UINT>(lines, static_cast<UINT>(height) - start);
}

void DescribeBitmap(const BitmapObject& bitmap, BITMAPINFOHEADER& h) {
  const DibFormat& f = bitmap.format;
  h.biWidth = f.width;
  h.biHeight = f.height;
  h.biPlanes = 1;
  h.biBitCount = f.bitCount;
  h.biCompression = IsDefaultMasks(f) ? BI_RGB : BI_BITFIELDS;
  h.biSizeImage = static_cast<DWORD>(f.ImageBytes());
  h.biClrUsed = 0;
  h.biClrImportant = 0;
}

}  // namespace

HBITMAP CreateDIBSection(HDC dc, const BITMAPINFO* info, UINT usage, void** bits, HANDLE32 section, DWORD offset) {
  if (bits) *bits = nullptr;
  if (!info || usage != DIB_RGB_COLORS || section != 0) return 0;
  if (dc != 0 && !DeviceContexts().Contains(dc)) return 0;
  DibFormat format;
  if (ParseDibInfo(info, kTrustedInfoBytes, format) != DibParse::Ok) return 0;
  auto bitmap = NewBitmap(format);
  if (!bitmap) return 0;
  bitmap->dibSection = true;
  const HBITMAP handle = InsertGdiObject(bitmap);
  if (handle && bits) *bits = bitmap->bits.data();
  return handle;
}

HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits) {
  if (planes != 1) return 0;
  if (width == 0 || height == 0) return StockBitmap();
  if (bitsPerPixel != 1 && bitsPerPixel != 16 && bitsPerPixel != 24 && bitsPerPixel != 32) return 0;
  auto bitmap = bitsPerPixel == 1 ? MonochromeBitmap(width, height) : NewDeviceBitmap(width, height);
  if (!bitmap) return 0;
  if (bits) {
    // Caller rows are padded to 16 bits and run top-down.
    DibFormat source;
    MakeDibFormat(width, height, true, static_cast<uint16_t>(bitsPerPixel), {}, source);
    const size_t sourceStride = (static_cast<size_t>(width) * bitsPerPixel + 15) / 16 * 2;
    std::vector<uint32_t> scratch(static_cast<size_t>(width));
    const auto* rows = static_cast<const uint8_t*>(bits);
    for (int32_t y = 0; y < height; ++y)
      TransferRow(source, rows + y * sourceStride, bitmap->format, bitmap->Row(y), width, scratch);
  }
  return InsertGdiObject(bitmap);
}

HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height) {
  auto context = DeviceContexts().Find(dc);
  if (!context) return 0;
  if (width <= 0 || height <= 0) return InsertGdiObject(MonochromeBitmap(1, 1));
  // A fresh memory context holds a monochrome bitmap, and what is compatible with it is too.
  auto selected = FindBitmap(context->bitmap);
  const bool monochrome = !context->screen && selected && selected->format.bitCount == 1;
  auto bitmap = monochrome ? MonochromeBitmap(width, height) : NewDeviceBitmap(width, height);
  return bitmap ? InsertGdiObject(bitmap) : 0;
}

int GetDIBits(HDC dc, HBITMAP handle, UINT start, UINT lines, void* bits, BITMAPINFO* info, UINT usage) {
  if (!info || usage != DIB_RGB_COLORS || !DeviceContexts().Contains(dc)) return 0;
  auto bitmap = FindBitmap(handle);
  if (!bitmap || info->bmiHeader.biSize < sizeof(BITMAPINFOHEADER)) return 0;
  if (info->bmiHeader.biBitCount == 0) {
    // A query for the bitmap's own layout.
    DescribeBitmap(*bitmap, info->bmiHeader);
    return bitmap->format.height;
  }
  DibFormat target;
  if (ParseDibInfo(info, kTrustedInfoBytes, target) != DibParse::Ok) return 0;
  if (target.Indexed()) {
    // The caller's colour table is output: the bitmap's own when depths agree, else the default.
    std::vector<uint32_t> colors;
    if (bitmap->format.bitCount == target.bitCount) colors = bitmap->format.colors;
    DibFormat described;
    MakeDibFormat(target.width, target.height, target.topDown, target.bitCount, colors, described);
    target.colors = described.colors;
    info->bmiHeader.biClrUsed = 0;
    const size_t capacity = size_t{1} << target.bitCount;
    for (size_t i = 0; i < capacity; ++i) {
      const uint32_t c = i < target.colors.size() ? target.colors[i] : 0;
      info->bmiColors[i] = RGBQUAD{static_cast<BYTE>(c), static_cast<BYTE>(c >> 8), static_cast<BYTE>(c >> 16), 0};
    }
  }
  info->bmiHeader.biSizeImage = static_cast<DWORD>(target.ImageBytes());
  if (!bits) return target.height;  // the description alone was asked for: non-zero is success
  const UINT count = ClampLines(start, lines, target.height);
  const int32_t width = std::min(target.width, bitmap->format.width);
  std::vector<uint32_t> scratch(static_cast<size_t>(width));
  auto* out = static_cast<uint8_t*>(bits);
  for (UINT i = 0; i < count; ++i) {
    const int32_t y = BitmapRowOfScan(target, start, i, bitmap->format.height);
    if (y >= 0) TransferRow(bitmap->format, bitmap->Row(y), target, out + i * target.stride, width, scratch);
  }
  return static_cast<int>(count);
}

int SetDIBits(HDC dc, HBITMAP handle, UINT start, UINT lines, const void* bits, const BITMAPINFO* info, UINT usage) {
  if (!info || !bits || usage != DIB_RGB_COLORS) return 0;
  if (dc != 0 && !DeviceContexts().Contains(dc)) return 0;
  auto bitmap = FindBitmap(handle);
  if (!bitmap) return 0;
  DibFormat source;
  if (ParseDibInfo(info, kTrustedInfoBytes, source) != DibParse::Ok) return 0;
  const UINT count = ClampLines(start, lines, source.height);
  const int32_t width = std::min(source.width, bitmap->format.width);
  std::vector<uint32_t> scratch(static_cast<size_t>(width));
  const auto* in = static_cast<const uint8_t*>(bits);
  for (UINT i = 0; i < count; ++i) {
    const int32_t y = BitmapRowOfScan(source, start, i, bitmap->format.height);
    if (y >= 0) TransferRow(source, in + i * source.stride, bitmap->format, bitmap->Row(y), width, scratch);
  }
  return static_cast<int>(count);
}

}  // namespace vx
