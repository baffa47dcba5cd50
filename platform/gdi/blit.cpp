// Block transfers between the bitmaps of two memory contexts, with nearest-pixel stretching and
// the ternary raster operations evaluated on 32-bit pixels.
#include <algorithm>
#include <cstdlib>

#include "platform/gdi/gdi.h"
#include "platform/gdi/gdi_objects.h"

namespace vx {
namespace {

using namespace gdi;

constexpr uint32_t kWhite = 0xFFFFFFFFu;
constexpr uint32_t kBlack = 0xFF000000u;

uint32_t ArgbOf(COLORREF c) { return 0xFF000000u | (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c); }

bool RopUsesSource(DWORD rop) { return (((rop >> 2) ^ rop) & 0x330000) != 0; }

// Result of the raster operation's truth table, bit by bit over the pattern, source and
// destination. There are no brushes here: the pattern is the default white brush.
uint32_t ApplyRop(uint8_t code, uint32_t s, uint32_t d) {
  if (code == 0xCC) return s;
  const uint32_t p = kWhite;
  uint32_t r = 0;
  for (unsigned i = 0; i < 8; ++i) {
    if (!((code >> i) & 1)) continue;
    r |= ((i & 4) ? p : ~p) & ((i & 2) ? s : ~s) & ((i & 1) ? d : ~d);
  }
  return r;
}

struct Span {
  int64_t origin, extent;
  bool flip;
};

Span Normalise(int64_t origin, int64_t extent) {
  if (extent < 0) return {origin + extent, -extent, true};
  return {origin, extent, false};
}

// Source coordinate for each destination pixel of a span (nearest pixel centre).
int64_t SourceOf(int64_t i, const Span& dst, const Span& src) {
  // Extents reach 2^32 and offsets beyond: the product needs more than 64 bits.
  int64_t k = static_cast<int64_t>((2 * static_cast<__int128>(i) + 1) * src.extent / (2 * dst.extent));
  if (dst.flip != src.flip) k = src.extent - 1 - k;
  return src.origin + k;
}

// One source row as the destination sees it: monochrome sources take the destination's text and
// background colours, colour sources going to monochrome turn the source background white.
void LoadSourceRow(const BitmapObject& src, int32_t y, const DeviceContext& srcDc, const BitmapObject& dst,
                   const DeviceContext& dstDc, std::vector<uint32_t>& row) {
  ReadDibRow(src.format, src.Row(y), 0, src.format.width, row.data());
  const bool srcMono = src.format.bitCount == 1;
  const bool dstMono = dst.format.bitCount == 1;
  if (srcMono && !dstMono) {
    const uint32_t zero = ArgbOf(dstDc.text), one = ArgbOf(dstDc.background);
    const uint32_t first = src.format.colors.empty() ? kBlack : src.format.colors[0];
    for (auto& px : row) px = (px & 0xFFFFFFu) == (first & 0xFFFFFFu) ? zero : one;
  } else if (!srcMono && dstMono) {
    const uint32_t key = ArgbOf(srcDc.background) & 0xFFFFFFu;
    for (auto& px : row) px = (px & 0xFFFFFFu) == key ? kWhite : kBlack;
  }
}

BOOL Transfer(HDC dstHandle, int x, int y, int width, int height, HDC srcHandle, int xSrc, int ySrc, int widthSrc,
              int heightSrc, DWORD rop) {
  auto dstDc = DeviceContexts().Find(dstHandle);
  auto dst = SelectedBitmap(dstHandle);
  if (!dstDc || !dst) return FALSE_;
  const bool usesSource = RopUsesSource(rop);
  std::shared_ptr<DeviceContext> srcDc;
  std::shared_ptr<BitmapObject> src;
  if (usesSource) {
    srcDc = DeviceContexts().Find(srcHandle);
    src = SelectedBitmap(srcHandle);
    if (!srcDc || !src) return FALSE_;
    if (src == dst) src = CopyBitmap(*dst);  // overlapping copies read the picture as it was
    if (!src) return FALSE_;
  }
  if (width == 0 || height == 0 || (usesSource && (widthSrc == 0 || heightSrc == 0))) return TRUE_;
  const Span dx = Normalise(x, width), dy = Normalise(y, height);
  const Span sx = usesSource ? Normalise(xSrc, widthSrc) : Span{0, 1, false};
  const Span sy = usesSource ? Normalise(ySrc, heightSrc) : Span{0, 1, false};
  const int32_t x0 = static_cast<int32_t>(std::max<int64_t>(dx.origin, 0));
  const int32_t x1 = static_cast<int32_t>(std::min<int64_t>(dx.origin + dx.extent, dst->format.width));
  const int64_t i0 = std::max<int64_t>(0, -dy.origin);
  const int64_t i1 = std::min<int64_t>(dy.extent, dst->format.height - dy.origin);
  if (x0 >= x1 || i0 >= i1) return TRUE_;

  std::vector<int64_t> columns(static_cast<size_t>(x1 - x0));
  for (int32_t X = x0; X < x1; ++X) columns[X - x0] = usesSource ? SourceOf(X - dx.origin, dx, sx) : 0;
  std::vector<uint32_t> srcRow(usesSource ? static_cast<size_t>(src->format.width) : 0);
  std::vector<uint32_t> dstRow(static_cast<size_t>(x1 - x0));
  int64_t loadedRow = -1;
  const uint8_t code = static_cast<uint8_t>(rop >> 16);
  for (int64_t i = i0; i < i1; ++i) {
    const int64_t Y = dy.origin + i;
    if (usesSource) {
      const int64_t srcY = SourceOf(i, dy, sy);
      if (srcY < 0 || srcY >= src->format.height) continue;
      if (srcY != loadedRow) {
        LoadSourceRow(*src, static_cast<int32_t>(srcY), *srcDc, *dst, *dstDc, srcRow);
        loadedRow = srcY;
      }
    }
    uint8_t* row = dst->Row(static_cast<int32_t>(Y));
    ReadDibRow(dst->format, row, x0, x1 - x0, dstRow.data());
    for (int32_t X = x0; X < x1; ++X) {
      const int64_t column = columns[X - x0];
      if (usesSource && (column < 0 || column >= src->format.width)) continue;
      const uint32_t s = usesSource ? srcRow[static_cast<size_t>(column)] : 0;
      dstRow[X - x0] = ApplyRop(code, s, dstRow[X - x0]);
    }
    WriteDibRow(dst->format, dstRow.data(), x0, x1 - x0, row);
  }
  return TRUE_;
}

}  // namespace

BOOL BitBlt(HDC dst, int x, int y, int width, int height, HDC src, int xSrc, int ySrc, DWORD rop) {
  return Transfer(dst, x, y, width, height, src, xSrc, ySrc, width, height, rop);
}

BOOL StretchBlt(HDC dst, int x, int y, int width, int height, HDC src, int xSrc, int ySrc, int widthSrc,
                int heightSrc, DWORD rop) {
  return Transfer(dst, x, y, width, height, src, xSrc, ySrc, widthSrc, heightSrc, rop);
}

}  // namespace vx
