// Tone and colour point operations: grey, gamma, saturation, contrast, contrast stretching,
// intensity equalisation, RGB offsets, channel order, sepia and colorize, scan lines. Curves that
// depend on the channel value alone run through lookup tables.
#include <algorithm>
#include <cmath>

#include "processing/color/color_values.h"
#include "processing/filters/filter_procedures.h"

namespace vx::processing {

namespace {

bool RoundedLong(double v, int64_t& out) {
  int32_t r = 0;
  if (!LongOf(v, r)) return false;
  out = r;
  return true;
}

// The contrast pass's excess sharing: a channel beyond 0..255 is set to the limit and half of
// its excess (toward zero) goes to each of the other two, until all three are in range.
bool ShareExcess(int64_t& r, int64_t& g, int64_t& b) {
  const auto inRange = [](int64_t v) { return v >= 0 && v <= 255; };
  const auto handle = [](int64_t& v, int64_t& o1, int64_t& o2) {
    if (v < 0) {
      o1 += v / 2, o2 += v / 2, v = 0;
    } else if (v > 255) {
      o1 += (v - 255) / 2, o2 += (v - 255) / 2, v = 255;
    }
  };
  while (!(inRange(r) && inRange(g) && inRange(b))) {
    if (r <= 0 && g <= 0 && b <= 0) r = g = b = 0;
    if (r >= 255 && g >= 255 && b >= 255) r = g = b = 255;
    handle(r, b, g);
    handle(g, b, r);
    handle(b, g, r);
    if (!FitsLong(r) || !FitsLong(g) || !FitsLong(b)) return false;
  }
  return true;
}

}  // namespace

bool FilterGrayscale(FilterImage& image, const FilterArgs&, double&) {
  const std::array<uint8_t, 766>& grey = RoundedThirdOfSum();
  uint8_t* p = image.Bytes();
  for (size_t i = 0, n = image.Count(); i < n; ++i, p += 4)
    p[kRed] = p[kGreen] = p[kBlue] = grey[p[kRed] + p[kGreen] + p[kBlue]];
  return true;
}

// An entry whose value has no byte (a negative exponent lifts values past 255) is an overflow,
// raised only when a pixel actually reaches it.
bool FilterGamma(FilterImage& image, const FilterArgs& args, double&) {
  int32_t p = 0;
  if (!LongOf(args.param1, p)) return false;
  const double e = 1 / ((p == 0 ? 1 : p) / 100.0);
  ChannelTable t{};
  std::array<bool, 256> valid{};
  for (int i = 0; i < 256; ++i) {
    const double v = std::nearbyint(std::pow(i / 255.0, e) * 255);
    valid[i] = v >= 0 && v <= 255;
    t[i] = valid[i] ? static_cast<uint8_t>(v) : 0;
  }
  const uint8_t* q = image.Bytes();
  for (size_t i = 0, n = image.Count(); i < n; ++i, q += 4)
    if (!valid[q[kRed]] || !valid[q[kGreen]] || !valid[q[kBlue]]) return false;
  MapColorChannels(image, t);
  return true;
}

bool FilterSaturation(FilterImage& image, const FilterArgs& args, double&) {
  int32_t p = 0;
  if (!LongOf(args.param1, p)) return false;
  const double f = static_cast<float>(p / 100.0);
  const auto& third = ThirdOfSum();
  uint8_t* q = image.Bytes();
  for (size_t i = 0, n = image.Count(); i < n; ++i, q += 4) {
    const int32_t a = third[q[kRed] + q[kGreen] + q[kBlue]];
    for (int c = 0; c < 3; ++c) {
      int64_t v = 0;
      if (!RoundedLong((q[c] - a) * f + q[c], v)) return false;
      q[c] = ClampByte(v);
    }
  }
  return true;
}

bool FilterContrast(FilterImage& image, const FilterArgs& args, double&) {
  int32_t p = 0;
  if (!LongOf(args.param1, p) || !FitsLong(int64_t{p} + 100)) return false;
  const auto& third = ThirdOfSum();
  double total = 0;
  const uint8_t* q = image.Bytes();
  const size_t n = image.Count();
  for (size_t i = 0; i < n; ++i, q += 4) total += third[q[kRed] + q[kGreen] + q[kBlue]];
  const int64_t mean = static_cast<int64_t>(std::floor(total / static_cast<double>(n)));
  const double f = static_cast<float>((int64_t{p} + 100) / 100.0);
  std::array<int64_t, 256> t{};
  for (int i = 0; i < 256; ++i)
    if (!RoundedLong(static_cast<double>(i - mean) * f + static_cast<double>(mean), t[i])) return false;
  uint8_t* d = image.Bytes();
  for (size_t i = 0; i < n; ++i, d += 4) {
    int64_t r = t[d[kRed]], g = t[d[kGreen]], b = t[d[kBlue]];
    if (!ShareExcess(r, g, b)) return false;
    d[kRed] = static_cast<uint8_t>(r), d[kGreen] = static_cast<uint8_t>(g), d[kBlue] = static_cast<uint8_t>(b);
  }
  return true;
}

bool FilterStretchContrast(FilterImage& image, const FilterArgs&, double&) {
  int32_t low[3] = {255, 255, 255}, high[3] = {0, 0, 0};
  const uint8_t* q = image.Bytes();
  for (size_t i = 0, n = image.Count(); i < n; ++i, q += 4)
    for (int c = 0; c < 3; ++c) low[c] = std::min<int32_t>(low[c], q[c]), high[c] = std::max<int32_t>(high[c], q[c]);
  ChannelTable t[3];
  for (int c = 0; c < 3; ++c) {
    if (high[c] == low[c]) low[c] = 0, high[c] = 255;
    for (int i = 0; i < 256; ++i)
      t[c][i] =
          ClampByte(static_cast<int64_t>(std::nearbyint((i - low[c]) * 255 / static_cast<double>(high[c] - low[c]))));
  }
  MapEachChannel(image, t[kRed], t[kGreen], t[kBlue]);
  return true;
}

bool FilterEqualizeIntensity(FilterImage& image, const FilterArgs&, double&) {
  std::array<int64_t, 256> bins{};
  const double n = static_cast<double>(IntensityHistogram(image, bins));
  ChannelTable map{};
  double cumulative = 0;
  for (int i = 0; i < 256; ++i) {
    cumulative += static_cast<double>(bins[i]);
    map[i] = static_cast<uint8_t>(std::nearbyint(ClampByteDouble(cumulative * 255 / n)));
  }
  MapColorChannels(image, map);
  return true;
}

bool FilterAdjustRGB(FilterImage& image, const FilterArgs& args, double&) {
  int32_t dR = 0, dG = 0, dB = 0;
  if (!LongOf(args.param2, dR) || !LongOf(args.param3, dG) || !LongOf(args.param4, dB)) return false;
  ChannelTable t[3];
  const int32_t delta[3] = {dB, dG, dR};
  bool mayOverflow = false;  // only an offset within 255 of the 32-bit limit can overflow
  for (int c = 0; c < 3; ++c) {
    for (int i = 0; i < 256; ++i) t[c][i] = ClampByte(int64_t{i} + delta[c]);
    mayOverflow = mayOverflow || !FitsLong(int64_t{delta[c]} + 255);
  }
  const uint8_t* q = image.Bytes();
  for (size_t i = 0, n = mayOverflow ? image.Count() : 0; i < n; ++i, q += 4)
    for (int c = 0; c < 3; ++c)
      if (!FitsLong(int64_t{q[c]} + delta[c])) return false;
  MapEachChannel(image, t[kRed], t[kGreen], t[kBlue]);
  return true;
}

bool FilterSwapChannels(FilterImage& image, const FilterArgs& args, double&) {
  int32_t mode = 0;
  if (!LongOf(args.param1, mode)) return false;
  // For each mode, the source channel of red, green and blue.
  static const int kFrom[6][3] = {{kRed, kGreen, kBlue}, {kGreen, kBlue, kRed}, {kBlue, kRed, kGreen},
                                  {kGreen, kRed, kBlue}, {kBlue, kGreen, kRed}, {kRed, kBlue, kGreen}};
  if (mode < 1 || mode > 5) return true;
  const int* from = kFrom[mode];
  uint8_t* q = image.Bytes();
  for (size_t i = 0, n = image.Count(); i < n; ++i, q += 4) {
    const uint8_t r = q[from[0]], g = q[from[1]], b = q[from[2]];
    q[kRed] = r, q[kGreen] = g, q[kBlue] = b;
  }
  return true;
}

// Lightness from the unchanged source, hue and saturation fixed for the whole area.
bool FilterSepiaColorize(FilterImage& image, const FilterArgs& args, double&) {
  const uint8_t* s = image.SourceBytes();
  uint8_t* d = image.Bytes();
  for (size_t i = 0, n = image.Count(); i < n; ++i, s += 4, d += 4) {
    const double l = (s[kRed] + s[kGreen] + s[kBlue]) / 765.0 * args.f3;
    HSLToRGB(args.f1, args.f2, static_cast<float>(l), d[kRed], d[kGreen], d[kBlue]);
  }
  return true;
}

bool FilterScanLine(FilterImage& image, const FilterArgs&, double&) {
  ChannelTable up{}, down{};
  for (int i = 0; i < 256; ++i) {
    up[i] = static_cast<uint8_t>(std::min(255.0, std::nearbyint(i * 1.2)));
    down[i] = static_cast<uint8_t>(std::nearbyint(i * 0.8));
  }
  for (int32_t y = 0; y + 1 < image.height; y += 2) {
    FilterImage bright{image.pixels + static_cast<size_t>(y) * image.width, nullptr, image.width, 1};
    FilterImage dark{bright.pixels + image.width, nullptr, image.width, 1};
    MapColorChannels(bright, up);
    MapColorChannels(dark, down);
  }
  return true;
}

}  // namespace vx::processing
