#include "engine/metadata/iptc_tags.h"

#include <algorithm>

#include "engine/image_store.h"
#include "engine/metadata/property_text.h"
#include "engine/plugin/bridge.h"

namespace vx::engine {
namespace {

// The record of tag n, or the status that refuses it.
VexiroStatus FindTag(int32_t id, int32_t n, const IptcTagRecord*& tag) {
  tag = nullptr;
  if (!IsVximgplugAvailable()) return vexiro::VximgplugDllRequired;
  const ImageRecord* record = FindImageRecord(id);
  if (!record) return vexiro::PropertyNotFound;
  const int32_t count = std::min<int32_t>(record->IptcTagCount, static_cast<int32_t>(record->IptcTags.size()));
  if (n < 1 || n > count) return vexiro::PropertyNotFound;
  tag = &record->IptcTags[static_cast<size_t>(n - 1)];
  return vexiro::OK;
}

// Runs `read` on tag n when it exists; the status either way.
template <class Read>
VexiroStatus ReadTag(int32_t id, int32_t n, Read read) {
  const IptcTagRecord* tag = nullptr;
  const VexiroStatus s = FindTag(id, n, tag);
  if (s == vexiro::OK) read(*tag);
  return s;
}

}  // namespace

VexiroStatus GetIptcTagCount(int32_t id, int32_t& count) {
  if (!IsVximgplugAvailable()) return vexiro::VximgplugDllRequired;
  if (const ImageRecord* record = FindImageRecord(id)) count = record->IptcTagCount;
  return vexiro::OK;
}

VexiroStatus GetIptcTagID(int32_t id, int32_t n, int32_t& tagId) {
  return ReadTag(id, n, [&](const IptcTagRecord& t) { tagId = t.TagID; });
}

VexiroStatus GetIptcTagType(int32_t id, int32_t n, int32_t& type) {
  return ReadTag(id, n, [&](const IptcTagRecord& t) { type = t.Type; });
}

VexiroStatus GetIptcTagLength(int32_t id, int32_t n, int32_t& length) {
  return ReadTag(id, n, [&](const IptcTagRecord& t) { length = t.Length; });
}

VexiroStatus GetIptcTagValueString(int32_t id, int32_t n, std::string& text) {
  return ReadTag(id, n, [&](const IptcTagRecord& t) {
    text = PropertyValueToString(static_cast<uint32_t>(t.TagID), t.Type, t.Length, t.Count, t.Value);
  });
}

VexiroStatus GetIptcTagValueBytes(int32_t id, int32_t n, std::vector<uint8_t>& bytes) {
  return ReadTag(id, n, [&](const IptcTagRecord& t) { bytes = t.Value; });
}

}  // namespace vx::engine
