// The stream over a global memory block: the block is the stream's storage and its size is the
// stream's size, so a caller that takes the block back (GetHGlobalFromStream) finds exactly the
// bytes written.
#include <algorithm>
#include <cstring>

#include "platform/kernel/global_memory.h"
#include "platform/ole/com_object.h"
#include "platform/ole/ole.h"
#include "platform/ole/stream_position.h"

namespace vx::ole {

namespace {

// Locks a block for the duration of one copy.
class BlockLock {
 public:
  explicit BlockLock(HGLOBAL block) : block_(block), data_(static_cast<uint8_t*>(GlobalLock(block))) {}
  ~BlockLock() {
    if (data_) GlobalUnlock(block_);
  }
  BlockLock(const BlockLock&) = delete;
  BlockLock& operator=(const BlockLock&) = delete;
  uint8_t* data() const { return data_; }

 private:
  HGLOBAL block_;
  uint8_t* data_;
};

class HGlobalStream final : public RefCounted<IStream> {
 public:
  HGlobalStream(HGLOBAL block, bool deleteOnRelease) : block_(block), deleteOnRelease_(deleteOnRelease) {}

  HGLOBAL block() const { return block_; }

  HRESULT Read(void* buffer, ULONG bytes, ULONG* bytesRead) override {
    if (bytesRead) *bytesRead = 0;
    if (buffer == nullptr && bytes > 0) return STG_E_INVALIDPOINTER;
    BlockLock lock(block_);
    if (!lock.data()) return E_FAIL;
    const uint64_t size = GlobalSize(block_);
    const ULONG count = position_ >= size ? 0 : static_cast<ULONG>(std::min<uint64_t>(bytes, size - position_));
    if (count > 0) std::memcpy(buffer, lock.data() + position_, count);
    position_ += count;
    if (bytesRead) *bytesRead = count;
    return S_OK;
  }

  HRESULT Write(const void* buffer, ULONG bytes, ULONG* bytesWritten) override {
    if (bytesWritten) *bytesWritten = 0;
    if (buffer == nullptr && bytes > 0) return STG_E_INVALIDPOINTER;
    if (bytes == 0) return S_OK;
    if (bytes > kMaxGlobalBlockBytes || position_ > kMaxGlobalBlockBytes - bytes) return STG_E_MEDIUMFULL;
    const uint64_t end = position_ + bytes;
    if (end > GlobalSize(block_) && GlobalReAlloc(block_, end, GMEM_MOVEABLE) == 0) return STG_E_MEDIUMFULL;
    BlockLock lock(block_);
    if (!lock.data() || GlobalSize(block_) < end) return STG_E_WRITEFAULT;  // freed or cut meanwhile
    std::memcpy(lock.data() + position_, buffer, bytes);
    position_ = end;
    if (bytesWritten) *bytesWritten = bytes;
    return S_OK;
  }

  HRESULT Seek(int64_t move, DWORD origin, uint64_t* newPosition) override {
    uint64_t target = 0;
    HRESULT hr = SeekTarget(position_, GlobalSize(block_), move, origin, target);
    if (FAILED(hr)) return hr;
    position_ = target;
    if (newPosition) *newPosition = position_;
    return S_OK;
  }

  HRESULT SetSize(uint64_t newSize) override {
    if (newSize > kMaxGlobalBlockBytes) return STG_E_MEDIUMFULL;
    return GlobalReAlloc(block_, static_cast<size_t>(newSize), GMEM_MOVEABLE) ? S_OK : STG_E_MEDIUMFULL;
  }

  HRESULT Stat(STATSTG* stat, DWORD) override {
    if (stat == nullptr) return STG_E_INVALIDPOINTER;
    stat->cbSize = GlobalSize(block_);
    return S_OK;
  }

  HRESULT Commit(DWORD) override { return S_OK; }

 private:
  ~HGlobalStream() override {
    if (deleteOnRelease_) GlobalFree(block_);
  }

  const HGLOBAL block_;
  const bool deleteOnRelease_;
  uint64_t position_ = 0;
};

}  // namespace

HRESULT CreateStreamOnHGlobal(HGLOBAL block, BOOL deleteOnRelease, IStream** stream) {
  if (stream == nullptr) return E_INVALIDARG;
  *stream = nullptr;
  if (block == 0) {
    block = GlobalAlloc(GMEM_MOVEABLE, 0);
    if (block == 0) return E_OUTOFMEMORY;
  } else if (GlobalFlags(block) == GMEM_INVALID_HANDLE) {
    return E_INVALIDARG;
  }
  *stream = new HGlobalStream(block, deleteOnRelease != FALSE_);
  return S_OK;
}

HRESULT GetHGlobalFromStream(IStream* stream, HGLOBAL* block) {
  if (block == nullptr) return E_INVALIDARG;
  *block = 0;
  auto* own = dynamic_cast<HGlobalStream*>(stream);
  if (own == nullptr) return E_INVALIDARG;
  *block = own->block();
  return S_OK;
}

}  // namespace vx::ole
