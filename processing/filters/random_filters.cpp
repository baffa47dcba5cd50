// Add noise and diffuse draw from the thread's random generator and never reseed it, so a host
// that seeds the generator gets the same picture again.
#include <cmath>

#include "engine/routines/random_generator.h"
#include "processing/filters/filter_procedures.h"

namespace vx::processing {

bool FilterAddNoise(FilterImage& image, const FilterArgs& args, double&) {
  int32_t p = 0;
  if (!LongOf(args.param1, p)) return false;
  const int64_t spread = 2 * int64_t{p} + 1;
  if (!FitsLong(spread)) return false;
  uint8_t* q = image.Bytes();
  for (size_t i = 0, n = image.Count(); i < n; ++i, q += 4)
    for (int c : {kRed, kGreen, kBlue}) {
      int32_t v = 0;
      if (!LongOf(q[c] + (static_cast<double>(spread) * engine::RandomSingle() - p), v)) return false;
      q[c] = ClampByte(v);
    }
  return true;
}

// Each pixel takes the colour of a random neighbour within the distance, read from the working
// array, which may already hold a moved colour; an offset that leaves the area becomes 0.
bool FilterDiffuse(FilterImage& image, const FilterArgs& args, double&) {
  int32_t p = 0;
  if (!LongOf(args.param1, p)) return false;
  const double d = p <= 0 ? 6 : p;
  const double half = std::nearbyint(d / 2.0);
  const int32_t w = image.width, h = image.height;
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x) {
      int32_t dx = 0, dy = 0;
      if (!LongOf(engine::RandomSingle() * d - half, dx) || !LongOf(engine::RandomSingle() * d - half, dy))
        return false;
      const int64_t sx = int64_t{x} + dx, sy = int64_t{y} + dy;
      if (!FitsLong(sx + 1) || !FitsLong(sy + 1)) return false;
      const size_t from =
          static_cast<size_t>(sy >= 0 && sy < h ? sy : y) * w + static_cast<size_t>(sx >= 0 && sx < w ? sx : x);
      uint32_t& to = image.pixels[static_cast<size_t>(y) * w + x];
      to = (to & 0xFF000000u) | (image.pixels[from] & 0x00FFFFFFu);
    }
  return true;
}

}  // namespace vx::processing
