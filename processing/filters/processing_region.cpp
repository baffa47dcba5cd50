// The engine's processing rectangle as the pixel operations read it.
#include "vexiro/imaging.h"

namespace vexiro {

int32_t cImaging::InitROI() {
  if (nROIMode == 1) {
    ROIArea.Y = 0;
    ROIArea.Height = GetHeight();
    ROIArea.X = 0;
    ROIArea.Width = GetWidth();
  }
  return 0;
}

}  // namespace vexiro
