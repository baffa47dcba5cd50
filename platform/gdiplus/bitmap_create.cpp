// Creating, cloning and disposing of bitmaps.
#include <cmath>
#include <limits>
#include <new>

#include "platform/gdiplus/gdiplus_flat.h"
#include "platform/gdiplus/image_handle.h"
#include "platform/gdiplus/image_handle_table.h"
#include "platform/gdiplus/image_io.h"
#include "platform/gdiplus/pixel_format_info.h"

namespace vx::gdiplus {

namespace {

// A frame over the caller's pixel memory. The stride may be negative (bottom-up memory with
// scan0 on the top row) but must be a multiple of 4 and hold a whole row.
Status BorrowFrame(INT width, INT height, INT stride, PixelFormat format, BYTE* scan0, Frame& out) {
  if (!IsBitmapPixelFormat(format)) return InvalidParameter;
  if (Status s = CheckBitmapSize(width, height); s != Ok) return s;
  const int64_t magnitude = std::abs(int64_t{stride});
  if (stride % 4 != 0 || magnitude < RowBytes(width, format)) return InvalidParameter;
  out = Frame{};
  out.width = width;
  out.height = height;
  out.format = format;
  out.stride = stride;
  out.scan0 = scan0;
  out.palette = DefaultPalette(format);
  out.paletteFlags = DefaultPaletteFlags(format);
  return Ok;
}

// GDI+ rounds area coordinates to the nearest integer, halves up; values outside the integer
// range cannot describe a rectangle of a bitmap.
bool RoundCoordinate(REAL value, INT& out) {
  if (!std::isfinite(value)) return false;
  const double rounded = std::floor(static_cast<double>(value) + 0.5);
  if (rounded < std::numeric_limits<INT>::min() || rounded > std::numeric_limits<INT>::max()) return false;
  out = static_cast<INT>(rounded);
  return true;
}

}  // namespace

Status AdoptFrame(Frame&& frame, GpBitmap** bitmap) {
  try {
    auto made = std::make_unique<GpBitmap>();
    made->frames.push_back(std::move(frame));
    *bitmap = made.release();
    return Ok;
  } catch (const std::bad_alloc&) {
    return OutOfMemory;
  }
}

Status GdipCreateBitmapFromScan0(INT width, INT height, INT stride, PixelFormat format, BYTE* scan0,
                                 GpBitmap** bitmap) {
  if (!GdiplusIsRunning()) return GdiplusNotInitialized;
  if (!bitmap) return InvalidParameter;
  *bitmap = nullptr;
  Frame frame;
  const Status made = scan0 ? BorrowFrame(width, height, stride, format, scan0, frame)
                            : MakeFrame(width, height, format, frame);
  if (made != Ok) return made;
  return AdoptFrame(std::move(frame), bitmap);
}

Status GdipCloneImage(GpImage* image, GpImage** clone) {
  if (Status s = CheckImage(image); s != Ok) return s;
  if (!clone) return InvalidParameter;
  *clone = nullptr;
  auto* source = dynamic_cast<GpBitmap*>(image);
  if (!source) {
    std::unique_ptr<GpImage> copy;
    if (Status s = image->Duplicate(copy); s != Ok) return s;
    *clone = copy.release();
    return Ok;
  }
  if (source->frames.empty()) return InvalidParameter;
  try {
    auto copy = std::make_unique<GpBitmap>();
    copy->rawFormat = source->rawFormat;
    copy->frameDimension = source->frameDimension;
    copy->activeFrame = source->activeFrame;
    copy->frames.resize(source->frames.size());
    for (size_t i = 0; i < source->frames.size(); ++i)
      if (Status s = CloneFrame(source->frames[i], copy->frames[i]); s != Ok) return s;
    *clone = copy.release();
    return Ok;
  } catch (const std::bad_alloc&) {
    return OutOfMemory;
  }
}

Status GdipCloneBitmapAreaI(INT x, INT y, INT width, INT height, PixelFormat format, GpBitmap* source,
                            GpBitmap** clone) {
  GpBitmap* bitmap = nullptr;
  if (Status s = ResolveBitmap(source, bitmap); s != Ok) return s;
  if (!clone) return InvalidParameter;
  *clone = nullptr;
  const Frame& from = bitmap->current();
  if (format == PixelFormatDontCare) format = from.format;
  if (!RectInsideFrame(GpRect{x, y, width, height}, from)) return InvalidParameter;
  Frame area;
  if (Status s = MakeFrame(width, height, format, area, FrameFill::RowsWritten); s != Ok) return s;
  area.palette = PaletteForConversion(from, format);
  if (IsIndexedPixelFormat(format) && IsIndexedPixelFormat(from.format) && area.palette == from.palette)
    area.paletteFlags = from.paletteFlags;
  area.dpiX = from.dpiX;
  area.dpiY = from.dpiY;
  for (INT row = 0; row < height; ++row)
    ConvertRow(FrameSourceRow(from, y + row, x), FrameDestRow(area, row), width);
  return AdoptFrame(std::move(area), clone);
}

Status GdipCloneBitmapArea(REAL x, REAL y, REAL width, REAL height, PixelFormat format, GpBitmap* source,
                           GpBitmap** clone) {
  if (!GdiplusIsRunning()) return GdiplusNotInitialized;
  INT ix = 0, iy = 0, iw = 0, ih = 0;
  if (!RoundCoordinate(x, ix) || !RoundCoordinate(y, iy) || !RoundCoordinate(width, iw) ||
      !RoundCoordinate(height, ih))
    return InvalidParameter;
  return GdipCloneBitmapAreaI(ix, iy, iw, ih, format, source, clone);
}

// Disposal works whether or not the platform runs: an image outliving the last shut-down can
// still be freed instead of leaking.
Status GdipDisposeImage(GpImage* image) {
  if (!image) return InvalidParameter;
  // A multi-frame save left open is written out now: the session is keyed by this image's
  // address, which the next image may reuse.
  FinishPendingSave(image);
  // A handle naming this image would otherwise lead a host to freed memory, or to the next
  // image allocated at the same address.
  RevokeHandlesOfImage(image);
  delete image;
  return Ok;
}

}  // namespace vx::gdiplus
