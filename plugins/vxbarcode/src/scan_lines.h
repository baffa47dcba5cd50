// Lines through the picture as a linear reader sees them: the luminance along one row or column,
// cut at a threshold into runs of dark and light. Element i of a line spans the pixels
// [edges[i], edges[i + 1]); the elements alternate in colour from the first one's.
#pragma once
#include <cstdint>
#include <vector>

#include "dib_source.h"

namespace vxbarcode {

struct LineRuns {
  std::vector<int> edges;  // first 0, last the line's length
  bool firstDark = false;

  int Count() const { return static_cast<int>(edges.size()) - 1; }
  int Width(int i) const { return edges[i + 1] - edges[i]; }
  bool Dark(int i) const { return (i % 2 == 0) == firstDark; }
};

// A linear symbol is believed only when read alike on at least three lines that together cover
// a height of a tenth of its length or more: printed bars are at least that tall, while noise
// that happens to read as a symbol does so on a single line or on the few that one blot spans.
inline bool ReadOnEnoughLines(int lines, double height, double length) {
  constexpr int kLeastLines = 3;
  constexpr double kLeastHeightPerLength = 0.1;
  return lines >= kLeastLines && height >= kLeastHeightPerLength * length;
}

// The luminance along row `index` (vertical false) or column `index`, into the caller's buffer.
void SampleLine(const DibPixels& pixels, bool vertical, int index, std::vector<uint8_t>& luminance);

// Reads row `index` (vertical false) or column `index` into runs; `luminance` is the caller's
// buffer, reused from line to line. A line without contrast is one light run.
void ReadLine(const DibPixels& pixels, bool vertical, int index, std::vector<uint8_t>& luminance, LineRuns& runs);

}  // namespace vxbarcode
