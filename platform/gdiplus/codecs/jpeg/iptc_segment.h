// The IPTC record in a JPEG file: an APP13 segment "Photoshop 3.0\0" holding image resources
// ("8BIM", a 16-bit ID, a padded Pascal name, a 32-bit size, the padded data), of which the
// resource 0x0404 is the IPTC record as TIFF files keep it in tag 33723. The resources all
// together are what TIFF files keep in tag 34377, and so the property item 34377 of a JPEG.
// Header-only and free of library types, so the platform's JPEG codec and the format plug-in read
// and write it the same way.
#pragma once
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <span>
#include <vector>

namespace vx::codecs::iptc {

constexpr uint16_t kIptcPropertyTag = 33723;
constexpr uint8_t kPhotoshopSignature[] = {'P', 'h', 'o', 't', 'o', 's', 'h', 'o', 'p', ' ', '3', '.', '0', 0};
constexpr uint16_t kIptcResource = 0x0404;
constexpr uint16_t kPhotoshopResourcesTag = 34377;

inline uint32_t BigEndian(const uint8_t* p, size_t bytes) {
  uint32_t v = 0;
  for (size_t i = 0; i < bytes; ++i) v = v << 8 | p[i];
  return v;
}

// One image resource: its ID, where it starts and where its data lies in the bytes walked.
struct Resource {
  uint32_t id = 0;
  size_t start = 0, dataAt = 0, dataBytes = 0, end = 0;
};

// Calls `visit` for each whole resource of `resources` in order; false when one is cut short
// (every length is checked against what the bytes hold before it is followed).
template <class Visit>
bool WalkResources(std::span<const uint8_t> resources, Visit visit) {
  size_t at = 0;
  while (resources.size() - at >= 12 && std::memcmp(resources.data() + at, "8BIM", 4) == 0) {
    const size_t nameBytes = (size_t{resources[at + 6]} + 2) & ~size_t{1};  // length byte and name, padded to even
    if (resources.size() - at - 6 < nameBytes + 4) return false;
    const size_t sizeAt = at + 6 + nameBytes;
    const uint32_t size = BigEndian(resources.data() + sizeAt, 4);
    const size_t dataAt = sizeAt + 4;
    if (size > resources.size() - dataAt) return false;
    const size_t end = std::min(resources.size(), dataAt + ((size_t{size} + 1) & ~size_t{1}));
    visit(Resource{BigEndian(resources.data() + at + 4, 2), at, dataAt, size, end});
    at = end;
  }
  return true;
}

// The image resources of an APP13 payload; empty when it is no Photoshop segment.
inline std::span<const uint8_t> ResourcesOfPhotoshopSegment(std::span<const uint8_t> payload) {
  constexpr size_t kSignature = sizeof kPhotoshopSignature;
  if (payload.size() < kSignature || std::memcmp(payload.data(), kPhotoshopSignature, kSignature) != 0) return {};
  return payload.subspan(kSignature);
}

// The IPTC record among image resources; empty when they hold none.
inline std::span<const uint8_t> IptcOfResources(std::span<const uint8_t> resources) {
  std::span<const uint8_t> record;
  WalkResources(resources, [&](const Resource& r) {
    if (r.id == kIptcResource && record.empty()) record = resources.subspan(r.dataAt, r.dataBytes);
  });
  return record;
}

// The IPTC record of an APP13 payload; empty when it holds none.
inline std::span<const uint8_t> IptcOfPhotoshopSegment(std::span<const uint8_t> payload) {
  return IptcOfResources(ResourcesOfPhotoshopSegment(payload));
}

// Resources over 64 KB go on over the next APP13 segments, each with its own signature: the
// resources of every Photoshop segment in the file's order, joined again.
class JoinedResources {
 public:
  void Add(std::span<const uint8_t> payload) {
    const std::span<const uint8_t> resources = ResourcesOfPhotoshopSegment(payload);
    bytes_.insert(bytes_.end(), resources.begin(), resources.end());
  }
  std::span<const uint8_t> Resources() const { return bytes_; }
  std::span<const uint8_t> Record() const { return IptcOfResources(bytes_); }

 private:
  std::vector<uint8_t> bytes_;
};

// The APP13 payloads of a Photoshop payload, each within `maxPayload` bytes with its own
// signature, the resources cut where the limit falls as Photoshop cuts them.
inline std::vector<std::vector<uint8_t>> SplitPhotoshopPayload(const std::vector<uint8_t>& payload, size_t maxPayload) {
  constexpr size_t kSignature = sizeof kPhotoshopSignature;
  std::vector<std::vector<uint8_t>> parts;
  if (payload.size() <= maxPayload || maxPayload <= kSignature) {
    if (payload.size() <= maxPayload) parts.push_back(payload);
    return parts;
  }
  for (size_t at = kSignature; at < payload.size();) {
    const size_t take = std::min(maxPayload - kSignature, payload.size() - at);
    std::vector<uint8_t> part(std::begin(kPhotoshopSignature), std::end(kPhotoshopSignature));
    part.insert(part.end(), payload.begin() + static_cast<ptrdiff_t>(at), payload.begin() + static_cast<ptrdiff_t>(at + take));
    parts.push_back(std::move(part));
    at += take;
  }
  return parts;
}

// An APP13 payload of the resources (those that are whole), their first IPTC record being
// `record` (left out when it is empty, added with an empty name when they hold none).
inline std::vector<uint8_t> PhotoshopSegment(std::span<const uint8_t> resources, std::span<const uint8_t> record) {
  std::vector<uint8_t> out(std::begin(kPhotoshopSignature), std::end(kPhotoshopSignature));
  const auto appendRecord = [&](const uint8_t* header, size_t headerBytes) {
    out.insert(out.end(), header, header + headerBytes);
    const auto size = static_cast<uint32_t>(record.size());
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(size >> shift));
    out.insert(out.end(), record.begin(), record.end());
    if (record.size() & 1) out.push_back(0);
  };
  // The first IPTC resource is the record the item stands for; a second one (Photoshop keeps
  // some) stays as it is.
  bool replaced = false;
  WalkResources(resources, [&](const Resource& r) {
    if (r.id != kIptcResource || replaced) {
      out.insert(out.end(), resources.begin() + r.start, resources.begin() + r.end);
    } else {
      if (!record.empty()) appendRecord(resources.data() + r.start, r.dataAt - 4 - r.start);  // its own ID and name
      replaced = true;
    }
  });
  if (!replaced && !record.empty()) {
    const uint8_t header[] = {'8', 'B', 'I', 'M', 0x04, 0x04, 0, 0};
    appendRecord(header, sizeof header);
  }
  return out;
}

// An APP13 payload holding the record as resource 0x0404 with an empty name.
inline std::vector<uint8_t> PhotoshopSegmentOfIptc(std::span<const uint8_t> record) { return PhotoshopSegment({}, record); }

}  // namespace vx::codecs::iptc
