#include "platform/gdiplus/graphics.h"
#include "platform/gdiplus/graphics_render.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <optional>
#include <vector>

#include "platform/gdi/gdi.h"
#include "platform/gdiplus/gdiplus_flat.h"
#include "platform/gdiplus/image_attributes.h"
#include "platform/gdiplus/image_handle.h"
#include "platform/gdiplus/image_resampler.h"
#include "platform/gdiplus/metafile.h"
#include "platform/gdiplus/metafile_player.h"

namespace vx::gdiplus {
namespace {

// Source tiles keep each source surface inside cairo's 32767-pixel limit.
constexpr INT kSourceTile = 8192;

struct SourceTile {
  GpRect rect;
  SurfacePtr surface{nullptr, cairo_surface_destroy};
};

// One row of source pixels as premultiplied cairo pixels. With colour adjustments the row is
// adjusted as straight ARGB first, since the adjustments compare and produce unpremultiplied colours.
void LoadSourceRow(const Frame& f, INT y, INT x, INT count, ColorAdjustmentApplier* adjust, uint8_t* out) {
  const SourceRow row = FrameSourceRow(f, y, x);
  if (!adjust) {
    ConvertRow(row, {out, PixelFormat32bppPARGB}, count);
    return;
  }
  ConvertRow(row, {out, PixelFormat32bppARGB}, count);
  auto* px = reinterpret_cast<uint32_t*>(out);
  adjust->Apply(px, static_cast<size_t>(count));
  PremultiplyRun(px, static_cast<size_t>(count));
}

// The `area` of the source bitmap's active frame as premultiplied cairo surfaces.
Status SourceTiles(const Frame& f, const GpRect& area, ColorAdjustmentApplier* adjust, std::vector<SourceTile>& out) {
  const INT right = area.X + area.Width, bottom = area.Y + area.Height;
  for (INT ty = area.Y; ty < bottom; ty += kSourceTile) {
    for (INT tx = area.X; tx < right; tx += kSourceTile) {
      SourceTile tile;
      tile.rect = {tx, ty, std::min(kSourceTile, right - tx), std::min(kSourceTile, bottom - ty)};
      tile.surface = NewSurface(tile.rect.Width, tile.rect.Height);
      if (!tile.surface) return OutOfMemory;
      cairo_surface_flush(tile.surface.get());
      uint8_t* data = cairo_image_surface_get_data(tile.surface.get());
      const int stride = cairo_image_surface_get_stride(tile.surface.get());
      for (INT y = 0; y < tile.rect.Height; ++y)
        LoadSourceRow(f, ty + y, tx, tile.rect.Width, adjust, data + y * stride);
      cairo_surface_mark_dirty(tile.surface.get());
      out.push_back(std::move(tile));
    }
  }
  return Ok;
}

// The world-space rectangle where the source span [from, to) lands on one axis.
void DestSpan(double from, double to, double srcStart, double scale, double destStart, double& pos, double& size) {
  pos = destStart + (from - srcStart) * scale;
  size = (to - from) * scale;
}

// The pattern matrix that maps the destination rectangle onto the source pixels from `origin` on.
cairo_matrix_t SourceMatrix(const GpRect& origin, const GpRectF& source, const GpRectF& dest) {
  const double sx = double(dest.Width) / source.Width, sy = double(dest.Height) / source.Height;
  cairo_matrix_t m;
  cairo_matrix_init(&m, 1 / sx, 0, 0, 1 / sy, -dest.X / sx + source.X - origin.X, -dest.Y / sy + source.Y - origin.Y);
  return m;
}

bool Integral(double v) { return v == std::floor(v) && std::fabs(v) < (1 << 30); }

// The best and the bilinear filter over a source rectangle of whole pixels, one source tile at
// most, drawn to whole pixels of an image target, are painted by the resampler, which gives cairo's
// bytes faster and premultiplies only the rows in use; false where it does not apply.
bool PaintScaledSource(cairo_t* cr, const Frame& f, const GpRect& area, ColorAdjustmentApplier* adjust,
                       const GpRectF& source, const GpRectF& dest, cairo_filter_t filter) {
  if (filter != CAIRO_FILTER_BEST && filter != CAIRO_FILTER_BILINEAR) return false;
  if (area.Width > kSourceTile || area.Height > kSourceTile) return false;
  if (source.X != area.X || source.Y != area.Y || source.Width != area.Width || source.Height != area.Height)
    return false;
  cairo_surface_t* surface = cairo_get_target(cr);
  if (cairo_surface_get_type(surface) != CAIRO_SURFACE_TYPE_IMAGE ||
      cairo_image_surface_get_format(surface) != CAIRO_FORMAT_ARGB32)
    return false;
  cairo_matrix_t ctm;
  cairo_get_matrix(cr, &ctm);
  if (ctm.xx != 1 || ctm.yy != 1 || ctm.xy != 0 || ctm.yx != 0 || !Integral(ctm.x0) || !Integral(ctm.y0)) return false;
  const double left = dest.X + ctm.x0, top = dest.Y + ctm.y0;
  if (!Integral(left) || !Integral(top) || !Integral(dest.Width) || !Integral(dest.Height)) return false;
  const int width = cairo_image_surface_get_width(surface), height = cairo_image_surface_get_height(surface);
  const double right = std::min<double>(left + dest.Width, width), bottom = std::min<double>(top + dest.Height, height);
  const int x = int(std::max(left, 0.0)), y = int(std::max(top, 0.0));
  if (!(right > x) || !(bottom > y)) return true;

  cairo_matrix_t toSource = SourceMatrix(area, source, dest), ctmInverse = ctm;
  if (cairo_matrix_invert(&ctmInverse) != CAIRO_STATUS_SUCCESS) return false;
  cairo_matrix_multiply(&toSource, &ctmInverse, &toSource);
  const PremultipliedRows rows{area.Width, area.Height, [&](int row, int column, int count, uint8_t* out) {
                                 LoadSourceRow(f, area.Y + row, area.X + column, count, adjust, out);
                               }};
  cairo_surface_flush(surface);
  const auto paint = filter == CAIRO_FILTER_BEST ? PaintBestScaled : PaintBilinearScaled;
  if (!paint(rows, toSource, cairo_image_surface_get_data(surface), cairo_image_surface_get_stride(surface),
             PixelBox{x, y, int(right) - x, int(bottom) - y}))
    return false;
  cairo_surface_mark_dirty(surface);
  return true;
}

// Draws each source tile into its share of the destination rectangle; only the part of a tile
// inside the source rectangle is drawn.
void PaintTiles(cairo_t* cr, const std::vector<SourceTile>& tiles, const GpRectF& source, const GpRectF& dest,
                cairo_filter_t filter) {
  const double sx = double(dest.Width) / source.Width, sy = double(dest.Height) / source.Height;
  const double srcLeft = std::min<double>(source.X, double(source.X) + source.Width);
  const double srcTop = std::min<double>(source.Y, double(source.Y) + source.Height);
  const double srcRight = srcLeft + std::fabs(source.Width), srcBottom = srcTop + std::fabs(source.Height);
  for (const SourceTile& tile : tiles) {
    const double left = std::max<double>(tile.rect.X, srcLeft);
    const double right = std::min<double>(tile.rect.X + tile.rect.Width, srcRight);
    const double top = std::max<double>(tile.rect.Y, srcTop);
    const double bottom = std::min<double>(tile.rect.Y + tile.rect.Height, srcBottom);
    if (!(left < right) || !(top < bottom)) continue;
    cairo_pattern_t* pattern = cairo_pattern_create_for_surface(tile.surface.get());
    const cairo_matrix_t m = SourceMatrix(tile.rect, source, dest);
    cairo_pattern_set_matrix(pattern, &m);
    cairo_pattern_set_filter(pattern, filter);
    // Padding keeps edge pixels whole when resampled to pixels; a vector page keeps the image
    // itself, and a padded pattern would make it embed a widened copy.
    const bool vectorPage = cairo_surface_get_type(cairo_get_target(cr)) != CAIRO_SURFACE_TYPE_IMAGE;
    cairo_pattern_set_extend(pattern, vectorPage ? CAIRO_EXTEND_NONE : CAIRO_EXTEND_PAD);
    cairo_set_source(cr, pattern);
    double x, y, w, h;
    DestSpan(left, right, source.X, sx, dest.X, x, w);
    DestSpan(top, bottom, source.Y, sy, dest.Y, y, h);
    cairo_rectangle(cr, x, y, w, h);
    cairo_fill(cr);
    cairo_pattern_destroy(pattern);
  }
}

// The pixels of a width x height image that the source rectangle reaches; empty when none.
GpRect SourcePixels(const GpRectF& source, INT width, INT height) {
  auto clampTo = [](double v, INT limit) { return INT(std::clamp(v, 0.0, double(limit))); };
  const double x0 = std::min<double>(source.X, double(source.X) + source.Width);
  const double y0 = std::min<double>(source.Y, double(source.Y) + source.Height);
  const INT left = clampTo(std::floor(x0), width), right = clampTo(std::ceil(x0 + std::fabs(source.Width)), width);
  const INT top = clampTo(std::floor(y0), height), bottom = clampTo(std::ceil(y0 + std::fabs(source.Height)), height);
  if (left >= right || top >= bottom) return {};
  return {left, top, right - left, bottom - top};
}

bool Finite(const GpRectF& r) {
  return std::isfinite(r.X) && std::isfinite(r.Y) && std::isfinite(r.Width) && std::isfinite(r.Height);
}

}  // namespace

GpGraphics::GpGraphics(std::unique_ptr<PixelTarget> target, HDC ownDc) : target_(std::move(target)), ownDc_(ownDc) {
  cairo_matrix_init_identity(&world_);
}

GpGraphics::~GpGraphics() {
  if (lentDc_) ReturnLentDc();
  if (releaseScreenDc) vx::ReleaseDC(0, ownDc_);
}

GpRect GpGraphics::DeviceBounds(const GpRectF& area) const {
  const cairo_matrix_t device = DeviceMatrix();
  double minX = std::numeric_limits<double>::max(), minY = minX, maxX = -minX, maxY = -minX;
  const double xs[2] = {area.X, double(area.X) + area.Width}, ys[2] = {area.Y, double(area.Y) + area.Height};
  for (double x : xs) {
    for (double y : ys) {
      double tx = x, ty = y;
      cairo_matrix_transform_point(&device, &tx, &ty);
      minX = std::min(minX, tx);
      maxX = std::max(maxX, tx);
      minY = std::min(minY, ty);
      maxY = std::max(maxY, ty);
    }
  }
  // One pixel more on each side for antialiased edges, then clipped to the target.
  const double left = std::max(0.0, std::floor(minX) - 1), top = std::max(0.0, std::floor(minY) - 1);
  const double right = std::min<double>(target_->Width(), std::ceil(maxX) + 1);
  const double bottom = std::min<double>(target_->Height(), std::ceil(maxY) + 1);
  if (!(left < right) || !(top < bottom)) return {};
  return {INT(left), INT(top), INT(right - left), INT(bottom - top)};
}

cairo_filter_t GpGraphics::ImageFilter() const {
  switch (interpolation) {
    case InterpolationModeNearestNeighbor: return CAIRO_FILTER_NEAREST;
    case InterpolationModeHighQualityBilinear: return CAIRO_FILTER_GOOD;
    case InterpolationModeHighQuality:
    case InterpolationModeBicubic:
    case InterpolationModeHighQualityBicubic: return CAIRO_FILTER_BEST;
    default: return CAIRO_FILTER_BILINEAR;
  }
}

Status GpGraphics::Clear(ARGB colour) {
  if (lentDc_) return ObjectBusy;
  // Clearing ignores the world transform: every pixel of the target takes the colour.
  cairo_matrix_t world = world_;
  cairo_matrix_init_identity(&world_);
  const Status s = Render(GpRectF{0, 0, REAL(target_->Width()), REAL(target_->Height())}, true, [colour](cairo_t* cr) {
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_rgba(cr, ((colour >> 16) & 0xff) / 255.0, ((colour >> 8) & 0xff) / 255.0, (colour & 0xff) / 255.0,
                          (colour >> 24) / 255.0);
    cairo_paint(cr);
  });
  world_ = world;
  return s;
}

Status GpGraphics::DrawImage(GpImage* image, const GpRectF& dest) {
  if (lentDc_) return ObjectBusy;
  if (!Finite(dest)) return InvalidParameter;
  if (dest.Width == 0 || dest.Height == 0) return Ok;
  if (const auto* metafile = dynamic_cast<const GpMetafile*>(image)) {
    const cairo_filter_t filter = ImageFilter();
    return Render(dest, false, [&](cairo_t* cr) { PlayMetafile(*metafile, cr, dest, filter); });
  }
  GpBitmap* bitmap = nullptr;
  if (Status s = ResolveBitmap(image, bitmap); s != Ok) return s;
  const Frame& f = bitmap->current();
  return DrawImage(image, dest, GpRectF{0, 0, REAL(f.width), REAL(f.height)}, nullptr);
}

Status GpGraphics::DrawImage(GpImage* image, const GpRectF& dest, const GpRectF& source,
                             const GpImageAttributes* attributes) {
  if (lentDc_) return ObjectBusy;
  if (!Finite(dest) || !Finite(source)) return InvalidParameter;
  if (dest.Width == 0 || dest.Height == 0 || source.Width == 0 || source.Height == 0) return Ok;
  const cairo_filter_t filter = ImageFilter();
  if (const auto* metafile = dynamic_cast<const GpMetafile*>(image))
    return DrawMetafile(*metafile, dest, source, filter);
  GpBitmap* bitmap = nullptr;
  if (Status s = ResolveBitmap(image, bitmap); s != Ok) return s;
  const Frame& f = bitmap->current();
  const GpRect area = SourcePixels(source, f.width, f.height);
  if (area.Width == 0) return Ok;
  std::optional<ColorAdjustmentApplier> applier;
  if (attributes) {
    const ColorAdjustments& adjust = attributes->Effective(ColorAdjustTypeBitmap);
    if (adjust.ChangesPixels()) applier.emplace(adjust);
  }
  ColorAdjustmentApplier* adjust = applier ? &*applier : nullptr;
  // The premultiplied source tiles are made only when cairo draws.
  std::vector<SourceTile> tiles;
  Status tiled = Ok;
  const Status drawn = Render(dest, false, [&](cairo_t* cr) {
    if (PaintScaledSource(cr, f, area, adjust, source, dest, filter)) return;
    if (tiled != Ok || (tiles.empty() && (tiled = SourceTiles(f, area, adjust, tiles)) != Ok)) return;
    PaintTiles(cr, tiles, source, dest, filter);
  });
  return tiled != Ok ? tiled : drawn;
}

// The whole picture is played at the scale that maps the source rectangle onto the destination,
// clipped to the destination.
Status GpGraphics::DrawMetafile(const GpMetafile& metafile, const GpRectF& dest, const GpRectF& source,
                                cairo_filter_t filter) {
  ImageDescription d;
  if (Status s = metafile.Describe(d); s != Ok) return s;
  const double sx = double(dest.Width) / source.Width, sy = double(dest.Height) / source.Height;
  const GpRectF whole{REAL(dest.X - source.X * sx), REAL(dest.Y - source.Y * sy), REAL(d.width * sx),
                      REAL(d.height * sy)};
  if (!Finite(whole)) return InvalidParameter;
  return Render(dest, false, [&](cairo_t* cr) {
    cairo_rectangle(cr, dest.X, dest.Y, dest.Width, dest.Height);
    cairo_clip(cr);
    PlayMetafile(metafile, cr, whole, filter);
  });
}

Status GpGraphics::Transform(const cairo_matrix_t& by, MatrixOrder order) {
  if (lentDc_) return ObjectBusy;
  if (order != MatrixOrderPrepend && order != MatrixOrderAppend) return InvalidParameter;
  cairo_matrix_t result;
  // Prepending puts the new transform first, before the transform already in place.
  if (order == MatrixOrderPrepend) {
    cairo_matrix_multiply(&result, &by, &world_);
  } else {
    cairo_matrix_multiply(&result, &world_, &by);
  }
  world_ = result;
  return Ok;
}

Status GpGraphics::Rotate(REAL degrees, MatrixOrder order) {
  if (!std::isfinite(degrees)) return InvalidParameter;
  cairo_matrix_t m;
  cairo_matrix_init_rotate(&m, degrees * M_PI / 180.0);
  return Transform(m, order);
}

Status GpGraphics::Translate(REAL dx, REAL dy, MatrixOrder order) {
  if (!std::isfinite(dx) || !std::isfinite(dy)) return InvalidParameter;
  cairo_matrix_t m;
  cairo_matrix_init_translate(&m, dx, dy);
  return Transform(m, order);
}

Status GpGraphics::Scale(REAL sx, REAL sy, MatrixOrder order) {
  if (!std::isfinite(sx) || !std::isfinite(sy) || sx == 0 || sy == 0) return InvalidParameter;
  cairo_matrix_t m;
  cairo_matrix_init_scale(&m, sx, sy);
  return Transform(m, order);
}

double GpGraphics::PixelsPerUnit(Unit unit, bool vertical) const {
  const double dpi = vertical ? target_->DpiY() : target_->DpiX();
  switch (unit) {
    case UnitWorld:
    case UnitDisplay:
    case UnitPixel: return 1;
    case UnitPoint: return dpi / 72.0;
    case UnitInch: return dpi;
    case UnitDocument: return dpi / 300.0;
    case UnitMillimeter: return dpi / 25.4;
  }
  return 0;
}

cairo_matrix_t GpGraphics::DeviceMatrix() const {
  cairo_matrix_t page, result;
  cairo_matrix_init_scale(&page, PixelsPerUnit(pageUnit, false) * pageScale, PixelsPerUnit(pageUnit, true) * pageScale);
  cairo_matrix_multiply(&result, &world_, &page);
  return result;
}

Status GpGraphics::TransformPoints(CoordinateSpace to, CoordinateSpace from, GpPointF* points, INT count) const {
  if (!points || count <= 0 || to < CoordinateSpaceWorld || to > CoordinateSpaceDevice || from < CoordinateSpaceWorld ||
      from > CoordinateSpaceDevice)
    return InvalidParameter;
  // Each space as a matrix to the device: world through world and page, page through page.
  const auto toDevice = [this](CoordinateSpace space) {
    cairo_matrix_t m;
    if (space == CoordinateSpaceWorld) return DeviceMatrix();
    cairo_matrix_init_identity(&m);
    if (space == CoordinateSpacePage)
      cairo_matrix_init_scale(&m, PixelsPerUnit(pageUnit, false) * pageScale, PixelsPerUnit(pageUnit, true) * pageScale);
    return m;
  };
  cairo_matrix_t fromM = toDevice(from), toM = toDevice(to), result;
  if (cairo_matrix_invert(&toM) != CAIRO_STATUS_SUCCESS) return InvalidParameter;
  cairo_matrix_multiply(&result, &fromM, &toM);
  for (INT i = 0; i < count; ++i) {
    double x = points[i].X, y = points[i].Y;
    cairo_matrix_transform_point(&result, &x, &y);
    points[i] = {REAL(x), REAL(y)};
  }
  return Ok;
}

Status GpGraphics::DrawImagePoints(GpImage* image, const GpPointF (&p)[3]) {
  if (lentDc_) return ObjectBusy;
  ImageDescription d;
  if (const auto* metafile = dynamic_cast<const GpMetafile*>(image)) {
    if (Status s = metafile->Describe(d); s != Ok) return s;
  } else {
    GpBitmap* bitmap = nullptr;
    if (Status s = ResolveBitmap(image, bitmap); s != Ok) return s;
    d.width = bitmap->current().width;
    d.height = bitmap->current().height;
  }
  if (d.width <= 0 || d.height <= 0) return InvalidParameter;
  for (const GpPointF& q : p)
    if (!std::isfinite(q.X) || !std::isfinite(q.Y)) return InvalidParameter;
  // The image's own rectangle, mapped onto the parallelogram before the world transform.
  cairo_matrix_t skew;
  cairo_matrix_init(&skew, (p[1].X - p[0].X) / d.width, (p[1].Y - p[0].Y) / d.width, (p[2].X - p[0].X) / d.height,
                    (p[2].Y - p[0].Y) / d.height, p[0].X, p[0].Y);
  const cairo_matrix_t world = world_;
  Status s = Transform(skew, MatrixOrderPrepend);
  if (s == Ok) s = DrawImage(image, GpRectF{0, 0, REAL(d.width), REAL(d.height)});
  world_ = world;
  return s;
}

}  // namespace vx::gdiplus
