#include "platform/gdiplus/pixel_row_codec.h"

#include "platform/gdiplus/palette_matcher.h"
#include "platform/gdiplus/pixel_channels.h"

namespace vx::gdiplus {

using namespace channels;

namespace {

// Byte offsets are computed in size_t so that no row length can overflow an int.
constexpr size_t Offset(INT x) { return static_cast<size_t>(x); }

// Entries past the end of a short palette read as opaque black.
ARGB PaletteColour(PaletteRef palette, uint32_t index) {
  return index < palette.count ? palette.entries[index] : 0xff000000u;
}

uint64_t WidenPixel(uint32_t c) { return Argb64(Widen(A8(c)), Widen(R8(c)), Widen(G8(c)), Widen(B8(c))); }
uint32_t NarrowPixel(uint64_t c) { return Argb(Narrow(A16(c)), Narrow(R16(c)), Narrow(G16(c)), Narrow(B16(c))); }

uint64_t Unpremultiply64(uint64_t c) {
  const uint32_t a = A16(c);
  if (a == 65535) return c;
  return Argb64(a, Unpremultiply16(R16(c), a), Unpremultiply16(G16(c), a), Unpremultiply16(B16(c), a));
}

uint64_t Premultiply64(uint64_t c) {
  const uint32_t a = A16(c);
  if (a == 65535) return c;
  return Argb64(a, Premultiply16(R16(c), a), Premultiply16(G16(c), a), Premultiply16(B16(c), a));
}

// Luminance with the Rec. 601 weights, on 16-bit channels; an 8-bit grey v gives exactly v * 257.
uint32_t Luminance16(uint64_t r16, uint64_t g16, uint64_t b16) {
  return static_cast<uint32_t>((r16 * 299 + g16 * 587 + b16 * 114 + 500) / 1000);
}

void DecodeIndexed(const uint8_t* row, UINT bits, PaletteRef palette, INT x, INT count, uint32_t* out) {
  for (INT i = 0; i < count; ++i) out[i] = PaletteColour(palette, ReadIndex(row, bits, x + i));
}

void EncodeIndexed(const uint32_t* in, INT count, uint8_t* row, UINT bits, PaletteMatcher* matcher, INT x) {
  const uint32_t mask = (1u << bits) - 1;
  for (INT i = 0; i < count; ++i) WriteIndex(row, bits, x + i, (matcher ? matcher->Nearest(in[i]) : 0) & mask);
}

}  // namespace

uint32_t ReadIndex(const uint8_t* row, UINT bits, INT x) {
  switch (bits) {
    case 1:
      return (row[x >> 3] >> (7 - (x & 7))) & 1;
    case 4:
      return (x & 1) ? row[x >> 1] & 0x0f : row[x >> 1] >> 4;
    default:
      return row[x];
  }
}

void WriteIndex(uint8_t* row, UINT bits, INT x, uint32_t index) {
  switch (bits) {
    case 1: {
      const uint8_t bit = static_cast<uint8_t>(0x80 >> (x & 7));
      row[x >> 3] = static_cast<uint8_t>(index & 1 ? row[x >> 3] | bit : row[x >> 3] & ~bit);
      break;
    }
    case 4: {
      uint8_t& byte = row[x >> 1];
      byte = static_cast<uint8_t>((x & 1) ? (byte & 0xf0) | (index & 0x0f) : (byte & 0x0f) | (index & 0x0f) << 4);
      break;
    }
    default:
      row[x] = static_cast<uint8_t>(index);
  }
}

void DecodeArgb32(const uint8_t* row, PixelFormat format, PaletteRef palette, INT x, INT count, uint32_t* out) {
  switch (format) {
    case PixelFormat1bppIndexed:
    case PixelFormat4bppIndexed:
    case PixelFormat8bppIndexed:
      DecodeIndexed(row, GetPixelFormatSize(format), palette, x, count, out);
      return;
    case PixelFormat16bppGrayScale:
      for (INT i = 0; i < count; ++i) {
        const uint32_t v = Narrow(Load16(row + 2 * Offset(x + i)));
        out[i] = Argb(255, v, v, v);
      }
      return;
    case PixelFormat16bppRGB555:
    case PixelFormat16bppARGB1555: {
      const bool alphaBit = format == PixelFormat16bppARGB1555;
      for (INT i = 0; i < count; ++i) {
        const uint32_t v = Load16(row + 2 * Offset(x + i));
        const uint32_t a = alphaBit ? ((v & 0x8000) ? 255 : 0) : 255;
        out[i] = Argb(a, Expand5((v >> 10) & 31), Expand5((v >> 5) & 31), Expand5(v & 31));
      }
      return;
    }
    case PixelFormat16bppRGB565:
      for (INT i = 0; i < count; ++i) {
        const uint32_t v = Load16(row + 2 * Offset(x + i));
        out[i] = Argb(255, Expand5(v >> 11), Expand6((v >> 5) & 63), Expand5(v & 31));
      }
      return;
    case PixelFormat24bppRGB:
      for (INT i = 0; i < count; ++i) {
        const uint8_t* p = row + 3 * Offset(x + i);
        out[i] = Argb(255, p[2], p[1], p[0]);
      }
      return;
    case PixelFormat32bppRGB:
      for (INT i = 0; i < count; ++i) out[i] = Load32(row + 4 * Offset(x + i)) | 0xff000000u;
      return;
    case PixelFormat32bppARGB:
      std::memcpy(out, row + 4 * Offset(x), 4 * static_cast<size_t>(count));
      return;
    case PixelFormat32bppPARGB:
      for (INT i = 0; i < count; ++i) out[i] = UnpremultiplyArgb(Load32(row + 4 * Offset(x + i)));
      return;
    case PixelFormat48bppRGB:
    case PixelFormat64bppARGB:
    case PixelFormat64bppPARGB: {
      uint64_t wide[256];
      for (INT done = 0; done < count;) {
        const INT n = std::min<INT>(256, count - done);
        DecodeArgb64(row, format, palette, x + done, n, wide);
        for (INT i = 0; i < n; ++i) out[done + i] = NarrowPixel(wide[i]);
        done += n;
      }
      return;
    }
    default:
      std::memset(out, 0, 4 * static_cast<size_t>(count));
  }
}

void DecodeArgb64(const uint8_t* row, PixelFormat format, PaletteRef palette, INT x, INT count, uint64_t* out) {
  switch (format) {
    case PixelFormat16bppGrayScale:
      for (INT i = 0; i < count; ++i) {
        const uint64_t v = Load16(row + 2 * Offset(x + i));
        out[i] = Argb64(65535, v, v, v);
      }
      return;
    case PixelFormat48bppRGB:
      for (INT i = 0; i < count; ++i) {
        const uint8_t* p = row + 6 * Offset(x + i);
        out[i] = Argb64(65535, Load16(p + 4), Load16(p + 2), Load16(p));
      }
      return;
    case PixelFormat64bppARGB:
      for (INT i = 0; i < count; ++i) out[i] = Load64(row + 8 * Offset(x + i));
      return;
    case PixelFormat64bppPARGB:
      for (INT i = 0; i < count; ++i) out[i] = Unpremultiply64(Load64(row + 8 * Offset(x + i)));
      return;
    default: {
      uint32_t narrow[256];
      for (INT done = 0; done < count;) {
        const INT n = std::min<INT>(256, count - done);
        DecodeArgb32(row, format, palette, x + done, n, narrow);
        for (INT i = 0; i < n; ++i) out[done + i] = WidenPixel(narrow[i]);
        done += n;
      }
    }
  }
}

void EncodeArgb32(const uint32_t* in, INT count, uint8_t* row, PixelFormat format, PaletteMatcher* matcher, INT x) {
  switch (format) {
    case PixelFormat1bppIndexed:
    case PixelFormat4bppIndexed:
    case PixelFormat8bppIndexed:
      EncodeIndexed(in, count, row, GetPixelFormatSize(format), matcher, x);
      return;
    case PixelFormat16bppGrayScale:
      for (INT i = 0; i < count; ++i) {
        const uint32_t c = in[i];
        Store16(row + 2 * Offset(x + i), static_cast<uint16_t>(Luminance16(Widen(R8(c)), Widen(G8(c)), Widen(B8(c)))));
      }
      return;
    case PixelFormat16bppRGB555:
    case PixelFormat16bppARGB1555: {
      const bool alphaBit = format == PixelFormat16bppARGB1555;
      for (INT i = 0; i < count; ++i) {
        const uint32_t c = in[i];
        uint32_t v = (R8(c) >> 3) << 10 | (G8(c) >> 3) << 5 | (B8(c) >> 3);
        if (alphaBit && A8(c) >= 128) v |= 0x8000;
        Store16(row + 2 * Offset(x + i), static_cast<uint16_t>(v));
      }
      return;
    }
    case PixelFormat16bppRGB565:
      for (INT i = 0; i < count; ++i) {
        const uint32_t c = in[i];
        Store16(row + 2 * Offset(x + i), static_cast<uint16_t>((R8(c) >> 3) << 11 | (G8(c) >> 2) << 5 | (B8(c) >> 3)));
      }
      return;
    case PixelFormat24bppRGB:
      for (INT i = 0; i < count; ++i) {
        uint8_t* p = row + 3 * Offset(x + i);
        const uint32_t c = in[i];
        p[0] = static_cast<uint8_t>(B8(c));
        p[1] = static_cast<uint8_t>(G8(c));
        p[2] = static_cast<uint8_t>(R8(c));
      }
      return;
    case PixelFormat32bppRGB:
      for (INT i = 0; i < count; ++i) Store32(row + 4 * Offset(x + i), in[i] | 0xff000000u);
      return;
    case PixelFormat32bppARGB:
      std::memcpy(row + 4 * Offset(x), in, 4 * static_cast<size_t>(count));
      return;
    case PixelFormat32bppPARGB:
      for (INT i = 0; i < count; ++i) Store32(row + 4 * Offset(x + i), PremultiplyArgb(in[i]));
      return;
    case PixelFormat48bppRGB:
    case PixelFormat64bppARGB:
    case PixelFormat64bppPARGB: {
      uint64_t wide[256];
      for (INT done = 0; done < count;) {
        const INT n = std::min<INT>(256, count - done);
        for (INT i = 0; i < n; ++i) wide[i] = WidenPixel(in[done + i]);
        EncodeArgb64(wide, n, row, format, matcher, x + done);
        done += n;
      }
      return;
    }
    default:
      return;
  }
}

void EncodeArgb64(const uint64_t* in, INT count, uint8_t* row, PixelFormat format, PaletteMatcher* matcher, INT x) {
  switch (format) {
    case PixelFormat16bppGrayScale:
      for (INT i = 0; i < count; ++i)
        Store16(row + 2 * Offset(x + i), static_cast<uint16_t>(Luminance16(R16(in[i]), G16(in[i]), B16(in[i]))));
      return;
    case PixelFormat48bppRGB:
      for (INT i = 0; i < count; ++i) {
        uint8_t* p = row + 6 * Offset(x + i);
        Store16(p, static_cast<uint16_t>(B16(in[i])));
        Store16(p + 2, static_cast<uint16_t>(G16(in[i])));
        Store16(p + 4, static_cast<uint16_t>(R16(in[i])));
      }
      return;
    case PixelFormat64bppARGB:
      for (INT i = 0; i < count; ++i) Store64(row + 8 * Offset(x + i), in[i]);
      return;
    case PixelFormat64bppPARGB:
      for (INT i = 0; i < count; ++i) Store64(row + 8 * Offset(x + i), Premultiply64(in[i]));
      return;
    default: {
      uint32_t narrow[256];
      for (INT done = 0; done < count;) {
        const INT n = std::min<INT>(256, count - done);
        for (INT i = 0; i < n; ++i) narrow[i] = NarrowPixel(in[done + i]);
        EncodeArgb32(narrow, n, row, format, matcher, x + done);
        done += n;
      }
    }
  }
}

}  // namespace vx::gdiplus
