// Generic image queries: type, size, resolution, pixel format, flags and raw format.
#include <cmath>

#include "platform/gdiplus/codecs/stored_colour_space.h"
#include "platform/gdiplus/gdiplus_flat.h"
#include "platform/gdiplus/image_io.h"
#include "platform/gdiplus/image_handle.h"

namespace vx::gdiplus {

namespace {

UINT BitmapFlags(const Frame& frame) {
  UINT flags = frame.imageFlags;
  if (IsAlphaPixelFormat(frame.format) || (frame.paletteFlags & PaletteFlagsHasAlpha)) flags |= ImageFlagsHasAlpha;
  return flags;
}

// Fills `out` from the active frame of a bitmap or from another image's own description.
Status Describe(GpImage* image, ImageDescription& out) {
  if (Status s = CheckImage(image); s != Ok) return s;
  if (dynamic_cast<GpBitmap*>(image)) {
    GpBitmap* bitmap = nullptr;
    if (Status s = ResolveBitmap(image, bitmap); s != Ok) return s;
    const Frame& frame = bitmap->current();
    out.width = static_cast<UINT>(frame.width);
    out.height = static_cast<UINT>(frame.height);
    out.dpiX = frame.dpiX;
    out.dpiY = frame.dpiY;
    out.format = frame.format;
    out.flags = BitmapFlags(frame);
    return Ok;
  }
  return image->Describe(out);
}

template <typename T, typename Pick>
Status Query(GpImage* image, T* result, Pick pick) {
  if (!result) return GdiplusIsRunning() ? InvalidParameter : GdiplusNotInitialized;
  ImageDescription description;
  if (Status s = Describe(image, description); s != Ok) return s;
  *result = pick(description);
  return Ok;
}

}  // namespace

Status GdipImageForceValidation(GpImage* image) { return CheckImage(image); }

Status GdipGetImageType(GpImage* image, ImageType* type) {
  if (Status s = CheckImage(image); s != Ok) return s;
  if (!type) return InvalidParameter;
  *type = image->type;
  return Ok;
}

Status GdipGetImageWidth(GpImage* image, UINT* width) {
  return Query(image, width, [](const ImageDescription& d) { return d.width; });
}

Status GdipGetImageHeight(GpImage* image, UINT* height) {
  return Query(image, height, [](const ImageDescription& d) { return d.height; });
}

Status GdipGetImageDimension(GpImage* image, REAL* width, REAL* height) {
  if (!width || !height) return GdiplusIsRunning() ? InvalidParameter : GdiplusNotInitialized;
  ImageDescription description;
  if (Status s = Describe(image, description); s != Ok) return s;
  *width = static_cast<REAL>(description.width);
  *height = static_cast<REAL>(description.height);
  return Ok;
}

Status GdipGetImageHorizontalResolution(GpImage* image, REAL* dpi) {
  return Query(image, dpi, [](const ImageDescription& d) { return d.dpiX; });
}

Status GdipGetImageVerticalResolution(GpImage* image, REAL* dpi) {
  return Query(image, dpi, [](const ImageDescription& d) { return d.dpiY; });
}

Status GdipGetImagePixelFormat(GpImage* image, PixelFormat* format) {
  return Query(image, format, [](const ImageDescription& d) { return d.format; });
}

Status GdipGetImageFlags(GpImage* image, UINT* flags) {
  return Query(image, flags, [](const ImageDescription& d) { return d.flags; });
}

Status SetDecodedColourSpace(GpImage* image, UINT colourSpaceFlags) {
  GpBitmap* bitmap = nullptr;
  if (Status s = ResolveBitmap(image, bitmap); s != Ok) return s;
  Frame& frame = bitmap->current();
  frame.imageFlags = (frame.imageFlags & ~codecs::kColourSpaceFlags) | (colourSpaceFlags & codecs::kColourSpaceFlags);
  return Ok;
}

Status GdipGetImageRawFormat(GpImage* image, GUID* format) {
  if (Status s = CheckImage(image); s != Ok) return s;
  if (!format) return InvalidParameter;
  *format = image->rawFormat;
  return Ok;
}

Status GdipBitmapSetResolution(GpBitmap* bitmap, REAL xdpi, REAL ydpi) {
  GpBitmap* checked = nullptr;
  if (Status s = ResolveBitmap(bitmap, checked); s != Ok) return s;
  if (!std::isfinite(xdpi) || !std::isfinite(ydpi) || xdpi <= 0 || ydpi <= 0) return InvalidParameter;
  checked->current().dpiX = xdpi;
  checked->current().dpiY = ydpi;
  return Ok;
}

}  // namespace vx::gdiplus
