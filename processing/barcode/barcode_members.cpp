// The barcode members: linear barcodes painted onto the current image as filled rectangles, one
// per run of bar modules, from the left edge given (no quiet zone is added), with their check
// characters and widths.
#include <algorithm>
#include <cmath>

#include "processing/barcode/barcode_encoder.h"
#include "vexiro/imaging.h"

namespace vexiro {
namespace {

constexpr size_t kMaxCode39Length = 39;

// Blanks at either end do not belong to the code.
std::string Trimmed(const std::string& s) {
  const size_t first = s.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

bool AllDigits(const std::string& s) {
  return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// One module per 35 pixels of height, rounded half to even, never below one pixel.
int32_t ModuleWidth(int32_t height) { return std::max<int32_t>(1, int32_t(std::nearbyint(height / 35.0))); }

// Everything the pattern covers, bars and spaces, in pixels.
int32_t PatternWidth(const std::string& pattern, int32_t moduleWidth) {
  return moduleWidth * int32_t(std::count_if(pattern.begin(), pattern.end(), [](char c) { return c == '0' || c == '1'; }));
}

// A symbology's text turned into its pattern; "" with InvalidBarCode when the text is refused.
struct Encoded {
  std::string pattern;
  VexiroStatus status = OK;
};

Encoded Encode128(const std::string& code) {
  std::string p = cBarCode().c128_Binaire(Trimmed(code));
  return {p, p.empty() ? InvalidBarCode : OK};
}

Encoded Encode39(const std::string& code, bool addCheckSum) {
  std::string text = Trimmed(code);
  if (text.empty() || text.size() > kMaxCode39Length) return {{}, InvalidBarCode};
  const cBarCode encoder;
  if (addCheckSum) text += encoder.C39_Mod43(text);
  return {encoder.Code39_Binaire(text), OK};
}

Encoded Encode25i(const std::string& code, bool addCheckSum) {
  if (!AllDigits(code)) return {{}, InvalidBarCode};
  std::string digits = Trimmed(code);
  const cBarCode encoder;
  if (addCheckSum) digits += encoder.calculCheckSum2of5(digits);
  if (digits.size() % 2 == 1) digits.insert(0, "0");
  return {encoder.Code25i_Binaire(digits), OK};
}

// The 13 digits of a valid EAN-13 code (a 12-digit code gets its check digit); "" when refused.
std::string Ean13Digits(const std::string& code) {
  const std::string text = Trimmed(code);
  const cBarCode encoder;
  if (!AllDigits(text) || (text.size() != 12 && text.size() != 13)) return {};
  if (text.size() == 12) return encoder.CalculNumControlCodeBarre(text);
  return encoder.CheckSumValideEAN13(text) ? text : std::string();
}

Encoded EncodeEAN13(const std::string& code) {
  const std::string digits = Ean13Digits(code);
  if (digits.empty()) return {{}, InvalidBarCode};
  return {cBarCode().EAN13_Binaire(digits), OK};
}

}  // namespace

VexiroStatus cImaging::DrawBarcodePattern(const std::string& pattern, int32_t colour, int32_t moduleWidth,
                                          int32_t step, int32_t height, int32_t left, int32_t top) {
  double x = left;
  VexiroStatus s = OK;
  for (size_t i = 0; i < pattern.size() && s == OK;) {
    const char c = pattern[i];
    if (c == '1') {
      const size_t end = pattern.find_first_not_of('1', i);
      const size_t run = (end == std::string::npos ? pattern.size() : end) - i;
      const int32_t width = int32_t(run) * moduleWidth;
      s = DrawFillRectangle(int32_t(std::nearbyint(x)), top, width, height, colour, false);
      x += width;
      i += run;
      continue;
    }
    if (c == '0') x += moduleWidth;
    if (c == '-') height -= step;
    if (c == '+') height += step;
    ++i;
  }
  return s;
}

namespace {

// The frame every drawing member shares: a current image, an accepted text, then the bars.
template <class Paint>
VexiroStatus DrawEncoded(int32_t current, const Encoded& e, Paint paint) {
  if (current == 0) return GenericError;
  if (e.status != OK) return e.status;
  return paint(e.pattern);
}

int32_t WidthOf(int32_t current, const Encoded& e, int32_t height) {
  return current == 0 || e.status != OK ? 0 : PatternWidth(e.pattern, ModuleWidth(height));
}

}  // namespace

VexiroStatus cImaging::BarCodeDraw128(const std::string& sCode, int32_t nDstLeft, int32_t nDstTop, int32_t nHeight,
                                      EnumArg<Colors> nColorARGB) {
  return nStat = DrawEncoded(nNativeImage, Encode128(sCode), [&](const std::string& p) {
           return DrawBarcodePattern(p, nColorARGB, ModuleWidth(nHeight), 0, nHeight, nDstLeft, nDstTop);
         });
}

VexiroStatus cImaging::BarCodeDraw39(const std::string& sCode, int32_t nDstLeft, int32_t nDstTop, int32_t nHeight,
                                     bool bAddCheckSum, EnumArg<Colors> nColorARGB) {
  return nStat = DrawEncoded(nNativeImage, Encode39(sCode, bAddCheckSum), [&](const std::string& p) {
           return DrawBarcodePattern(p, nColorARGB, ModuleWidth(nHeight), 0, nHeight, nDstLeft, nDstTop);
         });
}

VexiroStatus cImaging::BarCodeDraw25i(const std::string& sCode, int32_t nDstLeft, int32_t nDstTop, int32_t nHeight,
                                      bool bAddCheckSum, EnumArg<Colors> nColorARGB) {
  return nStat = DrawEncoded(nNativeImage, Encode25i(sCode, bAddCheckSum), [&](const std::string& p) {
           return DrawBarcodePattern(p, nColorARGB, ModuleWidth(nHeight), 0, nHeight, nDstLeft, nDstTop);
         });
}

// With a font size the data bars are shortened by a tenth of the height and the digits written
// under them: the first left of the bars, then each half under its six codes.
VexiroStatus cImaging::BarCodeDrawEAN13(const std::string& sCode, int32_t nDstLeft, int32_t nDstTop, int32_t nHeight,
                                        int32_t nFontSize, EnumArg<Colors> nColorARGB) {
  const std::string digits = Ean13Digits(sCode);
  return nStat = DrawEncoded(nNativeImage, EncodeEAN13(sCode), [&](const std::string& p) {
           const int32_t mw = ModuleWidth(nHeight);
           const int32_t step = nFontSize > 0 ? int32_t(std::nearbyint(nHeight / 10.0)) : 0;
           VexiroStatus s = DrawBarcodePattern(p, nColorARGB, mw, step, nHeight, nDstLeft, nDstTop);
           if (s != OK || nFontSize <= 0) return s;
           const int32_t y = int32_t(std::nearbyint(nDstTop + 0.9 * nHeight));
           const struct {
             size_t from, count;
             int32_t x;
           } parts[] = {{0, 1, nDstLeft - 9 * mw}, {1, 6, nDstLeft + 2 * mw}, {7, 6, nDstLeft + 48 * mw}};
           for (const auto& part : parts) {
             s = DrawText(digits.substr(part.from, part.count), part.x, y, nFontSize, 0, nColorARGB, "Arial", true);
             if (s != OK) return s;
           }
           return s;
         });
}

int32_t cImaging::BarCodeGetWidth128(const std::string& sCode, int32_t nHeight) {
  return WidthOf(nNativeImage, Encode128(sCode), nHeight);
}

int32_t cImaging::BarCodeGetWidth39(const std::string& sCode, int32_t nHeight, bool bAddCheckSum) {
  return WidthOf(nNativeImage, Encode39(sCode, bAddCheckSum), nHeight);
}

int32_t cImaging::BarCodeGetWidth25i(const std::string& sCode, int32_t nHeight, bool bAddCheckSum) {
  return WidthOf(nNativeImage, Encode25i(sCode, bAddCheckSum), nHeight);
}

int32_t cImaging::BarCodeGetWidthEAN13(const std::string& sCode, int32_t nHeight) {
  return WidthOf(nNativeImage, EncodeEAN13(sCode), nHeight);
}

std::string cImaging::BarCodeGetChecksumEAN13(const std::string& sCode) {
  const std::string text = Trimmed(sCode);
  if (text.size() == 12) return cBarCode().CalculNumControlCodeBarre(text).substr(12);
  if (text.size() == 13) return text.substr(12);
  return {};
}

bool cImaging::BarCodeIsValidEAN13(const std::string& sCode) {
  const std::string text = Trimmed(sCode);
  return text.size() == 13 && AllDigits(text) && cBarCode().CheckSumValideEAN13(text);
}

std::string cImaging::BarCodeGetChecksum25i(const std::string& sCode) { return cBarCode().calculCheckSum2of5(sCode); }

std::string cImaging::BarCodeGetChecksum39(const std::string& sCode) { return cBarCode().C39_Mod43(sCode); }

}  // namespace vexiro
