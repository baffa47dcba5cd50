// The engine's clipboard members. Images go to the clipboard as a bitmap only; the clipboard is
// opened and closed within each call, as other processes share it.
#include "engine/image_access.h"
#include "engine/image_store.h"
#include "engine/handles/images_from_handles.h"
#include "engine/load/from_memory.h"
#include "platform/user/user.h"
#include "vexiro/imaging.h"

namespace vexiro {

using namespace vx::engine;

VexiroStatus cImaging::CopyToClipboard() {
  nStat = CopyImageToClipboard(nNativeImage);
  return nStat;
}

VexiroStatus cImaging::CopyRegionToClipboard(int32_t nSrcLeft, int32_t nSrcTop, int32_t nWidth, int32_t nHeight) {
  if (GetImageIndex(nNativeImage) < 0) {
    nStat = GenericError;
    return nStat;
  }
  PixelFormat format = 0;
  nStat = GetImagePixelFormat(nNativeImage, format);
  if (nStat != OK) return nStat;
  ScopedImage region;
  nStat = CloneImageArea(nSrcLeft, nSrcTop, nWidth, nHeight, format, nNativeImage, *region.put());
  if (nStat == OK) nStat = CopyImageToClipboard(region.get());
  return nStat;
}

void cImaging::DeleteClipboardData() {
  if (!vx::OpenClipboard(0)) return;
  vx::EmptyClipboard();
  vx::CloseClipboard();
}

}  // namespace vexiro
