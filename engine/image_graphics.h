// Graphics objects and device contexts on images, and the one-call graphics wrappers.
#pragma once
#include <cstdint>

#include "engine/vexiro_status.h"
#include "platform/gdiplus/gdiplus_types.h"
#include "platform/gdiplus/graphics.h"

namespace vx::engine {

// A graphics object drawing on the image (its current page for a document). Platforms before
// 6.0 cannot draw on indexed images: the image is then widened in place to 32bppARGB first.
// `format` 0 means the image's own format decides. The caller deletes the graphics.
VexiroStatus GetImageGraphics(int32_t id, gdiplus::GpGraphics*& graphics, gdiplus::PixelFormat format = 0);

// A device context showing the image, lent until ReleaseImageDC; asking twice gives the same one.
// Unknown identifiers and device contexts give GenericError.
VexiroStatus GetImageDC(int32_t id, HDC& dc);
VexiroStatus ReleaseImageDC(HDC dc);

VexiroStatus SetCompositingQuality(gdiplus::GpGraphics* graphics, gdiplus::CompositingQuality quality);
VexiroStatus SetPixelOffsetMode(gdiplus::GpGraphics* graphics, gdiplus::PixelOffsetMode mode);
VexiroStatus SetGraphicsInterpolation(gdiplus::GpGraphics* graphics, gdiplus::InterpolationMode mode);
VexiroStatus SetGraphicsSmoothing(gdiplus::GpGraphics* graphics, gdiplus::SmoothingMode mode);
VexiroStatus RotateWorldTransform(gdiplus::GpGraphics* graphics, float degrees, gdiplus::MatrixOrder order);
// No smoothing, nearest-neighbour interpolation, high-speed compositing, no pixel offset;
// results ignored.
void SetGraphicsFastMode(gdiplus::GpGraphics* graphics);

}  // namespace vx::engine
