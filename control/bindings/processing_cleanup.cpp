// The page clean-up members bound to their rows of the member table: border detection and
// cropping, skew measure and deskew.
#include "control/binding.h"
#include "vexiro/imaging.h"

namespace vx::control {

VX_BIND(CropWhiteBorders, &vexiro::cImaging::CropWhiteBorders);
VX_BIND(CropBlackBorders, &vexiro::cImaging::CropBlackBorders);
VX_BIND(CropBlackBordersEx, &vexiro::cImaging::CropBlackBordersEx);
VX_BIND(CropBorders, &vexiro::cImaging::CropBorders);
VX_BIND(CropBordersEX, &vexiro::cImaging::CropBordersEX);
VX_BIND(CropBordersEX2, &vexiro::cImaging::CropBordersEX2);
VX_BIND(Crop, &vexiro::cImaging::Crop);
VX_BIND(CropTop, &vexiro::cImaging::CropTop);
VX_BIND(CropBottom, &vexiro::cImaging::CropBottom);
VX_BIND(CropLeft, &vexiro::cImaging::CropLeft);
VX_BIND(CropRight, &vexiro::cImaging::CropRight);
VX_BIND(GetSkewAngle, &vexiro::cImaging::GetSkewAngle);
VX_BIND(AutoDeskew, &vexiro::cImaging::AutoDeskew);

}  // namespace vx::control
