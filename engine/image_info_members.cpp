// The engine's image information members: thin queries on the current image (a document's
// current page), most of which keep their status for GetStat.
#include "engine/current_image_query.h"
#include "engine/image_access.h"
#include "engine/image_store.h"
#include "engine/load/loader.h"
#include "engine/pixel_formats.h"
#include "vexiro/imaging.h"

namespace vexiro {

using namespace vx::engine;

int32_t cImaging::GetWidth() { return QueryCurrent(nNativeImage, nStat, GetImageWidth); }
int32_t cImaging::GetHeight() { return QueryCurrent(nNativeImage, nStat, GetImageHeight); }

float cImaging::SizeInMillimetres(bool horizontal) {
  const int32_t pixels = QueryCurrent(nNativeImage, nStat, horizontal ? GetImageWidth : GetImageHeight);
  if (nStat != OK) return 0;
  const float dpi = QueryCurrent(nNativeImage, nStat,
                                 horizontal ? GetImageHorizontalResolution : GetImageVerticalResolution);
  if (nStat != OK || !(dpi > 0)) return 0;
  return static_cast<float>(static_cast<double>(pixels) / dpi * 25.4);
}

float cImaging::GetWidthMM() { return SizeInMillimetres(true); }
float cImaging::GetHeightMM() { return SizeInMillimetres(false); }

std::string cImaging::GetImageFormat() { return GetImageFormatName(nNativeImage); }

int32_t cImaging::GetPixelFormat() { return QueryCurrent(nNativeImage, nStat, GetImagePixelFormat); }
std::string cImaging::GetPixelFormatString() { return QueryCurrent(nNativeImage, nStat, GetPixelFormatName); }
int32_t cImaging::GetImageColorSpace() { return QueryCurrent(nNativeImage, nStat, GetImageColorSpaceCode); }
int32_t cImaging::GetPixelDepth() { return QueryCurrent(nNativeImage, nStat, GetImageBitDepth); }

bool cImaging::IsPixelFormatIndexed() {
  const int32_t format = GetPixelFormat();
  return nStat == OK && IsIndexedPixelFormat(static_cast<PixelFormat>(format));
}

bool cImaging::IsPixelFormatHasAlpha() {
  const int32_t format = GetPixelFormat();
  return nStat == OK && IsAlphaPixelFormat(static_cast<PixelFormat>(format));
}

float cImaging::GetHorizontalResolution() { return QueryCurrent(nNativeImage, nStat, GetImageHorizontalResolution); }
float cImaging::GetVerticalResolution() { return QueryCurrent(nNativeImage, nStat, GetImageVerticalResolution); }

namespace {
// No current image at all is a general error; an identifier that names no image is a bad argument.
VexiroStatus NoImageStatus(int32_t id) { return id == 0 ? GenericError : InvalidParameter; }
}  // namespace

VexiroStatus cImaging::SetHorizontalResolution(float nHorizontalresolution) {
  if (GetImageIndex(nNativeImage) < 0) return nStat = NoImageStatus(nNativeImage);
  nStat = SetImageResolutionGiven(nNativeImage, nHorizontalresolution, GetVerticalResolution());
  return nStat;
}

VexiroStatus cImaging::SetVerticalResolution(float nVerticalresolution) {
  if (GetImageIndex(nNativeImage) < 0) return nStat = NoImageStatus(nNativeImage);
  nStat = SetImageResolutionGiven(nNativeImage, GetHorizontalResolution(), nVerticalresolution);
  return nStat;
}

bool cImaging::IsCMYKFile(const std::string& sFilePath) {
  if (RefusesCutPath(sFilePath)) return false;
  return FileIsCMYK(sFilePath);
}

}  // namespace vexiro
