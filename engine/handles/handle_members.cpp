// Handles of the current image for the host, and its single pixels.
#include "engine/handles/images_from_handles.h"
#include "engine/handles/packed_dib.h"
#include "engine/image_access.h"
#include "engine/image_store.h"
#include "platform/gdi/gdi.h"
#include "platform/kernel/global_memory.h"
#include "vexiro/imaging.h"

namespace vexiro {

int32_t cImaging::GetNativeImage() { return nNativeImage; }

int32_t cImaging::GetHBitmap() {
  vx::HBITMAP bitmap = 0;
  nStat = vx::engine::CreateHBITMAPFromImage(nNativeImage, bitmap, 0);
  return static_cast<int32_t>(bitmap);
}

void cImaging::DeleteHBitmap(int32_t nHbitmap) { vx::DeleteObject(static_cast<vx::HGDIOBJ>(nHbitmap)); }

int32_t cImaging::GetHICON() {
  vx::HICON icon = 0;
  nStat = vx::engine::CreateHICONFromImage(nNativeImage, icon);
  return static_cast<int32_t>(icon);
}

// An icon holds its own mask and colour bitmaps; only destroying it as an icon frees them.
void cImaging::DeleteHICON(int32_t nHICON) { vx::DestroyIcon(static_cast<vx::HICON>(nHICON)); }

int32_t cImaging::GetDib() {
  vx::HGLOBAL dib = 0;
  nStat = vx::engine::GetImageAsPackedDIB(nNativeImage, dib);
  return static_cast<int32_t>(dib);
}

void cImaging::RemoveDib(int32_t nDib) { vx::GlobalFree(static_cast<vx::HGLOBAL>(nDib)); }

int32_t cImaging::GetImageStride() {
  int32_t stride = 0;
  nStat = vx::engine::ReadImageStride(nNativeImage, stride);
  return stride;
}

intptr_t cImaging::GetGdiplusImage() {
  return reinterpret_cast<intptr_t>(vx::engine::GetGpImage(vx::engine::ResolvePageImageID(nNativeImage)));
}

intptr_t cImaging::GetImageBits() {
  intptr_t scan0 = 0;
  nStat = vx::engine::ReadImageScan0(nNativeImage, scan0);
  return scan0;
}

int32_t cImaging::PixelGetColor(int32_t nSrcLeft, int32_t nSrcTop) {
  if (nNativeImage == 0) {
    nStat = GenericError;
    return 0;
  }
  vx::gdiplus::ARGB colour = 0;
  nStat = vx::engine::GetImagePixel(nNativeImage, nSrcLeft, nSrcTop, colour);
  return static_cast<int32_t>(colour);
}

VexiroStatus cImaging::PixelSetColor(int32_t nDstLeft, int32_t nDstTop, int32_t nARGBColor) {
  if (nNativeImage == 0) return nStat = GenericError;
  return nStat = vx::engine::SetImagePixel(nNativeImage, nDstLeft, nDstTop, static_cast<vx::gdiplus::ARGB>(nARGBColor));
}

}  // namespace vexiro
