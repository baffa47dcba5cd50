#include "engine/images_from_handles.h"

#include "engine/image_access.h"
#include "engine/image_store.h"
#include "engine/images_from_memory.h"
#include "platform/gdiplus/gdi_interop.h"

namespace vx::engine {

using namespace vx::gdiplus;

VexiroStatus CreateImageFromIconHandle(HICON icon, int32_t& id) {
  GpBitmap* bitmap = nullptr;
  const Status s = GdipCreateBitmapFromHICON(icon, &bitmap);
  return RegisterCreatedImage(s, bitmap, KindHIcon, id);
}

VexiroStatus CreateImageFromBitmapHandle(HBITMAP handle, HPALETTE palette, int32_t& id) {
  GpBitmap* bitmap = nullptr;
  const Status s = GdipCreateBitmapFromHBITMAP(handle, palette, &bitmap);
  return RegisterCreatedImage(s, bitmap, KindHBitmap, id);
}

VexiroStatus CreateHBITMAPFromImage(int32_t id, HBITMAP& bitmap, ARGB background) {
  bitmap = 0;
  if (GetImageIndex(id) < 0) return vexiro::InvalidParameter;
  return ToStatus(GdipCreateHBITMAPFromBitmap(AsBitmap(GetGpImage(id)), &bitmap, background));
}

VexiroStatus CreateHICONFromImage(int32_t id, HICON& icon) {
  icon = 0;
  if (GetImageIndex(id) < 0) return vexiro::InvalidParameter;
  return ToStatus(GdipCreateHICONFromBitmap(AsBitmap(GetGpImage(id)), &icon));
}

}  // namespace vx::engine
