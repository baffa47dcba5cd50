// Bounds-checked reads and plain writes of little- and big-endian integers in byte buffers.
#pragma once
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace vx::gdiplus::codecs {

// True when `count` bytes starting at `offset` lie inside a buffer of `size` bytes.
constexpr bool InBounds(size_t size, uint64_t offset, uint64_t count) {
  return offset <= size && count <= size - offset;
}

inline uint16_t Get16(const uint8_t* p, bool bigEndian) {
  return bigEndian ? static_cast<uint16_t>(p[0] << 8 | p[1]) : static_cast<uint16_t>(p[1] << 8 | p[0]);
}
inline uint32_t Get32(const uint8_t* p, bool bigEndian) {
  return bigEndian ? (uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3])
                   : (uint32_t{p[3]} << 24 | uint32_t{p[2]} << 16 | uint32_t{p[1]} << 8 | p[0]);
}
inline uint16_t Get16LE(const uint8_t* p) { return Get16(p, false); }
inline uint32_t Get32LE(const uint8_t* p) { return Get32(p, false); }

inline void Put16LE(std::vector<uint8_t>& out, uint16_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}
inline void Put32LE(std::vector<uint8_t>& out, uint32_t v) {
  Put16LE(out, static_cast<uint16_t>(v));
  Put16LE(out, static_cast<uint16_t>(v >> 16));
}
inline void Set16LE(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}
inline void Set32LE(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
  p[2] = static_cast<uint8_t>(v >> 16);
  p[3] = static_cast<uint8_t>(v >> 24);
}

}  // namespace vx::gdiplus::codecs
