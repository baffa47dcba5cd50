// The DataMatrix reader's replay of the library's scan order: every pixel inside the area is
// handed out exactly once, none outside it, whatever the area's shape. A pixel left out could
// hide a symbol; one handed out twice would be tried twice. As in the library, the crosses of an
// area whose longer side is a power of two miss its last column and row; pixels on the border
// lack a neighbour and start no symbol, so they are only required not to come twice.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "plugins/vxbarcode/src/matrix_scan_order.h"

namespace {

TEST(MatrixScanOrderTest, HandsOutEveryPixelOfTheAreaOnce) {
  const struct {
    int xMin, xMax, yMin, yMax, smallestFeature;
  } cases[] = {
      {0, 2, 0, 0, 2},     {0, 0, 0, 2, 2},      {0, 2, 0, 2, 2},     {0, 3, 0, 6, 2},    {0, 16, 0, 4, 2},
      {0, 63, 0, 63, 2},   {0, 99, 0, 36, 2},    {0, 254, 0, 255, 1}, {0, 255, 0, 255, 2}, {5, 40, 7, 90, 2},  {0, 1199, 0, 899, 2},
      {0, 2479, 0, 40, 2}, {0, 30, 0, 1500, 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.xMax - c.xMin + 1) + " x " + std::to_string(c.yMax - c.yMin + 1) + " from " +
                 std::to_string(c.xMin) + ", " + std::to_string(c.yMin));
    const int width = c.xMax - c.xMin + 1, height = c.yMax - c.yMin + 1;
    std::vector<int> visits(static_cast<size_t>(width) * height, 0);
    vxbarcode::MatrixScanOrder order(c.xMin, c.xMax, c.yMin, c.yMax, c.smallestFeature);
    int x = 0, y = 0, outside = 0;
    while (order.Next(x, y)) {
      if (x < c.xMin || x > c.xMax || y < c.yMin || y > c.yMax) {
        ++outside;
        continue;
      }
      ++visits[static_cast<size_t>(y - c.yMin) * width + (x - c.xMin)];
    }
    EXPECT_EQ(outside, 0);
    int missed = 0, repeated = 0;
    for (int row = 0; row < height; ++row)
      for (int column = 0; column < width; ++column) {
        const int v = visits[static_cast<size_t>(row) * width + column];
        const bool border = row == 0 || column == 0 || row == height - 1 || column == width - 1;
        missed += v == 0 && !border;
        repeated += v > 1;
      }
    EXPECT_EQ(missed, 0);
    EXPECT_EQ(repeated, 0);
  }
}

// Coarse crosses come first: the first pixel tried on a page lies on the arms of the one cross
// through the middle of it, and the page's centre comes before any pixel near its corners.
TEST(MatrixScanOrderTest, StartsWithTheCrossThroughTheMiddle) {
  vxbarcode::MatrixScanOrder order(0, 1199, 0, 899, 2);
  int x = 0, y = 0;
  ASSERT_TRUE(order.Next(x, y));
  const int xMiddle = (0 + 1199 - 2047) / 2 + 1023, yMiddle = (0 + 899 - 2047) / 2 + 1023;
  EXPECT_TRUE(y == yMiddle || x == xMiddle) << x << ", " << y;
  bool centre = false;
  for (int n = 0; n < 1200 + 900; ++n) {
    ASSERT_TRUE(order.Next(x, y));
    centre = centre || (x == xMiddle && y == yMiddle);
    EXPECT_FALSE(x < 10 && y < 10) << "a corner pixel before the middle cross is done";
  }
  EXPECT_TRUE(centre);
}

}  // namespace
