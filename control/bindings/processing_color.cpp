// Bindings of the colour-model, histogram and pixel-format conversion members.
#include "control/binding.h"
#include "vexiro/imaging.h"

namespace vx::control {

VX_BIND(ColorRGBtoCMY, &vexiro::cImaging::ColorRGBtoCMY);
VX_BIND(ColorRGBtoCMYK, &vexiro::cImaging::ColorRGBtoCMYK);
VX_BIND(ColorCMYKtoRGB, &vexiro::cImaging::ColorCMYKtoRGB);
VX_BIND(ColorCMYtoRGB, &vexiro::cImaging::ColorCMYtoRGB);
VX_BIND(ColorRGBtoHSL, &vexiro::cImaging::ColorRGBtoHSL);
VX_BIND(ColorRGBtoHSLl, &vexiro::cImaging::ColorRGBtoHSLl);
VX_BIND(ColorHSLtoRGB, &vexiro::cImaging::ColorHSLtoRGB);
VX_BIND(ColorHSLtoRGBl, &vexiro::cImaging::ColorHSLtoRGBl);
VX_BIND(ColorGetRGBFromRGBValue, &vexiro::cImaging::ColorGetRGBFromRGBValue);
VX_BIND(ColorGetRGBFromRGBValuel, &vexiro::cImaging::ColorGetRGBFromRGBValuel);
VX_BIND(ColorGetARGBFromARGBValue, &vexiro::cImaging::ColorGetARGBFromARGBValue);
VX_BIND(ColorGetARGBFromARGBValuel, &vexiro::cImaging::ColorGetARGBFromARGBValuel);
VX_BIND(argb, &vexiro::cImaging::argb);
VX_BIND(GetRGB, &vexiro::cImaging::GetRGB);

VX_BIND(HistogramGetARGB, &vexiro::cImaging::HistogramGetARGB);
VX_BIND(HistogramGetRed, &vexiro::cImaging::HistogramGetRed);
VX_BIND(HistogramGetGreen, &vexiro::cImaging::HistogramGetGreen);
VX_BIND(HistogramGetBlue, &vexiro::cImaging::HistogramGetBlue);
VX_BIND(HistogramGetAlpha, &vexiro::cImaging::HistogramGetAlpha);
VX_BIND(HistogramGet8Bpp, &vexiro::cImaging::HistogramGet8Bpp);

}  // namespace vx::control
