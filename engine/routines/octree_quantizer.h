// The octree colour quantiser: reduces 24-bit pixels to an adaptive palette of at most 256
// colours without dithering, and the reduction of a whole image to 8-bit indexed form with it.
// The tree of the last run is kept per thread until the next run.
#pragma once
#include <cstddef>
#include <cstdint>

#include "engine/vexiro_status.h"
#include "platform/gdiplus/gdiplus_types.h"

namespace vx::engine {

// Builds the tree from rows of `stride` bytes, each holding (stride - padding) / 3 pixels stored
// blue, green, red, reduces it to at most maxColors leaves and numbers the palette. `bytes`
// bounds what is read.
void OctreeQuantize(int32_t stride, int32_t height, int32_t padding, const uint8_t* pixels, size_t bytes,
                    int32_t maxColors, int32_t maxDepth);
// The palette index of a colour inserted by the last run.
uint8_t OctreeGetIndex(uint8_t blue, uint8_t green, uint8_t red);
// The palette indices of a row of `width` pixels stored blue, green, red, as OctreeGetIndex
// gives them one by one.
void OctreeIndexRow(const uint8_t* pixels, int32_t width, uint8_t* indices);
// The highest palette index of the last run (colours - 1).
int32_t OctreeGetLeafCount();
void OctreeGetPaletteEntry(int32_t index, uint8_t& blue, uint8_t& green, uint8_t& red);

// A new 8bppIndexed image of `id` with an adaptive palette of 8..256 colours (`colorCount` is
// clamped and then set to the palette's size; `palette` receives the palette set). With
// `transparency`, the first palette colour within a summed channel distance of 3 of `keyColor`
// (0x00BBGGRR) becomes that colour with alpha 0. An unknown `id` gives OK and no image
// (`newId` 0).
VexiroStatus ReduceImageColors(int32_t id, int32_t& newId, int32_t& colorCount, gdiplus::ColorPalette& palette,
                               bool transparency, int32_t keyColor);
// A new 8bppIndexed image of `id` for a format that holds one transparent palette entry: its
// fully transparent pixels (`clearPixels` receives their count) share an entry of alpha 0 of
// their own, after at most 255 octree colours of the other pixels, so no opaque pixel turns
// transparent whatever its colour. Without such pixels, the 256-colour reduction without
// transparency. An unknown `id` gives OK and no image.
VexiroStatus ReduceImageColorsKeepingClearPixels(int32_t id, int32_t& newId, int64_t& clearPixels);

}  // namespace vx::engine
