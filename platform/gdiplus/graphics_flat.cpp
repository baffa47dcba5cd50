// The flat calls on graphics objects: argument checks, then the object's own methods.
#include <new>

#include "platform/gdi/gdi.h"
#include "platform/gdi/gdi_objects.h"
#include "platform/gdiplus/gdiplus_flat.h"
#include "platform/gdiplus/graphics.h"
#include "platform/gdiplus/image_handle.h"

namespace vx::gdiplus {
namespace {

bool RefusesGraphics(PixelFormat format) {
  return IsIndexedPixelFormat(format) || format == PixelFormat16bppARGB1555 || format == PixelFormat16bppGrayScale;
}

Status Check(GpGraphics* graphics) {
  if (!GdiplusIsRunning()) return GdiplusNotInitialized;
  return graphics ? Ok : InvalidParameter;
}

Status Adopt(std::unique_ptr<PixelTarget> target, HDC ownDc, GpGraphics** graphics) {
  try {
    *graphics = new GpGraphics(std::move(target), ownDc);
    return Ok;
  } catch (const std::bad_alloc&) {
    return OutOfMemory;
  }
}

// A graphics drawing on a window of the X display; a window the display refuses is a failure
// of the window system.
Status AdoptWindow(HWND window, GpGraphics** graphics) {
  auto target = MakeWindowTarget(window);
  if (!target) return Win32Error;
  return Adopt(std::move(target), 0, graphics);
}

template <class Mode>
Status SetMode(GpGraphics* graphics, Mode value, Mode last, Mode GpGraphics::*field) {
  if (Status s = Check(graphics); s != Ok) return s;
  if (value < 0 || value > last) return InvalidParameter;
  graphics->*field = value;
  return Ok;
}

}  // namespace

Status GdipGetImageGraphicsContext(GpImage* image, GpGraphics** graphics) {
  if (!GdiplusIsRunning()) return GdiplusNotInitialized;
  if (!graphics) return InvalidParameter;
  *graphics = nullptr;
  GpBitmap* bitmap = nullptr;
  if (Status s = ResolveBitmap(image, bitmap); s != Ok) return s;
  if (RefusesGraphics(bitmap->current().format)) return OutOfMemory;
  return Adopt(MakeBitmapTarget(bitmap), 0, graphics);
}

Status GdipCreateFromHDC(HDC dc, GpGraphics** graphics) {
  if (!GdiplusIsRunning()) return GdiplusNotInitialized;
  if (!graphics) return InvalidParameter;
  *graphics = nullptr;
  // A window's context draws on the window; GDI drawing lent from such a graphics goes through
  // a memory copy, as for a bitmap.
  // A printer's context draws straight onto its page.
  if (const auto context = gdi::DeviceContexts().Find(dc)) {
    if (context->window != 0) return AdoptWindow(context->window, graphics);
    if (context->device) return Adopt(MakeDeviceTarget(context->device), 0, graphics);
  }
  auto bitmap = gdi::SelectedBitmap(dc);
  if (!bitmap) return OutOfMemory;
  return Adopt(MakeDibTarget(std::move(bitmap)), dc, graphics);
}

Status GdipCreateFromHWND(HWND window, GpGraphics** graphics) {
  if (!GdiplusIsRunning()) return GdiplusNotInitialized;
  if (!graphics) return InvalidParameter;
  *graphics = nullptr;
  // Window 0 stands for the screen; others are windows of the X display.
  if (window != 0) return AdoptWindow(window, graphics);
  const HDC dc = GetDC(0);
  if (!dc) return OutOfMemory;
  const Status s = GdipCreateFromHDC(dc, graphics);
  if (s != Ok) {
    ReleaseDC(0, dc);
    return s;
  }
  (*graphics)->releaseScreenDc = true;
  return Ok;
}

Status GdipDeleteGraphics(GpGraphics* graphics) {
  if (Status s = Check(graphics); s != Ok) return s;
  delete graphics;
  return Ok;
}

Status GdipGraphicsClear(GpGraphics* graphics, ARGB colour) {
  if (Status s = Check(graphics); s != Ok) return s;
  return graphics->Clear(colour);
}

Status GdipDrawImageRect(GpGraphics* graphics, GpImage* image, REAL x, REAL y, REAL width, REAL height) {
  if (Status s = Check(graphics); s != Ok) return s;
  if (!image) return InvalidParameter;
  return graphics->DrawImage(image, GpRectF{x, y, width, height});
}

Status GdipDrawImageRectI(GpGraphics* graphics, GpImage* image, INT x, INT y, INT width, INT height) {
  return GdipDrawImageRect(graphics, image, REAL(x), REAL(y), REAL(width), REAL(height));
}

Status GdipDrawImageRectRect(GpGraphics* graphics, GpImage* image, REAL dstx, REAL dsty, REAL dstwidth,
                             REAL dstheight, REAL srcx, REAL srcy, REAL srcwidth, REAL srcheight, Unit srcUnit,
                             const GpImageAttributes* imageAttributes, void*, void*) {
  if (Status s = Check(graphics); s != Ok) return s;
  if (!image || srcUnit < UnitWorld || srcUnit > UnitMillimeter) return InvalidParameter;
  if (srcUnit != UnitPixel) return NotImplemented;
  return graphics->DrawImage(image, GpRectF{dstx, dsty, dstwidth, dstheight}, GpRectF{srcx, srcy, srcwidth, srcheight},
                             imageAttributes);
}

Status GdipDrawImageRectRectI(GpGraphics* graphics, GpImage* image, INT dstx, INT dsty, INT dstwidth, INT dstheight,
                              INT srcx, INT srcy, INT srcwidth, INT srcheight, Unit srcUnit,
                              const GpImageAttributes* imageAttributes, void* callback, void* callbackData) {
  return GdipDrawImageRectRect(graphics, image, REAL(dstx), REAL(dsty), REAL(dstwidth), REAL(dstheight), REAL(srcx),
                               REAL(srcy), REAL(srcwidth), REAL(srcheight), srcUnit, imageAttributes, callback,
                               callbackData);
}

Status GdipGetDC(GpGraphics* graphics, HDC* dc) {
  if (Status s = Check(graphics); s != Ok) return s;
  if (!dc) return InvalidParameter;
  *dc = 0;
  return graphics->GetDC(dc);
}

Status GdipReleaseDC(GpGraphics* graphics, HDC dc) {
  if (Status s = Check(graphics); s != Ok) return s;
  return graphics->ReleaseDC(dc);
}

Status GdipSetSmoothingMode(GpGraphics* graphics, SmoothingMode mode) {
  return SetMode(graphics, mode, SmoothingModeAntiAlias8x8, &GpGraphics::smoothing);
}

Status GdipSetInterpolationMode(GpGraphics* graphics, InterpolationMode mode) {
  return SetMode(graphics, mode, InterpolationModeHighQualityBicubic, &GpGraphics::interpolation);
}

Status GdipSetCompositingQuality(GpGraphics* graphics, CompositingQuality quality) {
  return SetMode(graphics, quality, CompositingQualityAssumeLinear, &GpGraphics::compositingQuality);
}

Status GdipSetPixelOffsetMode(GpGraphics* graphics, PixelOffsetMode mode) {
  return SetMode(graphics, mode, PixelOffsetModeHalf, &GpGraphics::pixelOffset);
}

Status GdipRotateWorldTransform(GpGraphics* graphics, REAL angle, MatrixOrder order) {
  if (Status s = Check(graphics); s != Ok) return s;
  return graphics->Rotate(angle, order);
}

}  // namespace vx::gdiplus
