// Brushes and pens of the imaging platform. A brush turns into a cairo source in world space;
// a pen is a brush with a width, caps and a join.
#pragma once
#include <cairo.h>

#include <memory>
#include <vector>

#include "platform/gdiplus/gdiplus_types.h"
#include "platform/gdiplus/graphics.h"
#include "platform/gdiplus/image_object.h"
#include "platform/gdiplus/path.h"

namespace vx::gdiplus {

enum WrapMode : INT { WrapModeTile = 0, WrapModeTileFlipX = 1, WrapModeTileFlipY = 2, WrapModeTileFlipXY = 3, WrapModeClamp = 4 };
enum LinearGradientMode : INT {
  LinearGradientModeHorizontal = 0,
  LinearGradientModeVertical = 1,
  LinearGradientModeForwardDiagonal = 2,
  LinearGradientModeBackwardDiagonal = 3,
};
enum LineCap : INT {
  LineCapFlat = 0,
  LineCapSquare = 1,
  LineCapRound = 2,
  LineCapTriangle = 3,
  LineCapNoAnchor = 16,
  LineCapSquareAnchor = 17,
  LineCapRoundAnchor = 18,
  LineCapDiamondAnchor = 19,
  LineCapArrowAnchor = 20,
};
enum LineJoin : INT { LineJoinMiter = 0, LineJoinBevel = 1, LineJoinRound = 2, LineJoinMiterClipped = 3 };

class GpBrush {
 public:
  virtual ~GpBrush() = default;
  virtual std::unique_ptr<GpBrush> Clone() const = 0;
  // Sets the brush as the source of `cr`, whose user space is the world space.
  virtual void SetSource(cairo_t* cr) const = 0;
};

class GpSolidFill : public GpBrush {
 public:
  explicit GpSolidFill(ARGB c) : colour(c) {}
  std::unique_ptr<GpBrush> Clone() const override { return std::make_unique<GpSolidFill>(*this); }
  void SetSource(cairo_t* cr) const override;
  ARGB colour;
};

class GpLineGradient : public GpBrush {
 public:
  std::unique_ptr<GpBrush> Clone() const override { return std::make_unique<GpLineGradient>(*this); }
  void SetSource(cairo_t* cr) const override;
  GpPointF from, to;
  ARGB fromColour = 0, toColour = 0;
  WrapMode wrap = WrapModeTile;
};

class GpTexture : public GpBrush {
 public:
  std::unique_ptr<GpBrush> Clone() const override { return std::make_unique<GpTexture>(*this); }
  void SetSource(cairo_t* cr) const override;
  std::shared_ptr<cairo_surface_t> surface;  // premultiplied copy of the image, never changed
  WrapMode wrap = WrapModeTile;
};

// Colours run from the centre point to the boundary of the path; inside the boundary scaled by
// the focus scales around the centre, the centre colour holds.
class GpPathGradient : public GpBrush {
 public:
  std::unique_ptr<GpBrush> Clone() const override { return std::make_unique<GpPathGradient>(*this); }
  void SetSource(cairo_t* cr) const override;
  std::vector<GpPointF> boundary;  // the flattened path
  GpPointF centre;
  ARGB centreColour = 0xFFFFFFFF;
  std::vector<ARGB> surround{0xFFFFFFFF};  // the last colour serves the remaining points
  REAL focusX = 0, focusY = 0;
  WrapMode wrap = WrapModeClamp;
};

class GpPen {
 public:
  std::unique_ptr<GpBrush> brush;
  REAL width = 1;
  Unit unit = UnitWorld;
  LineCap startCap = LineCapFlat, endCap = LineCapFlat;
  LineJoin join = LineJoinMiter;
  REAL miterLimit = 10;
};

// Sets an ARGB colour as the source of `cr`.
void SetSourceColour(cairo_t* cr, ARGB colour);

Status GdipCreateSolidFill(ARGB colour, GpBrush** brush);
Status GdipCreateLineBrush(const GpPointF* point1, const GpPointF* point2, ARGB colour1, ARGB colour2, WrapMode wrapMode,
                           GpBrush** brush);
Status GdipCreateLineBrushI(const GpPoint* point1, const GpPoint* point2, ARGB colour1, ARGB colour2, WrapMode wrapMode,
                            GpBrush** brush);
Status GdipCreateLineBrushFromRect(const GpRectF* rect, ARGB colour1, ARGB colour2, LinearGradientMode mode,
                                   WrapMode wrapMode, GpBrush** brush);
Status GdipCreateTexture(GpImage* image, WrapMode wrapMode, GpBrush** brush);
Status GdipCreatePathGradientFromPath(const GpPath* path, GpBrush** brush);
Status GdipSetPathGradientCenterColor(GpBrush* brush, ARGB colour);
Status GdipSetPathGradientCenterPoint(GpBrush* brush, const GpPointF* point);
Status GdipSetPathGradientCenterPointI(GpBrush* brush, const GpPoint* point);
// `count` is in and out: the colours taken. More colours than boundary points: InvalidParameter.
Status GdipSetPathGradientSurroundColorsWithCount(GpBrush* brush, const ARGB* colours, INT* count);
Status GdipSetPathGradientFocusScales(GpBrush* brush, REAL xScale, REAL yScale);
Status GdipDeleteBrush(GpBrush* brush);

Status GdipCreatePen1(ARGB colour, REAL width, Unit unit, GpPen** pen);
Status GdipCreatePen2(const GpBrush* brush, REAL width, Unit unit, GpPen** pen);
Status GdipDeletePen(GpPen* pen);
Status GdipSetPenStartCap(GpPen* pen, LineCap cap);
Status GdipSetPenEndCap(GpPen* pen, LineCap cap);
Status GdipSetPenLineJoin(GpPen* pen, LineJoin join);

}  // namespace vx::gdiplus
