// DataMatrix symbols found by ZXing: over the whole picture, then over overlapping parts of it.
// Its detector follows edges from the picture's borders inwards and gives up on a large clean
// symbol among other marks on a full page, yet finds the same symbol in a part of the page; and
// it gives one symbol a read, so a part is read again, its symbols painted over, until it shows
// no new one.
#pragma once
#include <vector>

#include "dib_source.h"
#include "matrix_areas.h"
#include "matrix_budget.h"
#include "matrix_grey.h"
#include "matrix_seeds.h"
#include "scanners.h"

namespace vxbarcode {

// Each symbol once, corners in the symbol's own order (top-left, then clockwise as it reads),
// rows and columns from its codeword count and proportions. The picture is read whole, then each
// of the `marked` areas, then overlapping parts, then ever smaller copies of it, each in tiles of
// bounded size that show marks by `marks`; `smallestSymbol` (pixels) bounds how small the parts
// get. The symbols found are left painted over on `grey`.
std::vector<FoundSymbol> ReadWithZxing(GreyPicture& grey, const MatrixSeeds& marks,
                                       const std::vector<PixelArea>& marked, int smallestSymbol,
                                       const SearchBudget& budget);

}  // namespace vxbarcode
