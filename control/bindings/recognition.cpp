// The recognition members bound to their rows of the member table.
#include "control/binding.h"
#include "vexiro/imaging.h"

namespace vx::control {

// 1D barcode reader
VX_BIND(Barcode1DReaderDoScan, &vexiro::cImaging::Barcode1DReaderDoScan);
VX_BIND(Barcode1DReaderGetBarcodeCount, &vexiro::cImaging::Barcode1DReaderGetBarcodeCount);
VX_BIND(Barcode1DReaderGetBarcodeType, &vexiro::cImaging::Barcode1DReaderGetBarcodeType);
VX_BIND(Barcode1DReaderGetBarcodeValue, &vexiro::cImaging::Barcode1DReaderGetBarcodeValue);
VX_BIND(Barcode1DReaderGetBarcodeSkewAngle, &vexiro::cImaging::Barcode1DReaderGetBarcodeSkewAngle);
VX_BIND(Barcode1DReaderBarcodeHasChecksum, &vexiro::cImaging::Barcode1DReaderBarcodeHasChecksum);
VX_BIND(Barcode1DReaderGetBarcodeX1, &vexiro::cImaging::Barcode1DReaderGetBarcodeX1);
VX_BIND(Barcode1DReaderGetBarcodeY1, &vexiro::cImaging::Barcode1DReaderGetBarcodeY1);
VX_BIND(Barcode1DReaderGetBarcodeX2, &vexiro::cImaging::Barcode1DReaderGetBarcodeX2);
VX_BIND(Barcode1DReaderGetBarcodeY2, &vexiro::cImaging::Barcode1DReaderGetBarcodeY2);
VX_BIND(Barcode1DReaderGetBarcodeX3, &vexiro::cImaging::Barcode1DReaderGetBarcodeX3);
VX_BIND(Barcode1DReaderGetBarcodeY3, &vexiro::cImaging::Barcode1DReaderGetBarcodeY3);
VX_BIND(Barcode1DReaderGetBarcodeX4, &vexiro::cImaging::Barcode1DReaderGetBarcodeX4);
VX_BIND(Barcode1DReaderGetBarcodeY4, &vexiro::cImaging::Barcode1DReaderGetBarcodeY4);
VX_BIND(Barcode1DReaderClear, &vexiro::cImaging::Barcode1DReaderClear);

// DataMatrix reader
VX_BIND(BarcodeDataMatrixReaderDoScan, &vexiro::cImaging::BarcodeDataMatrixReaderDoScan);
VX_BIND(BarcodeDataMatrixReaderGetBarcodeCount, &vexiro::cImaging::BarcodeDataMatrixReaderGetBarcodeCount);
VX_BIND(BarcodeDataMatrixReaderGetBarcodeValue, &vexiro::cImaging::BarcodeDataMatrixReaderGetBarcodeValue);
VX_BIND(BarcodeDataMatrixReaderGetBarcodeX1, &vexiro::cImaging::BarcodeDataMatrixReaderGetBarcodeX1);
VX_BIND(BarcodeDataMatrixReaderGetBarcodeY1, &vexiro::cImaging::BarcodeDataMatrixReaderGetBarcodeY1);
VX_BIND(BarcodeDataMatrixReaderGetBarcodeX2, &vexiro::cImaging::BarcodeDataMatrixReaderGetBarcodeX2);
VX_BIND(BarcodeDataMatrixReaderGetBarcodeY2, &vexiro::cImaging::BarcodeDataMatrixReaderGetBarcodeY2);
VX_BIND(BarcodeDataMatrixReaderGetBarcodeX3, &vexiro::cImaging::BarcodeDataMatrixReaderGetBarcodeX3);
VX_BIND(BarcodeDataMatrixReaderGetBarcodeY3, &vexiro::cImaging::BarcodeDataMatrixReaderGetBarcodeY3);
VX_BIND(BarcodeDataMatrixReaderGetBarcodeX4, &vexiro::cImaging::BarcodeDataMatrixReaderGetBarcodeX4);
VX_BIND(BarcodeDataMatrixReaderGetBarcodeY4, &vexiro::cImaging::BarcodeDataMatrixReaderGetBarcodeY4);
VX_BIND(BarcodeDataMatrixReaderGetBarcodeRows, &vexiro::cImaging::BarcodeDataMatrixReaderGetBarcodeRows);
VX_BIND(BarcodeDataMatrixReaderGetBarcodeColumns, &vexiro::cImaging::BarcodeDataMatrixReaderGetBarcodeColumns);
VX_BIND(BarcodeDataMatrixReaderClear, &vexiro::cImaging::BarcodeDataMatrixReaderClear);

}  // namespace vx::control
