// The display members: the current image drawn on a host's device context or window.
#include "engine/enumeration_values.h"
#include "processing/draw/display.h"
#include "vexiro/imaging.h"

namespace vexiro {

namespace draw = vx::draw;

namespace {

constexpr int32_t kSmoothingNone = 3;
constexpr int32_t kUnitPixel = 2;

draw::DisplayTarget OnDC(int32_t dc) { return {.dc = static_cast<vx::HDC>(dc)}; }
draw::DisplayTarget OnWindow(int32_t window) { return {.window = static_cast<vx::HWND>(window), .isWindow = true}; }

}  // namespace

VexiroStatus cImaging::DisplayImageOnHDC(int32_t nHDC, int32_t nDstLeft, int32_t nDstTop, int32_t nDstWidth,
                                         int32_t nDstHeight, EnumArg<InterpolationMode> nInterpolationMode) {
  if (RefusesValueOutside(nInterpolationMode)) return InvalidParameter;
  return nStat = draw::DrawImageOnTarget(nNativeImage, OnDC(nHDC), {nDstLeft, nDstTop, nDstWidth, nDstHeight},
                                         kSmoothingNone, nInterpolationMode, kUnitPixel);
}

VexiroStatus cImaging::DisplayImageOnHwnd(int32_t nHWND, int32_t nDstLeft, int32_t nDstTop, int32_t nDstWidth,
                                          int32_t nDstHeight, EnumArg<InterpolationMode> nInterpolationMode) {
  if (RefusesValueOutside(nInterpolationMode)) return InvalidParameter;
  return nStat = draw::DrawImageOnTarget(nNativeImage, OnWindow(nHWND), {nDstLeft, nDstTop, nDstWidth, nDstHeight},
                                         kSmoothingNone, nInterpolationMode, kUnitPixel);
}

VexiroStatus cImaging::DisplayImageRectOnHDC(int32_t nHDC, int32_t nDstLeft, int32_t nDstTop, int32_t nDstWidth,
                                             int32_t nDstHeight, int32_t nSrcLeft, int32_t nSrcTop, int32_t nSrcWidth,
                                             int32_t nSrcHeight, EnumArg<InterpolationMode> nInterpolationMode) {
  if (RefusesValueOutside(nInterpolationMode)) return InvalidParameter;
  return nStat = draw::DrawImageRectOnTarget(nNativeImage, OnDC(nHDC), {nDstLeft, nDstTop, nDstWidth, nDstHeight},
                                             {nSrcLeft, nSrcTop, nSrcWidth, nSrcHeight}, kSmoothingNone,
                                             nInterpolationMode, kUnitPixel);
}

VexiroStatus cImaging::DisplayImageRectOnHwnd(int32_t nHWND, int32_t nDstLeft, int32_t nDstTop, int32_t nDstWidth,
                                              int32_t nDstHeight, int32_t nSrcLeft, int32_t nSrcTop,
                                              int32_t nSrcWidth, int32_t nSrcHeight,
                                              EnumArg<InterpolationMode> nInterpolationMode) {
  if (RefusesValueOutside(nInterpolationMode)) return InvalidParameter;
  return nStat = draw::DrawImageRectOnTarget(nNativeImage, OnWindow(nHWND), {nDstLeft, nDstTop, nDstWidth, nDstHeight},
                                             {nSrcLeft, nSrcTop, nSrcWidth, nSrcHeight}, kSmoothingNone,
                                             nInterpolationMode, kUnitPixel);
}

}  // namespace vexiro
