#include "engine/image_graphics.h"

#include "engine/gdiplus_lifetime.h"
#include "engine/image_access.h"
#include "engine/image_store.h"
#include "engine/load/from_memory.h"
#include "engine/store_internal.h"

namespace vx::engine {

using namespace vx::gdiplus;

void ReturnLentDCAndGraphics(GpGraphics* graphics, HDC dc) {
  GdipReleaseDC(graphics, dc);
  GdipDeleteGraphics(graphics);
}

VexiroStatus GetImageGraphics(int32_t id, GpGraphics*& graphics, PixelFormat format) {
  graphics = nullptr;
  if (GetImageIndex(id) < 0) return vexiro::InvalidParameter;
  if (GdiplusBefore60()) {
    if (format == 0) format = GetImagePixelFormatValue(id);
    if (IsIndexedPixelFormat(format)) {
      const VexiroStatus s = ConvertImageTo32bppARGB(id);
      if (s != vexiro::OK) return s;
    }
  }
  const Status s = GdipGetImageGraphicsContext(GetGpImage(id), &graphics);
  if (s == Ok) MarkImageModified(id);
  return ToStatus(s);
}

VexiroStatus GetImageDC(int32_t id, HDC& dc) {
  dc = 0;
  const ImageRecord* r = FindImageRecord(id);
  if (!r) return vexiro::GenericError;
  if (r->DC != 0) {
    dc = r->DC;
    return vexiro::OK;
  }
  GpGraphics* graphics = nullptr;
  const VexiroStatus s = GetImageGraphics(id, graphics);
  if (s != vexiro::OK) return s;
  HDC lent = 0;
  const Status ds = GdipGetDC(graphics, &lent);
  if (ds != Ok || lent == 0) {
    GdipDeleteGraphics(graphics);
    return ds != Ok ? ToStatus(ds) : vexiro::GenericError;
  }
  ImageRecord* owner = FindImageRecord(id);
  owner->DC = lent;
  owner->DCGraphics = graphics;
  dc = lent;
  return vexiro::OK;
}

VexiroStatus ReleaseImageDC(HDC dc) {
  const int32_t index = FindImageByDC(dc);
  if (index < 0) return vexiro::GenericError;
  ImageRecord& r = ThreadImages()[static_cast<size_t>(index)];
  if (r.DC == 0) return vexiro::OK;
  const Status s = GdipReleaseDC(r.DCGraphics, r.DC);
  if (s != Ok) return ToStatus(s);
  GdipDeleteGraphics(r.DCGraphics);
  r.DC = 0;
  r.DCGraphics = nullptr;
  return vexiro::OK;
}

VexiroStatus SetCompositingQuality(GpGraphics* graphics, CompositingQuality quality) {
  return ToStatus(GdipSetCompositingQuality(graphics, quality));
}
VexiroStatus SetPixelOffsetMode(GpGraphics* graphics, PixelOffsetMode mode) {
  return ToStatus(GdipSetPixelOffsetMode(graphics, mode));
}
VexiroStatus SetGraphicsInterpolation(GpGraphics* graphics, InterpolationMode mode) {
  return ToStatus(GdipSetInterpolationMode(graphics, mode));
}
VexiroStatus SetGraphicsSmoothing(GpGraphics* graphics, SmoothingMode mode) {
  return ToStatus(GdipSetSmoothingMode(graphics, mode));
}
VexiroStatus RotateWorldTransform(GpGraphics* graphics, float degrees, MatrixOrder order) {
  return ToStatus(GdipRotateWorldTransform(graphics, degrees, order));
}

void SetGraphicsFastMode(GpGraphics* graphics) {
  SetGraphicsSmoothing(graphics, SmoothingModeNone);
  SetGraphicsInterpolation(graphics, InterpolationModeNearestNeighbor);
  SetCompositingQuality(graphics, CompositingQualityHighSpeed);
  SetPixelOffsetMode(graphics, PixelOffsetModeNone);
}

VexiroStatus CreateImageAttributes(GpImageAttributes*& attributes) {
  attributes = nullptr;
  return ToStatus(GdipCreateImageAttributes(&attributes));
}

VexiroStatus SetImageAttributesRemapTable(GpImageAttributes* attributes, ColorAdjustType type, bool enable,
                                          int32_t mapSize, const ColorMap* map) {
  return ToStatus(GdipSetImageAttributesRemapTable(attributes, type, enable, static_cast<UINT>(mapSize), map));
}

VexiroStatus SetImageAttributesColorKeys(GpImageAttributes* attributes, ColorAdjustType type, bool enable, ARGB low,
                                         ARGB high) {
  return ToStatus(GdipSetImageAttributesColorKeys(attributes, type, enable, low, high));
}

VexiroStatus SetImageAttributesOutputChannel(GpImageAttributes* attributes, ColorAdjustType type, bool enable,
                                             ColorChannelFlags channel) {
  return ToStatus(GdipSetImageAttributesOutputChannel(attributes, type, enable, channel));
}

VexiroStatus SetImageAttributesOutputChannelColorProfile(GpImageAttributes* attributes, ColorAdjustType type,
                                                         bool enable, const std::string& profilePath) {
  return ToStatus(GdipSetImageAttributesOutputChannelColorProfile(attributes, type, enable, profilePath.c_str()));
}

}  // namespace vx::engine
