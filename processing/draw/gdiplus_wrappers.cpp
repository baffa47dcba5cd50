#include "processing/draw/gdiplus_wrappers.h"

#include "engine/image_store.h"
#include "processing/draw/draw_frame.h"

namespace vx::draw {

using namespace gdiplus;

VexiroStatus CreateTexture(int32_t imageId, WrapMode wrapMode, GpBrush*& brush) {
  brush = nullptr;
  return engine::ToStatus(GdipCreateTexture(engine::GetGpImage(imageId), wrapMode, &brush));
}

VexiroStatus DrawImagePoints(GpGraphics* graphics, int32_t imageId, const GpPointF* points, int32_t count) {
  return engine::ToStatus(GdipDrawImagePoints(graphics, engine::GetGpImage(imageId), points, count));
}

VexiroStatus DrawImageRectI(GpGraphics* graphics, int32_t imageId, int32_t x, int32_t y, int32_t width,
                            int32_t height) {
  return engine::ToStatus(GdipDrawImageRectI(graphics, engine::GetGpImage(imageId), x, y, width, height));
}

VexiroStatus DrawImageRectRectI(GpGraphics* graphics, int32_t imageId, int32_t dstX, int32_t dstY, int32_t dstWidth,
                                int32_t dstHeight, int32_t srcX, int32_t srcY, int32_t srcWidth, int32_t srcHeight,
                                Unit srcUnit, const GpImageAttributes* attributes) {
  return engine::ToStatus(GdipDrawImageRectRectI(graphics, engine::GetGpImage(imageId), dstX, dstY, dstWidth,
                                                 dstHeight, srcX, srcY, srcWidth, srcHeight, srcUnit, attributes));
}

VexiroStatus IsFontStyleAvailable(const std::string& familyName, int32_t style, bool& available) {
  available = false;
  FamilyPtr family;
  if (VexiroStatus s = MakeInto(family, [&](GpFontFamily** f) { return GdipCreateFontFamilyFromName(familyName, nullptr, f); });
      s != vexiro::OK)
    return s;
  BOOL answer = 0;
  const VexiroStatus s = engine::ToStatus(GdipIsStyleAvailable(family.get(), style, &answer));
  available = s == vexiro::OK && answer == 1;
  return s;
}

}  // namespace vx::draw
