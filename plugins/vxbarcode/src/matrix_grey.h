// The reader's own grey copy of the picture. ZXing reads it in parts; a symbol found is painted
// over with paper so that the next read of the same part meets the next symbol (ZXing gives one
// DataMatrix symbol a read), and dust specks are wiped from it first, which on a page of text
// otherwise join every line and symbol into one busy area and break ZXing's edges.
#pragma once
#include <cstdint>
#include <cstddef>
#include <new>
#include <vector>

#include "dib_source.h"
#include "matrix_budget.h"
#include "scanners.h"

namespace vxbarcode {

// Memory for the reader's copies of a picture: a new copy's bytes are left unset (each copy
// writes every level before it is read, and clearing a picture of a hundred megapixels first
// costs a pass over it), and a large copy is asked for in huge pages, whose first touch costs
// the system a fraction of what it costs in small ones.
void* TakeCopyMemory(size_t bytes);
void GiveBackCopyMemory(void* memory, size_t bytes) noexcept;

template <class T>
struct CopyAllocator {
  using value_type = T;
  CopyAllocator() = default;
  template <class U>
  CopyAllocator(const CopyAllocator<U>&) noexcept {}
  T* allocate(size_t n) { return static_cast<T*>(TakeCopyMemory(n * sizeof(T))); }
  void deallocate(T* at, size_t n) noexcept { GiveBackCopyMemory(at, n * sizeof(T)); }
  template <class U>
  void construct(U* at) noexcept {
    ::new (static_cast<void*>(at)) U;
  }
  template <class U>
  bool operator==(const CopyAllocator<U>&) const noexcept {
    return true;
  }
};

struct GreyPicture {
  int width = 0, height = 0;
  std::vector<uint8_t, CopyAllocator<uint8_t>> levels;  // top row first

  uint8_t* Row(int y) { return levels.data() + static_cast<size_t>(y) * width; }
  const uint8_t* Row(int y) const { return levels.data() + static_cast<size_t>(y) * width; }
  // The copy as the checked pixels of a grey bitmap, for the searches that take those.
  DibPixels View() const;
};

// The grey levels of the picture, each pixel brought within the levels of its eight neighbours:
// a lone speck (dark on paper or light in a dark module) takes its neighbours' level, while
// edges, strokes and modules of two pixels or more keep theirs. Empty once the budget is spent
// before it is done.
GreyPicture WipedGreyCopyOf(const DibPixels& pixels, const SearchBudget& budget);

// Each 2 x 2 block averaged to one pixel: grain that breaks ZXing's edges at full size averages
// out, while a symbol of two pixels a module or more keeps its modules. Empty once the budget is
// spent.
GreyPicture HalfSize(const GreyPicture& grey, const SearchBudget& budget);

// The symbol's quadrilateral, `margin` pixels wider on every side, painted white; `scale` picture
// pixels stand for one of the copy's.
void PaintOver(GreyPicture& grey, const FoundSymbol& symbol, int scale, double margin);

}  // namespace vxbarcode
