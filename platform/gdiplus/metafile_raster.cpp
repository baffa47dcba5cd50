// Metafile images turned into pixels for callers that cannot draw them themselves.
#include <memory>

#include "platform/gdiplus/gdiplus_flat.h"
#include "platform/gdiplus/graphics.h"
#include "platform/gdiplus/metafile.h"
#include "platform/input_limits.h"

namespace vx::gdiplus {

Status RasterizeMetafile(const GpImage* image, INT width, INT height, GpBitmap** bitmap) {
  if (!GdiplusIsRunning()) return GdiplusNotInitialized;
  if (!bitmap) return InvalidParameter;
  *bitmap = nullptr;
  auto* metafile = const_cast<GpMetafile*>(dynamic_cast<const GpMetafile*>(image));
  if (!metafile) return InvalidParameter;
  if (!limits::ImageSizeAcceptable(width, height)) return OutOfMemory;
  GpBitmap* made = nullptr;
  if (Status s = GdipCreateBitmapFromScan0(width, height, 0, PixelFormat32bppARGB, nullptr, &made); s != Ok) return s;
  std::unique_ptr<GpBitmap> owned(made);
  GpGraphics graphics(MakeBitmapTarget(made));
  if (Status s = graphics.DrawImage(metafile, GpRectF{0, 0, REAL(width), REAL(height)}); s != Ok) return s;
  *bitmap = owned.release();
  return Ok;
}

}  // namespace vx::gdiplus
