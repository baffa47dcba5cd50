// The 2 of 5 symbologies read from the picture's rows or its columns. A symbol is reported when
// neighbouring lines read the same digits at the same place; its box is measured from the first
// of them (symbol_outline.h).
#pragma once
#include <cstdint>
#include <vector>

#include "dib_source.h"
#include "scanners.h"

namespace vxbarcode {

std::vector<FoundSymbol> ReadTwoOfFive(const DibPixels& pixels, bool vertical);

}  // namespace vxbarcode
