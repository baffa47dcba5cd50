// Cropping the current image to a rectangle or by lines from one side. The rectangle is cloned
// in the image's own pixel format, so a plain bitmap is cut with one row copy per row and an
// indexed one keeps its palette; the clone then takes over the image's identifier.
#include <algorithm>
#include <limits>

#include "engine/image_access.h"
#include "engine/image_store.h"
#include "engine/load/from_memory.h"
#include "vexiro/imaging.h"

namespace vexiro {

namespace {

namespace engine = vx::engine;

// A size less some lines, kept inside the 32-bit range: a size out of range is refused by the
// clone like any other rectangle that leaves the image.
int32_t SizeLess(int32_t size, int32_t lines) {
  return static_cast<int32_t>(std::clamp<int64_t>(int64_t{size} - lines, std::numeric_limits<int32_t>::min(),
                                                  std::numeric_limits<int32_t>::max()));
}

}  // namespace

VexiroStatus cImaging::Crop(int32_t nSrcLeft, int32_t nSrcTop, int32_t nWidth, int32_t nHeight) {
  if (nNativeImage == 0) return nStat = GenericError;
  SaveImageProperties(nNativeImage);
  vx::gdiplus::PixelFormat format = 0;
  if (VexiroStatus s = engine::GetImagePixelFormat(nNativeImage, format); s != OK) return nStat = s;
  // The clone's record is registered even when the clone fails; the owner releases it unless the
  // clone takes the image's place.
  engine::ScopedImage area;
  if (VexiroStatus s = engine::CloneImageArea(nSrcLeft, nSrcTop, nWidth, nHeight, format, nNativeImage, *area.put());
      s != OK)
    return nStat = s;
  RestoreImageProperties(area.get());
  if (engine::ReplaceImage(nNativeImage, area.get()) == 0) return nStat = GenericError;
  area.Keep();
  return nStat = OK;
}

VexiroStatus cImaging::CropTop(int32_t nLines) {
  const int32_t width = GetWidth(), height = GetHeight();
  return Crop(0, nLines, width, SizeLess(height, nLines));
}

VexiroStatus cImaging::CropBottom(int32_t nLines) {
  const int32_t width = GetWidth(), height = GetHeight();
  return Crop(0, 0, width, SizeLess(height, nLines));
}

VexiroStatus cImaging::CropLeft(int32_t nLines) {
  const int32_t width = GetWidth(), height = GetHeight();
  return Crop(nLines, 0, SizeLess(width, nLines), height);
}

VexiroStatus cImaging::CropRight(int32_t nLines) {
  const int32_t width = GetWidth(), height = GetHeight();
  return Crop(0, 0, SizeLess(width, nLines), height);
}

}  // namespace vexiro
