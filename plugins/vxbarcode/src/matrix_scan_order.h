// The order in which the DataMatrix library tries pixels as the seeds of a symbol when it scans a
// whole picture: crosses of shrinking size, coarse ones first, until every pixel of the picture
// has had its turn once. Replaying that order outside the library lets the reader skip the
// pixels that cannot start a symbol and still meet every symbol from the same seed, in the same
// order, as the library's own scan.
#pragma once

namespace vxbarcode {

class MatrixScanOrder {
 public:
  // The pixels of [xMin, xMax] x [yMin, yMax] in the library's own coordinates (rows counted from
  // the bottom); `smallestFeature` is its scan gap over its scale. Needs a longer side of at least
  // three pixels, as the library does.
  MatrixScanOrder(int xMin, int xMax, int yMin, int yMax, int smallestFeature);

  // The next pixel to try; false once every pixel has been handed out.
  bool Next(int& x, int& y);

 private:
  enum class Step { kInside, kOutside, kEnd };
  Step Advance(int& x, int& y);
  void StartLevel();

  int xMin_, xMax_, yMin_, yMax_;
  int minExtent_ = 0;
  int maxExtent_ = 1;
  int xOffset_ = 0, yOffset_ = 0;
  int extent_ = 0;
  int jumpSize_ = 0, pixelTotal_ = 0, startPos_ = 0, pixelCount_ = 0;
  int xCenter_ = 0, yCenter_ = 0;
};

}  // namespace vxbarcode
