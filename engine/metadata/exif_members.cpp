// The engine's EXIF members: property items of the current image, listed, read as text or bytes,
// deleted and set by type.
#include <optional>

#include "engine/escaped_errors.h"
#include "engine/image_store.h"
#include "engine/metadata/property_items.h"
#include "vexiro/imaging.h"

namespace vexiro {

using namespace vx::engine;

namespace {

// The nTagNo-th item of the current image when 1 <= nTagNo <= count.
std::optional<cGDIPPropertyItem> ItemOfCurrent(int32_t current, int32_t nTagNo, int32_t count) {
  if (GetImageIndex(current) < 0) return std::nullopt;
  return GetImagePropertyItem(current, nTagNo, count);
}

}  // namespace

void cImaging::TagsSetPreserve(bool bPreserve) { bTagsPreserve = bPreserve; }

int32_t cImaging::ExifTagCount() {
  int32_t count = 0;
  nStat = CountPropertyItems(nNativeImage, count);
  return count;
}

int32_t cImaging::ExifTagGetID(int32_t nTagNo) {
  const auto item = ItemOfCurrent(nNativeImage, nTagNo, ExifTagCount());
  return item ? item->ID() : 0;
}

int32_t cImaging::ExifTagGetLength(int32_t nTagNo) {
  const auto item = ItemOfCurrent(nNativeImage, nTagNo, ExifTagCount());
  return item ? item->Length() : 0;
}

int32_t cImaging::ExifTagGetType(int32_t nTagNo) {
  const auto item = ItemOfCurrent(nNativeImage, nTagNo, ExifTagCount());
  return item ? item->ItemType() : TagTypeUndefined;
}

std::string cImaging::ExifTagGetName(int32_t nTagNo) {
  const auto item = ItemOfCurrent(nNativeImage, nTagNo, ExifTagCount());
  return item ? item->name() : std::string();
}

std::string cImaging::ExifTagGetValueString(int32_t nTagNo) { return GetExifTagValueString(nNativeImage, nTagNo); }

int32_t cImaging::ExifTagGetValueBytes(int32_t nTagNo, BasicArray<uint8_t>& arTagData) {
  int32_t count = 0;
  CountPropertyItems(nNativeImage, count);
  if (const auto item = ItemOfCurrent(nNativeImage, nTagNo, count)) item->GetDataB(arTagData);
  return static_cast<int32_t>(arTagData.size());
}

VexiroStatus cImaging::ExifTagDelete(int32_t nTagNo) {
  const int32_t count = ExifTagCount();
  const auto item = ItemOfCurrent(nNativeImage, nTagNo, count);
  nStat = item ? RemovePropertyItem(nNativeImage, static_cast<uint32_t>(item->ID())) : PropertyNotFound;
  return nStat;
}

VexiroStatus cImaging::ExifTagDeleteAll() {
  const int32_t count = ExifTagCount();
  for (int32_t i = 0; i < count; ++i) ExifTagDelete(1);
  return nStat;
}

VexiroStatus cImaging::ExifTagSetValueBytes(EnumArg<Tags> nTagID, EnumArg<TagTypes> nTagType,
                                            BasicArray<uint8_t>& arTagData) {
  nStat = SetPropertyItemBytes(nNativeImage, static_cast<uint32_t>(nTagID), nTagType, arTagData, true);
  return nStat;
}

VexiroStatus cImaging::ExifTagSetValueString(EnumArg<Tags> nTagID, EnumArg<TagTypes> nTagType,
                                             const std::string& sTagData) {
  const auto tag = static_cast<uint32_t>(nTagID);
  // A number outside its type's range is a run-time error (Overflow).
  return AnswerRuntimeErrors(GenericError, [&] {
    switch (nTagType) {
      case TagTypeByte: nStat = SetPropertyItemByteList(nNativeImage, tag, sTagData, true); break;
      case TagTypeASCII: nStat = SetPropertyItemText(nNativeImage, tag, sTagData, true); break;
      case TagTypeShort: nStat = SetPropertyItemShorts(nNativeImage, tag, sTagData, true); break;
      case TagTypeLong: nStat = SetPropertyItemLongs(nNativeImage, tag, sTagData, true, false); break;
      case TagTypeRational: nStat = SetPropertyItemRationals(nNativeImage, tag, sTagData, true, false); break;
      case TagTypeSLONG: nStat = SetPropertyItemLongs(nNativeImage, tag, sTagData, true, true); break;
      case TagTypeSRational: nStat = SetPropertyItemRationals(nNativeImage, tag, sTagData, true, true); break;
      default: nStat = InvalidParameter; break;
    }
    return nStat;
  });
}

}  // namespace vexiro
