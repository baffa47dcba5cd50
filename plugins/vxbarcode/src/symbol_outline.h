// Where a linear symbol lies, from one scan line that read it. Its bars are followed from that
// line to the lines beside it for as long as they show the same pattern, shifted along by the
// symbol's turn: that gives the bars' height, the turn in degrees and the four corners of the
// turned box, whichever way the reading library reports the symbol's position.
#pragma once
#include <array>
#include <cstdint>

#include "dib_source.h"

namespace vxbarcode {

// One reading of a symbol along a row (vertical false) or a column of the picture.
struct LineReading {
  bool vertical = false;
  int line = 0;   // the row or column read
  int start = 0;  // the pixel along the line where the first bar begins, as read
  int end = 0;    // and where the last bar ends; below start when read backwards
};

struct SymbolOutline {
  std::array<int32_t, 8> corners{};  // the symbol's own top-left corner first, then clockwise
  double turn = 0;                   // of the reading direction, degrees clockwise from the x axis, [0, 360)
  int lines = 0;                     // lines across which the bars continue, the reading's own included
  double height = 0;                 // of the bars, in pixels
  double length = 0;                 // from the first bar to the last, across the bars
};

SymbolOutline OutlineOf(const DibPixels& pixels, const LineReading& reading);

// The skew a linear reader reports for a symbol read in that direction: the turn that undoes it.
inline double SkewOfTurn(double turn) {
  const double skew = 360 - turn;
  return skew >= 360 ? skew - 360 : skew;
}

}  // namespace vxbarcode
