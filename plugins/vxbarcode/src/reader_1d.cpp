// The linear reader over ZXing, which reads straight from the checked pixels.
#define ZX_USE_UTF8 1
#include <ZXing/ReadBarcode.h>

#include <cmath>

#include "../vxbarcode.h"
#include "check_characters.h"
#include "scan_lines.h"
#include "scanners.h"
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

// Never the downscaled pass: the library's assertions abort the process when such a pass meets a
// symbol already read. Codabar keeps its start and stop characters, as readers commonly give them.
ZXing::DecodeHints HintsFor(int32_t performance) {
  return ZXing::DecodeHints()
      .setFormats(ReadFormats())
      .setTryHarder(true)
      .setTryRotate(performance == 1)
      .setTryDownscale(false)
      .setReturnCodabarStartEnd(true)
      .setMaxNumberOfSymbols(static_cast<uint8_t>(kMaxSymbols))
      .setEanAddOnSymbol(ZXing::EanAddOnSymbol::Read);
}

std::array<int32_t, 8> CornersOf(const ZXing::Position& p) {
  return {p.topLeft().x,     p.topLeft().y,     p.topRight().x,   p.topRight().y,
          p.bottomRight().x, p.bottomRight().y, p.bottomLeft().x, p.bottomLeft().y};
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

FoundSymbol SymbolOf(const ZXing::Result& r, const Symbology& symbology, const std::string& text) {
  FoundSymbol found;
  found.value = Utf8ToLatin1(text);
  found.type = symbology.type;
  if (symbology.type == kTypeCode128 && r.symbologyIdentifier() == "]C1") found.type = kTypeGs1128;
  found.corners = CornersOf(r.position());
  found.skew = SkewOfOrientation(r.orientation());
  found.checksum = symbology.checkVerifies(text);
  return found;
}

double Distance(const ZXing::PointI& a, const ZXing::PointI& b) { return std::hypot(a.x - b.x, a.y - b.y); }

// The library's position of a symbol read on several lines runs from the first line read to the
// last, so its sides tell the height the lines cover.
bool Believed(const ZXing::Result& r) {
  const ZXing::Position& p = r.position();
  return ReadOnEnoughLines(r.lineCount(), Distance(p.topLeft(), p.bottomLeft()), Distance(p.topLeft(), p.topRight()));
}

std::vector<FoundSymbol> RecogniseLinear(const DibPixels& pixels, int32_t performance) {
  std::vector<FoundSymbol> found;
  const ZXing::Results results = ZXing::ReadBarcodes(ZxingViewOf(pixels), HintsFor(performance));
  for (const ZXing::Result& r : results) {
    const Symbology* symbology = SymbologyOf(r.format());
    if (symbology == nullptr || !r.isValid() || !Believed(r) || HasAddOnTwin(results, r)) continue;
    const SplitText split = Split(r);
    found.push_back(SymbolOf(r, *symbology, split.main));
    if (split.addOn.empty()) continue;
    FoundSymbol addOn = found.back();
    addOn.value = Utf8ToLatin1(split.addOn);
    addOn.type = split.addOn.size() == 2 ? kTypeAddOn2 : kTypeAddOn5;
    addOn.checksum = false;
    found.push_back(std::move(addOn));
  }
  // The 2 of 5 symbologies the library does not know, from the same pixels.
  for (FoundSymbol& symbol : ReadTwoOfFive(pixels, performance)) found.push_back(std::move(symbol));
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
VXBARCODE_SHARED_EXPORTS(VXBARCODE1DREADER, vxbarcode::RecogniseLinear)

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
