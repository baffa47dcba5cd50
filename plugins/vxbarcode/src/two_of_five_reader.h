// The 2 of 5 symbologies read from the picture's scan lines: rows always, columns as well in
// the thorough mode, as the linear library's turned pass does. A symbol is reported when
// neighbouring lines read the same digits at the same place; its corners are those lines' ends.
#pragma once
#include <cstdint>
#include <vector>

#include "dib_source.h"
#include "scanners.h"

namespace vxbarcode {

std::vector<FoundSymbol> ReadTwoOfFive(const DibPixels& pixels, int32_t performance);

}  // namespace vxbarcode
