// Bytes in memory as the offset reader the structure screens take (the TIFF directory census, the
// PNG data census), which in the format plug-in read a file instead.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

namespace vx::gdiplus::codecs {

// `read(offset, out, bytes)` copies the bytes at `offset`; false when they lie past the end.
inline auto MemoryRead(std::span<const uint8_t> data) {
  return [data](uint64_t offset, void* out, size_t bytes) {
    if (offset > data.size() || bytes > data.size() - offset) return false;
    std::memcpy(out, data.data() + offset, bytes);
    return true;
  };
}

}  // namespace vx::gdiplus::codecs
