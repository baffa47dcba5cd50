#include "engine/handles/images_from_handles.h"

#include "engine/image_access.h"
#include "engine/image_store.h"
#include "engine/load/from_memory.h"
#include "platform/gdi/gdi.h"
#include "platform/gdiplus/gdi_interop.h"
#include "platform/user/user.h"

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

VexiroStatus GetImagePicture(int32_t id, ole::ComPtr<ole::IPicture>& picture) {
  picture.reset();
  HBITMAP bitmap = 0;
  const VexiroStatus s = CreateHBITMAPFromImage(id, bitmap, 0);
  if (s != vexiro::OK) return s;
  ole::PICTDESC description;
  description.cbSizeofstruct = sizeof(ole::PICTDESC);
  description.picType = ole::PICTYPE_BITMAP;
  description.handle = bitmap;
  description.hpal = 0;
  // The picture owns the bitmap once made; a picture that could not be made leaves it to us.
  if (FAILED(ole::OleCreatePictureIndirect(&description, ole::IID_IDispatch, TRUE_, picture.put()))) {
    DeleteObject(bitmap);
    picture.reset();
  }
  return s;
}

VexiroStatus CopyImageToClipboard(int32_t id) {
  HBITMAP bitmap = 0;
  const VexiroStatus s = CreateHBITMAPFromImage(id, bitmap, 0);
  if (s != vexiro::OK) return s;
  if (!OpenClipboard(0)) {
    DeleteObject(bitmap);
    return vexiro::GenericError;
  }
  EmptyClipboard();
  // Once placed, the clipboard owns the bitmap and frees it when it is replaced or emptied.
  const bool placed = SetClipboardData(CF_BITMAP, bitmap) != 0;
  CloseClipboard();
  if (!placed) {
    DeleteObject(bitmap);
    return vexiro::GenericError;
  }
  return vexiro::OK;
}

}  // namespace vx::engine
