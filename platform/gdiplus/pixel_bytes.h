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

// Blocks of at least this size are large: rounded up to a multiple of it, in small pages, and
// kept for reuse when freed (FreePixelMemory).
inline constexpr size_t kLargeBlockBytes = size_t{2} << 20;
void* AllocatePixelMemory(size_t bytes);
// A large block given back with `keep` may serve the next large request. Pictures keep theirs: a
// picture is freed as the next is made, beside it. A working copy freed before other work would
// only sit idle on top of that work's memory.
void FreePixelMemory(void* block, size_t bytes, bool keep = true) noexcept;

template <class T, bool KeepFreedBlock = true>
struct UnclearedAllocator : std::allocator<T> {
  template <class U>
  struct rebind {
    using other = UnclearedAllocator<U, KeepFreedBlock>;
  };
  UnclearedAllocator() = default;
  template <class U>
  UnclearedAllocator(const UnclearedAllocator<U, KeepFreedBlock>&) noexcept {}
  T* allocate(size_t n) { return static_cast<T*>(AllocatePixelMemory(n * sizeof(T))); }
  void deallocate(T* p, size_t n) noexcept { FreePixelMemory(p, n * sizeof(T), KeepFreedBlock); }
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
// Working copies whose blocks go back to the system when freed.
template <class T>
using WorkingBuffer = std::vector<T, UnclearedAllocator<T, false>>;

// Sizes `bytes` for `rows` rows of `stride` bytes whose first `filledBytes` each are written by
// the caller before anything reads them. The rest of each row (and a last byte the writer may
// fill only in part) is cleared, so that padding written to files is always the same.
void SizeForRows(PixelBytes& bytes, size_t filledBytes, size_t stride, size_t rows);

}  // namespace vx::gdiplus
