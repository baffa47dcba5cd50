#include "platform/gdi/dib_format.h"

#include <bit>
#include <cstring>
#include <limits>

#include "platform/gdiplus/codecs/byte_order.h"

namespace vx::gdi {
namespace {

using gdiplus::codecs::Get16LE;
using gdiplus::codecs::Get32LE;
using gdiplus::codecs::Set32LE;

constexpr size_t kInfoHeaderBytes = 40;


bool MakeMask(uint32_t mask, ChannelMask& out) {
  out = ChannelMask{};
  if (mask == 0) return true;
  if (!IsContiguousMask(mask)) return false;
  const int shift = std::countr_zero(mask);
  const uint32_t run = mask >> shift;
  out.mask = mask;
  out.shift = static_cast<uint8_t>(shift);
  out.bits = static_cast<uint8_t>(std::popcount(run));
  return true;
}

uint32_t ChannelTo8(uint32_t pixel, const ChannelMask& m) {
  const uint32_t v = (pixel & m.mask) >> m.shift;
  if (m.bits == 8) return v;
  if (m.bits > 8) return v >> (m.bits - 8);
  const uint32_t max = (1u << m.bits) - 1;
  return (v * 255 + max / 2) / max;
}

uint32_t ChannelFrom8(uint32_t v8, const ChannelMask& m) {
  if (m.bits == 0) return 0;
  uint64_t v;
  if (m.bits == 8) {
    v = v8;
  } else if (m.bits > 8) {
    const uint64_t max = (uint64_t{1} << m.bits) - 1;
    v = (v8 * max + 127) / 255;
  } else {
    const uint32_t max = (1u << m.bits) - 1;
    v = (v8 * max + 127) / 255;
  }
  return static_cast<uint32_t>(v << m.shift) & m.mask;
}

std::vector<uint32_t> DefaultColors(uint16_t bitCount) {
  if (bitCount == 1) return {0xFF000000u, 0xFFFFFFFFu};
  const size_t n = size_t{1} << bitCount;
  std::vector<uint32_t> colors(n);
  for (size_t i = 0; i < n; ++i) {
    const uint32_t g = static_cast<uint32_t>(i * 255 / (n - 1));
    colors[i] = 0xFF000000u | (g << 16) | (g << 8) | g;
  }
  return colors;
}

bool ValidBitCount(uint16_t bits) {
  return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

// Size fields every layout shares: dimensions in range, pixel memory bounded.
bool SetGeometry(int32_t width, int32_t height, bool topDown, uint16_t bitCount, DibFormat& out) {
  if (width < 1 || width > kMaxDibDimension || height < 1 || height > kMaxDibDimension) return false;
  if (!ValidBitCount(bitCount)) return false;
  const uint64_t stride = (static_cast<uint64_t>(width) * bitCount + 31) / 32 * 4;
  if (stride * static_cast<uint64_t>(height) > kMaxDibBytes) return false;
  out.width = width;
  out.height = height;
  out.topDown = topDown;
  out.bitCount = bitCount;
  out.stride = static_cast<size_t>(stride);
  return true;
}

}  // namespace

void SetBitfieldMasks(DibFormat& format, uint32_t red, uint32_t green, uint32_t blue, uint32_t alpha) {
  MakeMask(red, format.red);
  MakeMask(green, format.green);
  MakeMask(blue, format.blue);
  MakeMask(alpha, format.alpha);
}

bool IsDefaultMasks(const DibFormat& f) {
  if (f.bitCount == 16) return f.red.mask == 0x7C00 && f.green.mask == 0x03E0 && f.blue.mask == 0x001F && !f.alpha.mask;
  if (f.bitCount == 32) return f.red.mask == 0xFF0000 && f.green.mask == 0xFF00 && f.blue.mask == 0xFF && !f.alpha.mask;
  return true;
}

bool Is565(const DibFormat& f) {
  return f.bitCount == 16 && f.red.mask == 0xF800 && f.green.mask == 0x07E0 && f.blue.mask == 0x001F;
}

DibParse MakeDibFormat(int32_t width, int32_t height, bool topDown, uint16_t bitCount, std::vector<uint32_t> colors,
                       DibFormat& out) {
  out = DibFormat{};
  if (!SetGeometry(width, height, topDown, bitCount, out)) return DibParse::Malformed;
  if (bitCount == 16) SetBitfieldMasks(out, 0x7C00, 0x03E0, 0x001F, 0);
  if (bitCount == 32) SetBitfieldMasks(out, 0xFF0000, 0xFF00, 0xFF, 0);
  if (out.Indexed()) {
    const size_t capacity = size_t{1} << bitCount;
    if (colors.empty()) colors = DefaultColors(bitCount);
    if (colors.size() > capacity) colors.resize(capacity);
    out.colors = std::move(colors);
  }
  return DibParse::Ok;
}

DibParse ParseDibInfo(const void* info, size_t available, DibFormat& out, size_t* headerBytes) {
  out = DibFormat{};
  DibHeader h;
  const DibParse parsed = ParseDibHeader(info, available, {kMaxDibDimension, kMaxDibBytes}, h);
  if (parsed != DibParse::Ok) return parsed;
  // A BITMAPINFO starts with at least the 40-byte header; the shorter OS/2 headers and run
  // lengths are left to the BMP decoder.
  if (h.size < kInfoHeaderBytes) return DibParse::Malformed;
  if (h.RunLength()) return DibParse::Unsupported;
  out.width = h.width;
  out.height = h.height;
  out.topDown = h.topDown;
  out.bitCount = h.bitCount;
  out.stride = static_cast<size_t>(h.stride);
  out.compression = h.compression;
  SetBitfieldMasks(out, h.masks[0], h.masks[1], h.masks[2], h.masks[3]);
  out.colors = ReadDibColourTable(info, h);
  if (headerBytes) *headerBytes = h.bitsOffset;
  return DibParse::Ok;
}

size_t DibInfoBytes(const DibFormat& f) {
  size_t bytes = kInfoHeaderBytes;
  if (!IsDefaultMasks(f)) bytes += 12;
  if (f.Indexed()) bytes += 4 * f.colors.size();
  return bytes;
}

size_t WriteDibInfo(const DibFormat& f, void* out, size_t room) {
  const size_t bytes = DibInfoBytes(f);
  if (room < bytes) return 0;
  BITMAPINFOHEADER h{};
  h.biSize = kInfoHeaderBytes;
  h.biWidth = f.width;
  h.biHeight = f.topDown ? -f.height : f.height;
  h.biPlanes = 1;
  h.biBitCount = f.bitCount;
  h.biCompression = IsDefaultMasks(f) ? BI_RGB : BI_BITFIELDS;
  h.biSizeImage = static_cast<DWORD>(f.ImageBytes());
  const size_t capacity = size_t{1} << (f.Indexed() ? f.bitCount : 0);
  h.biClrUsed = f.Indexed() && f.colors.size() < capacity ? static_cast<DWORD>(f.colors.size()) : 0;
  auto* p = static_cast<uint8_t*>(out);
  std::memcpy(p, &h, sizeof h);
  size_t offset = kInfoHeaderBytes;
  if (h.biCompression == BI_BITFIELDS) {
    Set32LE(p + offset, f.red.mask);
    Set32LE(p + offset + 4, f.green.mask);
    Set32LE(p + offset + 8, f.blue.mask);
    offset += 12;
  }
  if (f.Indexed()) {
    for (uint32_t c : f.colors) {
      Set32LE(p + offset, c & 0xFFFFFFu);
      offset += 4;
    }
  }
  return offset;
}

void ReadDibRow(const DibFormat& f, const uint8_t* row, int32_t x, int32_t count, uint32_t* argb) {
  switch (f.bitCount) {
    case 1:
    case 4:
    case 8: {
      const unsigned bits = f.bitCount;
      const unsigned perByte = 8 / bits;
      const unsigned mask = (1u << bits) - 1;
      for (int32_t i = 0; i < count; ++i) {
        const unsigned px = static_cast<unsigned>(x + i);
        const unsigned shift = (perByte - 1 - px % perByte) * bits;
        const unsigned index = (row[px / perByte] >> shift) & mask;
        argb[i] = index < f.colors.size() ? f.colors[index] : 0xFF000000u;
      }
      return;
    }
    case 24: {
      const uint8_t* s = row + 3 * static_cast<size_t>(x);
      for (int32_t i = 0; i < count; ++i, s += 3)
        argb[i] = 0xFF000000u | (uint32_t{s[2]} << 16) | (uint32_t{s[1]} << 8) | s[0];
      return;
    }
    case 16:
    case 32: {
      const size_t bytes = f.bitCount / 8;
      const uint8_t* s = row + bytes * static_cast<size_t>(x);
      const bool plain32 = f.bitCount == 32 && f.red.mask == 0xFF0000 && f.green.mask == 0xFF00 && f.blue.mask == 0xFF;
      for (int32_t i = 0; i < count; ++i, s += bytes) {
        const uint32_t pixel = bytes == 4 ? Get32LE(s) : Get16LE(s);
        const uint32_t a = f.alpha.mask ? ChannelTo8(pixel, f.alpha) : 255u;
        if (plain32) {
          argb[i] = (a << 24) | (pixel & 0xFFFFFFu);
        } else {
          argb[i] = (a << 24) | (ChannelTo8(pixel, f.red) << 16) | (ChannelTo8(pixel, f.green) << 8) |
                    ChannelTo8(pixel, f.blue);
        }
      }
      return;
    }
    default:
      return;
  }
}

void WriteDibRow(const DibFormat& f, const uint32_t* argb, int32_t x, int32_t count, uint8_t* row) {
  switch (f.bitCount) {
    case 1:
    case 4:
    case 8: {
      NearestColor nearest(f.colors);
      const unsigned bits = f.bitCount;
      const unsigned perByte = 8 / bits;
      const unsigned mask = (1u << bits) - 1;
      for (int32_t i = 0; i < count; ++i) {
        const unsigned px = static_cast<unsigned>(x + i);
        const unsigned shift = (perByte - 1 - px % perByte) * bits;
        uint8_t& byte = row[px / perByte];
        byte = static_cast<uint8_t>((byte & ~(mask << shift)) | ((nearest.Find(argb[i]) & mask) << shift));
      }
      return;
    }
    case 24: {
      uint8_t* d = row + 3 * static_cast<size_t>(x);
      for (int32_t i = 0; i < count; ++i, d += 3) {
        d[0] = static_cast<uint8_t>(argb[i]);
        d[1] = static_cast<uint8_t>(argb[i] >> 8);
        d[2] = static_cast<uint8_t>(argb[i] >> 16);
      }
      return;
    }
    case 16:
    case 32: {
      const size_t bytes = f.bitCount / 8;
      uint8_t* d = row + bytes * static_cast<size_t>(x);
      const bool plain32 = f.bitCount == 32 && f.red.mask == 0xFF0000 && f.green.mask == 0xFF00 && f.blue.mask == 0xFF;
      for (int32_t i = 0; i < count; ++i, d += bytes) {
        const uint32_t c = argb[i];
        uint32_t pixel;
        if (plain32) {
          // The fourth byte of a plain 32-bit DIB is kept as the colour's alpha, so that icons and
          // alpha-aware callers round-trip through it.
          pixel = f.alpha.mask ? (c & 0xFFFFFFu) | ChannelFrom8(c >> 24, f.alpha) : c;
        } else {
          pixel = ChannelFrom8((c >> 16) & 0xff, f.red) | ChannelFrom8((c >> 8) & 0xff, f.green) |
                  ChannelFrom8(c & 0xff, f.blue) | ChannelFrom8(c >> 24, f.alpha);
        }
        if (bytes == 4) {
          Set32LE(d, pixel);
        } else {
          d[0] = static_cast<uint8_t>(pixel);
          d[1] = static_cast<uint8_t>(pixel >> 8);
        }
      }
      return;
    }
    default:
      return;
  }
}

uint32_t NearestColor::Find(uint32_t argb) {
  const uint32_t rgb = argb & 0xFFFFFFu;
  if (haveLast_ && rgb == lastColour_) return lastIndex_;
  const int r = (rgb >> 16) & 0xff, g = (rgb >> 8) & 0xff, b = rgb & 0xff;
  uint32_t best = 0;
  int bestDistance = std::numeric_limits<int>::max();
  for (size_t i = 0; i < colors_.size() && bestDistance != 0; ++i) {
    const uint32_t c = colors_[i];
    const int dr = r - static_cast<int>((c >> 16) & 0xff);
    const int dg = g - static_cast<int>((c >> 8) & 0xff);
    const int db = b - static_cast<int>(c & 0xff);
    const int d = dr * dr + dg * dg + db * db;
    if (d < bestDistance) {
      bestDistance = d;
      best = static_cast<uint32_t>(i);
    }
  }
  haveLast_ = true;
  lastColour_ = rgb;
  lastIndex_ = best;
  return best;
}

}  // namespace vx::gdi
