#include "icon_writer.h"

#include <algorithm>
#include <memory>

namespace vximgplug {
namespace {

constexpr unsigned kMaxIconSide = 256;
constexpr uint32_t kDirectorySize = 6 + 16;
constexpr uint32_t kInfoHeaderSize = 40;

struct DibDeleter {
  void operator()(FIBITMAP* dib) const { FreeImage_Unload(dib); }
};
using DibPtr = std::unique_ptr<FIBITMAP, DibDeleter>;

class ByteWriter {
 public:
  void U8(uint8_t v) { bytes.push_back(v); }
  void U16(uint16_t v) {
    U8(static_cast<uint8_t>(v));
    U8(static_cast<uint8_t>(v >> 8));
  }
  void U32(uint32_t v) {
    U16(static_cast<uint16_t>(v));
    U16(static_cast<uint16_t>(v >> 16));
  }
  void Append(const uint8_t* p, size_t n) { bytes.insert(bytes.end(), p, p + n); }
  void Zeros(size_t n) { bytes.insert(bytes.end(), n, 0); }
  std::vector<uint8_t> bytes;
};

uint32_t PaddedRow(uint32_t bits) { return ((bits + 31) / 32) * 4; }

// The depths an icon keeps as they are: palettes of 1, 4 and 8 bits, 24 and 32 bits.
DibPtr IconPixels(FIBITMAP* dib) {
  const unsigned bpp = FreeImage_GetBPP(dib);
  if (FreeImage_GetImageType(dib) == FIT_BITMAP && (bpp == 1 || bpp == 4 || bpp == 8 || bpp == 24 || bpp == 32))
    return DibPtr(FreeImage_Clone(dib));
  return DibPtr(FreeImage_IsTransparent(dib) ? FreeImage_ConvertTo32Bits(dib) : FreeImage_ConvertTo24Bits(dib));
}

bool PixelIsTransparent(FIBITMAP* dib, const BYTE* line, unsigned x) {
  const unsigned bpp = FreeImage_GetBPP(dib);
  if (bpp == 32) return line[x * 4 + FI_RGBA_ALPHA] == 0;
  if (bpp > 8 || !FreeImage_IsTransparent(dib)) return false;
  unsigned index = 0;
  if (bpp == 8) index = line[x];
  if (bpp == 4) index = (line[x / 2] >> ((x % 2) ? 0 : 4)) & 0x0F;
  if (bpp == 1) index = (line[x / 8] >> (7 - x % 8)) & 1;
  return index < FreeImage_GetTransparencyCount(dib) &&
         FreeImage_GetTransparencyTable(dib)[index] == 0;
}

}  // namespace

std::optional<std::vector<uint8_t>> EncodeIcon(FIBITMAP* source, bool topRowFirst) {
  const unsigned width = FreeImage_GetWidth(source);
  const unsigned height = FreeImage_GetHeight(source);
  if (width == 0 || height == 0 || width > kMaxIconSide || height > kMaxIconSide) return std::nullopt;
  DibPtr dib = IconPixels(source);
  if (!dib) return std::nullopt;
  const unsigned bpp = FreeImage_GetBPP(dib.get());
  const uint32_t colours = bpp <= 8 ? (1u << bpp) : 0;
  const uint32_t xorRow = PaddedRow(width * bpp);
  const uint32_t andRow = PaddedRow(width);
  const uint32_t imageSize = kInfoHeaderSize + colours * 4 + (xorRow + andRow) * height;

  ByteWriter out;
  out.U16(0);
  out.U16(1);  // icon
  out.U16(1);  // one picture
  out.U8(static_cast<uint8_t>(width == kMaxIconSide ? 0 : width));
  out.U8(static_cast<uint8_t>(height == kMaxIconSide ? 0 : height));
  out.U8(static_cast<uint8_t>(colours < 256 ? colours : 0));
  out.U8(0);
  out.U16(1);
  out.U16(static_cast<uint16_t>(bpp));
  out.U32(imageSize);
  out.U32(kDirectorySize);

  out.U32(kInfoHeaderSize);
  out.U32(width);
  out.U32(height * 2);  // colour rows and mask rows
  out.U16(1);
  out.U16(static_cast<uint16_t>(bpp));
  out.U32(0);
  out.U32((xorRow + andRow) * height);
  out.Zeros(16);
  if (colours) {
    const RGBQUAD* palette = FreeImage_GetPalette(dib.get());
    const unsigned used = FreeImage_GetColorsUsed(dib.get());
    for (uint32_t i = 0; i < colours; ++i) {
      const RGBQUAD c = i < used ? palette[i] : RGBQUAD{0, 0, 0, 0};
      out.U8(c.rgbBlue);
      out.U8(c.rgbGreen);
      out.U8(c.rgbRed);
      out.U8(0);
    }
  }
  // Icon rows go bottom row first, as in a bitmap file.
  const unsigned line = FreeImage_GetLine(dib.get());
  auto row = [&](unsigned y) { return FreeImage_GetScanLine(dib.get(), static_cast<int>(topRowFirst ? height - 1 - y : y)); };
  for (unsigned y = 0; y < height; ++y) {
    out.Append(row(y), line);
    out.Zeros(xorRow - line);
  }
  std::vector<uint8_t> mask(andRow);
  for (unsigned y = 0; y < height; ++y) {
    std::fill(mask.begin(), mask.end(), 0);
    const BYTE* pixels = row(y);
    for (unsigned x = 0; x < width; ++x) {
      if (PixelIsTransparent(dib.get(), pixels, x)) mask[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
    }
    out.Append(mask.data(), mask.size());
  }
  return std::move(out.bytes);
}

}  // namespace vximgplug
