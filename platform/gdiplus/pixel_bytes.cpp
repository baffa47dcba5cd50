// Pixel memory blocks; large ones on huge pages where the kernel offers them on request.
#include "platform/gdiplus/pixel_bytes.h"

#include <sys/mman.h>

namespace vx::gdiplus {

void* AllocatePixelMemory(size_t bytes) {
  if (bytes < kHugePageBytes) return ::operator new(bytes);
  const size_t rounded = (bytes + kHugePageBytes - 1) / kHugePageBytes * kHugePageBytes;
  void* block = ::operator new(rounded, std::align_val_t{kHugePageBytes});
  // Only advice: where the kernel gives no huge pages the block works as it is.
  madvise(block, rounded, MADV_HUGEPAGE);
  return block;
}

void FreePixelMemory(void* block, size_t bytes) noexcept {
  if (bytes < kHugePageBytes)
    ::operator delete(block);
  else
    ::operator delete(block, std::align_val_t{kHugePageBytes});
}

}  // namespace vx::gdiplus
