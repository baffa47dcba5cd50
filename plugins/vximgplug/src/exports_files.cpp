// Version, format detection, loading and saving of single bitmaps.
#include "../vximgplug.h"
#include "bitmap_loader.h"
#include "bitmap_saver.h"
#include "child_process.h"
#include "format_detection.h"
#include "format_numbers.h"
#include "guarded_call.h"
#include "plugin_objects.h"

using namespace vximgplug;

extern "C" {

const char* VxPluginVersion(void) { return "3.18.0.1"; }

int32_t VXIMGPLUG_GetFileTypeU(const char* path, int32_t size) {
  return Guarded<int32_t>(kFormatUnknown, [&] {
    if (!path || !*path) return kFormatUnknown;
    return DetectFormatByContent(path, size);
  });
}

int32_t VXIMGPLUG_GetFIFFromFilenameU(const char* path) {
  return Guarded<int32_t>(kFormatUnknown, [&] {
    if (!path || !*path) return kFormatUnknown;
    return DetectFormatByName(path);
  });
}

uint32_t VXIMGPLUG_LoadU(int32_t format, const char* path, int32_t flags) {
  return Guarded<uint32_t>(0, [&]() -> uint32_t {
    ForgetHelperStart();
    if (!path || !*path) return 0;
    LoadedBitmap loaded = LoadBitmapFile(format, path, flags);
    return AddBitmap(loaded.dib, loaded.topRowFirst);
  });
}

int32_t VXIMGPLUG_LastHelperFailure(void) { return static_cast<int32_t>(LastHelperStart()); }

int32_t VXIMGPLUG_SaveU(int32_t format, uint32_t bitmap, const char* path, int32_t flags) {
  return Guarded<int32_t>(0, [&] {
    Bitmap* b = Bitmaps().Find(bitmap);
    if (!b || !path || !*path) return 0;
    return SaveBitmapFile(format, *b, path, flags) ? 1 : 0;
  });
}

void VXIMGPLUG_Unload(uint32_t bitmap) {
  // A locked page handed here goes back to its file unchanged.
  GuardedVoid([&] {
    std::unique_ptr<Bitmap> b = Bitmaps().Take(bitmap);
    if (b && b->multiHandle) {
      if (MultiBitmap* m = MultiBitmaps().Find(b->multiHandle)) std::erase(m->lockedPages, bitmap);
    }
  });
}

}  // extern "C"
