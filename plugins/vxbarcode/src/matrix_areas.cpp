#include "matrix_areas.h"

#include <algorithm>

namespace vxbarcode {
namespace {

// A group wider and higher than this share of the picture stands for the whole picture.
constexpr double kMostOfThePicture = 0.8;

struct BlockBox {
  int left, top, right, bottom;  // blocks, inclusive
};

// The group of marked blocks that touch (x, y), side or corner, cleared from `marked` as it is
// walked.
BlockBox TakeGroup(std::vector<uint8_t>& marked, int blocksWide, int blocksHigh, int x, int y,
                   std::vector<int>& pending) {
  BlockBox box{x, y, x, y};
  pending.assign(1, y * blocksWide + x);
  marked[static_cast<size_t>(pending.back())] = 0;
  while (!pending.empty()) {
    const int at = pending.back();
    pending.pop_back();
    const int bx = at % blocksWide, by = at / blocksWide;
    box = {std::min(box.left, bx), std::min(box.top, by), std::max(box.right, bx), std::max(box.bottom, by)};
    for (int ny = std::max(0, by - 1); ny <= std::min(blocksHigh - 1, by + 1); ++ny)
      for (int nx = std::max(0, bx - 1); nx <= std::min(blocksWide - 1, bx + 1); ++nx) {
        const size_t index = static_cast<size_t>(ny) * blocksWide + nx;
        if (!marked[index]) continue;
        marked[index] = 0;
        pending.push_back(static_cast<int>(index));
      }
  }
  return box;
}

}  // namespace

std::vector<PixelArea> MarkedAreas(const MatrixSeeds& seeds, int width, int height, int leastContrast, int leastSide) {
  const int wide = seeds.BlocksWide(), high = seeds.BlocksHigh(), block = MatrixSeeds::kBlock;
  std::vector<uint8_t> marked(static_cast<size_t>(wide) * high);
  for (int y = 0; y < high; ++y)
    for (int x = 0; x < wide; ++x) marked[static_cast<size_t>(y) * wide + x] = seeds.Spread(x, y) >= leastContrast;
  // Blocks are laid from the picture's bottom row up: the top block row may stick out above it.
  const int rowOffset = height - high * block;
  std::vector<PixelArea> areas;
  std::vector<int> pending;
  for (int y = 0; y < high; ++y)
    for (int x = 0; x < wide; ++x) {
      if (!marked[static_cast<size_t>(y) * wide + x]) continue;
      const BlockBox box = TakeGroup(marked, wide, high, x, y, pending);
      const int left = std::max(0, (box.left - 1) * block);
      const int top = std::max(0, rowOffset + (box.top - 1) * block);
      const int right = std::min(width, (box.right + 2) * block);
      const int bottom = std::min(height, rowOffset + (box.bottom + 2) * block);
      PixelArea area{left, top, right - left, bottom - top};
      if (std::min(area.width, area.height) < leastSide) continue;
      if (area.width > kMostOfThePicture * width && area.height > kMostOfThePicture * height)
        area = PixelArea{0, 0, width, height};
      areas.push_back(area);
    }
  return areas;
}

bool HoldsMarks(const MatrixSeeds& seeds, const PixelArea& area, int leastContrast) {
  const int block = MatrixSeeds::kBlock, high = seeds.BlocksHigh();
  // Block rows are laid from the picture's bottom row up, as in MarkedAreas.
  const int rowOffset = seeds.PictureHeight() - high * block;
  const int firstRow = std::max(0, (area.top - rowOffset) / block);
  const int lastRow = std::min(high - 1, (area.top + area.height - 1 - rowOffset) / block);
  const int firstColumn = std::max(0, area.left / block);
  const int lastColumn = std::min(seeds.BlocksWide() - 1, (area.left + area.width - 1) / block);
  for (int y = firstRow; y <= lastRow; ++y)
    for (int x = firstColumn; x <= lastColumn; ++x)
      if (seeds.Spread(x, y) >= leastContrast) return true;
  return false;
}

}  // namespace vxbarcode
