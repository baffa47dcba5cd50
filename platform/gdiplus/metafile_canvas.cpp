#include "platform/gdiplus/metafile_canvas.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "platform/gdi/font_caches.h"

namespace vx::gdiplus {
namespace {

constexpr size_t kMaxObjects = 65536;
constexpr size_t kMaxSavedStates = 4096;
constexpr int kCairoMaxDimension = 32767;

constexpr uint32_t kPsNull = 5;
constexpr uint32_t kPsStyleMask = 0x0F;
constexpr uint32_t kPsEndcapMask = 0x0F00;
constexpr uint32_t kPsJoinMask = 0xF000;
constexpr uint32_t kPsGeometric = 0x00010000;
constexpr uint32_t kBsSolid = 0, kBsNull = 1, kBsHatched = 2;
constexpr int kTransparent = 1;
constexpr int kAlternate = 1;
constexpr uint32_t kPatCopy = 0x00F00021;
constexpr uint32_t kBlackness = 0x00000042;
constexpr uint32_t kWhiteness = 0x00FF0062;

void SetColour(cairo_t* cr, COLORREF c) {
  cairo_set_source_rgb(cr, GetRValue(c) / 255.0, GetGValue(c) / 255.0, GetBValue(c) / 255.0);
}

bool Finite(double v) { return std::isfinite(v); }

// An 8x8 device-pixel hatch tile: the lines in the brush colour over the background (opaque
// background mode) or over nothing.
cairo_pattern_t* HatchPattern(uint32_t hatch, COLORREF colour, bool opaque, COLORREF background) {
  cairo_surface_t* tile = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 8, 8);
  cairo_surface_flush(tile);
  unsigned char* data = cairo_image_surface_get_data(tile);
  const int stride = cairo_image_surface_get_stride(tile);
  auto argb = [](COLORREF c) {
    return 0xFF000000u | (uint32_t{GetRValue(c)} << 16) | (uint32_t{GetGValue(c)} << 8) | GetBValue(c);
  };
  for (int y = 0; y < 8; ++y) {
    auto* row = reinterpret_cast<uint32_t*>(data + y * stride);
    for (int x = 0; x < 8; ++x) {
      bool on = false;
      switch (hatch) {
        case 0: on = y == 4; break;                    // horizontal
        case 1: on = x == 4; break;                    // vertical
        case 2: on = x == y; break;                    // forward diagonal
        case 3: on = x + y == 7; break;                // backward diagonal
        case 4: on = x == 4 || y == 4; break;          // cross
        default: on = x == y || x + y == 7; break;     // diagonal cross
      }
      row[x] = on ? argb(colour) : (opaque ? argb(background) : 0);
    }
  }
  cairo_surface_mark_dirty(tile);
  cairo_pattern_t* pattern = cairo_pattern_create_for_surface(tile);
  cairo_surface_destroy(tile);
  cairo_pattern_set_extend(pattern, CAIRO_EXTEND_REPEAT);
  cairo_pattern_set_filter(pattern, CAIRO_FILTER_NEAREST);
  return pattern;
}

// Sets a path being recorded aside while something else uses cairo's current path, and puts
// it back afterwards (cairo keeps one path; clipping and filling consume it).
class PathAside {
 public:
  PathAside(cairo_t* cr, bool recording) : cr_(cr), path_(recording ? cairo_copy_path(cr) : nullptr) {
    cairo_new_path(cr_);
  }
  ~PathAside() {
    cairo_new_path(cr_);
    if (path_) {
      cairo_append_path(cr_, path_);
      cairo_path_destroy(path_);
    }
  }
  PathAside(const PathAside&) = delete;
  PathAside& operator=(const PathAside&) = delete;

 private:
  cairo_t* cr_;
  cairo_path_t* path_;
};

// Premultiplied pixels from a file may carry colour above their alpha; cairo needs them within.
void ClampPremultiplied(uint32_t* px, int32_t count) {
  for (int32_t i = 0; i < count; ++i) {
    const uint32_t a = px[i] >> 24;
    const uint32_t r = std::min((px[i] >> 16) & 0xff, a), g = std::min((px[i] >> 8) & 0xff, a),
                   b = std::min(px[i] & 0xff, a);
    px[i] = (a << 24) | (r << 16) | (g << 8) | b;
  }
}

}  // namespace

