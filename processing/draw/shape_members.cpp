// The shape members: lines, curves, polygons, ellipses, rectangles, arcs and pies drawn straight
// onto the current image, and the members whose geometry is the library's own (circles by their
// centre, grids, rounded and rotated rectangles, gradient and textured lines, the spotlight).
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>

#include "engine/enumeration_values.h"
#include "engine/image_access.h"
#include "engine/image_store.h"
#include "engine/load/loader.h"
#include "processing/draw/draw_frame.h"
#include "processing/draw/gdiplus_wrappers.h"
#include "vexiro/imaging.h"

namespace vexiro {

namespace draw = vx::draw;
namespace engine = vx::engine;
using namespace vx::gdiplus;
// The platform's names where the public enumerations reuse them (UnitPixel, FillMode ...).
namespace gp = vx::gdiplus;

namespace {

ARGB Colour(int32_t argb) { return static_cast<ARGB>(argb); }

// A box from wide arithmetic; false when a number of it leaves the 32-bit range, where no image
// reaches and the integer calls cannot take it.
bool FitBox(int64_t x, int64_t y, int64_t width, int64_t height, GpRect& box) {
  const auto fits = [](int64_t v) { return v >= INT32_MIN && v <= INT32_MAX; };
  if (!fits(x) || !fits(y) || !fits(width) || !fits(height)) return false;
  box = {int32_t(x), int32_t(y), int32_t(width), int32_t(height)};
  return true;
}

// The square of a circle given by its centre: Int(d / 2) to the left and above it.
bool CircleBox(int32_t centreX, int32_t centreY, int32_t diameter, GpRect& box) {
  const auto half = static_cast<int64_t>(std::floor(diameter / 2.0));
  return FitBox(centreX - half, centreY - half, diameter, diameter, box);
}

// The box of the spotlight's ellipse, centred on (x, y).
bool SpotBox(int32_t x, int32_t y, int32_t radiusX, int32_t radiusY, GpRect& box) {
  return FitBox(int64_t{x} - radiusX, int64_t{y} - radiusY, 2 * int64_t{radiusX}, 2 * int64_t{radiusY}, box);
}

// A world coordinate rounded to an integer (halves to even); a value FitBox refuses when it is not
// finite or lies past the 64-bit range, which a conversion could not take.
int64_t RoundedOrOut(double value) {
  constexpr double kOut = 9.0e18;
  return std::isfinite(value) && std::fabs(value) < kOut ? static_cast<int64_t>(std::nearbyint(value))
                                                         : std::numeric_limits<int64_t>::max();
}

// What a member answers for a box no image can hold: no image comes first, as in every frame.
VexiroStatus OutOfRangeBox(int32_t image) { return image == 0 ? GenericError : InvalidParameter; }

// Grid lines at `from`, `from` + step .. up to `to`.
struct GridLines {
  int64_t from = 0, to = -1, step = 1;
};

// The grid lines of one direction that can touch the image: those at `first`, `first` + step ..
// up to `last` that lie within the pen's reach of 0 .. extent. A pen wider than twice the image's
// sides together reaches all of it from any line inside, so its reach is counted as no wider
// than that: an absurd pen or area then costs lines in proportion to the image, not to the
// numbers (only such pens, in a translucent colour, overlap less often than asked).
GridLines ClipGridLines(int64_t first, int64_t last, int64_t step, int64_t extent, int64_t reach) {
  GridLines lines{first, std::min(last, extent + reach), step};
  if (first < -reach) lines.from = first + (-reach - first + step - 1) / step * step;
  return lines;
}

// The part of a line's run from `a` to `b` (either way round) within the reach of 0 .. extent;
// false when none of it is.
bool ClipRun(int64_t a, int64_t b, int64_t extent, int64_t reach, int32_t& from, int32_t& to) {
  if (std::max(a, b) < -reach || std::min(a, b) > extent + reach) return false;
  from = int32_t(std::clamp(a, -reach, extent + reach));
  to = int32_t(std::clamp(b, -reach, extent + reach));
  return true;
}

// The outline of a rectangle with corners rounded by radius r (0 .. 90).
void RoundedRectanglePath(GpPath& path, int32_t x, int32_t y, int32_t width, int32_t height, float radius) {
  const float r = std::clamp(radius, 0.0f, 90.0f), d = 2 * r;
  const float left = float(x), top = float(y), right = float(x) + width, bottom = float(y) + height;
  const auto line = [&](float x1, float y1, float x2, float y2) { GdipAddPathLine(&path, x1, y1, x2, y2); };
  const auto arc = [&](float ax, float ay, float start) { GdipAddPathArc(&path, ax, ay, d, d, start, 90); };
  line(left + r, top, right - d, top);
  arc(right - d, top, 270);
  line(right, top + r, right, bottom - d);
  arc(right - d, bottom - d, 0);
  line(right - d, bottom, left + r, bottom);
  arc(left, bottom - d, 90);
  line(left, bottom - d, left, top + r);
  arc(left, top, 180);
}

// Rotates the world by `angle` about the device point (x, y) and gives that point in world space.
GpPointF RotateAbout(GpGraphics* g, float angle, int32_t x, int32_t y) {
  engine::RotateWorldTransform(g, angle, MatrixOrderAppend);
  GpPointF p{float(x), float(y)};
  GdipTransformPoints(g, CoordinateSpaceWorld, CoordinateSpaceDevice, &p, 1);
  return p;
}

// A pen made from a brush: the gradient and textured lines.
VexiroStatus StrokeWithBrush(draw::GraphicsPtr& g, GpBrush* brush, int32_t width,
                             const std::function<Status(GpGraphics*, GpPen*)>& draw) {
  draw::PenPtr pen;
  if (VexiroStatus s = draw::MakeInto(pen, [&](GpPen** p) { return GdipCreatePen2(brush, float(width), gp::UnitPixel, p); });
      s != OK)
    return s;
  return engine::ToStatus(draw(g.get(), pen.get()));
}

VexiroStatus GradientLine(int32_t image, const GpPoint& from, const GpPoint& to, int32_t width, int32_t startColor,
                          int32_t endColor, bool antiAlias, const std::function<Status(GpGraphics*, GpPen*)>& draw) {
  draw::GraphicsPtr g;
  if (VexiroStatus s = draw::OpenGraphics(image, g); s != OK) return s;
  draw::SetAntiAlias(g.get(), antiAlias);
  draw::BrushPtr brush;
  if (VexiroStatus s = draw::MakeInto(brush, [&](GpBrush** b) {
        return GdipCreateLineBrushI(&from, &to, Colour(startColor), Colour(endColor), WrapModeTile, b);
      });
      s != OK)
    return s;
  return StrokeWithBrush(g, brush.get(), width, draw);
}

}  // namespace

#define VX_KEEP(expr) (nStat = (expr))

VexiroStatus cImaging::DrawArc(int32_t nDstLeft, int32_t nDstTop, int32_t nWidth, int32_t nHeight, float nStartAngle,
                               float nSweepAngle, int32_t nPenWidth, EnumArg<Colors> nColorARGB, bool bAntiAlias) {
  return nStat = draw::StrokeOnImage(nNativeImage, bAntiAlias, Colour(nColorARGB), float(nPenWidth), [&](auto g, auto p) {
           return GdipDrawArcI(g, p, nDstLeft, nDstTop, nWidth, nHeight, nStartAngle, nSweepAngle);
         });
}

VexiroStatus cImaging::DrawBezier(int32_t nLeft1, int32_t nTop1, int32_t nLeft2, int32_t nTop2, int32_t nLeft3,
                                  int32_t nTop3, int32_t nLeft4, int32_t nTop4, int32_t nPenWidth,
                                  EnumArg<Colors> nColorARGB,
                                  bool bAntiAlias) {
  return nStat = draw::StrokeOnImage(nNativeImage, bAntiAlias, Colour(nColorARGB), float(nPenWidth), [&](auto g, auto p) {
           return GdipDrawBezierI(g, p, nLeft1, nTop1, nLeft2, nTop2, nLeft3, nTop3, nLeft4, nTop4);
         });
}

VexiroStatus cImaging::DrawCircle(int32_t nDstLeft, int32_t nDstTop, int32_t nDiameter, EnumArg<Colors> nColorARGB,
                                  int32_t nPenWidth, bool bAntiAlias) {
  GpRect box;
  if (!CircleBox(nDstLeft, nDstTop, nDiameter, box)) return nStat = OutOfRangeBox(nNativeImage);
  return nStat = draw::StrokeOnImage(nNativeImage, bAntiAlias, Colour(nColorARGB), float(nPenWidth), [&](auto g, auto p) {
           return GdipDrawEllipseI(g, p, box.X, box.Y, box.Width, box.Height);
         });
}

VexiroStatus cImaging::DrawFillClosedCurves(BasicArray<int32_t>& ArPoints, EnumArg<Colors> nColorARGB, float nTension,
                                            EnumArg<FillMode> nFillMode, bool bAntiAlias) {
  if (RefusesValueOutside(nFillMode)) return InvalidParameter;
  const draw::PointList list = draw::PointsOf(ArPoints);
  return nStat = draw::FillOnImage(nNativeImage, bAntiAlias, Colour(nColorARGB), [&](auto g, auto b) {
           return GdipFillClosedCurve2I(g, b, list.points.data(), list.count, nTension, gp::FillMode(nFillMode));
         });
}

VexiroStatus cImaging::DrawClosedCurves(BasicArray<int32_t>& ArPoints, int32_t nPenWidth, EnumArg<Colors> nColorARGB,
                                        bool bAntiAlias) {
  const draw::PointList list = draw::PointsOf(ArPoints);
  return nStat = draw::StrokeOnImage(nNativeImage, bAntiAlias, Colour(nColorARGB), float(nPenWidth), [&](auto g, auto p) {
           return GdipDrawClosedCurveI(g, p, list.points.data(), list.count);
         });
}

VexiroStatus cImaging::DrawCurves(BasicArray<int32_t>& ArPoints, int32_t nPenWidth, EnumArg<Colors> nColorARGB,
                                  bool bAntiAlias) {
  const draw::PointList list = draw::PointsOf(ArPoints);
  return nStat = draw::StrokeOnImage(nNativeImage, bAntiAlias, Colour(nColorARGB), float(nPenWidth), [&](auto g, auto p) {
           return GdipDrawCurveI(g, p, list.points.data(), list.count);
         });
}

VexiroStatus cImaging::DrawPolygon(BasicArray<int32_t>& ArPoints, int32_t nPenWidth, EnumArg<Colors> nColorARGB,
                                   bool bAntiAlias) {
  const draw::PointList list = draw::PointsOf(ArPoints);
  return nStat = draw::StrokeOnImage(nNativeImage, bAntiAlias, Colour(nColorARGB), float(nPenWidth), [&](auto g, auto p) {
           return GdipDrawPolygonI(g, p, list.points.data(), list.count);
         });
}

VexiroStatus cImaging::DrawFillPolygon(BasicArray<int32_t>& ArPoints, EnumArg<Colors> nColorARGB,
                                       EnumArg<FillMode> nFillMode,
                                       bool bAntiAlias) {
  if (RefusesValueOutside(nFillMode)) return InvalidParameter;
  const draw::PointList list = draw::PointsOf(ArPoints);
  return nStat = draw::FillOnImage(nNativeImage, bAntiAlias, Colour(nColorARGB), [&](auto g, auto b) {
           return GdipFillPolygonI(g, b, list.points.data(), list.count, gp::FillMode(nFillMode));
         });
}

VexiroStatus cImaging::DrawEllipse(int32_t nDstLeft, int32_t nDstTop, int32_t nWidth, int32_t nHeight,
                                   EnumArg<Colors> nColorARGB, int32_t nPenWidth, bool bAntiAlias) {
  return nStat = draw::StrokeOnImage(nNativeImage, bAntiAlias, Colour(nColorARGB), float(nPenWidth), [&](auto g, auto p) {
           return GdipDrawEllipseI(g, p, nDstLeft, nDstTop, nWidth, nHeight);
         });
}

VexiroStatus cImaging::DrawFillCircle(int32_t nDstLeft, int32_t nDstTop, int32_t nDiameter, EnumArg<Colors> nColorARGB,
                                      bool bAntiAlias) {
  GpRect box;
  if (!CircleBox(nDstLeft, nDstTop, nDiameter, box)) return nStat = OutOfRangeBox(nNativeImage);
  return nStat = draw::FillOnImage(nNativeImage, bAntiAlias, Colour(nColorARGB), [&](auto g, auto b) {
           return GdipFillEllipseI(g, b, box.X, box.Y, box.Width, box.Height);
         });
}

VexiroStatus cImaging::DrawFillEllipse(int32_t nDstLeft, int32_t nDstTop, int32_t nWidth, int32_t nHeight,
                                       EnumArg<Colors> nColorARGB, bool bAntiAlias) {
  return nStat = draw::FillOnImage(nNativeImage, bAntiAlias, Colour(nColorARGB), [&](auto g, auto b) {
           return GdipFillEllipseI(g, b, nDstLeft, nDstTop, nWidth, nHeight);
         });
}

VexiroStatus cImaging::DrawFillRectangle(int32_t nDstLeft, int32_t nDstTop, int32_t nWidth, int32_t nHeight,
                                         EnumArg<Colors> nColorARGB, bool bAntiAlias) {
  const GpRectF r{float(nDstLeft), float(nDstTop), float(nWidth), float(nHeight)};
  return nStat = draw::FillOnImage(nNativeImage, bAntiAlias, Colour(nColorARGB),
                                   [&](auto g, auto b) { return GdipFillRectangles(g, b, &r, 1); });
}

VexiroStatus cImaging::DrawGradientCurves(BasicArray<int32_t>& ArPoints, int32_t nPenWidth, EnumArg<Colors> nStartColor,
                                          int32_t& nEndColor, bool bAntiAlias) {
  const draw::PointList list = draw::PointsOf(ArPoints);
  const GpPoint first = list.points.front();
  const GpPoint last = list.count > 1 ? list.points.back() : GpPoint{0, 0};
  return nStat = GradientLine(nNativeImage, first, last, nPenWidth, nStartColor, nEndColor, bAntiAlias,
                              [&](GpGraphics* g, GpPen* p) { return GdipDrawCurveI(g, p, list.points.data(), list.count); });
}

VexiroStatus cImaging::DrawGradientLine(int32_t nSrcLeft, int32_t nSrcTop, int32_t nDstLeft, int32_t nDstTop,
                                        int32_t nPenWidth, EnumArg<Colors> nStartColor, EnumArg<Colors> nEndColor,
                                        bool bAntiAlias) {
  return nStat = GradientLine(nNativeImage, {nSrcLeft, nSrcTop}, {nDstLeft, nDstTop}, nPenWidth, nStartColor, nEndColor,
                              bAntiAlias, [&](GpGraphics* g, GpPen* p) {
                                return GdipDrawLineI(g, p, nSrcLeft, nSrcTop, nDstLeft, nDstTop);
                              });
}

// The first line that fails decides the status; without a failure it is the pen's. Only the
// lines that can reach the image are drawn, and only as far as they can reach it: the same
// pixels, in time that follows the image rather than the numbers asked for.
VexiroStatus cImaging::DrawGrid(int32_t nDstLeft, int32_t nDstTop, int32_t nWidth, int32_t nHeight,
                                int32_t nHorizontalStep, int32_t nVerticalStep, int32_t nPenWidth,
                                EnumArg<Colors> nColorARGB) {
  const int64_t stepX = nHorizontalStep > 0 ? nHorizontalStep : 2, stepY = nVerticalStep > 0 ? nVerticalStep : 2;
  const int64_t right = int64_t(nDstLeft) + nWidth, bottom = int64_t(nDstTop) + nHeight;
  draw::GraphicsPtr g;
  VexiroStatus s = draw::OpenGraphics(nNativeImage, g);
  draw::PenPtr pen;
  if (s == OK)
    s = draw::MakeInto(pen, [&](GpPen** p) { return GdipCreatePen1(Colour(nColorARGB), float(nPenWidth), gp::UnitPixel, p); });
  int32_t imageWidth = 0, imageHeight = 0;
  if (s == OK) s = engine::GetImageWidth(nNativeImage, imageWidth);
  if (s == OK) s = engine::GetImageHeight(nNativeImage, imageHeight);
  // Half the pen, a pixel of rounding and a pixel of smoothing on either side.
  const int64_t reach = std::min<int64_t>(std::max(nPenWidth, 1), 2 * (int64_t{imageWidth} + imageHeight)) / 2 + 2;
  int32_t from = 0, to = 0;
  const GridLines columns = ClipGridLines(nDstLeft, right, stepX, imageWidth, reach);
  if (ClipRun(nDstTop, bottom, imageHeight, reach, from, to))
    for (int64_t x = columns.from; s == OK && x <= columns.to; x += columns.step)
      s = engine::ToStatus(GdipDrawLineI(g.get(), pen.get(), int32_t(x), from, int32_t(x), to));
  const GridLines rows = ClipGridLines(nDstTop, bottom, stepY, imageHeight, reach);
  if (ClipRun(nDstLeft, right, imageWidth, reach, from, to))
    for (int64_t y = rows.from; s == OK && y <= rows.to; y += rows.step)
      s = engine::ToStatus(GdipDrawLineI(g.get(), pen.get(), from, int32_t(y), to, int32_t(y)));
  return nStat = s;
}

VexiroStatus cImaging::DrawLine(int32_t nSrcLeft, int32_t nSrcTop, int32_t nDstLeft, int32_t nDstTop,
                                int32_t nPenWidth, EnumArg<Colors> nColorARGB, bool bAntiAlias) {
  return nStat = draw::StrokeOnImage(nNativeImage, bAntiAlias, Colour(nColorARGB), float(nPenWidth), [&](auto g, auto p) {
           return GdipDrawLineI(g, p, nSrcLeft, nSrcTop, nDstLeft, nDstTop);
         });
}

VexiroStatus cImaging::DrawLineArrow(int32_t nSrcLeft, int32_t nSrcTop, int32_t nDstLeft, int32_t nDstTop,
                                     int32_t nPenWidth, EnumArg<Colors> nColorARGB, bool bAntiAlias) {
  return nStat = draw::StrokeOnImage(nNativeImage, bAntiAlias, Colour(nColorARGB), float(nPenWidth), [&](auto g, auto p) {
           GdipSetPenEndCap(p, LineCapArrowAnchor);
           return GdipDrawLineI(g, p, nSrcLeft, nSrcTop, nDstLeft, nDstTop);
         });
}

VexiroStatus cImaging::DrawRoundedRectangle(int32_t nDstLeft, int32_t nDstTop, int32_t nWidth, int32_t nHeight,
                                            float nRadius, int32_t nPenWidth, EnumArg<Colors> nColorARGB,
                                            bool bAntiAlias) {
  GpPath path;
  path.fillMode = gp::FillModeWinding;
  RoundedRectanglePath(path, nDstLeft, nDstTop, nWidth, nHeight, nRadius);
  return nStat = draw::StrokeOnImage(nNativeImage, bAntiAlias, Colour(nColorARGB), float(nPenWidth),
                                     [&](auto g, auto p) { return GdipDrawPath(g, p, &path); });
}

VexiroStatus cImaging::DrawFillRoundedRectangle(int32_t nDstLeft, int32_t nDstTop, int32_t nWidth, int32_t nHeight,
                                                float nRadius, EnumArg<Colors> nColorARGB, bool bAntiAlias) {
  GpPath path;
  path.fillMode = gp::FillModeWinding;
  RoundedRectanglePath(path, nDstLeft, nDstTop, nWidth, nHeight, nRadius);
  return nStat = draw::FillOnImage(nNativeImage, bAntiAlias, Colour(nColorARGB),
                                   [&](auto g, auto b) { return GdipFillPath(g, b, &path); });
}

VexiroStatus cImaging::DrawRectangle(int32_t nDstLeft, int32_t nDstTop, int32_t nWidth, int32_t nHeight,
                                     int32_t nPenWidth, EnumArg<Colors> nColorARGB, bool bAntiAlias) {
  return nStat = draw::StrokeOnImage(nNativeImage, bAntiAlias, Colour(nColorARGB), float(nPenWidth), [&](auto g, auto p) {
           return GdipDrawRectangleI(g, p, nDstLeft, nDstTop, nWidth, nHeight);
         });
}

VexiroStatus cImaging::DrawPie(int32_t nDstLeft, int32_t nDstTop, int32_t nWidth, int32_t nHeight, float nStartAngle,
                               float nSweepAngle, int32_t nPenWidth, EnumArg<Colors> nColorARGB, bool bAntiAlias) {
  return nStat = draw::StrokeOnImage(nNativeImage, bAntiAlias, Colour(nColorARGB), float(nPenWidth), [&](auto g, auto p) {
           return GdipDrawPie(g, p, float(nDstLeft), float(nDstTop), float(nWidth), float(nHeight), nStartAngle,
                              nSweepAngle);
         });
}

VexiroStatus cImaging::DrawFillPie(int32_t nDstLeft, int32_t nDstTop, int32_t nWidth, int32_t nHeight,
                                   float nStartAngle, float nSweepAngle, EnumArg<Colors> nColorARGB, bool bAntiAlias) {
  return nStat = draw::FillOnImage(nNativeImage, bAntiAlias, Colour(nColorARGB), [&](auto g, auto b) {
           return GdipFillPie(g, b, float(nDstLeft), float(nDstTop), float(nWidth), float(nHeight), nStartAngle,
                              nSweepAngle);
         });
}

VexiroStatus cImaging::DrawRotatedFillRectangle(float nAngle, int32_t nDstLeft, int32_t nDstTop, int32_t nWidth,
                                                int32_t nHeight, EnumArg<Colors> nColorARGB, bool bAntiAlias) {
  return nStat = draw::FillOnImage(nNativeImage, bAntiAlias, Colour(nColorARGB), [&](auto g, auto b) {
           const GpPointF at = RotateAbout(g, nAngle, nDstLeft, nDstTop);
           const GpRectF r{at.X, at.Y, float(nWidth), float(nHeight)};
           return GdipFillRectangles(g, b, &r, 1);
         });
}

VexiroStatus cImaging::DrawRotatedRectangle(float nAngle, int32_t nDstLeft, int32_t nDstTop, int32_t nWidth,
                                            int32_t nHeight, int32_t nPenWidth, EnumArg<Colors> nColorARGB,
                                            bool bAntiAlias) {
  return nStat = draw::StrokeOnImage(nNativeImage, bAntiAlias, Colour(nColorARGB), float(nPenWidth), [&](auto g, auto p) {
           const GpPointF at = RotateAbout(g, nAngle, nDstLeft, nDstTop);
           GpRect box;
           if (!FitBox(RoundedOrOut(at.X), RoundedOrOut(at.Y), nWidth, nHeight, box))
             return vx::gdiplus::InvalidParameter;
           return GdipDrawRectangleI(g, p, box.X, box.Y, box.Width, box.Height);
         });
}

VexiroStatus cImaging::DrawSpotLight(int32_t nDstLeft, int32_t nDstTop, int32_t nRadiusX, int32_t nRadiusY,
                                     int32_t nHotX, int32_t nHotY, float nFocusScale, EnumArg<Colors> nStartColor,
                                     EnumArg<Colors> nEndColor) {
  draw::GraphicsPtr g;
  if (VexiroStatus s = draw::OpenGraphics(nNativeImage, g); s != OK) return nStat = s;
  GpRect box;
  if (!SpotBox(nDstLeft, nDstTop, nRadiusX, nRadiusY, box)) return nStat = InvalidParameter;
  draw::SetAntiAlias(g.get(), true);
  GpPath path;
  path.fillMode = gp::FillModeWinding;
  GdipAddPathEllipseI(&path, box.X, box.Y, box.Width, box.Height);
  draw::BrushPtr brush;
  VexiroStatus s = draw::MakeInto(brush, [&](GpBrush** b) { return GdipCreatePathGradientFromPath(&path, b); });
  if (s != OK) return nStat = s;
  const GpPoint hot{nHotX, nHotY};
  const ARGB surround = Colour(nEndColor);
  INT count = 1;
  GdipSetPathGradientCenterColor(brush.get(), Colour(nStartColor));
  GdipSetPathGradientCenterPointI(brush.get(), &hot);
  GdipSetPathGradientFocusScales(brush.get(), nFocusScale, nFocusScale);
  GdipSetPathGradientSurroundColorsWithCount(brush.get(), &surround, &count);
  return nStat = engine::ToStatus(GdipFillPath(g.get(), brush.get(), &path));
}

VexiroStatus cImaging::DrawTexturedLine(int32_t nSrcLeft, int32_t nSrcTop, int32_t nDstLeft, int32_t nDstTop,
                                        int32_t nPenWidth, const std::string& sTextureFilePath, bool bAntiAlias) {
  if (RefusesCutPath(sTextureFilePath)) return InvalidParameter;
  draw::GraphicsPtr g;
  // The graphics request answers for a missing current image with its own status.
  GpGraphics* raw = nullptr;
  VexiroStatus s = engine::GetImageGraphics(nNativeImage, raw);
  g.reset(raw);
  if (s != OK) return nStat = s;
  draw::SetAntiAlias(g.get(), bAntiAlias);
  engine::ScopedImage texture;
  s = engine::LoadImageFromFile(*texture.put(), sTextureFilePath, {.DisablePlugin = bDisableVximgplugCodecs});
  if (s != OK) return nStat = s;
  draw::BrushPtr brush;
  s = draw::MakeInto(brush, [&](GpBrush** b) { return draw::CreateTexture(texture.get(), WrapModeTile, *b); });
  if (s != OK) return nStat = s;
  return nStat = StrokeWithBrush(g, brush.get(), nPenWidth, [&](GpGraphics* gr, GpPen* p) {
           return GdipDrawLineI(gr, p, nSrcLeft, nSrcTop, nDstLeft, nDstTop);
         });
}

}  // namespace vexiro
