#include "platform/gdiplus/image_handle_table.h"

#include <vector>

#include "platform/kernel/handle_table.h"

namespace vx::gdiplus {

namespace {

HandleTable<ImageHandleEntry>& ImageHandles() {
  static HandleTable<ImageHandleEntry> table(HandleKind::GdiplusImage);
  return table;
}

// The live handles whose entries satisfy the test.
template <class Test>
std::vector<HANDLE32> HandlesWhere(Test test) {
  std::vector<HANDLE32> found;
  for (const HANDLE32 handle : ImageHandles().Handles()) {
    const auto entry = ImageHandles().Find(handle);
    if (entry && test(*entry)) found.push_back(handle);
  }
  return found;
}

// The live handle with this entry, or 0.
HANDLE32 FindHandleOf(const ImageHandleEntry& wanted) {
  const auto found = HandlesWhere([&](const ImageHandleEntry& e) {
    return e.image == wanted.image && e.use == wanted.use && e.address == wanted.address;
  });
  return found.empty() ? 0 : found.front();
}

// A lent image or address is handed out again under its first handle, so asking repeatedly does
// not fill the table.
HANDLE32 Lend(const ImageHandleEntry& entry) {
  if (!entry.image) return 0;
  const HANDLE32 existing = FindHandleOf(entry);
  return existing ? existing : ImageHandles().Insert(entry);
}

}  // namespace

HANDLE32 RegisterImageHandle(GpImage* image) {
  return image ? ImageHandles().Insert(ImageHandleEntry{image, ImageHandleUse::HostImage, 0}) : 0;
}

HANDLE32 LendImageHandle(GpImage* image) { return Lend({image, ImageHandleUse::LentImage, 0}); }

HANDLE32 LendPixelAddressHandle(GpImage* image, intptr_t address) {
  return address ? Lend({image, ImageHandleUse::PixelAddress, address}) : 0;
}

ImageHandleEntry LookUpImageHandle(HANDLE32 handle) {
  const auto entry = ImageHandles().Find(handle);
  return entry ? *entry : ImageHandleEntry{};
}

GpImage* FindImageHandle(HANDLE32 handle) {
  const ImageHandleEntry entry = LookUpImageHandle(handle);
  return entry.use == ImageHandleUse::HostImage ? entry.image : nullptr;
}

BOOL RevokeImageHandle(HANDLE32 handle) { return ImageHandles().Remove(handle) != nullptr; }

void RevokeHandlesOfImage(const GpImage* image) {
  if (!image || ImageHandles().Size() == 0) return;
  for (const HANDLE32 handle : HandlesWhere([&](const ImageHandleEntry& e) { return e.image == image; }))
    ImageHandles().Remove(handle);
}

}  // namespace vx::gdiplus