std::shared_ptr<cairo_surface_t> DibSurface(const gdi::DibFormat& format, const uint8_t* bits, bool sourceAlpha) {
  if (format.width > kCairoMaxDimension || format.height > kCairoMaxDimension) return nullptr;
  std::shared_ptr<cairo_surface_t> image(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, format.width, format.height),
                                         cairo_surface_destroy);
  if (cairo_surface_status(image.get()) != CAIRO_STATUS_SUCCESS) return nullptr;
  cairo_surface_flush(image.get());
  unsigned char* data = cairo_image_surface_get_data(image.get());
  const int stride = cairo_image_surface_get_stride(image.get());
  gdi::DibFormat layout = format;
  const bool alpha = sourceAlpha && format.bitCount == 32;
  if (alpha) gdi::SetBitfieldMasks(layout, format.red.mask, format.green.mask, format.blue.mask, 0xFF000000u);
  for (int32_t row = 0; row < format.height; ++row) {
    auto* out = reinterpret_cast<uint32_t*>(data + static_cast<size_t>(row) * stride);
    gdi::ReadDibRow(layout, bits + format.RowOffset(row), 0, format.width, out);
    if (alpha) {
      ClampPremultiplied(out, format.width);
    } else {
      for (int32_t i = 0; i < format.width; ++i) out[i] |= 0xFF000000u;  // plain blits are opaque
    }
  }
  cairo_surface_mark_dirty(image.get());
  return image;
}

MetaBrush PatternBrush(const gdi::DibFormat& format, const uint8_t* bits) {
  MetaBrush brush;
  brush.tile = DibSurface(format, bits, false);
  brush.style = brush.tile ? MetaBrush::Pattern : MetaBrush::Null;
  return brush;
}

MetaPen PenFromStyle(uint32_t style, double width, COLORREF colour) {
  MetaPen pen;
  pen.null = (style & kPsStyleMask) == kPsNull;
  pen.colour = colour & 0xFFFFFF;
  pen.width = std::fabs(width);
  // Width 0 or a cosmetic pen draws one device pixel; wider pens are geometric.
  pen.cosmetic = pen.width < 1 && !(style & kPsGeometric);
  pen.dashes = style & kPsStyleMask;
  switch (style & kPsEndcapMask) {
    case 0x100: pen.cap = CAIRO_LINE_CAP_SQUARE; break;
    case 0x200: pen.cap = CAIRO_LINE_CAP_BUTT; break;
    default: pen.cap = CAIRO_LINE_CAP_ROUND; break;
  }
  switch (style & kPsJoinMask) {
    case 0x1000: pen.join = CAIRO_LINE_JOIN_BEVEL; break;
    case 0x2000: pen.join = CAIRO_LINE_JOIN_MITER; break;
    default: pen.join = CAIRO_LINE_JOIN_ROUND; break;
  }
  return pen;
}

MetaBrush BrushFromStyle(uint32_t style, COLORREF colour, uint32_t hatch) {
  MetaBrush brush;
  brush.colour = colour & 0xFFFFFF;
  brush.hatch = hatch;
  if (style == kBsSolid) {
    brush.style = MetaBrush::Solid;
  } else if (style == kBsHatched) {
    brush.style = MetaBrush::Hatched;
  } else {
    // Hollow brushes, and pattern brushes whose bitmaps are not kept, fill nothing.
    brush.style = MetaBrush::Null;
  }
  return brush;
}

MetafileCanvas::MetafileCanvas(cairo_t* cr, double frameLeft, double frameTop, double frameRight,
                               double frameBottom, double destX, double destY, double destW, double destH,
                               double deviceDpiX, double deviceDpiY, bool wmfMapping, cairo_filter_t imageFilter)
    : cr_(cr), dpiX_(deviceDpiX), dpiY_(deviceDpiY), wmfMapping_(wmfMapping), filter_(imageFilter) {
  cairo_save(cr_);
  cairo_get_matrix(cr_, &base_);
  dest_[0] = destX;
  dest_[1] = destY;
  dest_[2] = destW;
  dest_[3] = destH;
  ClipToDestination();
  const double fw = frameRight - frameLeft, fh = frameBottom - frameTop;
  cairo_matrix_t frameToDest;
  cairo_matrix_init(&frameToDest, destW / fw, 0, 0, destH / fh, destX - frameLeft * destW / fw,
                    destY - frameTop * destH / fh);
  cairo_matrix_multiply(&deviceToTarget_, &frameToDest, &base_);
  cairo_matrix_init_identity(&state_.world);
  if (wmfMapping_) {
    state_.wox = state_.vox = frameLeft;
    state_.woy = state_.voy = frameTop;
    state_.wex = state_.vex = fw;
    state_.wey = state_.vey = fh;
  }
  cairo_set_line_cap(cr_, CAIRO_LINE_CAP_ROUND);
  cairo_set_line_join(cr_, CAIRO_LINE_JOIN_ROUND);
  Apply();
}

