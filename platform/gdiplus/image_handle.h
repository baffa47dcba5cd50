// The checks every flat call starts with: the platform is running and the handle is usable.
#pragma once
#include "platform/gdiplus/image_object.h"

namespace vx::gdiplus {

// Running platform and a non-null image.
Status CheckImage(const GpImage* image);

// Running platform and a bitmap with at least one frame; other images give InvalidParameter.
Status ResolveBitmap(GpImage* image, GpBitmap*& bitmap);

}  // namespace vx::gdiplus
