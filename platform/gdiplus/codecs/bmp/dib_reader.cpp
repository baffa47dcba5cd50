// Device-independent bitmaps: Windows info headers (40, 52, 56, 108, 124 bytes), OS/2 core
// (12 bytes) and OS/2 2.x headers, uncompressed, RLE4/RLE8 and bit-field pixels.
#include "platform/gdiplus/codecs/bmp/dib_reader.h"

#include <algorithm>
#include <bit>
#include <cstdlib>

#include "platform/gdiplus/codecs/byte_order.h"
#include "platform/gdiplus/codecs/frame_tools.h"

namespace vx::gdiplus::codecs {

namespace {

constexpr uint32_t kBiRgb = 0, kBiRle8 = 1, kBiRle4 = 2, kBiBitfields = 3, kBiAlphaBitfields = 6;

struct DibHeader {
  uint32_t headerSize = 0;
  int64_t width = 0;
  int64_t height = 0;
  bool topDown = false;
  uint16_t bpp = 0;
  uint32_t compression = kBiRgb;
  int32_t xppm = 0, yppm = 0;
  uint32_t colorsUsed = 0;
  uint32_t masks[4] = {};  // red, green, blue, alpha
  bool os2Core = false;
  bool os2v2 = false;
  size_t paletteOffset = 0;
};

bool IsWindowsHeaderSize(uint32_t size) { return size == 40 || size == 52 || size == 56 || size == 108 || size == 124; }

Status ParseHeader(Bytes dib, DibHeader& h) {
  if (!InBounds(dib.size(), 0, 4)) return GenericError;
  const uint8_t* p = dib.data();
  h.headerSize = Get32LE(p);
  h.os2Core = h.headerSize == 12;
  h.os2v2 = !h.os2Core && !IsWindowsHeaderSize(h.headerSize) && h.headerSize >= 16 && h.headerSize <= 64;
  if (!h.os2Core && !h.os2v2 && !IsWindowsHeaderSize(h.headerSize)) return GenericError;
  if (!InBounds(dib.size(), 0, h.headerSize)) return GenericError;
  if (h.os2Core) {
    h.width = Get16LE(p + 4);
    h.height = Get16LE(p + 6);
    h.bpp = Get16LE(p + 10);
  } else {
    h.width = static_cast<int32_t>(Get32LE(p + 4));
    h.height = static_cast<int32_t>(Get32LE(p + 8));
    h.bpp = Get16LE(p + 14);
    if (h.headerSize >= 20) h.compression = Get32LE(p + 16);
    if (h.headerSize >= 32) {
      h.xppm = static_cast<int32_t>(Get32LE(p + 24));
      h.yppm = static_cast<int32_t>(Get32LE(p + 28));
    }
    if (h.headerSize >= 36) h.colorsUsed = Get32LE(p + 32);
  }
  h.topDown = h.height < 0;
  h.height = std::abs(h.height);
  size_t after = h.headerSize;
  if (h.os2v2 && h.compression != kBiRgb && h.compression != kBiRle8 && h.compression != kBiRle4)
    return GenericError;  // OS/2 Huffman and RLE24 are not supported
  if (h.compression == kBiBitfields || h.compression == kBiAlphaBitfields) {
    const size_t maskCount = h.compression == kBiAlphaBitfields ? 4 : 3;
    if (h.headerSize >= 52) {
      for (size_t i = 0; i < 4 && 40 + 4 * i + 4 <= h.headerSize; ++i) h.masks[i] = Get32LE(p + 40 + 4 * i);
    } else {
      if (!InBounds(dib.size(), after, 4 * maskCount)) return GenericError;
      for (size_t i = 0; i < maskCount; ++i) h.masks[i] = Get32LE(p + after + 4 * i);
      after += 4 * maskCount;
    }
  }
  h.paletteOffset = after;
  return Ok;
}

bool DepthMatchesCompression(const DibHeader& h) {
  switch (h.compression) {
    case kBiRgb:
      return h.bpp == 1 || h.bpp == 4 || h.bpp == 8 || h.bpp == 16 || h.bpp == 24 || h.bpp == 32;
    case kBiRle8:
      return h.bpp == 8 && !h.topDown;
    case kBiRle4:
      return h.bpp == 4 && !h.topDown;
    case kBiBitfields:
    case kBiAlphaBitfields:
      return h.bpp == 16 || h.bpp == 32;
    default:
      return false;
  }
}

// Where one colour channel sits inside a masked pixel.
struct MaskChannel {
  uint32_t mask = 0;
  int shift = 0;
  uint32_t max = 0;
  explicit MaskChannel(uint32_t m) : mask(m) {
    if (m == 0) return;
    shift = std::countr_zero(m);
    max = m >> shift;
  }
  uint8_t Value(uint32_t pixel) const {
    if (max == 0) return 0;
    return static_cast<uint8_t>((static_cast<uint64_t>((pixel & mask) >> shift) * 255 + max / 2) / max);
  }
};

PixelFormat MaskedFormat(const DibHeader& h) {
  const uint32_t r = h.masks[0], g = h.masks[1], b = h.masks[2], a = h.masks[3];
  if (h.bpp == 16 && r == 0xF800 && g == 0x07E0 && b == 0x001F && a == 0) return PixelFormat16bppRGB565;
  if (h.bpp == 16 && r == 0x7C00 && g == 0x03E0 && b == 0x001F) return a == 0x8000 ? PixelFormat16bppARGB1555 : PixelFormat16bppRGB555;
  if (h.bpp == 32 && r == 0xFF0000 && g == 0xFF00 && b == 0xFF) return a == 0xFF000000u ? PixelFormat32bppARGB : PixelFormat32bppRGB;
  return PixelFormatUndefined;  // any other layout is unpacked channel by channel
}

PixelFormat TargetFormat(const DibHeader& h, bool& unpackMasks) {
  unpackMasks = false;
  if (h.compression == kBiBitfields || h.compression == kBiAlphaBitfields) {
    if (PixelFormat f = MaskedFormat(h); f != PixelFormatUndefined) return f;
    unpackMasks = true;
    return h.masks[3] ? PixelFormat32bppARGB : PixelFormat32bppRGB;
  }
  switch (h.bpp) {
    case 1: return PixelFormat1bppIndexed;
    case 4: return PixelFormat4bppIndexed;
    case 8: return PixelFormat8bppIndexed;
    case 16: return PixelFormat16bppRGB555;
    case 24: return PixelFormat24bppRGB;
    default: return PixelFormat32bppRGB;
  }
}

Status ReadPalette(Bytes dib, const DibHeader& h, Frame& frame, size_t& paletteEnd) {
  const size_t entrySize = h.os2Core ? 3 : 4;
  const uint64_t capacity = h.bpp <= 8 ? uint64_t{1} << h.bpp : 0;
  uint64_t stored = h.colorsUsed ? h.colorsUsed : capacity;
  if (h.os2Core) stored = capacity;
  if (stored > 65536) return GenericError;
  paletteEnd = h.paletteOffset + static_cast<size_t>(stored) * entrySize;
  if (capacity == 0) return Ok;
  const uint64_t used = std::min(stored, capacity);
  if (!InBounds(dib.size(), h.paletteOffset, used * entrySize)) return GenericError;
  std::vector<ARGB> palette(static_cast<size_t>(capacity), 0xff000000u);
  for (size_t i = 0; i < used; ++i) {
    const uint8_t* e = dib.data() + h.paletteOffset + i * entrySize;
    palette[i] = OpaqueRgb(e[2], e[1], e[0]);
  }
  SetPalette(frame, std::move(palette));
  return Ok;
}

void UnpackMaskedRow(const uint8_t* src, const DibHeader& h, uint8_t* dst, INT width) {
  const MaskChannel r(h.masks[0]), g(h.masks[1]), b(h.masks[2]), a(h.masks[3]);
  for (INT x = 0; x < width; ++x) {
    const uint32_t pixel = h.bpp == 16 ? Get16LE(src + 2 * x) : Get32LE(src + 4 * x);
    dst[4 * x] = b.Value(pixel);
    dst[4 * x + 1] = g.Value(pixel);
    dst[4 * x + 2] = r.Value(pixel);
    dst[4 * x + 3] = h.masks[3] ? a.Value(pixel) : 0xff;
  }
}

Status ReadUncompressed(Bytes dib, const DibHeader& h, size_t pixelOffset, bool unpackMasks, Frame& frame, size_t& pixelEnd) {
  const uint64_t srcStride = (static_cast<uint64_t>(h.width) * h.bpp + 31) / 32 * 4;
  const uint64_t rowBytes = (static_cast<uint64_t>(h.width) * h.bpp + 7) / 8;
  const uint64_t height = static_cast<uint64_t>(frame.height);
  if (!InBounds(dib.size(), pixelOffset, srcStride * (height - 1) + rowBytes)) return GenericError;
  pixelEnd = static_cast<size_t>(pixelOffset + srcStride * height);
  for (INT y = 0; y < frame.height; ++y) {
    const uint64_t srcRow = h.topDown ? y : height - 1 - y;
    const uint8_t* src = dib.data() + pixelOffset + srcRow * srcStride;
    if (unpackMasks)
      UnpackMaskedRow(src, h, RowOf(frame, y), frame.width);
    else
      std::copy_n(src, rowBytes, RowOf(frame, y));
  }
  return Ok;
}

void PutIndex(Frame& frame, int64_t x, int64_t yBottomUp, uint8_t index, bool fourBit) {
  if (x < 0 || x >= frame.width || yBottomUp < 0 || yBottomUp >= frame.height) return;
  uint8_t* row = RowOf(frame, static_cast<INT>(frame.height - 1 - yBottomUp));
  if (!fourBit) {
    row[x] = index;
    return;
  }
  uint8_t& byte = row[x / 2];
  byte = (x & 1) ? static_cast<uint8_t>((byte & 0xF0) | (index & 0x0F)) : static_cast<uint8_t>((byte & 0x0F) | (index << 4));
}

// Run-length data: pairs (count, index) or escapes 0/0 end of line, 0/1 end of bitmap, 0/2 delta,
// 0/n literal run (padded to 16 bits). Data that ends early leaves the rest of the picture at 0.
void DecodeRle(Bytes dib, size_t offset, bool fourBit, Frame& frame) {
  const uint8_t* p = dib.data();
  size_t i = std::min(offset, dib.size());
  const size_t end = dib.size();
  int64_t x = 0, y = 0;
  while (i + 1 < end && y < frame.height) {
    const uint8_t count = p[i], value = p[i + 1];
    i += 2;
    if (count > 0) {
      for (int k = 0; k < count; ++k) {
        const uint8_t index = fourBit ? ((k & 1) ? (value & 0x0F) : (value >> 4)) : value;
        PutIndex(frame, x++, y, index, fourBit);
      }
      continue;
    }
    if (value == 0) {
      x = 0;
      ++y;
    } else if (value == 1) {
      return;
    } else if (value == 2) {
      if (i + 1 >= end) return;
      x += p[i];
      y += p[i + 1];
      i += 2;
    } else {
      const size_t literalBytes = fourBit ? (value + 1u) / 2 : value;
      for (int k = 0; k < value; ++k) {
        const size_t at = i + (fourBit ? k / 2 : k);
        if (at >= end) return;
        const uint8_t index = fourBit ? ((k & 1) ? (p[at] & 0x0F) : (p[at] >> 4)) : p[at];
        PutIndex(frame, x++, y, index, fourBit);
      }
      i += (literalBytes + 1) & ~size_t{1};
    }
  }
}

void ApplyResolution(const DibHeader& h, Frame& frame) {
  frame.imageFlags = ImageFlagsColorSpaceRGB | ImageFlagsHasRealPixelSize;
  if (IsAlphaPixelFormat(frame.format)) frame.imageFlags |= ImageFlagsHasAlpha;
  if (h.xppm > 0 && h.yppm > 0) {
    frame.dpiX = static_cast<REAL>(h.xppm * 0.0254);
    frame.dpiY = static_cast<REAL>(h.yppm * 0.0254);
    frame.imageFlags |= ImageFlagsHasRealDPI;
  }
}

}  // namespace

Status ReadDib(const DibRequest& request, DecodeBudget& budget, DibResult& out) {
  DibHeader h;
  if (Status s = ParseHeader(request.dib, h); s != Ok) return s;
  if (!DepthMatchesCompression(h)) return GenericError;
  if (request.iconHalfHeight) h.height /= 2;
  bool unpackMasks = false;
  const PixelFormat format = TargetFormat(h, unpackMasks);
  Frame frame;
  if (Status s = NewFrame(budget, h.width, h.height, format, frame); s != Ok) return s;
  size_t paletteEnd = 0;
  if (Status s = ReadPalette(request.dib, h, frame, paletteEnd); s != Ok) return s;
  const size_t pixelOffset = request.pixelOffset == kPixelsAfterPalette ? paletteEnd : request.pixelOffset;
  if (h.compression == kBiRle8 || h.compression == kBiRle4) {
    DecodeRle(request.dib, pixelOffset, h.compression == kBiRle4, frame);
    out.pixelEnd = request.dib.size();
  } else if (Status s = ReadUncompressed(request.dib, h, pixelOffset, unpackMasks, frame, out.pixelEnd); s != Ok) {
    return s;
  }
  ApplyResolution(h, frame);
  out.frame = std::move(frame);
  return Ok;
}

}  // namespace vx::gdiplus::codecs
