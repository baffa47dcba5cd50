// Drawing shapes on a graphics object: each call builds a path and fills it with a brush or
// strokes it with a pen. Integer calls take their points as they are.
#pragma once
#include "platform/gdiplus/brush.h"
#include "platform/gdiplus/graphics.h"
#include "platform/gdiplus/path.h"

namespace vx::gdiplus {

Status GdipFillPath(GpGraphics* graphics, const GpBrush* brush, const GpPath* path);
Status GdipDrawPath(GpGraphics* graphics, const GpPen* pen, const GpPath* path);
Status GdipDrawLine(GpGraphics* graphics, const GpPen* pen, REAL x1, REAL y1, REAL x2, REAL y2);
Status GdipDrawLineI(GpGraphics* graphics, const GpPen* pen, INT x1, INT y1, INT x2, INT y2);
Status GdipDrawRectangle(GpGraphics* graphics, const GpPen* pen, REAL x, REAL y, REAL width, REAL height);
Status GdipDrawRectangleI(GpGraphics* graphics, const GpPen* pen, INT x, INT y, INT width, INT height);
Status GdipDrawRectangles(GpGraphics* graphics, const GpPen* pen, const GpRectF* rects, INT count);
Status GdipFillRectangle(GpGraphics* graphics, const GpBrush* brush, REAL x, REAL y, REAL width, REAL height);
Status GdipFillRectangles(GpGraphics* graphics, const GpBrush* brush, const GpRectF* rects, INT count);
Status GdipDrawEllipse(GpGraphics* graphics, const GpPen* pen, REAL x, REAL y, REAL width, REAL height);
Status GdipDrawEllipseI(GpGraphics* graphics, const GpPen* pen, INT x, INT y, INT width, INT height);
Status GdipFillEllipse(GpGraphics* graphics, const GpBrush* brush, REAL x, REAL y, REAL width, REAL height);
Status GdipFillEllipseI(GpGraphics* graphics, const GpBrush* brush, INT x, INT y, INT width, INT height);
Status GdipDrawArc(GpGraphics* graphics, const GpPen* pen, REAL x, REAL y, REAL width, REAL height, REAL startAngle,
                   REAL sweepAngle);
Status GdipDrawArcI(GpGraphics* graphics, const GpPen* pen, INT x, INT y, INT width, INT height, REAL startAngle,
                    REAL sweepAngle);
Status GdipDrawPie(GpGraphics* graphics, const GpPen* pen, REAL x, REAL y, REAL width, REAL height, REAL startAngle,
                   REAL sweepAngle);
Status GdipFillPie(GpGraphics* graphics, const GpBrush* brush, REAL x, REAL y, REAL width, REAL height,
                   REAL startAngle, REAL sweepAngle);
Status GdipDrawBezierI(GpGraphics* graphics, const GpPen* pen, INT x1, INT y1, INT x2, INT y2, INT x3, INT y3, INT x4,
                       INT y4);
Status GdipDrawCurve2I(GpGraphics* graphics, const GpPen* pen, const GpPoint* points, INT count, REAL tension);
Status GdipDrawCurveI(GpGraphics* graphics, const GpPen* pen, const GpPoint* points, INT count);
Status GdipDrawClosedCurve2I(GpGraphics* graphics, const GpPen* pen, const GpPoint* points, INT count, REAL tension);
Status GdipDrawClosedCurveI(GpGraphics* graphics, const GpPen* pen, const GpPoint* points, INT count);
Status GdipFillClosedCurve2I(GpGraphics* graphics, const GpBrush* brush, const GpPoint* points, INT count,
                             REAL tension, FillMode fillMode);
Status GdipDrawPolygonI(GpGraphics* graphics, const GpPen* pen, const GpPoint* points, INT count);
Status GdipFillPolygonI(GpGraphics* graphics, const GpBrush* brush, const GpPoint* points, INT count,
                        FillMode fillMode);

}  // namespace vx::gdiplus
