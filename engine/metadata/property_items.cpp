#include "engine/metadata/property_items.h"

#include <cmath>
#include <limits>
#include <vector>

#include "engine/image_access.h"
#include "engine/image_store.h"
#include "engine/metadata/property_text.h"
#include "engine/routines/shared_routines.h"
#include "engine/runtime_error.h"
#include "engine/save/gdiplus_savers.h"
#include "platform/gdiplus/gdiplus_flat.h"
#include "platform/kernel/code_page.h"

namespace vx::engine {

using namespace vx::gdiplus;

namespace {

constexpr int32_t kErrOverflow = 6;
constexpr char kCharacterCode[] = "ASCII";
constexpr size_t kCharacterCodeBytes = 8;
// No real item comes near this; a larger size is taken as a damaged announcement.
constexpr int32_t kMaxItemBytes = 1 << 28;

// The thread's scratch buffer every item read goes through, aligned for the item's header.
std::vector<uint64_t>& ScratchBuffer() {
  thread_local std::vector<uint64_t> buffer;
  return buffer;
}

VexiroStatus WriteItem(int32_t id, uint32_t tag, int32_t type, const void* value, size_t length, bool markModified) {
  PropertyItem item;
  item.id = tag;
  item.type = static_cast<WORD>(type);
  item.length = static_cast<ULONG>(length);
  item.value = const_cast<void*>(value);
  return SetImagePropertyItem(id, item, markModified);
}

// Blanks are dropped and the rest split at ","; an empty text has no pieces at all.
std::vector<std::string> SplitNumberList(const std::string& text) {
  std::string compact;
  for (char c : text)
    if (c != ' ') compact += c;
  std::vector<std::string> pieces;
  if (compact.empty()) return pieces;
  size_t start = 0;
  for (size_t comma; (comma = compact.find(',', start)) != std::string::npos; start = comma + 1)
    pieces.push_back(compact.substr(start, comma - start));
  pieces.push_back(compact.substr(start));
  return pieces;
}

// The piece's leading number rounded to the nearest whole number, halves to even, which must
// fit between `low` and `high`.
int64_t WholeNumber(const std::string& piece, int64_t low, int64_t high) {
  const double rounded = std::nearbyint(BasicVal(piece));
  if (!(rounded >= static_cast<double>(low) && rounded <= static_cast<double>(high)))
    throw RuntimeError(kErrOverflow, "Overflow");
  return static_cast<int64_t>(rounded);
}

void AppendLittleEndian(std::vector<uint8_t>& out, uint64_t value, size_t width) {
  for (size_t i = 0; i < width; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

// One element of `width` bytes per piece of the list, each within [low, high].
VexiroStatus SetNumberList(int32_t id, uint32_t tag, const std::string& text, bool markModified, int32_t type,
                           size_t width, int64_t low, int64_t high) {
  const std::vector<std::string> pieces = SplitNumberList(text);
  if (pieces.empty()) return vexiro::InvalidParameter;
  std::vector<uint8_t> value;
  for (const std::string& piece : pieces)
    AppendLittleEndian(value, static_cast<uint64_t>(WholeNumber(piece, low, high)), width);
  return WriteItem(id, tag, type, value.data(), value.size(), markModified);
}

constexpr int64_t kLongMin = std::numeric_limits<int32_t>::min();
constexpr int64_t kLongMax = std::numeric_limits<int32_t>::max();

}  // namespace

VexiroStatus CountPropertyItems(int32_t id, int32_t& count) {
  count = 0;
  if (GetImageIndex(id) < 0) return vexiro::OK;
  return GetImagePropertyCount(id, count);
}

std::optional<cGDIPPropertyItem> GetImagePropertyItem(int32_t id, int32_t index, int32_t count) {
  if (index < 1 || index > count) return std::nullopt;
  GpImage* image = GetGpImage(id);
  UINT held = 0;
  if (!image || GdipGetPropertyCount(image, &held) != Ok || static_cast<UINT>(index) > held) return std::nullopt;
  std::vector<PROPID> ids(held);
  if (GdipGetPropertyIdList(image, held, ids.data()) != Ok) return std::nullopt;
  return GetPropertyItemObject(id, ids[static_cast<size_t>(index - 1)]);
}

std::optional<cGDIPPropertyItem> GetPropertyItemObject(int32_t id, uint32_t tag) {
  int32_t size = 0;
  if (GetImagePropertyItemSize(id, tag, size) != vexiro::OK || size > kMaxItemBytes) return std::nullopt;
  std::vector<uint64_t>& scratch = ScratchBuffer();
  scratch.assign((static_cast<size_t>(size) + sizeof(uint64_t) - 1) / sizeof(uint64_t) + 1, 0);
  auto* header = reinterpret_cast<PropertyItem*>(scratch.data());
  cGDIPPropertyItem item;
  if (static_cast<size_t>(size) < sizeof(PropertyItem) ||
      GdipGetPropertyItem(GetGpImage(id), tag, static_cast<UINT>(size), header) != Ok)
    return item;
  item.FromPropertyItem(static_cast<int32_t>(header->id), static_cast<int32_t>(header->length), header->type,
                        header->value, size);
  return item;
}

VexiroStatus RemovePropertyItem(int32_t id, uint32_t tag) {
  return ToStatus(GdipRemovePropertyItem(GetGpImage(id), tag));
}

VexiroStatus SetPropertyItemText(int32_t id, uint32_t tag, const std::string& text, bool markModified) {
  if (text.empty() || GetImageIndex(id) < 0) return vexiro::InvalidParameter;
  std::string ansi = Utf8ToAnsi(text);
  const bool comment = tag == TagExifUserComment;
  if (comment && ansi.rfind(kCharacterCode, 0) != 0) ansi.insert(0, kCharacterCodeBytes, ' ');
  std::vector<uint8_t> value(ansi.begin(), ansi.end());
  value.push_back(0);
  if (comment) std::copy_n(kCharacterCode, sizeof kCharacterCode - 1, value.begin());
  return WriteItem(id, tag, TagTypeASCII, value.data(), value.size(), markModified);
}

VexiroStatus SetPropertyItemByteList(int32_t id, uint32_t tag, const std::string& text, bool markModified) {
  return SetNumberList(id, tag, text, markModified, TagTypeByte, 1, 0, 255);
}

VexiroStatus SetPropertyItemShorts(int32_t id, uint32_t tag, const std::string& text, bool markModified) {
  return SetNumberList(id, tag, text, markModified, TagTypeShort, 2, -32768, 32767);
}

VexiroStatus SetPropertyItemLongs(int32_t id, uint32_t tag, const std::string& text, bool markModified,
                                  bool isSigned) {
  return SetNumberList(id, tag, text, markModified, isSigned ? TagTypeSLONG : TagTypeLong, 4, kLongMin, kLongMax);
}

VexiroStatus SetPropertyItemRationals(int32_t id, uint32_t tag, const std::string& text, bool markModified,
                                      bool isSigned) {
  const std::vector<std::string> pieces = SplitNumberList(text);
  if (pieces.empty()) return vexiro::InvalidParameter;
  std::vector<uint8_t> value;
  for (const std::string& piece : pieces) {
    const size_t slash = piece.find('/');
    const int64_t numerator = WholeNumber(piece.substr(0, slash), kLongMin, kLongMax);
    // A whole number stands for itself: over 1, not over 0, which would make it no number.
    const int64_t denominator =
        slash == std::string::npos ? 1 : WholeNumber(piece.substr(slash + 1), kLongMin, kLongMax);
    AppendLittleEndian(value, static_cast<uint64_t>(numerator), 4);
    AppendLittleEndian(value, static_cast<uint64_t>(denominator), 4);
  }
  return WriteItem(id, tag, isSigned ? TagTypeSRational : TagTypeRational, value.data(), value.size(), markModified);
}

VexiroStatus SetPropertyItemBytes(int32_t id, uint32_t tag, int32_t type, const vexiro::BasicArray<uint8_t>& bytes,
                                  bool markModified) {
  const std::vector<uint8_t>& value = bytes.Data();
  return WriteItem(id, tag, type, value.empty() ? nullptr : value.data(), value.size(), markModified);
}

VexiroStatus SetPropertyItemRaw(int32_t id, uint32_t tag, int32_t length, int32_t type, intptr_t value,
                                bool markModified) {
  if (length < 0 || (length > 0 && value == 0)) return vexiro::InvalidParameter;
  try {
    return WriteItem(id, tag, type, reinterpret_cast<const void*>(value), static_cast<size_t>(length), markModified);
  } catch (const std::exception&) {
    return vexiro::InvalidParameter;
  }
}

std::string GetExifTagValueString(int32_t id, int32_t index) {
  int32_t count = 0;
  if (GetImageIndex(id) < 0 || CountPropertyItems(id, count) != vexiro::OK) return "";
  const std::optional<cGDIPPropertyItem> item = GetImagePropertyItem(id, index, count);
  if (!item) return "";
  std::string text = PropertyValueToString(static_cast<uint32_t>(item->ID()), item->ItemType(), item->Length(),
                                           item->ValueCount(), item->Value());
  // A host reads the text, not the C string's terminator: "Vexiro", not "Vexiro" and a zero.
  if (PropertyValueIsText(static_cast<uint32_t>(item->ID()), item->ItemType()) && !text.empty() && text.back() == '\0')
    text.pop_back();
  return text;
}

}  // namespace vx::engine
