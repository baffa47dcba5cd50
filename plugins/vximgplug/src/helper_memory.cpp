#include "helper_memory.h"

#include <malloc.h>
#include <unistd.h>

#include <cstddef>
#include <cstdio>

namespace vximgplug {
namespace {

// Freed memory an idle helper may keep for the next request.
constexpr size_t kKeptFreedBytes = size_t{4} << 20;
// Blocks this large come straight from the system and go back when freed.
constexpr size_t kMappedBlockBytes = size_t{2} << 20;
// Growth of the helper's resident memory over what it held after its first request.
constexpr size_t kMostGrowthBytes = size_t{32} << 20;

size_t ResidentBytes() {
  FILE* statm = std::fopen("/proc/self/statm", "re");
  if (!statm) return 0;
  unsigned long size = 0, resident = 0;
  const bool read = std::fscanf(statm, "%lu %lu", &size, &resident) == 2;
  std::fclose(statm);
  return read ? resident * static_cast<size_t>(sysconf(_SC_PAGESIZE)) : 0;
}

}  // namespace

void KeepFreedMemoryBounded() {
  mallopt(M_MMAP_THRESHOLD, static_cast<int>(kMappedBlockBytes));
  mallopt(M_TRIM_THRESHOLD, static_cast<int>(kKeptFreedBytes));
}

bool GiveBackFreedMemory() {
  if (mallinfo2().fordblks > kKeptFreedBytes) malloc_trim(0);
  static const size_t first = ResidentBytes();
  return ResidentBytes() > first + kMostGrowthBytes;
}

}  // namespace vximgplug
