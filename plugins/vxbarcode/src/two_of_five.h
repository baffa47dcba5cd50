// The 2 of 5 symbologies the linear library does not know (Industrial, inverted, IATA, Matrix,
// Data Logic 2 of 5 and BCD Matrix), found on one scan line. Every one of them is bars and spaces
// of two widths between fixed start and stop patterns, so a symbol is the run of elements between
// two quiet zones, cut into narrow and wide and matched whole against each pattern, both ways.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "scan_lines.h"

namespace vxbarcode {

struct LineHit {
  int32_t type = 0;
  std::string digits;
  bool reversed = false;  // read from the line's end towards its start
  int readStart = 0;      // the pixel along the line where the symbol's first bar begins, as read
  int readEnd = 0;        // and where its last bar ends
};

std::vector<LineHit> FindTwoOfFiveOnLine(const LineRuns& runs);

}  // namespace vxbarcode
