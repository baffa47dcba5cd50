// Grey-level morphology and the median despeckles: each channel of a pixel from the same channel
// of its neighbourhood in the source copy, so the order of the visit never matters. The frame the
// neighbourhood cannot cover keeps its pixels.
#include <algorithm>

#include "processing/filters/filter_procedures.h"

namespace vx::processing {

namespace {

// Runs `rule(values, count)` over the (2r+1)^2 source values of each channel of every pixel whose
// neighbourhood lies inside the area; the rule's answer becomes the channel.
template <int R, class Rule>
bool OverSquare(FilterImage& image, Rule rule) {
  constexpr int kSide = 2 * R + 1, kCount = kSide * kSide;
  const int32_t w = image.width, h = image.height;
  if (w <= 2 * R || h <= 2 * R) return true;
  const ptrdiff_t stride = static_cast<ptrdiff_t>(image.RowBytes());
  int32_t values[kCount];
  for (int32_t y = R; y < h - R; ++y) {
    uint8_t* out = image.Bytes() + y * stride;
    const uint8_t* in = image.SourceBytes() + y * stride;
    for (int32_t x = R; x < w - R; ++x) {
      for (int c = 0; c < 3; ++c) {
        int n = 0;
        for (int dy = -R; dy <= R; ++dy)
          for (int dx = -R; dx <= R; ++dx) values[n++] = in[dy * stride + (x + dx) * 4 + c];
        out[4 * x + c] = static_cast<uint8_t>(rule(values, kCount, in[4 * x + c]));
      }
    }
  }
  return true;
}

int32_t Median(int32_t* values, int count, int32_t) {
  std::nth_element(values, values + count / 2, values + count);
  return values[count / 2];
}
int32_t Highest(int32_t* values, int count, int32_t) { return *std::max_element(values, values + count); }
int32_t Lowest(int32_t* values, int count, int32_t) { return *std::min_element(values, values + count); }
// The centre is one of the nine, so the difference never goes below 0.
int32_t AboveLowest(int32_t* values, int count, int32_t centre) { return centre - Lowest(values, count, centre); }

}  // namespace

bool FilterDilate(FilterImage& image, const FilterArgs&, double&) { return OverSquare<1>(image, Highest); }
bool FilterErode(FilterImage& image, const FilterArgs&, double&) { return OverSquare<1>(image, Lowest); }
bool FilterConnectedContour(FilterImage& image, const FilterArgs&, double&) {
  return OverSquare<1>(image, AboveLowest);
}
bool FilterDespeckle(FilterImage& image, const FilterArgs&, double&) { return OverSquare<1>(image, Median); }
bool FilterDespeckleMore(FilterImage& image, const FilterArgs&, double&) { return OverSquare<2>(image, Median); }

}  // namespace vx::processing
