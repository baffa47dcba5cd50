// Graphics objects of the imaging platform: drawing on a bitmap (or on the bitmap of a GDI
// memory context) through cairo. Each drawing call converts only the target rectangle it can
// touch into premultiplied pixels, draws there and writes the rectangle straight back in the
// target's own format, so the bitmap shows every call at once, as on the platform.
#pragma once
#include <cairo.h>

#include <memory>
#include <vector>

#include "platform/gdi/gdi_types.h"
#include "platform/gdiplus/graphics_target.h"
#include "platform/gdiplus/image_object.h"

namespace vx::gdiplus {

enum SmoothingMode : INT {
  SmoothingModeInvalid = -1,
  SmoothingModeDefault = 0,
  SmoothingModeHighSpeed = 1,
  SmoothingModeHighQuality = 2,
  SmoothingModeNone = 3,
  SmoothingModeAntiAlias = 4,
  SmoothingModeAntiAlias8x8 = 5,
};

enum InterpolationMode : INT {
  InterpolationModeInvalid = -1,
  InterpolationModeDefault = 0,
  InterpolationModeLowQuality = 1,
  InterpolationModeHighQuality = 2,
  InterpolationModeBilinear = 3,
  InterpolationModeBicubic = 4,
  InterpolationModeNearestNeighbor = 5,
  InterpolationModeHighQualityBilinear = 6,
  InterpolationModeHighQualityBicubic = 7,
};

enum CompositingQuality : INT {
  CompositingQualityInvalid = -1,
  CompositingQualityDefault = 0,
  CompositingQualityHighSpeed = 1,
  CompositingQualityHighQuality = 2,
  CompositingQualityGammaCorrected = 3,
  CompositingQualityAssumeLinear = 4,
};

enum PixelOffsetMode : INT {
  PixelOffsetModeInvalid = -1,
  PixelOffsetModeDefault = 0,
  PixelOffsetModeHighSpeed = 1,
  PixelOffsetModeHighQuality = 2,
  PixelOffsetModeNone = 3,
  PixelOffsetModeHalf = 4,
};

enum MatrixOrder : INT { MatrixOrderPrepend = 0, MatrixOrderAppend = 1 };

enum Unit : INT {
  UnitWorld = 0,
  UnitDisplay = 1,
  UnitPixel = 2,
  UnitPoint = 3,
  UnitInch = 4,
  UnitDocument = 5,
  UnitMillimeter = 6,
};

class GpImageAttributes;
class GpMetafile;

class GpGraphics {
 public:
  explicit GpGraphics(std::unique_ptr<PixelTarget> target, HDC ownDc = 0);
  ~GpGraphics();
  GpGraphics(const GpGraphics&) = delete;
  GpGraphics& operator=(const GpGraphics&) = delete;

  Status Clear(ARGB colour);
  Status DrawImage(GpImage* image, const GpRectF& dest);
  // The source rectangle (pixels of the image) into the destination rectangle, with the colour
  // adjustments of the attributes' bitmap category applied to the source pixels when given.
  Status DrawImage(GpImage* image, const GpRectF& dest, const GpRectF& source, const GpImageAttributes* attributes);
  Status GetDC(HDC* dc);
  Status ReleaseDC(HDC dc);
  Status Rotate(REAL degrees, MatrixOrder order);

  // Image drawing follows the interpolation mode; smoothing, compositing quality and pixel offset
  // are kept for the shape and text drawing that takes them into account.
  SmoothingMode smoothing = SmoothingModeNone;
  InterpolationMode interpolation = InterpolationModeBilinear;
  CompositingQuality compositingQuality = CompositingQualityDefault;
  PixelOffsetMode pixelOffset = PixelOffsetModeDefault;

 private:
  // Runs `draw` on a cairo context over every part of the target that `area` (world space) can
  // reach, in tiles that cairo can hold. `covers` says the drawing replaces every pixel of the
  // area, so the old pixels need not be loaded.
  template <class Draw>
  Status Render(const GpRectF& area, bool covers, Draw draw);
  GpRect DeviceBounds(const GpRectF& area) const;
  cairo_filter_t ImageFilter() const;
  Status ReturnLentDc();
  Status DrawMetafile(const GpMetafile& metafile, const GpRectF& dest, const GpRectF& source, cairo_filter_t filter);

  std::unique_ptr<PixelTarget> target_;
  cairo_matrix_t world_;
  HDC ownDc_ = 0;  // a graphics made on a device context lends that context
  HDC lentDc_ = 0;
  HBITMAP lentBitmap_ = 0;
  std::vector<uint32_t> lentSnapshot_;
};

// Graphics on a bitmap; indexed, 16bppARGB1555 and 16bppGrayScale bitmaps are refused with
// OutOfMemory as on the platform.
Status GdipGetImageGraphicsContext(GpImage* image, GpGraphics** graphics);
// Graphics on the bitmap selected into a memory device context.
Status GdipCreateFromHDC(HDC dc, GpGraphics** graphics);
Status GdipDeleteGraphics(GpGraphics* graphics);
Status GdipGraphicsClear(GpGraphics* graphics, ARGB colour);
Status GdipDrawImageRectI(GpGraphics* graphics, GpImage* image, INT x, INT y, INT width, INT height);
Status GdipDrawImageRect(GpGraphics* graphics, GpImage* image, REAL x, REAL y, REAL width, REAL height);
// Source rectangles are taken in pixels (UnitPixel); other units answer NotImplemented. The
// abort callback is accepted and never called. Metafiles are drawn without the attributes.
Status GdipDrawImageRectRect(GpGraphics* graphics, GpImage* image, REAL dstx, REAL dsty, REAL dstwidth,
                             REAL dstheight, REAL srcx, REAL srcy, REAL srcwidth, REAL srcheight, Unit srcUnit,
                             const GpImageAttributes* imageAttributes, void* callback = nullptr,
                             void* callbackData = nullptr);
Status GdipDrawImageRectRectI(GpGraphics* graphics, GpImage* image, INT dstx, INT dsty, INT dstwidth, INT dstheight,
                              INT srcx, INT srcy, INT srcwidth, INT srcheight, Unit srcUnit,
                              const GpImageAttributes* imageAttributes, void* callback = nullptr,
                              void* callbackData = nullptr);
// A memory device context showing the bitmap; what GDI draws there reaches the bitmap when
// the context is released. Other calls on the graphics answer ObjectBusy meanwhile.
Status GdipGetDC(GpGraphics* graphics, HDC* dc);
Status GdipReleaseDC(GpGraphics* graphics, HDC dc);
Status GdipSetSmoothingMode(GpGraphics* graphics, SmoothingMode mode);
Status GdipSetInterpolationMode(GpGraphics* graphics, InterpolationMode mode);
Status GdipSetCompositingQuality(GpGraphics* graphics, CompositingQuality quality);
Status GdipSetPixelOffsetMode(GpGraphics* graphics, PixelOffsetMode mode);
Status GdipRotateWorldTransform(GpGraphics* graphics, REAL angle, MatrixOrder order);

}  // namespace vx::gdiplus
