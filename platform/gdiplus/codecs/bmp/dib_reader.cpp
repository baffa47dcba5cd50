// Device-independent bitmaps: Windows info headers (40, 52, 56, 108, 124 bytes), OS/2 core
// (12 bytes) and OS/2 2.x headers, uncompressed, RLE4/RLE8 and bit-field pixels.
#include "platform/gdiplus/codecs/bmp/dib_reader.h"

#include <algorithm>

#include "platform/gdi/dib_header.h"
#include "platform/gdiplus/codecs/byte_order.h"
#include "platform/gdiplus/codecs/frame_tools.h"

namespace vx::gdiplus::codecs {

namespace {

using gdi::DibHeader;

Status ParseHeader(Bytes dib, DibHeader& h) {
  switch (gdi::ParseDibHeader(dib.data(), dib.size(), {}, h)) {
    case gdi::DibParse::Ok: return Ok;
    case gdi::DibParse::TooLarge: return OutOfMemory;
    default: return GenericError;
  }
}

PixelFormat MaskedFormat(const DibHeader& h) {
  const uint32_t r = h.masks[0], g = h.masks[1], b = h.masks[2], a = h.masks[3];
  const uint16_t bpp = h.bitCount;
  if (bpp == 16 && r == 0xF800 && g == 0x07E0 && b == 0x001F && a == 0) return PixelFormat16bppRGB565;
  if (bpp == 16 && r == 0x7C00 && g == 0x03E0 && b == 0x001F) return a == 0x8000 ? PixelFormat16bppARGB1555 : PixelFormat16bppRGB555;
  if (bpp == 32 && r == 0xFF0000 && g == 0xFF00 && b == 0xFF) return a == 0xFF000000u ? PixelFormat32bppARGB : PixelFormat32bppRGB;
  return PixelFormatUndefined;  // any other layout is unpacked channel by channel
}

PixelFormat TargetFormat(const DibHeader& h, bool& unpackMasks) {
  unpackMasks = false;
  if (h.compression == BI_BITFIELDS) {
    if (PixelFormat f = MaskedFormat(h); f != PixelFormatUndefined) return f;
    unpackMasks = true;
    return h.masks[3] ? PixelFormat32bppARGB : PixelFormat32bppRGB;
  }
  switch (h.bitCount) {
    case 1: return PixelFormat1bppIndexed;
    case 4: return PixelFormat4bppIndexed;
    case 8: return PixelFormat8bppIndexed;
    case 16: return PixelFormat16bppRGB555;
    case 24: return PixelFormat24bppRGB;
    default: return PixelFormat32bppRGB;
  }
}

void ReadPalette(Bytes dib, const DibHeader& h, Frame& frame) {
  if (!h.Indexed()) return;
  std::vector<ARGB> palette = gdi::ReadDibColourTable(dib.data(), h);
  palette.resize(size_t{1} << h.bitCount, 0xff000000u);
  SetPalette(frame, std::move(palette));
}

uint64_t UncompressedRowBytes(const DibHeader& h) { return (static_cast<uint64_t>(h.width) * h.bitCount + 7) / 8; }

// Whether the bits hold every row the header claims: checked before the picture's memory is taken,
// so that a few bytes claiming a large picture cost nothing.
bool HoldsUncompressedRows(Bytes dib, const DibHeader& h, uint64_t height, size_t pixelOffset) {
  return height == 0 || InBounds(dib.size(), pixelOffset, h.stride * (height - 1) + UncompressedRowBytes(h));
}

Status ReadUncompressed(Bytes dib, const DibHeader& h, size_t pixelOffset, bool unpackMasks, Frame& frame, size_t& pixelEnd) {
  const uint64_t srcStride = h.stride;
  const uint64_t rowBytes = UncompressedRowBytes(h);
  const uint64_t height = static_cast<uint64_t>(frame.height);
  if (!HoldsUncompressedRows(dib, h, height, pixelOffset)) return GenericError;
  pixelEnd = static_cast<size_t>(pixelOffset + srcStride * height);
  for (INT y = 0; y < frame.height; ++y) {
    const uint64_t srcRow = h.topDown ? y : height - 1 - y;
    const uint8_t* src = dib.data() + pixelOffset + srcRow * srcStride;
    if (unpackMasks)
      gdi::UnpackDibMaskedRow(h, src, frame.width, RowOf(frame, y));
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
  if (h.xPelsPerMeter > 0 && h.yPelsPerMeter > 0) {
    frame.dpiX = static_cast<REAL>(h.xPelsPerMeter * 0.0254);
    frame.dpiY = static_cast<REAL>(h.yPelsPerMeter * 0.0254);
    frame.imageFlags |= ImageFlagsHasRealDPI;
  }
}

}  // namespace

Status ReadDib(const DibRequest& request, DecodeBudget& budget, DibResult& out) {
  DibHeader h;
  if (Status s = ParseHeader(request.dib, h); s != Ok) return s;
  if (request.iconHalfHeight) h.height /= 2;
  bool unpackMasks = false;
  const PixelFormat format = TargetFormat(h, unpackMasks);
  const size_t pixelOffset = request.pixelOffset == kPixelsAfterPalette ? h.bitsOffset : request.pixelOffset;
  if (Status s = CheckFrameSize(h.width, h.height); s != Ok) return s;
  if (!h.RunLength() && !HoldsUncompressedRows(request.dib, h, static_cast<uint64_t>(h.height), pixelOffset))
    return GenericError;
  Frame frame;
  if (Status s = NewFrame(budget, h.width, h.height, format, frame); s != Ok) return s;
  ReadPalette(request.dib, h, frame);
  if (h.RunLength()) {
    DecodeRle(request.dib, pixelOffset, h.compression == BI_RLE4, frame);
    out.pixelEnd = request.dib.size();
  } else if (Status s = ReadUncompressed(request.dib, h, pixelOffset, unpackMasks, frame, out.pixelEnd); s != Ok) {
    return s;
  }
  ApplyResolution(h, frame);
  out.frame = std::move(frame);
  return Ok;
}

}  // namespace vx::gdiplus::codecs
