// Channel arithmetic shared by the pixel conversions: 8/16-bit scaling, premultiplication,
// 5- and 6-bit expansion, and little-endian loads and stores of unaligned pixel memory.
#pragma once
#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>

namespace vx::gdiplus::channels {

static_assert(std::endian::native == std::endian::little, "pixel memory is laid out little-endian");

inline uint16_t Load16(const uint8_t* p) { uint16_t v; std::memcpy(&v, p, 2); return v; }
inline uint32_t Load32(const uint8_t* p) { uint32_t v; std::memcpy(&v, p, 4); return v; }
inline uint64_t Load64(const uint8_t* p) { uint64_t v; std::memcpy(&v, p, 8); return v; }
inline void Store16(uint8_t* p, uint16_t v) { std::memcpy(p, &v, 2); }
inline void Store32(uint8_t* p, uint32_t v) { std::memcpy(p, &v, 4); }
inline void Store64(uint8_t* p, uint64_t v) { std::memcpy(p, &v, 8); }

// 8 <-> 16 bits per channel: v * 257 and (v + 128) / 257, so 8-bit values survive the round trip.
constexpr uint32_t Widen(uint32_t v8) { return v8 * 257; }
constexpr uint32_t Narrow(uint32_t v16) { return (v16 + 128) / 257; }

// Bit replication, so that full-scale 5- and 6-bit values become 255.
constexpr uint32_t Expand5(uint32_t v) { return (v << 3) | (v >> 2); }
constexpr uint32_t Expand6(uint32_t v) { return (v << 2) | (v >> 4); }

// Premultiplication rounded to nearest; unpremultiplication rounded to nearest and clamped,
// with a fully transparent pixel becoming 0 in every channel.
constexpr uint32_t Premultiply8(uint32_t c, uint32_t a) { return (c * a + 127) / 255; }
constexpr uint32_t Unpremultiply8(uint32_t p, uint32_t a) {
  return a == 0 ? 0 : std::min<uint32_t>(255, (p * 255 + a / 2) / a);
}
constexpr uint32_t Premultiply16(uint64_t c, uint64_t a) { return static_cast<uint32_t>((c * a + 32767) / 65535); }
constexpr uint32_t Unpremultiply16(uint64_t p, uint64_t a) {
  return a == 0 ? 0 : static_cast<uint32_t>(std::min<uint64_t>(65535, (p * 65535 + a / 2) / a));
}

// Pixels in the conversion intermediates: 0xAARRGGBB, and 16-bit channels A:R:G:B from the top.
constexpr uint32_t Argb(uint32_t a, uint32_t r, uint32_t g, uint32_t b) { return a << 24 | r << 16 | g << 8 | b; }
constexpr uint64_t Argb64(uint64_t a, uint64_t r, uint64_t g, uint64_t b) { return a << 48 | r << 32 | g << 16 | b; }
constexpr uint32_t A8(uint32_t c) { return c >> 24; }
constexpr uint32_t R8(uint32_t c) { return (c >> 16) & 0xff; }
constexpr uint32_t G8(uint32_t c) { return (c >> 8) & 0xff; }
constexpr uint32_t B8(uint32_t c) { return c & 0xff; }
constexpr uint32_t A16(uint64_t c) { return static_cast<uint32_t>(c >> 48); }
constexpr uint32_t R16(uint64_t c) { return static_cast<uint32_t>((c >> 32) & 0xffff); }
constexpr uint32_t G16(uint64_t c) { return static_cast<uint32_t>((c >> 16) & 0xffff); }
constexpr uint32_t B16(uint64_t c) { return static_cast<uint32_t>(c & 0xffff); }

uint32_t PremultiplyArgb(uint32_t c);
uint32_t UnpremultiplyArgb(uint32_t c);

}  // namespace vx::gdiplus::channels
