// The watercolour look: each channel of a pixel becomes the mean of the most uniform of the four
// 3 x 3 windows that have the pixel as a corner, which smooths flat regions and keeps edges
// sharp. The two-pixel frame the windows cannot cover keeps its pixels.
#include <cstdlib>

#include "processing/filters/filter_procedures.h"

namespace vx::processing {

namespace {

struct WindowMean {
  int32_t mean = 0;
  int32_t spread = 0;
};

// Window whose top-left pixel is at p: mean = sum \ 9, spread = sum of |value - mean|.
WindowMean MeasureWindow(const uint8_t* p, ptrdiff_t stride) {
  int32_t sum = 0;
  for (int dy = 0; dy < 3; ++dy)
    for (int dx = 0; dx < 3; ++dx) sum += p[dy * stride + dx * 4];
  WindowMean m{sum / 9, 0};
  for (int dy = 0; dy < 3; ++dy)
    for (int dx = 0; dx < 3; ++dx) m.spread += std::abs(p[dy * stride + dx * 4] - m.mean);
  return m;
}

}  // namespace

bool FilterAqua(FilterImage& image, const FilterArgs&, double&) {
  const int32_t w = image.width, h = image.height;
  const ptrdiff_t stride = static_cast<ptrdiff_t>(image.RowBytes());
  for (int32_t y = 2; y < h - 2; ++y)
    for (int32_t x = 2; x < w - 2; ++x)
      for (int c : {kRed, kBlue, kGreen}) {
        const uint8_t* centre = image.SourceBytes() + y * stride + x * 4 + c;
        // Upper-left, upper-right, lower-left, lower-right; the first of equal spreads wins.
        const ptrdiff_t corners[4] = {-2 * stride - 8, -2 * stride, -8, 0};
        WindowMean best = MeasureWindow(centre + corners[0], stride);
        for (int k = 1; k < 4; ++k) {
          const WindowMean m = MeasureWindow(centre + corners[k], stride);
          if (m.spread < best.spread) best = m;
        }
        image.Bytes()[y * stride + x * 4 + c] = static_cast<uint8_t>(best.mean);
      }
  return true;
}

}  // namespace vx::processing
