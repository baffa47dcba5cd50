#include "processing/draw/draw_frame.h"

#include "engine/routines/shared_routines.h"

namespace vx::draw {

VexiroStatus OpenGraphics(int32_t image, GraphicsPtr& graphics) {
  if (image == 0) return vexiro::GenericError;
  gdiplus::GpGraphics* raw = nullptr;
  const VexiroStatus s = engine::GetImageGraphics(image, raw);
  graphics.reset(raw);
  return s;
}

void SetAntiAlias(gdiplus::GpGraphics* graphics, bool antiAlias) {
  engine::SetGraphicsSmoothing(graphics, antiAlias ? gdiplus::SmoothingModeAntiAlias : gdiplus::SmoothingModeNone);
}

PointList PointsOf(const vexiro::BasicArray<int32_t>& array) {
  const std::vector<int32_t> flat = engine::FlattenPointArray(array);
  PointList out;
  if (flat.size() < 2) {
    out.points.push_back({0, 0});
    return out;
  }
  for (size_t i = 0; i + 1 < flat.size(); i += 2) out.points.push_back({flat[i], flat[i + 1]});
  out.count = static_cast<int32_t>(out.points.size());
  return out;
}

}  // namespace vx::draw