MetafileCanvas::~MetafileCanvas() {
  cairo_new_path(cr_);
  for (size_t i = 0; i < saved_.size(); ++i) cairo_restore(cr_);
  cairo_restore(cr_);
}

// Nothing a metafile draws leaves its destination rectangle.
void MetafileCanvas::ClipToDestination() {
  cairo_save(cr_);
  cairo_set_matrix(cr_, &base_);
  cairo_new_path(cr_);
  cairo_rectangle(cr_, dest_[0], dest_[1], dest_[2], dest_[3]);
  cairo_clip(cr_);
  cairo_restore(cr_);
}

// Clipping consumes cairo's current path; a path being recorded is set aside meanwhile.
template <class Shape>
void MetafileCanvas::ClipWith(Shape shape) {
  PathAside aside(cr_, inPath_);
  shape();
  cairo_clip(cr_);
}

void MetafileCanvas::IntersectClipRect(double l, double t, double r, double b) {
  ClipWith([&] { cairo_rectangle(cr_, l, t, r - l, b - t); });
}

void MetafileCanvas::ExcludeClipRect(double l, double t, double r, double b) {
  ClipWith([&] {
    cairo_save(cr_);
    cairo_identity_matrix(cr_);
    cairo_rectangle(cr_, -4e6, -4e6, 8e6, 8e6);  // beyond any tile, inside cairo's range
    cairo_restore(cr_);
    cairo_rectangle(cr_, l, t, r - l, b - t);
    cairo_set_fill_rule(cr_, CAIRO_FILL_RULE_EVEN_ODD);
  });
}

void MetafileCanvas::ClipToDeviceRects(const std::vector<double>& ltrb, bool replace) {
  if (replace) ResetClip();
  ClipWith([&] {
    cairo_save(cr_);
    cairo_set_matrix(cr_, &deviceToTarget_);
    for (size_t i = 0; i + 3 < ltrb.size(); i += 4)
      cairo_rectangle(cr_, ltrb[i], ltrb[i + 1], ltrb[i + 2] - ltrb[i], ltrb[i + 3] - ltrb[i + 1]);
    cairo_restore(cr_);  // the path stays; the clip is applied outside this save so that it lasts
    cairo_set_fill_rule(cr_, CAIRO_FILL_RULE_WINDING);
  });
}

void MetafileCanvas::ResetClip() {
  cairo_reset_clip(cr_);
  ClipToDestination();
}

void MetafileCanvas::SelectClipPath(uint32_t mode) {
  constexpr uint32_t kRgnAnd = 1, kRgnCopy = 5;
  inPath_ = false;
  if (mode == kRgnCopy) {
    cairo_path_t* path = cairo_copy_path(cr_);
    ResetClip();
    cairo_new_path(cr_);
    cairo_append_path(cr_, path);
    cairo_path_destroy(path);
  } else if (mode != kRgnAnd) {
    cairo_new_path(cr_);
    return;
  }
  cairo_set_fill_rule(cr_, state_.fillMode == kAlternate ? CAIRO_FILL_RULE_EVEN_ODD : CAIRO_FILL_RULE_WINDING);
  cairo_clip(cr_);
}

// Logical -> device (mapping mode, window and viewport) -> target, after the world transform.
void MetafileCanvas::Apply() {
  const State& s = state_;
  double sx = 1, sy = 1;
  switch (s.mapMode) {
    case 2: sx = dpiX_ / 254; sy = -dpiY_ / 254; break;
    case 3: sx = dpiX_ / 2540; sy = -dpiY_ / 2540; break;
    case 4: sx = dpiX_ / 100; sy = -dpiY_ / 100; break;
    case 5: sx = dpiX_ / 1000; sy = -dpiY_ / 1000; break;
    case 6: sx = dpiX_ / 1440; sy = -dpiY_ / 1440; break;
    case 7:
    case 8:
      sx = s.wex != 0 ? s.vex / s.wex : 1;
      sy = s.wey != 0 ? s.vey / s.wey : 1;
      if (s.mapMode == 7) {
        const double m = std::min(std::fabs(sx), std::fabs(sy));
        sx = std::copysign(m, sx);
        sy = std::copysign(m, sy);
      }
      break;
    default:
      if (wmfMapping_) {
        sx = s.wex != 0 ? s.vex / s.wex : 1;
        sy = s.wey != 0 ? s.vey / s.wey : 1;
      }
      break;
  }
  cairo_matrix_t logical, worldLogical, full;
  cairo_matrix_init(&logical, sx, 0, 0, sy, s.vox - s.wox * sx, s.voy - s.woy * sy);
  cairo_matrix_multiply(&worldLogical, &s.world, &logical);
  cairo_matrix_multiply(&full, &worldLogical, &deviceToTarget_);
  if (!Finite(full.xx) || !Finite(full.yy) || !Finite(full.xy) || !Finite(full.yx) || !Finite(full.x0) ||
      !Finite(full.y0) || full.xx * full.yy - full.xy * full.yx == 0) {
    // A degenerate mapping draws nothing; cairo refuses such matrices.
    cairo_matrix_init_scale(&full, 1e-9, 1e-9);
  }
  cairo_set_matrix(cr_, &full);
}

