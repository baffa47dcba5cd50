#include "processing/cleanup/argb_rows.h"

#include <limits>
#include <new>

#include "engine/image_access.h"

namespace vx::processing {

namespace gp = vx::gdiplus;

VexiroStatus TransferArgbRect(int32_t id, const gp::GpRect& rect, uint32_t mode, uint32_t* pixels) {
  gp::BitmapData data;
  data.Width = static_cast<gp::UINT>(rect.Width);
  data.Height = static_cast<gp::UINT>(rect.Height);
  data.Stride = 4 * rect.Width;
  data.PixelFormat = gp::PixelFormat32bppARGB;
  data.Scan0 = pixels;
  gp::PixelFormat format = gp::PixelFormat32bppARGB;
  const VexiroStatus s = engine::LockImageBits(id, rect, mode | gp::ImageLockModeUserInputBuf, format, data);
  return s == vexiro::OK ? engine::UnlockImageBits(id, data) : s;
}

VexiroStatus ReadArgbRows(int32_t id, int32_t width, int32_t top, int32_t rows, ArgbRows& out) {
  out = ArgbRows{};
  if (width < 1 || rows < 1) return vexiro::InvalidParameter;
  // The lock's stride is a 32-bit count of bytes.
  const uint64_t count = static_cast<uint64_t>(width) * static_cast<uint64_t>(rows);
  if (uint64_t{4} * width > static_cast<uint64_t>(std::numeric_limits<int32_t>::max()) ||
      count > std::numeric_limits<size_t>::max() / 4)
    return vexiro::OutOfMemory;
  try {
    out.Pixels.assign(static_cast<size_t>(count), 0);
  } catch (const std::bad_alloc&) {
    return vexiro::OutOfMemory;
  }
  const VexiroStatus s = TransferArgbRect(id, gp::GpRect{0, top, width, rows}, gp::ImageLockModeRead, out.Pixels.data());
  if (s != vexiro::OK) {
    out = ArgbRows{};
    return s;
  }
  out.Width = width;
  out.Top = top;
  out.Rows = rows;
  return vexiro::OK;
}

}  // namespace vx::processing
