// DataMatrix symbols found by libdmtx, which reads symbols other readers miss (and gives the size
// and corners its own tools report), but tries a region at every pixel that can start one: on a
// page of text that is most of them, at minutes a page. Its searches here are bounded: by the
// region starts they may try, by the symbol sizes they look for, and by the scan's time.
#pragma once
#include <chrono>
#include <vector>

#include "dib_source.h"
#include "matrix_budget.h"
#include "matrix_seeds.h"
#include "scanners.h"

namespace vxbarcode {

// libdmtx's scan grid asserts (and so aborts the host) unless a picture's longer side spans at
// least this many pixels; ZXing's parts need a few as well, and no symbol fits in less anyway.
constexpr int kLeastLongerSide = 3;

struct DmtxLimits {
  int leastEdge = 0;  // pixels
  int mostEdge = 0;   // pixels; 0 for no bound
  int starts = 0;     // region starts tried at most
  std::chrono::milliseconds time{0};  // the whole-picture scan's time at most
};

// The symbol ZXing found, looked for again by libdmtx in the part of the picture around it;
// where libdmtx reads the same value there, the symbol takes libdmtx's corners, rows and columns.
void FitWithDmtx(const DibPixels& pixels, FoundSymbol& symbol, const SearchBudget& budget);

// libdmtx's own scan of the whole picture, in its order, within `limits` (each new symbol it
// finds grants it its starts and time afresh, within `budget`): starts inside the `known`
// symbols are not tried. Gives the known symbols and the new ones in the order the scan
// meets them; a known symbol the scan never meets comes last.
std::vector<FoundSymbol> ScanWithDmtx(const DibPixels& pixels, const MatrixSeeds& seeds, std::vector<FoundSymbol> known,
                                      const DmtxLimits& limits, const SearchBudget& budget);

}  // namespace vxbarcode
