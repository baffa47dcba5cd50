// The drawing state a metafile's records act on (pen, brush, mapping, saved states, the object
// table) and the shapes they draw, rendered with cairo. The EMF and WMF decoders translate their
// records into these calls; coordinates here are the records' logical coordinates.
#pragma once
#include <cairo.h>

#include <cstddef>
#include <vector>

#include "platform/gdi/dib_format.h"
#include "platform/gdi/gdi_types.h"

namespace vx::gdiplus {

struct PointD {
  double x = 0, y = 0;
};

struct MetaPen {
  bool null = false;
  bool cosmetic = true;  // one device pixel wide whatever the mapping
  double width = 0;      // logical units (geometric pens)
  COLORREF colour = 0;
  cairo_line_cap_t cap = CAIRO_LINE_CAP_ROUND;
  cairo_line_join_t join = CAIRO_LINE_JOIN_ROUND;
};

struct MetaBrush {
  enum Style { Solid, Null, Hatched } style = Solid;
  COLORREF colour = RGB(255, 255, 255);
  uint32_t hatch = 0;
};

struct MetaObject {
  enum Kind { Empty, Pen, Brush, Other } kind = Empty;
  MetaPen pen;
  MetaBrush brush;
};

// Pen and brush styles as the records carry them.
MetaPen PenFromStyle(uint32_t style, double width, COLORREF colour);
MetaBrush BrushFromStyle(uint32_t style, COLORREF colour, uint32_t hatch);

class MetafileCanvas {
 public:
  // `frame` is the rectangle of device space that lands on `dest` (both in the cairo context's
  // user space at the time of the call). `wmfMapping` makes the window map onto the frame in
  // every mapping mode but the metric ones, as a Windows metafile expects of its player.
  MetafileCanvas(cairo_t* cr, double frameLeft, double frameTop, double frameRight, double frameBottom,
                 double destX, double destY, double destW, double destH, double deviceDpiX, double deviceDpiY,
                 bool wmfMapping, cairo_filter_t imageFilter);
  ~MetafileCanvas();
  MetafileCanvas(const MetafileCanvas&) = delete;
  MetafileCanvas& operator=(const MetafileCanvas&) = delete;

  // State.
  void SetMapMode(int mode);
  void SetWindowOrg(double x, double y);
  void SetWindowExt(double x, double y);
  void SetViewportOrg(double x, double y);
  void SetViewportExt(double x, double y);
  void SetWorldTransform(const cairo_matrix_t& m);
  void ModifyWorldTransform(const cairo_matrix_t& m, uint32_t mode);
  void SetBkMode(int mode) { state_.bkMode = mode; }
  void SetBkColor(COLORREF c) { state_.background = c & 0xFFFFFF; }
  void SetTextColor(COLORREF c) { state_.text = c & 0xFFFFFF; }
  void SetPolyFillMode(int mode) { state_.fillMode = mode; }
  void SaveDC();
  void RestoreDC(int which);
  void IntersectClipRect(double l, double t, double r, double b);
  void ExcludeClipRect(double l, double t, double r, double b);
  void ResetClip();
  // Region rectangles (left, top, right, bottom, ...) in device units.
  void ClipToDeviceRects(const std::vector<double>& ltrb, bool replace);
  // Clips to the recorded path: intersected with the clip (RGN_AND) or replacing it (RGN_COPY).
  void SelectClipPath(uint32_t mode);

  // Objects.
  void Store(size_t slot, const MetaObject& object);
  bool FreeSlot(size_t& slot);  // lowest empty slot (Windows metafiles number objects so)
  void Select(size_t slot);
  void SelectStock(uint32_t index);
  void Delete(size_t slot);

  // Drawing.
  void MoveTo(PointD p);
  void LineTo(PointD p);
  void Rectangle(double l, double t, double r, double b);
  void Ellipse(double l, double t, double r, double b);
  void RoundRect(double l, double t, double r, double b, double w, double h);
  void Polygon(const std::vector<PointD>& points);
  void Polyline(const std::vector<PointD>& points);
  void PolylineTo(const std::vector<PointD>& points);
  void PolyBezier(const std::vector<PointD>& points);
  void PolyBezierTo(const std::vector<PointD>& points);
  void PolyPolygon(const std::vector<PointD>& points, const std::vector<uint32_t>& counts);
  void PolyPolyline(const std::vector<PointD>& points, const std::vector<uint32_t>& counts);
  void BeginPath();
  void EndPath() { inPath_ = false; }
  void CloseFigure();
  void FillPath();
  void StrokePath();
  void StrokeAndFillPath();
  void AbortPath();
  // A DIB drawn into a logical rectangle; the source rectangle counts rows from the top.
  void DrawDib(const gdi::DibFormat& format, const uint8_t* bits, double srcX, double srcY, double srcW,
               double srcH, double x, double y, double w, double h);
  // Raster operations without a source: pattern copy, blackness, whiteness.
  void PatBlt(double x, double y, double w, double h, uint32_t rop);

 private:
  struct State {
    MetaPen pen;
    MetaBrush brush;
    int mapMode = 1;
    double wox = 0, woy = 0, wex = 1, wey = 1;
    double vox = 0, voy = 0, vex = 1, vey = 1;
    cairo_matrix_t world;
    int bkMode = 2;
    COLORREF background = RGB(255, 255, 255);
    COLORREF text = 0;
    int fillMode = 1;
    PointD position;
  };

  void Apply();
  void ClipToDestination();
  template <class Shape>
  void ClipWith(Shape shape);
  void Paint(bool fill, bool stroke);
  void Stroke();
  void Fill();
  void SetBrushSource();
  void AddPolygon(const PointD* points, size_t count, bool close);
  void AddBeziers(const PointD* points, size_t count, bool fromPosition);
  void Begin();
  void Finish(bool fill, bool stroke);
  double StrokeWidthPixels() const;

  cairo_t* cr_;
  cairo_matrix_t base_;
  double dest_[4];
  cairo_matrix_t deviceToTarget_;
  double dpiX_, dpiY_;
  bool wmfMapping_;
  cairo_filter_t filter_;
  State state_;
  std::vector<State> saved_;
  std::vector<MetaObject> objects_;
  bool inPath_ = false;
};

}  // namespace vx::gdiplus
