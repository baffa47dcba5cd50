// Bindings of the geometry and image-composition members.
#include "control/binding.h"
#include "vexiro/imaging.h"

namespace vx::control {

VX_BIND(Rotate, &vexiro::cImaging::Rotate);
VX_BIND(RotateAnglePreserveDimentions, &vexiro::cImaging::RotateAnglePreserveDimentions);
VX_BIND(RotateAnglePreserveDimentionsBackColor, &vexiro::cImaging::RotateAnglePreserveDimentionsBackColor);
VX_BIND(RotateAnglePreserveDimentionsCenter, &vexiro::cImaging::RotateAnglePreserveDimentionsCenter);
VX_BIND(RotateAnglePreserveDimentionsCenterBackColor, &vexiro::cImaging::RotateAnglePreserveDimentionsCenterBackColor);
VX_BIND(RotateAngle, &vexiro::cImaging::RotateAngle);
VX_BIND(RotateAngleBackColor, &vexiro::cImaging::RotateAngleBackColor);
VX_BIND(ResizeImage, &vexiro::cImaging::ResizeImage);
VX_BIND(GetResizedImage, &vexiro::cImaging::GetResizedImage);
VX_BIND(ResizeHeightRatio, &vexiro::cImaging::ResizeHeightRatio);
VX_BIND(ResizeWidthRatio, &vexiro::cImaging::ResizeWidthRatio);
VX_BIND(ScaleImage, &vexiro::cImaging::ScaleImage);
VX_BIND(AddBorders, &vexiro::cImaging::AddBorders);
VX_BIND(AddBorderTop, &vexiro::cImaging::AddBorderTop);
VX_BIND(AddBorderBottom, &vexiro::cImaging::AddBorderBottom);
VX_BIND(AddBorderLeft, &vexiro::cImaging::AddBorderLeft);
VX_BIND(AddBorderRight, &vexiro::cImaging::AddBorderRight);

VX_BIND(DrawImage, &vexiro::cImaging::DrawImage);
VX_BIND(DrawImageRect, &vexiro::cImaging::DrawImageRect);
VX_BIND(DrawImageTransparency, &vexiro::cImaging::DrawImageTransparency);
VX_BIND(DrawImageTransparencyColor, &vexiro::cImaging::DrawImageTransparencyColor);
VX_BIND(DrawImageTransparencyColorEx, &vexiro::cImaging::DrawImageTransparencyColorEx);
VX_BIND(DrawImageClipped, &vexiro::cImaging::DrawImageClipped);
VX_BIND(DrawImageOP, &vexiro::cImaging::DrawImageOP);
VX_BIND(DrawImageOPRect, &vexiro::cImaging::DrawImageOPRect);
VX_BIND(DrawImageSkewing, &vexiro::cImaging::DrawImageSkewing);

}  // namespace vx::control
