// The octree: one node per colour prefix, leaves at the deepest level, reduced by folding the
// most recently listed node of the deepest reducible level into a leaf whenever the leaves
// outnumber the colours asked for. The palette lists the leaves in depth-first order.
#include "engine/routines/octree_quantizer.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace vx::engine {
namespace {

constexpr int32_t kRoot = 1;
constexpr int32_t kPoolStep = 1024;
constexpr int32_t kMaxLevels = 8;

struct OctreeNode {
  bool IsLeaf = false;
  bool Marked = false;
  int64_t PixelCount = 0;
  double BlueSum = 0;
  double GreenSum = 0;
  double RedSum = 0;
  std::array<int32_t, 8> Child{};
  int32_t Next = 0;
  uint8_t PaletteIndex = 0;
};

struct PaletteColor {
  uint8_t red = 0, green = 0, blue = 0;
};

class Octree {
 public:
  void Build(int32_t stride, int32_t height, int32_t padding, const uint8_t* pixels, size_t bytes, int32_t maxColors,
             int32_t maxDepth) {
    Reset(std::clamp(maxDepth, 1, kMaxLevels));
    const int32_t width = stride > padding ? (stride - padding) / 3 : 0;
    for (int32_t y = height - 1; y >= 0; --y) {
      const size_t rowStart = static_cast<size_t>(y) * static_cast<size_t>(stride);
      if (width <= 0 || rowStart + static_cast<size_t>(width) * 3 > bytes) continue;
      const uint8_t* row = pixels + rowStart;
      for (int32_t x = width - 1; x >= 0; --x) {
        const uint8_t* p = row + static_cast<size_t>(x) * 3;
        Insert(p[2], p[1], p[0]);
        while (leafCount_ > maxColors)
          if (!Reduce()) break;
      }
    }
    palette_.assign(std::max<size_t>(leafCount_ <= 16 ? 16 : 256, static_cast<size_t>(leafCount_)), PaletteColor{});
    int32_t counter = 0;
    NumberLeaves(kRoot, counter);
    paletteCounter_ = counter - 1;
  }

  uint8_t IndexOf(uint8_t red, uint8_t green, uint8_t blue) const {
    if (nodes_.size() <= kRoot) return 0;
    int32_t node = kRoot;
    for (int32_t level = 1; level <= maxDepth_; ++level) {
      node = nodes_[static_cast<size_t>(node)].Child[ChildIndex(red, green, blue, level)];
      if (node == 0) return 0;
      if (nodes_[static_cast<size_t>(node)].IsLeaf) return nodes_[static_cast<size_t>(node)].PaletteIndex;
    }
    return 0;
  }

  int32_t PaletteCounter() const { return paletteCounter_; }

  PaletteColor Entry(int32_t index) const {
    if (index < 0 || static_cast<size_t>(index) >= palette_.size()) return {};
    return palette_[static_cast<size_t>(index)];
  }

 private:
  static int32_t ChildIndex(uint8_t red, uint8_t green, uint8_t blue, int32_t level) {
    const int32_t shift = 8 - level;
    return (((red >> shift) & 1) << 2) | (((green >> shift) & 1) << 1) | ((blue >> shift) & 1);
  }

  void Reset(int32_t maxDepth) {
    maxDepth_ = maxDepth;
    nodes_.assign(kPoolStep + 1, OctreeNode{});  // records 1..1024; index 0 means "none"
    nodeCount_ = 1;
    freeHead_ = 0;
    leafCount_ = 0;
    paletteCounter_ = 0;
    reducible_.fill(0);
  }

  OctreeNode& N(int32_t i) { return nodes_[static_cast<size_t>(i)]; }

  int32_t Allocate() {
    ++nodeCount_;
    if (freeHead_ != 0) {
      const int32_t node = freeHead_;
      freeHead_ = N(node).Next;
      N(node).Child.fill(0);
      return node;
    }
    if (static_cast<size_t>(nodeCount_) >= nodes_.size()) nodes_.resize(static_cast<size_t>(nodeCount_) + kPoolStep);
    return nodeCount_;
  }

  void Free(int32_t node) {
    N(node).Next = freeHead_;
    freeHead_ = node;
    N(node).IsLeaf = false;
    N(node).Marked = false;
    --nodeCount_;
  }

