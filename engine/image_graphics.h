// Graphics objects and device contexts on images, and the one-call graphics wrappers.
#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "engine/vexiro_status.h"
#include "platform/gdiplus/gdiplus_types.h"
#include "platform/gdiplus/graphics.h"
#include "platform/gdiplus/image_attributes.h"

namespace vx::engine {

// A graphics object drawing on the image (its current page for a document). Platforms before
// 6.0 cannot draw on indexed images: the image is then widened in place to 32bppARGB first.
// `format` 0 means the image's own format decides. The caller deletes the graphics.
VexiroStatus GetImageGraphics(int32_t id, gdiplus::GpGraphics*& graphics, gdiplus::PixelFormat format = 0);

// A device context showing the image, lent until ReleaseImageDC; asking twice gives the same one.
// Unknown identifiers and device contexts give GenericError.
VexiroStatus GetImageDC(int32_t id, HDC& dc);
VexiroStatus ReleaseImageDC(HDC dc);
// The store's releaser of a device context still lent out when its image is released: the
// context goes back and the graphics behind it is deleted.
void ReturnLentDCAndGraphics(gdiplus::GpGraphics* graphics, HDC dc);

VexiroStatus SetCompositingQuality(gdiplus::GpGraphics* graphics, gdiplus::CompositingQuality quality);
VexiroStatus SetPixelOffsetMode(gdiplus::GpGraphics* graphics, gdiplus::PixelOffsetMode mode);
VexiroStatus SetGraphicsInterpolation(gdiplus::GpGraphics* graphics, gdiplus::InterpolationMode mode);
VexiroStatus SetGraphicsSmoothing(gdiplus::GpGraphics* graphics, gdiplus::SmoothingMode mode);
VexiroStatus RotateWorldTransform(gdiplus::GpGraphics* graphics, float degrees, gdiplus::MatrixOrder order);
// No smoothing, nearest-neighbour interpolation, high-speed compositing, no pixel offset;
// results ignored.
void SetGraphicsFastMode(gdiplus::GpGraphics* graphics);

// Image attributes: colour adjustments for drawing an image. The wrappers hand back the
// platform's status unchanged.
VexiroStatus CreateImageAttributes(gdiplus::GpImageAttributes*& attributes);
// `mapSize` entries of `map`; a negative size is refused by the platform as an invalid count.
VexiroStatus SetImageAttributesRemapTable(gdiplus::GpImageAttributes* attributes, gdiplus::ColorAdjustType type,
                                          bool enable, int32_t mapSize, const gdiplus::ColorMap* map);
VexiroStatus SetImageAttributesColorKeys(gdiplus::GpImageAttributes* attributes, gdiplus::ColorAdjustType type,
                                         bool enable, gdiplus::ARGB low, gdiplus::ARGB high);
VexiroStatus SetImageAttributesOutputChannel(gdiplus::GpImageAttributes* attributes, gdiplus::ColorAdjustType type,
                                             bool enable, gdiplus::ColorChannelFlags channel);
VexiroStatus SetImageAttributesOutputChannelColorProfile(gdiplus::GpImageAttributes* attributes,
                                                         gdiplus::ColorAdjustType type, bool enable,
                                                         const std::string& profilePath);

// Owns an attributes object for the length of one drawing member.
struct ImageAttributesDisposer {
  void operator()(gdiplus::GpImageAttributes* attributes) const { gdiplus::GdipDisposeImageAttributes(attributes); }
};
using ImageAttributesPtr = std::unique_ptr<gdiplus::GpImageAttributes, ImageAttributesDisposer>;

}  // namespace vx::engine
