#include "bilevel_bitmap.h"

#include <cstring>

#include "platform/input_limits.h"

namespace vximgplug {

bool DimensionsAcceptable(uint64_t width, uint64_t height) {
  constexpr auto kSide = static_cast<uint64_t>(vx::limits::kMaxImageSide);
  return width <= kSide && height <= kSide &&
         vx::limits::ImageSizeAcceptable(static_cast<int64_t>(width), static_cast<int64_t>(height));
}

FIBITMAP* BilevelFromRows(const uint8_t* rows, uint32_t width, uint32_t height, size_t rowBytes) {
  if (!DimensionsAcceptable(width, height) || rowBytes < (width + 7) / 8) return nullptr;
  FIBITMAP* dib = FreeImage_Allocate(static_cast<int>(width), static_cast<int>(height), 1);
  if (!dib) return nullptr;
  RGBQUAD* palette = FreeImage_GetPalette(dib);
  palette[0] = RGBQUAD{255, 255, 255, 0};
  palette[1] = RGBQUAD{0, 0, 0, 0};
  const size_t copy = (width + 7) / 8;
  for (uint32_t y = 0; y < height; ++y) {
    std::memcpy(FreeImage_GetScanLine(dib, static_cast<int>(height - 1 - y)), rows + y * rowBytes, copy);
  }
  return dib;
}

std::vector<uint8_t> BlackIsOneRows(FIBITMAP* dib, bool topRowFirst) {
  if (!dib || FreeImage_GetBPP(dib) != 1 || FreeImage_GetImageType(dib) != FIT_BITMAP) return {};
  const uint32_t width = FreeImage_GetWidth(dib);
  const uint32_t height = FreeImage_GetHeight(dib);
  const size_t rowBytes = (width + 7) / 8;
  const RGBQUAD* palette = FreeImage_GetPalette(dib);
  // Index 0 is black when it is the darker entry: then the bits must be inverted.
  const int luma0 = palette[0].rgbRed + palette[0].rgbGreen + palette[0].rgbBlue;
  const int luma1 = palette[1].rgbRed + palette[1].rgbGreen + palette[1].rgbBlue;
  const bool invert = luma0 < luma1;
  const uint8_t lastMask = static_cast<uint8_t>(width % 8 == 0 ? 0xFF : 0xFF << (8 - width % 8));
  std::vector<uint8_t> rows(rowBytes * height);
  for (uint32_t y = 0; y < height; ++y) {
    const int line = static_cast<int>(topRowFirst ? y : height - 1 - y);
    const uint8_t* source = FreeImage_GetScanLine(dib, line);
    uint8_t* target = rows.data() + y * rowBytes;
    for (size_t i = 0; i < rowBytes; ++i) target[i] = invert ? static_cast<uint8_t>(~source[i]) : source[i];
    target[rowBytes - 1] &= lastMask;
  }
  return rows;
}

FIBITMAP* BilevelForWriter(FIBITMAP* dib, bool topRowFirst, bool oneIsBlack) {
  std::vector<uint8_t> rows = BlackIsOneRows(dib, topRowFirst);
  if (rows.empty()) return nullptr;
  if (!oneIsBlack) {
    for (uint8_t& b : rows) b = static_cast<uint8_t>(~b);
  }
  const uint32_t width = FreeImage_GetWidth(dib);
  return BilevelFromRows(rows.data(), width, FreeImage_GetHeight(dib), (width + 7) / 8);
}

}  // namespace vximgplug
