#include "platform/gdiplus/image_handle_table.h"

#include "platform/kernel/handle_table.h"

namespace vx::gdiplus {

namespace {

struct ImageEntry {
  GpImage* image = nullptr;
};

HandleTable<ImageEntry>& ImageHandles() {
  static HandleTable<ImageEntry> table(HandleKind::GdiplusImage);
  return table;
}

}  // namespace

HANDLE32 RegisterImageHandle(GpImage* image) {
  return image ? ImageHandles().Insert(ImageEntry{image}) : 0;
}

GpImage* FindImageHandle(HANDLE32 handle) {
  const auto entry = ImageHandles().Find(handle);
  return entry ? entry->image : nullptr;
}

BOOL RevokeImageHandle(HANDLE32 handle) { return ImageHandles().Remove(handle) != nullptr; }

}  // namespace vx::gdiplus
