// Device contexts lent out to draw on an image, and picture objects of an image.
#include "engine/handles/images_from_handles.h"
#include "engine/image_graphics.h"
#include "engine/image_store.h"
#include "platform/gdi/gdi.h"
#include "platform/ole/picture.h"
#include "vexiro/imaging.h"

namespace vexiro {

namespace {

uint32_t PictureOf(int32_t id, VexiroStatus& status) {
  if (vx::engine::GetImageIndex(id) < 0) {
    status = InvalidParameter;
    return 0;
  }
  vx::ole::ComPtr<vx::ole::IPicture> picture;
  status = vx::engine::GetImagePicture(id, picture);
  return picture ? vx::ole::RegisterPicture(picture.get()) : 0;
}

}  // namespace

uint32_t cImaging::GetPicture() { return PictureOf(nNativeImage, nStat); }
uint32_t cImaging::GetPictureFromVexiroImage(int32_t nImageID) { return PictureOf(nImageID, nStat); }

void cImaging::DeletePictureObject(uint32_t& oPictureObject) {
  const vx::ole::ComPtr<vx::ole::IPicture> picture = vx::ole::FindPicture(oPictureObject);
  vx::HANDLE32 handle = 0;
  if (picture && vx::SUCCEEDED(picture->get_Handle(&handle)) && handle) vx::DeleteObject(handle);
}

int32_t cImaging::GetVexiroImageDC(int32_t nImageID) {
  vx::HDC dc = 0;
  nStat = vx::engine::GetImageDC(nImageID, dc);
  return static_cast<int32_t>(dc);
}

VexiroStatus cImaging::ReleaseVexiroImageDC(int32_t hdc) {
  return vx::engine::ReleaseImageDC(static_cast<vx::HDC>(hdc));
}

}  // namespace vexiro
