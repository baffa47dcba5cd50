// The one way a graphics object draws: over every tile of the target that the drawing can reach,
// a premultiplied working copy is drawn on by cairo, and only the pixels the drawing changed go
// back into the target, so untouched pixels keep their exact values in any pixel format.
#pragma once
#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/gdiplus/graphics.h"
#include "platform/gdiplus/path.h"

namespace vx::gdiplus {

// Target tiles keep each working copy small and inside cairo's size limit.
constexpr INT kTargetTile = 2048;

using SurfacePtr = std::unique_ptr<cairo_surface_t, void (*)(cairo_surface_t*)>;

inline SurfacePtr NewSurface(INT width, INT height) {
  SurfacePtr surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height), cairo_surface_destroy);
  if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) surface.reset();
  return surface;
}

// Writes back the runs of each row that differ from what was loaded.
inline void StoreChangedRuns(PixelTarget& target, const GpRect& tile, const uint8_t* data, int stride,
                             const std::vector<uint32_t>& before) {
  for (INT y = 0; y < tile.Height; ++y) {
    const auto* now = reinterpret_cast<const uint32_t*>(data + y * stride);
    const uint32_t* was = before.data() + static_cast<size_t>(y) * tile.Width;
    INT x = 0;
    while (x < tile.Width) {
      while (x < tile.Width && now[x] == was[x]) ++x;
      const INT start = x;
      while (x < tile.Width && now[x] != was[x]) ++x;
      if (x > start)
        target.Store(GpRect{tile.X + start, tile.Y + y, x - start, 1},
                     reinterpret_cast<const uint8_t*>(now + start), stride);
    }
  }
}

template <class Draw>
Status GpGraphics::Render(const GpRectF& area, bool covers, Draw draw, bool vector) {
  if (cairo_t* cr = target_->VectorContext()) return RenderOnDevice(cr, draw);
  const GpRect bounds = DeviceBounds(area);
  const cairo_matrix_t device = DeviceMatrix();
  const double offset = VectorOffset();
  covers = covers && clip_.empty();
  // Without a clip, a target whose loaded pixels store back unchanged takes the whole tile back:
  // the pixels the drawing left alone come out as they went in.
  const bool storeWhole = covers || (clip_.empty() && target_->RoundTripsExactly());
  std::vector<uint32_t> before;
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
      if (!storeWhole) {
        before.resize(static_cast<size_t>(tile.Width) * tile.Height);
        for (INT y = 0; y < tile.Height; ++y)
          std::memcpy(before.data() + static_cast<size_t>(y) * tile.Width, data + y * stride, size_t(tile.Width) * 4);
      }
      cairo_surface_mark_dirty(surface.get());
      cairo_t* cr = cairo_create(surface.get());
      cairo_translate(cr, -tile.X + offset, -tile.Y + offset);
      // Images keep pixel centres at half-integers, as they sample their sources there.
      if (!vector) cairo_translate(cr, -offset, -offset);
      cairo_transform(cr, &device);
      draw(cr);
      cairo_destroy(cr);
      cairo_surface_flush(surface.get());
      if (!clip_.empty()) {
        if (Status s = KeepOutsideClip(tile, offset, data, stride, before); s != Ok) return s;
      }
      if (storeWhole) {
        target_->Store(tile, data, stride);
      } else {
        StoreChangedRuns(*target_, tile, data, stride, before);
      }
    }
  }
  return Ok;
}

// A vector device keeps what is drawn as drawn: images stay images at their own pixels.
template <class Draw>
Status GpGraphics::RenderOnDevice(cairo_t* cr, Draw& draw) {
  const cairo_matrix_t device = DeviceMatrix();
  // A page keeps vectors, so only clips that cairo can intersect are drawn there; a union, xor
  // or exclusion would need a raster mask over the page.
  for (const ClipStep& step : clip_)
    if (step.mode != CombineModeReplace && step.mode != CombineModeIntersect) return NotImplemented;
  cairo_save(cr);
  for (const ClipStep& step : clip_) {
    if (step.infinite) continue;
    cairo_new_path(cr);
    step.outline.AppendTo(cr);
    cairo_set_fill_rule(cr, step.outline.fillMode == FillModeWinding ? CAIRO_FILL_RULE_WINDING : CAIRO_FILL_RULE_EVEN_ODD);
    cairo_clip(cr);
  }
  cairo_transform(cr, &device);
  draw(cr);
  cairo_restore(cr);
  return cairo_status(cr) == CAIRO_STATUS_SUCCESS ? Ok : GenericError;
}

}  // namespace vx::gdiplus
