// The engine members that expose the colour models to hosts. They work on values only: no image
// is needed and the last status is left alone.
#include <algorithm>

#include "processing/color/color_values.h"
#include "vexiro/imaging.h"

namespace vexiro {

namespace {

using vx::processing::cCMY;
using vx::processing::cCMYK;
using vx::processing::cColor;

uint8_t LimitToByte(int32_t v) { return static_cast<uint8_t>(std::clamp(v, 0, 255)); }

// A fresh colour-model value given red, green and blue one channel at a time.
template <class Model>
Model FromRgb(uint8_t r, uint8_t g, uint8_t b) {
  Model m;
  m.SetR(r);
  m.SetG(g);
  m.SetB(b);
  return m;
}

}  // namespace

void cImaging::ColorRGBtoCMY(uint8_t nRedValue, uint8_t nGreenValue, uint8_t nBlueValue, uint8_t& nCyanReturn,
                             uint8_t& nMagentaReturn, uint8_t& nYellowReturn) {
  const cCMY c = FromRgb<cCMY>(nRedValue, nGreenValue, nBlueValue);
  nCyanReturn = c.GetC();
  nMagentaReturn = c.GetM();
  nYellowReturn = c.GetY();
}

void cImaging::ColorCMYtoRGB(uint8_t nCyan, uint8_t nMagenta, uint8_t nYellow, uint8_t& nRedReturn,
                             uint8_t& nGreenReturn, uint8_t& nBlueReturn) {
  cCMY c;
  c.FromCMY(nCyan, nMagenta, nYellow);
  nRedReturn = c.GetR();
  nGreenReturn = c.GetG();
  nBlueReturn = c.GetB();
}

void cImaging::ColorRGBtoCMYK(uint8_t nRedValue, uint8_t nGreenValue, uint8_t nBlueValue, uint8_t& nCyanReturn,
                              uint8_t& nMagentaReturn, uint8_t& nYellowReturn, uint8_t& nBlackReturn) {
  const cCMYK c = FromRgb<cCMYK>(nRedValue, nGreenValue, nBlueValue);
  nCyanReturn = c.GetC();
  nMagentaReturn = c.GetM();
  nYellowReturn = c.GetY();
  nBlackReturn = c.GetK();
}

void cImaging::ColorCMYKtoRGB(uint8_t nCyan, uint8_t nMagenta, uint8_t nYellow, uint8_t nBlack, uint8_t& nRedReturn,
                              uint8_t& nGreenReturn, uint8_t& nBlueReturn) {
  cCMYK c;
  c.FromCMYK(nCyan, nMagenta, nYellow, nBlack);
  nRedReturn = c.GetR();
  nGreenReturn = c.GetG();
  nBlueReturn = c.GetB();
}

void cImaging::ColorRGBtoHSL(uint8_t nRedValue, uint8_t nGreenValue, uint8_t nBlueValue, float& nHueReturn,
                             float& nSaturationReturn, float& nLightnessReturn) {
  vx::processing::RGBToHSL(nRedValue, nGreenValue, nBlueValue, nHueReturn, nSaturationReturn, nLightnessReturn);
}

void cImaging::ColorRGBtoHSLl(int32_t nRedValue, int32_t nGreenValue, int32_t nBlueValue, float& nHueReturn,
                              float& nSaturationReturn, float& nLightnessReturn) {
  ColorRGBtoHSL(LimitToByte(nRedValue), LimitToByte(nGreenValue), LimitToByte(nBlueValue), nHueReturn,
                nSaturationReturn, nLightnessReturn);
}

void cImaging::ColorHSLtoRGB(float nHueValue, float nSaturationValue, float nLightnessValue, uint8_t& nRedReturn,
                             uint8_t& nGreenReturn, uint8_t& nBlueReturn) {
  vx::processing::HSLToRGB(nHueValue, nSaturationValue, nLightnessValue, nRedReturn, nGreenReturn, nBlueReturn);
}

void cImaging::ColorHSLtoRGBl(float nHueValue, float nSaturationValue, float nLightnessValue, int32_t& nRedReturn,
                              int32_t& nGreenReturn, int32_t& nBlueReturn) {
  uint8_t r = 0, g = 0, b = 0;
  ColorHSLtoRGB(nHueValue, nSaturationValue, nLightnessValue, r, g, b);
  nRedReturn = r;
  nGreenReturn = g;
  nBlueReturn = b;
}

void cImaging::ColorGetRGBFromRGBValue(int32_t nRGBValue, uint8_t& nRed, uint8_t& nGreen, uint8_t& nBlue) {
  cColor c;
  c.FromRGBColor(nRGBValue);
  nRed = c.GetRed();
  nBlue = c.GetBlue();
  nGreen = c.GetGreen();
}

void cImaging::ColorGetRGBFromRGBValuel(int32_t nRGBValue, int32_t& nRed, int32_t& nGreen, int32_t& nBlue) {
  uint8_t r = 0, g = 0, b = 0;
  ColorGetRGBFromRGBValue(nRGBValue, r, g, b);
  nRed = r;
  nGreen = g;
  nBlue = b;
}

void cImaging::ColorGetARGBFromARGBValue(int32_t nARGBValue, uint8_t& nAlpha, uint8_t& nRed, uint8_t& nGreen,
                                         uint8_t& nBlue) {
  cColor c;
  c.FromARGBColor(nARGBValue);
  nAlpha = c.GetAlpha();
  nRed = c.GetRed();
  nGreen = c.GetGreen();
  nBlue = c.GetBlue();
}

void cImaging::ColorGetARGBFromARGBValuel(int32_t nARGBValue, int32_t& nAlpha, int32_t& nRed, int32_t& nGreen,
                                          int32_t& nBlue) {
  uint8_t a = 0, r = 0, g = 0, b = 0;
  ColorGetARGBFromARGBValue(nARGBValue, a, r, g, b);
  nAlpha = a;
  nRed = r;
  nGreen = g;
  nBlue = b;
}

int32_t cImaging::argb(int32_t nAlpha, int32_t nRed, int32_t nGreen, int32_t nBlue) {
  cColor c;
  c.FromARGB(LimitToByte(nAlpha), LimitToByte(nRed), LimitToByte(nGreen), LimitToByte(nBlue));
  return c.GetValue();
}

// Limited like argb, so that a component out of range cannot spill into its neighbour.
int32_t cImaging::GetRGB(int32_t nRed, int32_t nGreen, int32_t nBlue) {
  return LimitToByte(nRed) + 256 * LimitToByte(nGreen) + 65536 * LimitToByte(nBlue);
}

}  // namespace vexiro
