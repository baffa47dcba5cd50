#include "engine/image_property_copy.h"

#include <vector>

#include "engine/image_access.h"
#include "engine/image_store.h"
#include "platform/gdiplus/gdiplus_flat.h"

namespace vx::engine {

using namespace vx::gdiplus;

namespace {

// Metadata blocks above this size are left behind rather than copied.
constexpr UINT kMaxPropertyBlockBytes = 1u << 26;

void CopyPropertyItems(GpImage* from, GpImage* to) {
  UINT total = 0, count = 0;
  if (GdipGetPropertySize(from, &total, &count) != Ok || count == 0 || total > kMaxPropertyBlockBytes) return;
  std::vector<uint64_t> block((total + sizeof(uint64_t) - 1) / sizeof(uint64_t));
  auto* items = reinterpret_cast<PropertyItem*>(block.data());
  if (GdipGetAllPropertyItems(from, total, count, items) != Ok) return;
  for (UINT i = 0; i < count; ++i) GdipSetPropertyItem(to, &items[i]);
}

}  // namespace

VexiroStatus CopyImageProperties(int32_t fromId, int32_t toId) {
  GpImage* from = GetGpImage(fromId);
  GpImage* to = GetGpImage(toId);
  if (!from || !to) return vexiro::InvalidParameter;
  CopyPropertyItems(from, to);
  float h = 0, v = 0;
  GetImageHorizontalResolution(fromId, h);
  GetImageVerticalResolution(fromId, v);
  if (h > 0 && v > 0) SetImageResolution(toId, h, v, true);
  return vexiro::OK;
}

}  // namespace vx::engine
