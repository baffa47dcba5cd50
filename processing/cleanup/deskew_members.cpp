// The engine's skew members: the measure of the current page, and its correction by a turn about
// the page's centre that keeps the page's size and bit depth.
#include "processing/cleanup/skew_detection.h"
#include "vexiro/imaging.h"

namespace vexiro {

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

}  // namespace vexiro
