// Paths and regions of the imaging platform: figures of lines and cubic Béziers that shapes,
// curves, arcs and polygons are built from, filled with the alternate or winding rule.
#pragma once
#include <cairo.h>

#include <vector>

#include "platform/gdiplus/gdiplus_types.h"

namespace vx::gdiplus {

enum FillMode : INT { FillModeAlternate = 0, FillModeWinding = 1 };

enum class PathOp : uint8_t { Move, Line, Cubic, Close };

class GpPath {
 public:
  FillMode fillMode = FillModeAlternate;
  std::vector<PathOp> ops;
  std::vector<GpPointF> points;  // one per Move and Line, three per Cubic, none per Close

  // Figures continue from the last point until the figure is closed or a new one is started.
  void StartFigure() { newFigure_ = true; }
  void CloseFigure();
  void AddLines(const GpPointF* p, size_t count);
  void AddBeziers(const GpPointF* p, size_t count);  // 1 + 3k points
  // The arc of the ellipse inscribed in the rectangle between two polar angles in degrees,
  // measured clockwise from the x axis on the ellipse itself.
  void AddArc(const GpRectF& box, REAL startAngle, REAL sweepAngle);
  void AddEllipse(const GpRectF& box);
  void AddPie(const GpRectF& box, REAL startAngle, REAL sweepAngle);
  void AddPolygon(const GpPointF* p, size_t count);
  void AddRectangle(const GpRectF& r);
  // Cardinal splines: tangents are `tension` times the chord of the neighbouring points.
  void AddCurve(const GpPointF* p, size_t count, REAL tension, bool closed);

  bool Empty() const { return ops.empty(); }
  // The rectangle holding every point and control point (world space).
  GpRectF Bounds() const;
  void AppendTo(cairo_t* cr) const;
  // The figure's end and the point before it, for end caps; false when there is none.
  bool LastSegment(GpPointF& from, GpPointF& to) const;
  void MoveLastPoint(const GpPointF& to) { points.back() = to; }

 private:
  void Connect(const GpPointF& p);
  bool newFigure_ = true;
};

class GpRegion {
 public:
  GpPath path;  // the region's outline; an empty path is the infinite region
  bool infinite = true;
};

Status GdipCreatePath(FillMode fillMode, GpPath** path);
Status GdipDeletePath(GpPath* path);
Status GdipSetPathFillMode(GpPath* path, FillMode fillMode);
Status GdipStartPathFigure(GpPath* path);
Status GdipClosePathFigure(GpPath* path);
Status GdipAddPathLine(GpPath* path, REAL x1, REAL y1, REAL x2, REAL y2);
Status GdipAddPathLineI(GpPath* path, INT x1, INT y1, INT x2, INT y2);
Status GdipAddPathArc(GpPath* path, REAL x, REAL y, REAL width, REAL height, REAL startAngle, REAL sweepAngle);
Status GdipAddPathBezier(GpPath* path, REAL x1, REAL y1, REAL x2, REAL y2, REAL x3, REAL y3, REAL x4, REAL y4);
Status GdipAddPathEllipse(GpPath* path, REAL x, REAL y, REAL width, REAL height);
Status GdipAddPathEllipseI(GpPath* path, INT x, INT y, INT width, INT height);
Status GdipAddPathRectangle(GpPath* path, REAL x, REAL y, REAL width, REAL height);
Status GdipAddPathPie(GpPath* path, REAL x, REAL y, REAL width, REAL height, REAL startAngle, REAL sweepAngle);
Status GdipAddPathPolygon(GpPath* path, const GpPointF* points, INT count);
Status GdipAddPathPolygonI(GpPath* path, const GpPoint* points, INT count);
Status GdipAddPathCurve2(GpPath* path, const GpPointF* points, INT count, REAL tension);
Status GdipAddPathClosedCurve2(GpPath* path, const GpPointF* points, INT count, REAL tension);

// The infinite region: every point of the plane.
Status GdipCreateRegion(GpRegion** region);
Status GdipCreateRegionPath(const GpPath* path, GpRegion** region);
Status GdipDeleteRegion(GpRegion* region);

// Integer points as float points; an empty vector for a null list or a count below `minimum`.
std::vector<GpPointF> ToPointsF(const GpPoint* points, INT count, INT minimum);

}  // namespace vx::gdiplus
