// Flood fill: the 4-connected region of pixels whose red, green and blue equal the start pixel's
// takes the fill colour, opaque. Other pixels, their alpha included, stay as they were.
#include <vector>

#include "processing/filters/filter_engine.h"
#include "vexiro/imaging.h"

namespace vx::processing {

namespace {

constexpr uint32_t kColourBits = 0x00FFFFFFu, kOpaque = 0xFF000000u;

// Param1, Param2: the start pixel (inside the area); Param3: the fill colour as ARGB.
bool FillFromStart(FilterImage& image, const FilterArgs& args, double&) {
  const int32_t w = image.width, h = image.height;
  const auto x0 = static_cast<int32_t>(args.param1), y0 = static_cast<int32_t>(args.param2);
  const uint32_t fill = (static_cast<uint32_t>(static_cast<int32_t>(args.param3)) & kColourBits) | kOpaque;
  uint32_t* px = image.pixels;
  const uint32_t target = px[static_cast<size_t>(y0) * w + x0] & kColourBits;
  if (target == (fill & kColourBits)) return true;
  auto matches = [&](size_t i) { return (px[i] & kColourBits) == target && px[i] != fill; };
  std::vector<size_t> pending{static_cast<size_t>(y0) * w + x0};
  while (!pending.empty()) {
    const size_t i = pending.back();
    pending.pop_back();
    if (!matches(i)) continue;
    px[i] = fill;
    const int32_t x = static_cast<int32_t>(i % w), y = static_cast<int32_t>(i / w);
    if (x > 0) pending.push_back(i - 1);
    if (x + 1 < w) pending.push_back(i + 1);
    if (y > 0) pending.push_back(i - w);
    if (y + 1 < h) pending.push_back(i + w);
  }
  return true;
}

}  // namespace

}  // namespace vx::processing

namespace vexiro {

// The fill ignores the processing rectangle. A start outside the image is what the platform's
// fill refuses, so it answers as a refused fill does.
VexiroStatus cImaging::FloodFill(int32_t nXStart, int32_t nYStart, int32_t nARGBColor) {
  if (nNativeImage == 0) return nStat = GenericError;
  const int32_t width = GetWidth(), height = GetHeight();
  if (nStat != OK) return nStat;
  if (nXStart < 0 || nYStart < 0 || nXStart >= width || nYStart >= height) return nStat = Win32Error;
  const FilterArea whole{0, 0, width, height};
  vx::processing::FilterArgs args;
  args.param1 = nXStart, args.param2 = nYStart, args.param3 = nARGBColor;
  return nStat = vx::processing::ApplyProcedure(vx::processing::FillFromStart, nNativeImage, whole, args);
}

}  // namespace vexiro
