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
  const std::array<uint8_t, 766>& rounded = RoundedThirdOfSum();
  bins.fill(0);
  const uint8_t* p = image.Bytes();
  const size_t n = image.Count();
  for (size_t i = 0; i < n; ++i, p += 4) ++bins[rounded[p[kRed] + p[kGreen] + p[kBlue]]];
  return static_cast<int64_t>(n);
}

const std::array<uint8_t, 766>& ThirdOfSum() {
  static const auto kThird = MakeByteTable<766>([](int s) { return s / 3; });
  return kThird;
}

const std::array<uint8_t, 766>& RoundedThirdOfSum() {
  static const auto kRounded = MakeByteTable<766>([](int s) { return std::nearbyint(s / 3.0); });
  return kRounded;
}

}  // namespace vx::processing
