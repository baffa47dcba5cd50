// The three black-and-white conversions: a fixed threshold, an ordered 4 x 4 dither, and an
// error diffusion around the area's mean grey. Each leaves red, green and blue at 0 or 255.
#include <vector>

#include "processing/filters/filter_procedures.h"

namespace vx::processing {

namespace {

void SetGrey(uint8_t* p, uint8_t v) { p[kRed] = p[kGreen] = p[kBlue] = v; }

// The error shares by their numerators over 32, each truncated toward zero.
struct ErrorShares {
  int32_t eighth, sixteenth, thirtysecond;  // 8/32, 4/32, 2/32
  explicit ErrorShares(int32_t e) : eighth(e * 8 / 32), sixteenth(e * 4 / 32), thirtysecond(e * 2 / 32) {}
};

}  // namespace

// The threshold's red limit is compared with blue and its blue limit with red.
bool FilterBlackNWhiteThreshold(FilterImage& image, const FilterArgs& args, double&) {
  int32_t colour = 0, kR = 0, kG = 0, kB = 0;
  if (!LongOf(args.param1, colour)) return false;
  SplitRGB(colour, kR, kG, kB);
  uint8_t* p = image.Bytes();
  for (size_t i = 0, n = image.Count(); i < n; ++i, p += 4)
    SetGrey(p, p[kBlue] < kR && p[kGreen] < kG && p[kRed] < kB ? 0 : 255);
  return true;
}

bool FilterBlackNWhiteMode2(FilterImage& image, const FilterArgs&, double&) {
  static const uint8_t kThreshold[4][4] = {{1, 13, 4, 16}, {9, 5, 12, 8}, {3, 15, 2, 14}, {11, 7, 10, 6}};
  const auto& third = ThirdOfSum();
  for (int32_t y = 0; y < image.height; ++y) {
    uint8_t* p = image.Bytes() + static_cast<size_t>(y) * image.RowBytes();
    for (int32_t x = 0; x < image.width; ++x, p += 4) {
      const int level = third[p[kRed] + p[kGreen] + p[kBlue]] / 16 + 1;
      SetGrey(p, level < kThreshold[y % 4][x % 4] ? 0 : 255);
    }
  }
  return true;
}

bool FilterBlackNWhiteMode3(FilterImage& image, const FilterArgs& args, double&) {
  int32_t p = 0;
  if (!LongOf(args.param1, p) || p == 0) return false;
  const auto& third = ThirdOfSum();
  const int32_t w = image.width, h = image.height;
  double total = 0;
  const uint8_t* q = image.Bytes();
  for (size_t i = 0, n = image.Count(); i < n; ++i, q += 4) total += third[q[kRed] + q[kGreen] + q[kBlue]];
  const int32_t mean = static_cast<int32_t>(total / static_cast<double>(image.Count()));
  // Two spare columns on each side keep the spreading free of edge tests.
  std::vector<int64_t> current(static_cast<size_t>(w) + 4, 0), next(static_cast<size_t>(w) + 4, 0);
  for (int32_t y = 0; y < h; ++y) {
    uint8_t* px = image.Bytes() + static_cast<size_t>(y) * image.RowBytes();
    for (int32_t x = 0; x < w; ++x, px += 4) {
      const int64_t carried = current[x + 2] * 10;
      if (!FitsLong(carried)) return false;
      const uint8_t v = ClampByte(third[px[kRed] + px[kGreen] + px[kBlue]] + carried / p);
      const uint8_t o = v < mean ? 0 : 255;
      SetGrey(px, o);
      const ErrorShares s(v - o);
      int64_t* here = &current[x + 2];
      int64_t* below = &next[x + 2];
      if (x + 1 < w) here[1] += s.eighth;
      if (x + 2 < w) here[2] += s.sixteenth;
      if (y + 1 < h) {
        if (x >= 2) below[-2] += s.thirtysecond;
        if (x >= 1) below[-1] += s.sixteenth;
        below[0] += s.eighth;
        if (x + 1 < w) below[1] += s.sixteenth;
        if (x + 2 < w) below[2] += s.thirtysecond;
      }
    }
    current.swap(next);
    std::fill(next.begin(), next.end(), 0);
  }
  return true;
}

}  // namespace vx::processing
