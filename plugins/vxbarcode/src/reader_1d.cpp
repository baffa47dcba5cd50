// The linear reader over ZXing, which reads straight from the checked pixels.
#define ZX_USE_UTF8 1
#include <ZXing/ReadBarcode.h>

#include <algorithm>
#include <cmath>

#include "../vxbarcode.h"
#include "check_characters.h"
#include "scan_lines.h"
#include "scanners.h"
#include "symbol_outline.h"
#include "two_of_five_reader.h"
#include "zxing_view.h"

namespace vxbarcode {
namespace {

constexpr int32_t kVersion = 105;
constexpr int32_t kTypeItf = 4;
constexpr int32_t kTypeCode39 = 32;
constexpr int32_t kTypeCodabar = 64;
constexpr int32_t kTypeCode128 = 4096;
constexpr int32_t kTypeGs1128 = 8192;
constexpr int32_t kTypeCode93 = 16384;
constexpr int32_t kTypeEan13 = -32768;
constexpr int32_t kTypeUpcA = 65536;
constexpr int32_t kTypeEan8 = 131072;
constexpr int32_t kTypeUpcE = 262144;
constexpr int32_t kTypeAddOn5 = 524288;
constexpr int32_t kTypeAddOn2 = 1048576;

bool MandatoryCheck(const std::string&) { return true; }

struct Symbology {
  ZXing::BarcodeFormat format;
  int32_t type;
  bool (*checkVerifies)(const std::string& text);
};

constexpr Symbology kSymbologies[] = {
    {ZXing::BarcodeFormat::Codabar, kTypeCodabar, CodabarCheckVerifies},
    {ZXing::BarcodeFormat::Code39, kTypeCode39, Code39CheckVerifies},
    {ZXing::BarcodeFormat::Code93, kTypeCode93, MandatoryCheck},
    {ZXing::BarcodeFormat::Code128, kTypeCode128, MandatoryCheck},
    {ZXing::BarcodeFormat::EAN8, kTypeEan8, MandatoryCheck},
    {ZXing::BarcodeFormat::EAN13, kTypeEan13, MandatoryCheck},
    {ZXing::BarcodeFormat::ITF, kTypeItf, TwoOfFiveCheckVerifies},
    {ZXing::BarcodeFormat::UPCA, kTypeUpcA, MandatoryCheck},
    {ZXing::BarcodeFormat::UPCE, kTypeUpcE, MandatoryCheck},
};

ZXing::BarcodeFormats ReadFormats() {
  ZXing::BarcodeFormats formats;
  for (const Symbology& s : kSymbologies) formats |= s.format;
  return formats;
}

const Symbology* SymbologyOf(ZXing::BarcodeFormat format) {
  for (const Symbology& s : kSymbologies)
    if (s.format == format) return &s;
  return nullptr;
}

// One orientation per call, never the downscaled pass: the library's assertions abort the process
// when it compares a symbol read on several lines with the same symbol read again in a turned
// or downscaled pass of the same call. Rows and columns are read by two calls and the symbols
// read both ways are folded here. Codabar keeps its start and stop characters, as readers
// commonly give them.
ZXing::DecodeHints Hints() {
  return ZXing::DecodeHints()
      .setFormats(ReadFormats())
      .setTryHarder(true)
      .setTryRotate(false)
      .setTryDownscale(false)
      .setReturnCodabarStartEnd(true)
      .setMaxNumberOfSymbols(static_cast<uint8_t>(kMaxSymbols))
      .setEanAddOnSymbol(ZXing::EanAddOnSymbol::Read);
}

// The columns as the library's rows: the axes swapped over the same pixels. The picture is
// mirrored that way, which a linear symbol survives as being read backwards.
ZXing::ImageView ColumnsView(const DibPixels& pixels) {
  const ZXing::ImageView rows = ZxingViewOf(pixels);
  return ZXing::ImageView(rows.data(0, 0), rows.height(), rows.width(), rows.format(), rows.pixStride(),
                          rows.rowStride());
}

// A symbol with its add-on comes back as "main addon"; the same symbol read on lines that missed
// the add-on comes back bare as well.
struct SplitText {
  std::string main;
  std::string addOn;
};

bool CarriesAddOns(ZXing::BarcodeFormat format) {
  return format == ZXing::BarcodeFormat::EAN13 || format == ZXing::BarcodeFormat::EAN8 ||
         format == ZXing::BarcodeFormat::UPCA || format == ZXing::BarcodeFormat::UPCE;
}

// Only the EAN and UPC family carries add-ons; other symbologies may hold blanks of their own.
SplitText Split(const ZXing::Result& r) {
  const std::string text = r.text();
  const size_t blank = text.find(' ');
  if (!CarriesAddOns(r.format()) || blank == std::string::npos) return {text, ""};
  return {text.substr(0, blank), text.substr(blank + 1)};
}

bool HasAddOnTwin(const ZXing::Results& results, const ZXing::Result& bare) {
  const std::string text = bare.text();
  for (const ZXing::Result& other : results) {
    if (&other == &bare || other.format() != bare.format()) continue;
    const SplitText split = Split(other);
    if (!split.addOn.empty() && split.main == text) return true;
  }
  return false;
}

// The library's position of a symbol read on several lines has the ends of one line read as its
// top side, in the pass's own coordinates: along the line, then the line.
LineReading ReadingOf(const ZXing::Result& r, bool vertical) {
  const ZXing::Position& p = r.position();
  return LineReading{vertical, p.topLeft().y, p.topLeft().x, p.topRight().x};
}

// Printed bars are at least a tenth of the symbol's length tall (ReadOnEnoughLines), whatever
// height the library's position gives.
bool Believed(const SymbolOutline& outline) {
  return ReadOnEnoughLines(outline.lines, outline.height, outline.length);
}

FoundSymbol SymbolOf(const ZXing::Result& r, const Symbology& symbology, const std::string& text,
                     const SymbolOutline& outline) {
  FoundSymbol found;
  found.value = Utf8ToLatin1(text);
  found.type = symbology.type;
  if (symbology.type == kTypeCode128 && r.symbologyIdentifier() == "]C1") found.type = kTypeGs1128;
  found.corners = outline.corners;
  found.skew = SkewOfTurn(outline.turn);
  found.checksum = symbology.checkVerifies(text);
  return found;
}

// Modules from the first bar to the last of the symbols that carry add-ons, and of the add-ons.
int ModulesOf(ZXing::BarcodeFormat format) {
  if (format == ZXing::BarcodeFormat::EAN8) return 67;
  if (format == ZXing::BarcodeFormat::UPCE) return 51;
  return 95;
}
int AddOnModules(size_t digits) { return digits == 2 ? 20 : 47; }

// The add-on follows its symbol after a gap of 7 to 12 modules and is as long as its modules. It
// is looked for on the line through the middle of the symbol's end side: near the symbol's top
// the add-on's text stands where its bars are lower down.
LineReading AddOnReading(const DibPixels& pixels, const FoundSymbol& main, const LineReading& reading, double module,
                         size_t digits) {
  const std::array<int32_t, 8>& c = main.corners;
  const double x = (c[2] + c[4]) / 2.0, y = (c[3] + c[5]) / 2.0;
  const int line = static_cast<int>(std::lround(reading.vertical ? x : y));
  const int mainEnd = static_cast<int>(std::lround(reading.vertical ? y : x));
  std::vector<uint8_t> luminance;
  SampleLine(pixels, reading.vertical, std::clamp(line, 0, (reading.vertical ? pixels.width : pixels.height) - 1),
             luminance);
  const int size = static_cast<int>(luminance.size());
  const int step = reading.end >= reading.start ? 1 : -1;
  const auto [darkest, lightest] = std::minmax_element(luminance.begin(), luminance.end());
  const int threshold = (*darkest + *lightest + 1) / 2;
  const int farthest = static_cast<int>(std::lround(module * 14));
  int at = mainEnd + step;
  for (int moved = 0; moved < farthest && at >= 0 && at < size && luminance[at] >= threshold; ++moved) at += step;
  const int span = static_cast<int>(std::lround(module * AddOnModules(digits))) - 1;
  return LineReading{reading.vertical, line, at, at + step * span};
}

void AddAddOn(const DibPixels& pixels, const ZXing::Result& r, const LineReading& reading, const std::string& text,
              std::vector<FoundSymbol>& found) {
  const double module = std::abs(reading.end - reading.start) / static_cast<double>(ModulesOf(r.format()));
  FoundSymbol addOn = found.back();
  const SymbolOutline outline = OutlineOf(pixels, AddOnReading(pixels, addOn, reading, module, text.size()));
  addOn.value = Utf8ToLatin1(text);
  addOn.type = text.size() == 2 ? kTypeAddOn2 : kTypeAddOn5;
  addOn.checksum = false;
  addOn.corners = outline.corners;
  found.push_back(std::move(addOn));
}

struct Point {
  double x = 0, y = 0;
};

Point CentreOf(const FoundSymbol& s) {
  return {(s.corners[0] + s.corners[2] + s.corners[4] + s.corners[6]) / 4.0,
          (s.corners[1] + s.corners[3] + s.corners[5] + s.corners[7]) / 4.0};
}

double LengthOf(const FoundSymbol& s) { return std::hypot(s.corners[2] - s.corners[0], s.corners[3] - s.corners[1]); }

// A symbol turned about 45 degrees reads on rows and on columns alike: one symbol.
bool AlreadyFound(const std::vector<FoundSymbol>& found, const FoundSymbol& symbol) {
  const Point centre = CentreOf(symbol);
  for (const FoundSymbol& other : found) {
    if (other.type != symbol.type || other.value != symbol.value) continue;
    const Point at = CentreOf(other);
    if (std::hypot(at.x - centre.x, at.y - centre.y) < std::max(LengthOf(other), LengthOf(symbol)) / 2) return true;
  }
  return false;
}

void ReadPass(const DibPixels& pixels, bool vertical, std::vector<FoundSymbol>& found) {
  const ZXing::Results results = ZXing::ReadBarcodes(vertical ? ColumnsView(pixels) : ZxingViewOf(pixels), Hints());
  for (const ZXing::Result& r : results) {
    const Symbology* symbology = SymbologyOf(r.format());
    if (symbology == nullptr || !r.isValid() || HasAddOnTwin(results, r)) continue;
    const LineReading reading = ReadingOf(r, vertical);
    const SymbolOutline outline = OutlineOf(pixels, reading);
    if (!Believed(outline)) continue;
    const SplitText split = Split(r);
    FoundSymbol symbol = SymbolOf(r, *symbology, split.main, outline);
    if (AlreadyFound(found, symbol)) continue;
    found.push_back(std::move(symbol));
    if (!split.addOn.empty()) AddAddOn(pixels, r, reading, split.addOn, found);
  }
}

// Rows first; the thorough mode reads the columns as well, the quick one only when the rows
// gave nothing, so that a page turned a quarter still reads. The 2 of 5 symbologies the library
// does not know come from the same pixels.
std::vector<FoundSymbol> RecogniseLinear(const DibPixels& pixels, int32_t performance, const ScanStart&) {
  std::vector<FoundSymbol> found;
  ReadPass(pixels, false, found);
  for (FoundSymbol& symbol : ReadTwoOfFive(pixels, false)) found.push_back(std::move(symbol));
  if (performance == 1 || found.empty()) {
    ReadPass(pixels, true, found);
    for (FoundSymbol& symbol : ReadTwoOfFive(pixels, true)) found.push_back(std::move(symbol));
  }
  return found;
}

}  // namespace
}  // namespace vxbarcode

extern "C" {

const char* VxPluginVersion(void) { return "1.0.5.0"; }
int32_t VXBARCODE1DREADER_GetVersion(void) { return vxbarcode::kVersion; }
int32_t VXBARCODE1DREADER_SetPerformance(uint32_t scanner, int32_t mode) {
  return vxbarcode::SetPerformance(scanner, mode) ? 1 : 0;
}
VXBARCODE_SHARED_EXPORTS(VXBARCODE1DREADER, vxbarcode::RecogniseLinear, vxbarcode::kBilevelAndTrueColour)

int32_t VXBARCODE1DREADER_GetBarcodeType(uint32_t barcode) {
  return vxbarcode::FieldOf(barcode, &vxbarcode::FoundSymbol::type);
}
double VXBARCODE1DREADER_GetSkewAngle(uint32_t barcode) {
  return vxbarcode::FieldOf(barcode, &vxbarcode::FoundSymbol::skew);
}
int32_t VXBARCODE1DREADER_HasCheckSum(uint32_t barcode) {
  return vxbarcode::FieldOf(barcode, &vxbarcode::FoundSymbol::checksum) ? 1 : 0;
}

}  // extern "C"
