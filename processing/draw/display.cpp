#include "processing/draw/display.h"

#include "engine/image_graphics.h"
#include "engine/image_store.h"
#include "processing/draw/draw_frame.h"
#include "processing/draw/gdiplus_wrappers.h"

namespace vx::draw {

using namespace gdiplus;

namespace {

VexiroStatus OpenTarget(const DisplayTarget& target, GraphicsPtr& g) {
  return MakeInto(g, [&](GpGraphics** out) {
    return target.isWindow ? GdipCreateFromHWND(target.window, out) : GdipCreateFromHDC(target.dc, out);
  });
}

void SetQuality(GpGraphics* g, int32_t smoothing, int32_t interpolation) {
  engine::SetGraphicsSmoothing(g, smoothing >= 0 && smoothing <= 4 ? SmoothingMode(smoothing) : SmoothingModeNone);
  engine::SetGraphicsInterpolation(g, interpolation >= 0 && interpolation <= 7 ? InterpolationMode(interpolation)
                                                                               : InterpolationModeNearestNeighbor);
  engine::SetCompositingQuality(g, CompositingQualityGammaCorrected);
  engine::SetPixelOffsetMode(g, PixelOffsetModeHalf);
}

// Draws with the asked quality, then once more in fast mode when that failed.
template <class Draw>
VexiroStatus DrawWithFallback(int32_t image, const DisplayTarget& target, int32_t smoothing, int32_t interpolation,
                              Draw draw) {
  if (engine::GetImageIndex(image) < 0) return vexiro::InvalidParameter;
  GraphicsPtr g;
  if (VexiroStatus s = OpenTarget(target, g); s != vexiro::OK) return s;
  SetQuality(g.get(), smoothing, interpolation);
  GpImage* picture = engine::GetGpImage(image);
  if (draw(g.get(), picture, true) == Ok) return vexiro::OK;
  engine::SetGraphicsFastMode(g.get());
  return engine::ToStatus(draw(g.get(), picture, false));
}

}  // namespace

VexiroStatus DrawImageOnTarget(int32_t image, const DisplayTarget& target, const DisplayRect& dest, int32_t smoothing,
                               int32_t interpolation, int32_t unit) {
  return DrawWithFallback(image, target, smoothing, interpolation, [&](GpGraphics* g, GpImage* picture, bool first) {
    if (first) GdipSetPageUnit(g, Unit(unit));
    return GdipDrawImageRect(g, picture, float(dest.x), float(dest.y), float(dest.width), float(dest.height));
  });
}

VexiroStatus DrawImageRectOnTarget(int32_t image, const DisplayTarget& target, const DisplayRect& dest,
                                   const DisplayRect& source, int32_t smoothing, int32_t interpolation,
                                   int32_t sourceUnit) {
  return DrawWithFallback(image, target, smoothing, interpolation, [&](GpGraphics* g, GpImage* picture, bool first) {
    return GdipDrawImageRectRectI(g, picture, dest.x, dest.y, dest.width, dest.height, source.x, source.y, source.width,
                                  source.height, first ? UnitPixel : Unit(sourceUnit), nullptr);
  });
}

VexiroStatus DrawImageRectHQ(int32_t destination, int32_t source, const DisplayRect& dest, const DisplayRect& from,
                             int32_t interpolation) {
  if (destination == 0) return vexiro::GenericError;
  GraphicsPtr g;
  if (VexiroStatus s = OpenGraphics(destination, g); s != vexiro::OK) return s;
  engine::SetGraphicsSmoothing(g.get(), SmoothingModeNone);
  engine::SetCompositingQuality(g.get(), CompositingQualityGammaCorrected);
  engine::SetPixelOffsetMode(g.get(), PixelOffsetModeHalf);
  engine::SetGraphicsInterpolation(g.get(), InterpolationMode(interpolation));
  const auto drawOnce = [&] {
    return DrawImageRectRectI(g.get(), source, dest.x, dest.y, dest.width, dest.height, from.x, from.y, from.width,
                              from.height, UnitPixel, nullptr);
  };
  if (drawOnce() == vexiro::OK) return vexiro::OK;
  engine::SetCompositingQuality(g.get(), CompositingQualityGammaCorrected);
  engine::SetPixelOffsetMode(g.get(), PixelOffsetModeNone);
  engine::SetGraphicsInterpolation(g.get(), InterpolationModeNearestNeighbor);
  return drawOnce();
}

}  // namespace vx::draw
