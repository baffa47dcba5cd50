// The colour filters that work on one pixel at a time: negative, brightness, channel keeping,
// removing and scaling, transparency, colour replacement, fire and red-eye correction, and the
// palette forms of negative and brightness.
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "platform/gdiplus/gdiplus_types.h"
#include "processing/filters/filter_procedures.h"

namespace vx::processing {

namespace {

// Sets the listed channels of every pixel to 0.
template <int... Channels>
bool ZeroChannels(FilterImage& image) {
  uint8_t* p = image.Bytes();
  for (size_t i = 0, n = image.Count(); i < n; ++i, p += 4) ((p[Channels] = 0), ...);
  return true;
}

// t[i] = round(i * f), limited to 0..255, with f = (percentage + 100) / 100 held in single
// precision; false when a product does not fit a 32-bit integer.
bool BrightnessTable(int32_t percentage, ChannelTable& t) {
  const int64_t shifted = int64_t{percentage} + 100;
  if (!FitsLong(shifted)) return false;
  const double f = static_cast<float>(static_cast<double>(shifted) / 100);
  for (int i = 0; i < 256; ++i) {
    int32_t v = 0;
    if (!LongOf(i * f, v)) return false;
    t[i] = ClampByte(v);
  }
  return true;
}

bool ScaleChannel(FilterImage& image, const FilterArgs& args, int channel) {
  const double factor = static_cast<float>(args.param1);
  ChannelTable t{};
  // A negative product has no byte: it is limited to 0 as the top is limited to 255.
  for (int i = 0; i < 256; ++i) t[i] = static_cast<uint8_t>(std::clamp(std::nearbyint(i * factor), 0.0, 255.0));
  uint8_t* p = image.Bytes();
  for (size_t i = 0, n = image.Count(); i < n; ++i, p += 4) p[channel] = t[p[channel]];
  return true;
}

// floor(scale - scale / 100 * threshold) as a 32-bit integer; false when it does not fit.
bool Tolerance(double scale, double threshold, int32_t& tolerance) {
  const double t = std::floor(scale - scale / 100 * threshold);
  if (!(t >= INT32_MIN && t <= INT32_MAX)) return false;
  tolerance = static_cast<int32_t>(t);
  return true;
}

}  // namespace

bool FilterNegative(FilterImage& image, const FilterArgs&, double&) {
  static const ChannelTable kNegative = MakeByteTable<256>([](int i) { return 255 - i; });
  MapColorChannels(image, kNegative);
  return true;
}

bool FilterBrightness(FilterImage& image, const FilterArgs& args, double&) {
  int32_t percentage = 0;
  ChannelTable t{};
  if (!LongOf(args.param1, percentage) || !BrightnessTable(percentage, t)) return false;
  MapColorChannels(image, t);
  return true;
}

bool FilterKeepRed(FilterImage& image, const FilterArgs&, double&) { return ZeroChannels<kGreen, kBlue>(image); }
bool FilterKeepGreen(FilterImage& image, const FilterArgs&, double&) { return ZeroChannels<kRed, kBlue>(image); }
bool FilterKeepBlue(FilterImage& image, const FilterArgs&, double&) { return ZeroChannels<kRed, kGreen>(image); }
bool FilterRemoveRed(FilterImage& image, const FilterArgs&, double&) { return ZeroChannels<kRed>(image); }
bool FilterRemoveGreen(FilterImage& image, const FilterArgs&, double&) { return ZeroChannels<kGreen>(image); }
bool FilterRemoveBlue(FilterImage& image, const FilterArgs&, double&) { return ZeroChannels<kBlue>(image); }

bool FilterScaleRed(FilterImage& image, const FilterArgs& args, double&) { return ScaleChannel(image, args, kRed); }
bool FilterScaleGreen(FilterImage& image, const FilterArgs& args, double&) { return ScaleChannel(image, args, kGreen); }
bool FilterScaleBlue(FilterImage& image, const FilterArgs& args, double&) { return ScaleChannel(image, args, kBlue); }

bool FilterSetTransparency(FilterImage& image, const FilterArgs& args, double&) {
  int32_t change = 0;
  if (!LongOf(args.param1, change)) return false;
  uint8_t* p = image.Bytes();
  for (size_t i = 0, n = image.Count(); i < n; ++i, p += 4) {
    const int64_t a = int64_t{p[kAlpha]} + change;
    if (!FitsLong(a)) return false;
    p[kAlpha] = ClampByte(a);
  }
  return true;
}

bool FilterCountTransparent(FilterImage& image, const FilterArgs&, double& measure) {
  int64_t count = 0;
  uint32_t* p = image.pixels;
  for (size_t i = 0, n = image.Count(); i < n; ++i)
    if ((p[i] >> 24) == 0) {
      p[i] = 0x000000FF;  // blue, alpha kept at 0
      ++count;
    }
  measure = static_cast<double>(count);
  return true;
}

bool FilterSetTransparencyColorEx(FilterImage& image, const FilterArgs& args, double&) {
  int32_t colour = 0, tolerance = 0;
  if (!LongOf(args.param2, colour) || !Tolerance(768, args.param1, tolerance)) return false;
  const int32_t rc = (colour >> 16) & 0xFF, gc = (colour >> 8) & 0xFF, bc = colour & 0xFF;
  uint8_t* p = image.Bytes();
  for (size_t i = 0, n = image.Count(); i < n; ++i, p += 4) {
    const bool hit = tolerance != 0
                         ? std::abs(p[kRed] - rc) + std::abs(p[kGreen] - gc) + std::abs(p[kBlue] - bc) <= tolerance
                         : p[kBlue] == bc && p[kGreen] == gc && p[kRed] == rc;
    if (hit) p[kAlpha] = 0;
  }
  return true;
}

bool FilterSwapColorEx(FilterImage& image, const FilterArgs& args, double&) {
  int32_t oldColour = 0, newColour = 0, tolerance = 0;
  if (!LongOf(args.param2, oldColour) || !LongOf(args.param3, newColour) || !Tolerance(1024, args.param1, tolerance))
    return false;
  const uint32_t from = static_cast<uint32_t>(oldColour), to = static_cast<uint32_t>(newColour);
  const auto channel = [](uint32_t v, int c) { return static_cast<int32_t>((v >> (8 * c)) & 0xFF); };
  uint32_t* p = image.pixels;
  for (size_t i = 0, n = image.Count(); i < n; ++i) {
    int32_t distance = 0;
    for (int c = 0; c < 4; ++c) distance += std::abs(channel(p[i], c) - channel(from, c));
    if (tolerance != 0 ? distance <= tolerance : p[i] == from) p[i] = to;
  }
  return true;
}

bool FilterFire(FilterImage& image, const FilterArgs&, double&) {
  uint8_t* p = image.Bytes();
  for (size_t i = 0, n = image.Count(); i < n; ++i, p += 4) {
    const int32_t b = p[kBlue], g = p[kGreen], r = p[kRed];
    if (b < r) continue;
    const double red = std::nearbyint((b + g + r) / 3.0 + r);
    const double blue = std::nearbyint(std::fabs(red - (b + g + red) / 3.0));
    p[kRed] = ClampByte(static_cast<int64_t>(red));
    p[kBlue] = ClampByte(static_cast<int64_t>(blue));
  }
  return true;
}

bool FilterRedEyesCorrection(FilterImage& image, const FilterArgs&, double&) {
  uint8_t* p = image.Bytes();
  for (size_t i = 0, n = image.Count(); i < n; ++i, p += 4) {
    const int32_t b = p[kBlue], g = p[kGreen], r = p[kRed];
    if (r < 60) continue;
    const int32_t l = static_cast<int32_t>(std::nearbyint(0.587 * g + 0.114 * b + 0.299 * r));
    if (1.5 * l < r && (b < l || g < l))
      p[kRed] = p[kGreen] = p[kBlue] = static_cast<uint8_t>(std::nearbyint((b + g) / 2.0));
  }
  return true;
}

void PaletteNegative(gdiplus::ColorPalette& palette) {
  const uint32_t count = std::min<uint32_t>(palette.Count, 256);
  for (uint32_t i = 0; i < count; ++i) palette.Entries[i] ^= 0x00FFFFFFu;
}

bool PaletteBrightness(int32_t percentage, gdiplus::ColorPalette& palette) {
  ChannelTable t{};
  if (!BrightnessTable(percentage, t)) return false;
  const uint32_t count = std::min<uint32_t>(palette.Count, 256);
  for (uint32_t i = 0; i < count; ++i) {
    const uint32_t e = palette.Entries[i];
    palette.Entries[i] =
        (e & 0xFF000000u) | uint32_t{t[(e >> 16) & 0xFF]} << 16 | uint32_t{t[(e >> 8) & 0xFF]} << 8 | t[e & 0xFF];
  }
  return true;
}

}  // namespace vx::processing
