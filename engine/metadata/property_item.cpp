#include "engine/metadata/property_item.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "engine/metadata/property_tag_names.h"
#include "platform/gdiplus/codecs/exif/ifd_properties.h"
#include "platform/gdiplus/gdiplus_types.h"

namespace vx::engine {
namespace {

// The platform lays the item's header in front of its value; on this platform the header holds
// a pointer and is wider than 16 bytes.
constexpr int32_t kItemHeaderBytes = static_cast<int32_t>(sizeof(gdiplus::PropertyItem));

}  // namespace

int32_t TagTypeElementSize(int32_t type) {
  if (type < 0 || type > 0xFFFF) return 0;
  return static_cast<int32_t>(gdiplus::codecs::PropertyElementSize(static_cast<uint16_t>(type)));
}

int32_t TagTypeValueCount(int32_t type, int32_t length) {
  if (type == 2) return 1;
  const int32_t size = TagTypeElementSize(type);
  if (size == 0) return 0;
  return static_cast<int32_t>(std::nearbyint(static_cast<double>(length) / size));
}

intptr_t cGDIPPropertyItem::DataPtr() const {
  if (length_ < 1 || value_.empty()) return 0;
  return reinterpret_cast<intptr_t>(value_.data());
}

std::string cGDIPPropertyItem::name() const { return PropertyTagName(static_cast<uint32_t>(id_)); }

int32_t cGDIPPropertyItem::ParseLong(int32_t k) const {
  if (k < 1 || k > ValueCount()) return 0;
  const size_t at = 4 * static_cast<size_t>(k - 1);
  if (at + 4 > value_.size()) return 0;
  uint32_t v = 0;
  for (size_t i = 0; i < 4; ++i) v |= static_cast<uint32_t>(value_[at + i]) << (8 * i);
  return static_cast<int32_t>(v);
}

void cGDIPPropertyItem::GetData(vexiro::BasicArray<uint8_t>& data) const {
  if (length_ < 1) return;
  std::vector<uint8_t>& out = data.Data();
  std::copy_n(value_.begin(), std::min(out.size(), value_.size()), out.begin());
}

void cGDIPPropertyItem::GetDataB(vexiro::BasicArray<uint8_t>& data) const {
  if (length_ < 1) return;
  data = vexiro::BasicArray<uint8_t>::FromVector(value_);
}

void cGDIPPropertyItem::FromPropertyItem(int32_t tag, int32_t length, int32_t type, const void* value,
                                         int32_t bufferSize) {
  id_ = tag;
  type_ = type;
  length_ = length;
  value_.clear();
  // Never more than the item claims, so a header that lies about its length reads nothing
  // beyond the buffer.
  const int32_t held = std::min(bufferSize - kItemHeaderBytes, length);
  if (value == nullptr || length < 1 || held < 1) return;
  const auto* bytes = static_cast<const uint8_t*>(value);
  value_.assign(bytes, bytes + held);
}

}  // namespace vx::engine
