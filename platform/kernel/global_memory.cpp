#include "platform/kernel/global_memory.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>

#include "platform/kernel/handle_table.h"
#include "platform/kernel/last_error.h"

namespace vx {

namespace {

struct FreeDeleter {
  void operator()(uint8_t* p) const { std::free(p); }
};
using Bytes = std::unique_ptr<uint8_t, FreeDeleter>;

// A block keeps more room than its size so that a stream writing past its end grows in
// amortised steps; GlobalSize reports the size, never the room.
struct GlobalBlock {
  std::mutex mutex;
  bool moveable = false;
  size_t size = 0;
  size_t capacity = 0;
  uint32_t lockCount = 0;
  Bytes data;
};

constexpr uint32_t kMaxLockCount = 255;

HandleTable<GlobalBlock>& Blocks() {
  static HandleTable<GlobalBlock> table(HandleKind::GlobalMemory);
  return table;
}

Bytes AllocateZeroed(size_t capacity) {
  return Bytes(static_cast<uint8_t*>(std::calloc(std::max<size_t>(capacity, 1), 1)));
}

std::shared_ptr<GlobalBlock> FindBlock(HGLOBAL handle) {
  auto block = Blocks().Find(handle);
  if (!block) SetLastError(ERROR_INVALID_HANDLE);
  return block;
}

bool MayMove(const GlobalBlock& block, UINT flags) {
  if (block.lockCount > 0) return false;
  return block.moveable || (flags & GMEM_MOVEABLE) != 0;
}

size_t GrownCapacity(const GlobalBlock& block, size_t bytes) {
  size_t amortised = block.capacity + block.capacity / 2;
  return std::clamp(amortised, bytes, std::max(bytes, kMaxGlobalBlockBytes));
}

bool Resize(GlobalBlock& block, size_t bytes, UINT flags) {
  if (bytes <= block.capacity) {
    if (bytes > block.size) std::memset(block.data.get() + block.size, 0, bytes - block.size);
    block.size = bytes;
    return true;
  }
  if (!MayMove(block, flags)) return false;
  size_t capacity = GrownCapacity(block, bytes);
  Bytes moved = AllocateZeroed(capacity);
  if (!moved) return false;
  std::memcpy(moved.get(), block.data.get(), block.size);
  block.data = std::move(moved);
  block.capacity = capacity;
  block.size = bytes;
  return true;
}

}  // namespace

HGLOBAL GlobalAlloc(UINT flags, size_t bytes) {
  if (bytes > kMaxGlobalBlockBytes) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return 0;
  }
  auto block = std::make_shared<GlobalBlock>();
  block->data = AllocateZeroed(bytes);
  if (!block->data) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return 0;
  }
  block->moveable = (flags & GMEM_MOVEABLE) != 0;
  block->size = bytes;
  block->capacity = std::max<size_t>(bytes, 1);
  HGLOBAL handle = Blocks().Insert(std::move(block));
  if (handle == 0) SetLastError(ERROR_NOT_ENOUGH_MEMORY);
  return handle;
}

HGLOBAL GlobalReAlloc(HGLOBAL handle, size_t bytes, UINT flags) {
  auto block = FindBlock(handle);
  if (!block) return 0;
  if (bytes > kMaxGlobalBlockBytes) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return 0;
  }
  std::lock_guard lock(block->mutex);
  if (!Resize(*block, bytes, flags)) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return 0;
  }
  return handle;
}

void* GlobalLock(HGLOBAL handle) {
  auto block = FindBlock(handle);
  if (!block) return nullptr;
  std::lock_guard lock(block->mutex);
  if (block->moveable && block->lockCount < kMaxLockCount) ++block->lockCount;
  return block->data.get();
}

BOOL GlobalUnlock(HGLOBAL handle) {
  auto block = FindBlock(handle);
  if (!block) return FALSE_;
  std::lock_guard lock(block->mutex);
  if (block->lockCount == 0) {
    SetLastError(ERROR_NOT_LOCKED);
    return FALSE_;
  }
  if (--block->lockCount > 0) return TRUE_;
  SetLastError(ERROR_SUCCESS);
  return FALSE_;
}

size_t GlobalSize(HGLOBAL handle) {
  auto block = FindBlock(handle);
  if (!block) return 0;
  std::lock_guard lock(block->mutex);
  return block->size;
}

HGLOBAL GlobalFree(HGLOBAL handle) {
  if (!Blocks().Remove(handle)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return handle;
  }
  return 0;
}

UINT GlobalFlags(HGLOBAL handle) {
  auto block = FindBlock(handle);
  if (!block) return GMEM_INVALID_HANDLE;
  std::lock_guard lock(block->mutex);
  return (block->moveable ? GMEM_MOVEABLE : 0) | (block->lockCount & GMEM_LOCKCOUNT);
}

}  // namespace vx
