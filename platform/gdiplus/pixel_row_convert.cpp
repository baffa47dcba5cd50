// ConvertRow: the one place where pixel formats meet. Same-format copies and the common 32-bit
// pairs run directly; every other pair goes through a stack chunk of 32-bit ARGB pixels, or of
// 64-bit pixels when both sides keep 16 bits per channel.
#include <algorithm>
#include <cstring>

#include "platform/gdiplus/image_object.h"
#include "platform/gdiplus/palette_matcher.h"
#include "platform/gdiplus/pixel_channels.h"
#include "platform/gdiplus/pixel_format_info.h"
#include "platform/gdiplus/pixel_row_codec.h"

namespace vx::gdiplus {

using namespace channels;

namespace {

constexpr INT kChunk = 256;

bool SamePalette(std::span<const ARGB> a, std::span<const ARGB> b) {
  if (a.size() != b.size()) return false;
  return a.data() == b.data() || a.empty() || std::memcmp(a.data(), b.data(), a.size_bytes()) == 0;
}

void CopyIndices(const uint8_t* src, UINT srcBits, INT xSrc, uint8_t* dst, UINT dstBits, INT xDst, INT count) {
  const uint32_t mask = (1u << dstBits) - 1;
  for (INT i = 0; i < count; ++i) WriteIndex(dst, dstBits, xDst + i, ReadIndex(src, srcBits, xSrc + i) & mask);
}

// Same format: a byte copy, or an index copy when the runs do not start on byte boundaries.
void CopySameFormat(const uint8_t* src, INT xSrc, uint8_t* dst, INT xDst, INT count, PixelFormat format) {
  const UINT bits = GetPixelFormatSize(format);
  if (bits >= 8) {
    const size_t bytes = bits / 8;
    std::memmove(dst + bytes * xDst, src + bytes * xSrc, bytes * static_cast<size_t>(count));
    return;
  }
  const INT perByte = static_cast<INT>(8 / bits);
  if (xSrc % perByte == 0 && xDst % perByte == 0) {
    const INT whole = count / perByte;
    std::memmove(dst + xDst / perByte, src + xSrc / perByte, static_cast<size_t>(whole));
    CopyIndices(src, bits, xSrc + whole * perByte, dst, bits, xDst + whole * perByte, count - whole * perByte);
    return;
  }
  CopyIndices(src, bits, xSrc, dst, bits, xDst, count);
}

bool IsOpaque32(PixelFormat f) { return f == PixelFormat32bppRGB; }

// Direct loops for the pairs the engine and the codecs use most.
bool ConvertCommonPair(const uint8_t* src, PixelFormat srcFormat, uint8_t* dst, PixelFormat dstFormat, INT count) {
  const bool dst32 = dstFormat == PixelFormat32bppARGB || dstFormat == PixelFormat32bppRGB ||
                     dstFormat == PixelFormat32bppPARGB;
  if (srcFormat == PixelFormat24bppRGB && dst32) {
    // A pixel read as four bytes, the fourth belonging to the next pixel; the last is read bytewise
    // so that nothing past the row is touched.
    INT i = 0;
    for (; i + 1 < count; ++i) Store32(dst + 4 * i, Load32(src + 3 * i) | 0xff000000u);
    if (const uint8_t* last = src + 3 * i; i < count)
      Store32(dst + 4 * i, last[0] | uint32_t(last[1]) << 8 | uint32_t(last[2]) << 16 | 0xff000000u);
    return true;
  }
  if ((srcFormat == PixelFormat32bppARGB || IsOpaque32(srcFormat)) && dstFormat == PixelFormat24bppRGB) {
    for (INT i = 0; i < count; ++i, src += 4, dst += 3) {
      dst[0] = src[0];
      dst[1] = src[1];
      dst[2] = src[2];
    }
    return true;
  }
  if (IsOpaque32(srcFormat) && dst32) {
    for (INT i = 0; i < count; ++i) Store32(dst + 4 * i, Load32(src + 4 * i) | 0xff000000u);
    return true;
  }
  if (srcFormat == PixelFormat32bppARGB && dstFormat == PixelFormat32bppPARGB) {
    for (INT i = 0; i < count; ++i) Store32(dst + 4 * i, PremultiplyArgb(Load32(src + 4 * i)));
    return true;
  }
  if (srcFormat == PixelFormat32bppPARGB && dstFormat == PixelFormat32bppARGB) {
    for (INT i = 0; i < count; ++i) Store32(dst + 4 * i, UnpremultiplyArgb(Load32(src + 4 * i)));
    return true;
  }
  // Drawing stores its premultiplied rows into opaque targets this way.
  if (srcFormat == PixelFormat32bppPARGB && dstFormat == PixelFormat24bppRGB) {
    for (INT i = 0; i < count; ++i, src += 4, dst += 3) {
      const uint32_t c = UnpremultiplyArgb(Load32(src));
      dst[0] = static_cast<uint8_t>(B8(c));
      dst[1] = static_cast<uint8_t>(G8(c));
      dst[2] = static_cast<uint8_t>(R8(c));
    }
    return true;
  }
  if (srcFormat == PixelFormat32bppPARGB && IsOpaque32(dstFormat)) {
    for (INT i = 0; i < count; ++i) Store32(dst + 4 * i, UnpremultiplyArgb(Load32(src + 4 * i)) | 0xff000000u);
    return true;
  }
  return false;
}

}  // namespace

void ConvertRow(const SourceRow& from, const DestRow& to, INT count) {
  const PixelFormat srcFormat = from.format, dstFormat = to.format;
  if (count <= 0 || !IsBitmapPixelFormat(srcFormat) || !IsBitmapPixelFormat(dstFormat)) return;
  const bool srcIndexed = IsIndexedPixelFormat(srcFormat), dstIndexed = IsIndexedPixelFormat(dstFormat);
  const bool palettesAgree = SamePalette(from.palette, to.palette);
  if (srcFormat == dstFormat && (!srcIndexed || palettesAgree)) {
    CopySameFormat(from.pixels, from.x, to.pixels, to.x, count, srcFormat);
    return;
  }
  if (srcIndexed && dstIndexed && palettesAgree && from.palette.size() <= IndexedCapacity(dstFormat)) {
    CopyIndices(from.pixels, GetPixelFormatSize(srcFormat), from.x, to.pixels, GetPixelFormatSize(dstFormat), to.x,
                count);
    return;
  }
  if (!srcIndexed && !dstIndexed &&
      ConvertCommonPair(from.pixels + RowBytes(from.x, srcFormat), srcFormat, to.pixels + RowBytes(to.x, dstFormat),
                        dstFormat, count))
    return;

  PaletteMatcher* matcher = dstIndexed ? &ThreadPaletteMatcher(to.palette.data(), to.palette.size()) : nullptr;
  const PaletteRef palette{from.palette.data(), from.palette.size()};
  if (HasWideChannels(srcFormat) && HasWideChannels(dstFormat)) {
    uint64_t chunk[kChunk];
    for (INT done = 0; done < count; done += kChunk) {
      const INT n = std::min(kChunk, count - done);
      DecodeArgb64(from.pixels, srcFormat, palette, from.x + done, n, chunk);
      EncodeArgb64(chunk, n, to.pixels, dstFormat, matcher, to.x + done);
    }
    return;
  }
  uint32_t chunk[kChunk];
  for (INT done = 0; done < count; done += kChunk) {
    const INT n = std::min(kChunk, count - done);
    DecodeArgb32(from.pixels, srcFormat, palette, from.x + done, n, chunk);
    EncodeArgb32(chunk, n, to.pixels, dstFormat, matcher, to.x + done);
  }
}

}  // namespace vx::gdiplus
