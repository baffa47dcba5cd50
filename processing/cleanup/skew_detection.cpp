// Skew detection. Only the lower edge of each dark stroke votes (a dark pixel over a light one),
// which is where the baselines of a line of text lie; the middle half of the rows is enough to
// find them and keeps headers, footers and scanner edges out of the vote.
//
// Cases treated specially:
// - The ten strongest lines must agree: a spread of 4 degrees or more, or one larger than the
//   mean's magnitude, is no measure and gives 0 (a page of pictures rather than text).
// - Lines nobody voted for are no lines: a blank page gives 0 degrees, not the first angle
//   searched.
// - 1-bit pages are dark where the pixel is black; others where their luminance is under 140.
#include "processing/cleanup/skew_detection.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "engine/image_access.h"
#include "engine/runtime_error.h"
#include "processing/cleanup/argb_rows.h"

namespace vx::processing {

namespace {

constexpr double kPi = 3.141592657;
constexpr int32_t kSteps = 200;
constexpr double kStepDegrees = 0.2;
constexpr int32_t kMinSide = 51;
constexpr size_t kPeaks = 10;
constexpr double kMaxSpread = 4.0;

struct Peak {
  int32_t votes = 0;
  size_t cell = 0;
};

// The dark pixels of rows top .. top + rows - 1, one byte each.
std::vector<uint8_t> DarkMask(const ArgbRows& band, bool oneBit) {
  std::vector<uint8_t> dark(band.Pixels.size());
  std::transform(band.Pixels.begin(), band.Pixels.end(), dark.begin(), [oneBit](uint32_t p) -> uint8_t {
    const uint32_t r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
    if (oneBit) return r == 0;
    return 0.299 * r + 0.587 * g + 0.114 * b < 140;
  });
  return dark;
}

class HoughAccumulator {
 public:
  HoughAccumulator(int32_t width, int32_t height, double maxAngle)
      : width_(width), cells_(static_cast<size_t>(kSteps) * 2 * (static_cast<size_t>(width) + height) + 1, 0) {
    for (int32_t i = 0; i < kSteps; ++i) {
      const double radians = (i * kStepDegrees - maxAngle) * kPi / 180.0;
      sin_[i] = std::sin(radians);
      cos_[i] = std::cos(radians);
    }
  }

  // One vote for every searched line through (x, y).
  void Vote(int32_t x, int32_t y) {
    for (int32_t i = 0; i < kSteps; ++i) {
      const double rho = std::nearbyint(width_ + y * cos_[i] - x * sin_[i]);
      if (rho < 0) continue;
      const size_t cell = static_cast<size_t>(rho) * kSteps + static_cast<size_t>(i);
      if (cell < cells_.size()) ++cells_[cell];
    }
  }

  // The strongest cells, strongest first; equal counts keep the earlier cell in front. Cells
  // without a vote never enter.
  std::vector<Peak> TopPeaks() const {
    std::array<Peak, kPeaks> top{};
    for (size_t cell = 0; cell < cells_.size(); ++cell) {
      const int32_t votes = cells_[cell];
      if (votes <= top.back().votes) continue;
      size_t at = kPeaks - 1;
      top[at] = Peak{votes, cell};
      for (; at > 0 && top[at].votes > top[at - 1].votes; --at) std::swap(top[at], top[at - 1]);
    }
    std::vector<Peak> found;
    for (const Peak& p : top)
      if (p.votes > 0) found.push_back(p);
    return found;
  }

 private:
  int32_t width_;
  std::vector<int32_t> cells_;
  std::array<double, kSteps> sin_{}, cos_{};
};

}  // namespace

double cAutoDeskew::AgreedAngle(const std::vector<double>& peakAngles) {
  if (peakAngles.empty()) return 0;
  const auto [lowest, highest] = std::minmax_element(peakAngles.begin(), peakAngles.end());
  const double spread = *highest - *lowest;
  if (spread >= kMaxSpread) return 0;
  double sum = 0;
  for (double a : peakAngles) sum += a;
  const double mean = sum / static_cast<double>(peakAngles.size());
  return spread <= std::fabs(mean) ? mean : 0;
}

VexiroStatus cAutoDeskew::GetSkewAngle(int32_t imageId) {
  SkewAngle = 0;
  return engine::TrapRuntimeErrors([&]() -> VexiroStatus {
    int32_t width = 0, height = 0;
    if (VexiroStatus s = engine::GetImageHeight(imageId, height); s != vexiro::OK) return s;
    if (VexiroStatus s = engine::GetImageWidth(imageId, width); s != vexiro::OK) return s;
    if (width < kMinSide || height < kMinSide) return vexiro::Aborted;
    const bool oneBit = engine::GetImageBitDepthStrict(imageId) == 1;
    // Rows of the middle half, and the row under the last of them, which decides its edges.
    const int32_t first = static_cast<int32_t>(std::nearbyint(height / 4.0));
    const int32_t last = static_cast<int32_t>(std::nearbyint(3.0 * height / 4.0));
    ArgbRows band;
    if (VexiroStatus s = ReadArgbRows(imageId, width, first, last - first + 2, band); s != vexiro::OK) return s;
    const std::vector<uint8_t> dark = DarkMask(band, oneBit);
    band = ArgbRows{};

    HoughAccumulator hough(width, height, MaxAngle);
    const size_t stride = static_cast<size_t>(width);
    for (int32_t y = first; y <= last; ++y) {
      const uint8_t* row = dark.data() + static_cast<size_t>(y - first) * stride;
      const uint8_t* below = row + stride;
      for (int32_t x = 1; x < width - 1; ++x)
        if (row[x] && !below[x]) hough.Vote(x, y);
    }
    std::vector<double> angles;
    for (const Peak& p : hough.TopPeaks()) angles.push_back(static_cast<double>(p.cell % kSteps) * kStepDegrees - MaxAngle);
    SkewAngle = AgreedAngle(angles);
    return vexiro::OK;
  });
}

}  // namespace vx::processing
