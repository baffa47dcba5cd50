// Drawing an image onto a device context, a window or another image: each routine makes its
// own graphics object, tries the quality it was asked for and, when that drawing fails, draws
// once more in the plainest way.
#pragma once
#include <cstdint>

#include "engine/vexiro_status.h"
#include "platform/gdiplus/graphics.h"

namespace vx::draw {

using vexiro::VexiroStatus;

// The target of a display: a device context or a window handle.
struct DisplayTarget {
  HDC dc = 0;
  HWND window = 0;
  bool isWindow = false;
};

struct DisplayRect {
  int32_t x = 0, y = 0, width = 0, height = 0;
};

// The whole image into `dest` (page unit `unit`). Smoothing outside 0 .. 4 becomes None,
// interpolation outside 0 .. 7 nearest neighbour.
VexiroStatus DrawImageOnTarget(int32_t image, const DisplayTarget& target, const DisplayRect& dest, int32_t smoothing,
                               int32_t interpolation, int32_t unit);
// The source rectangle (pixels on the first attempt, `sourceUnit` on the second) into `dest`.
VexiroStatus DrawImageRectOnTarget(int32_t image, const DisplayTarget& target, const DisplayRect& dest,
                                   const DisplayRect& source, int32_t smoothing, int32_t interpolation,
                                   int32_t sourceUnit);
// Image to image at high quality, falling back to nearest neighbour; destination 0 is GenericError.
VexiroStatus DrawImageRectHQ(int32_t destination, int32_t source, const DisplayRect& dest, const DisplayRect& from,
                             int32_t interpolation);

}  // namespace vx::draw
