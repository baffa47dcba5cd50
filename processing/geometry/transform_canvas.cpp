#include "processing/geometry/transform_canvas.h"

#include "engine/image_access.h"
#include "engine/load/from_memory.h"
#include "platform/input_limits.h"

namespace vx::geometry {

using namespace vx::gdiplus;
using vexiro::InvalidParameter;
using vexiro::OK;

bool GraphicsCanDrawOn(PixelFormat format) {
  return !IsIndexedPixelFormat(format) && format != PixelFormat16bppARGB1555 && format != PixelFormat16bppGrayScale;
}

namespace {

// The palette of an image, nullptr when it has none or it cannot be read.
std::unique_ptr<ColorPalette> PaletteOf(int32_t image) {
  int32_t bytes = 0;
  auto palette = std::make_unique<ColorPalette>();
  if (engine::GetImagePaletteSize(image, bytes) != OK || engine::GetImagePalette(image, *palette, bytes) != OK ||
      palette->Count == 0)
    return nullptr;
  return palette;
}

}  // namespace

void CopyPalette(int32_t source, int32_t target) {
  if (const auto palette = PaletteOf(source)) engine::SetImagePaletteRaw(target, *palette);
}

VexiroStatus CopyPixelsThroughArgb(int32_t source, int32_t target) {
  int32_t width = 0, height = 0;
  engine::GetImageWidth(source, width);
  engine::GetImageHeight(source, height);
  // The source's rows are lent as they are and written through the target's conversion, which
  // maps each colour to the nearest palette entry: one pass, no copy in between.
  const GpRect whole{0, 0, width, height};
  PixelFormat argb = PixelFormat32bppARGB;
  BitmapData rows;
  VexiroStatus s = engine::LockImageBits(source, whole, ImageLockModeRead, argb, rows);
  if (s != OK) return s;
  BitmapData written = rows;
  PixelFormat targetFormat = PixelFormat32bppARGB;
  s = engine::LockImageBits(target, whole, ImageLockModeWrite | ImageLockModeUserInputBuf, targetFormat, written);
  if (s == OK) s = engine::UnlockImageBits(target, written);
  engine::UnlockImageBits(source, rows);
  return s;
}

VexiroStatus ConvertWithPalette(int32_t source, PixelFormat format, const ColorPalette* palette, int32_t& result) {
  result = 0;
  int32_t width = 0, height = 0;
  engine::GetImageWidth(source, width);
  engine::GetImageHeight(source, height);
  engine::ScopedImage converted;
  VexiroStatus s = engine::CreateImageFromScan0(width, height, 0, format, 0, *converted.put(), false);
  if (s != OK) return s;
  if (palette && IsIndexedPixelFormat(format)) engine::SetImagePaletteRaw(converted.get(), *palette);
  if ((s = CopyPixelsThroughArgb(source, converted.get())) != OK) return s;
  result = converted.Keep();
  return OK;
}

VexiroStatus CheckCanvasSize(int64_t width, int64_t height) {
  if (width < 1 || height < 1) return InvalidParameter;
  return limits::ImageSizeAcceptable(width, height) ? OK : vexiro::OutOfMemory;
}

VexiroStatus TransformCanvas::Create(int32_t width, int32_t height, PixelFormat format, int32_t paletteSource) {
  if (VexiroStatus s = CheckCanvasSize(width, height); s != OK) return s;
  format_ = format;
  throughArgb_ = !GraphicsCanDrawOn(format);
  palette_ = PaletteOf(paletteSource);
  const VexiroStatus s = engine::CreateImageFromScan0(width, height, 0, throughArgb_ ? PixelFormat32bppARGB : format, 0,
                                                      *drawing_.put(), false);
  if (s == OK && !throughArgb_ && palette_) engine::SetImagePaletteRaw(drawing_.get(), *palette_);
  return s;
}

VexiroStatus TransformCanvas::OpenGraphics(draw::GraphicsPtr& graphics) const {
  return draw::OpenGraphics(drawing_.get(), graphics);
}

VexiroStatus TransformCanvas::Finish(int32_t& result) {
  result = 0;
  if (!throughArgb_) {
    result = drawing_.Keep();
    return OK;
  }
  const VexiroStatus s = ConvertWithPalette(drawing_.get(), format_, palette_.get(), result);
  drawing_.Release();
  return s;
}

}  // namespace vx::geometry
