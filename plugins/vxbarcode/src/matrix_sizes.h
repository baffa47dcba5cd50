// The sizes a DataMatrix symbol comes in (square, rectangular and the rectangular extension) with
// the data codewords each holds. A decoder that gives only the codeword count still names the
// symbol's size: the count and the symbol's proportions single out one.
#pragma once

namespace vxbarcode {

struct MatrixSize {
  int rows;
  int columns;
  int dataCodewords;
};

// The size holding `dataCodewords` whose columns over rows lie nearest `columnsOverRows`;
// nullptr when no size holds that many.
const MatrixSize* MatrixSizeOf(int dataCodewords, double columnsOverRows);

}  // namespace vxbarcode
