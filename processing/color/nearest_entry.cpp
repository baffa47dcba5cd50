#include "processing/color/nearest_entry.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace vx::processing {

namespace {

int32_t Channel(gdiplus::ARGB v, int shift) { return static_cast<int32_t>((v >> shift) & 0xFF); }

}  // namespace

NearestEntry::NearestEntry(const gdiplus::ARGB* entries, uint32_t count)
    : entries_(entries), count_(std::min<uint32_t>(count, 256)) {}

uint8_t NearestEntry::Find(uint32_t argb) {
  static const std::array<int32_t, 511> kSquares = [] {
    std::array<int32_t, 511> t{};
    for (int d = -255; d <= 255; ++d) t[d + 255] = d * d;
    return t;
  }();
  const uint32_t colour = argb & 0x00FFFFFFu;
  if (hasLast_ && colour == lastColour_) return lastIndex_;
  const int32_t r = Channel(colour, 16), g = Channel(colour, 8), b = Channel(colour, 0);
  int32_t best = INT32_MAX;
  uint8_t index = 0;
  for (uint32_t i = 0; i < count_; ++i) {
    const gdiplus::ARGB e = entries_[i];
    const int32_t d =
        kSquares[Channel(e, 8) - g + 255] + kSquares[Channel(e, 16) - r + 255] + kSquares[Channel(e, 0) - b + 255];
    if (d < best) {
      best = d;
      index = static_cast<uint8_t>(i);
      if (d == 0) break;
    }
  }
  hasLast_ = true;
  lastColour_ = colour;
  lastIndex_ = index;
  return index;
}

}  // namespace vx::processing
