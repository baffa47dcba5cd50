// The parts of a picture that may hold a symbol: groups of touching blocks with marks of real
// contrast on them, each with a quiet margin. ZXing's detector follows edges inwards from the
// borders of what it is given and misses symbols that lie far off its centre among other marks;
// given one such group it meets the symbol at once.
#pragma once
#include <vector>

#include "matrix_seeds.h"

namespace vxbarcode {

struct PixelArea {
  int left, top, width, height;  // top-down pixels
};

// Groups of blocks whose levels spread by at least `leastContrast`, at least `leastSide` pixels
// each way, widened by a block on every side; a group covering most of the picture (a busy photo)
// stands for the whole picture.
std::vector<PixelArea> MarkedAreas(const MatrixSeeds& seeds, int width, int height, int leastContrast, int leastSide);

// Whether any block the area touches spreads by at least `leastContrast`.
bool HoldsMarks(const MatrixSeeds& seeds, const PixelArea& area, int leastContrast);

}  // namespace vxbarcode