void MetafileCanvas::SetMapMode(int mode) {
  state_.mapMode = mode >= 1 && mode <= 8 ? mode : 1;
  Apply();
}
void MetafileCanvas::SetWindowOrg(double x, double y) {
  state_.wox = x;
  state_.woy = y;
  Apply();
}
void MetafileCanvas::SetWindowExt(double x, double y) {
  if (x == 0 || y == 0) return;
  state_.wex = x;
  state_.wey = y;
  Apply();
}
void MetafileCanvas::SetViewportOrg(double x, double y) {
  state_.vox = x;
  state_.voy = y;
  Apply();
}
void MetafileCanvas::SetViewportExt(double x, double y) {
  if (x == 0 || y == 0) return;
  state_.vex = x;
  state_.vey = y;
  Apply();
}
void MetafileCanvas::SetWorldTransform(const cairo_matrix_t& m) {
  // As GDI refuses a transform that cannot be inverted, the one in place stays.
  const double det = m.xx * m.yy - m.xy * m.yx;
  if (!Finite(m.xx) || !Finite(m.yy) || !Finite(m.xy) || !Finite(m.yx) || !Finite(m.x0) || !Finite(m.y0) ||
      !Finite(det) || det == 0)
    return;
  state_.world = m;
  Apply();
}
void MetafileCanvas::ModifyWorldTransform(const cairo_matrix_t& m, uint32_t mode) {
  cairo_matrix_t result;
  switch (mode) {
    case 1: cairo_matrix_init_identity(&result); break;
    case 2: cairo_matrix_multiply(&result, &m, &state_.world); break;  // the new transform applies first
    case 3: cairo_matrix_multiply(&result, &state_.world, &m); break;
    case 4: result = m; break;
    default: return;
  }
  SetWorldTransform(result);
}

// Saved states carry the clip too: each level is a cairo save.
void MetafileCanvas::SaveDC() {
  if (saved_.size() >= kMaxSavedStates) return;
  saved_.push_back(state_);
  cairo_save(cr_);
}

void MetafileCanvas::RestoreDC(int which) {
  const int64_t depth = static_cast<int64_t>(saved_.size());
  const int64_t target = which < 0 ? depth + which : int64_t{which} - 1;  // index of the state to restore
  if (target < 0 || target >= depth) return;
  state_ = saved_[static_cast<size_t>(target)];
  for (int64_t i = target; i < depth; ++i) cairo_restore(cr_);
  saved_.resize(static_cast<size_t>(target));
  Apply();
}

void MetafileCanvas::Store(size_t slot, const MetaObject& object) {
  if (slot >= kMaxObjects) return;
  if (slot >= objects_.size()) objects_.resize(slot + 1);
  objects_[slot] = object;
}

bool MetafileCanvas::FreeSlot(size_t& slot) {
  for (size_t i = 0; i < objects_.size(); ++i) {
    if (objects_[i].kind == MetaObject::Empty) {
      slot = i;
      return true;
    }
  }
  if (objects_.size() >= kMaxObjects) return false;
  slot = objects_.size();
  return true;
}

void MetafileCanvas::Select(size_t slot) {
  if (slot >= objects_.size()) return;
  const MetaObject& o = objects_[slot];
  if (o.kind == MetaObject::Pen) state_.pen = o.pen;
  if (o.kind == MetaObject::Brush) state_.brush = o.brush;
  if (o.kind == MetaObject::Font) state_.font = o.font;
}

void MetafileCanvas::SelectStock(uint32_t index) {
  static const COLORREF greys[] = {RGB(255, 255, 255), RGB(192, 192, 192), RGB(128, 128, 128), RGB(64, 64, 64),
                                   RGB(0, 0, 0)};
  if (index <= 4) state_.brush = BrushFromStyle(kBsSolid, greys[index], 0);
  if (index == 5) state_.brush = BrushFromStyle(kBsNull, 0, 0);
  if (index == 6) state_.pen = PenFromStyle(0, 0, RGB(255, 255, 255));
  if (index == 7) state_.pen = PenFromStyle(0, 0, 0);
  if (index == 8) state_.pen = PenFromStyle(kPsNull, 0, 0);
  if (index == 18) state_.brush = BrushFromStyle(kBsSolid, RGB(255, 255, 255), 0);  // DC brush
  if (index == 19) state_.pen = PenFromStyle(0, 0, 0);                            // DC pen
}

