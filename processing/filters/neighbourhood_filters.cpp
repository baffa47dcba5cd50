// Sharpen, blur, smooth, edge enhance and soften: 3 x 3 neighbourhoods computed in place, so a
// pixel sees its upper and left neighbours already replaced (the system's look depends on that).
// The one-pixel frame of the area stays as it was.
#include <optional>

#include "processing/filters/filter_procedures.h"

namespace vx::processing {

namespace {

// Channel c of the neighbours at (dx, dy) around the pixel at p, in rows of `stride` bytes whose
// pixels are `Step` bytes apart (4 in the working array, 3 in an image's own 24-bit rows).
template <int Step>
struct Neighbourhood {
  const uint8_t* p;
  ptrdiff_t stride;
  int32_t At(int dx, int dy, int c) const { return p[dy * stride + dx * Step + c]; }
  int32_t Sum8(int c) const {
    return At(-1, -1, c) + At(0, -1, c) + At(1, -1, c) + At(-1, 0, c) + At(1, 0, c) + At(-1, 1, c) + At(0, 1, c) +
           At(1, 1, c);
  }
  int32_t Cross4(int c) const { return At(0, -1, c) + At(0, 1, c) + At(-1, 0, c) + At(1, 0, c); }
};

template <int Step, class Rule>
bool InPlace3x3Rows(FilterImage& image, Rule& rule) {
  const int32_t w = image.width, h = image.height;
  const ptrdiff_t stride = image.Stride();
  for (int32_t y = 1; y < h - 1; ++y) {
    uint8_t* row = image.Bytes() + y * stride;
    for (int32_t x = 1; x < w - 1; ++x) {
      uint8_t* p = row + Step * x;
      const Neighbourhood<Step> n{p, stride};
      uint8_t out[3];
      for (int c = 0; c < 3; ++c)
        if (!rule(n, c, out[c])) return false;
      p[0] = out[0], p[1] = out[1], p[2] = out[2];
    }
  }
  return true;
}

// Runs `rule(n, c, out)` for the three colour channels of every inner pixel; the three results of
// a pixel are computed before any is written. A rule returns false on an arithmetic fault. Only
// the colour bytes are read and written, so the rules run alike over 24- and 32-bit rows.
template <class Rule>
bool InPlace3x3(FilterImage& image, Rule rule) {
  if (image.width < 3 || image.height < 3) return true;
  return image.pixelBytes == 3 ? InPlace3x3Rows<3>(image, rule) : InPlace3x3Rows<4>(image, rule);
}

// A channel is at most 255 and a sum of eight at most 2040, so below these weights no product or
// difference can leave 32 bits and the rule needs neither 64-bit arithmetic nor a check per pixel.
bool FitsIn32Bits(int64_t centre, int64_t divisor, int32_t neighbourWeight) {
  const int64_t largest = (centre < 0 ? -centre : centre) * 255 + int64_t{neighbourWeight} * 2040;
  return FitsLong(largest) && FitsLong(divisor);
}

// The centre weight and divisor a filter's parameter gives (`base + sign * p` each); none where the
// parameter is no 32-bit integer, either leaves 32 bits or the divisor is 0. Every filter fails
// there before it changes a pixel.
struct Weights {
  int64_t centre, divisor;
};

std::optional<Weights> WeightsOf(const FilterArgs& args, int32_t sign, int32_t centreBase, int32_t divisorBase) {
  int32_t p = 0;
  if (!LongOf(args.param1, p)) return std::nullopt;
  const int64_t centre = centreBase + int64_t{sign} * p, divisor = divisorBase + int64_t{sign} * p;
  if (!FitsLong(centre) || !FitsLong(divisor) || divisor == 0) return std::nullopt;
  return Weights{centre, divisor};
}

struct SharpenKind {
  int32_t centreBase, divisorBase, neighbourWeight;
};
constexpr SharpenKind kSharpen{24, 8, 2}, kEdgeEnhance{9, 1, 1};

// clamp((c * centreWeight - neighbourWeight * sum8) \ divisor) with 32-bit checks.
bool WeightedSharpen(const FilterArgs& args, const SharpenKind& kind, FilterImage& image) {
  const std::optional<Weights> w = WeightsOf(args, 1, kind.centreBase, kind.divisorBase);
  if (!w) return false;
  const int64_t centre = w->centre, divisor = w->divisor;
  const int32_t neighbourWeight = kind.neighbourWeight;
  if (FitsIn32Bits(centre, divisor, neighbourWeight)) {
    const auto centre32 = static_cast<int32_t>(centre), divisor32 = static_cast<int32_t>(divisor);
    return InPlace3x3(image, [=](const auto& n, int c, uint8_t& out) {
      out = ClampByte((n.At(0, 0, c) * centre32 - neighbourWeight * n.Sum8(c)) / divisor32);
      return true;
    });
  }
  return InPlace3x3(image, [&](const auto& n, int c, uint8_t& out) {
    const int64_t v = n.At(0, 0, c) * centre - int64_t{neighbourWeight} * n.Sum8(c);
    if (!FitsLong(n.At(0, 0, c) * centre) || !FitsLong(v)) return false;
    out = ClampByte(v / divisor);
    return true;
  });
}

// Only the pixel-by-pixel checks of a sharpen beyond 32 bits can fail halfway.
bool SharpenFailsOnlyFirst(const FilterArgs& args, const SharpenKind& kind) {
  const std::optional<Weights> w = WeightsOf(args, 1, kind.centreBase, kind.divisorBase);
  return !w || FitsIn32Bits(w->centre, w->divisor, kind.neighbourWeight);
}

constexpr int32_t kSoftenCentre = 101, kSoftenDivisor = 105;

}  // namespace

bool FilterSharpen(FilterImage& image, const FilterArgs& args, double&) { return WeightedSharpen(args, kSharpen, image); }

bool FilterEdgeEnhance(FilterImage& image, const FilterArgs& args, double&) {
  return WeightedSharpen(args, kEdgeEnhance, image);
}

bool SharpenFailsOnlyFirst(const FilterArgs& args) { return SharpenFailsOnlyFirst(args, kSharpen); }
bool EdgeEnhanceFailsOnlyFirst(const FilterArgs& args) { return SharpenFailsOnlyFirst(args, kEdgeEnhance); }

bool FilterBlur(FilterImage& image, const FilterArgs&, double&) {
  return InPlace3x3(image, [](const auto& n, int c, uint8_t& out) {
    out = static_cast<uint8_t>(n.Sum8(c) / 8);
    return true;
  });
}

bool FilterSmooth(FilterImage& image, const FilterArgs&, double&) {
  return InPlace3x3(image, [](const auto& n, int c, uint8_t& out) {
    out = static_cast<uint8_t>((n.At(0, 0, c) + n.Cross4(c)) / 5);
    return true;
  });
}

// Each channel depends only on its own channel, so computing all three before writing gives what
// writing red before green is computed gives. Weights past 101 make the centre negative; the
// result then keeps its low 8 bits.
bool FilterSoften(FilterImage& image, const FilterArgs& args, double&) {
  const std::optional<Weights> w = WeightsOf(args, -1, kSoftenCentre, kSoftenDivisor);
  if (!w) return false;
  const int64_t centre = w->centre, divisor = w->divisor;
  return InPlace3x3(image, [&](const auto& n, int c, uint8_t& out) {
    const int64_t weighted = n.At(0, 0, c) * centre;
    const int64_t v = n.Cross4(c) + weighted;
    if (!FitsLong(weighted) || !FitsLong(v)) return false;
    out = static_cast<uint8_t>((v / divisor) & 0xFF);
    return true;
  });
}

// The checks a pixel makes cannot fail when the brightest pixel passes them: a centre of 255 and
// four neighbours of 255 give the largest magnitudes.
bool SoftenFailsOnlyFirst(const FilterArgs& args) {
  const std::optional<Weights> w = WeightsOf(args, -1, kSoftenCentre, kSoftenDivisor);
  if (!w) return true;
  const int64_t weighted = 255 * (w->centre < 0 ? -w->centre : w->centre);
  return FitsLong(weighted) && FitsLong(weighted + 4 * 255);
}

}  // namespace vx::processing
