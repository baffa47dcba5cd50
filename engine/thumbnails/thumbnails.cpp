// Thumbnails: the platform's thumbnail of an exact size, a high-quality resized copy, and an
// aspect-fit copy centred on a background. A result that cannot be completed is released, and
// the member returns 0.
#include <cmath>

#include "engine/image_access.h"
#include "engine/load/from_memory.h"
#include "vexiro/imaging.h"

namespace vexiro {

namespace gp = vx::gdiplus;
using namespace vx::engine;

namespace {

constexpr int32_t kTransparentBackground = -16777216;
constexpr int32_t kHighQualityBicubic = 7;  // the interpolation mode

int32_t Round(double v) { return static_cast<int32_t>(std::nearbyint(v)); }

// How much taller a pixel is than wide; pictures without a resolution have square pixels.
double PixelAspect(float horizontal, float vertical) {
  return horizontal > 0 && vertical > 0 ? double(vertical) / double(horizontal) : 1.0;
}

}  // namespace

int32_t cImaging::CreateThumbnail(int32_t nImageID, int32_t nWidth, int32_t nHeight) {
  if (nImageID == 0 || nWidth < 1 || nHeight < 1) return TakeLoadedImage(InvalidParameter, 0);
  int32_t w = 0, h = 0;
  float horizontal = 0, vertical = 0;
  VexiroStatus s = GetImageWidth(nImageID, w);
  if (s == OK) s = GetImageHeight(nImageID, h);
  if (s != OK) return TakeLoadedImage(s, 0);
  GetImageHorizontalResolution(nImageID, horizontal);
  GetImageVerticalResolution(nImageID, vertical);
  int32_t id = 0;
  s = CreateImageThumbnail(nImageID, nWidth, nHeight, id);
  // The thumbnail keeps the picture's physical size; without a resolution there is none to keep.
  if (s == OK && horizontal > 0 && vertical > 0)
    SetImageResolution(id, horizontal * float(nWidth) / float(w), vertical * float(nHeight) / float(h), true);
  return TakeLoadedImage(s, id);
}

int32_t cImaging::CreateThumbnailHQ(int32_t nImageID, int32_t nWidth, int32_t nHeight) {
  if (nImageID == 0) return TakeLoadedImage(InvalidParameter, 0);
  int32_t id = 0;
  const VexiroStatus s = ResizeCore(nImageID, id, nWidth, nHeight, kHighQualityBicubic,
                                    gp::PixelFormat32bppARGB, false);
  return TakeLoadedImage(s, id);
}

int32_t cImaging::CreateThumbnailHQEx(int32_t nImageID, int32_t nWidth, int32_t nHeight, EnumArg<Colors> nBackColor) {
  if (nImageID == 0) return TakeLoadedImage(InvalidParameter, 0);
  int32_t w = 0, h = 0;
  float horizontal = 0, vertical = 0;
  VexiroStatus s = GetImageHeight(nImageID, h);
  if (s == OK) s = GetImageWidth(nImageID, w);
  if (s == OK) s = GetImageVerticalResolution(nImageID, vertical);
  if (s == OK) s = GetImageHorizontalResolution(nImageID, horizontal);
  if (s == OK && (w < 1 || h < 1)) s = InvalidParameter;
  if (s != OK) return TakeLoadedImage(s, 0);
  ScopedImage thumbnail;
  s = CreateImageFromScan0(nWidth, nHeight, 0, gp::PixelFormat32bppARGB, 0, *thumbnail.put(), false);
  if (s != OK) return TakeLoadedImage(s, 0);
  const int32_t previous = nNativeImage;
  nNativeImage = thumbnail.get();
  if (nBackColor != kTransparentBackground) s = ClearImage(nBackColor);
  const double aspect = double(w) / double(h) * PixelAspect(horizontal, vertical);
  const double scale = aspect < double(nWidth) / double(nHeight)
                           ? double(nHeight) / double(h) * PixelAspect(horizontal, vertical)
                           : double(nWidth) / double(w);
  const int32_t drawnWidth = Round(w * scale), drawnHeight = Round(drawnWidth / aspect);
  if (s == OK)
    s = DrawImageRect(nImageID, Round((nWidth - drawnWidth) / 2.0), Round((nHeight - drawnHeight) / 2.0), drawnWidth,
                      drawnHeight, 0, 0, w, h, kHighQualityBicubic);
  nNativeImage = previous;
  return TakeLoadedImage(s, s == OK ? thumbnail.Keep() : 0);
}

}  // namespace vexiro
