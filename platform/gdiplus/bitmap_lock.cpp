// LockBits and UnlockBits: lending a rectangle of the active frame in any pixel format.
//
// A lock in the frame's own format that starts on a byte boundary lends the frame's own rows
// (Scan0 into the bitmap, Stride the bitmap's stride), for reading and writing alike. Every
// other lock lends a converted copy with rows padded to 4 bytes, or fills the caller's buffer
// (user-input-buffer mode); writes come back converted at unlock. A write-only copy starts
// zero-filled; a write-only caller buffer is left as the caller gave it.
#include <cstdlib>
#include <new>

#include "platform/gdiplus/gdiplus_flat.h"
#include "platform/gdiplus/image_handle.h"
#include "platform/gdiplus/pixel_format_info.h"

namespace vx::gdiplus {

namespace {

constexpr UINT kKnownLockFlags = ImageLockModeRead | ImageLockModeWrite | ImageLockModeUserInputBuf;

// Packed rows are lent only from a byte boundary, and for writing only when the rectangle also
// ends on one (or at the row end): a caller filling whole bytes must not reach pixels outside it.
bool CanLendOwnRows(const Frame& frame, const GpRect& r, PixelFormat format, UINT mode) {
  if (format != frame.format) return false;
  const int64_t bits = GetPixelFormatSize(format);
  if (bits >= 8) return true;
  const int64_t end = int64_t{r.X} + r.Width;
  const bool startAligned = (r.X * bits) % 8 == 0;
  const bool endSafe = !(mode & ImageLockModeWrite) || (end * bits) % 8 == 0 || end == frame.width;
  return startAligned && endSafe;
}

struct LockTarget {
  uint8_t* scan0 = nullptr;
  INT stride = 0;
};

LockTarget TargetOf(const LockState& lock) {
  if (lock.userBuffer) return {static_cast<uint8_t*>(lock.userBuffer), lock.userStride};
  return {const_cast<uint8_t*>(lock.buffer.data()),
          static_cast<INT>(PlatformStride(lock.rect.Width, lock.format))};
}

uint8_t* TargetRow(const LockTarget& t, INT y) { return t.scan0 + static_cast<ptrdiff_t>(y) * t.stride; }

void CopyOut(const Frame& frame, const LockState& lock) {
  const LockTarget target = TargetOf(lock);
  for (INT y = 0; y < lock.rect.Height; ++y)
    ConvertRow(FrameSourceRow(frame, lock.rect.Y + y, lock.rect.X), {TargetRow(target, y), lock.format, lock.palette},
               lock.rect.Width);
}

void CopyBack(Frame& frame, const LockState& lock) {
  const LockTarget target = TargetOf(lock);
  for (INT y = 0; y < lock.rect.Height; ++y)
    ConvertRow({TargetRow(target, y), lock.format, lock.palette}, FrameDestRow(frame, lock.rect.Y + y, lock.rect.X),
               lock.rect.Width);
}

Status PrepareTarget(Frame& frame, LockState& lock, BitmapData& data) {
  const GpRect& r = lock.rect;
  if (lock.mode & ImageLockModeUserInputBuf) {
    if (!data.Scan0 || std::abs(int64_t{data.Stride}) < RowBytes(r.Width, lock.format)) return InvalidParameter;
    lock.userBuffer = data.Scan0;
    lock.userStride = data.Stride;
    return Ok;
  }
  if (CanLendOwnRows(frame, r, lock.format, lock.mode)) {
    lock.direct = true;
    return Ok;
  }
  const auto stride = static_cast<size_t>(PlatformStride(r.Width, lock.format));
  try {
    // A read lock fills every row before the caller sees it; a write-only one starts cleared.
    if (lock.mode & ImageLockModeRead)
      SizeForRows(lock.buffer, static_cast<size_t>(int64_t{r.Width} * GetPixelFormatSize(lock.format) / 8), stride,
                  static_cast<size_t>(r.Height));
    else
      lock.buffer.assign(stride * static_cast<size_t>(r.Height), 0);
  } catch (const std::bad_alloc&) {
    return OutOfMemory;
  }
  return Ok;
}

void Describe(const Frame& frame, const LockState& lock, BitmapData& data) {
  data.Width = static_cast<UINT>(lock.rect.Width);
  data.Height = static_cast<UINT>(lock.rect.Height);
  data.PixelFormat = lock.format;
  if (lock.direct) {
    data.Scan0 = FrameRow(frame, lock.rect.Y) + RowBytes(lock.rect.X, frame.format);
    data.Stride = frame.stride;
  } else {
    const LockTarget target = TargetOf(lock);
    data.Scan0 = target.scan0;
    data.Stride = target.stride;
  }
  data.Reserved = 0;
}

}  // namespace

Status GdipBitmapLockBits(GpBitmap* bitmap, const GpRect* rect, UINT flags, PixelFormat format,
                          BitmapData* lockedData) {
  GpBitmap* checked = nullptr;
  if (Status s = ResolveBitmap(bitmap, checked); s != Ok) return s;
  if (!lockedData || (flags & ~kKnownLockFlags) != 0 || (flags & (ImageLockModeRead | ImageLockModeWrite)) == 0 ||
      !IsBitmapPixelFormat(format))
    return InvalidParameter;
  Frame& frame = checked->current();
  const GpRect r = rect ? *rect : GpRect{0, 0, frame.width, frame.height};
  if (!RectInsideFrame(r, frame)) return InvalidParameter;
  if (checked->lock.active) return WrongState;

  LockState lock;
  lock.mode = flags;
  lock.rect = r;
  lock.format = format;
  lock.palette = PaletteForConversion(frame, format);
  if (Status s = PrepareTarget(frame, lock, *lockedData); s != Ok) return s;
  if ((flags & ImageLockModeRead) && !lock.direct) CopyOut(frame, lock);
  lock.active = true;
  checked->lock = std::move(lock);
  Describe(frame, checked->lock, *lockedData);
  return Ok;
}

Status GdipBitmapUnlockBits(GpBitmap* bitmap, BitmapData* lockedData) {
  GpBitmap* checked = nullptr;
  if (Status s = ResolveBitmap(bitmap, checked); s != Ok) return s;
  if (!lockedData) return InvalidParameter;
  if (!checked->lock.active) return WrongState;
  LockState lock = std::move(checked->lock);
  checked->lock = LockState{};
  if ((lock.mode & ImageLockModeWrite) && !lock.direct) CopyBack(checked->current(), lock);
  return Ok;
}

}  // namespace vx::gdiplus
