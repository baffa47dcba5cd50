// Resizing: every member ends in ResizeCore, which draws the source into a new bitmap of the
// asked size. A size below 1 is refused before anything happens: the platform's thumbnail
// fallback would otherwise answer it with a 120 x 120 picture in place of the image.
#include <cmath>
#include <cstring>
#include <limits>

#include "engine/enumeration_values.h"
#include "engine/gdiplus_lifetime.h"
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

// What the pre-6.0 platform route notes of an indexed source before it is resized in 24 bits.
struct IndexedSource {
  int32_t bits = 0;  // 0: the source is resized in its own format
  gp::ColorPalette palette;
};

// Opaque white in these formats is every byte of a pixel at 0xFF, which is what clearing through
// a graphics stores; writing the bytes spares a premultiplied pass over the whole canvas.
bool WhiteIsAllOnes(gp::PixelFormat format) {
  return format == gp::PixelFormat24bppRGB || format == gp::PixelFormat32bppRGB || format == gp::PixelFormat32bppARGB;
}

// The canvas turned opaque white, row bytes only: the padding stays as the bitmap was made.
bool PaintWhiteBytes(int32_t drawing, int32_t width, int32_t height) {
  gp::PixelFormat format = 0;
  if (GetImagePixelFormat(drawing, format) != OK || !WhiteIsAllOnes(format)) return false;
  gp::BitmapData data;
  if (LockImageBits(drawing, {0, 0, width, height}, gp::ImageLockModeWrite, format, data) != OK) return false;
  const size_t rowBytes = static_cast<size_t>(width) * (PixelFormatBitDepth(format) / 8);
  for (int32_t y = 0; y < height; ++y)
    std::memset(static_cast<uint8_t*>(data.Scan0) + static_cast<ptrdiff_t>(y) * data.Stride, 0xFF, rowBytes);
  return UnlockImageBits(drawing, data) == OK;
}

// Draws `source` whole into the canvas; on failure once more in fast mode.
VexiroStatus DrawResized(int32_t source, const vx::geometry::TransformCanvas& canvas, int32_t width, int32_t height,
                         int32_t interpolation, gp::PixelFormat target) {
  const bool clear = !IsAlphaPixelFormat(target) && !PaintWhiteBytes(canvas.Drawing(), width, height);
  vx::draw::GraphicsPtr g;
  if (VexiroStatus s = canvas.OpenGraphics(g); s != OK) return s;
  if (clear) gp::GdipGraphicsClear(g.get(), 0xFFFFFFFFu);
  SetGraphicsInterpolation(g.get(), static_cast<gp::InterpolationMode>(interpolation));
  SetGraphicsSmoothing(g.get(), gp::SmoothingModeNone);
  if (interpolation != gp::InterpolationModeNearestNeighbor) {
    SetCompositingQuality(g.get(), gp::CompositingQualityGammaCorrected);
    SetPixelOffsetMode(g.get(), gp::PixelOffsetModeHalf);
  }
  if (vx::draw::DrawImageRectI(g.get(), source, 0, 0, width, height) == OK) return OK;
  SetGraphicsFastMode(g.get());
  return vx::draw::DrawImageRectI(g.get(), source, 0, 0, width, height);
}

// A new width from a height (or the reverse) at the current image's aspect ratio; 0 when the
// image has no size.
int32_t KeepAspect(int32_t current, int32_t given, bool givenIsHeight) {
  int32_t w = 0, h = 0;
  GetImageWidth(current, w);
  GetImageHeight(current, h);
  if (w < 1 || h < 1) return 0;
  const double ratio = double(w) / double(h);
  const double other = givenIsHeight ? given * ratio : given / ratio;
  return other < 1 || other > std::numeric_limits<int32_t>::max() ? 0 : static_cast<int32_t>(std::nearbyint(other));
}

}  // namespace

VexiroStatus cImaging::ResizeCore(int32_t source, int32_t& result, int32_t width, int32_t height,
                                  int32_t interpolation, int32_t targetFormat, bool keepProperties) {
  result = 0;
  if (source == 0) return nStat = GenericError;
  // Checked before the canvas: the thumbnail the core falls back on would make any size.
  if (VexiroStatus s = vx::geometry::CheckCanvasSize(width, height); s != OK) return nStat = s;
  const int32_t remembered = nNativeImage;
  if (keepProperties) SaveImageProperties(source);
  float horizontal = 0, vertical = 0;
  int32_t sourceWidth = 0, sourceHeight = 0;
  gp::PixelFormat sourceFormat = 0;
  VexiroStatus s = GetImageHorizontalResolution(source, horizontal);
  if (s == OK) s = GetImageVerticalResolution(source, vertical);
  if (s == OK) s = GetImageWidth(source, sourceWidth);
  if (s == OK) s = GetImageHeight(source, sourceHeight);
  if (s == OK) s = GetImagePixelFormat(source, sourceFormat);
  if (s != OK) return nStat = s;

  gp::PixelFormat target = targetFormat;
  IndexedSource indexed;
  if (target == 0 && IsIndexedPixelFormat(sourceFormat) && GdiplusBefore60()) {
    target = gp::PixelFormat24bppRGB;
    indexed.bits = PixelFormatBitDepth(sourceFormat);
    int32_t bytes = 0;
    if (GetImagePaletteSize(source, bytes) == OK) GetImagePalette(source, indexed.palette, bytes);
  } else if (target == 0) {
    target = sourceFormat;
  }

  vx::geometry::TransformCanvas canvas;
  s = canvas.Create(width, height, target, source);
  if (s == OK) s = DrawResized(source, canvas, width, height, interpolation, target);
  if (s == OK) s = canvas.Finish(result);
  if (s != OK) {
    // The platform's own thumbnail is the last way to a picture of that size.
    s = CreateImageThumbnail(source, width, height, result);
    if (s != OK) {
      if (result != 0) ReleaseImage(result);
      result = 0;
      return nStat = s;
    }
  }
  if (keepProperties) RestoreImageProperties(result);
  if (sourceWidth > 0 && sourceHeight > 0)
    SetImageResolution(result, float(double(width) / sourceWidth * horizontal),
                       float(double(height) / sourceHeight * vertical), true);
  if (indexed.bits != 0) {
    s = ConvertBackToIndexed(result, indexed.bits, indexed.palette);
    nNativeImage = remembered;
    if (s != OK) {
      ReleaseImage(result);
      result = 0;
      return nStat = s;
    }
  }
  return nStat = OK;
}

