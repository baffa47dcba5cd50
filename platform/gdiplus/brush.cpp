#include "platform/gdiplus/brush.h"

#include <cmath>
#include <new>

#include "platform/gdiplus/flat_call.h"
#include "platform/gdiplus/image_handle.h"

namespace vx::gdiplus {
namespace {

double Channel(ARGB c, int shift) { return ((c >> shift) & 0xFF) / 255.0; }

cairo_extend_t Extend(WrapMode wrap) {
  switch (wrap) {
    case WrapModeTile: return CAIRO_EXTEND_REPEAT;
    case WrapModeClamp: return CAIRO_EXTEND_PAD;
    default: return CAIRO_EXTEND_REFLECT;
  }
}

void AddStop(cairo_pattern_t* p, double offset, ARGB c) {
  cairo_pattern_add_color_stop_rgba(p, offset, Channel(c, 16), Channel(c, 8), Channel(c, 0), Channel(c, 24));
}

void SetCornerColour(cairo_pattern_t* p, unsigned corner, ARGB c) {
  cairo_mesh_pattern_set_corner_color_rgba(p, corner, Channel(c, 16), Channel(c, 8), Channel(c, 0), Channel(c, 24));
}

// One patch of four corners (two may coincide) with a colour each.
void AddPatch(cairo_pattern_t* mesh, const GpPointF (&corner)[4], const ARGB (&colour)[4]) {
  cairo_mesh_pattern_begin_patch(mesh);
  cairo_mesh_pattern_move_to(mesh, corner[0].X, corner[0].Y);
  for (int i = 1; i < 4; ++i) cairo_mesh_pattern_line_to(mesh, corner[i].X, corner[i].Y);
  for (unsigned i = 0; i < 4; ++i) SetCornerColour(mesh, i, colour[i]);
  cairo_mesh_pattern_end_patch(mesh);
}

// The path's outline as line segments, as cairo flattens curves.
std::vector<GpPointF> Flatten(const GpPath& path) {
  std::vector<GpPointF> out;
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_A8, 1, 1);
  cairo_t* cr = cairo_create(s);
  path.AppendTo(cr);
  cairo_path_t* flat = cairo_copy_path_flat(cr);
  for (int i = 0; i < flat->num_data; i += flat->data[i].header.length) {
    const cairo_path_data_t& d = flat->data[i];
    if (d.header.type == CAIRO_PATH_MOVE_TO || d.header.type == CAIRO_PATH_LINE_TO)
      out.push_back({REAL(flat->data[i + 1].point.x), REAL(flat->data[i + 1].point.y)});
  }
  cairo_path_destroy(flat);
  cairo_destroy(cr);
  cairo_surface_destroy(s);
  return out;
}

template <class T>
Status Make(T* made, GpBrush** brush) {
  if (!made) return OutOfMemory;
  *brush = made;
  return Ok;
}

template <class Edit>
Status EditPathGradient(GpBrush* brush, Edit edit) {
  return OnObject(dynamic_cast<GpPathGradient*>(brush), edit);
}

bool ValidWrap(WrapMode wrap) { return wrap >= WrapModeTile && wrap <= WrapModeClamp; }

Status NewPen(std::unique_ptr<GpBrush> brush, REAL width, Unit unit, GpPen** pen) {
  if (!brush) return OutOfMemory;
  auto* made = new (std::nothrow) GpPen;
  if (!made) return OutOfMemory;
  made->brush = std::move(brush);
  made->width = width;
  made->unit = unit;
  *pen = made;
  return Ok;
}

bool ValidPenArgs(REAL width, Unit unit, const void* pen) {
  return pen && std::isfinite(width) && width >= 0 && unit >= UnitWorld && unit <= UnitMillimeter && unit != UnitDisplay;
}

}  // namespace

void SetSourceColour(cairo_t* cr, ARGB c) {
  cairo_set_source_rgba(cr, Channel(c, 16), Channel(c, 8), Channel(c, 0), Channel(c, 24));
}

void GpSolidFill::SetSource(cairo_t* cr) const { SetSourceColour(cr, colour); }

void GpLineGradient::SetSource(cairo_t* cr) const {
  cairo_pattern_t* p = cairo_pattern_create_linear(from.X, from.Y, to.X, to.Y);
  AddStop(p, 0, fromColour);
  AddStop(p, 1, toColour);
  cairo_pattern_set_extend(p, Extend(wrap));
  cairo_set_source(cr, p);
  cairo_pattern_destroy(p);
}

