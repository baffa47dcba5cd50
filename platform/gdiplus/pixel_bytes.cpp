// Pixel memory blocks; large ones in small pages, and the last large block given back is kept for
// the next one that fits it.
#include "platform/gdiplus/pixel_bytes.h"

#include <sys/mman.h>

#include <mutex>
#include <unordered_map>

namespace vx::gdiplus {

namespace {

size_t RoundedToLargeBlocks(size_t bytes) {
  return (bytes + kLargeBlockBytes - 1) / kLargeBlockBytes * kLargeBlockBytes;
}

constexpr std::align_val_t kPageAlignment{4096};

// Small pages even where the kernel would give huge ones unasked: on a virtual machine that hands
// its free memory back to the host, a fresh huge page is backed again at its first touch, which
// costs more than the work on the pixels; small pages come from memory freed lately.
void* NewLargeBlock(size_t rounded) {
  void* block = ::operator new(rounded, kPageAlignment);
  madvise(block, rounded, MADV_NOHUGEPAGE);  // advice only: huge pages would serve as well
  return block;
}

void DeleteLargeBlock(void* block) noexcept { ::operator delete(block, kPageAlignment); }

// A pipeline frees one picture as it sizes the next (a crop, a resize, a filter's working copy),
// and the kernel clears every fresh page before its first touch, which on virtual machines costs
// more than the work on the pixels. So the last large block given back is kept for the next large
// request of at least half its size; one block only, and a request it cannot serve releases it
// first, so memory held idle never exceeds one picture and never adds to a larger one's peak.
class SpareBlock {
 public:
  void* Take(size_t rounded) {
    void* stale = nullptr;
    {
      std::lock_guard<std::mutex> hold(mutex_);
      if (block_ && size_ >= rounded && size_ / 2 <= rounded) {
        void* block = block_;
        if (size_ != rounded) lentLarger_[block] = size_;
        block_ = nullptr;
        return block;
      }
      stale = block_;
      block_ = nullptr;
    }
    if (stale) DeleteLargeBlock(stale);
    return nullptr;
  }

  // Keeps `block` in place of the spare, or with `keep` false releases it.
  void Give(void* block, size_t rounded, bool keep) noexcept {
    void* stale = block;
    {
      std::lock_guard<std::mutex> hold(mutex_);
      if (auto it = lentLarger_.find(block); it != lentLarger_.end()) {
        rounded = it->second;
        lentLarger_.erase(it);
      }
      if (keep) {
        stale = block_;
        block_ = block;
        size_ = rounded;
      }
    }
    if (stale) DeleteLargeBlock(stale);
  }

 private:
  std::mutex mutex_;
  void* block_ = nullptr;
  size_t size_ = 0;
  // Blocks handed out for a smaller request than they hold, with the size they really have.
  std::unordered_map<void*, size_t> lentLarger_;
};

SpareBlock& Spare() {
  // Never destroyed: blocks may be given back while static objects are being torn down.
  static auto* spare = new SpareBlock;
  return *spare;
}

}  // namespace

void* AllocatePixelMemory(size_t bytes) {
  if (bytes < kLargeBlockBytes) return ::operator new(bytes);
  const size_t rounded = RoundedToLargeBlocks(bytes);
  if (void* block = Spare().Take(rounded)) return block;
  return NewLargeBlock(rounded);
}

void FreePixelMemory(void* block, size_t bytes, bool keep) noexcept {
  if (bytes < kLargeBlockBytes) {
    ::operator delete(block);
    return;
  }
  Spare().Give(block, RoundedToLargeBlocks(bytes), keep);
}

}  // namespace vx::gdiplus
