// BMP files: indexed frames keep their depth and palette; 16-bit frames keep their layout
// (565 and 1555 through bit fields); everything else becomes 24-bit, or 32-bit when it carries
// alpha (straight alpha in the fourth byte).
#include <algorithm>
#include <cmath>

#include "platform/gdiplus/codecs/byte_order.h"
#include "platform/gdiplus/codecs/codec.h"
#include "platform/gdiplus/codecs/frame_tools.h"

namespace vx::gdiplus::codecs {

namespace {

constexpr uint32_t kFileHeaderSize = 14, kInfoHeaderSize = 40;

PixelFormat BmpFormatFor(PixelFormat f) {
  switch (f) {
    case PixelFormat1bppIndexed:
    case PixelFormat4bppIndexed:
    case PixelFormat8bppIndexed:
    case PixelFormat16bppRGB555:
    case PixelFormat16bppRGB565:
    case PixelFormat16bppARGB1555:
    case PixelFormat24bppRGB:
    case PixelFormat32bppRGB:
    case PixelFormat32bppARGB:
      return f;
    default:
      return IsAlphaPixelFormat(f) ? PixelFormat32bppARGB : PixelFormat24bppRGB;
  }
}

// Bit-field masks for the 16-bit layouts that plain 16-bit BMP (which is 555) cannot say.
bool MasksFor(PixelFormat f, uint32_t masks[4]) {
  if (f == PixelFormat16bppRGB565) {
    masks[0] = 0xF800, masks[1] = 0x07E0, masks[2] = 0x001F, masks[3] = 0;
    return true;
  }
  if (f == PixelFormat16bppARGB1555) {
    masks[0] = 0x7C00, masks[1] = 0x03E0, masks[2] = 0x001F, masks[3] = 0x8000;
    return true;
  }
  return false;
}

int32_t PelsPerMetre(REAL dpi) { return dpi > 0 ? static_cast<int32_t>(std::lround(dpi / 0.0254)) : 0; }

}  // namespace

Status EncodeBmp(const Frame& source, const EncodeOptions&, ByteSink& sink) {
  const PixelFormat format = BmpFormatFor(source.format);
  const Frame* frame = &source;
  const UINT bpp = GetPixelFormatSize(format);
  uint32_t masks[4] = {};
  const bool bitfields = MasksFor(format, masks);
  const uint32_t maskBytes = bitfields ? 16 : 0;
  const uint32_t paletteCount = IsIndexedPixelFormat(format) ? static_cast<uint32_t>(std::min<size_t>(frame->palette.size(), 1u << bpp)) : 0;
  const uint64_t stride = (static_cast<uint64_t>(frame->width) * bpp + 31) / 32 * 4;
  const uint64_t bitsOffset = kFileHeaderSize + kInfoHeaderSize + maskBytes + 4ull * paletteCount;
  const uint64_t fileSize = bitsOffset + stride * static_cast<uint64_t>(frame->height);
  if (fileSize > 0xFFFFFFFFull) return ValueOverflow;
  try {
    std::vector<uint8_t> out;
    out.push_back('B');
    out.push_back('M');
    Put32LE(out, static_cast<uint32_t>(fileSize));
    Put32LE(out, 0);
    Put32LE(out, static_cast<uint32_t>(bitsOffset));
    Put32LE(out, kInfoHeaderSize);
    Put32LE(out, static_cast<uint32_t>(frame->width));
    Put32LE(out, static_cast<uint32_t>(frame->height));  // bottom-up
    Put16LE(out, 1);
    Put16LE(out, static_cast<uint16_t>(bpp));
    Put32LE(out, bitfields ? 3u : 0u);
    Put32LE(out, static_cast<uint32_t>(stride * static_cast<uint64_t>(frame->height)));
    Put32LE(out, static_cast<uint32_t>(PelsPerMetre(frame->dpiX)));
    Put32LE(out, static_cast<uint32_t>(PelsPerMetre(frame->dpiY)));
    Put32LE(out, paletteCount);
    Put32LE(out, 0);
    if (bitfields)
      for (uint32_t m : masks) Put32LE(out, m);
    for (uint32_t i = 0; i < paletteCount; ++i) Put32LE(out, frame->palette[i] & 0x00FFFFFFu);
    if (!sink.Write(out)) return Win32Error;
    const size_t rowBytes = (static_cast<size_t>(frame->width) * bpp + 7) / 8;
    const uint8_t padding[4] = {};
    RowSource rows(source, format, frame->palette);
    for (INT y = frame->height - 1; y >= 0; --y) {
      if (!sink.Write(rows.Row(y), rowBytes) || !sink.Write(padding, stride - rowBytes)) return Win32Error;
    }
  } catch (const std::bad_alloc&) {
    return OutOfMemory;
  }
  return Ok;
}

}  // namespace vx::gdiplus::codecs
