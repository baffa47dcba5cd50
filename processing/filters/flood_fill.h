// Flood fill by spans, the work behind FloodFill: a region is filled one row run at a time, and
// only the first pixel of each run next to a filled one waits its turn, so the memory the fill
// needs beyond the pixels grows with the region's runs, not with its pixels.
#pragma once
#include <cstddef>
#include <cstdint>

namespace vx::processing {

// Fills, in top-down rows of 32bppARGB `pixels`, the 4-connected region of pixels whose red,
// green and blue equal those at (x, y), which must lie inside, with `fill`. Returns the most
// runs that waited at once.
size_t FillRegionBySpans(uint32_t* pixels, int32_t width, int32_t height, int32_t x, int32_t y, uint32_t fill);

}  // namespace vx::processing