  void Insert(uint8_t red, uint8_t green, uint8_t blue) {
    int32_t node = kRoot;
    for (int32_t level = 1; level <= maxDepth_; ++level) {
      const int32_t index = ChildIndex(red, green, blue, level);
      int32_t child = N(node).Child[static_cast<size_t>(index)];
      if (child == 0) {
        child = Allocate();
        N(node).Child[static_cast<size_t>(index)] = child;
        OctreeNode& fresh = N(child);
        fresh.IsLeaf = level == maxDepth_;
        fresh.BlueSum = fresh.GreenSum = fresh.RedSum = 0;
        fresh.PixelCount = 0;
        fresh.Next = 0;
      }
      OctreeNode& c = N(child);
      if (c.IsLeaf) {
        if (c.PixelCount == 0) ++leafCount_;
        ++c.PixelCount;
        c.BlueSum += blue;
        c.GreenSum += green;
        c.RedSum += red;
        return;
      }
      if (!c.Marked) {
        c.Marked = true;
        c.Next = reducible_[static_cast<size_t>(level)];
        reducible_[static_cast<size_t>(level)] = child;
      }
      node = child;
    }
  }

  bool Reduce() {
    int32_t level = maxDepth_;
    while (level >= 1 && reducible_[static_cast<size_t>(level)] == 0) --level;
    if (level < 1) return false;
    const int32_t node = reducible_[static_cast<size_t>(level)];
    reducible_[static_cast<size_t>(level)] = N(node).Next;
    double blue = 0, green = 0, red = 0;
    int64_t count = 0;
    int32_t removed = 0;
    for (int32_t& child : N(node).Child) {
      if (child == 0) continue;
      const OctreeNode& c = N(child);
      blue += c.BlueSum;
      green += c.GreenSum;
      red += c.RedSum;
      count += c.PixelCount;
      Free(child);
      child = 0;
      ++removed;
    }
    leafCount_ += 1 - removed;
    OctreeNode& n = N(node);
    n.BlueSum = blue;
    n.GreenSum = green;
    n.RedSum = red;
    n.PixelCount = count;
    n.IsLeaf = true;
    return true;
  }

  // Depth-first, children in index order, so palette order follows the colour bits.
  void NumberLeaves(int32_t node, int32_t& counter) {
    OctreeNode& n = N(node);
    if (n.IsLeaf) {
      const double count = static_cast<double>(std::max<int64_t>(n.PixelCount, 1));
      PaletteColor& e = palette_[static_cast<size_t>(counter)];
      e.red = static_cast<uint8_t>(std::floor(n.RedSum / count));
      e.green = static_cast<uint8_t>(std::floor(n.GreenSum / count));
      e.blue = static_cast<uint8_t>(std::floor(n.BlueSum / count));
      n.PaletteIndex = static_cast<uint8_t>(counter);
      ++counter;
      return;
    }
    for (size_t i = 0; i < 8; ++i)
      if (const int32_t child = N(node).Child[i]) NumberLeaves(child, counter);
  }

  std::vector<OctreeNode> nodes_;
  int32_t nodeCount_ = 0;
  int32_t freeHead_ = 0;
  int32_t leafCount_ = 0;
  int32_t paletteCounter_ = 0;
  int32_t maxDepth_ = kMaxLevels;
  std::array<int32_t, kMaxLevels + 1> reducible_{};
  std::vector<PaletteColor> palette_;
};

Octree& ThreadOctree() {
  thread_local Octree tree;
  return tree;
}

}  // namespace

void OctreeQuantize(int32_t stride, int32_t height, int32_t padding, const uint8_t* pixels, size_t bytes,
                    int32_t maxColors, int32_t maxDepth) {
  ThreadOctree().Build(stride, height, padding, pixels, bytes, maxColors, maxDepth);
}

uint8_t OctreeGetIndex(uint8_t blue, uint8_t green, uint8_t red) { return ThreadOctree().IndexOf(red, green, blue); }

void OctreeIndexRow(const uint8_t* pixels, int32_t width, uint8_t* indices) {
  const Octree& tree = ThreadOctree();
  for (int32_t x = 0; x < width; ++x, pixels += 3) indices[x] = tree.IndexOf(pixels[2], pixels[1], pixels[0]);
}

int32_t OctreeGetLeafCount() { return ThreadOctree().PaletteCounter(); }

void OctreeGetPaletteEntry(int32_t index, uint8_t& blue, uint8_t& green, uint8_t& red) {
  const PaletteColor e = ThreadOctree().Entry(index);
  blue = e.blue;
  green = e.green;
  red = e.red;
}

}  // namespace vx::engine
