// The one-call wrappers of the drawing code that take image identifiers where the platform takes
// images: each hands its arguments to one platform call and returns its status unchanged (an
// identifier that names no image reaches the platform as no image, which refuses it).
#pragma once
#include <cstdint>
#include <string>

#include "engine/vexiro_status.h"
#include "platform/gdiplus/brush.h"
#include "platform/gdiplus/graphics.h"
#include "platform/gdiplus/image_attributes.h"

namespace vx::draw {

using vexiro::VexiroStatus;

VexiroStatus CreateTexture(int32_t imageId, gdiplus::WrapMode wrapMode, gdiplus::GpBrush*& brush);
VexiroStatus DrawImagePoints(gdiplus::GpGraphics* graphics, int32_t imageId, const gdiplus::GpPointF* points,
                             int32_t count);
VexiroStatus DrawImageRectI(gdiplus::GpGraphics* graphics, int32_t imageId, int32_t x, int32_t y, int32_t width,
                            int32_t height);
VexiroStatus DrawImageRectRectI(gdiplus::GpGraphics* graphics, int32_t imageId, int32_t dstX, int32_t dstY,
                                int32_t dstWidth, int32_t dstHeight, int32_t srcX, int32_t srcY, int32_t srcWidth,
                                int32_t srcHeight, gdiplus::Unit srcUnit, const gdiplus::GpImageAttributes* attributes);
// Whether the family has the style: true exactly when the platform answered 1.
VexiroStatus IsFontStyleAvailable(const std::string& familyName, int32_t style, bool& available);

}  // namespace vx::draw
