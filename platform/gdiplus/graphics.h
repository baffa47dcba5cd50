// Graphics objects of the imaging platform: drawing on a bitmap (or on the bitmap of a GDI
// memory context) through cairo. Each drawing call converts only the target rectangle it can
// touch into premultiplied pixels, draws there and writes the rectangle straight back in the
// target's own format, so the bitmap shows every call at once, as on the platform.
#pragma once
#include <cairo.h>

#include <memory>
#include <string>
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

enum TextRenderingHint : INT {
  TextRenderingHintSystemDefault = 0,
  TextRenderingHintSingleBitPerPixelGridFit = 1,
  TextRenderingHintSingleBitPerPixel = 2,
  TextRenderingHintAntiAliasGridFit = 3,
  TextRenderingHintAntiAlias = 4,
  TextRenderingHintClearTypeGridFit = 5,
};

enum CoordinateSpace : INT { CoordinateSpaceWorld = 0, CoordinateSpacePage = 1, CoordinateSpaceDevice = 2 };

class GpImageAttributes;
class GpMetafile;
class GpBrush;
class GpPen;
class GpPath;
class GpRegion;
class GpFont;
class GpStringFormat;

// What a string occupies once laid out: its bounding box in world space, the characters that
// fitted and the lines they filled.
struct StringLayoutResult {
  GpRectF bounds;
  INT codepointsFitted = 0;
  INT linesFilled = 0;
};

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
  Status Translate(REAL dx, REAL dy, MatrixOrder order);
  Status Scale(REAL sx, REAL sy, MatrixOrder order);
  void ResetTransform() { cairo_matrix_init_identity(&world_); }
  const cairo_matrix_t& World() const { return world_; }
  Status TransformPoints(CoordinateSpace to, CoordinateSpace from, GpPointF* points, INT count) const;
  // The three points are where the image's top-left, top-right and bottom-left corners land.
  Status DrawImagePoints(GpImage* image, const GpPointF (&corners)[3]);

  Status FillPath(const GpBrush& brush, const GpPath& path);
  Status DrawPath(const GpPen& pen, const GpPath& path);
  // Pixels outside the region's outline (device space at the time it is set, not antialiased)
  // keep their values; null clears the clip.
  Status SetClip(const GpRegion* region);
  bool HasClip() const { return clip_ != nullptr; }

  Status MeasureString(const std::string& text, const GpFont& font, const GpRectF& layout,
                       const GpStringFormat* format, StringLayoutResult& result);
  Status DrawString(const std::string& text, const GpFont& font, const GpRectF& layout, const GpStringFormat* format,
                    const GpBrush& brush);
  // Device pixels per unit for the graphics' resolution; 0 for units it cannot measure in.
  double PixelsPerUnit(Unit unit, bool vertical) const;

  // Image drawing follows the interpolation mode; smoothing, compositing quality and pixel offset
  // are kept for the shape and text drawing that takes them into account.
  SmoothingMode smoothing = SmoothingModeNone;
  InterpolationMode interpolation = InterpolationModeBilinear;
  CompositingQuality compositingQuality = CompositingQualityDefault;
  PixelOffsetMode pixelOffset = PixelOffsetModeDefault;
  Unit pageUnit = UnitDisplay;
  REAL pageScale = 1;
  TextRenderingHint textHint = TextRenderingHintSystemDefault;
  // The screen context a graphics on window 0 asked for is released with the graphics.
  bool releaseScreenDc = false;

 private:
  // Runs `draw` on a cairo context over every part of the target that `area` (world space) can
  // reach, in tiles that cairo can hold. `covers` says the drawing replaces every pixel of the
  // area, so the old pixels need not be loaded.
  template <class Draw>
  Status Render(const GpRectF& area, bool covers, Draw draw, bool vector = false);
  // World, then page: the space in which cairo draws, relative to the device.
  cairo_matrix_t DeviceMatrix() const;
  // Where pixel centres lie for shapes and text: integer coordinates unless the offset is half a
  // pixel. Aliased drawing keeps a hair off the centres so edges never fall exactly on them.
  double VectorOffset() const;
  void Antialias(cairo_t* cr, bool text) const;
  Status Transform(const cairo_matrix_t& by, MatrixOrder order);
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
  std::unique_ptr<GpPath> clip_;  // device space
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
Status GdipTranslateWorldTransform(GpGraphics* graphics, REAL dx, REAL dy, MatrixOrder order);
Status GdipScaleWorldTransform(GpGraphics* graphics, REAL sx, REAL sy, MatrixOrder order);
Status GdipResetWorldTransform(GpGraphics* graphics);
Status GdipTransformPoints(GpGraphics* graphics, CoordinateSpace destSpace, CoordinateSpace srcSpace, GpPointF* points,
                          INT count);
Status GdipSetPageUnit(GpGraphics* graphics, Unit unit);
Status GdipSetPageScale(GpGraphics* graphics, REAL scale);
Status GdipSetTextRenderingHint(GpGraphics* graphics, TextRenderingHint hint);
Status GdipSetClipRegion(GpGraphics* graphics, GpRegion* region, INT combineMode = 0);
Status GdipSetClipPath(GpGraphics* graphics, GpPath* path, INT combineMode = 0);
Status GdipResetClip(GpGraphics* graphics);
// Three points: the destination of the image's top-left, top-right and bottom-left corners.
Status GdipDrawImagePoints(GpGraphics* graphics, GpImage* image, const GpPointF* points, INT count);
Status GdipDrawImagePointsI(GpGraphics* graphics, GpImage* image, const GpPoint* points, INT count);
// A graphics on a window: only the screen (window 0) exists here.
Status GdipCreateFromHWND(HWND window, GpGraphics** graphics);

}  // namespace vx::gdiplus