void GpTexture::SetSource(cairo_t* cr) const {
  cairo_pattern_t* p = cairo_pattern_create_for_surface(surface.get());
  cairo_pattern_set_extend(p, wrap == WrapModeClamp ? CAIRO_EXTEND_NONE : Extend(wrap));
  cairo_pattern_set_filter(p, CAIRO_FILTER_NEAREST);
  cairo_set_source(cr, p);
  cairo_pattern_destroy(p);
}

void GpPathGradient::SetSource(cairo_t* cr) const {
  cairo_pattern_t* mesh = cairo_pattern_create_mesh();
  const size_t n = boundary.size();
  const auto surroundAt = [&](size_t i) { return i < surround.size() ? surround[i] : surround.back(); };
  const auto inner = [&](const GpPointF& p) {
    return GpPointF{REAL(centre.X + (p.X - centre.X) * focusX), REAL(centre.Y + (p.Y - centre.Y) * focusY)};
  };
  const bool focus = focusX != 0 || focusY != 0;
  for (size_t i = 0; i < n; ++i) {
    const GpPointF a = boundary[i], b = boundary[(i + 1) % n];
    const GpPointF ia = inner(a), ib = inner(b);
    AddPatch(mesh, {ia, a, b, ib}, {centreColour, surroundAt(i), surroundAt((i + 1) % n), centreColour});
    if (focus) AddPatch(mesh, {centre, ia, ib, centre}, {centreColour, centreColour, centreColour, centreColour});
  }
  cairo_set_source(cr, mesh);
  cairo_pattern_destroy(mesh);
}

Status GdipCreateSolidFill(ARGB colour, GpBrush** brush) {
  if (!GdiplusIsRunning()) return GdiplusNotInitialized;
  if (!brush) return InvalidParameter;
  return Make(new (std::nothrow) GpSolidFill(colour), brush);
}

Status GdipCreateLineBrush(const GpPointF* point1, const GpPointF* point2, ARGB colour1, ARGB colour2, WrapMode wrapMode,
                           GpBrush** brush) {
  if (!GdiplusIsRunning()) return GdiplusNotInitialized;
  if (!point1 || !point2 || !brush || !ValidWrap(wrapMode)) return InvalidParameter;
  // Two equal points give no direction to run the colours along.
  if (point1->X == point2->X && point1->Y == point2->Y) return OutOfMemory;
  auto* g = new (std::nothrow) GpLineGradient;
  if (g) {
    g->from = *point1;
    g->to = *point2;
    g->fromColour = colour1;
    g->toColour = colour2;
    g->wrap = wrapMode;
  }
  return Make(g, brush);
}

Status GdipCreateLineBrushI(const GpPoint* point1, const GpPoint* point2, ARGB colour1, ARGB colour2, WrapMode wrapMode,
                            GpBrush** brush) {
  if (!point1 || !point2) return InvalidParameter;
  const GpPointF a{REAL(point1->X), REAL(point1->Y)}, b{REAL(point2->X), REAL(point2->Y)};
  return GdipCreateLineBrush(&a, &b, colour1, colour2, wrapMode, brush);
}

Status GdipCreateLineBrushFromRect(const GpRectF* rect, ARGB colour1, ARGB colour2, LinearGradientMode mode,
                                   WrapMode wrapMode, GpBrush** brush) {
  if (!rect || mode < LinearGradientModeHorizontal || mode > LinearGradientModeBackwardDiagonal) return InvalidParameter;
  const REAL l = rect->X, t = rect->Y, r = rect->X + rect->Width, b = rect->Y + rect->Height;
  GpPointF from{l, t}, to{r, t};
  if (mode == LinearGradientModeVertical) to = {l, b};
  if (mode == LinearGradientModeForwardDiagonal) to = {r, b};
  if (mode == LinearGradientModeBackwardDiagonal) from = {r, t}, to = {l, b};
  return GdipCreateLineBrush(&from, &to, colour1, colour2, wrapMode, brush);
}

Status GdipCreateTexture(GpImage* image, WrapMode wrapMode, GpBrush** brush) {
  if (!brush || !ValidWrap(wrapMode)) return InvalidParameter;
  GpBitmap* bitmap = nullptr;
  if (Status s = ResolveBitmap(image, bitmap); s != Ok) return s;
  const Frame& f = bitmap->current();
  cairo_surface_t* raw = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, f.width, f.height);
  std::shared_ptr<cairo_surface_t> surface(raw, cairo_surface_destroy);
  if (cairo_surface_status(raw) != CAIRO_STATUS_SUCCESS) return OutOfMemory;
  cairo_surface_flush(raw);
  uint8_t* data = cairo_image_surface_get_data(raw);
  const int stride = cairo_image_surface_get_stride(raw);
  for (INT y = 0; y < f.height; ++y) ConvertRow(FrameSourceRow(f, y), {data + y * stride, PixelFormat32bppPARGB}, f.width);
  cairo_surface_mark_dirty(raw);
  auto* t = new (std::nothrow) GpTexture;
  if (t) {
    t->surface = std::move(surface);
    t->wrap = wrapMode;
  }
  return Make(t, brush);
}

