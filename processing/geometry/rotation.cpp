// Rotation of the current image: by right angles and flips in place, by any angle into a new
// canvas. The canvas of the bounding-box rotation is sized with the system's own pi constant,
// which makes the cosine of 90 degrees a little above 0: a 200 x 100 image turned by 90 gets a
// 101 x 201 canvas, and callers have always relied on that size.
#include <cmath>

#include "engine/enumeration_values.h"
#include "engine/image_access.h"
#include "engine/image_graphics.h"
#include "engine/load/from_memory.h"
#include "processing/draw/gdiplus_wrappers.h"
#include "processing/geometry/transform_canvas.h"
#include "vexiro/imaging.h"

namespace vexiro {

namespace gp = vx::gdiplus;
using namespace vx::engine;

namespace {

constexpr double kPi = 3.141592657;

int32_t Round(double v) { return static_cast<int32_t>(std::nearbyint(v)); }

// The canvas that holds the whole image turned by `degrees`.
void RotatedBounds(float degrees, int32_t width, int32_t height, int32_t& outWidth, int32_t& outHeight) {
  const double a = double(degrees) * kPi / 180.0;
  const double s = std::fabs(std::sin(a)), c = std::fabs(std::cos(a));
  outWidth = static_cast<int32_t>(std::ceil(s * height + c * width));
  outHeight = static_cast<int32_t>(std::ceil(s * width + c * height));
}

// Right angles keep every pixel as it is: no smoothing, nearest neighbour.
bool IsRightAngle(float degrees) { return degrees == 90.0f || degrees == 180.0f || degrees == 270.0f; }

// A device point in the world space of the graphics' current transform.
gp::GpPointF DeviceToWorld(gp::GpGraphics* graphics, double x, double y) {
  gp::GpPointF p{gp::REAL(x), gp::REAL(y)};
  gp::GdipTransformPoints(graphics, gp::CoordinateSpaceWorld, gp::CoordinateSpaceDevice, &p, 1);
  return p;
}

}  // namespace

VexiroStatus cImaging::Rotate(EnumArg<RotateFlipType> nRotation) {
  if (RefusesValueOutside(nRotation)) return InvalidParameter;
  return nStat = RotateFlipImage(nNativeImage, static_cast<gp::RotateFlipType>(nRotation));
}

VexiroStatus cImaging::RotateAngleCore(float angle, RotationPlacement placement, const EnumArg<Colors>* backColor) {
  if (nNativeImage == 0) return nStat = GenericError;
  if (!std::isfinite(angle)) return nStat = InvalidParameter;
  SaveImageProperties();
  const int32_t w = nSavedWidth, h = nSavedHeight;
  int32_t canvasWidth = w, canvasHeight = h;
  if (placement == RotationPlacement::Bounds) RotatedBounds(angle, w, h, canvasWidth, canvasHeight);
  vx::geometry::TransformCanvas canvas;
  VexiroStatus s = canvas.Create(canvasWidth, canvasHeight, nSavedPixelFormat, nNativeImage);
  if (s != OK) return nStat = s;
  {
    vx::draw::GraphicsPtr g;
    if ((s = canvas.OpenGraphics(g)) != OK) return nStat = s;
    if (IsRightAngle(angle))
      SetGraphicsFastMode(g.get());
    else
      SetGraphicsSmoothing(g.get(), gp::SmoothingModeAntiAlias);
    if (backColor) s = ToStatus(gp::GdipGraphicsClear(g.get(), static_cast<gp::ARGB>(*backColor)));
    if (s == OK) s = RotateWorldTransform(g.get(), angle, gp::MatrixOrderPrepend);
    int32_t x = 0, y = 0;
    if (s == OK && placement == RotationPlacement::TopLeft) {
      s = ToStatus(gp::GdipTranslateWorldTransform(g.get(), gp::REAL(w / 2), gp::REAL(h / 2), gp::MatrixOrderPrepend));
      x = -(w / 2), y = -(h / 2);
    } else if (s == OK) {
      const gp::GpPointF centre = placement == RotationPlacement::Centre
                                      ? DeviceToWorld(g.get(), w, h)
                                      : DeviceToWorld(g.get(), Round(canvasWidth / 2.0), Round(canvasHeight / 2.0));
      const double px = placement == RotationPlacement::Centre ? centre.X / 2.0 : centre.X;
      const double py = placement == RotationPlacement::Centre ? centre.Y / 2.0 : centre.Y;
      x = Round(px - 0.5 * w), y = Round(py - 0.5 * h);
    }
    if (s == OK) s = vx::draw::DrawImageRectI(g.get(), nNativeImage, x, y, w, h);
    if (s != OK) return nStat = s;
  }
  return ReplaceCurrentByCanvas(canvas);
}

VexiroStatus cImaging::ReplaceCurrentByCanvas(vx::geometry::TransformCanvas& canvas) {
  int32_t finished = 0;
  if (VexiroStatus s = canvas.Finish(finished); s != OK) return nStat = s;
  RestoreImageProperties(finished);
  ReplaceImage(nNativeImage, finished);
  return nStat = OK;
}

VexiroStatus cImaging::RotateAnglePreserveDimentions(float nAngle) {
  return RotateAngleCore(nAngle, RotationPlacement::TopLeft, nullptr);
}
VexiroStatus cImaging::RotateAnglePreserveDimentionsBackColor(float nAngle, EnumArg<Colors> nBackColor) {
  return RotateAngleCore(nAngle, RotationPlacement::TopLeft, &nBackColor);
}
VexiroStatus cImaging::RotateAnglePreserveDimentionsCenter(float nAngle) {
  return RotateAngleCore(nAngle, RotationPlacement::Centre, nullptr);
}
VexiroStatus cImaging::RotateAnglePreserveDimentionsCenterBackColor(float nAngle, EnumArg<Colors> nBackColor) {
  return RotateAngleCore(nAngle, RotationPlacement::Centre, &nBackColor);
}
VexiroStatus cImaging::RotateAngle(float nAngle) { return RotateAngleCore(nAngle, RotationPlacement::Bounds, nullptr); }
VexiroStatus cImaging::RotateAngleBackColor(float nAngle, EnumArg<Colors> nBackColor) {
  return RotateAngleCore(nAngle, RotationPlacement::Bounds, &nBackColor);
}

}  // namespace vexiro
