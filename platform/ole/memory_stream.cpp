// A read-only stream over bytes the caller keeps alive for the stream's life.
#include <algorithm>
#include <cstring>

#include "platform/ole/com_object.h"
#include "platform/ole/ole.h"
#include "platform/ole/stream_position.h"

namespace vx::ole {

namespace {

class MemoryStream final : public RefCounted<IStream> {
 public:
  MemoryStream(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  HRESULT Read(void* buffer, ULONG bytes, ULONG* bytesRead) override {
    if (bytesRead) *bytesRead = 0;
    if (buffer == nullptr && bytes > 0) return STG_E_INVALIDPOINTER;
    const ULONG count = position_ >= size_ ? 0 : static_cast<ULONG>(std::min<uint64_t>(bytes, size_ - position_));
    if (count > 0) std::memcpy(buffer, data_ + position_, count);
    position_ += count;
    if (bytesRead) *bytesRead = count;
    return S_OK;
  }

  HRESULT Write(const void*, ULONG, ULONG* bytesWritten) override {
    if (bytesWritten) *bytesWritten = 0;
    return STG_E_ACCESSDENIED;
  }

  HRESULT Seek(int64_t move, DWORD origin, uint64_t* newPosition) override {
    uint64_t target = 0;
    HRESULT hr = SeekTarget(position_, size_, move, origin, target);
    if (FAILED(hr)) return hr;
    position_ = target;
    if (newPosition) *newPosition = position_;
    return S_OK;
  }

  HRESULT SetSize(uint64_t) override { return STG_E_ACCESSDENIED; }

  HRESULT Stat(STATSTG* stat, DWORD) override {
    if (stat == nullptr) return STG_E_INVALIDPOINTER;
    stat->cbSize = size_;
    return S_OK;
  }

  HRESULT Commit(DWORD) override { return S_OK; }

 private:
  const uint8_t* const data_;
  const size_t size_;
  uint64_t position_ = 0;
};

}  // namespace

HRESULT CreateStreamOnMemory(const void* data, size_t size, IStream** stream) {
  if (stream == nullptr || (data == nullptr && size > 0)) return E_INVALIDARG;
  *stream = new MemoryStream(static_cast<const uint8_t*>(data), size);
  return S_OK;
}

}  // namespace vx::ole
