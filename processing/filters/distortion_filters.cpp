// Twirl, swirl, waves and the rounded mirror: each pixel of the working array takes the colour of
// a source pixel found by a geometric rule. Positions follow the system's 1-based columns and
// rows, and its constant for pi, so that the pixels land exactly where the system puts them.
#include <algorithm>
#include <cmath>

#include "processing/filters/filter_procedures.h"

namespace vx::processing {

namespace {

constexpr double kPi = 3.141592657;

// Pixel (x, y), 1-based, of the working array and of the source copy.
uint8_t* At(FilterImage& image, int64_t x, int64_t y) {
  return image.Bytes() + ((y - 1) * image.width + (x - 1)) * 4;
}
const uint8_t* SourceAt(const FilterImage& image, int64_t x, int64_t y) {
  return image.SourceBytes() + ((y - 1) * image.width + (x - 1)) * 4;
}
void CopyColour(uint8_t* to, const uint8_t* from) {
  to[kBlue] = from[kBlue], to[kGreen] = from[kGreen], to[kRed] = from[kRed];
}
void PaintWhite(uint8_t* p) { p[kBlue] = p[kGreen] = p[kRed] = 255; }

// The strength as the system limits it; a value that is no number stops the filter.
bool Strength(double p, double& limited) {
  if (std::isnan(p)) return false;
  limited = std::clamp(p, 1.0, 100.0);
  return true;
}

// The angle of (x, y) as the system measures it: x = 0 counts as 0.0001 unless y is 0 too.
double AngleOf(double y, double x) {
  if (x == 0 && y == 0) return 0;
  if (x == 0) x = 0.0001;
  return x < 0 ? std::atan(y / x) + kPi : std::atan(y / x);
}

// Amplitude and wavelength below 1 count as 1; values that are no number stop the filter.
bool WaveArguments(const FilterArgs& args, double& amplitude, double& wavelength) {
  if (std::isnan(args.param2) || std::isnan(args.param3)) return false;
  amplitude = std::max(args.param2, 1.0);
  wavelength = std::max(args.param3, 1.0);
  return true;
}

}  // namespace

bool FilterTwirl(FilterImage& image, const FilterArgs& args, double&) {
  double p = 0;
  if (!Strength(args.param1, p)) return false;
  const int32_t w = image.width, h = image.height;
  const double radius = std::max(w, h), a = p / 10 * kPi;
  const int32_t cx = w / 2, cy = h / 2;
  for (int32_t y = 1; y <= h; ++y)
    for (int32_t x = 1; x <= w; ++x) {
      const double dx = x - cx, dy = y - cy;
      const double theta = a * std::sqrt(dx * dx + dy * dy) / radius;
      const double c = std::cos(theta), s = std::sin(theta);
      const double sx = std::floor(dx * c - dy * s + cx), sy = std::floor(dy * c + dx * s + cy);
      uint8_t* to = At(image, x, y);
      if (sx >= 1 && sx <= w && sy >= 1 && sy <= h)
        CopyColour(to, SourceAt(image, static_cast<int64_t>(sx), static_cast<int64_t>(sy)));
      else if (image.wholeImage)
        PaintWhite(to);
    }
  return true;
}

// Every pixel inside the circle takes all four bytes of the pixel it turns from.
bool FilterSwirl(FilterImage& image, const FilterArgs& args, double&) {
  double k = 0;
  if (!Strength(args.param1, k)) return false;
  const int32_t w = image.width, h = image.height;
  const double radius = std::sqrt(static_cast<double>(w) * w + static_cast<double>(h) * h) / 2, d = radius / k;
  const double halfW = w / 2.0, halfH = h / 2.0;
  for (int32_t x = 1; x <= w; ++x)
    for (int32_t y = 1; y <= h; ++y) {
      const double dx = std::nearbyint(halfW - x), dy = std::nearbyint(halfH - y);
      const double r = std::sqrt(dx * dx + dy * dy);
      if (r >= radius) continue;
      const double phi = AngleOf(dy, dx) + r / d;
      const double sx = std::clamp(std::nearbyint(halfW - r * std::cos(phi)), 1.0, static_cast<double>(w));
      const double sy = std::clamp(std::nearbyint(halfH - r * std::sin(phi)), 1.0, static_cast<double>(h));
      std::copy_n(SourceAt(image, static_cast<int64_t>(sx), static_cast<int64_t>(sy)), 4, At(image, x, y));
    }
  return true;
}

bool FilterHWaves(FilterImage& image, const FilterArgs& args, double&) {
  double amplitude = 0, wavelength = 0;
  if (!WaveArguments(args, amplitude, wavelength)) return false;
  const int32_t w = image.width, h = image.height;
  for (int32_t x = 1; x <= w; ++x) {
    int32_t shift = 0;
    if (!LongOf(amplitude * std::sin(x / wavelength), shift)) return false;
    for (int32_t y = 1; y <= h; ++y) {
      const int64_t to = int64_t{y} - shift;
      if (to >= 1 && to <= h) CopyColour(At(image, x, to), SourceAt(image, x, y));
    }
  }
  return true;
}

// The shift runs along the array, so a pixel pushed past the end of its row wraps into the next.
bool FilterVWaves(FilterImage& image, const FilterArgs& args, double&) {
  double amplitude = 0, wavelength = 0;
  if (!WaveArguments(args, amplitude, wavelength)) return false;
  const int64_t w = image.width, count = static_cast<int64_t>(image.Count());
  for (int32_t y = 1; y <= image.height; ++y) {
    int32_t shift = 0;
    if (!LongOf(amplitude * std::sin(y / wavelength), shift)) return false;
    for (int64_t i = (y - 1) * w; i < y * w; ++i) {
      const int64_t to = i - shift;
      if (to >= 0 && to < count) CopyColour(image.Bytes() + to * 4, image.SourceBytes() + i * 4);
    }
  }
  return true;
}

// A one-row area has no vertical centre to divide by: the system stops with a division error.
bool FilterMirrorRounded(FilterImage& image, const FilterArgs&, double&) {
  const int32_t w = image.width, h = image.height, cx = w / 2, cy = h / 2;
  if (cy == 0) return false;
  if (image.wholeImage)
    for (size_t i = 0; i < image.Count(); ++i) PaintWhite(image.Bytes() + i * 4);
  for (int32_t y = 1; y <= h; ++y) {
    const double t = std::min(std::pow(double(y - cy) / cy, 2), 1.0);
    const double off = std::floor((1 - std::sqrt(1 - t)) * cx) - 1;
    const double scale = (w - 2 * off) / w;
    for (int32_t x = 1; x <= w; ++x) {
      const double column = std::clamp(std::nearbyint((x - 1) * scale + off), 0.0, double(w - 1));
      CopyColour(At(image, static_cast<int64_t>(column) + 1, y), SourceAt(image, x, y));
    }
  }
  return true;
}

}  // namespace vx::processing
