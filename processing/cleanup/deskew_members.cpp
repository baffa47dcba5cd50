// The engine's skew members: the measure of the current page, and its correction by a turn about
// the page's centre that keeps the page's size and bit depth.
#include <cmath>

#include "processing/cleanup/skew_detection.h"
#include "vexiro/imaging.h"

namespace vexiro {

namespace {

// A smaller skew is within what the measure's 0.2-degree steps can tell from level.
constexpr double kLeastCorrected = 0.3;
constexpr int32_t kWhite = -1;

}  // namespace

double cImaging::GetSkewAngle() {
  if (nNativeImage == 0) {
    nStat = GenericError;
    return 0;
  }
  vx::processing::cAutoDeskew deskew;
  deskew.MaxAngle = 20.0;
  nStat = deskew.GetSkewAngle(nNativeImage);
  return deskew.SkewAngle;
}

VexiroStatus cImaging::AutoDeskew() {
  if (nNativeImage == 0) return nStat = GenericError;
  const double angle = GetSkewAngle();
  if (nStat != OK || !(std::fabs(angle) > kLeastCorrected)) return nStat;
  const int32_t depth = GetPixelDepth();
  const bool greyPalette = depth == 8 && ColorPaletteGetType() == ColorPaletteTypeGrayScale;
  // A failed turn is the result: the depth queries after it would report success.
  VexiroStatus s = RotateAnglePreserveDimentionsCenterBackColor(static_cast<float>(-angle), kWhite);
  if (s != OK) return nStat = s;
  const int32_t turnedDepth = GetPixelDepth();
  if (depth == 1 && turnedDepth != 1) s = ConvertTo1Bpp();
  else if (greyPalette && turnedDepth != 8) s = ConvertTo8BppGrayScale();
  return nStat = s;
}

}  // namespace vexiro
