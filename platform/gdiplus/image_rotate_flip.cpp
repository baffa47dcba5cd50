// RotateFlip of the active frame in every pixel format. The turned picture is built in new owned
// storage (a quarter turn changes the row length), so a bitmap over caller memory stops using
// that memory once turned or flipped.
#include <cstring>

#include "platform/gdiplus/gdiplus_flat.h"
#include "platform/gdiplus/image_handle.h"
#include "platform/gdiplus/pixel_format_info.h"
#include "platform/gdiplus/pixel_row_codec.h"

namespace vx::gdiplus {

namespace {

// Where destination pixel (dx, dy) comes from. The type is a clockwise turn by quarter turns
// (low two bits) followed, for types 4 to 7, by a horizontal flip.
struct SourceMap {
  INT srcW, srcH, dstW;
  int quarterTurns;
  bool flipX;

  void Locate(INT dx, INT dy, INT& sx, INT& sy) const {
    const INT px = flipX ? dstW - 1 - dx : dx;
    switch (quarterTurns) {
      case 0: sx = px; sy = dy; break;
      case 1: sx = dy; sy = srcH - 1 - px; break;
      case 2: sx = srcW - 1 - px; sy = srcH - 1 - dy; break;
      default: sx = srcW - 1 - dy; sy = px; break;
    }
  }
};

// Along a destination row the source position moves by a constant step, so whole-byte pixels
// are copied by a pointer advancing a fixed distance.
template <size_t Bytes>
void CopyRun(const uint8_t* in, ptrdiff_t step, uint8_t* out, INT count) {
  for (INT i = 0; i < count; ++i) std::memcpy(out + i * Bytes, in + i * step, Bytes);
}

void CopyRunOfSize(size_t bytes, const uint8_t* in, ptrdiff_t step, uint8_t* out, INT count) {
  switch (bytes) {
    case 1: return CopyRun<1>(in, step, out, count);
    case 2: return CopyRun<2>(in, step, out, count);
    case 3: return CopyRun<3>(in, step, out, count);
    case 4: return CopyRun<4>(in, step, out, count);
    case 6: return CopyRun<6>(in, step, out, count);
    default: return CopyRun<8>(in, step, out, count);
  }
}

void CopyPixels(const Frame& from, Frame& to, const SourceMap& map) {
  const UINT bits = GetPixelFormatSize(from.format);
  const size_t bytes = bits / 8;
  for (INT dy = 0; dy < to.height; ++dy) {
    INT sx = 0, sy = 0, nextX = 0, nextY = 0;
    map.Locate(0, dy, sx, sy);
    map.Locate(1, dy, nextX, nextY);  // only the step is used; valid for a one-pixel row too
    const INT stepX = nextX - sx, stepY = nextY - sy;
    uint8_t* out = FrameRow(to, dy);
    if (bits < 8) {
      for (INT dx = 0; dx < to.width; ++dx)
        WriteIndex(out, bits, dx, ReadIndex(FrameRow(from, sy + dx * stepY), bits, sx + dx * stepX));
    } else {
      const ptrdiff_t step = static_cast<ptrdiff_t>(stepY) * from.stride + static_cast<ptrdiff_t>(stepX) * bytes;
      CopyRunOfSize(bytes, FrameRow(from, sy) + sx * bytes, step, out, to.width);
    }
  }
}

}  // namespace

Status GdipImageRotateFlip(GpImage* image, RotateFlipType type) {
  GpBitmap* bitmap = nullptr;
  if (Status s = ResolveBitmap(image, bitmap); s != Ok) return s;
  if (type < RotateNoneFlipNone || type > Rotate270FlipX) return InvalidParameter;
  if (bitmap->lock.active) return WrongState;
  if (type == RotateNoneFlipNone) return Ok;
  Frame& from = bitmap->current();
  const int quarterTurns = type & 3;
  const bool sideways = quarterTurns % 2 == 1;
  Frame turned;
  if (Status s = MakeFrame(sideways ? from.height : from.width, sideways ? from.width : from.height, from.format,
                           turned);
      s != Ok)
    return s;
  CopyPixels(from, turned, SourceMap{from.width, from.height, turned.width, quarterTurns, type >= RotateNoneFlipX});
  turned.palette = std::move(from.palette);
  turned.paletteFlags = from.paletteFlags;
  turned.dpiX = sideways ? from.dpiY : from.dpiX;
  turned.dpiY = sideways ? from.dpiX : from.dpiY;
  turned.imageFlags = from.imageFlags;
  turned.properties = std::move(from.properties);
  from = std::move(turned);
  return Ok;
}

}  // namespace vx::gdiplus
