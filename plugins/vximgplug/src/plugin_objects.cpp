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

// Never destroyed: a host may exit while loads on its other threads still add to and look up
// these tables, and with them every object they hold lives to the end of the process.
HandleTable<Bitmap>& Bitmaps() {
  static auto* table = new HandleTable<Bitmap>;
  return *table;
}
HandleTable<FileRef>& Files() {
  static auto* table = new HandleTable<FileRef>;
  return *table;
}
HandleTable<MultiBitmap>& MultiBitmaps() {
  static auto* table = new HandleTable<MultiBitmap>;
  return *table;
}
HandleTable<Tag>& Tags() {
  static auto* table = new HandleTable<Tag>;
  return *table;
}
HandleTable<MetadataSearch>& Searches() {
  static auto* table = new HandleTable<MetadataSearch>;
  return *table;
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
  static auto* quality = new std::atomic<int>{75};
  return *quality;
}

}  // namespace vximgplug
