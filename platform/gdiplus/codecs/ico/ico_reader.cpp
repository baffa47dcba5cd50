// Icon files: the largest image of the directory (the deeper one on a tie), as 32bppARGB. A PNG
// image is decoded as PNG; a DIB image takes its transparency from its alpha channel when it has
// one, else from the AND mask that follows the colour bits.
#include <algorithm>
#include <cstring>

#include "platform/gdiplus/codecs/bmp/dib_reader.h"
#include "platform/gdiplus/codecs/byte_order.h"
#include "platform/gdiplus/codecs/codec.h"
#include "platform/gdiplus/codecs/frame_tools.h"

namespace vx::gdiplus::codecs {

namespace {

constexpr size_t kDirectoryHeader = 6, kDirectoryEntry = 16;

struct IconEntry {
  uint32_t width = 0, height = 0, bits = 0, size = 0, offset = 0;
};

bool ReadDirectory(Bytes data, std::vector<IconEntry>& entries) {
  if (data.size() < kDirectoryHeader || Get16LE(data.data()) != 0 || Get16LE(data.data() + 2) != 1) return false;
  const uint16_t count = Get16LE(data.data() + 4);
  if (count == 0 || !InBounds(data.size(), kDirectoryHeader, size_t{count} * kDirectoryEntry)) return false;
  for (uint16_t i = 0; i < count; ++i) {
    const uint8_t* e = data.data() + kDirectoryHeader + i * kDirectoryEntry;
    IconEntry entry{e[0] ? e[0] : 256u, e[1] ? e[1] : 256u, Get16LE(e + 6), Get32LE(e + 8), Get32LE(e + 12)};
    if (InBounds(data.size(), entry.offset, entry.size)) entries.push_back(entry);
  }
  return !entries.empty();
}

const IconEntry& LargestEntry(const std::vector<IconEntry>& entries) {
  return *std::max_element(entries.begin(), entries.end(), [](const IconEntry& a, const IconEntry& b) {
    const uint64_t areaA = uint64_t{a.width} * a.height, areaB = uint64_t{b.width} * b.height;
    return areaA != areaB ? areaA < areaB : a.bits < b.bits;
  });
}

bool AnyAlpha(const Frame& argb) {
  for (INT y = 0; y < argb.height; ++y) {
    const auto* row = reinterpret_cast<const ARGB*>(RowOf(argb, y));
    for (INT x = 0; x < argb.width; ++x)
      if (row[x] >> 24) return true;
  }
  return false;
}

// Clears the pixels the AND mask marks as transparent (1 bits); the mask rows run bottom-up.
void ApplyMask(Bytes dib, size_t maskOffset, Frame& argb) {
  const size_t maskStride = (static_cast<size_t>(argb.width) + 31) / 32 * 4;
  const bool haveMask = InBounds(dib.size(), maskOffset, maskStride * static_cast<size_t>(argb.height));
  for (INT y = 0; y < argb.height; ++y) {
    auto* row = reinterpret_cast<ARGB*>(RowOf(argb, y));
    const uint8_t* mask = haveMask ? dib.data() + maskOffset + (argb.height - 1 - y) * maskStride : nullptr;
    for (INT x = 0; x < argb.width; ++x) {
      const bool transparent = mask && (mask[x / 8] >> (7 - x % 8)) & 1;
      row[x] = transparent ? 0 : (row[x] | 0xff000000u);
    }
  }
}

Status DecodeDibIcon(Bytes dib, Frame& out) {
  DecodeBudget budget;
  DibResult result;
  if (Status s = ReadDib({dib, kPixelsAfterPalette, true}, budget, result); s != Ok) return s;
  const bool hasAlphaChannel = result.frame.format == PixelFormat32bppRGB;
  // 32-bit icon colour bits carry alpha even though the header says plain RGB.
  const PixelFormat viewAs = hasAlphaChannel ? PixelFormat32bppARGB : result.frame.format;
  result.frame.format = viewAs;
  if (Status s = ConvertFrame(result.frame, PixelFormat32bppARGB, {}, out); s != Ok) return s;
  if (!hasAlphaChannel || !AnyAlpha(out)) ApplyMask(dib, result.pixelEnd, out);
  out.imageFlags = ImageFlagsColorSpaceRGB | ImageFlagsHasAlpha | ImageFlagsHasRealPixelSize;
  return Ok;
}

}  // namespace

Status DecodeIco(Bytes data, DecodedImage& out) {
  std::vector<IconEntry> entries;
  if (!ReadDirectory(data, entries)) return UnknownImageFormat;
  const IconEntry& entry = LargestEntry(entries);
  const Bytes image = data.subspan(entry.offset, entry.size);
  Frame frame;
  if (image.size() >= 8 && std::memcmp(image.data(), "\x89PNG", 4) == 0) {
    DecodedImage png;
    if (Status s = DecodePng(image, png); s != Ok) return s;
    if (Status s = ConvertFrame(png.frames.front(), PixelFormat32bppARGB, {}, frame); s != Ok) return s;
  } else if (Status s = DecodeDibIcon(image, frame); s != Ok) {
    return s;
  }
  frame.imageFlags |= ImageFlagsColorSpaceRGB | ImageFlagsHasAlpha;
  out.frames.clear();
  out.frames.push_back(std::move(frame));
  out.rawFormat = ImageFormatIcon;
  out.dimension = FrameDimensionPage;
  return Ok;
}

}  // namespace vx::gdiplus::codecs
