#include "platform/gdiplus/palette_matcher.h"

#include <algorithm>
#include <cstring>

namespace vx::gdiplus {

namespace {

// Palettes this small are scanned directly: a scan is cheaper than building cells.
constexpr size_t kDirectScanLimit = 4;

int Square(int v) { return v * v; }

// Distance from a channel value to the interval [lo, hi]: nearest and farthest.
int NearGap(int v, int lo, int hi) { return v < lo ? lo - v : (v > hi ? v - hi : 0); }
int FarGap(int v, int lo, int hi) { return std::max(v - lo, hi - v); }

}  // namespace

void PaletteMatcher::Reset(const ARGB* entries, size_t count) {
  count_ = std::min<size_t>(count, 256);
  entries_.fill(0);
  if (count_ > 0) std::memcpy(entries_.data(), entries, count_ * sizeof(ARGB));
  for (size_t i = 0; i < count_; ++i) {
    red_[i] = static_cast<int16_t>((entries_[i] >> 16) & 0xff);
    green_[i] = static_cast<int16_t>((entries_[i] >> 8) & 0xff);
    blue_[i] = static_cast<int16_t>(entries_[i] & 0xff);
  }
  cube_ = IsColourCube();
  cellStart_.assign(count_ > kDirectScanLimit && !cube_ ? 32768 : 0, kUnbuilt);
  cellCount_.assign(cellStart_.size(), 0);
  candidates_.clear();
  memoColour_.fill(kNoColour);
}

bool PaletteMatcher::IsColourCube() const {
  constexpr size_t kCubeEntries = 216;
  if (count_ < kCubeEntries) return false;
  auto level = [](int16_t v) { return v % 51 == 0 ? v / 51 : -1; };
  for (size_t i = 0; i < count_; ++i) {
    const int r = level(red_[i]), g = level(green_[i]), b = level(blue_[i]);
    if (r < 0 || g < 0 || b < 0) return false;
    if (i < kCubeEntries && static_cast<size_t>(r * 36 + g * 6 + b) != i) return false;
  }
  return true;
}

bool PaletteMatcher::Holds(const ARGB* entries, size_t count) const {
  return count == count_ && (count == 0 || std::memcmp(entries, entries_.data(), count * sizeof(ARGB)) == 0);
}

uint8_t PaletteMatcher::ScanAll(int r, int g, int b) const {
  uint8_t best = 0;
  int bestDistance = INT32_MAX;
  for (size_t i = 0; i < count_; ++i) {
    const int d = Distance(static_cast<uint8_t>(i), r, g, b);
    if (d < bestDistance) {
      bestDistance = d;
      best = static_cast<uint8_t>(i);
    }
  }
  return best;
}

int PaletteMatcher::Distance(uint8_t i, int r, int g, int b) const {
  return Square(r - red_[i]) + Square(g - green_[i]) + Square(b - blue_[i]);
}

uint32_t PaletteMatcher::BuildCell(uint32_t cell) {
  const int rLo = static_cast<int>(cell >> 10) << 3, gLo = static_cast<int>((cell >> 5) & 31) << 3,
            bLo = static_cast<int>(cell & 31) << 3;
  int bound = INT32_MAX;
  std::array<Candidate, 256> all{};
  for (size_t i = 0; i < count_; ++i) {
    all[i].index = static_cast<uint8_t>(i);
    all[i].boxDistance = Square(NearGap(red_[i], rLo, rLo + 7)) + Square(NearGap(green_[i], gLo, gLo + 7)) +
                         Square(NearGap(blue_[i], bLo, bLo + 7));
    const int far = Square(FarGap(red_[i], rLo, rLo + 7)) + Square(FarGap(green_[i], gLo, gLo + 7)) +
                    Square(FarGap(blue_[i], bLo, bLo + 7));
    bound = std::min(bound, far);
  }
  const uint32_t start = static_cast<uint32_t>(candidates_.size());
  for (size_t i = 0; i < count_; ++i)
    if (all[i].boxDistance <= bound) candidates_.push_back(all[i]);
  // Stable, so that among equal box distances the lower index comes first.
  std::stable_sort(candidates_.begin() + start, candidates_.end(),
                   [](const Candidate& a, const Candidate& b) { return a.boxDistance < b.boxDistance; });
  cellStart_[cell] = start;
  cellCount_[cell] = static_cast<uint16_t>(candidates_.size() - start);
  return start;
}

uint8_t PaletteMatcher::Nearest(ARGB colour) {
  if (count_ == 0) return 0;
  colour &= 0xffffff;
  if (cube_) {
    auto level = [](uint32_t v) { return (v + 25) / 51; };
    return static_cast<uint8_t>(level(colour >> 16) * 36 + level((colour >> 8) & 0xff) * 6 + level(colour & 0xff));
  }
  const size_t slot = (colour ^ (colour >> 12)) & (kMemoSize - 1);
  if (memoColour_[slot] == colour) return memoIndex_[slot];
  const int r = static_cast<int>(colour >> 16), g = static_cast<int>((colour >> 8) & 0xff),
            b = static_cast<int>(colour & 0xff);
  uint8_t best = 0;
  if (cellStart_.empty()) {
    best = ScanAll(r, g, b);
  } else {
    const uint32_t cell = static_cast<uint32_t>((r >> 3) << 10 | (g >> 3) << 5 | (b >> 3));
    uint32_t start = cellStart_[cell];
    if (start == kUnbuilt) start = BuildCell(cell);
    const Candidate* list = candidates_.data() + start;
    const size_t n = cellCount_[cell];
    int bestDistance = INT32_MAX;
    for (size_t k = 0; k < n && list[k].boxDistance <= bestDistance; ++k) {
      const int d = Distance(list[k].index, r, g, b);
      if (d < bestDistance || (d == bestDistance && list[k].index < best)) {
        bestDistance = d;
        best = list[k].index;
      }
    }
  }
  memoColour_[slot] = colour;
  memoIndex_[slot] = best;
  return best;
}

PaletteMatcher& ThreadPaletteMatcher(const ARGB* entries, size_t count) {
  thread_local PaletteMatcher matcher;
  if (!matcher.Holds(entries, count)) matcher.Reset(entries, count);
  return matcher;
}

}  // namespace vx::gdiplus
