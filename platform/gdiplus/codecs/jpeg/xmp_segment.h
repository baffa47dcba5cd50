// The XMP packet in a JPEG file: an APP1 segment of its own, "http://ns.adobe.com/xap/1.0/\0"
// followed by the packet, which TIFF files keep in tag 700 and the platform as property item
// 700. Header-only, so the platform's JPEG codec and the format plug-in agree on it.
#pragma once
#include <cstdint>
#include <cstring>
#include <span>
#include <vector>

namespace vx::codecs::xmp {

constexpr uint16_t kXmpPropertyTag = 700;
constexpr char kXmpSignature[] = "http://ns.adobe.com/xap/1.0/";  // with its terminating zero

// The packet of an APP1 payload; empty when the payload is not XMP.
inline std::span<const uint8_t> XmpOfSegment(std::span<const uint8_t> payload) {
  if (payload.size() <= sizeof kXmpSignature || std::memcmp(payload.data(), kXmpSignature, sizeof kXmpSignature) != 0)
    return {};
  return payload.subspan(sizeof kXmpSignature);
}

inline std::vector<uint8_t> SegmentOfXmp(std::span<const uint8_t> packet) {
  std::vector<uint8_t> out(kXmpSignature, kXmpSignature + sizeof kXmpSignature);
  out.insert(out.end(), packet.begin(), packet.end());
  return out;
}

}  // namespace vx::codecs::xmp
