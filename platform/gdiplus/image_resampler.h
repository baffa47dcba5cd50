// High-quality image scaling without cairo's general compositor. cairo draws a scaled image with
// the best filter through pixman's per-pixel convolution fetcher, which dominates a resize; this
// computes the very same bytes (the same kernel weights, the same fixed-point sample positions, the
// same rounding and the same OVER step) directly over premultiplied rows, several times faster.
// Anything it does not reproduce exactly it declines, and the caller draws through cairo.
#pragma once
#include <cairo.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace vx::gdiplus {

// The source, a row at a time: `load` writes `count` pixels of row `y` from column `x` on, as
// premultiplied 32-bit pixels. Each row is asked for once while it is in use, and only for the
// columns the painted area reads, so no whole premultiplied copy is ever made.
struct PremultipliedRows {
  int width = 0;
  int height = 0;
  std::function<void(int y, int x, int count, uint8_t* out)> load;
};

struct PixelBox {
  int x = 0, y = 0, width = 0, height = 0;
};

// Paints `source`, mapped by `toSource` (device pixels to source pixels, as a cairo pattern matrix
// composed with the inverse device transform) and padded at its edges, over the `area` of the
// premultiplied `target` surface. False, with nothing painted, where the result could differ from
// cairo's best filter: a rotation, a near-unit scale, a scale beyond the cubic kernel's range.
bool PaintBestScaled(const PremultipliedRows& source, const cairo_matrix_t& toSource, uint8_t* target,
                     int targetStride, const PixelBox& area);

// The same for cairo's bilinear filter: pixman's seven-bit weights over the two nearest pixels each
// way. False, with nothing painted, for a rotation or a unit scale.
bool PaintBilinearScaled(const PremultipliedRows& source, const cairo_matrix_t& toSource, uint8_t* target,
                         int targetStride, const PixelBox& area);

// The instruction sets the convolution can use on this processor, best first ("avx512vnni",
// "avx512", "avx2", "sse2"). Every one gives the same bytes; tests choose each in turn to prove it, "" returns to the
// best. False for a set this processor lacks.
std::vector<std::string> ResamplerInstructionSets();
bool UseResamplerInstructionSet(const std::string& name);

}  // namespace vx::gdiplus
