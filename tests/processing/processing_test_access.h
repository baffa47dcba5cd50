// Reaches the engine's processing region and current image from the processing tests.
#pragma once
#include "vexiro/imaging.h"

namespace vexiro {

struct ProcessingTestAccess {
  static void SetRegion(cImaging& e, FilterArea area) {
    e.nROIMode = 2;
    e.ROIArea = area;
  }
  static FilterArea Region(cImaging& e) {
    e.InitROI();
    return e.ROIArea;
  }
};

}  // namespace vexiro
