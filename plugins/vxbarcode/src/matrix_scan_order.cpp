#include "matrix_scan_order.h"

#include <algorithm>

namespace vxbarcode {

MatrixScanOrder::MatrixScanOrder(int xMin, int xMax, int yMin, int yMax, int smallestFeature)
    : xMin_(xMin), xMax_(xMax), yMin_(yMin), yMax_(yMax) {
  // Cross extents run 1, 3, 7, 15, ...: the first one spanning the picture starts the scan, and
  // the last one no wider than the smallest feature ends it.
  const int spread = std::max(xMax - xMin, yMax - yMin);
  int extent = 1;
  for (; extent < spread; extent = (extent + 1) * 2 - 1)
    if (extent <= smallestFeature) minExtent_ = extent;
  maxExtent_ = extent;
  xOffset_ = (xMin + xMax - maxExtent_) / 2;
  yOffset_ = (yMin + yMax - maxExtent_) / 2;
  extent_ = maxExtent_;
  StartLevel();
}

void MatrixScanOrder::StartLevel() {
  jumpSize_ = extent_ + 1;
  pixelTotal_ = 2 * extent_ - 1;
  startPos_ = extent_ / 2;
  pixelCount_ = 0;
  xCenter_ = yCenter_ = startPos_;
}

bool MatrixScanOrder::Next(int& x, int& y) {
  Step step;
  do {
    step = Advance(x, y);
    ++pixelCount_;
  } while (step == Step::kOutside);
  return step == Step::kInside;
}

// One cross: its horizontal arm from left to right (the centre left out), then its vertical arm
// from bottom to top, then the centre.
MatrixScanOrder::Step MatrixScanOrder::Advance(int& x, int& y) {
  if (pixelCount_ >= pixelTotal_) {
    pixelCount_ = 0;
    xCenter_ += jumpSize_;
  }
  if (xCenter_ > maxExtent_) {
    xCenter_ = startPos_;
    yCenter_ += jumpSize_;
  }
  if (yCenter_ > maxExtent_) {
    extent_ /= 2;
    StartLevel();
  }
  if (extent_ == 0 || extent_ < minExtent_) return Step::kEnd;
  int count = pixelCount_;
  x = xCenter_;
  y = yCenter_;
  if (count != pixelTotal_ - 1) {
    const int half = pixelTotal_ / 2, quarter = half / 2;
    const bool horizontal = count < half;
    if (!horizontal) count -= half;
    const int along = count < quarter ? count - quarter : half - count;
    (horizontal ? x : y) += along;
  }
  x += xOffset_;
  y += yOffset_;
  return x < xMin_ || x > xMax_ || y < yMin_ || y > yMax_ ? Step::kOutside : Step::kInside;
}

}  // namespace vxbarcode
