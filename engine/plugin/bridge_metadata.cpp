// Palettes and metadata tags between plug-in bitmaps and images.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "engine/image_access.h"
#include "engine/image_store.h"
#include "engine/plugin/api.h"
#include "engine/plugin/bridge.h"
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

uint32_t TypeWidth(uint16_t type) {
  switch (type) {
    case gdiplus::PropertyTagTypeShort: return 2;
    case gdiplus::PropertyTagTypeLong:
    case gdiplus::PropertyTagTypeSLONG: return 4;
    case gdiplus::PropertyTagTypeRational:
    case gdiplus::PropertyTagTypeSRational: return 8;
    default: return 1;
  }
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

void DescribeTag(const VximgplugApi& api, uint32_t tag, const gdiplus::PropertyItem& item) {
  const uint16_t id = static_cast<uint16_t>(item.id);
  uint32_t length = item.length;
  // Resolution items may carry a stray ninth byte; the plug-in takes exactly one rational.
  if ((id == gdiplus::PropertyTagXResolution || id == gdiplus::PropertyTagYResolution) && length == 9)
    length = kResolutionItemLength;
  api.SetTagKey(tag, std::to_string(id).c_str());
  api.SetTagLength(tag, length);
  api.SetTagCount(tag, length / TypeWidth(item.type));
  api.SetTagType(tag, item.type);
  api.SetTagID(tag, id);
  api.SetTagValue(tag, item.value);
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
    if (PluginEnumerateMetadata(model, bitmap, records) > 0)
      ApplyTagsToImage(id, AsPluginTags(records), verticalDpi, horizontalDpi);
  }
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
    DescribeTag(api, tag, items[i]);
    if (items[i].id == 0) continue;
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
