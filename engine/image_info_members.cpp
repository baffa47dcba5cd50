// The engine's image information members: thin queries on the current image (a document's
// current page), most of which keep their status for GetStat.
#include "control/binding.h"
#include "engine/image_access.h"
#include "engine/image_store.h"
#include "engine/load/loader.h"
#include "engine/pixel_formats.h"
#include "vexiro/imaging.h"

namespace vexiro {

using namespace vx::engine;

int32_t cImaging::GetWidth() {
  int32_t width = 0;
  nStat = GetImageWidth(nNativeImage, width);
  return nStat == OK ? width : 0;
}

int32_t cImaging::GetHeight() {
  int32_t height = 0;
  nStat = GetImageHeight(nNativeImage, height);
  return nStat == OK ? height : 0;
}

float cImaging::SizeInMillimetres(bool horizontal) {
  int32_t pixels = 0;
  nStat = horizontal ? GetImageWidth(nNativeImage, pixels) : GetImageHeight(nNativeImage, pixels);
  if (nStat != OK) return 0;
  float dpi = 0;
  nStat = horizontal ? GetImageHorizontalResolution(nNativeImage, dpi) : GetImageVerticalResolution(nNativeImage, dpi);
  if (nStat != OK || !(dpi > 0)) return 0;
  return static_cast<float>(static_cast<double>(pixels) / dpi * 25.4);
}

float cImaging::GetWidthMM() { return SizeInMillimetres(true); }
float cImaging::GetHeightMM() { return SizeInMillimetres(false); }

std::string cImaging::GetImageFormat() { return GetImageFormatName(nNativeImage); }

int32_t cImaging::GetPixelFormat() {
  PixelFormat format = 0;
  nStat = GetImagePixelFormat(nNativeImage, format);
  return nStat == OK ? static_cast<int32_t>(format) : 0;
}

std::string cImaging::GetPixelFormatString() {
  std::string name;
  nStat = GetPixelFormatName(nNativeImage, name);
  return name;
}

int32_t cImaging::GetImageColorSpace() {
  int32_t code = 0;
  nStat = GetImageColorSpaceCode(nNativeImage, code);
  return nStat == OK ? code : 0;
}

int32_t cImaging::GetPixelDepth() {
  int32_t bits = 0;
  nStat = GetImageBitDepth(nNativeImage, bits);
  return nStat == OK ? bits : 0;
}

bool cImaging::IsPixelFormatIndexed() {
  const int32_t format = GetPixelFormat();
  return nStat == OK && IsIndexedPixelFormat(static_cast<PixelFormat>(format));
}

bool cImaging::IsPixelFormatHasAlpha() {
  const int32_t format = GetPixelFormat();
  return nStat == OK && IsAlphaPixelFormat(static_cast<PixelFormat>(format));
}

float cImaging::GetHorizontalResolution() {
  float dpi = 0;
  nStat = GetImageHorizontalResolution(nNativeImage, dpi);
  return nStat == OK ? dpi : 0;
}

float cImaging::GetVerticalResolution() {
  float dpi = 0;
  nStat = GetImageVerticalResolution(nNativeImage, dpi);
  return nStat == OK ? dpi : 0;
}

namespace {
// No current image at all is a general error; an identifier that names no image is a bad argument.
VexiroStatus NoImageStatus(int32_t id) { return id == 0 ? GenericError : InvalidParameter; }
}  // namespace

VexiroStatus cImaging::SetHorizontalResolution(float nHorizontalresolution) {
  if (GetImageIndex(nNativeImage) < 0) return nStat = NoImageStatus(nNativeImage);
  nStat = SetImageResolution(nNativeImage, nHorizontalresolution, GetVerticalResolution());
  return nStat;
}

VexiroStatus cImaging::SetVerticalResolution(float nVerticalresolution) {
  if (GetImageIndex(nNativeImage) < 0) return nStat = NoImageStatus(nNativeImage);
  nStat = SetImageResolution(nNativeImage, GetHorizontalResolution(), nVerticalresolution);
  return nStat;
}

bool cImaging::IsCMYKFile(const std::string& sFilePath) { return FileIsCMYK(sFilePath); }

}  // namespace vexiro

namespace vx::control {

VX_BIND(GetWidth, &vexiro::cImaging::GetWidth);
VX_BIND(GetHeight, &vexiro::cImaging::GetHeight);
VX_BIND(GetWidthMM, &vexiro::cImaging::GetWidthMM);
VX_BIND(GetHeightMM, &vexiro::cImaging::GetHeightMM);
VX_BIND(GetImageFormat, &vexiro::cImaging::GetImageFormat);
VX_BIND(GetPixelFormat, &vexiro::cImaging::GetPixelFormat);
VX_BIND(GetPixelFormatString, &vexiro::cImaging::GetPixelFormatString);
VX_BIND(GetImageColorSpace, &vexiro::cImaging::GetImageColorSpace);
VX_BIND(GetPixelDepth, &vexiro::cImaging::GetPixelDepth);
VX_BIND(IsPixelFormatIndexed, &vexiro::cImaging::IsPixelFormatIndexed);
VX_BIND(IsPixelFormatHasAlpha, &vexiro::cImaging::IsPixelFormatHasAlpha);
VX_BIND(GetHorizontalResolution, &vexiro::cImaging::GetHorizontalResolution);
VX_BIND(GetVerticalResolution, &vexiro::cImaging::GetVerticalResolution);
VX_BIND(SetHorizontalResolution, &vexiro::cImaging::SetHorizontalResolution);
VX_BIND(SetVerticalResolution, &vexiro::cImaging::SetVerticalResolution);
VX_BIND(IsCMYKFile, &vexiro::cImaging::IsCMYKFile);

}  // namespace vx::control