void MetafileCanvas::Delete(size_t slot) {
  if (slot < objects_.size()) objects_[slot] = MetaObject{};
}

// Target pixels per logical unit (the mean scale of the current mapping).
double MetafileCanvas::StrokeScale() const {
  cairo_matrix_t m;
  cairo_get_matrix(cr_, &m);
  return std::sqrt(std::fabs(m.xx * m.yy - m.xy * m.yx));
}

double MetafileCanvas::StrokeWidthPixels() const {
  return state_.pen.cosmetic ? 1 : std::max(1.0, state_.pen.width * StrokeScale());
}

void MetafileCanvas::SetBrushSource() {
  const MetaBrush& b = state_.brush;
  if (b.style == MetaBrush::Hatched || b.style == MetaBrush::Pattern) {
    cairo_pattern_t* pattern;
    if (b.style == MetaBrush::Hatched) {
      pattern = HatchPattern(b.hatch, b.colour, state_.bkMode != kTransparent, state_.background);
    } else {
      pattern = cairo_pattern_create_for_surface(b.tile.get());
      cairo_pattern_set_extend(pattern, CAIRO_EXTEND_REPEAT);
      cairo_pattern_set_filter(pattern, CAIRO_FILTER_NEAREST);
    }
    // The tile is laid in device pixels, whatever the mapping.
    cairo_matrix_t m;
    cairo_get_matrix(cr_, &m);
    cairo_pattern_set_matrix(pattern, &m);
    cairo_set_source(cr_, pattern);
    cairo_pattern_destroy(pattern);
  } else {
    SetColour(cr_, b.colour);
  }
}

// Dash patterns in pen widths, as GDI draws its styled pens.
void MetafileCanvas::SetDashes(double width) {
  static const double dash[] = {18, 6}, dot[] = {3, 3}, dashDot[] = {9, 6, 3, 6}, dashDotDot[] = {9, 3, 3, 3, 3, 3},
                      alternate[] = {1, 1};
  const double* pattern = nullptr;
  int count = 0;
  switch (state_.pen.dashes) {
    case 1: pattern = dash; count = 2; break;
    case 2: pattern = dot; count = 2; break;
    case 3: pattern = dashDot; count = 4; break;
    case 4: pattern = dashDotDot; count = 6; break;
    case 8: pattern = alternate; count = 2; break;
    default: return;
  }
  double scaled[6];
  for (int i = 0; i < count; ++i) scaled[i] = pattern[i] * (state_.pen.cosmetic ? 1 : width);
  cairo_set_line_cap(cr_, CAIRO_LINE_CAP_BUTT);
  cairo_set_dash(cr_, scaled, count, 0);
}

void MetafileCanvas::Fill() {
  if (state_.brush.style == MetaBrush::Null) return;
  cairo_set_fill_rule(cr_, state_.fillMode == kAlternate ? CAIRO_FILL_RULE_EVEN_ODD : CAIRO_FILL_RULE_WINDING);
  SetBrushSource();
  cairo_fill_preserve(cr_);
}

void MetafileCanvas::Stroke() {
  if (state_.pen.null) return;
  const double width = StrokeWidthPixels();
  cairo_save(cr_);
  cairo_identity_matrix(cr_);
  cairo_set_line_width(cr_, width);
  cairo_set_line_cap(cr_, state_.pen.cap);
  cairo_set_line_join(cr_, state_.pen.join);
  SetDashes(width);
  SetColour(cr_, state_.pen.colour);
  cairo_stroke_preserve(cr_);
  cairo_restore(cr_);
}

// Shapes build into the open path while a path is being recorded; otherwise each is painted
// on its own: interior first, then the outline.
void MetafileCanvas::Begin() {
  if (!inPath_) cairo_new_path(cr_);
}

void MetafileCanvas::Finish(bool fill, bool stroke) {
  if (inPath_) return;
  Paint(fill, stroke);
}

void MetafileCanvas::Paint(bool fill, bool stroke) {
  if (fill) Fill();
  if (stroke) Stroke();
  cairo_new_path(cr_);
}

void MetafileCanvas::AddPolygon(const PointD* p, size_t count, bool close) {
  if (count == 0) return;
  cairo_move_to(cr_, p[0].x, p[0].y);
  for (size_t i = 1; i < count; ++i) cairo_line_to(cr_, p[i].x, p[i].y);
  if (close) cairo_close_path(cr_);
}

