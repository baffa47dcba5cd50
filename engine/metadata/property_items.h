// Reading, counting, removing and writing the property items (EXIF, TIFF, GPS and platform tags)
// of a registered image. A document is reached through its current page. Item indices are
// 1-based positions in the image's item list, which shift down when an earlier item goes.
#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "engine/metadata/property_item.h"
#include "engine/vexiro_status.h"
#include "vexiro/basic_array.h"

namespace vx::engine {

// Tag types as hosts name them.
enum TagTypes : int32_t {
  TagTypeByte = 1,
  TagTypeASCII = 2,
  TagTypeShort = 3,
  TagTypeLong = 4,
  TagTypeRational = 5,
  TagTypeUndefined = 7,
  TagTypeSSHORT = 8,
  TagTypeSLONG = 9,
  TagTypeSRational = 10,
};

constexpr uint32_t TagExifUserComment = 37510;

// An unknown identifier counts no items and answers OK.
VexiroStatus CountPropertyItems(int32_t id, int32_t& count);
// The index-th item (1 <= index <= count) of the image; none outside or when the list cannot be read.
std::optional<cGDIPPropertyItem> GetImagePropertyItem(int32_t id, int32_t index, int32_t count);
// The item with the tag; none when the image has no such item. An item the platform announces
// but then cannot hand out comes back empty (tag, length and type 0).
std::optional<cGDIPPropertyItem> GetPropertyItemObject(int32_t id, uint32_t tag);
VexiroStatus RemovePropertyItem(int32_t id, uint32_t tag);

// Setters from text. The list setters take numbers separated by "," (blanks ignored), each
// rounded to the nearest whole number; an empty list is InvalidParameter. A number too large
// for its element raises run-time error 6 (Overflow).
VexiroStatus SetPropertyItemText(int32_t id, uint32_t tag, const std::string& text, bool markModified);
VexiroStatus SetPropertyItemByteList(int32_t id, uint32_t tag, const std::string& text, bool markModified);
VexiroStatus SetPropertyItemShorts(int32_t id, uint32_t tag, const std::string& text, bool markModified);
VexiroStatus SetPropertyItemLongs(int32_t id, uint32_t tag, const std::string& text, bool markModified, bool isSigned);
// Pieces "n/d"; a piece without "/" is the whole number n/1.
VexiroStatus SetPropertyItemRationals(int32_t id, uint32_t tag, const std::string& text, bool markModified,
                                      bool isSigned);
// The item's value is the whole array, whatever its bounds.
VexiroStatus SetPropertyItemBytes(int32_t id, uint32_t tag, int32_t type, const vexiro::BasicArray<uint8_t>& bytes,
                                  bool markModified);
// An item from memory the caller holds; any failure to build it gives InvalidParameter.
VexiroStatus SetPropertyItemRaw(int32_t id, uint32_t tag, int32_t length, int32_t type, intptr_t value,
                                bool markModified);

// The index-th item's value as text; "" for an unknown image or an index outside the list.
std::string GetExifTagValueString(int32_t id, int32_t index);

}  // namespace vx::engine
