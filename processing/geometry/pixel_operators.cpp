// Composition by a logical operator: the source rectangle is scaled into a 32-bit bitmap of the
// destination's size and combined with the current image's pixels bit by bit, alpha included.
// Both rectangles must lie inside their images; nothing is drawn otherwise.
#include <cstdint>

#include "engine/enumeration_values.h"
#include "engine/image_access.h"
#include "engine/load/from_memory.h"
#include "processing/draw/display.h"
#include "vexiro/imaging.h"

namespace vexiro {

namespace gp = vx::gdiplus;
using namespace vx::engine;

namespace {

enum Operator : int32_t { OperatorAND = 0, OperatorOR = 1, OperatorXOR = 2 };

// A rectangle of at least one pixel that starts at 0 or later and ends inside `extent`.
bool FitsInside(int32_t start, int32_t size, int32_t extent) {
  return start >= 0 && size >= 1 && int64_t{start} + size <= extent;
}

void CombineRow(uint32_t* current, const uint32_t* drawn, int32_t count, int32_t op) {
  switch (op) {
    case OperatorAND:
      for (int32_t i = 0; i < count; ++i) current[i] &= drawn[i];
      break;
    case OperatorOR:
      for (int32_t i = 0; i < count; ++i) current[i] |= drawn[i];
      break;
    case OperatorXOR:
      for (int32_t i = 0; i < count; ++i) current[i] ^= drawn[i];
      break;
    default: break;
  }
}

// Combines the drawn bitmap into the rectangle of the target, row by row.
VexiroStatus CombineInto(int32_t target, const gp::GpRect& rect, int32_t drawn, int32_t op) {
  gp::PixelFormat format = gp::PixelFormat32bppARGB;
  gp::BitmapData from;
  VexiroStatus s = LockImageBits(drawn, {0, 0, rect.Width, rect.Height}, gp::ImageLockModeRead, format, from);
  if (s != OK) return s;
  gp::BitmapData to;
  format = gp::PixelFormat32bppARGB;
  s = LockImageBits(target, rect, gp::ImageLockModeRead | gp::ImageLockModeWrite, format, to);
  if (s == OK) {
    for (int32_t y = 0; y < rect.Height; ++y)
      CombineRow(reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(to.Scan0) + ptrdiff_t{y} * to.Stride),
                 reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(from.Scan0) + ptrdiff_t{y} * from.Stride),
                 rect.Width, op);
    s = UnlockImageBits(target, to);
  }
  UnlockImageBits(drawn, from);
  return s;
}

}  // namespace

VexiroStatus cImaging::DrawImageOP(int32_t nImageID, int32_t nDstLeft, int32_t nDstTop, int32_t nDstWidth,
                                   int32_t nDstHeight, EnumArg<Operators> nOperator,
                                   EnumArg<InterpolationMode> nInterpolationMode) {
  if (RefusesValueOutside(nInterpolationMode)) return InvalidParameter;
  int32_t w = 0, h = 0;
  VexiroStatus s = GetImageHeight(nImageID, h);
  if (s == OK) s = GetImageWidth(nImageID, w);
  if (s != OK) return nStat = s;
  return DrawImageOPRect(nImageID, nDstLeft, nDstTop, nDstWidth, nDstHeight, 0, 0, w, h, nOperator,
                         nInterpolationMode);
}

VexiroStatus cImaging::DrawImageOPRect(int32_t nImageID, int32_t nDstLeft, int32_t nDstTop, int32_t nDstWidth,
                                       int32_t nDstHeight, int32_t nSrcLeft, int32_t nSrcTop, int32_t nSrcWidth,
                                       int32_t nSrcHeight, EnumArg<Operators> nOperator,
                                       EnumArg<InterpolationMode> nInterpolationMode) {
  if (RefusesValueOutside(nInterpolationMode)) return InvalidParameter;
  if (nNativeImage == 0) return nStat = GenericError;
  int32_t sourceWidth = 0, sourceHeight = 0, width = 0, height = 0;
  VexiroStatus s = GetImageHeight(nImageID, sourceHeight);
  if (s == OK) s = GetImageWidth(nImageID, sourceWidth);
  if (s == OK) s = GetImageHeight(nNativeImage, height);
  if (s == OK) s = GetImageWidth(nNativeImage, width);
  if (s != OK) return nStat = s;
  if (!FitsInside(nDstLeft, nDstWidth, width) || !FitsInside(nDstTop, nDstHeight, height) ||
      !FitsInside(nSrcLeft, nSrcWidth, sourceWidth) || !FitsInside(nSrcTop, nSrcHeight, sourceHeight))
    return nStat = InvalidParameter;
  // The scaled source is drawn before the current image is touched, so an image combined with
  // itself reads its own pixels as they were.
  ScopedImage drawn;
  s = CreateImageFromScan0(nDstWidth, nDstHeight, 0, gp::PixelFormat32bppARGB, 0, *drawn.put(), false);
  if (s == OK)
    s = vx::draw::DrawImageRectHQ(drawn.get(), nImageID, {0, 0, nDstWidth, nDstHeight},
                                  {nSrcLeft, nSrcTop, nSrcWidth, nSrcHeight}, nInterpolationMode);
  if (s == OK) s = CombineInto(nNativeImage, {nDstLeft, nDstTop, nDstWidth, nDstHeight}, drawn.get(), nOperator);
  return nStat = s;
}

}  // namespace vexiro