void MetafileCanvas::AddBeziers(const PointD* p, size_t count, bool fromPosition) {
  size_t i = 0;
  if (fromPosition) {
    cairo_move_to(cr_, state_.position.x, state_.position.y);
  } else {
    if (count == 0) return;
    cairo_move_to(cr_, p[0].x, p[0].y);
    i = 1;
  }
  for (; i + 3 <= count; i += 3) cairo_curve_to(cr_, p[i].x, p[i].y, p[i + 1].x, p[i + 1].y, p[i + 2].x, p[i + 2].y);
}

void MetafileCanvas::MoveTo(PointD p) {
  state_.position = p;
  if (inPath_) cairo_move_to(cr_, p.x, p.y);
}

void MetafileCanvas::LineTo(PointD p) {
  if (inPath_) {
    if (!cairo_has_current_point(cr_)) cairo_move_to(cr_, state_.position.x, state_.position.y);
    cairo_line_to(cr_, p.x, p.y);
  } else {
    cairo_new_path(cr_);
    cairo_move_to(cr_, state_.position.x, state_.position.y);
    cairo_line_to(cr_, p.x, p.y);
    Paint(false, true);
  }
  state_.position = p;
}

void MetafileCanvas::Rectangle(double l, double t, double r, double b) {
  Begin();
  cairo_rectangle(cr_, l, t, r - l, b - t);
  Finish(true, true);
}

void MetafileCanvas::Ellipse(double l, double t, double r, double b) {
  const double rx = (r - l) / 2, ry = (b - t) / 2;
  if (rx == 0 || ry == 0) return;
  Begin();
  cairo_save(cr_);
  cairo_translate(cr_, l + rx, t + ry);
  cairo_scale(cr_, rx, ry);
  cairo_new_sub_path(cr_);
  cairo_arc(cr_, 0, 0, 1, 0, 2 * M_PI);
  cairo_close_path(cr_);
  cairo_restore(cr_);
  Finish(true, true);
}

void MetafileCanvas::Arc(double l, double t, double r, double b, PointD start, PointD end, ArcClose close) {
  const double rx = (r - l) / 2, ry = (b - t) / 2;
  if (rx == 0 || ry == 0) return;
  const double cx = l + rx, cy = t + ry;
  const double a0 = std::atan2((start.y - cy) / ry, (start.x - cx) / rx);
  const double a1 = std::atan2((end.y - cy) / ry, (end.x - cx) / rx);
  // Counter-clockwise as seen: decreasing angles while y runs down, increasing when the mapping
  // turns y upwards.
  cairo_matrix_t m;
  cairo_get_matrix(cr_, &m);
  const bool yUp = m.xx * m.yy - m.xy * m.yx < 0;
  const bool increasing = state_.arcClockwise != yUp;
  Begin();
  if (close == ArcClose::FromPosition) {
    if (!inPath_ || !cairo_has_current_point(cr_)) cairo_move_to(cr_, state_.position.x, state_.position.y);
  } else if (close == ArcClose::Pie) {
    cairo_move_to(cr_, cx, cy);
  } else {
    cairo_new_sub_path(cr_);
  }
  cairo_save(cr_);
  cairo_translate(cr_, cx, cy);
  cairo_scale(cr_, rx, ry);
  if (increasing) {
    cairo_arc(cr_, 0, 0, 1, a0, a1 <= a0 ? a1 + 2 * M_PI : a1);
  } else {
    cairo_arc_negative(cr_, 0, 0, 1, a0, a1 >= a0 ? a1 - 2 * M_PI : a1);
  }
  cairo_restore(cr_);
  if (close == ArcClose::FromPosition) {
    double x, y;
    cairo_get_current_point(cr_, &x, &y);
    state_.position = {x, y};
  }
  const bool closed = close == ArcClose::Chord || close == ArcClose::Pie;
  if (closed) cairo_close_path(cr_);
  Finish(closed, true);
}

void MetafileCanvas::RoundRect(double l, double t, double r, double b, double w, double h) {
  if (l > r) std::swap(l, r);
  if (t > b) std::swap(t, b);
  const double rx = std::min(std::fabs(w) / 2, (r - l) / 2), ry = std::min(std::fabs(h) / 2, (b - t) / 2);
  if (rx <= 0 || ry <= 0) return Rectangle(l, t, r, b);
  Begin();
  const struct {
    double cx, cy, from;
  } corners[4] = {{r - rx, t + ry, -M_PI / 2}, {r - rx, b - ry, 0}, {l + rx, b - ry, M_PI / 2}, {l + rx, t + ry, M_PI}};
  cairo_new_sub_path(cr_);
  for (const auto& c : corners) {
    cairo_save(cr_);
    cairo_translate(cr_, c.cx, c.cy);
    cairo_scale(cr_, rx, ry);
    cairo_arc(cr_, 0, 0, 1, c.from, c.from + M_PI / 2);
    cairo_restore(cr_);
  }
  cairo_close_path(cr_);
  Finish(true, true);
}

