// Flood fill by spans, the work behind FloodFill. The page is held as two planes of one bit a
// pixel, and a region is filled one row run at a time, only the first pixel of each run next to
// a filled one waiting its turn: the fill needs about a quarter of a byte a pixel, whatever the
// page's format, and its queue grows with the region's runs, not with its pixels.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace vx::processing {

// One bit a pixel, rows one after another.
class BitPlane {
 public:
  explicit BitPlane(size_t bits) : words_((bits + 63) / 64, 0) {}
  bool Get(size_t i) const { return (words_[i >> 6] >> (i & 63)) & 1; }
  void Set(size_t i) { words_[i >> 6] |= uint64_t{1} << (i & 63); }
  void Clear(size_t i) { words_[i >> 6] &= ~(uint64_t{1} << (i & 63)); }

 private:
  std::vector<uint64_t> words_;
};

// Rows of `width` bits each: `open` where a pixel has the region's colour and is not filled yet,
// `filled` where the fill has reached.
struct FillPlanes {
  int32_t width = 0, height = 0;
  BitPlane open, filled;
  FillPlanes(int32_t w, int32_t h)
      : width(w), height(h), open(static_cast<size_t>(w) * static_cast<size_t>(h)),
        filled(static_cast<size_t>(w) * static_cast<size_t>(h)) {}
  size_t At(int32_t x, int32_t y) const { return static_cast<size_t>(y) * static_cast<size_t>(width) + x; }
};

// Moves the 4-connected region of open pixels around (x, y), which must lie inside, to filled.
// Returns the most runs that waited at once.
size_t FillOpenRegion(FillPlanes& planes, int32_t x, int32_t y);

}  // namespace vx::processing
