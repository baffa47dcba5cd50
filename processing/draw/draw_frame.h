// The frame every drawing member shares: a graphics object on the current image, the quality the
// member's antialias flag asks for, a pen or brush, and owners that delete every platform object
// a member makes before it returns, whichever step fails.
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "engine/image_graphics.h"
#include "engine/vexiro_status.h"
#include "platform/gdiplus/brush.h"
#include "platform/gdiplus/font.h"
#include "platform/gdiplus/graphics.h"
#include "platform/gdiplus/graphics_shapes.h"
#include "platform/gdiplus/path.h"
#include "vexiro/basic_array.h"

namespace vx::draw {

using gdiplus::ARGB;
using vexiro::VexiroStatus;

template <class T, gdiplus::Status (*Delete)(T*)>
struct PlatformDeleter {
  void operator()(T* object) const { Delete(object); }
};
using GraphicsPtr = std::unique_ptr<gdiplus::GpGraphics, PlatformDeleter<gdiplus::GpGraphics, gdiplus::GdipDeleteGraphics>>;
using PenPtr = std::unique_ptr<gdiplus::GpPen, PlatformDeleter<gdiplus::GpPen, gdiplus::GdipDeletePen>>;
using BrushPtr = std::unique_ptr<gdiplus::GpBrush, PlatformDeleter<gdiplus::GpBrush, gdiplus::GdipDeleteBrush>>;
using PathPtr = std::unique_ptr<gdiplus::GpPath, PlatformDeleter<gdiplus::GpPath, gdiplus::GdipDeletePath>>;
using FamilyPtr =
    std::unique_ptr<gdiplus::GpFontFamily, PlatformDeleter<gdiplus::GpFontFamily, gdiplus::GdipDeleteFontFamily>>;
using FontPtr = std::unique_ptr<gdiplus::GpFont, PlatformDeleter<gdiplus::GpFont, gdiplus::GdipDeleteFont>>;
using FormatPtr =
    std::unique_ptr<gdiplus::GpStringFormat, PlatformDeleter<gdiplus::GpStringFormat, gdiplus::GdipDeleteStringFormat>>;

// Runs a call that makes an object into its owner; the call's status (the platform's statuses
// are the system's first 22) as the system's.
template <class Ptr, class Make>
VexiroStatus MakeInto(Ptr& owner, Make make) {
  typename Ptr::pointer raw = nullptr;
  const auto s = make(&raw);
  owner.reset(raw);
  return static_cast<VexiroStatus>(s);
}

// A graphics on the image; without a current image GenericError.
VexiroStatus OpenGraphics(int32_t image, GraphicsPtr& graphics);
// Smoothing mode AntiAlias for true, None for false.
void SetAntiAlias(gdiplus::GpGraphics* graphics, bool antiAlias);

// The common frame of the outline members: graphics, smoothing, a solid pen of `width` pixels,
// then `draw(graphics, pen)`.
template <class Draw>
VexiroStatus StrokeOnImage(int32_t image, bool antiAlias, ARGB colour, float width, Draw draw) {
  GraphicsPtr g;
  if (VexiroStatus s = OpenGraphics(image, g); s != vexiro::OK) return s;
  SetAntiAlias(g.get(), antiAlias);
  PenPtr pen;
  if (VexiroStatus s = MakeInto(pen, [&](gdiplus::GpPen** p) {
        return gdiplus::GdipCreatePen1(colour, width, gdiplus::UnitPixel, p);
      });
      s != vexiro::OK)
    return s;
  return engine::ToStatus(draw(g.get(), pen.get()));
}

// The same for the fill members, with a solid brush.
template <class Draw>
VexiroStatus FillOnImage(int32_t image, bool antiAlias, ARGB colour, Draw draw) {
  GraphicsPtr g;
  if (VexiroStatus s = OpenGraphics(image, g); s != vexiro::OK) return s;
  SetAntiAlias(g.get(), antiAlias);
  BrushPtr brush;
  if (VexiroStatus s = MakeInto(brush, [&](gdiplus::GpBrush** b) { return gdiplus::GdipCreateSolidFill(colour, b); });
      s != vexiro::OK)
    return s;
  return engine::ToStatus(draw(g.get(), brush.get()));
}

// A point list: x, y pairs of the flattened array, n \ 2 points. With fewer than two elements a
// single point (0, 0) stands there and `count` is 0, which the platform refuses.
struct PointList {
  std::vector<gdiplus::GpPoint> points;
  int32_t count = 0;
};
PointList PointsOf(const vexiro::BasicArray<int32_t>& array);

}  // namespace vx::draw
