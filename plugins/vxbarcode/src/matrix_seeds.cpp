#include "matrix_seeds.h"

#include <algorithm>

namespace vxbarcode {
namespace {

// The library's least flow worth following, and its compass kernels' largest gain.
constexpr int kLeastFlow = 10;
constexpr int kKernelGain = 4;

bool SpreadStartsFlow(int low, int high) { return kKernelGain * (high - low) >= kLeastFlow; }

}  // namespace

MatrixSeeds::MatrixSeeds(const DibPixels& pixels, const SearchBudget& budget)
    : pixels_(pixels),
      blocksWide_((pixels.width + kBlock - 1) / kBlock),
      blocksHigh_((pixels.height + kBlock - 1) / kBlock),
      spread_(static_cast<size_t>(blocksWide_) * blocksHigh_, 0) {
  MeasureBlocks(budget);
}

uint8_t MatrixSeeds::Sample(int x, int y, int plane) const {
  return pixels_.Row(pixels_.height - 1 - y)[x * pixels_.bytesPerPixel + plane];
}

// The spread of levels over each block and the one-pixel ring around it, from the lowest and
// highest level of each plane gathered row by row in stored order, so that the picture is read
// once, front to back.
void MatrixSeeds::MeasureBlocks(const SearchBudget& budget) {
  const size_t cells = spread_.size() * static_cast<size_t>(pixels_.bytesPerPixel);
  std::vector<uint8_t> low(cells, 255), high(cells, 0);
  for (int row = 0; row < pixels_.height; ++row) {
    if (budget.SpentByRow(row)) return;
    FoldRow(row, low, high);
  }
  for (size_t block = 0; block < spread_.size(); ++block)
    for (int plane = 0; plane < pixels_.bytesPerPixel; ++plane) {
      const size_t cell = block * pixels_.bytesPerPixel + plane;
      spread_[block] = std::max<uint8_t>(spread_[block], static_cast<uint8_t>(std::max(0, high[cell] - low[cell])));
    }
}

void MatrixSeeds::FoldRow(int row, std::vector<uint8_t>& low, std::vector<uint8_t>& high) const {
  const int y = pixels_.height - 1 - row;
  const int firstBlockRow = std::max(0, (y - 1) / kBlock);
  const int lastBlockRow = std::min(blocksHigh_ - 1, (y + 1) / kBlock);
  const int planes = pixels_.bytesPerPixel;
  const uint8_t* line = pixels_.Row(row);
  for (int column = 0; column < blocksWide_; ++column) {
    const int from = std::max(0, column * kBlock - 1);
    const int to = std::min(pixels_.width - 1, column * kBlock + kBlock);
    for (int plane = 0; plane < planes; ++plane) {
      uint8_t lo = 255, hi = 0;
      for (int x = from; x <= to; ++x) {
        const uint8_t level = line[x * planes + plane];
        lo = std::min(lo, level);
        hi = std::max(hi, level);
      }
      for (int blockRow = firstBlockRow; blockRow <= lastBlockRow; ++blockRow) {
        const size_t cell = (static_cast<size_t>(blockRow) * blocksWide_ + column) * planes + plane;
        low[cell] = std::min(low[cell], lo);
        high[cell] = std::max(high[cell], hi);
      }
    }
  }
}

bool MatrixSeeds::NeighboursVary(int x, int y) const {
  if (x < 1 || y < 1 || x >= pixels_.width - 1 || y >= pixels_.height - 1) return false;
  for (int plane = 0; plane < pixels_.bytesPerPixel; ++plane) {
    int lo = 255, hi = 0;
    for (int dy = -1; dy <= 1; ++dy)
      for (int dx = -1; dx <= 1; ++dx) {
        if (dx == 0 && dy == 0) continue;
        const int level = Sample(x + dx, y + dy, plane);
        lo = std::min(lo, level);
        hi = std::max(hi, level);
      }
    if (SpreadStartsFlow(lo, hi)) return true;
  }
  return false;
}

bool MatrixSeeds::MayStart(int x, int y) const {
  const uint8_t spread = spread_[static_cast<size_t>(y / kBlock) * blocksWide_ + x / kBlock];
  if (!SpreadStartsFlow(0, spread)) return false;
  return NeighboursVary(x, y);
}

}  // namespace vxbarcode
