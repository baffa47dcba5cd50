// Helpers shared by the filter procedures: channel lookups and the intensity histogram.
#include <cmath>

#include "processing/filters/filter_procedures.h"

namespace vx::processing {

void MapColorChannels(FilterImage& image, const ChannelTable& table) { MapEachChannel(image, table, table, table); }

void MapEachChannel(FilterImage& image, const ChannelTable& red, const ChannelTable& green, const ChannelTable& blue) {
  uint8_t* p = image.Bytes();
  const size_t n = image.Count();
  for (size_t i = 0; i < n; ++i, p += 4) {
    p[kBlue] = blue[p[kBlue]];
    p[kGreen] = green[p[kGreen]];
    p[kRed] = red[p[kRed]];
  }
}

int64_t IntensityHistogram(const FilterImage& image, std::array<int64_t, 256>& bins) {
  static const std::array<uint8_t, 766> kRoundedThird = [] {
    std::array<uint8_t, 766> t{};
    for (int s = 0; s < 766; ++s) t[s] = static_cast<uint8_t>(std::nearbyint(s / 3.0));
    return t;
  }();
  bins.fill(0);
  const uint8_t* p = image.Bytes();
  const size_t n = image.Count();
  for (size_t i = 0; i < n; ++i, p += 4) ++bins[kRoundedThird[p[kRed] + p[kGreen] + p[kBlue]]];
  return static_cast<int64_t>(n);
}

const std::array<uint8_t, 766>& ThirdOfSum() {
  static const std::array<uint8_t, 766> kThird = [] {
    std::array<uint8_t, 766> t{};
    for (int s = 0; s < 766; ++s) t[s] = static_cast<uint8_t>(s / 3);
    return t;
  }();
  return kThird;
}

}  // namespace vx::processing
