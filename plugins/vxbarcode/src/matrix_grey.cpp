#include "matrix_grey.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>

#include <sys/mman.h>

#include "matrix_geometry.h"

namespace vxbarcode {
namespace {

// A pixel is taken for a speck only where it lies this far beyond all its neighbours: grain and
// the steps of a compressed photo stay as they are.
constexpr int kLeastSpeckDepth = 32;
constexpr uint8_t kPaper = 255;
constexpr size_t kHugePage = size_t{2} << 20;

// Row y of the copy from the rows as they were before wiping: `above`, `here` and `below`.
void WipeRow(const uint8_t* above, const uint8_t* here, const uint8_t* below, int width, uint8_t* target) {
  for (int x = 1; x + 1 < width; ++x) {
    // A speck stands out from both the pixel before it and the one after it: most pixels need no
    // more look.
    if (std::abs(here[x] - here[x - 1]) < kLeastSpeckDepth || std::abs(here[x] - here[x + 1]) < kLeastSpeckDepth)
      continue;
    const uint8_t ring[8] = {above[x - 1], above[x], above[x + 1], here[x - 1],
                             here[x + 1],  below[x - 1], below[x], below[x + 1]};
    const auto [low, high] = std::minmax_element(ring, ring + 8);
    if (here[x] + kLeastSpeckDepth <= *low) target[x] = *low;
    else if (here[x] >= *high + kLeastSpeckDepth) target[x] = *high;
  }
}

}  // namespace

size_t HugePagesFor(size_t bytes) { return (bytes + kHugePage - 1) / kHugePage * kHugePage; }

// A large copy is mapped on its own, on a huge-page boundary: the slack before and after that
// boundary is handed back at once.
void* TakeCopyMemory(size_t bytes) {
  if (bytes < kHugePage) {
    if (void* memory = std::malloc(std::max<size_t>(bytes, 1))) return memory;
    throw std::bad_alloc();
  }
  const size_t length = HugePagesFor(bytes);
  void* mapped = mmap(nullptr, length + kHugePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (mapped == MAP_FAILED) throw std::bad_alloc();
  auto* start = static_cast<uint8_t*>(mapped);
  auto* aligned = reinterpret_cast<uint8_t*>(HugePagesFor(reinterpret_cast<uintptr_t>(start)));
  if (aligned > start) munmap(start, static_cast<size_t>(aligned - start));
  if (const size_t tail = static_cast<size_t>(start + length + kHugePage - (aligned + length)); tail > 0)
    munmap(aligned + length, tail);
  // Only a hint: where the system gives no huge pages the copy works all the same.
  madvise(aligned, length, MADV_HUGEPAGE);
  return aligned;
}

void GiveBackCopyMemory(void* memory, size_t bytes) noexcept {
  if (bytes < kHugePage) {
    std::free(memory);
    return;
  }
  munmap(memory, HugePagesFor(bytes));
}

DibPixels GreyPicture::View() const {
  DibPixels view;
  view.width = width;
  view.height = height;
  view.bytesPerPixel = 1;
  view.topRow = levels.data();
  view.rowStep = width;
  return view;
}

namespace {

GreyPicture GreyCopyOf(const DibPixels& pixels, const SearchBudget& budget) {
  GreyPicture grey{pixels.width, pixels.height, {}};
  grey.levels.resize(static_cast<size_t>(grey.width) * grey.height);
  for (int y = 0; y < grey.height; ++y) {
    if (budget.SpentByRow(y)) return {};
    const uint8_t* line = pixels.Row(y);
    uint8_t* target = grey.Row(y);
    for (int x = 0; x < grey.width; ++x) target[x] = Luminance(line + 3 * x);
  }
  return grey;
}

void WipeSpecks(GreyPicture& grey, const SearchBudget& budget) {
  if (grey.width < 3 || grey.height < 3) return;
  const size_t width = static_cast<size_t>(grey.width);
  std::vector<uint8_t> above(grey.Row(0), grey.Row(0) + width), here(grey.Row(1), grey.Row(1) + width);
  for (int y = 1; y + 1 < grey.height; ++y) {
    if (budget.SpentByRow(y)) return;
    WipeRow(above.data(), here.data(), grey.Row(y + 1), grey.width, grey.Row(y));
    above.swap(here);
    std::memcpy(here.data(), grey.Row(y + 1), width);
  }
}

// Grey rows are wiped as they are copied, from the rows as they lie: one pass over the picture.
GreyPicture WipedCopyOfGrey(const DibPixels& pixels, const SearchBudget& budget) {
  GreyPicture grey{pixels.width, pixels.height, {}};
  grey.levels.resize(static_cast<size_t>(grey.width) * grey.height);
  const bool wipe = grey.width >= 3 && grey.height >= 3;
  for (int y = 0; y < grey.height; ++y) {
    if (budget.SpentByRow(y)) return {};
    std::memcpy(grey.Row(y), pixels.Row(y), static_cast<size_t>(grey.width));
    if (wipe && y > 0 && y + 1 < grey.height)
      WipeRow(pixels.Row(y - 1), pixels.Row(y), pixels.Row(y + 1), grey.width, grey.Row(y));
  }
  return grey;
}

}  // namespace

GreyPicture WipedGreyCopyOf(const DibPixels& pixels, const SearchBudget& budget) {
  if (pixels.bytesPerPixel == 1) return WipedCopyOfGrey(pixels, budget);
  GreyPicture grey = GreyCopyOf(pixels, budget);
  if (!grey.levels.empty()) WipeSpecks(grey, budget);
  return grey;
}

GreyPicture HalfSize(const GreyPicture& grey, const SearchBudget& budget) {
  GreyPicture half{grey.width / 2, grey.height / 2, {}};
  half.levels.resize(static_cast<size_t>(half.width) * half.height);
  for (int y = 0; y < half.height; ++y) {
    if (budget.SpentByRow(y)) return {};
    const uint8_t* upper = grey.Row(2 * y);
    const uint8_t* lower = grey.Row(2 * y + 1);
    uint8_t* target = half.Row(y);
    for (int x = 0; x < half.width; ++x)
      target[x] = static_cast<uint8_t>((upper[2 * x] + upper[2 * x + 1] + lower[2 * x] + lower[2 * x + 1] + 2) / 4);
  }
  return half;
}

void PaintOver(GreyPicture& grey, const FoundSymbol& symbol, int scale, double margin) {
  int left = grey.width, top = grey.height, right = -1, bottom = -1;
  const int reach = static_cast<int>(std::ceil(margin));
  for (int k = 0; k < 4; ++k) {
    left = std::min(left, (symbol.corners[2 * k] - reach) / scale);
    right = std::max(right, (symbol.corners[2 * k] + reach) / scale);
    top = std::min(top, (symbol.corners[2 * k + 1] - reach) / scale);
    bottom = std::max(bottom, (symbol.corners[2 * k + 1] + reach) / scale);
  }
  left = std::max(left, 0);
  top = std::max(top, 0);
  right = std::min(right, grey.width - 1);
  bottom = std::min(bottom, grey.height - 1);
  const double centre = (scale - 1) / 2.0;
  for (int y = top; y <= bottom; ++y) {
    uint8_t* row = grey.Row(y);
    for (int x = left; x <= right; ++x)
      if (Covers(symbol, x * scale + centre, y * scale + centre, margin)) row[x] = kPaper;
  }
}

}  // namespace vxbarcode
