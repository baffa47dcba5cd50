// The property snapshot every transform takes of the current image before it builds a new
// bitmap, and puts back on the new bitmap afterwards: resolution and metadata survive it.
#include <vector>

#include "engine/image_access.h"
#include "engine/load/from_memory.h"
#include "platform/gdiplus/gdiplus_flat.h"
#include "vexiro/imaging.h"

namespace vexiro {

namespace engine = vx::engine;
namespace gp = vx::gdiplus;

namespace {

// Items are copied out whole; a value larger than this is no metadata worth carrying.
constexpr uint32_t kMaxItemBytes = 64u << 20;

// The image's property items in the order of its tag list; an item that cannot be read is
// carried as an empty one of type 0, which the restore skips (tag 0 is GPSVersionID, an item
// like any other).
std::vector<SavedPropertyItem> CopyPropertyItems(int32_t id, int32_t count) {
  std::vector<gp::PROPID> tags(static_cast<size_t>(count));
  gp::GpImage* image = engine::GetGpImage(id);
  if (gp::GdipGetPropertyIdList(image, static_cast<gp::UINT>(count), tags.data()) != gp::Ok) return {};
  std::vector<SavedPropertyItem> items(tags.size());
  for (size_t k = 0; k < tags.size(); ++k) {
    gp::UINT size = 0;
    if (gp::GdipGetPropertyItemSize(image, tags[k], &size) != gp::Ok || size < sizeof(gp::PropertyItem) ||
        size > kMaxItemBytes)
      continue;
    std::vector<uint64_t> buffer((size + sizeof(uint64_t) - 1) / sizeof(uint64_t));
    auto* item = reinterpret_cast<gp::PropertyItem*>(buffer.data());
    if (gp::GdipGetPropertyItem(image, tags[k], size, item) != gp::Ok) continue;
    const auto* value = static_cast<const uint8_t*>(item->value);
    const size_t length = value ? std::min<size_t>(item->length, size - sizeof(gp::PropertyItem)) : 0;
    items[k].ID = item->id;
    items[k].ItemType = item->type;
    items[k].Value.assign(value, value + length);
  }
  return items;
}

void SetPropertyItemBytes(int32_t id, const SavedPropertyItem& saved) {
  gp::PropertyItem item;
  item.id = saved.ID;
  item.type = saved.ItemType;
  item.length = static_cast<gp::ULONG>(saved.Value.size());
  item.value = const_cast<uint8_t*>(saved.Value.data());
  gp::GdipSetPropertyItem(engine::GetGpImage(id), &item);
}

}  // namespace

int32_t cImaging::SaveImageProperties(int32_t id) {
  if (id == 0) id = nNativeImage;
  engine::ForceValidation(id);
  engine::GetImageWidth(id, nSavedWidth);
  engine::GetImageHeight(id, nSavedHeight);
  engine::GetImageVerticalResolution(id, nSavedVerticalResolution);
  engine::GetImageHorizontalResolution(id, nSavedHorizontalResolution);
  gp::PixelFormat format = 0;
  engine::GetImagePixelFormat(id, format);
  nSavedPixelFormat = static_cast<int32_t>(format);
  if (!bTagsPreserve) return 0;
  engine::GetImagePropertyCount(id, nSavedPropertyItemCount);
  if (nSavedPropertyItemCount < 1) return 0;
  arSavedPropertyItems = CopyPropertyItems(id, nSavedPropertyItemCount);
  return 0;
}

int32_t cImaging::RestoreImageProperties(int32_t id) {
  if (id == 0) id = nNativeImage;
  float vertical = 0, horizontal = 0;
  engine::GetImageVerticalResolution(id, vertical);
  engine::GetImageHorizontalResolution(id, horizontal);
  if (vertical != nSavedVerticalResolution || horizontal != nSavedHorizontalResolution)
    engine::SetImageResolution(id, nSavedHorizontalResolution, nSavedVerticalResolution, true);
  if (bTagsPreserve && nSavedPropertyItemCount > 0) {
    for (const SavedPropertyItem& item : arSavedPropertyItems)
      if (item.ItemType != 0) SetPropertyItemBytes(id, item);
    arSavedPropertyItems.clear();
    nSavedPropertyItemCount = 0;
  }
  return 0;
}

}  // namespace vexiro
