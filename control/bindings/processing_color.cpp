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

VX_BIND(ConvertToPixelFormatCR, &vexiro::cImaging::ConvertToPixelFormatCR);
VX_BIND(ConvertTo4Bpp, &vexiro::cImaging::ConvertTo4Bpp);
VX_BIND(ConvertTo16BppRGB555, &vexiro::cImaging::ConvertTo16BppRGB555);
VX_BIND(ConvertTo16BppRGB565, &vexiro::cImaging::ConvertTo16BppRGB565);
VX_BIND(ConvertTo24BppRGB, &vexiro::cImaging::ConvertTo24BppRGB);
VX_BIND(ConvertTo32BppARGB, &vexiro::cImaging::ConvertTo32BppARGB);
VX_BIND(ConvertTo32BppPARGB, &vexiro::cImaging::ConvertTo32BppPARGB);
VX_BIND(ConvertTo32BppRGB, &vexiro::cImaging::ConvertTo32BppRGB);
VX_BIND(ConvertTo48BppRGB, &vexiro::cImaging::ConvertTo48BppRGB);
VX_BIND(ConvertTo64BppARGB, &vexiro::cImaging::ConvertTo64BppARGB);
VX_BIND(ConvertTo1Bpp, &vexiro::cImaging::ConvertTo1Bpp);
VX_BIND(ConvertTo1BppFast, &vexiro::cImaging::ConvertTo1BppFast);
VX_BIND(ConvertTo4Bpp16, &vexiro::cImaging::ConvertTo4Bpp16);
VX_BIND(ConvertTo4BppPal, &vexiro::cImaging::ConvertTo4BppPal);
VX_BIND(ConvertTo4BppQ, &vexiro::cImaging::ConvertTo4BppQ);
VX_BIND(ConvertBitonalToGrayScale, &vexiro::cImaging::ConvertBitonalToGrayScale);
VX_BIND(ConvertTo8BppGrayScale, &vexiro::cImaging::ConvertTo8BppGrayScale);
VX_BIND(ConvertTo8BppGrayScaleAdv, &vexiro::cImaging::ConvertTo8BppGrayScaleAdv);
VX_BIND(ConvertTo8Bpp216, &vexiro::cImaging::ConvertTo8Bpp216);
VX_BIND(ConvertTo8BppQ, &vexiro::cImaging::ConvertTo8BppQ);
VX_BIND(Quantize8Bpp, &vexiro::cImaging::Quantize8Bpp);

}  // namespace vx::control