void MetafileCanvas::Polygon(const std::vector<PointD>& points) {
  if (points.size() < 2) return;
  Begin();
  AddPolygon(points.data(), points.size(), true);
  Finish(true, true);
}

void MetafileCanvas::Polyline(const std::vector<PointD>& points) {
  if (points.size() < 2) return;
  Begin();
  AddPolygon(points.data(), points.size(), false);
  Finish(false, true);
}

void MetafileCanvas::PolylineTo(const std::vector<PointD>& points) {
  if (points.empty()) return;
  Begin();
  if (!inPath_ || !cairo_has_current_point(cr_)) cairo_move_to(cr_, state_.position.x, state_.position.y);
  for (const PointD& p : points) cairo_line_to(cr_, p.x, p.y);
  state_.position = points.back();
  Finish(false, true);
}

void MetafileCanvas::PolyBezier(const std::vector<PointD>& points) {
  if (points.size() < 4) return;
  Begin();
  AddBeziers(points.data(), points.size(), false);
  Finish(false, true);
}

void MetafileCanvas::PolyBezierTo(const std::vector<PointD>& points) {
  if (points.size() < 3) return;
  Begin();
  if (inPath_ && cairo_has_current_point(cr_)) {
    for (size_t i = 0; i + 3 <= points.size(); i += 3)
      cairo_curve_to(cr_, points[i].x, points[i].y, points[i + 1].x, points[i + 1].y, points[i + 2].x, points[i + 2].y);
  } else {
    AddBeziers(points.data(), points.size(), true);
  }
  state_.position = points[points.size() - points.size() % 3 - 1];
  Finish(false, true);
}

void MetafileCanvas::PolyPolygon(const std::vector<PointD>& points, const std::vector<uint32_t>& counts) {
  Begin();
  size_t at = 0;
  for (uint32_t n : counts) {
    if (n > points.size() - at) break;
    AddPolygon(points.data() + at, n, true);
    at += n;
  }
  Finish(true, true);
}

void MetafileCanvas::PolyPolyline(const std::vector<PointD>& points, const std::vector<uint32_t>& counts) {
  Begin();
  size_t at = 0;
  for (uint32_t n : counts) {
    if (n > points.size() - at) break;
    AddPolygon(points.data() + at, n, false);
    at += n;
  }
  Finish(false, true);
}

void MetafileCanvas::BeginPath() {
  cairo_new_path(cr_);
  inPath_ = true;
}

void MetafileCanvas::CloseFigure() {
  if (cairo_has_current_point(cr_)) cairo_close_path(cr_);
}

void MetafileCanvas::FillPath() {
  inPath_ = false;
  Paint(true, false);
}
void MetafileCanvas::StrokePath() {
  inPath_ = false;
  Paint(false, true);
}
void MetafileCanvas::StrokeAndFillPath() {
  inPath_ = false;
  Paint(true, true);
}
void MetafileCanvas::AbortPath() {
  inPath_ = false;
  cairo_new_path(cr_);
}

void MetafileCanvas::DrawDib(const gdi::DibFormat& format, const uint8_t* bits, double srcX, double srcY,
                             double srcW, double srcH, double x, double y, double w, double h, double blend,
                             bool sourceAlpha) {
  if (srcW == 0 || srcH == 0 || w == 0 || h == 0 || !(blend > 0)) return;
  auto image = DibSurface(format, bits, sourceAlpha);
  if (!image) return;
  cairo_pattern_t* pattern = cairo_pattern_create_for_surface(image.get());
  cairo_matrix_t m;
  cairo_matrix_init(&m, srcW / w, 0, 0, srcH / h, srcX - x * srcW / w, srcY - y * srcH / h);
  cairo_pattern_set_matrix(pattern, &m);
  cairo_pattern_set_filter(pattern, filter_);
  cairo_pattern_set_extend(pattern, CAIRO_EXTEND_PAD);
  cairo_set_source(cr_, pattern);
  cairo_pattern_destroy(pattern);
  if (blend >= 1) return FillOutsidePath([&] { cairo_rectangle(cr_, x, y, w, h); });
  PathAside aside(cr_, inPath_);
  cairo_save(cr_);
  cairo_rectangle(cr_, x, y, w, h);
  cairo_clip(cr_);
  cairo_paint_with_alpha(cr_, blend);
  cairo_restore(cr_);
}

