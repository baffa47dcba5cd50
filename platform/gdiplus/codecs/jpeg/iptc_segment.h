// The IPTC record in a JPEG file: an APP13 segment "Photoshop 3.0\0" holding image resources
// ("8BIM", a 16-bit ID, a padded Pascal name, a 32-bit size, the padded data), of which the
// resource 0x0404 is the IPTC record as TIFF files keep it in tag 33723. Header-only and free of
// library types, so the platform's JPEG codec and the format plug-in read it the same way.
#pragma once
#include <cstdint>
#include <cstring>
#include <span>
#include <vector>

namespace vx::codecs::iptc {

constexpr uint16_t kIptcPropertyTag = 33723;
constexpr uint8_t kPhotoshopSignature[] = {'P', 'h', 'o', 't', 'o', 's', 'h', 'o', 'p', ' ', '3', '.', '0', 0};
constexpr uint16_t kIptcResource = 0x0404;

inline uint32_t BigEndian(const uint8_t* p, size_t bytes) {
  uint32_t v = 0;
  for (size_t i = 0; i < bytes; ++i) v = v << 8 | p[i];
  return v;
}

// The IPTC record of an APP13 payload; empty when it holds none. Every length is checked
// against what the segment holds before it is followed.
inline std::span<const uint8_t> IptcOfPhotoshopSegment(std::span<const uint8_t> payload) {
  constexpr size_t kSignature = sizeof kPhotoshopSignature;
  if (payload.size() < kSignature || std::memcmp(payload.data(), kPhotoshopSignature, kSignature) != 0) return {};
  size_t at = kSignature;
  while (payload.size() - at >= 12 && std::memcmp(payload.data() + at, "8BIM", 4) == 0) {
    const uint32_t id = BigEndian(payload.data() + at + 4, 2);
    const size_t nameBytes = (size_t{payload[at + 6]} + 2) & ~size_t{1};  // length byte and name, padded to even
    if (payload.size() - at - 6 < nameBytes + 4) return {};
    const size_t sizeAt = at + 6 + nameBytes;
    const uint32_t size = BigEndian(payload.data() + sizeAt, 4);
    const size_t dataAt = sizeAt + 4;
    if (size > payload.size() - dataAt) return {};
    if (id == kIptcResource) return payload.subspan(dataAt, size);
    at = dataAt + ((size_t{size} + 1) & ~size_t{1});
    if (at > payload.size()) return {};
  }
  return {};
}

// An APP13 payload holding the record as resource 0x0404 with an empty name.
inline std::vector<uint8_t> PhotoshopSegmentOfIptc(std::span<const uint8_t> record) {
  std::vector<uint8_t> out(std::begin(kPhotoshopSignature), std::end(kPhotoshopSignature));
  const uint8_t header[] = {'8', 'B', 'I', 'M', 0x04, 0x04, 0, 0};
  out.insert(out.end(), std::begin(header), std::end(header));
  const auto size = static_cast<uint32_t>(record.size());
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(size >> shift));
  out.insert(out.end(), record.begin(), record.end());
  if (record.size() & 1) out.push_back(0);
  return out;
}

}  // namespace vx::codecs::iptc
