// Pixel storage of frames: new owned frames and deep copies.
#include <cstring>
#include <new>

#include "platform/gdiplus/image_object.h"
#include "platform/gdiplus/pixel_format_info.h"

namespace vx::gdiplus {

Frame& Frame::operator=(const Frame& other) {
  if (this == &other) return *this;
  const auto at = reinterpret_cast<uintptr_t>(other.scan0), base = reinterpret_cast<uintptr_t>(other.storage.data());
  const bool owned = !other.storage.empty() && at >= base && at < base + other.storage.size();
  width = other.width;
  height = other.height;
  format = other.format;
  stride = other.stride;
  storage = other.storage;
  scan0 = owned ? storage.data() + (at - base) : other.scan0;
  palette = other.palette;
  paletteFlags = other.paletteFlags;
  dpiX = other.dpiX;
  dpiY = other.dpiY;
  imageFlags = other.imageFlags;
  properties = other.properties;
  return *this;
}

void SizeForRows(PixelBytes& bytes, size_t filledBytes, size_t stride, size_t rows) {
  bytes.resize(stride * rows);
  if (filledBytes >= stride) return;
  for (size_t y = 0; y < rows; ++y) std::memset(bytes.data() + y * stride + filledBytes, 0, stride - filledBytes);
}

namespace {

// The bytes of a row every pixel writer fills whole; a last byte shared by pixels of a narrow
// format may be written bit by bit, so it counts as padding.
size_t WholeBytes(INT width, PixelFormat format) {
  return static_cast<size_t>(int64_t{width} * GetPixelFormatSize(format) / 8);
}

}  // namespace

Status MakeFrame(INT width, INT height, PixelFormat format, Frame& out, FrameFill fill) {
  if (!IsBitmapPixelFormat(format)) return InvalidParameter;
  if (Status s = CheckBitmapSize(width, height); s != Ok) return s;
  const int64_t stride = PlatformStride(width, format);
  if (stride * height > kMaxOwnedBitmapBytes) return OutOfMemory;
  Frame frame;
  try {
    if (fill == FrameFill::Cleared)
      frame.storage.assign(static_cast<size_t>(stride * height), 0);
    else
      SizeForRows(frame.storage, WholeBytes(width, format), static_cast<size_t>(stride), static_cast<size_t>(height));
  } catch (const std::bad_alloc&) {
    return OutOfMemory;
  }
  frame.width = width;
  frame.height = height;
  frame.format = format;
  frame.stride = static_cast<INT>(stride);
  frame.scan0 = frame.storage.data();
  frame.palette = DefaultPalette(format);
  frame.paletteFlags = DefaultPaletteFlags(format);
  out = std::move(frame);
  return Ok;
}

std::vector<ARGB> PaletteForConversion(const Frame& source, PixelFormat format) {
  if (!IsIndexedPixelFormat(format)) return {};
  if (IsIndexedPixelFormat(source.format) && !source.palette.empty() &&
      source.palette.size() <= IndexedCapacity(format))
    return source.palette;
  return DefaultPalette(format);
}

bool RectInsideFrame(const GpRect& r, const Frame& frame) {
  return r.X >= 0 && r.Y >= 0 && r.Width > 0 && r.Height > 0 && r.X <= frame.width - r.Width &&
         r.Y <= frame.height - r.Height;
}

Status CloneFrame(const Frame& source, Frame& out) {
  Frame copy;
  if (Status s = MakeFrame(source.width, source.height, source.format, copy, FrameFill::RowsWritten); s != Ok) return s;
  const size_t rowBytes = static_cast<size_t>(RowBytes(source.width, source.format));
  for (INT y = 0; y < source.height; ++y) std::memcpy(FrameRow(copy, y), FrameRow(source, y), rowBytes);
  copy.palette = source.palette;
  copy.paletteFlags = source.paletteFlags;
  copy.dpiX = source.dpiX;
  copy.dpiY = source.dpiY;
  copy.imageFlags = source.imageFlags;
  try {
    copy.properties = source.properties;
  } catch (const std::bad_alloc&) {
    return OutOfMemory;
  }
  out = std::move(copy);
  return Ok;
}

}  // namespace vx::gdiplus
