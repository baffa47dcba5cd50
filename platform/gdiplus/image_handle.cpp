#include "platform/gdiplus/image_handle.h"

#include "platform/gdiplus/gdiplus_flat.h"

namespace vx::gdiplus {

Status CheckImage(const GpImage* image) {
  if (!GdiplusIsRunning()) return GdiplusNotInitialized;
  return image ? Ok : InvalidParameter;
}

Status ResolveBitmap(GpImage* image, GpBitmap*& bitmap) {
  bitmap = nullptr;
  if (Status s = CheckImage(image); s != Ok) return s;
  auto* candidate = dynamic_cast<GpBitmap*>(image);
  if (!candidate || candidate->frames.empty() || candidate->activeFrame >= candidate->frames.size())
    return InvalidParameter;
  bitmap = candidate;
  return Ok;
}

}  // namespace vx::gdiplus
