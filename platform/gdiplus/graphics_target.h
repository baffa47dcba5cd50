// What a graphics object draws on: a bitmap's active frame or the bitmap selected into a GDI
// memory context. Drawing goes through premultiplied 32-bit rows (cairo's ARGB32) of a
// rectangle; each target converts them from and to its own pixel layout.
#pragma once
#include <cstdint>
#include <memory>

#include "platform/gdi/gdi_objects.h"
#include "platform/gdiplus/image_object.h"

namespace vx::gdiplus {

class PixelTarget {
 public:
  virtual ~PixelTarget() = default;
  virtual INT Width() const = 0;
  virtual INT Height() const = 0;
  virtual REAL DpiX() const { return 96.0f; }
  virtual REAL DpiY() const { return 96.0f; }
  // Copies the rectangle into premultiplied rows at `out` (row pitch `stride` bytes) and back.
  virtual void Load(const GpRect& rect, uint8_t* out, int stride) const = 0;
  virtual void Store(const GpRect& rect, const uint8_t* in, int stride) = 0;
  // True when storing rows just loaded gives back the target's bytes unchanged, so a drawing
  // may store its whole rectangle instead of only the pixels it changed.
  virtual bool RoundTripsExactly() const { return false; }
  // A vector device's context in device pixels: drawing goes there as it is, not through pixels.
  virtual cairo_t* VectorContext() { return nullptr; }
};

// The bitmap must outlive the graphics object drawing on it, as on the platform.
std::unique_ptr<PixelTarget> MakeBitmapTarget(GpBitmap* bitmap);
std::unique_ptr<PixelTarget> MakeDibTarget(std::shared_ptr<gdi::BitmapObject> bitmap);
// The page of a vector device (a printer): no pixels to read, its size and resolution the device's.
std::unique_ptr<PixelTarget> MakeDeviceTarget(std::shared_ptr<gdi::DeviceSurface> device);
// The pixels of a window of the X display (the window handle is the X window); null without a
// display, for a window the display does not know, or for a visual that is not 24-bit true colour.
std::unique_ptr<PixelTarget> MakeWindowTarget(HWND window);

// Premultiplied <-> straight ARGB runs.
void PremultiplyRun(uint32_t* px, size_t count);
void UnpremultiplyRun(uint32_t* px, size_t count);

}  // namespace vx::gdiplus
