// The scanners and barcodes of one reader plug-in, by handle, and the calls both readers export
// alike. Each reader supplies only its recogniser: a function from the checked pixels to the
// symbols found.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "dib_source.h"
#include "scan_clock.h"

namespace vxbarcode {

// At most this many symbols are reported: the count crosses the interface as 8 bits.
constexpr size_t kMaxSymbols = 255;

struct FoundSymbol {
  std::string value;                 // Windows-1252
  int32_t type = 0;
  std::array<int32_t, 8> corners{};  // x1, y1, .. x4, y4
  double skew = 0;
  bool checksum = false;
  int32_t rows = 0;
  int32_t columns = 0;
};

// `start` is the moment the scan's bound counts from.
using Recogniser = std::vector<FoundSymbol> (*)(const DibPixels& pixels, int32_t performance, const ScanStart& start);

uint32_t NewScanner();
bool SetPerformance(uint32_t scanner, int32_t mode);
bool SetSource(uint32_t scanner, const void* dib, uint32_t bytes);
// The header and colour table apart from the rows, which are read where they lie.
bool SetSourceRows(uint32_t scanner, const void* info, uint32_t infoBytes, const void* rows, uint32_t rowsBytes);
// Reads the source, a bitmap of one of `depths` (bit n for n bits per pixel), with the
// recogniser; false when the scanner or its source is unusable (then it holds no symbol).
bool Scan(uint32_t scanner, Recogniser recognise, uint32_t depths);
// The scanner's scans are bounded from now on, until it is started again.
bool StartClock(uint32_t scanner);
// The moment the scanner's next scan is bounded from: the one it was started at, else now.
bool StartOf(uint32_t scanner, ScanStart& start);
uint8_t SymbolCount(uint32_t scanner);
uint32_t SymbolHandle(uint32_t scanner, int32_t index);
// nullptr for a handle that names no symbol of a living scanner.
const FoundSymbol* FindSymbol(uint32_t barcode);
bool FreeScanner(uint32_t scanner);

// One field of a symbol, its type's zero for a handle that names none.
template <class T>
T FieldOf(uint32_t barcode, T FoundSymbol::*field) {
  const FoundSymbol* symbol = FindSymbol(barcode);
  return symbol == nullptr ? T{} : symbol->*field;
}

// UTF-8 as Windows-1252 bytes; characters beyond Latin-1 become "?".
std::string Utf8ToLatin1(const std::string& text);

}  // namespace vxbarcode

// The exports both readers share, under the reader's prefix.
#define VXBARCODE_CORNER_EXPORT(PREFIX, NAME, INDEX) \
  int32_t PREFIX##_GetBarcode##NAME(uint32_t barcode) { \
    const vxbarcode::FoundSymbol* symbol = vxbarcode::FindSymbol(barcode); \
    return symbol == nullptr ? 0 : symbol->corners[INDEX]; \
  }

#define VXBARCODE_SHARED_EXPORTS(PREFIX, RECOGNISER, DEPTHS) \
  uint32_t PREFIX##_NewBarScanner(void) { return vxbarcode::NewScanner(); } \
  int32_t PREFIX##_SetDibSource(uint32_t scanner, const void* dib, uint32_t bytes) { \
    return vxbarcode::SetSource(scanner, dib, bytes) ? 1 : 0; \
  } \
  int32_t PREFIX##_ScanBar(uint32_t scanner) { return vxbarcode::Scan(scanner, RECOGNISER, DEPTHS) ? 1 : 0; } \
  uint8_t PREFIX##_GetBarcodeCount(uint32_t scanner) { return vxbarcode::SymbolCount(scanner); } \
  uint32_t PREFIX##_GetBarcode(uint32_t scanner, int32_t index) { return vxbarcode::SymbolHandle(scanner, index); } \
  const char* PREFIX##_GetBarcodeValue(uint32_t barcode) { \
    const vxbarcode::FoundSymbol* symbol = vxbarcode::FindSymbol(barcode); \
    return symbol == nullptr ? nullptr : symbol->value.c_str(); \
  } \
  VXBARCODE_CORNER_EXPORT(PREFIX, X1, 0) VXBARCODE_CORNER_EXPORT(PREFIX, Y1, 1) \
  VXBARCODE_CORNER_EXPORT(PREFIX, X2, 2) VXBARCODE_CORNER_EXPORT(PREFIX, Y2, 3) \
  VXBARCODE_CORNER_EXPORT(PREFIX, X3, 4) VXBARCODE_CORNER_EXPORT(PREFIX, Y3, 5) \
  VXBARCODE_CORNER_EXPORT(PREFIX, X4, 6) VXBARCODE_CORNER_EXPORT(PREFIX, Y4, 7) \
  int32_t PREFIX##_FreeBarScanner(uint32_t scanner) { return vxbarcode::FreeScanner(scanner) ? 1 : 0; }
