// Skew detection of scanned pages: a Hough transform over the lower edges of dark strokes (the
// baselines of text) in the middle half of the page, accepted only when the strongest lines
// agree. One object per measurement.
#pragma once
#include <cstdint>
#include <vector>

#include "engine/vexiro_status.h"

namespace vx::processing {

using engine::VexiroStatus;

class cAutoDeskew {
 public:
  // The searched angles start here and go up by 0.2 degrees, 200 of them.
  double MaxAngle = 20.0;
  // Degrees after GetSkewAngle; positive when the lines fall to the right. 0 when the measure
  // was rejected or failed.
  double SkewAngle = 0;

  // Measures the image. Under 51 pixels a side is Aborted; a page without a dark stroke is 0
  // degrees.
  VexiroStatus GetSkewAngle(int32_t imageId);

  // The accepted skew of peak angles, the strongest first: their mean when they spread less than
  // 4 degrees and no more than the mean's magnitude, else 0. No peak (no vote at all) is 0.
  static double AgreedAngle(const std::vector<double>& peakAngles);
};

}  // namespace vx::processing
