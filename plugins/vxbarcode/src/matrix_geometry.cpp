#include "matrix_geometry.h"

#include <algorithm>
#include <cmath>

namespace vxbarcode {
namespace {

struct Point {
  double x, y;
};

Point CornerOf(const FoundSymbol& symbol, int k) {
  return {static_cast<double>(symbol.corners[2 * (k % 4)]), static_cast<double>(symbol.corners[2 * (k % 4) + 1])};
}

Point CentreOf(const FoundSymbol& symbol) {
  Point centre{0, 0};
  for (int k = 0; k < 4; ++k) {
    centre.x += CornerOf(symbol, k).x / 4;
    centre.y += CornerOf(symbol, k).y / 4;
  }
  return centre;
}

double SideLength(const FoundSymbol& symbol, int k) {
  const Point a = CornerOf(symbol, k), b = CornerOf(symbol, k + 1);
  return std::hypot(b.x - a.x, b.y - a.y);
}

}  // namespace

// Inside a convex quadrilateral a point lies on the same side of all four edges, whichever way the
// corners run (a mirrored symbol's run the other way round); the margin moves each edge outwards.
bool Covers(const FoundSymbol& symbol, double x, double y, double margin) {
  Point least = CornerOf(symbol, 0), most = least;
  for (int k = 1; k < 4; ++k) {
    const Point corner = CornerOf(symbol, k);
    least = {std::min(least.x, corner.x), std::min(least.y, corner.y)};
    most = {std::max(most.x, corner.x), std::max(most.y, corner.y)};
  }
  // Most points a scan tests lie well away from every symbol: the corners' bounds rule them out.
  if (x < least.x - margin || x > most.x + margin || y < least.y - margin || y > most.y + margin) return false;
  int positive = 0, negative = 0;
  for (int k = 0; k < 4; ++k) {
    const Point a = CornerOf(symbol, k), b = CornerOf(symbol, k + 1);
    const double length = std::hypot(b.x - a.x, b.y - a.y);
    if (length == 0) return false;
    const double cross = ((b.x - a.x) * (y - a.y) - (b.y - a.y) * (x - a.x)) / length;
    if (cross > margin) ++positive;
    if (cross < -margin) ++negative;
    if (std::abs(cross) <= margin) ++positive, ++negative;
  }
  return positive == 4 || negative == 4;
}

bool SameSymbol(const FoundSymbol& a, const FoundSymbol& b) {
  const Point ca = CentreOf(a), cb = CentreOf(b);
  return Covers(b, ca.x, ca.y) || Covers(a, cb.x, cb.y);
}

bool AddUnlessKnown(std::vector<FoundSymbol>& symbols, FoundSymbol symbol) {
  for (const FoundSymbol& known : symbols)
    if (SameSymbol(known, symbol)) return false;
  symbols.push_back(std::move(symbol));
  return true;
}

// With y running down the picture, a positive turn from one side to the next is clockwise.
bool RunsClockwise(const FoundSymbol& symbol) {
  double turn = 0;
  for (int k = 0; k < 4; ++k) {
    const Point a = CornerOf(symbol, k), b = CornerOf(symbol, k + 1), c = CornerOf(symbol, k + 2);
    turn += (b.x - a.x) * (c.y - b.y) - (b.y - a.y) * (c.x - b.x);
  }
  return turn > 0;
}

void MoveCorners(FoundSymbol& symbol, int dx, int dy) {
  for (int k = 0; k < 4; ++k) {
    symbol.corners[2 * k] += dx;
    symbol.corners[2 * k + 1] += dy;
  }
}

double ShortestSide(const FoundSymbol& symbol) {
  double shortest = SideLength(symbol, 0);
  for (int k = 1; k < 4; ++k) shortest = std::min(shortest, SideLength(symbol, k));
  return shortest;
}

double LongestSide(const FoundSymbol& symbol) {
  double longest = SideLength(symbol, 0);
  for (int k = 1; k < 4; ++k) longest = std::max(longest, SideLength(symbol, k));
  return longest;
}

}  // namespace vxbarcode
