// The host's numbers before they reach a page. A value that is not finite stands for no position,
// size or setting at all, so the member refuses it (InvalidParameter) and writes nothing; a finite
// value beyond what a PDF number holds is the writer's to clamp.
#pragma once
#include <cmath>
#include <initializer_list>

#include "vexiro/imaging.h"

namespace vexiro::pdf_members {

// True, with `stat` set to InvalidParameter, when any value is NaN or infinite.
inline bool RefusedAsNotFinite(VexiroStatus& stat, std::initializer_list<double> values) {
  for (double v : values) {
    if (!std::isfinite(v)) {
      stat = InvalidParameter;
      return true;
    }
  }
  return false;
}

}  // namespace vexiro::pdf_members
