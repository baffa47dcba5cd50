#include "plugin_objects.h"

#include "isolated_load.h"

namespace vximgplug {

Bitmap::~Bitmap() {
  if (!dib) return;
  if (lockedIn) {
    // Pages go back in the order FreeImage keeps them in: bottom row first.
    if (changed && topRowFirst) FreeImage_FlipVertical(dib);
    FreeImage_UnlockPage(lockedIn, dib, changed ? TRUE : FALSE);
  } else {
    UnloadBitmap(dib);
  }
}

HandleTable<Bitmap>& Bitmaps() {
  static HandleTable<Bitmap> table;
  return table;
}
HandleTable<FileRef>& Files() {
  static HandleTable<FileRef> table;
  return table;
}
HandleTable<MultiBitmap>& MultiBitmaps() {
  static HandleTable<MultiBitmap> table;
  return table;
}
HandleTable<Tag>& Tags() {
  static HandleTable<Tag> table;
  return table;
}
HandleTable<MetadataSearch>& Searches() {
  static HandleTable<MetadataSearch> table;
  return table;
}

FIBITMAP* DibOf(uint32_t bitmap) {
  Bitmap* b = Bitmaps().Find(bitmap);
  return b ? b->dib : nullptr;
}

uint32_t AddBitmap(FIBITMAP* dib, bool topRowFirst) {
  if (!dib) return 0;
  std::unique_ptr<Bitmap> owned;
  try {
    owned = std::make_unique<Bitmap>(dib, topRowFirst);
  } catch (...) {
    UnloadBitmap(dib);
    return 0;
  }
  return Bitmaps().Add(std::move(owned));
}

std::atomic<int>& TiffJpegQuality() {
  static std::atomic<int> quality{75};
  return quality;
}

}  // namespace vximgplug
