// Images of the imaging platform handed to hosts that hold only 32-bit values (script hosts):
// each registered image answers to a handle of the process-wide table, so a host can pass an
// image it made back by number. The table does not own the images.
#pragma once
#include "platform/gdiplus/image_object.h"
#include "platform/kernel/win_types.h"

namespace vx::gdiplus {

// 0 for a null image or a full table.
HANDLE32 RegisterImageHandle(GpImage* image);
// The image of a live handle, or null.
GpImage* FindImageHandle(HANDLE32 handle);
BOOL RevokeImageHandle(HANDLE32 handle);

}  // namespace vx::gdiplus
