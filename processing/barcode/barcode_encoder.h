// The linear barcode encoder: a text becomes the module pattern of Code 128 (character set B),
// EAN-13, Code 39 or Interleaved 2 of 5, and the check characters of each symbology. Patterns are
// strings of "1" (a bar module) and "0" (a space module); EAN-13 patterns also carry the height
// markers "-" (lower the following bars) and "+" (raise them back), so guard bars come out long.
#pragma once
#include <string>

namespace vexiro {

class cBarCode {
 public:
  // "" when a character lies outside space .. tilde.
  std::string c128_Binaire(const std::string& text) const;
  // Exactly 13 digits.
  std::string EAN13_Binaire(const std::string& digits) const;
  // Characters outside the Code 39 set are coded as spaces.
  std::string Code39_Binaire(const std::string& text) const;
  // An even number of digits.
  std::string Code25i_Binaire(const std::string& digits) const;
  // The twelve digits followed by their EAN-13 check digit.
  std::string CalculNumControlCodeBarre(const std::string& digits) const;
  bool CheckSumValideEAN13(const std::string& digits) const;
  std::string C39_Mod43(const std::string& text) const;
  std::string calculCheckSum2of5(const std::string& digits) const;

 private:
  int C39_CharIndex(char c) const;
  std::string C39_IndexChar(int value) const;
};

}  // namespace vexiro
