// Composition: another registered image drawn onto the current one, scaled, with a uniform
// transparency or a colour key, clipped to a polygon or mapped onto a parallelogram. An image
// drawn onto itself is drawn from a copy, so the drawing never reads pixels it has already
// changed.
#include "engine/enumeration_values.h"
#include "engine/image_access.h"
#include "engine/image_graphics.h"
#include "engine/load/from_memory.h"
#include "processing/draw/display.h"
#include "processing/draw/draw_frame.h"
#include "processing/draw/gdiplus_wrappers.h"
#include "processing/geometry/transform_canvas.h"
#include "vexiro/imaging.h"

namespace vexiro {

namespace gp = vx::gdiplus;
using namespace vx::engine;

namespace {

constexpr gp::INT kCombineIntersect = 1;

using RegionPtr = std::unique_ptr<gp::GpRegion, vx::draw::PlatformDeleter<gp::GpRegion, gp::GdipDeleteRegion>>;

// The image a composition reads: `id` itself, or a copy of it when it is also the target.
class CompositionSource {
 public:
  CompositionSource(int32_t id, int32_t target) : id_(id) {
    if (id == target && id != 0 && CloneImage(*copy_.put(), id) == OK) id_ = copy_.get();
  }
  int32_t get() const { return id_; }

 private:
  ScopedImage copy_;
  int32_t id_;
};

// A graphics refuses indexed, 16bppARGB1555 and 16bppGrayScale images: composition onto one
// draws on a 32bppARGB copy whose pixels then go back through the image's own format and
// palette, so the image keeps its identity, format and properties.
template <class Draw>
VexiroStatus DrawOntoImage(int32_t target, Draw draw) {
  if (target == 0 || vx::geometry::GraphicsCanDrawOn(GetImagePixelFormatValue(target))) return draw(target);
  ScopedImage argb;
  VexiroStatus s = vx::geometry::ConvertWithPalette(target, gp::PixelFormat32bppARGB, nullptr, *argb.put());
  if (s == OK) s = draw(argb.get());
  if (s == OK) s = vx::geometry::CopyPixelsThroughArgb(argb.get(), target);
  return s;
}

VexiroStatus ReadSize(int32_t id, int32_t& width, int32_t& height) {
  VexiroStatus s = GetImageHeight(id, height);
  if (s == OK) s = GetImageWidth(id, width);
  return s;
}

// `source` drawn onto `target` within the clip polygon.
VexiroStatus DrawClipped(int32_t target, int32_t source, const vx::draw::PointList& polygon) {
  vx::draw::GraphicsPtr g;
  if (VexiroStatus s = vx::draw::OpenGraphics(target, g); s != OK) return s;
  SetGraphicsInterpolation(g.get(), gp::InterpolationModeDefault);
  vx::draw::PathPtr path;
  VexiroStatus s = vx::draw::MakeInto(path, [](gp::GpPath** p) { return gp::GdipCreatePath(gp::FillModeAlternate, p); });
  if (s == OK) s = ToStatus(gp::GdipAddPathPolygonI(path.get(), polygon.points.data(), polygon.count));
  RegionPtr region;
  if (s == OK) s = vx::draw::MakeInto(region, [&](gp::GpRegion** r) { return gp::GdipCreateRegionPath(path.get(), r); });
  if (s == OK) s = ToStatus(gp::GdipSetClipRegion(g.get(), region.get(), kCombineIntersect));
  int32_t w = 0, h = 0;
  if (s == OK) s = ReadSize(source, w, h);
  if (s == OK) s = vx::draw::DrawImageRectI(g.get(), source, 0, 0, w, h);
  return s;
}

}  // namespace

VexiroStatus cImaging::DrawImage(int32_t nImageID, int32_t nDstLeft, int32_t nDstTop, int32_t nDstWidth,
                                 int32_t nDstHeight, EnumArg<InterpolationMode> nInterpolationMode) {
  if (RefusesValueOutside(nInterpolationMode)) return InvalidParameter;
  int32_t w = 0, h = 0;
  if (VexiroStatus s = ReadSize(nImageID, w, h); s != OK) return nStat = s;
  return DrawImageRect(nImageID, nDstLeft, nDstTop, nDstWidth, nDstHeight, 0, 0, w, h, nInterpolationMode);
}

VexiroStatus cImaging::DrawImageRect(int32_t nImageID, int32_t nDstLeft, int32_t nDstTop, int32_t nDstWidth,
                                     int32_t nDstHeight, int32_t nSrcLeft, int32_t nSrcTop, int32_t nSrcWidth,
                                     int32_t nSrcHeight, EnumArg<InterpolationMode> nInterpolationMode) {
  if (RefusesValueOutside(nInterpolationMode)) return InvalidParameter;
  const CompositionSource source(nImageID, nNativeImage);
  return nStat = DrawOntoImage(nNativeImage, [&](int32_t target) {
           return vx::draw::DrawImageRectHQ(target, source.get(), {nDstLeft, nDstTop, nDstWidth, nDstHeight},
                                            {nSrcLeft, nSrcTop, nSrcWidth, nSrcHeight}, nInterpolationMode);
         });
}

template <class Adjust>
VexiroStatus cImaging::DrawAdjustedClone(int32_t id, const FilterArea& dest, int32_t interpolation, Adjust adjust) {
  if (nNativeImage == 0) return nStat = GenericError;
  int32_t w = 0, h = 0;
  if (VexiroStatus s = ReadSize(id, w, h); s != OK) return nStat = s;
  ScopedImage clone(CreateClonedImageARGB(id));
  if (nStat != OK) return nStat;
  // The adjustment works on the clone as a whole: neither the current image nor the processing
  // rectangle the host set for it may reach into the clone.
  const int32_t current = nNativeImage;
  const int32_t regionMode = nROIMode;
  const FilterArea region = ROIArea;
  nNativeImage = clone.get();
  nROIMode = 1;
  const VexiroStatus s = adjust();
  nNativeImage = current;
  nROIMode = regionMode;
  ROIArea = region;
  if (s != OK) return nStat = s;
  return DrawImageRect(clone.get(), dest.X, dest.Y, dest.Width, dest.Height, 0, 0, w, h, interpolation);
}

VexiroStatus cImaging::DrawImageTransparency(int32_t nImageID, int32_t nTransparency, int32_t nDstLeft,
                                             int32_t nDstTop, int32_t nDstWidth, int32_t nDstHeight,
                                             EnumArg<InterpolationMode> nInterpolationMode) {
  if (RefusesValueOutside(nInterpolationMode)) return InvalidParameter;
  return DrawAdjustedClone(nImageID, {nDstLeft, nDstTop, nDstWidth, nDstHeight}, nInterpolationMode,
                           [&] { return SetTransparency(-nTransparency); });
}

VexiroStatus cImaging::DrawImageTransparencyColor(int32_t nImageID, EnumArg<Colors> nTransparentColor, int32_t nDstLeft,
                                                  int32_t nDstTop, int32_t nDstWidth, int32_t nDstHeight,
                                                  EnumArg<InterpolationMode> nInterpolationMode) {
  if (RefusesValueOutside(nInterpolationMode)) return InvalidParameter;
  return DrawImageTransparencyColorEx(nImageID, nTransparentColor, 100.0f, nDstLeft, nDstTop, nDstWidth, nDstHeight,
                                      nInterpolationMode);
}

VexiroStatus cImaging::DrawImageTransparencyColorEx(int32_t nImageID, EnumArg<Colors> nTransparentColor,
                                                    float nThreshold,
                                                    int32_t nDstLeft, int32_t nDstTop, int32_t nDstWidth,
                                                    int32_t nDstHeight, EnumArg<InterpolationMode> nInterpolationMode) {
  if (RefusesValueOutside(nInterpolationMode)) return InvalidParameter;
  return DrawAdjustedClone(nImageID, {nDstLeft, nDstTop, nDstWidth, nDstHeight}, nInterpolationMode,
                           [&] { return SetTransparencyColorEx(nTransparentColor, nThreshold); });
}

VexiroStatus cImaging::DrawImageClipped(int32_t nImageID, BasicArray<int32_t>& ArPoints) {
  const vx::draw::PointList polygon = vx::draw::PointsOf(ArPoints);
  const CompositionSource source(nImageID, nNativeImage);
  return nStat = DrawOntoImage(nNativeImage, [&](int32_t target) { return DrawClipped(target, source.get(), polygon); });
}

VexiroStatus cImaging::DrawImageSkewing(int32_t nImageID, int32_t nDstLeft1, int32_t nDstTop1, int32_t nDstLeft2,
                                        int32_t nDstTop2, int32_t nDstLeft3, int32_t nDstTop3,
                                        EnumArg<InterpolationMode> nInterpolationMode, bool bAntiAlias) {
  if (RefusesValueOutside(nInterpolationMode)) return InvalidParameter;
  const gp::GpPointF corners[3] = {{gp::REAL(nDstLeft1), gp::REAL(nDstTop1)},
                                   {gp::REAL(nDstLeft2), gp::REAL(nDstTop2)},
                                   {gp::REAL(nDstLeft3), gp::REAL(nDstTop3)}};
  const CompositionSource source(nImageID, nNativeImage);
  return nStat = DrawOntoImage(nNativeImage, [&](int32_t target) {
           vx::draw::GraphicsPtr g;
           if (VexiroStatus s = vx::draw::OpenGraphics(target, g); s != OK) return s;
           SetGraphicsInterpolation(g.get(), static_cast<gp::InterpolationMode>(nInterpolationMode));
           vx::draw::SetAntiAlias(g.get(), bAntiAlias);
           return vx::draw::DrawImagePoints(g.get(), source.get(), corners, 3);
         });
}

}  // namespace vexiro
