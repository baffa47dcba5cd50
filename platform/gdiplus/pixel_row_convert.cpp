// ConvertRow: the one place where pixel formats meet. Same-format copies and the common 32-bit
// pairs run directly; every other pair goes through a stack chunk of 32-bit ARGB pixels, or of
// 64-bit pixels when both sides keep 16 bits per channel.
#include <immintrin.h>

#include <algorithm>
#include <array>
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

// The common 24 <-> 32-bit pairs sixteen pixels at a time, where the processor has AVX-512 VBMI:
// one byte permutation moves sixteen pixels' channels, and masked loads and stores keep to the
// row's own bytes. Each returns how many pixels it converted; the caller converts the rest.
#define VX_VBMI __attribute__((target("avx512bw,avx512vbmi")))

bool HasVbmi() {
  static const bool has =
      (__builtin_cpu_init(), __builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("avx512vbmi"));
  return has;
}

// Masks rather than plain forms also spare GCC 12's warning about the plain forms' undefined
// pass-through.
constexpr __mmask64 kBytesOf16Rgb = (1ull << 48) - 1;
constexpr __mmask64 kColourBytes = 0x7777777777777777ull;  // all but each 32-bit pixel's fourth byte

// Byte 4p + c of sixteen 32-bit pixels taken from byte 3p + c of sixteen 24-bit ones (c < 3), and
// the reverse; the spare bytes are masked.
alignas(64) constexpr auto kWiden = [] {
  std::array<uint8_t, 64> index{};
  for (int p = 0; p < 16; ++p)
    for (int c = 0; c < 3; ++c) index[4 * p + c] = static_cast<uint8_t>(3 * p + c);
  return index;
}();
alignas(64) constexpr auto kNarrow = [] {
  std::array<uint8_t, 64> index{};
  for (int p = 0; p < 16; ++p)
    for (int c = 0; c < 3; ++c) index[3 * p + c] = static_cast<uint8_t>(4 * p + c);
  return index;
}();

VX_VBMI INT WidenOpaque24(const uint8_t* src, uint8_t* dst, INT count) {
  const __m512i index = _mm512_load_si512(kWiden.data()), alpha = _mm512_set1_epi32(int(0xFF000000u));
  INT i = 0;
  for (; i + 16 <= count; i += 16) {
    const __m512i rgb = _mm512_maskz_loadu_epi8(kBytesOf16Rgb, src + 3 * size_t(i));
    const __m512i colours = _mm512_maskz_permutexvar_epi8(kColourBytes, index, rgb);
    _mm512_storeu_si512(dst + 4 * size_t(i), _mm512_or_si512(colours, alpha));
  }
  return i;
}

// Straight or opaque 32-bit pixels to 24 bits; with `onlyOpaque` (premultiplied sources) a run of
// sixteen that is not wholly opaque ends the vector part, as its colours must be unpremultiplied.
VX_VBMI INT Narrow32(const uint8_t* src, uint8_t* dst, INT count, bool onlyOpaque) {
  const __m512i index = _mm512_load_si512(kNarrow.data()), opaque = _mm512_set1_epi32(int(0xFF000000u));
  INT i = 0;
  for (; i + 16 <= count; i += 16) {
    const __m512i argb = _mm512_loadu_si512(src + 4 * size_t(i));
    if (onlyOpaque && _mm512_cmplt_epu32_mask(argb, opaque) != 0) break;
    const __m512i colours = _mm512_maskz_permutexvar_epi8(kBytesOf16Rgb, index, argb);
    _mm512_mask_storeu_epi8(dst + 3 * size_t(i), kBytesOf16Rgb, colours);
  }
  return i;
}

INT WidenOpaque24Fast(const uint8_t* src, uint8_t* dst, INT count) {
  return HasVbmi() ? WidenOpaque24(src, dst, count) : 0;
}
INT Narrow32Fast(const uint8_t* src, uint8_t* dst, INT count, bool onlyOpaque) {
  return HasVbmi() ? Narrow32(src, dst, count, onlyOpaque) : 0;
}

// Direct loops for the pairs the engine and the codecs use most.
bool ConvertCommonPair(const uint8_t* src, PixelFormat srcFormat, uint8_t* dst, PixelFormat dstFormat, INT count) {
  const bool dst32 = dstFormat == PixelFormat32bppARGB || dstFormat == PixelFormat32bppRGB ||
                     dstFormat == PixelFormat32bppPARGB;
  if (srcFormat == PixelFormat24bppRGB && dst32) {
    // A pixel read as four bytes, the fourth belonging to the next pixel; the last is read bytewise
    // so that nothing past the row is touched.
    INT i = WidenOpaque24Fast(src, dst, count);
    for (; i + 1 < count; ++i) Store32(dst + 4 * i, Load32(src + 3 * i) | 0xff000000u);
    if (const uint8_t* last = src + 3 * i; i < count)
      Store32(dst + 4 * i, last[0] | uint32_t(last[1]) << 8 | uint32_t(last[2]) << 16 | 0xff000000u);
    return true;
  }
  if ((srcFormat == PixelFormat32bppARGB || IsOpaque32(srcFormat)) && dstFormat == PixelFormat24bppRGB) {
    const INT done = Narrow32Fast(src, dst, count, false);
    src += 4 * size_t(done), dst += 3 * size_t(done);
    for (INT i = done; i < count; ++i, src += 4, dst += 3) {
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
    // Opaque pixels are their own unpremultiplied colours: runs of sixteen of them are narrowed at
    // once, a run with a translucent pixel and the row's tail one by one.
    for (INT i = 0; i < count;) {
      i += Narrow32Fast(src + 4 * size_t(i), dst + 3 * size_t(i), count - i, true);
      for (const INT end = std::min(count, i + 16); i < end; ++i) {
        const uint32_t c = UnpremultiplyArgb(Load32(src + 4 * size_t(i)));
        uint8_t* out = dst + 3 * size_t(i);
        out[0] = static_cast<uint8_t>(B8(c));
        out[1] = static_cast<uint8_t>(G8(c));
        out[2] = static_cast<uint8_t>(R8(c));
      }
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
