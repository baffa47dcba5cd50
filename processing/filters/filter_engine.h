// The filter engine: the one entry point through which every per-pixel filter, colour change and
// pixel measure runs. The rectangle of the image is read into a working array of 32bppARGB
// pixels, the procedure chosen by the filter number runs over it, and the array is written back
// in a way that suits the image's own pixel format.
#pragma once
#include <array>
#include <cstdint>

#include "engine/vexiro_status.h"
#include "processing/filters/filter_procedures.h"
#include "vexiro/imaging.h"

namespace vx::processing {

using engine::VexiroStatus;

// Filter numbers with a meaning the callers rely on beyond their pixel rule.
enum FilterID : int32_t {
  FilterIDSharpen = 1,
  FilterIDNegative = 2,
  FilterIDBrightness = 14,
  FilterIDSoften = 33,
  FilterIDIsGrayscale = 36,
  FilterIDMatrix3x3 = 52,
  FilterIDIsBlank = 53,
  FilterIDIsBitonal = 59,
  FilterIDCountColor = 60,
  FilterIDCountTransparent = 67,
  FilterIDGetAverageColor = 68,
};

// Runs filter `filterId` over `area` of image `imageId`. Measures answer in `result` (1.0 or 0.0
// for the tests; a count or an ARGB value otherwise); other filters leave it alone. An empty
// rectangle gives OK and touches nothing (the tests answer False); one that leaves the image gives
// InvalidParameter and writes nothing; a filter number that names no filter gives OK and touches
// nothing.
VexiroStatus ApplyFilter(int32_t filterId, int32_t imageId, double param1, vexiro::FilterArea& area, float f1, float f2,
                         float f3, double param2, double param3, double param4, double& result);

// Runs a procedure that has no filter number over `area` the way ApplyFilter runs a filter that
// changes pixels: read, run, write back, run-time errors as statuses.
VexiroStatus ApplyProcedure(FilterProcedure run, int32_t imageId, const vexiro::FilterArea& area,
                            const FilterArgs& args);

// The 3 x 3 pattern the pattern filter finds (entries 0-8, row by row from the top-left) and its
// replacement (9-17), as ARGB values whose alpha byte is ignored. Kept per thread until changed.
using FilterPattern = std::array<uint32_t, 18>;
void SetFilterPattern(const FilterPattern& pattern);
const FilterPattern& GetFilterPattern();

}  // namespace vx::processing
