// Pixelize and the 3 x 3 pattern replacement: filters that work on blocks of the area.
#include <algorithm>

#include "processing/filters/filter_engine.h"
#include "processing/filters/filter_procedures.h"

namespace vx::processing {

namespace {

// The mean colour (sum \ count per channel) of the block's pixels in the source copy, written to
// every pixel of the block in the working array.
void AverageBlock(FilterImage& image, int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
  int64_t sums[3] = {0, 0, 0};
  for (int32_t y = y0; y < y1; ++y) {
    const uint8_t* s = image.SourceBytes() + static_cast<size_t>(y) * image.RowBytes() + 4 * static_cast<size_t>(x0);
    for (int32_t x = x0; x < x1; ++x, s += 4)
      for (int c = 0; c < 3; ++c) sums[c] += s[c];
  }
  const int64_t count = int64_t{x1 - x0} * (y1 - y0);
  uint8_t mean[3];
  for (int c = 0; c < 3; ++c) mean[c] = static_cast<uint8_t>(sums[c] / count);
  for (int32_t y = y0; y < y1; ++y) {
    uint8_t* d = image.Bytes() + static_cast<size_t>(y) * image.RowBytes() + 4 * static_cast<size_t>(x0);
    for (int32_t x = x0; x < x1; ++x, d += 4) d[0] = mean[0], d[1] = mean[1], d[2] = mean[2];
  }
}

uint8_t ByteOf(uint32_t v, int c) { return static_cast<uint8_t>(v >> (8 * c)); }

}  // namespace

bool FilterPixelize(FilterImage& image, const FilterArgs& args, double&) {
  int32_t p = 0;
  if (!LongOf(args.param1, p)) return false;
  const int32_t block = p < 1 ? 3 : p;
  for (int32_t y = 0; y < image.height; y += std::min(block, image.height - y))
    for (int32_t x = 0; x < image.width; x += std::min(block, image.width - x))
      AverageBlock(image, x, y, x + std::min(block, image.width - x), y + std::min(block, image.height - y));
  return true;
}

// A neighbourhood matches when red in the source copy and green and blue in the working array
// equal the pattern's bytes at all nine places; the match is then replaced in the working array.
bool FilterMatrix3x3(FilterImage& image, const FilterArgs&, double&) {
  const FilterPattern& pattern = GetFilterPattern();
  const int32_t w = image.width, h = image.height;
  const auto at = [&](int32_t x, int32_t y) { return static_cast<size_t>(y) * w + x; };
  for (int32_t y = 1; y + 1 < h; ++y)
    for (int32_t x = 1; x + 1 < w; ++x) {
      bool match = true;
      for (int k = 0; k < 9 && match; ++k) {
        const size_t i = at(x - 1 + k % 3, y - 1 + k / 3);
        match = ByteOf(image.source[i], kRed) == ByteOf(pattern[k], kRed) &&
                ByteOf(image.pixels[i], kGreen) == ByteOf(pattern[k], kGreen) &&
                ByteOf(image.pixels[i], kBlue) == ByteOf(pattern[k], kBlue);
      }
      if (!match) continue;
      for (int k = 0; k < 9; ++k) {
        uint32_t& px = image.pixels[at(x - 1 + k % 3, y - 1 + k / 3)];
        px = (px & 0xFF000000u) | (pattern[9 + k] & 0x00FFFFFFu);
      }
    }
  return true;
}

}  // namespace vx::processing
