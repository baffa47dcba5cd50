// The reduced copy the engine's own writers may work from.
#include "engine/save/image_buffers.h"

#include "engine/image_access.h"
#include "engine/image_store.h"
#include "engine/routines/octree_quantizer.h"

namespace vx::engine {

ScopedImage::~ScopedImage() {
  if (id_ != 0) ReleaseImage(id_);
}

VexiroStatus ReduceToEightBits(int32_t id, ScopedImage& reduced) {
  int32_t colors = 256;
  gdiplus::ColorPalette palette;
  const VexiroStatus s = ReduceImageColors(id, *reduced.put(), colors, palette, false, 0);
  if (s != vexiro::OK) return s;
  return reduced.get() == 0 ? vexiro::InvalidParameter : vexiro::OK;
}

}  // namespace vx::engine