Status GdipCreatePathGradientFromPath(const GpPath* path, GpBrush** brush) {
  if (!GdiplusIsRunning()) return GdiplusNotInitialized;
  if (!path || !brush) return InvalidParameter;
  try {
    auto g = std::make_unique<GpPathGradient>();
    g->boundary = Flatten(*path);
    if (g->boundary.size() < 2) return OutOfMemory;
    double sx = 0, sy = 0;
    for (const GpPointF& p : g->boundary) sx += p.X, sy += p.Y;
    g->centre = {REAL(sx / g->boundary.size()), REAL(sy / g->boundary.size())};
    *brush = g.release();
    return Ok;
  } catch (const std::bad_alloc&) {
    return OutOfMemory;
  }
}

Status GdipSetPathGradientCenterColor(GpBrush* brush, ARGB colour) {
  return EditPathGradient(brush, [colour](GpPathGradient& g) {
    g.centreColour = colour;
    return Ok;
  });
}

Status GdipSetPathGradientCenterPoint(GpBrush* brush, const GpPointF* point) {
  return EditPathGradient(brush, [point](GpPathGradient& g) {
    if (!point) return InvalidParameter;
    g.centre = *point;
    return Ok;
  });
}

Status GdipSetPathGradientCenterPointI(GpBrush* brush, const GpPoint* point) {
  if (!point) return InvalidParameter;
  const GpPointF p{REAL(point->X), REAL(point->Y)};
  return GdipSetPathGradientCenterPoint(brush, &p);
}

Status GdipSetPathGradientSurroundColorsWithCount(GpBrush* brush, const ARGB* colours, INT* count) {
  return EditPathGradient(brush, [&](GpPathGradient& g) {
    if (!colours || !count || *count < 1 || static_cast<size_t>(*count) > g.boundary.size()) return InvalidParameter;
    g.surround.assign(colours, colours + *count);
    return Ok;
  });
}

Status GdipSetPathGradientFocusScales(GpBrush* brush, REAL xScale, REAL yScale) {
  return EditPathGradient(brush, [&](GpPathGradient& g) {
    if (!std::isfinite(xScale) || !std::isfinite(yScale)) return InvalidParameter;
    g.focusX = xScale;
    g.focusY = yScale;
    return Ok;
  });
}

Status GdipDeleteBrush(GpBrush* brush) { return DeleteOwned(brush); }

Status GdipCreatePen1(ARGB colour, REAL width, Unit unit, GpPen** pen) {
  if (!GdiplusIsRunning()) return GdiplusNotInitialized;
  if (!ValidPenArgs(width, unit, pen)) return InvalidParameter;
  return NewPen(std::unique_ptr<GpBrush>(new (std::nothrow) GpSolidFill(colour)), width, unit, pen);
}

Status GdipCreatePen2(const GpBrush* brush, REAL width, Unit unit, GpPen** pen) {
  if (!GdiplusIsRunning()) return GdiplusNotInitialized;
  if (!brush || !ValidPenArgs(width, unit, pen)) return InvalidParameter;
  try {
    return NewPen(brush->Clone(), width, unit, pen);
  } catch (const std::bad_alloc&) {
    return OutOfMemory;
  }
}

Status GdipDeletePen(GpPen* pen) { return DeleteOwned(pen); }

Status GdipSetPenStartCap(GpPen* pen, LineCap cap) {
  return OnObject(pen, [cap](GpPen& p) {
    p.startCap = cap;
    return Ok;
  });
}

Status GdipSetPenEndCap(GpPen* pen, LineCap cap) {
  return OnObject(pen, [cap](GpPen& p) {
    p.endCap = cap;
    return Ok;
  });
}

Status GdipSetPenLineJoin(GpPen* pen, LineJoin join) {
  return OnObject(pen, [join](GpPen& p) {
    if (join < LineJoinMiter || join > LineJoinMiterClipped) return InvalidParameter;
    p.join = join;
    return Ok;
  });
}

}  // namespace vx::gdiplus
