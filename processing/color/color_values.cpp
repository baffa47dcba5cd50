// The colour models. The CMYK formulas multiply in integers and divide in floating point, and
// every conversion to an integer rounds halves to even, so results match the published tables
// to the unit.
#include "processing/color/color_values.h"

#include <algorithm>
#include <cmath>

namespace vx::processing {

namespace {

int32_t RoundHalfEven(double v) { return static_cast<int32_t>(std::nearbyint(v)); }

uint8_t ByteFromUnit(float v) {
  const float scaled = std::nearbyint(v * 255.0f);
  if (!(scaled >= 0.0f)) return 0;  // also a hue or lightness that is not a number
  return static_cast<uint8_t>(std::min(scaled, 255.0f));
}

}  // namespace

void cCMY::SetRGB(int32_t colorref) {
  SetR(cColor::ByteOf(colorref, 0));
  SetG(cColor::ByteOf(colorref, 1));
  SetB(cColor::ByteOf(colorref, 2));
}

void cCMYK::SetRGB(int32_t colorref) {
  R = cColor::ByteOf(colorref, 0);
  G = cColor::ByteOf(colorref, 1);
  B = cColor::ByteOf(colorref, 2);
  ComputeCMYK();
}

void cCMYK::FromCMY(uint8_t c, uint8_t m, uint8_t y) {
  R = 255 - c;
  G = 255 - m;
  B = 255 - y;
  ComputeCMYK();
}

cCMY cCMYK::ToCMY() const {
  cCMY out;
  out.SetRGB(GetRGB());
  return out;
}

void cCMYK::FromCMYK(uint8_t c, uint8_t m, uint8_t y, uint8_t k) {
  C = c;
  M = m;
  Y = y;
  K = k;
  ComputeRGB();
}

void cCMYK::ComputeCMYK() {
  K = std::min({255 - R, 255 - G, 255 - B});
  if (K == 255) {
    C = M = Y = 255;
    return;
  }
  const double rest = 255 - K;
  C = RoundHalfEven((255 - K - R) * 255 / rest);
  M = RoundHalfEven((255 - K - G) * 255 / rest);
  Y = RoundHalfEven((255 - K - B) * 255 / rest);
}

void cCMYK::ComputeRGB() {
  const auto channel = [this](int32_t ink) { return 255 - std::min(255, RoundHalfEven(ink * (255 - K) / 255.0 + K)); };
  R = channel(C);
  G = channel(M);
  B = channel(Y);
}

float Max3(float a, float b, float c) { return std::max({a, b, c}); }
float Min3(float a, float b, float c) { return std::min({a, b, c}); }

void RGBToHSL(uint8_t red, uint8_t green, uint8_t blue, float& h, float& s, float& l) {
  const float r = red / 255.0f, g = green / 255.0f, b = blue / 255.0f;
  const float max = Max3(r, g, b), min = Min3(r, g, b);
  l = (max + min) / 2;
  if (max == min) {
    s = 0;
    h = 0;
    return;
  }
  const float delta = max - min;
  s = l <= 0.5f ? delta / (max + min) : delta / (2 - max - min);
  if (r == max)
    h = (g - b) / delta;
  else if (g == max)
    h = (b - r) / delta + 2;
  else
    h = (r - g) / delta + 4;
}

void HSLToRGB(float h, float s, float l, uint8_t& red, uint8_t& green, uint8_t& blue) {
  if (s == 0) {
    red = green = blue = ByteFromUnit(l);
    return;
  }
  const float m1 = l <= 0.5f ? l * (1 - s) : l - (1 - l) * s;
  const float m2 = 2 * l - m1;
  const float d = m2 - m1;
  float r, g, b;
  if (h < 0) {
    r = m2, g = m1, b = m1 - d * h;
  } else if (h < 1) {
    r = m2, g = m1 + d * h, b = m1;
  } else if (h < 2) {
    r = m1 - d * (h - 2), g = m2, b = m1;
  } else if (h < 3) {
    r = m1, g = m2, b = m1 + d * (h - 2);
  } else if (h < 4) {
    r = m1, g = m1 - d * (h - 4), b = m2;
  } else {
    r = m1 + d * (h - 4), g = m1, b = m2;
  }
  red = ByteFromUnit(r);
  green = ByteFromUnit(g);
  blue = ByteFromUnit(b);
}

}  // namespace vx::processing
