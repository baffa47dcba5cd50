// Single-pixel reads and writes on the active frame, through the row conversion.
#include "platform/gdiplus/gdiplus_flat.h"
#include "platform/gdiplus/image_handle.h"

namespace vx::gdiplus {

namespace {

bool Inside(const Frame& frame, INT x, INT y) { return x >= 0 && y >= 0 && x < frame.width && y < frame.height; }

}  // namespace

Status GdipBitmapGetPixel(GpBitmap* bitmap, INT x, INT y, ARGB* color) {
  GpBitmap* checked = nullptr;
  if (Status s = ResolveBitmap(bitmap, checked); s != Ok) return s;
  const Frame& frame = checked->current();
  if (!color || !Inside(frame, x, y)) return InvalidParameter;
  uint8_t pixel[4];
  ConvertRow(FrameSourceRow(frame, y, x), {pixel, PixelFormat32bppARGB}, 1);
  *color = static_cast<ARGB>(pixel[0]) | static_cast<ARGB>(pixel[1]) << 8 | static_cast<ARGB>(pixel[2]) << 16 |
           static_cast<ARGB>(pixel[3]) << 24;
  return Ok;
}

// Indexed bitmaps refuse single-pixel writes, as the platform does: a colour would have to be
// matched silently to a palette entry.
Status GdipBitmapSetPixel(GpBitmap* bitmap, INT x, INT y, ARGB color) {
  GpBitmap* checked = nullptr;
  if (Status s = ResolveBitmap(bitmap, checked); s != Ok) return s;
  Frame& frame = checked->current();
  if (IsIndexedPixelFormat(frame.format) || !Inside(frame, x, y)) return InvalidParameter;
  const uint8_t pixel[4] = {static_cast<uint8_t>(color), static_cast<uint8_t>(color >> 8),
                            static_cast<uint8_t>(color >> 16), static_cast<uint8_t>(color >> 24)};
  ConvertRow({pixel, PixelFormat32bppARGB}, FrameDestRow(frame, y, x), 1);
  return Ok;
}

}  // namespace vx::gdiplus