VexiroStatus cImaging::ConvertBackToIndexed(int32_t& result, int32_t bits, const gp::ColorPalette& palette) {
  nNativeImage = result;
  bool grey = true;
  bool keyed = false;
  int32_t key = 0;
  for (uint32_t i = 0; i < palette.Count; ++i) {
    const gp::ARGB c = palette.Entries[i];
    const int32_t r = (c >> 16) & 0xFF, g = (c >> 8) & 0xFF, b = c & 0xFF;
    grey = grey && r == g && g == b;
    if (!keyed && (c >> 24) == 0) keyed = true, key = r + 256 * g + 65536 * b;
  }
  VexiroStatus s = OK;
  if (bits == 1) {
    s = ConvertTo1Bpp();
  } else if (bits == 4) {
    BasicArray<int32_t> colours({ArrayBound{0, static_cast<int32_t>(palette.Count)}});
    for (uint32_t i = 0; i < palette.Count; ++i) colours.Data()[i] = static_cast<int32_t>(palette.Entries[i]);
    s = ConvertTo4BppPal(colours);
  } else if (grey) {
    s = ConvertTo8BppGrayScale();
  } else {
    int32_t colours = 256;
    s = QuantizeCore(colours, keyed, key);
  }
  result = nNativeImage;
  return s;
}

VexiroStatus cImaging::ResizeImage(int32_t nNewImageWidth, int32_t nNewImageHeight,
                                   EnumArg<InterpolationMode> nInterpolationMode) {
  if (RefusesValueOutside(nInterpolationMode)) return InvalidParameter;
  int32_t resized = 0;
  if (ResizeCore(nNativeImage, resized, nNewImageWidth, nNewImageHeight, nInterpolationMode, 0, true) == OK)
    ReplaceImage(nNativeImage, resized);
  return nStat;
}

int32_t cImaging::GetResizedImage(int32_t nImageID, int32_t nNewImageWidth, int32_t nNewImageHeight,
                                  EnumArg<InterpolationMode> nInterpolationMode) {
  if (RefusesValueOutside(nInterpolationMode)) return 0;
  int32_t resized = 0;
  ResizeCore(nImageID, resized, nNewImageWidth, nNewImageHeight, nInterpolationMode, 0, true);
  return resized;
}

VexiroStatus cImaging::ResizeHeightRatio(int32_t nNewImageHeight, EnumArg<InterpolationMode> nInterpolationMode) {
  if (RefusesValueOutside(nInterpolationMode)) return InvalidParameter;
  if (nNativeImage == 0) return nStat = GenericError;
  if (nNewImageHeight < 1) return nStat = InvalidParameter;
  const int32_t width = KeepAspect(nNativeImage, nNewImageHeight, true);
  return ResizeImage(width, nNewImageHeight, nInterpolationMode);
}

VexiroStatus cImaging::ResizeWidthRatio(int32_t nNewImageWidth, EnumArg<InterpolationMode> nInterpolationMode) {
  if (RefusesValueOutside(nInterpolationMode)) return InvalidParameter;
  if (nNativeImage == 0) return nStat = GenericError;
  if (nNewImageWidth < 1) return nStat = InvalidParameter;
  const int32_t height = KeepAspect(nNativeImage, nNewImageWidth, false);
  return ResizeImage(nNewImageWidth, height, nInterpolationMode);
}

VexiroStatus cImaging::ScaleImage(float nScalePercent, EnumArg<InterpolationMode> nInterpolationMode) {
  if (RefusesValueOutside(nInterpolationMode)) return InvalidParameter;
  if (nNativeImage == 0) return nStat = GenericError;
  if (!(nScalePercent > 0) || !std::isfinite(nScalePercent)) return nStat = InvalidParameter;
  int32_t w = 0, h = 0;
  GetImageWidth(nNativeImage, w);
  GetImageHeight(nNativeImage, h);
  const double width = std::floor(w * double(nScalePercent) / 100), height = std::floor(h * double(nScalePercent) / 100);
  if (width > std::numeric_limits<int32_t>::max() || height > std::numeric_limits<int32_t>::max())
    return nStat = InvalidParameter;
  return ResizeImage(static_cast<int32_t>(width), static_cast<int32_t>(height), nInterpolationMode);
}

}  // namespace vexiro
