// The filter numbers and what each one runs.
#pragma once
#include <cstdint>

#include "processing/filters/filter_procedures.h"

namespace vx::processing {

enum class FilterKind : uint8_t {
  None,      // no filter has the number
  Changes,   // changes pixels; the area is written back
  Measures,  // answers a question; nothing is written back
};

struct FilterEntry {
  FilterKind kind = FilterKind::None;
  FilterProcedure run = nullptr;
  bool needsSource = false;  // reads neighbours as they were before the filter
  // Reads and writes only the colour bytes of each pixel, so it may run over 24-bit rows.
  bool colourBytesOnly = false;
  // True for the arguments with which the procedure can fail only before it changes a pixel: it
  // may then run over a 24-bit image's own rows instead of a copy.
  bool (*failsOnlyFirst)(const FilterArgs& args) = nullptr;
};

FilterEntry FindFilter(int32_t filterId);

}  // namespace vx::processing
