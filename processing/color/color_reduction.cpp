// Quantising the current image to an adaptive palette.
#include "engine/image_store.h"
#include "engine/routines/octree_quantizer.h"
#include "vexiro/imaging.h"

namespace vexiro {

VexiroStatus cImaging::QuantizeCore(int32_t& colorCount, bool makeTransparent, int32_t keyColor) {
  if (nNativeImage == 0) return nStat = GenericError;
  SaveImageProperties(nNativeImage);
  int32_t newId = 0;
  vx::gdiplus::ColorPalette palette;
  VexiroStatus s = vx::engine::ReduceImageColors(nNativeImage, newId, colorCount, palette, makeTransparent, keyColor);
  // An identifier that names no image makes nothing to put in its place.
  if (s == OK && newId == 0) s = InvalidParameter;
  nStat = s;
  if (s == OK) {
    RestoreImageProperties(newId);
    vx::engine::ReplaceImage(nNativeImage, newId);
  }
  return s;
}

}  // namespace vexiro
