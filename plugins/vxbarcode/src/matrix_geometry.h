// Where a found DataMatrix symbol lies: its quadrilateral tested against points and other
// symbols, so that a symbol met by more than one search is reported once.
#pragma once
#include <vector>

#include "scanners.h"

namespace vxbarcode {

// Whether (x, y), in top-down pixels, lies within the symbol's corners widened by `margin` pixels
// on every side.
bool Covers(const FoundSymbol& symbol, double x, double y, double margin = 0);

// Whether the two stand for one symbol: either one's centre lies within the other.
bool SameSymbol(const FoundSymbol& a, const FoundSymbol& b);

// Adds the symbol unless one of `symbols` stands for it; true when added.
bool AddUnlessKnown(std::vector<FoundSymbol>& symbols, FoundSymbol symbol);

// Whether the corners run clockwise on the picture, as an unmirrored symbol's do.
bool RunsClockwise(const FoundSymbol& symbol);

// The corners moved by (dx, dy).
void MoveCorners(FoundSymbol& symbol, int dx, int dy);

// The smallest and largest side of the corners' quadrilateral, in pixels.
double ShortestSide(const FoundSymbol& symbol);
double LongestSide(const FoundSymbol& symbol);

}  // namespace vxbarcode
