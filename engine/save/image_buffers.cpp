// The reduced copy the engine's own writers may work from, and the prologue they share.
#include "engine/save/image_buffers.h"

#include "engine/image_access.h"
#include "engine/image_store.h"
#include "engine/routines/octree_quantizer.h"
#include "engine/save/gdiplus_savers.h"

namespace vx::engine {

VexiroStatus ReduceToEightBits(int32_t id, ScopedImage& reduced) {
  int32_t colors = 256;
  gdiplus::ColorPalette palette;
  const VexiroStatus s = ReduceImageColors(id, *reduced.put(), colors, palette, false, 0);
  if (s != vexiro::OK) return s;
  return reduced.get() == 0 ? vexiro::InvalidParameter : vexiro::OK;
}

VexiroStatus RunOwnWriter(int32_t id, bool (*needsReduction)(int32_t bits), const OwnWrite& write) {
  if (GetImageIndex(id) < 0) return vexiro::InvalidParameter;
  try {
    ReapplyResolution(id);
    int32_t bits = 0;
    const VexiroStatus s = GetImageBitDepth(id, bits);
    if (s != vexiro::OK) return s;
    if (!needsReduction(bits)) return write(id, bits, false);
    ScopedImage reduced;
    const VexiroStatus r = ReduceToEightBits(id, reduced);
    if (r != vexiro::OK) return r;
    return write(reduced.get(), bits, true);
  } catch (const std::bad_alloc&) {
    return vexiro::OutOfMemory;
  }
}

}  // namespace vx::engine
