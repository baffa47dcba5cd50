#include "pixel_memory.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <mutex>
#include <thread>
#include <vector>

namespace vximgplug {
namespace {

// Memory kept idle is bounded: about one picture for each thread that may load at once, and
// never more than this in all.
constexpr size_t kMostSpareBytes = size_t{32} << 20;

size_t MostSpareBlocks() {
  static const size_t most = std::clamp<size_t>(2 * std::thread::hardware_concurrency(), 4, 64);
  return most;
}

size_t PageRoundedUp(size_t bytes) {
  static const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
  return (bytes + page - 1) / page * page;
}

struct Block {
  void* address;
  size_t size;
};

// Private memory in small pages, even where the kernel would give huge ones unasked: on a
// virtual machine that hands its free memory back to the host, a fresh huge page is backed again
// at its first touch, which made a one-shot load of a 5000 x 5000 picture twice as slow, while
// small pages come from memory freed lately and cost about the same either way.
void* MapBlock(size_t size) {
  void* address = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (address == MAP_FAILED) return nullptr;
  madvise(address, size, MADV_NOHUGEPAGE);  // advice only: huge pages would serve as well
  return address;
}

// Blocks let go, newest last. A block serves a picture of at least half its size, so that a
// small picture never holds a large block.
class SpareBlocks {
 public:
  Block Take(size_t size) {
    std::lock_guard lock(mutex_);
    auto best = blocks_.end();
    for (auto it = blocks_.begin(); it != blocks_.end(); ++it)
      if (it->size >= size && it->size / 2 <= size && (best == blocks_.end() || it->size < best->size)) best = it;
    if (best == blocks_.end()) return {nullptr, 0};
    const Block taken = *best;
    blocks_.erase(best);
    bytes_ -= taken.size;
    return taken;
  }

  // Keeps `given`, letting the oldest blocks go while the bounds are passed.
  void Give(Block given) {
    std::vector<Block> released;
    {
      std::lock_guard lock(mutex_);
      blocks_.push_back(given);
      bytes_ += given.size;
      while (bytes_ > kMostSpareBytes || blocks_.size() > MostSpareBlocks()) {
        released.push_back(blocks_.front());
        bytes_ -= blocks_.front().size;
        blocks_.erase(blocks_.begin());
      }
    }
    for (const Block& block : released) munmap(block.address, block.size);
  }

 private:
  std::mutex mutex_;
  std::vector<Block> blocks_;
  size_t bytes_ = 0;
};

// Never destroyed: pictures may be let go on other threads while the process exits.
SpareBlocks& Spares() {
  static auto* spares = new SpareBlocks;
  return *spares;
}

}  // namespace

std::unique_ptr<OwnedPixels> OwnedPixels::Allocate(size_t bytes) {
  const size_t size = PageRoundedUp(bytes);
  Block block = Spares().Take(size);
  if (!block.address) block = {MapBlock(size), size};
  if (!block.address) return nullptr;
  return std::unique_ptr<OwnedPixels>(new OwnedPixels(block.address, block.size));
}

OwnedPixels::~OwnedPixels() {
  if (address_) Spares().Give({address_, size_});
}

}  // namespace vximgplug
