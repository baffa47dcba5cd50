// The barcode drawing members bound to their rows of the member table.
#include "control/binding.h"
#include "vexiro/imaging.h"

namespace vx::control {

VX_BIND(BarCodeDraw128, &vexiro::cImaging::BarCodeDraw128);
VX_BIND(BarCodeDraw39, &vexiro::cImaging::BarCodeDraw39);
VX_BIND(BarCodeDraw25i, &vexiro::cImaging::BarCodeDraw25i);
VX_BIND(BarCodeDrawEAN13, &vexiro::cImaging::BarCodeDrawEAN13);
VX_BIND(BarCodeGetWidth128, &vexiro::cImaging::BarCodeGetWidth128);
VX_BIND(BarCodeGetWidth39, &vexiro::cImaging::BarCodeGetWidth39);
VX_BIND(BarCodeGetWidth25i, &vexiro::cImaging::BarCodeGetWidth25i);
VX_BIND(BarCodeGetWidthEAN13, &vexiro::cImaging::BarCodeGetWidthEAN13);
VX_BIND(BarCodeGetChecksumEAN13, &vexiro::cImaging::BarCodeGetChecksumEAN13);
VX_BIND(BarCodeIsValidEAN13, &vexiro::cImaging::BarCodeIsValidEAN13);
VX_BIND(BarCodeGetChecksum25i, &vexiro::cImaging::BarCodeGetChecksum25i);
VX_BIND(BarCodeGetChecksum39, &vexiro::cImaging::BarCodeGetChecksum39);

}  // namespace vx::control
