// Flood fill: the 4-connected region of pixels whose red, green and blue equal the start pixel's
// takes the fill colour, opaque. Other pixels, their alpha included, stay as they were.
#include "processing/filters/flood_fill.h"

#include <algorithm>
#include <vector>

#include "processing/filters/filter_engine.h"
#include "vexiro/imaging.h"

namespace vx::processing {

namespace {

constexpr uint32_t kColourBits = 0x00FFFFFFu, kOpaque = 0xFF000000u;

struct RunStart {
  int32_t x, y;
};

// Every run of the region's colour in row `y` between `left` and `right` waits by its first pixel.
void QueueRunsOfRow(const uint32_t* row, int32_t y, int32_t left, int32_t right, uint32_t target,
                    std::vector<RunStart>& pending) {
  bool inRun = false;
  for (int32_t x = left; x <= right; ++x) {
    const bool matches = (row[x] & kColourBits) == target;
    if (matches && !inRun) pending.push_back({x, y});
    inRun = matches;
  }
}

}  // namespace

size_t FillRegionBySpans(uint32_t* pixels, int32_t width, int32_t height, int32_t x, int32_t y, uint32_t fill) {
  const auto rowAt = [&](int32_t row) { return pixels + static_cast<size_t>(row) * static_cast<size_t>(width); };
  const uint32_t target = rowAt(y)[x] & kColourBits;
  // Filled pixels must no longer match, or the fill would never end.
  if (target == (fill & kColourBits)) return 0;
  std::vector<RunStart> pending{{x, y}};
  size_t most = pending.size();
  while (!pending.empty()) {
    const RunStart start = pending.back();
    pending.pop_back();
    uint32_t* row = rowAt(start.y);
    if ((row[start.x] & kColourBits) != target) continue;  // filled since it was queued
    int32_t left = start.x, right = start.x;
    while (left > 0 && (row[left - 1] & kColourBits) == target) --left;
    while (right + 1 < width && (row[right + 1] & kColourBits) == target) ++right;
    std::fill(row + left, row + right + 1, fill);
    if (start.y > 0) QueueRunsOfRow(rowAt(start.y - 1), start.y - 1, left, right, target, pending);
    if (start.y + 1 < height) QueueRunsOfRow(rowAt(start.y + 1), start.y + 1, left, right, target, pending);
    most = std::max(most, pending.size());
  }
  return most;
}

namespace {

// Param1, Param2: the start pixel (inside the area); Param3: the fill colour as ARGB.
bool FillFromStart(FilterImage& image, const FilterArgs& args, double&) {
  const uint32_t fill = (static_cast<uint32_t>(static_cast<int32_t>(args.param3)) & kColourBits) | kOpaque;
  FillRegionBySpans(image.pixels, image.width, image.height, static_cast<int32_t>(args.param1),
                    static_cast<int32_t>(args.param2), fill);
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
