// Frames of a bitmap: its one frame dimension (page or time), the frame count along it, and
// the choice of the active frame.
#include "platform/gdiplus/gdiplus_flat.h"
#include "platform/gdiplus/image_handle.h"

namespace vx::gdiplus {

Status GdipImageGetFrameDimensionsCount(GpImage* image, UINT* count) {
  GpBitmap* bitmap = nullptr;
  if (Status s = ResolveBitmap(image, bitmap); s != Ok) return s;
  if (!count) return InvalidParameter;
  *count = 1;
  return Ok;
}

Status GdipImageGetFrameDimensionsList(GpImage* image, GUID* dimensionIDs, UINT count) {
  GpBitmap* bitmap = nullptr;
  if (Status s = ResolveBitmap(image, bitmap); s != Ok) return s;
  if (!dimensionIDs || count != 1) return InvalidParameter;
  dimensionIDs[0] = bitmap->frameDimension;
  return Ok;
}

Status GdipImageGetFrameCount(GpImage* image, const GUID* dimensionID, UINT* count) {
  GpBitmap* bitmap = nullptr;
  if (Status s = ResolveBitmap(image, bitmap); s != Ok) return s;
  if (!dimensionID || !count || !(*dimensionID == bitmap->frameDimension)) return InvalidParameter;
  *count = static_cast<UINT>(bitmap->frames.size());
  return Ok;
}

// Selecting a frame while pixels are lent would leave the lock on a frame no longer active.
Status GdipImageSelectActiveFrame(GpImage* image, const GUID* dimensionID, UINT frameIndex) {
  GpBitmap* bitmap = nullptr;
  if (Status s = ResolveBitmap(image, bitmap); s != Ok) return s;
  if (!dimensionID || !(*dimensionID == bitmap->frameDimension) || frameIndex >= bitmap->frames.size())
    return InvalidParameter;
  if (bitmap->lock.active) return WrongState;
  bitmap->activeFrame = frameIndex;
  return Ok;
}

}  // namespace vx::gdiplus
