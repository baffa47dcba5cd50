#include "platform/gdiplus/path.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <new>

#include "platform/gdiplus/flat_call.h"

namespace vx::gdiplus {
namespace {

constexpr double kDegrees = M_PI / 180.0;

// The parametric angle of the point that a ray at polar angle `theta` meets on an ellipse of
// radii rx, ry. The two never differ by a quarter turn or more, so unwrapping against the polar
// angle keeps the result continuous over any sweep.
double ParametricAngle(double theta, double rx, double ry) {
  const double t = std::atan2(rx * std::sin(theta), ry * std::cos(theta));
  return theta + std::remainder(t - theta, 2 * M_PI);
}

GpPointF EllipsePoint(double cx, double cy, double rx, double ry, double t) {
  return {REAL(cx + rx * std::cos(t)), REAL(cy + ry * std::sin(t))};
}

bool FiniteBox(const GpRectF& r) {
  return std::isfinite(r.X) && std::isfinite(r.Y) && std::isfinite(r.Width) && std::isfinite(r.Height);
}

Status AddBox(GpPath* path, const GpRectF& box, void (GpPath::*add)(const GpRectF&)) {
  return OnObject(path, [&](GpPath& p) {
    if (!FiniteBox(box)) return InvalidParameter;
    (p.*add)(box);
    return Ok;
  });
}

Status AddPoints(GpPath* path, const GpPointF* points, INT count, INT minimum,
                 void (GpPath::*add)(const GpPointF*, size_t)) {
  return OnObject(path, [&](GpPath& p) {
    if (!points || count < minimum) return InvalidParameter;
    (p.*add)(points, static_cast<size_t>(count));
    return Ok;
  });
}

}  // namespace

void GpPath::Connect(const GpPointF& p) {
  if (newFigure_) {
    ops.push_back(PathOp::Move);
    newFigure_ = false;
  } else {
    ops.push_back(PathOp::Line);
  }
  points.push_back(p);
}

void GpPath::CloseFigure() {
  if (!ops.empty() && ops.back() != PathOp::Close) ops.push_back(PathOp::Close);
  newFigure_ = true;
}

void GpPath::AddLines(const GpPointF* p, size_t count) {
  for (size_t i = 0; i < count; ++i) Connect(p[i]);
}

void GpPath::AddBeziers(const GpPointF* p, size_t count) {
  if (count == 0) return;
  Connect(p[0]);
  for (size_t i = 1; i + 2 < count; i += 3) {
    ops.push_back(PathOp::Cubic);
    points.insert(points.end(), p + i, p + i + 3);
  }
}

void GpPath::AddArc(const GpRectF& box, REAL startAngle, REAL sweepAngle) {
  const double rx = box.Width / 2.0, ry = box.Height / 2.0, cx = box.X + rx, cy = box.Y + ry;
  const double sweep = std::clamp<double>(sweepAngle, -360.0, 360.0);
  const double t0 = ParametricAngle(startAngle * kDegrees, rx, ry);
  const double t1 = ParametricAngle((startAngle + sweep) * kDegrees, rx, ry);
  const int segments = std::max(1, int(std::ceil(std::fabs(t1 - t0) / (M_PI / 2) - 1e-9)));
  const double step = (t1 - t0) / segments, k = 4.0 / 3.0 * std::tan(step / 4);
  Connect(EllipsePoint(cx, cy, rx, ry, t0));
  for (int i = 0; i < segments; ++i) {
    const double a = t0 + i * step, b = a + step;
    ops.push_back(PathOp::Cubic);
    points.push_back({REAL(cx + rx * (std::cos(a) - k * std::sin(a))), REAL(cy + ry * (std::sin(a) + k * std::cos(a)))});
    points.push_back({REAL(cx + rx * (std::cos(b) + k * std::sin(b))), REAL(cy + ry * (std::sin(b) - k * std::cos(b)))});
    points.push_back(EllipsePoint(cx, cy, rx, ry, b));
  }
}

void GpPath::AddEllipse(const GpRectF& box) {
  StartFigure();
  AddArc(box, 0, 360);
  CloseFigure();
}

void GpPath::AddPie(const GpRectF& box, REAL startAngle, REAL sweepAngle) {
  StartFigure();
  Connect({REAL(box.X + box.Width / 2.0), REAL(box.Y + box.Height / 2.0)});
  AddArc(box, startAngle, sweepAngle);
  CloseFigure();
}

void GpPath::AddPolygon(const GpPointF* p, size_t count) {
  StartFigure();
  AddLines(p, count);
  CloseFigure();
}

void GpPath::AddRectangle(const GpRectF& r) {
  const GpPointF corners[4] = {{r.X, r.Y}, {r.X + r.Width, r.Y}, {r.X + r.Width, r.Y + r.Height}, {r.X, r.Y + r.Height}};
  AddPolygon(corners, 4);
}

void GpPath::AddCurve(const GpPointF* p, size_t count, REAL tension, bool closed) {
  if (count == 0) return;
  const auto at = [&](ptrdiff_t i) {
    const ptrdiff_t n = static_cast<ptrdiff_t>(count);
    if (closed) return p[((i % n) + n) % n];
    return p[std::clamp<ptrdiff_t>(i, 0, n - 1)];
  };
  const double f = tension / 3.0;
  if (closed) StartFigure();
  Connect(p[0]);
  const size_t segments = closed ? count : count - 1;
  for (size_t i = 0; i < segments; ++i) {
    const ptrdiff_t k = static_cast<ptrdiff_t>(i);
    const GpPointF a = at(k), b = at(k + 1), before = at(k - 1), after = at(k + 2);
    ops.push_back(PathOp::Cubic);
    points.push_back({REAL(a.X + f * (b.X - before.X)), REAL(a.Y + f * (b.Y - before.Y))});
    points.push_back({REAL(b.X - f * (after.X - a.X)), REAL(b.Y - f * (after.Y - a.Y))});
    points.push_back(b);
  }
  if (closed) CloseFigure();
}

GpRectF GpPath::Bounds() const {
  if (points.empty()) return {};
  double minX = std::numeric_limits<double>::max(), minY = minX, maxX = -minX, maxY = -minX;
  for (const GpPointF& p : points) {
    minX = std::min<double>(minX, p.X);
    maxX = std::max<double>(maxX, p.X);
    minY = std::min<double>(minY, p.Y);
    maxY = std::max<double>(maxY, p.Y);
  }
  return {REAL(minX), REAL(minY), REAL(maxX - minX), REAL(maxY - minY)};
}

void GpPath::AppendTo(cairo_t* cr) const {
  size_t k = 0;
  for (PathOp op : ops) {
    switch (op) {
      case PathOp::Move: cairo_move_to(cr, points[k].X, points[k].Y); ++k; break;
      case PathOp::Line: cairo_line_to(cr, points[k].X, points[k].Y); ++k; break;
      case PathOp::Cubic:
        cairo_curve_to(cr, points[k].X, points[k].Y, points[k + 1].X, points[k + 1].Y, points[k + 2].X,
                       points[k + 2].Y);
        k += 3;
        break;
      case PathOp::Close: cairo_close_path(cr); break;
    }
  }
}

bool GpPath::LastSegment(GpPointF& from, GpPointF& to) const {
  if (ops.empty() || ops.back() == PathOp::Close || points.size() < 2) return false;
  to = points.back();
  from = points[points.size() - 2];
  return true;
}

Status GdipCreatePath(FillMode fillMode, GpPath** path) {
  if (!GdiplusIsRunning()) return GdiplusNotInitialized;
  if (!path || (fillMode != FillModeAlternate && fillMode != FillModeWinding)) return InvalidParameter;
  *path = new (std::nothrow) GpPath;
  if (!*path) return OutOfMemory;
  (*path)->fillMode = fillMode;
  return Ok;
}

Status GdipDeletePath(GpPath* path) { return DeleteOwned(path); }

Status GdipSetPathFillMode(GpPath* path, FillMode fillMode) {
  return OnObject(path, [fillMode](GpPath& p) {
    if (fillMode != FillModeAlternate && fillMode != FillModeWinding) return InvalidParameter;
    p.fillMode = fillMode;
    return Ok;
  });
}

Status GdipStartPathFigure(GpPath* path) {
  return OnObject(path, [](GpPath& p) {
    p.StartFigure();
    return Ok;
  });
}

Status GdipClosePathFigure(GpPath* path) {
  return OnObject(path, [](GpPath& p) {
    p.CloseFigure();
    return Ok;
  });
}

Status GdipAddPathLine(GpPath* path, REAL x1, REAL y1, REAL x2, REAL y2) {
  const GpPointF line[2] = {{x1, y1}, {x2, y2}};
  return AddPoints(path, line, 2, 2, &GpPath::AddLines);
}

Status GdipAddPathLineI(GpPath* path, INT x1, INT y1, INT x2, INT y2) {
  return GdipAddPathLine(path, REAL(x1), REAL(y1), REAL(x2), REAL(y2));
}

Status GdipAddPathArc(GpPath* path, REAL x, REAL y, REAL width, REAL height, REAL startAngle, REAL sweepAngle) {
  return OnObject(path, [&](GpPath& p) {
    if (!FiniteBox({x, y, width, height}) || !std::isfinite(startAngle) || !std::isfinite(sweepAngle))
      return InvalidParameter;
    p.AddArc({x, y, width, height}, startAngle, sweepAngle);
    return Ok;
  });
}

Status GdipAddPathBezier(GpPath* path, REAL x1, REAL y1, REAL x2, REAL y2, REAL x3, REAL y3, REAL x4, REAL y4) {
  const GpPointF curve[4] = {{x1, y1}, {x2, y2}, {x3, y3}, {x4, y4}};
  return AddPoints(path, curve, 4, 4, &GpPath::AddBeziers);
}

Status GdipAddPathEllipse(GpPath* path, REAL x, REAL y, REAL width, REAL height) {
  return AddBox(path, {x, y, width, height}, &GpPath::AddEllipse);
}

Status GdipAddPathEllipseI(GpPath* path, INT x, INT y, INT width, INT height) {
  return GdipAddPathEllipse(path, REAL(x), REAL(y), REAL(width), REAL(height));
}

Status GdipAddPathRectangle(GpPath* path, REAL x, REAL y, REAL width, REAL height) {
  return AddBox(path, {x, y, width, height}, &GpPath::AddRectangle);
}

Status GdipAddPathPie(GpPath* path, REAL x, REAL y, REAL width, REAL height, REAL startAngle, REAL sweepAngle) {
  return OnObject(path, [&](GpPath& p) {
    if (!FiniteBox({x, y, width, height}) || !std::isfinite(startAngle) || !std::isfinite(sweepAngle))
      return InvalidParameter;
    p.AddPie({x, y, width, height}, startAngle, sweepAngle);
    return Ok;
  });
}

Status GdipAddPathPolygon(GpPath* path, const GpPointF* points, INT count) {
  return AddPoints(path, points, count, 3, &GpPath::AddPolygon);
}

Status GdipAddPathPolygonI(GpPath* path, const GpPoint* points, INT count) {
  const std::vector<GpPointF> p = ToPointsF(points, count, 3);
  return GdipAddPathPolygon(path, p.empty() ? nullptr : p.data(), count);
}

Status GdipAddPathCurve2(GpPath* path, const GpPointF* points, INT count, REAL tension) {
  return OnObject(path, [&](GpPath& p) {
    if (!points || count < 2 || !std::isfinite(tension)) return InvalidParameter;
    p.AddCurve(points, static_cast<size_t>(count), tension, false);
    return Ok;
  });
}

Status GdipAddPathClosedCurve2(GpPath* path, const GpPointF* points, INT count, REAL tension) {
  return OnObject(path, [&](GpPath& p) {
    if (!points || count < 3 || !std::isfinite(tension)) return InvalidParameter;
    p.AddCurve(points, static_cast<size_t>(count), tension, true);
    return Ok;
  });
}

namespace {

// A region with the path's outline, or the infinite region without a path.
Status NewRegion(const GpPath* path, GpRegion** region) {
  if (!GdiplusIsRunning()) return GdiplusNotInitialized;
  if (!region) return InvalidParameter;
  try {
    auto* r = new GpRegion;
    if (path) {
      r->path = *path;
      r->infinite = false;
    }
    *region = r;
    return Ok;
  } catch (const std::bad_alloc&) {
    return OutOfMemory;
  }
}

}  // namespace

Status GdipCreateRegion(GpRegion** region) { return NewRegion(nullptr, region); }

Status GdipCreateRegionPath(const GpPath* path, GpRegion** region) {
  if (!GdiplusIsRunning()) return GdiplusNotInitialized;
  if (!path) return InvalidParameter;
  return NewRegion(path, region);
}

Status GdipDeleteRegion(GpRegion* region) { return DeleteOwned(region); }

std::vector<GpPointF> ToPointsF(const GpPoint* points, INT count, INT minimum) {
  std::vector<GpPointF> out;
  if (!points || count < minimum || count < 0) return out;
  out.reserve(static_cast<size_t>(count));
  for (INT i = 0; i < count; ++i) out.push_back({REAL(points[i].X), REAL(points[i].Y)});
  return out;
}

}  // namespace vx::gdiplus
