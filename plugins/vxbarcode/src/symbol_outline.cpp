#include "symbol_outline.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numbers>
#include <vector>

#include "scan_lines.h"

namespace vxbarcode {
namespace {

// Bars turned by up to about 60 degrees from the lines across them move this far along from one
// line to the next.
constexpr int kShiftPerLine = 2;
// A line continues the symbol while this share of the pattern's pixels agrees with it.
constexpr double kLeastAgreement = 0.85;
// Bars are followed at most this many symbol lengths from the reading's line, which bounds the
// work on a picture of endless stripes.
constexpr int kMostLengths = 2;

// The middle half of the reading as dark and light pixels: the part of the bars that stays
// inside the symbol longest while the lines leave it over a turned top or bottom side.
struct Pattern {
  int from = 0;  // its first pixel along the line
  int threshold = 0;
  std::vector<bool> dark;
};

Pattern PatternOf(const std::vector<uint8_t>& luminance, int low, int high) {
  Pattern p;
  const auto [darkest, lightest] = std::minmax_element(luminance.begin() + low, luminance.begin() + high + 1);
  p.threshold = (*darkest + *lightest + 1) / 2;
  const int quarter = (high - low + 1) / 4;
  p.from = low + quarter;
  for (int i = p.from; i <= high - quarter; ++i) p.dark.push_back(luminance[i] < p.threshold);
  return p;
}

double Agreement(const Pattern& p, const std::vector<uint8_t>& luminance, int shift) {
  const int size = static_cast<int>(luminance.size());
  int agreeing = 0;
  for (size_t i = 0; i < p.dark.size(); ++i) {
    const int at = p.from + static_cast<int>(i) + shift;
    agreeing += at >= 0 && at < size && (luminance[at] < p.threshold) == p.dark[i];
  }
  return static_cast<double>(agreeing) / static_cast<double>(p.dark.size());
}

// Where the pattern lies on a line: its shift along from the reading's line.
struct LineShift {
  int offset = 0;  // lines from the reading's line
  int shift = 0;
};

// The shift nearest the last one that agrees best, or none below the least agreement.
bool BestShift(const Pattern& pattern, const std::vector<uint8_t>& luminance, int& shift) {
  double best = 0;
  int bestShift = shift;
  for (int distance = 0; distance <= kShiftPerLine; ++distance)
    for (int s : {shift - distance, shift + distance}) {
      const double agreement = Agreement(pattern, luminance, s);
      if (agreement > best) best = agreement, bestShift = s;
    }
  shift = bestShift;
  return best >= kLeastAgreement;
}

void Follow(const DibPixels& pixels, const LineReading& reading, const Pattern& pattern, int direction, int most,
            std::vector<LineShift>& shifts) {
  const int lineCount = reading.vertical ? pixels.width : pixels.height;
  std::vector<uint8_t> luminance;
  int shift = 0;
  for (int offset = 1; offset <= most; ++offset) {
    const int line = reading.line + direction * offset;
    if (line < 0 || line >= lineCount) return;
    SampleLine(pixels, reading.vertical, line, luminance);
    if (!BestShift(pattern, luminance, shift)) return;
    shifts.push_back({direction * offset, shift});
  }
}

// The least-squares line through the shifts: shift = intercept + slope * offset.
struct Fit {
  double slope = 0;
  double intercept = 0;
};

Fit FitOf(const std::vector<LineShift>& shifts) {
  double n = 0, so = 0, ss = 0, soo = 0, sos = 0;
  for (const LineShift& s : shifts) {
    n += 1, so += s.offset, ss += s.shift, soo += double(s.offset) * s.offset, sos += double(s.offset) * s.shift;
  }
  const double variance = n * soo - so * so;
  Fit fit;
  if (variance > 0) fit.slope = (n * sos - so * ss) / variance;
  fit.intercept = (ss - fit.slope * so) / n;
  return fit;
}

struct Vector {
  double x = 0, y = 0;
};

// A point or direction given along and across the reading's lines, in the picture's x and y.
Vector OnPicture(bool vertical, double along, double across) {
  return vertical ? Vector{across, along} : Vector{along, across};
}

void SetCorner(SymbolOutline& outline, int index, const Vector& centre, const Vector& reading, const Vector& down,
               double alongReading, double alongDown) {
  outline.corners[2 * index] = static_cast<int32_t>(std::lround(centre.x + reading.x * alongReading + down.x * alongDown));
  outline.corners[2 * index + 1] =
      static_cast<int32_t>(std::lround(centre.y + reading.y * alongReading + down.y * alongDown));
}

}  // namespace

SymbolOutline OutlineOf(const DibPixels& pixels, const LineReading& reading) {
  const int length = reading.vertical ? pixels.height : pixels.width;
  const int lineCount = reading.vertical ? pixels.width : pixels.height;
  LineReading read = reading;
  read.line = std::clamp(read.line, 0, lineCount - 1);
  read.start = std::clamp(read.start, 0, length - 1);
  read.end = std::clamp(read.end, 0, length - 1);
  const int low = std::min(read.start, read.end), high = std::max(read.start, read.end);

  std::vector<uint8_t> luminance;
  SampleLine(pixels, read.vertical, read.line, luminance);
  const Pattern pattern = PatternOf(luminance, low, high);
  std::vector<LineShift> shifts{{0, 0}};
  if (!pattern.dark.empty()) {
    const int most = kMostLengths * (high - low + 1) + 16;
    Follow(pixels, read, pattern, -1, most, shifts);
    Follow(pixels, read, pattern, 1, most, shifts);
  }
  const auto [topmost, lowest] = std::minmax_element(
      shifts.begin(), shifts.end(), [](const LineShift& a, const LineShift& b) { return a.offset < b.offset; });
  const int first = topmost->offset, last = lowest->offset;
  const Fit fit = FitOf(shifts);

  // The bars lean by phi from the lines' normal; the reading runs across them.
  const double phi = std::atan(fit.slope);
  const bool forwards = read.end >= read.start;
  const double sign = forwards ? 1 : -1;
  const Vector along = OnPicture(read.vertical, sign * std::cos(phi), -sign * std::sin(phi));
  const Vector down{-along.y, along.x};
  const double middleOffset = (first + last) / 2.0;
  const Vector centre = OnPicture(read.vertical, (low + high) / 2.0 + fit.intercept + fit.slope * middleOffset,
                                  read.line + middleOffset);

  SymbolOutline outline;
  outline.lines = last - first + 1;
  outline.height = (last - first) * std::hypot(1.0, fit.slope);
  outline.length = (high - low) * std::cos(phi);
  const double quarter = read.vertical ? (forwards ? 90 : 270) : (forwards ? 0 : 180);
  const double lean = phi * 180 / std::numbers::pi;
  outline.turn = std::fmod(quarter + (read.vertical ? lean : -lean) + 360, 360);
  const double halfLength = outline.length / 2, halfHeight = outline.height / 2;
  SetCorner(outline, 0, centre, along, down, -halfLength, -halfHeight);
  SetCorner(outline, 1, centre, along, down, halfLength, -halfHeight);
  SetCorner(outline, 2, centre, along, down, halfLength, halfHeight);
  SetCorner(outline, 3, centre, along, down, -halfLength, halfHeight);
  return outline;
}

}  // namespace vxbarcode
