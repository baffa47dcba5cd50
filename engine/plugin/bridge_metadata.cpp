// Palettes and metadata tags between plug-in bitmaps and images.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "engine/image_access.h"
#include "engine/image_store.h"
#include "engine/metadata/property_item.h"
#include "engine/plugin/api.h"
#include "engine/plugin/bridge.h"
#include "platform/gdiplus/codecs/color_management.h"
#include "platform/gdiplus/codecs/exif/ifd_properties.h"
#include "platform/gdiplus/codecs/exif/ifd_writer.h"
#include "platform/gdiplus/codecs/exif/kept_exif_block.h"
#include "platform/gdiplus/gdiplus_flat.h"

namespace vx::engine {
namespace {

constexpr int32_t kTagModelsIntoProperties[] = {PluginModelExif, PluginModelGps, PluginModelMain, PluginModelXmp};
constexpr uint32_t kResolutionItemLength = 8;

std::vector<PluginTag> AsPluginTags(const std::vector<VximgplugTagRecord>& records) {
  std::vector<PluginTag> tags;
  tags.reserve(records.size());
  for (const VximgplugTagRecord& r : records) tags.push_back({r.id, r.type, r.count, r.length, r.value});
  return tags;
}

void CopyIptcTags(int32_t id, uint32_t bitmap) {
  std::vector<VximgplugTagRecord> records;
  if (PluginEnumerateMetadata(PluginModelIptc, bitmap, records) == 0) return;
  ImageRecord* record = FindImageRecord(id);
  if (!record) return;
  record->IptcTags.assign(records.size(), {});
  for (size_t i = 0; i < records.size(); ++i) {
    const VximgplugTagRecord& r = records[i];
    IptcTagRecord& t = record->IptcTags[i];
    t.TagID = r.id;
    t.Length = static_cast<int32_t>(r.length);
    t.Type = static_cast<int16_t>(r.type);
    t.Count = static_cast<int32_t>(r.count);
    if (r.value != nullptr) {
      const auto* bytes = static_cast<const uint8_t*>(r.value);
      t.Value.assign(bytes, bytes + r.length);
    }
  }
  record->IptcTagCount = static_cast<int32_t>(records.size());
}

// Every property item of the image, in the image's own order; empty when it has none.
std::vector<uint8_t> ReadAllPropertyItems(gdiplus::GpImage* image, uint32_t& count) {
  gdiplus::UINT bytes = 0, items = 0;
  count = 0;
  if (!image || gdiplus::GdipGetPropertySize(image, &bytes, &items) != gdiplus::Ok || items == 0) return {};
  std::vector<uint8_t> buffer(bytes);
  auto* all = reinterpret_cast<gdiplus::PropertyItem*>(buffer.data());
  if (gdiplus::GdipGetAllPropertyItems(image, bytes, items, all) != gdiplus::Ok) return {};
  count = items;
  return buffer;
}

// A property item as a plug-in tag: ID, type, length and bytes as they are, the count what the
// length holds of the type. False for an item no tag can carry whole (an unknown type, or a
// length that is not a whole number of elements).
bool DescribeTag(const VximgplugApi& api, uint32_t tag, const gdiplus::PropertyItem& item) {
  const uint16_t id = static_cast<uint16_t>(item.id);
  uint32_t length = item.length;
  // Resolution items may carry a stray ninth byte; the plug-in takes exactly one rational.
  if ((id == gdiplus::PropertyTagXResolution || id == gdiplus::PropertyTagYResolution) && length == 9)
    length = kResolutionItemLength;
  const int32_t element = TagTypeElementSize(item.type);
  if (element <= 0 || length % static_cast<uint32_t>(element) != 0) return false;
  api.SetTagKey(tag, std::to_string(id).c_str());
  api.SetTagLength(tag, length);
  api.SetTagCount(tag, length / static_cast<uint32_t>(element));
  api.SetTagType(tag, item.type);
  api.SetTagID(tag, id);
  api.SetTagValue(tag, item.value);
  return true;
}

bool ImageHasItem(int32_t id, uint32_t tag) {
  gdiplus::GpImage* image = GetGpImage(id);
  gdiplus::UINT size = 0;
  return image && gdiplus::GdipGetPropertyItemSize(image, tag, &size) == gdiplus::Ok;
}

// The packet is property item 700, bytes as stored, as TIFF files and the platform keep it. The
// plug-in types its copy as text and numbers a JPEG's after its marker; a TIFF's is there already.
std::vector<PluginTag> XmpAsItem(int32_t id, const std::vector<VximgplugTagRecord>& records) {
  constexpr uint16_t kXmpItem = 700;
  if (records.empty() || records.front().value == nullptr || ImageHasItem(id, kXmpItem)) return {};
  const VximgplugTagRecord& r = records.front();
  return {{kXmpItem, gdiplus::PropertyTagTypeByte, r.length, r.length, r.value}};
}

// The embedded profile is property item 34675 whatever route loaded the picture: the plug-in
// keeps a JPEG's or PNG's profile apart from its tags.
void CopyIccProfile(int32_t id, uint32_t bitmap) {
  VximgplugIccProfile profile{};
  if (Vximgplug().GetICCProfile(bitmap, &profile) == 0 || profile.data == nullptr) return;
  gdiplus::GpImage* image = GetGpImage(id);
  if (!image || ImageHasItem(id, gdiplus::PropertyTagICCProfile)) return;
  gdiplus::PropertyItem item;
  item.id = gdiplus::PropertyTagICCProfile;
  item.length = profile.size;
  item.type = gdiplus::PropertyTagTypeUndefined;
  item.value = const_cast<void*>(profile.data);
  gdiplus::GdipSetPropertyItem(image, &item);
}

// No image holds CMYK pixels: a CMYK profile, whether the plug-in kept it apart or a TIFF's tags
// brought it, would describe pixels the image does not have, and savers would write it beside
// RGB samples. It goes, as the platform's decoders leave it out.
void ForgetCmykProfileItem(int32_t id) {
  gdiplus::GpImage* image = GetGpImage(id);
  UINT size = 0;
  if (!image || gdiplus::GdipGetPropertyItemSize(image, gdiplus::PropertyTagICCProfile, &size) != gdiplus::Ok ||
      size < sizeof(gdiplus::PropertyItem))
    return;
  std::vector<uint8_t> buffer(size);
  auto* item = reinterpret_cast<gdiplus::PropertyItem*>(buffer.data());
  if (gdiplus::GdipGetPropertyItem(image, gdiplus::PropertyTagICCProfile, size, item) != gdiplus::Ok) return;
  const gdiplus::codecs::Bytes profile(static_cast<const uint8_t*>(item->value), item->length);
  if (gdiplus::codecs::IsCmykProfile(profile)) gdiplus::GdipRemovePropertyItem(image, gdiplus::PropertyTagICCProfile);
}

// The plug-in keeps no tag of a JPEG's EXIF thumbnail, only the segment it came in: the thumbnail
// items come from there, as the platform's reader gives them, and so does the block itself.
void CopyExifThumbnail(int32_t id, uint32_t bitmap) {
  namespace codecs = gdiplus::codecs;
  constexpr size_t kSignatureBytes = 6;  // "Exif\0\0"
  std::vector<VximgplugTagRecord> records;
  if (PluginEnumerateMetadata(PluginModelExifRaw, bitmap, records) == 0 || records.front().value == nullptr ||
      records.front().length <= kSignatureBytes)
    return;
  const auto* segment = static_cast<const uint8_t*>(records.front().value);
  codecs::TiffLayout layout;
  if (!codecs::ParseTiffHeader({segment + kSignatureBytes, records.front().length - kSignatureBytes}, layout)) return;
  codecs::DecodeBudget budget;
  std::vector<gdiplus::PropertyRecord> items;
  codecs::ReadExifThumbnail(layout, budget, items);
  codecs::KeepExifBlock(layout, budget, items);
  gdiplus::GpImage* image = GetGpImage(id);
  for (gdiplus::PropertyRecord& r : items) {
    const bool kept = r.id == codecs::ifd::kExifBlockItem;
    if (!image || (!kept && codecs::ifd::DirectoryOf(r.id) != codecs::ifd::Directory::Thumbnail) || ImageHasItem(id, r.id))
      continue;
    gdiplus::PropertyItem item{r.id, static_cast<gdiplus::ULONG>(r.value.size()), r.type, r.value.data()};
    gdiplus::GdipSetPropertyItem(image, &item);
  }
}

// The resolution unit item: 2 inch (also when absent), 1 none, 3 centimetre.
int32_t ResolutionUnitOf(int32_t id) {
  constexpr int32_t kInch = 2;
  gdiplus::GpImage* image = GetGpImage(id);
  gdiplus::UINT size = 0;
  if (!image || gdiplus::GdipGetPropertyItemSize(image, gdiplus::PropertyTagResolutionUnit, &size) != gdiplus::Ok ||
      size < sizeof(gdiplus::PropertyItem) + 2)
    return kInch;
  std::vector<uint8_t> buffer(size);
  auto* item = reinterpret_cast<gdiplus::PropertyItem*>(buffer.data());
  if (gdiplus::GdipGetPropertyItem(image, gdiplus::PropertyTagResolutionUnit, size, item) != gdiplus::Ok ||
      item->type != gdiplus::PropertyTagTypeShort || item->length < 2)
    return kInch;
  uint16_t unit = 0;
  std::memcpy(&unit, item->value, sizeof unit);
  return unit;
}

// Tags in centimetres give dots per inch times 2.54; the unit "none" makes the numbers a mere
// aspect ratio (JFIF's 1 x 1), which is no resolution at all.
void ApplyResolutionUnit(int32_t id, float& verticalDpi, float& horizontalDpi) {
  constexpr int32_t kUnitNone = 1, kUnitCentimetre = 3;
  const int32_t unit = ResolutionUnitOf(id);
  const float scale = unit == kUnitNone ? 0.0f : unit == kUnitCentimetre ? 2.54f : 1.0f;
  verticalDpi *= scale;
  horizontalDpi *= scale;
}

// Whole dots per inch, halves to even, held within what the plug-in can take.
int32_t WholeDpi(float dpi) { return static_cast<int32_t>(std::min<double>(std::nearbyint(dpi), INT32_MAX)); }

}  // namespace

int32_t PluginSetPalette(uint32_t bitmap, const std::vector<uint32_t>& colors) {
  const VximgplugApi& api = Vximgplug();
  const int32_t used = api.GetColorsUsed(bitmap);
  void* palette = api.GetPalette(bitmap);
  if (palette != nullptr && used > 0) {
    const size_t n = std::min(static_cast<size_t>(used), colors.size());
    // An RGBQUAD is the little-endian byte image of an ARGB value, alpha in the spare byte.
    std::memcpy(palette, colors.data(), n * sizeof(uint32_t));
  }
  return used;
}

int32_t PluginEnumerateMetadata(int32_t model, uint32_t bitmap, std::vector<VximgplugTagRecord>& tags) {
  const VximgplugApi& api = Vximgplug();
  const int32_t count = api.GetMetadataCount(model, bitmap);
  if (count <= 0) return 0;
  std::vector<VximgplugTagRecord> found(static_cast<size_t>(count));
  const uint32_t search = api.FindFirstMetadata(model, bitmap, &found[0]);
  if (search == 0) return 0;
  size_t filled = 1;
  while (filled < found.size() && api.FindNextMetadata(search, &found[filled]) == 1) ++filled;
  api.FindCloseMetadata(search);
  found.resize(filled);
  tags = std::move(found);
  return static_cast<int32_t>(filled);
}

void PluginMetadataToImage(int32_t id, uint32_t bitmap, float& verticalDpi, float& horizontalDpi) {
  verticalDpi = 0;
  horizontalDpi = 0;
  CopyIptcTags(id, bitmap);
  for (int32_t model : kTagModelsIntoProperties) {
    std::vector<VximgplugTagRecord> records;
    if (PluginEnumerateMetadata(model, bitmap, records) == 0) continue;
    ApplyTagsToImage(id, model == PluginModelXmp ? XmpAsItem(id, records) : AsPluginTags(records), verticalDpi,
                     horizontalDpi);
  }
  CopyIccProfile(id, bitmap);
  ForgetCmykProfileItem(id);
  CopyExifThumbnail(id, bitmap);
  ApplyResolutionUnit(id, verticalDpi, horizontalDpi);
}

void ImageMetadataToPlugin(int32_t id, uint32_t& bitmap) {
  const VximgplugApi& api = Vximgplug();
  uint32_t count = 0;
  const std::vector<uint8_t> buffer = ReadAllPropertyItems(GetGpImage(id), count);
  const auto* items = reinterpret_cast<const gdiplus::PropertyItem*>(buffer.data());
  uint32_t tag = 0;  // reused until it is attached
  for (uint32_t i = 0; i < count; ++i) {
    if (tag == 0) tag = api.CreateTag();
    if (tag == 0) break;
    if (!DescribeTag(api, tag, items[i])) continue;
    api.SetMetadata(PluginModelExif, bitmap, std::to_string(api.GetTagKey(tag)).c_str(), tag);
    api.DeleteTag(tag);
    tag = 0;
  }
  if (tag != 0) api.DeleteTag(tag);

  float horizontal = 0, vertical = 0;
  GetImageHorizontalResolution(id, horizontal);
  GetImageVerticalResolution(id, vertical);
  if (horizontal > 0 && vertical > 0) {
    PluginSetDpiX(bitmap, WholeDpi(horizontal));
    PluginSetDpiY(bitmap, WholeDpi(vertical));
  }
}

}  // namespace vx::engine
