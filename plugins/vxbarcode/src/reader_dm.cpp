// The DataMatrix reader: ZXing finds most symbols fast, over the whole picture and over parts of
// it; libdmtx gives the symbols it finds the corners, rows and columns its own tools report, and
// its bounded scan of the whole picture adds what ZXing missed and puts every symbol in the order
// that scan meets it.
#include <algorithm>
#include <chrono>
#include <cmath>

#include "../vxbarcode.h"
#include "matrix_areas.h"
#include "matrix_dmtx.h"
#include "matrix_grey.h"
#include "matrix_seeds.h"
#include "matrix_zxing.h"
#include "scanners.h"

namespace vxbarcode {
namespace {

constexpr int32_t kVersion = 100;
// Searching for small edges on a text-heavy page takes the better part of a minute; the smallest
// symbol side worth finding on paper is about 2.5 mm.
constexpr double kSmallestEdgeMillimetres = 2.5;
constexpr int kSmallestEdgePixels = 10;
// libdmtx's own scan tries this many region starts at most, for at most this long, from its
// start and again from each new symbol it finds: a start costs from a few microseconds where it
// fails at once to near a millisecond along the bars of a linear symbol. The scan runs coarse
// first and skips the symbols ZXing found, so its starts go to what ZXing missed, in a busy
// photo mostly grain.
constexpr int kWholeScanStarts = 4000;
constexpr std::chrono::milliseconds kWholeScanTime{100};
// Marks of less contrast than this are not told apart from paper and noise when looking for the
// areas that may hold a symbol; a symbol printed that faint is still read from the whole picture.
constexpr int kLeastContrast = 48;
// The safety net: however the picture looks, a scan answers what it found within this much of
// its thread's processor time (on the clock, on an idle machine), counted from the start of the
// engine's member where the engine names it, so that preparing the pixels counts too. Each step
// looks at the time before it begins and between small pieces of its work, so new work begins up
// to this much before the limit, which the piece under way may still take. A machine too busy to give the
// scan its time ends it on the clock all the same.
constexpr std::chrono::milliseconds kScanTimeLimit{3000};
constexpr std::chrono::milliseconds kLastStepTime{500};
constexpr std::chrono::milliseconds kScanClockLimit{12000};

int SmallestEdge(double dpi) {
  return std::max(kSmallestEdgePixels, static_cast<int>(std::lround(kSmallestEdgeMillimetres / 25.4 * dpi)));
}

// New work begins up to the last step's time before the limit.
SearchBudget ScanBudget(const ScanStart& start) {
  return SearchBudget(start, kScanTimeLimit - kLastStepTime, kScanClockLimit - kLastStepTime);
}

std::vector<FoundSymbol> RecogniseMatrix(const DibPixels& pixels, int32_t, const ScanStart& start) {
  if (std::max(pixels.width, pixels.height) < kLeastLongerSide) return {};
  const SearchBudget budget = ScanBudget(start);
  const int smallest = SmallestEdge(pixels.dpi);
  std::vector<FoundSymbol> found;
  {
    GreyPicture grey = WipedGreyCopyOf(pixels, budget);
    if (grey.levels.empty()) return {};
    const DibPixels wiped = grey.View();
    const MatrixSeeds marks(wiped, budget);
    const std::vector<PixelArea> marked = MarkedAreas(marks, grey.width, grey.height, kLeastContrast, smallest);
    found = ReadWithZxing(grey, marks, marked, smallest, budget);
  }
  for (FoundSymbol& symbol : found) FitWithDmtx(pixels, symbol, budget);
  if (budget.Spent()) return found;
  const MatrixSeeds seeds(pixels, budget);
  return ScanWithDmtx(pixels, seeds, std::move(found), DmtxLimits{smallest, 0, kWholeScanStarts, kWholeScanTime},
                      budget);
}

}  // namespace
}  // namespace vxbarcode

extern "C" {

const char* VxPluginVersion(void) { return "1.0.0.0"; }
int32_t VXBARCODEDMREADER_GetVersion(void) { return vxbarcode::kVersion; }
VXBARCODE_SHARED_EXPORTS(VXBARCODEDMREADER, vxbarcode::RecogniseMatrix, vxbarcode::kAlsoIndexed)

int32_t VXBARCODEDMREADER_SetDibSourceRows(uint32_t scanner, const void* info, uint32_t infoBytes, const void* rows,
                                           uint32_t rowsBytes) {
  return vxbarcode::SetSourceRows(scanner, info, infoBytes, rows, rowsBytes) ? 1 : 0;
}
int32_t VXBARCODEDMREADER_GetSourceDepths(void) { return static_cast<int32_t>(vxbarcode::kAlsoIndexed); }
int32_t VXBARCODEDMREADER_StartScanClock(uint32_t scanner) { return vxbarcode::StartClock(scanner) ? 1 : 0; }
int32_t VXBARCODEDMREADER_ScanTimeSpent(uint32_t scanner) {
  vxbarcode::ScanStart start;
  return vxbarcode::StartOf(scanner, start) && vxbarcode::ScanBudget(start).Spent() ? 1 : 0;
}

int32_t VXBARCODEDMREADER_GetBarcodeRows(uint32_t barcode) {
  return vxbarcode::FieldOf(barcode, &vxbarcode::FoundSymbol::rows);
}
int32_t VXBARCODEDMREADER_GetBarcodeColumns(uint32_t barcode) {
  return vxbarcode::FieldOf(barcode, &vxbarcode::FoundSymbol::columns);
}

}  // extern "C"
