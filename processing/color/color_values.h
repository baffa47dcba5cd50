// Colour values as they cross the interface: ARGB integers (alpha in the high byte), COLORREF
// values (red in the low byte), and the CMY, CMYK and HSL models with their exact integer and
// single-precision rules, which hosts compare against their own tables.
#pragma once
#include <cstdint>

namespace vx::processing {

// One ARGB value with its bytes: blue is byte 0, alpha byte 3.
class cColor {
 public:
  static int32_t MakeARGB(uint8_t a, uint8_t r, uint8_t g, uint8_t b) {
    return static_cast<int32_t>(uint32_t{a} << 24 | uint32_t{r} << 16 | uint32_t{g} << 8 | uint32_t{b});
  }
  void FromARGB(uint8_t a, uint8_t r, uint8_t g, uint8_t b) { Value = MakeARGB(a, r, g, b); }
  void FromARGBColor(int32_t argb) { Value = argb; }
  void FromRGB(uint8_t r, uint8_t g, uint8_t b) { Value = MakeARGB(255, r, g, b); }
  void FromRGBColor(int32_t colorref) { SetFromCOLORREF(colorref); }
  // Opaque, with red and blue exchanged relative to the COLORREF layout.
  void SetFromCOLORREF(int32_t colorref) {
    Value = MakeARGB(255, ByteOf(colorref, 0), ByteOf(colorref, 1), ByteOf(colorref, 2));
  }
  uint8_t GetAlpha() const { return ByteOf(Value, 3); }
  uint8_t GetRed() const { return ByteOf(Value, 2); }
  uint8_t GetGreen() const { return ByteOf(Value, 1); }
  uint8_t GetBlue() const { return ByteOf(Value, 0); }
  int32_t GetValue() const { return Value; }
  void SetValue(int32_t argb) { Value = argb; }

  static uint8_t ByteOf(int32_t v, int index) { return static_cast<uint8_t>(static_cast<uint32_t>(v) >> (8 * index)); }

 private:
  int32_t Value = 0;
};

// The red, green and blue side the CMY and CMYK values share; RGB is in COLORREF layout.
class RgbSide {
 public:
  int32_t GetRGB() const { return R + 256 * G + 65536 * B; }
  uint8_t GetR() const { return static_cast<uint8_t>(R); }
  uint8_t GetG() const { return static_cast<uint8_t>(G); }
  uint8_t GetB() const { return static_cast<uint8_t>(B); }

 protected:
  int32_t R = 0, G = 0, B = 0;
};

// Red, green and blue with their complements cyan, magenta and yellow; setting one side sets
// the other.
class cCMY : public RgbSide {
 public:
  void SetRGB(int32_t colorref);
  void SetR(uint8_t x) { R = x, C = 255 - x; }
  void SetG(uint8_t x) { G = x, M = 255 - x; }
  void SetB(uint8_t x) { B = x, Y = 255 - x; }
  uint8_t GetC() const { return C; }
  uint8_t GetM() const { return M; }
  uint8_t GetY() const { return Y; }
  void SetC(uint8_t x) { C = x, R = 255 - x; }
  void SetM(uint8_t x) { M = x, G = 255 - x; }
  void SetY(uint8_t x) { Y = x, B = 255 - x; }
  void FromCMY(uint8_t c, uint8_t m, uint8_t y) { SetC(c), SetM(m), SetY(y); }

 private:
  int32_t C = 0, M = 0, Y = 0;
};

// Red, green and blue against cyan, magenta, yellow and black; every change of one side
// recomputes the other (black is the smallest complement, taken out of the other three).
class cCMYK : public RgbSide {
 public:
  void SetRGB(int32_t colorref);
  void SetR(uint8_t x) { R = x, ComputeCMYK(); }
  void SetG(uint8_t x) { G = x, ComputeCMYK(); }
  void SetB(uint8_t x) { B = x, ComputeCMYK(); }
  uint8_t GetC() const { return C; }
  uint8_t GetM() const { return M; }
  uint8_t GetY() const { return Y; }
  uint8_t GetK() const { return K; }
  void SetC(uint8_t x) { C = x, ComputeRGB(); }
  void SetM(uint8_t x) { M = x, ComputeRGB(); }
  void SetY(uint8_t x) { Y = x, ComputeRGB(); }
  void SetK(uint8_t x) { K = x, ComputeRGB(); }
  void FromCMY(uint8_t c, uint8_t m, uint8_t y);
  cCMY ToCMY() const;
  void FromCMYK(uint8_t c, uint8_t m, uint8_t y, uint8_t k);

 private:
  void ComputeRGB();
  void ComputeCMYK();
  int32_t C = 0, M = 0, Y = 0, K = 0;
};

// Hue in sextant units (red 0, green 2, blue 4; -1 <= H < 5), saturation and lightness in 0..1.
void RGBToHSL(uint8_t r, uint8_t g, uint8_t b, float& h, float& s, float& l);
// Channels outside 0..255 (lightness or saturation beyond 0..1) are limited to the byte range.
void HSLToRGB(float h, float s, float l, uint8_t& r, uint8_t& g, uint8_t& b);
float Max3(float a, float b, float c);
float Min3(float a, float b, float c);
// Brings a hue of the 0..240 scale next to red: 201 and above count from -39.
inline int32_t WrapHue240(int32_t h) { return h >= 201 ? h - 240 : h; }

}  // namespace vx::processing
