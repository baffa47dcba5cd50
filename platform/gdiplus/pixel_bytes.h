// Pixel memory that is not cleared when it is sized. Clearing a picture's memory before every
// row is written anyway costs as much as writing it (and faults every page in twice), so new
// frames and lock buffers whose rows are all filled at once are sized without it.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <utility>
#include <vector>

namespace vx::gdiplus {

template <class T>
struct UnclearedAllocator : std::allocator<T> {
  template <class U>
  struct rebind {
    using other = UnclearedAllocator<U>;
  };
  UnclearedAllocator() = default;
  template <class U>
  UnclearedAllocator(const UnclearedAllocator<U>&) noexcept {}
  // Growth without a value leaves the bytes as they come; copies and values are kept.
  template <class U, class... Args>
  void construct(U* p, Args&&... args) {
    if constexpr (sizeof...(Args) == 0)
      ::new (static_cast<void*>(p)) U;
    else
      ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
  }
};

using PixelBytes = std::vector<uint8_t, UnclearedAllocator<uint8_t>>;

// Sizes `bytes` for `rows` rows of `stride` bytes whose first `filledBytes` each are written by
// the caller before anything reads them. The rest of each row (and a last byte the writer may
// fill only in part) is cleared, so that padding written to files is always the same.
void SizeForRows(PixelBytes& bytes, size_t filledBytes, size_t stride, size_t rows);

}  // namespace vx::gdiplus
