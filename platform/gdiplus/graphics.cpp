#include "platform/gdiplus/graphics.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <vector>

#include "platform/gdiplus/gdiplus_flat.h"
#include "platform/gdiplus/image_handle.h"
#include "platform/gdiplus/metafile_player.h"

namespace vx::gdiplus {
namespace {

// Target tiles keep each working copy small; source tiles keep each source surface inside
// cairo's 32767-pixel limit.
constexpr INT kTargetTile = 2048;
constexpr INT kSourceTile = 8192;

using SurfacePtr = std::unique_ptr<cairo_surface_t, void (*)(cairo_surface_t*)>;

SurfacePtr NewSurface(INT width, INT height) {
  SurfacePtr surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height), cairo_surface_destroy);
  if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) surface.reset();
  return surface;
}

struct SourceTile {
  GpRect rect;
  SurfacePtr surface{nullptr, cairo_surface_destroy};
};

// The source bitmap's active frame as premultiplied cairo surfaces.
Status SourceTiles(const Frame& f, std::vector<SourceTile>& out) {
  for (INT ty = 0; ty < f.height; ty += kSourceTile) {
    for (INT tx = 0; tx < f.width; tx += kSourceTile) {
      SourceTile tile;
      tile.rect = {tx, ty, std::min(kSourceTile, f.width - tx), std::min(kSourceTile, f.height - ty)};
      tile.surface = NewSurface(tile.rect.Width, tile.rect.Height);
      if (!tile.surface) return OutOfMemory;
      cairo_surface_flush(tile.surface.get());
      uint8_t* data = cairo_image_surface_get_data(tile.surface.get());
      const int stride = cairo_image_surface_get_stride(tile.surface.get());
      for (INT y = 0; y < tile.rect.Height; ++y)
        ConvertRow(FrameRow(f, ty + y), f.format, f.palette.data(), f.palette.size(), tx, data + y * stride,
                   PixelFormat32bppPARGB, nullptr, 0, 0, tile.rect.Width);
      cairo_surface_mark_dirty(tile.surface.get());
      out.push_back(std::move(tile));
    }
  }
  return Ok;
}

// Draws each source tile into its share of the destination rectangle.
void PaintTiles(cairo_t* cr, const std::vector<SourceTile>& tiles, INT srcWidth, INT srcHeight, const GpRectF& dest,
                cairo_filter_t filter) {
  const double sx = dest.Width / srcWidth, sy = dest.Height / srcHeight;
  for (const SourceTile& tile : tiles) {
    cairo_pattern_t* pattern = cairo_pattern_create_for_surface(tile.surface.get());
    cairo_matrix_t m;
    cairo_matrix_init(&m, 1 / sx, 0, 0, 1 / sy, -dest.X / sx - tile.rect.X, -dest.Y / sy - tile.rect.Y);
    cairo_pattern_set_matrix(pattern, &m);
    cairo_pattern_set_filter(pattern, filter);
    cairo_pattern_set_extend(pattern, CAIRO_EXTEND_PAD);
    cairo_set_source(cr, pattern);
    cairo_rectangle(cr, dest.X + tile.rect.X * sx, dest.Y + tile.rect.Y * sy, tile.rect.Width * sx,
                    tile.rect.Height * sy);
    cairo_fill(cr);
    cairo_pattern_destroy(pattern);
  }
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
}

GpRect GpGraphics::DeviceBounds(const GpRectF& area) const {
  double minX = std::numeric_limits<double>::max(), minY = minX, maxX = -minX, maxY = -minX;
  const double xs[2] = {area.X, double(area.X) + area.Width}, ys[2] = {area.Y, double(area.Y) + area.Height};
  for (double x : xs) {
    for (double y : ys) {
      double tx = x, ty = y;
      cairo_matrix_transform_point(&world_, &tx, &ty);
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

template <class Draw>
Status GpGraphics::Render(const GpRectF& area, bool covers, Draw draw) {
  const GpRect bounds = DeviceBounds(area);
  for (INT ty = bounds.Y; ty < bounds.Y + bounds.Height; ty += kTargetTile) {
    for (INT tx = bounds.X; tx < bounds.X + bounds.Width; tx += kTargetTile) {
      const GpRect tile{tx, ty, std::min(kTargetTile, bounds.X + bounds.Width - tx),
                        std::min(kTargetTile, bounds.Y + bounds.Height - ty)};
      SurfacePtr surface = NewSurface(tile.Width, tile.Height);
      if (!surface) return OutOfMemory;
      cairo_surface_flush(surface.get());
      uint8_t* data = cairo_image_surface_get_data(surface.get());
      const int stride = cairo_image_surface_get_stride(surface.get());
      if (!covers) target_->Load(tile, data, stride);
      cairo_surface_mark_dirty(surface.get());
      cairo_t* cr = cairo_create(surface.get());
      cairo_translate(cr, -tile.X, -tile.Y);
      cairo_transform(cr, &world_);
      draw(cr);
      cairo_destroy(cr);
      cairo_surface_flush(surface.get());
      target_->Store(tile, data, stride);
    }
  }
  return Ok;
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
  const cairo_filter_t filter = ImageFilter();
  if (const auto* metafile = dynamic_cast<const GpMetafile*>(image)) {
    return Render(dest, false, [&](cairo_t* cr) { PlayMetafile(*metafile, cr, dest, filter); });
  }
  GpBitmap* bitmap = nullptr;
  if (Status s = ResolveBitmap(image, bitmap); s != Ok) return s;
  const Frame& f = bitmap->current();
  std::vector<SourceTile> tiles;
  if (Status s = SourceTiles(f, tiles); s != Ok) return s;
  return Render(dest, false, [&](cairo_t* cr) { PaintTiles(cr, tiles, f.width, f.height, dest, filter); });
}

Status GpGraphics::Rotate(REAL degrees, MatrixOrder order) {
  if (lentDc_) return ObjectBusy;
  if (!std::isfinite(degrees) || (order != MatrixOrderPrepend && order != MatrixOrderAppend)) return InvalidParameter;
  cairo_matrix_t rotation, result;
  cairo_matrix_init_rotate(&rotation, degrees * M_PI / 180.0);
  // Prepending puts the rotation first, before the transform already in place.
  if (order == MatrixOrderPrepend) {
    cairo_matrix_multiply(&result, &rotation, &world_);
  } else {
    cairo_matrix_multiply(&result, &world_, &rotation);
  }
  world_ = result;
  return Ok;
}

}  // namespace vx::gdiplus
