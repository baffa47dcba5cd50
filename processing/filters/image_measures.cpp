// The pixel measures: grey, bitonal and blank tests, colour count and average colour. They read
// the working array and never change it.
#include <cmath>

#include "processing/color/color_values.h"
#include "processing/filters/filter_procedures.h"

namespace vx::processing {

namespace {

// Blank when the share of light pixels, in percent rounded to one decimal, exceeds the confidence.
template <class IsDark>
bool BlankTest(const FilterImage& image, const FilterArgs& args, double& measure, IsDark isDark) {
  const double confidence = static_cast<float>(args.param2);
  const uint8_t* p = image.Bytes();
  int64_t dark = 0;
  for (size_t i = 0, n = image.Count(); i < n; ++i, p += 4) dark += isDark(p) ? 1 : 0;
  const double light = 100 - static_cast<double>(dark) / static_cast<double>(image.Count()) * 100;
  measure = std::nearbyint(light * 10) / 10 > confidence ? 1.0 : 0.0;
  return true;
}

}  // namespace

bool FilterIsGrayscale(FilterImage& image, const FilterArgs&, double& measure) {
  const uint8_t* p = image.Bytes();
  measure = 1.0;
  for (size_t i = 0, n = image.Count(); i < n; ++i, p += 4)
    if (p[kRed] != p[kBlue] || p[kRed] != p[kGreen]) {
      measure = 0.0;
      break;
    }
  return true;
}

bool FilterIsBitonal(FilterImage& image, const FilterArgs&, double& measure) {
  const uint8_t* p = image.Bytes();
  measure = 1.0;
  for (size_t i = 0, n = image.Count(); i < n; ++i, p += 4) {
    const int sum = p[kRed] + p[kGreen] + p[kBlue];
    if (sum > 0 && sum < 765) {
      measure = 0.0;
      break;
    }
  }
  return true;
}

bool FilterCountColor(FilterImage& image, const FilterArgs& args, double& measure) {
  int32_t colour = 0;
  if (!LongOf(args.param2, colour)) return false;
  const uint32_t wanted = static_cast<uint32_t>(colour);
  int64_t count = 0;
  for (size_t i = 0, n = image.Count(); i < n; ++i) count += image.pixels[i] == wanted ? 1 : 0;
  measure = static_cast<double>(count);
  return true;
}

bool FilterGetAverageColor(FilterImage& image, const FilterArgs&, double& measure) {
  double sums[4] = {0, 0, 0, 0};
  const uint8_t* p = image.Bytes();
  const size_t n = image.Count();
  for (size_t i = 0; i < n; ++i, p += 4)
    for (int c = 0; c < 4; ++c) sums[c] += p[c];
  uint8_t mean[4];
  for (int c = 0; c < 4; ++c) mean[c] = static_cast<uint8_t>(std::nearbyint(sums[c] / static_cast<double>(n)));
  measure = cColor::MakeARGB(mean[kAlpha], mean[kRed], mean[kGreen], mean[kBlue]);
  return true;
}

bool FilterIsBlank(FilterImage& image, const FilterArgs& args, double& measure) {
  return BlankTest(image, args, measure,
                   [](const uint8_t* p) { return 0.587 * p[kGreen] + 0.299 * p[kRed] + 0.114 * p[kBlue] < 140; });
}

bool IsBlank1bpp(FilterImage& image, const FilterArgs& args, double& measure) {
  return BlankTest(image, args, measure, [](const uint8_t* p) { return p[kBlue] == 0; });
}

}  // namespace vx::processing
