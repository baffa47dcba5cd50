// Borders: the canvas grows by the border on the asked sides, the image is drawn at its offset
// and the strips are painted on the canvas before it takes the image's place, so an indexed
// image, which no graphics can paint on, gets its borders too.
#include <cstdint>

#include "engine/image_access.h"
#include "engine/image_graphics.h"
#include "engine/load/from_memory.h"
#include "processing/draw/gdiplus_wrappers.h"
#include "processing/geometry/transform_canvas.h"
#include "vexiro/imaging.h"

namespace vexiro {

namespace gp = vx::gdiplus;
using namespace vx::engine;

namespace {

// The strips in the order they are painted: top and bottom across the whole width, left and
// right between them.
VexiroStatus PaintStrips(gp::GpGraphics* g, int32_t colour, int32_t width, int32_t height, int32_t left, int32_t top,
                         int32_t right, int32_t bottom) {
  vx::draw::BrushPtr brush;
  if (VexiroStatus s = vx::draw::MakeInto(
          brush, [&](gp::GpBrush** b) { return gp::GdipCreateSolidFill(static_cast<gp::ARGB>(colour), b); });
      s != OK)
    return s;
  const int32_t middle = height - top - bottom;
  const gp::GpRect strips[] = {{0, 0, width, top},
                               {0, height - bottom, width, bottom},
                               {0, top, left, middle},
                               {width - right, top, right, middle}};
  for (const gp::GpRect& r : strips) {
    if (r.Width < 1 || r.Height < 1) continue;
    if (VexiroStatus s = ToStatus(gp::GdipFillRectangle(g, brush.get(), gp::REAL(r.X), gp::REAL(r.Y), gp::REAL(r.Width), gp::REAL(r.Height))); s != OK)
      return s;
  }
  return OK;
}

}  // namespace

VexiroStatus cImaging::AddBordersCore(int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t colour) {
  if (nNativeImage == 0) return nStat = GenericError;
  // A border below 1 would leave the image as it is while reporting success, or shrink it.
  if (left < 0 || top < 0 || right < 0 || bottom < 0 || (left == 0 && top == 0 && right == 0 && bottom == 0))
    return nStat = InvalidParameter;
  SaveImageProperties();
  gp::PixelFormat format = 0;
  if (VexiroStatus s = GetImagePixelFormat(nNativeImage, format); s != OK) return nStat = s;
  const int64_t width = int64_t{nSavedWidth} + left + right, height = int64_t{nSavedHeight} + top + bottom;
  if (VexiroStatus s = vx::geometry::CheckCanvasSize(width, height); s != OK) return nStat = s;
  vx::geometry::TransformCanvas canvas;
  VexiroStatus s = canvas.Create(int32_t(width), int32_t(height), format, nNativeImage);
  if (s != OK) return nStat = s;
  {
    vx::draw::GraphicsPtr g;
    if ((s = canvas.OpenGraphics(g)) != OK) return nStat = s;
    SetGraphicsFastMode(g.get());
    s = vx::draw::DrawImageRectI(g.get(), nNativeImage, left, top, nSavedWidth, nSavedHeight);
    if (s == OK) s = PaintStrips(g.get(), colour, int32_t(width), int32_t(height), left, top, right, bottom);
    if (s != OK) return nStat = s;
  }
  return ReplaceCurrentByCanvas(canvas);
}

VexiroStatus cImaging::AddBorders(int32_t b, EnumArg<Colors> colour) {
  return AddBordersCore(b, b, b, b, colour);
}
VexiroStatus cImaging::AddBorderTop(int32_t b, EnumArg<Colors> colour) {
  return AddBordersCore(0, b, 0, 0, colour);
}
VexiroStatus cImaging::AddBorderBottom(int32_t b, EnumArg<Colors> colour) {
  return AddBordersCore(0, 0, 0, b, colour);
}
VexiroStatus cImaging::AddBorderLeft(int32_t b, EnumArg<Colors> colour) {
  return AddBordersCore(b, 0, 0, 0, colour);
}
VexiroStatus cImaging::AddBorderRight(int32_t b, EnumArg<Colors> colour) {
  return AddBordersCore(0, 0, b, 0, colour);
}

}  // namespace vexiro
