#include "matrix_sizes.h"

#include <cmath>
#include <limits>

namespace vxbarcode {
namespace {

constexpr MatrixSize kSizes[] = {
    // Square.
    {10, 10, 3}, {12, 12, 5}, {14, 14, 8}, {16, 16, 12}, {18, 18, 18}, {20, 20, 22}, {22, 22, 30}, {24, 24, 36},
    {26, 26, 44}, {32, 32, 62}, {36, 36, 86}, {40, 40, 114}, {44, 44, 144}, {48, 48, 174}, {52, 52, 204},
    {64, 64, 280}, {72, 72, 368}, {80, 80, 456}, {88, 88, 576}, {96, 96, 696}, {104, 104, 816}, {120, 120, 1050},
    {132, 132, 1304}, {144, 144, 1558},
    // Rectangular.
    {8, 18, 5}, {8, 32, 10}, {12, 26, 16}, {12, 36, 22}, {16, 36, 32}, {16, 48, 49},
    // Rectangular extension.
    {8, 48, 18}, {8, 64, 24}, {8, 80, 32}, {8, 96, 38}, {8, 120, 49}, {8, 144, 63}, {12, 64, 43}, {12, 88, 64},
    {16, 64, 62}, {20, 36, 44}, {20, 44, 56}, {20, 64, 84}, {22, 48, 72}, {24, 48, 80}, {24, 64, 108},
    {26, 40, 70}, {26, 48, 90}, {26, 64, 118},
};

}  // namespace

const MatrixSize* MatrixSizeOf(int dataCodewords, double columnsOverRows) {
  const MatrixSize* best = nullptr;
  double bestDistance = std::numeric_limits<double>::infinity();
  if (!(columnsOverRows > 0)) return nullptr;
  for (const MatrixSize& size : kSizes) {
    if (size.dataCodewords != dataCodewords) continue;
    // Proportions compare on a log scale: twice as wide is as far off as half as wide.
    const double distance = std::abs(std::log(columnsOverRows * size.rows / size.columns));
    if (distance < bestDistance) {
      best = &size;
      bestDistance = distance;
    }
  }
  return best;
}

}  // namespace vxbarcode
