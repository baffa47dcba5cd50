// Filling and stroking paths on a graphics object, and the flat calls that build a path for each
// shape: lines, rectangles, ellipses, arcs, pies, polygons, Béziers and cardinal curves.
#include <cmath>
#include <new>

#include "platform/gdiplus/brush.h"
#include "platform/gdiplus/flat_call.h"
#include "platform/gdiplus/graphics.h"
#include "platform/gdiplus/graphics_render.h"
#include "platform/gdiplus/graphics_shapes.h"
#include "platform/gdiplus/path.h"

namespace vx::gdiplus {
namespace {

// The arrow-anchor cap: a triangle this many pen widths long and twice as wide as long is half.
constexpr double kArrowLength = 4.0;
constexpr double kArrowHalfWidth = 2.0;

cairo_fill_rule_t FillRule(const GpPath& path) {
  return path.fillMode == FillModeWinding ? CAIRO_FILL_RULE_WINDING : CAIRO_FILL_RULE_EVEN_ODD;
}

cairo_line_join_t Join(LineJoin join) {
  switch (join) {
    case LineJoinBevel: return CAIRO_LINE_JOIN_BEVEL;
    case LineJoinRound: return CAIRO_LINE_JOIN_ROUND;
    default: return CAIRO_LINE_JOIN_MITER;
  }
}

cairo_line_cap_t Cap(LineCap cap) {
  switch (cap) {
    case LineCapSquare: return CAIRO_LINE_CAP_SQUARE;
    case LineCapRound: return CAIRO_LINE_CAP_ROUND;
    default: return CAIRO_LINE_CAP_BUTT;
  }
}

GpRectF Inflate(GpRectF r, double by) {
  return {REAL(r.X - by), REAL(r.Y - by), REAL(r.Width + 2 * by), REAL(r.Height + 2 * by)};
}

// The triangle of an arrow-anchor cap with its tip on `tip`, pointing away from `from`; the
// stroke is shortened to the triangle's base so it never shows beyond the tip.
struct Arrow {
  GpPointF tip, left, right, base;
};

bool MakeArrow(const GpPointF& from, const GpPointF& tip, double width, Arrow& out) {
  const double dx = tip.X - from.X, dy = tip.Y - from.Y, length = std::hypot(dx, dy);
  if (length == 0) return false;
  const double ux = dx / length, uy = dy / length, l = kArrowLength * width, h = kArrowHalfWidth * width;
  const double bx = tip.X - ux * std::min(l, length), by = tip.Y - uy * std::min(l, length);
  out = {tip, {REAL(bx - uy * h), REAL(by + ux * h)}, {REAL(bx + uy * h), REAL(by - ux * h)}, {REAL(bx), REAL(by)}};
  return true;
}

// Builds a path with `build` and fills or strokes it; a build that returns false refuses the
// arguments.
template <class Build>
Status StrokeShape(GpGraphics* graphics, const GpPen* pen, Build build) {
  return OnObject(graphics, [&](GpGraphics& g) {
    if (!pen) return InvalidParameter;
    GpPath path;
    if (!build(path)) return InvalidParameter;
    return g.DrawPath(*pen, path);
  });
}

template <class Build>
Status FillShape(GpGraphics* graphics, const GpBrush* brush, Build build) {
  return OnObject(graphics, [&](GpGraphics& g) {
    if (!brush) return InvalidParameter;
    GpPath path;
    if (!build(path)) return InvalidParameter;
    return g.FillPath(*brush, path);
  });
}

bool Finite(std::initializer_list<REAL> values) {
  for (REAL v : values)
    if (!std::isfinite(v)) return false;
  return true;
}

// A path of one shape in a box (rectangle, ellipse), refused unless the box is finite.
auto InBox(const GpRectF& box, void (GpPath::*add)(const GpRectF&)) {
  return [=](GpPath& p) {
    (p.*add)(box);
    return Finite({box.X, box.Y, box.Width, box.Height});
  };
}

// The same for arcs and pies, whose angles must be finite too.
auto InBox(const GpRectF& box, REAL start, REAL sweep, void (GpPath::*add)(const GpRectF&, REAL, REAL)) {
  return [=](GpPath& p) {
    (p.*add)(box, start, sweep);
    return Finite({box.X, box.Y, box.Width, box.Height, start, sweep});
  };
}

}  // namespace

double GpGraphics::VectorOffset() const {
  if (pixelOffset == PixelOffsetModeHalf || pixelOffset == PixelOffsetModeHighQuality) return 0;
  const bool aliased = smoothing == SmoothingModeNone || smoothing == SmoothingModeDefault ||
                       smoothing == SmoothingModeHighSpeed;
  return aliased ? 0.5 - 1.0 / 256 : 0.5;
}

void GpGraphics::Antialias(cairo_t* cr, bool text) const {
  if (text) {
    const bool aliased = textHint == TextRenderingHintSingleBitPerPixel ||
                         textHint == TextRenderingHintSingleBitPerPixelGridFit;
    cairo_set_antialias(cr, aliased ? CAIRO_ANTIALIAS_NONE : CAIRO_ANTIALIAS_GRAY);
    return;
  }
  const bool smooth = smoothing == SmoothingModeAntiAlias || smoothing == SmoothingModeAntiAlias8x8 ||
                      smoothing == SmoothingModeHighQuality;
  cairo_set_antialias(cr, smooth ? CAIRO_ANTIALIAS_GRAY : CAIRO_ANTIALIAS_NONE);
}

Status GpGraphics::FillPath(const GpBrush& brush, const GpPath& path) {
  if (lentDc_) return ObjectBusy;
  if (path.Empty()) return Ok;
  return Render(
      Inflate(path.Bounds(), 1), false,
      [&](cairo_t* cr) {
        Antialias(cr, false);
        path.AppendTo(cr);
        cairo_set_fill_rule(cr, FillRule(path));
        brush.SetSource(cr);
        cairo_fill(cr);
      },
      true);
}

Status GpGraphics::DrawPath(const GpPen& pen, const GpPath& path) {
  if (lentDc_) return ObjectBusy;
  if (path.Empty()) return Ok;
  const cairo_matrix_t device = DeviceMatrix();
  const double scale = std::sqrt(std::fabs(device.xx * device.yy - device.xy * device.yx));
  if (!(scale > 0)) return Ok;
  // Pens in pixels keep their width whatever the transform; no pen is thinner than one pixel.
  double width = pen.unit == UnitWorld ? pen.width : pen.width * PixelsPerUnit(pen.unit, false) / scale;
  width = std::max(width, 1.0 / scale);
  GpPath stroked = path;
  Arrow arrow;
  GpPointF from, to;
  const bool arrowHead = pen.endCap == LineCapArrowAnchor && path.LastSegment(from, to) && MakeArrow(from, to, width, arrow);
  if (arrowHead && path.ops.back() == PathOp::Line) stroked.MoveLastPoint(arrow.base);
  const double reach = width * (kArrowLength + pen.miterLimit) + 2;
  return Render(
      Inflate(path.Bounds(), reach), false,
      [&](cairo_t* cr) {
        Antialias(cr, false);
        pen.brush->SetSource(cr);
        cairo_set_line_width(cr, width);
        cairo_set_line_cap(cr, Cap(pen.endCap));
        cairo_set_line_join(cr, Join(pen.join));
        cairo_set_miter_limit(cr, pen.miterLimit);
        stroked.AppendTo(cr);
        cairo_stroke(cr);
        if (arrowHead) {
          cairo_move_to(cr, arrow.tip.X, arrow.tip.Y);
          cairo_line_to(cr, arrow.left.X, arrow.left.Y);
          cairo_line_to(cr, arrow.right.X, arrow.right.Y);
          cairo_close_path(cr);
          cairo_fill(cr);
        }
      },
      true);
}

Status GpGraphics::SetClip(const GpRegion* region) {
  if (lentDc_) return ObjectBusy;
  if (!region || region->infinite) {
    clip_.reset();
    return Ok;
  }
  auto clip = std::make_unique<GpPath>(region->path);
  const cairo_matrix_t device = DeviceMatrix();
  for (GpPointF& p : clip->points) {
    double x = p.X, y = p.Y;
    cairo_matrix_transform_point(&device, &x, &y);
    p = {REAL(x), REAL(y)};
  }
  clip_ = std::move(clip);
  return Ok;
}

Status GdipFillPath(GpGraphics* graphics, const GpBrush* brush, const GpPath* path) {
  return FillShape(graphics, brush, [&](GpPath& p) {
    if (!path) return false;
    p = *path;
    return true;
  });
}

Status GdipDrawPath(GpGraphics* graphics, const GpPen* pen, const GpPath* path) {
  return StrokeShape(graphics, pen, [&](GpPath& p) {
    if (!path) return false;
    p = *path;
    return true;
  });
}

Status GdipDrawLine(GpGraphics* graphics, const GpPen* pen, REAL x1, REAL y1, REAL x2, REAL y2) {
  return StrokeShape(graphics, pen, [&](GpPath& p) {
    const GpPointF line[2] = {{x1, y1}, {x2, y2}};
    p.AddLines(line, 2);
    return Finite({x1, y1, x2, y2});
  });
}

Status GdipDrawLineI(GpGraphics* graphics, const GpPen* pen, INT x1, INT y1, INT x2, INT y2) {
  return GdipDrawLine(graphics, pen, REAL(x1), REAL(y1), REAL(x2), REAL(y2));
}

Status GdipDrawRectangle(GpGraphics* graphics, const GpPen* pen, REAL x, REAL y, REAL width, REAL height) {
  return StrokeShape(graphics, pen, InBox({x, y, width, height}, &GpPath::AddRectangle));
}

Status GdipDrawRectangleI(GpGraphics* graphics, const GpPen* pen, INT x, INT y, INT width, INT height) {
  return GdipDrawRectangle(graphics, pen, REAL(x), REAL(y), REAL(width), REAL(height));
}

Status GdipDrawRectangles(GpGraphics* graphics, const GpPen* pen, const GpRectF* rects, INT count) {
  return StrokeShape(graphics, pen, [&](GpPath& p) {
    if (!rects || count <= 0) return false;
    for (INT i = 0; i < count; ++i) p.AddRectangle(rects[i]);
    return true;
  });
}

Status GdipFillRectangle(GpGraphics* graphics, const GpBrush* brush, REAL x, REAL y, REAL width, REAL height) {
  const GpRectF r{x, y, width, height};
  return GdipFillRectangles(graphics, brush, &r, 1);
}

Status GdipFillRectangles(GpGraphics* graphics, const GpBrush* brush, const GpRectF* rects, INT count) {
  return FillShape(graphics, brush, [&](GpPath& p) {
    if (!rects || count <= 0) return false;
    p.fillMode = FillModeWinding;
    for (INT i = 0; i < count; ++i) p.AddRectangle(rects[i]);
    return true;
  });
}

Status GdipDrawEllipse(GpGraphics* graphics, const GpPen* pen, REAL x, REAL y, REAL width, REAL height) {
  return StrokeShape(graphics, pen, InBox({x, y, width, height}, &GpPath::AddEllipse));
}

Status GdipDrawEllipseI(GpGraphics* graphics, const GpPen* pen, INT x, INT y, INT width, INT height) {
  return GdipDrawEllipse(graphics, pen, REAL(x), REAL(y), REAL(width), REAL(height));
}

Status GdipFillEllipse(GpGraphics* graphics, const GpBrush* brush, REAL x, REAL y, REAL width, REAL height) {
  return FillShape(graphics, brush, InBox({x, y, width, height}, &GpPath::AddEllipse));
}

Status GdipFillEllipseI(GpGraphics* graphics, const GpBrush* brush, INT x, INT y, INT width, INT height) {
  return GdipFillEllipse(graphics, brush, REAL(x), REAL(y), REAL(width), REAL(height));
}

Status GdipDrawArc(GpGraphics* graphics, const GpPen* pen, REAL x, REAL y, REAL width, REAL height, REAL startAngle,
                   REAL sweepAngle) {
  return StrokeShape(graphics, pen, InBox({x, y, width, height}, startAngle, sweepAngle, &GpPath::AddArc));
}

Status GdipDrawArcI(GpGraphics* graphics, const GpPen* pen, INT x, INT y, INT width, INT height, REAL startAngle,
                    REAL sweepAngle) {
  return GdipDrawArc(graphics, pen, REAL(x), REAL(y), REAL(width), REAL(height), startAngle, sweepAngle);
}

Status GdipDrawPie(GpGraphics* graphics, const GpPen* pen, REAL x, REAL y, REAL width, REAL height, REAL startAngle,
                   REAL sweepAngle) {
  return StrokeShape(graphics, pen, InBox({x, y, width, height}, startAngle, sweepAngle, &GpPath::AddPie));
}

Status GdipFillPie(GpGraphics* graphics, const GpBrush* brush, REAL x, REAL y, REAL width, REAL height,
                   REAL startAngle, REAL sweepAngle) {
  return FillShape(graphics, brush, InBox({x, y, width, height}, startAngle, sweepAngle, &GpPath::AddPie));
}

Status GdipDrawBezierI(GpGraphics* graphics, const GpPen* pen, INT x1, INT y1, INT x2, INT y2, INT x3, INT y3, INT x4,
                       INT y4) {
  return StrokeShape(graphics, pen, [&](GpPath& p) {
    const GpPointF curve[4] = {{REAL(x1), REAL(y1)}, {REAL(x2), REAL(y2)}, {REAL(x3), REAL(y3)}, {REAL(x4), REAL(y4)}};
    p.AddBeziers(curve, 4);
    return true;
  });
}

Status GdipDrawCurve2I(GpGraphics* graphics, const GpPen* pen, const GpPoint* points, INT count, REAL tension) {
  return StrokeShape(graphics, pen, [&](GpPath& p) {
    const std::vector<GpPointF> f = ToPointsF(points, count, 2);
    if (f.empty() || !std::isfinite(tension)) return false;
    p.AddCurve(f.data(), f.size(), tension, false);
    return true;
  });
}

Status GdipDrawCurveI(GpGraphics* graphics, const GpPen* pen, const GpPoint* points, INT count) {
  return GdipDrawCurve2I(graphics, pen, points, count, 0.5f);
}

Status GdipDrawClosedCurve2I(GpGraphics* graphics, const GpPen* pen, const GpPoint* points, INT count, REAL tension) {
  return StrokeShape(graphics, pen, [&](GpPath& p) {
    const std::vector<GpPointF> f = ToPointsF(points, count, 3);
    if (f.empty() || !std::isfinite(tension)) return false;
    p.AddCurve(f.data(), f.size(), tension, true);
    return true;
  });
}

Status GdipDrawClosedCurveI(GpGraphics* graphics, const GpPen* pen, const GpPoint* points, INT count) {
  return GdipDrawClosedCurve2I(graphics, pen, points, count, 0.5f);
}

Status GdipFillClosedCurve2I(GpGraphics* graphics, const GpBrush* brush, const GpPoint* points, INT count,
                             REAL tension, FillMode fillMode) {
  return FillShape(graphics, brush, [&](GpPath& p) {
    const std::vector<GpPointF> f = ToPointsF(points, count, 3);
    if (f.empty() || !std::isfinite(tension) || (fillMode != FillModeAlternate && fillMode != FillModeWinding))
      return false;
    p.fillMode = fillMode;
    p.AddCurve(f.data(), f.size(), tension, true);
    return true;
  });
}

Status GdipDrawPolygonI(GpGraphics* graphics, const GpPen* pen, const GpPoint* points, INT count) {
  return StrokeShape(graphics, pen, [&](GpPath& p) {
    const std::vector<GpPointF> f = ToPointsF(points, count, 2);
    if (f.empty()) return false;
    p.AddPolygon(f.data(), f.size());
    return true;
  });
}

Status GdipFillPolygonI(GpGraphics* graphics, const GpBrush* brush, const GpPoint* points, INT count,
                        FillMode fillMode) {
  return FillShape(graphics, brush, [&](GpPath& p) {
    const std::vector<GpPointF> f = ToPointsF(points, count, 3);
    if (f.empty() || (fillMode != FillModeAlternate && fillMode != FillModeWinding)) return false;
    p.fillMode = fillMode;
    p.AddPolygon(f.data(), f.size());
    return true;
  });
}

Status GdipSetClipRegion(GpGraphics* graphics, GpRegion* region, INT combineMode) {
  return OnObject(graphics, [&](GpGraphics& g) {
    // Replacing the clip is supported, and intersecting while there is none yet, which is the
    // same thing.
    constexpr INT kReplace = 0, kIntersect = 1;
    if (!region) return InvalidParameter;
    if (combineMode != kReplace && !(combineMode == kIntersect && !g.HasClip())) return NotImplemented;
    return g.SetClip(region);
  });
}

Status GdipSetClipPath(GpGraphics* graphics, GpPath* path, INT combineMode) {
  if (!path) return InvalidParameter;
  GpRegion region;
  region.path = *path;
  region.infinite = false;
  return GdipSetClipRegion(graphics, &region, combineMode);
}

Status GdipResetClip(GpGraphics* graphics) {
  return OnObject(graphics, [](GpGraphics& g) { return g.SetClip(nullptr); });
}

Status GdipTranslateWorldTransform(GpGraphics* graphics, REAL dx, REAL dy, MatrixOrder order) {
  return OnObject(graphics, [&](GpGraphics& g) { return g.Translate(dx, dy, order); });
}

Status GdipScaleWorldTransform(GpGraphics* graphics, REAL sx, REAL sy, MatrixOrder order) {
  return OnObject(graphics, [&](GpGraphics& g) { return g.Scale(sx, sy, order); });
}

Status GdipResetWorldTransform(GpGraphics* graphics) {
  return OnObject(graphics, [](GpGraphics& g) {
    g.ResetTransform();
    return Ok;
  });
}

Status GdipTransformPoints(GpGraphics* graphics, CoordinateSpace destSpace, CoordinateSpace srcSpace, GpPointF* points,
                          INT count) {
  return OnObject(graphics, [&](GpGraphics& g) { return g.TransformPoints(destSpace, srcSpace, points, count); });
}

Status GdipSetPageUnit(GpGraphics* graphics, Unit unit) {
  return OnObject(graphics, [&](GpGraphics& g) {
    if (unit < UnitWorld || unit > UnitMillimeter || unit == UnitWorld) return InvalidParameter;
    g.pageUnit = unit;
    return Ok;
  });
}

Status GdipSetPageScale(GpGraphics* graphics, REAL scale) {
  return OnObject(graphics, [&](GpGraphics& g) {
    if (!std::isfinite(scale) || scale <= 0) return InvalidParameter;
    g.pageScale = scale;
    return Ok;
  });
}

Status GdipSetTextRenderingHint(GpGraphics* graphics, TextRenderingHint hint) {
  return OnObject(graphics, [&](GpGraphics& g) {
    if (hint < TextRenderingHintSystemDefault || hint > TextRenderingHintClearTypeGridFit) return InvalidParameter;
    g.textHint = hint;
    return Ok;
  });
}

Status GdipDrawImagePoints(GpGraphics* graphics, GpImage* image, const GpPointF* points, INT count) {
  return OnObject(graphics, [&](GpGraphics& g) {
    if (!image || !points) return InvalidParameter;
    if (count != 3) return count == 4 ? NotImplemented : InvalidParameter;
    const GpPointF corners[3] = {points[0], points[1], points[2]};
    return g.DrawImagePoints(image, corners);
  });
}

Status GdipDrawImagePointsI(GpGraphics* graphics, GpImage* image, const GpPoint* points, INT count) {
  const std::vector<GpPointF> f = ToPointsF(points, count, 1);
  return GdipDrawImagePoints(graphics, image, f.empty() ? nullptr : f.data(), count);
}

}  // namespace vx::gdiplus
