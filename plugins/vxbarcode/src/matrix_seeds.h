// Which pixels of a picture could start a DataMatrix symbol. The library starts a region only
// where one colour plane's compass flow at the pixel reaches 10; its kernels weigh the pixel's
// eight neighbours +1 +2 +1 against -1 -2 -1, so the flow is at most four times the spread of
// the neighbours, and a pixel whose neighbours span fewer than three levels in every plane (or
// that lacks a neighbour, on the border) starts nothing and leaves no trace. On a page of text
// or white paper that is nearly every pixel, and testing it costs far less than the library's
// own attempt.
#pragma once
#include <cstdint>
#include <vector>

#include "dib_source.h"
#include "matrix_budget.h"

namespace vxbarcode {

class MatrixSeeds {
 public:
  // Blocks the budget leaves unmeasured start nothing.
  MatrixSeeds(const DibPixels& pixels, const SearchBudget& budget);

  // (x, y) in the library's coordinates, rows counted from the picture's bottom.
  bool MayStart(int x, int y) const;

  // Blocks whose pixels and their neighbours are all within the spread that starts nothing are
  // ruled out in one look; only pixels of the other blocks are tested one by one.
  static constexpr int kBlock = 16;
  int BlocksWide() const { return blocksWide_; }
  int BlocksHigh() const { return blocksHigh_; }
  int PictureHeight() const { return pixels_.height; }
  // The largest spread of levels in one plane over the block and the ring around it; block rows
  // are counted from the picture's top.
  uint8_t Spread(int column, int row) const {
    return spread_[static_cast<size_t>(blocksHigh_ - 1 - row) * blocksWide_ + column];
  }

 private:
  void MeasureBlocks(const SearchBudget& budget);
  void FoldRow(int row, std::vector<uint8_t>& low, std::vector<uint8_t>& high) const;
  bool NeighboursVary(int x, int y) const;
  uint8_t Sample(int x, int y, int plane) const;

  const DibPixels& pixels_;
  int blocksWide_;
  int blocksHigh_;
  std::vector<uint8_t> spread_;  // one a block, bottom block row first
};

}  // namespace vxbarcode
