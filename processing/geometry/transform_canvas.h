// The new bitmap every geometry transform draws the current image into. A graphics cannot draw
// on indexed, 16bppARGB1555 or 16bppGrayScale bitmaps, so for those formats the drawing goes to
// a 32bppARGB bitmap that is brought back to the asked format, and its palette, once the
// drawing is done: a 1-bit page comes out of a rotation still 1-bit.
#pragma once
#include <cstdint>
#include <memory>

#include "engine/image_store.h"
#include "engine/vexiro_status.h"
#include "platform/gdiplus/gdiplus_types.h"
#include "processing/draw/draw_frame.h"

namespace vx::geometry {

using vexiro::VexiroStatus;

// Whether a transform may make a picture of that size: InvalidParameter below 1, OutOfMemory for
// a side or pixel count past what any loader reads back, OK otherwise.
VexiroStatus CheckCanvasSize(int64_t width, int64_t height);

class TransformCanvas {
 public:
  // A width x height bitmap for `format`; the palette of `paletteSource` (when it has one) is
  // set on the result. Sizes are checked as CheckCanvasSize checks them.
  VexiroStatus Create(int32_t width, int32_t height, gdiplus::PixelFormat format, int32_t paletteSource);
  // The image the drawing goes to.
  int32_t Drawing() const { return drawing_.get(); }
  // Whether the drawing is kept in another format than the result's.
  bool DrawsThroughArgb() const { return throughArgb_; }
  VexiroStatus OpenGraphics(draw::GraphicsPtr& graphics) const;
  // The finished result in the asked format; the caller owns its identifier. Nothing is owned
  // by the canvas afterwards.
  VexiroStatus Finish(int32_t& result);

 private:
  engine::ScopedImage drawing_;
  gdiplus::PixelFormat format_ = 0;
  bool throughArgb_ = false;
  std::unique_ptr<gdiplus::ColorPalette> palette_;
};

// Whether a graphics can draw on a bitmap of this format.
bool GraphicsCanDrawOn(gdiplus::PixelFormat format);

// Copies the palette of `source` (when it reads and holds entries) onto `target`.
void CopyPalette(int32_t source, int32_t target);

// Writes the pixels of `source` into `target`, both of one size, through the target's
// conversion from 32bppARGB: an indexed target takes the nearest colours of its own palette.
VexiroStatus CopyPixelsThroughArgb(int32_t source, int32_t target);

// A copy of `source` in `format`, its pixels mapped to the nearest colours of `palette` when the
// format is indexed.
VexiroStatus ConvertWithPalette(int32_t source, gdiplus::PixelFormat format, const gdiplus::ColorPalette* palette,
                                int32_t& result);

}  // namespace vx::geometry