void MetafileCanvas::PatBlt(double x, double y, double w, double h, uint32_t rop) {
  if (rop != kPatCopy && rop != kBlackness && rop != kWhiteness) return;
  if (rop == kPatCopy) {
    if (state_.brush.style == MetaBrush::Null) return;
    SetBrushSource();
  } else {
    SetColour(cr_, rop == kBlackness ? 0 : RGB(255, 255, 255));
  }
  FillOutsidePath([&] { cairo_rectangle(cr_, x, y, w, h); });
}

// Block transfers paint at once, even while a path is being recorded: that path is set aside.
template <class Shape>
void MetafileCanvas::FillOutsidePath(Shape shape) {
  PathAside aside(cr_, inPath_);
  shape();
  cairo_fill(cr_);
}

}  // namespace vx::gdiplus

namespace vx::gdiplus {

// Text is laid out in target pixels: the font's size and the reference point go through the
// mapping, so that metric mapping modes (y upwards) do not mirror the glyphs.
void MetafileCanvas::TextOut(PointD reference, const std::string& utf8, uint32_t options, const double* box) {
  constexpr uint32_t kTaUpdateCp = 1;
  if (state_.textAlign & kTaUpdateCp) reference = state_.position;
  PathAside aside(cr_, inPath_);
  cairo_save(cr_);
  if (box && (options & (kEtoOpaque | kEtoClipped))) {
    cairo_rectangle(cr_, box[0], box[1], box[2] - box[0], box[3] - box[1]);
    if (options & kEtoOpaque) {
      SetColour(cr_, state_.background);
      cairo_fill_preserve(cr_);
    }
    if (options & kEtoClipped) cairo_clip_preserve(cr_);
    cairo_new_path(cr_);
  }
  const double scale = StrokeScale();
  double x = reference.x, y = reference.y;
  cairo_user_to_device(cr_, &x, &y);
  const MetaFont& font = state_.font;
  const double em = std::fabs(font.height) * (font.height > 0 ? 0.8 : 1.0) * scale;
  if (!utf8.empty() && em >= 0.5 && em < 1e5 && std::isfinite(x) && std::isfinite(y)) {
    cairo_identity_matrix(cr_);
    cairo_translate(cr_, x, y);
    cairo_rotate(cr_, -font.escapement * M_PI / 1800.0);
    const double advance = ShowText(utf8, em);
    if (state_.textAlign & kTaUpdateCp) {
      double ax = advance, ay = 0;
      cairo_user_to_device(cr_, &ax, &ay);
      cairo_restore(cr_);
      cairo_save(cr_);
      cairo_device_to_user(cr_, &ax, &ay);
      state_.position = {ax, ay};
    }
  }
  cairo_restore(cr_);
}

// Shows the text at the origin of the current space, placed by the alignment, over its cell's
// background in opaque mode; returns the advance.
double MetafileCanvas::ShowText(const std::string& utf8, double em) {
  constexpr uint32_t kTaHorizontal = 6, kTaRight = 2, kTaCenter = 6, kTaVertical = 24, kTaBottom = 8,
                     kTaBaseline = 24;
  const MetaFont& font = state_.font;
  gdi::LoadFontConfiguration();
  cairo_select_font_face(cr_, font.face.empty() ? "sans-serif" : font.face.c_str(),
                         font.italic ? CAIRO_FONT_SLANT_ITALIC : CAIRO_FONT_SLANT_NORMAL,
                         font.weight >= 600 ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
  cairo_set_font_size(cr_, em);
  cairo_font_extents_t fe;
  cairo_text_extents_t te;
  cairo_font_extents(cr_, &fe);
  cairo_text_extents(cr_, utf8.c_str(), &te);
  const uint32_t align = state_.textAlign;
  double dx = 0, dy = fe.ascent;
  if ((align & kTaHorizontal) == kTaCenter) dx = -te.x_advance / 2;
  else if ((align & kTaHorizontal) == kTaRight) dx = -te.x_advance;
  if ((align & kTaVertical) == kTaBaseline) dy = 0;
  else if ((align & kTaVertical) == kTaBottom) dy = -fe.descent;
  if (state_.bkMode != kTransparent) {
    SetColour(cr_, state_.background);
    cairo_rectangle(cr_, dx, dy - fe.ascent, te.x_advance, fe.ascent + fe.descent);
    cairo_fill(cr_);
  }
  SetColour(cr_, state_.text);
  cairo_move_to(cr_, dx, dy);
  cairo_show_text(cr_, utf8.c_str());
  cairo_new_path(cr_);
  return te.x_advance;
}

}  // namespace vx::gdiplus
