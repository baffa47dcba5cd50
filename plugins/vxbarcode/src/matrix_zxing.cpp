#include "matrix_zxing.h"

#include "zxing_view.h"

#include <ZXing/ReadBarcode.h>

#include <algorithm>
#include <cmath>

#include "matrix_geometry.h"
#include "matrix_sizes.h"

namespace vxbarcode {
namespace {

// Parts are never smaller than this many pixels a side, nor than a few symbols of the smallest
// size looked for: a part too small to hold a symbol with its margin finds nothing.
constexpr int kLeastPartSide = 160;
constexpr int kSymbolsAPart = 4;
// The half-size picture is read when it can hold a symbol with its margin.
constexpr int kLeastHalfSide = 32;
// Quarters of each side at the finest: finer parts of a busy photo cost more than they find.
constexpr int kMostSplit = 4;

const ZXing::DecodeHints& MatrixHints() {
  static const ZXing::DecodeHints hints = ZXing::DecodeHints()
                                              .setFormats(ZXing::BarcodeFormat::DataMatrix)
                                              .setTryHarder(true)
                                              .setTryRotate(true)
                                              .setTryDownscale(false)
                                              .setMaxNumberOfSymbols(static_cast<uint8_t>(kMaxSymbols));
  return hints;
}

// The library names the corners as they lie for an unmirrored reading; a mirrored symbol's own
// top-left is then the third of them and its corners run the other way round.
std::array<ZXing::PointI, 4> SymbolCorners(const ZXing::Result& r) {
  const ZXing::Position& p = r.position();
  if (r.isMirrored()) return {p[2], p[1], p[0], p[3]};
  return {p[0], p[1], p[2], p[3]};
}

double Distance(ZXing::PointI a, ZXing::PointI b) { return std::hypot(a.x - b.x, a.y - b.y); }

// The library gives no size; its data codewords and the symbol's proportions name one.
void PutSize(const ZXing::Result& r, const std::array<ZXing::PointI, 4>& c, FoundSymbol& found) {
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  const int dataCodewords = static_cast<int>(r.rawBytes().size());
#pragma GCC diagnostic pop
  const double across = Distance(c[0], c[1]) + Distance(c[3], c[2]);
  const double down = Distance(c[0], c[3]) + Distance(c[1], c[2]);
  if (const MatrixSize* size = MatrixSizeOf(dataCodewords, down > 0 ? across / down : 0)) {
    found.rows = size->rows;
    found.columns = size->columns;
  }
}

// Where a view lies on the picture: its top-left pixel, and how many picture pixels a side one of
// its pixels stands for.
struct Placement {
  int left, top, scale;
};

// Values as stored, up to the first NUL: the value crosses the interface as a C string.
FoundSymbol SymbolOf(const ZXing::Result& r, const Placement& part) {
  FoundSymbol found;
  const ZXing::ByteArray& bytes = r.bytes();
  found.value.assign(bytes.begin(), bytes.end());
  found.value = found.value.substr(0, found.value.find('\0'));
  const auto corners = SymbolCorners(r);
  for (int k = 0; k < 4; ++k) {
    found.corners[2 * k] = corners[k].x * part.scale + part.left;
    found.corners[2 * k + 1] = corners[k].y * part.scale + part.top;
  }
  PutSize(r, corners, found);
  return found;
}

// Halves and quarters of the area, each overlapping its neighbours by half.
void AddSplits(std::vector<PixelArea>& parts, const PixelArea& area, int leastSide) {
  for (int split = 2; split <= kMostSplit; split *= 2) {
    const int partWidth = (area.width + split - 1) / split, partHeight = (area.height + split - 1) / split;
    if (std::min(partWidth, partHeight) < leastSide) return;
    const int steps = 2 * split - 1;
    for (int row = 0; row < steps; ++row)
      for (int column = 0; column < steps; ++column)
        parts.push_back({area.left + std::min(column * partWidth / 2, area.width - partWidth),
                         area.top + std::min(row * partHeight / 2, area.height - partHeight), partWidth, partHeight});
  }
}

// The whole picture, each marked area, then the halves and quarters of each marked area: marks
// that lie apart are read apart, and a large busy area in overlapping parts of it.
std::vector<PixelArea> PartsOf(int width, int height, const std::vector<PixelArea>& marked, int smallestSymbol) {
  std::vector<PixelArea> parts{{0, 0, width, height}};
  for (const PixelArea& area : marked)
    if (area.width < width || area.height < height) parts.push_back(area);
  const int leastSide = std::max(kLeastPartSide, kSymbolsAPart * smallestSymbol);
  for (const PixelArea& area : marked) AddSplits(parts, area, leastSide);
  return parts;
}

struct GreyPicture {
  int width = 0, height = 0;
  std::vector<uint8_t> levels;
};

// Adds the grey levels of one row's pixel pairs to `sums`, one sum a pair.
void AddPairs(const DibPixels& pixels, int row, std::vector<uint16_t>& sums) {
  const uint8_t* line = pixels.Row(row);
  const int pairs = static_cast<int>(sums.size());
  if (pixels.bytesPerPixel == 1) {
    for (int x = 0; x < pairs; ++x) sums[x] += line[2 * x] + line[2 * x + 1];
    return;
  }
  for (int x = 0; x < pairs; ++x) sums[x] += Luminance(line + 6 * x) + Luminance(line + 6 * x + 3);
}

// Each 2 x 2 block of pixels averaged to one grey pixel: grain that breaks ZXing's edges at full
// size averages out, while a symbol of two pixels a module or more keeps its modules.
GreyPicture HalfSizeGrey(const DibPixels& pixels) {
  GreyPicture half{pixels.width / 2, pixels.height / 2, {}};
  half.levels.resize(static_cast<size_t>(half.width) * half.height);
  std::vector<uint16_t> sums(static_cast<size_t>(half.width));
  for (int y = 0; y < half.height; ++y) {
    std::fill(sums.begin(), sums.end(), 0);
    AddPairs(pixels, 2 * y, sums);
    AddPairs(pixels, 2 * y + 1, sums);
    uint8_t* target = half.levels.data() + static_cast<size_t>(y) * half.width;
    for (int x = 0; x < half.width; ++x) target[x] = static_cast<uint8_t>((sums[x] + 2) / 4);
  }
  return half;
}

void ReadInto(std::vector<FoundSymbol>& found, const ZXing::ImageView& view, const Placement& placement) {
  for (const ZXing::Result& r : ZXing::ReadBarcodes(view, MatrixHints()))
    if (r.isValid()) AddUnlessKnown(found, SymbolOf(r, placement));
}

}  // namespace

std::vector<FoundSymbol> ReadWithZxing(const DibPixels& pixels, const std::vector<PixelArea>& marked,
                                       int smallestSymbol, const SearchBudget& budget) {
  std::vector<FoundSymbol> found;
  const ZXing::ImageView view = ZxingViewOf(pixels);
  for (const PixelArea& part : PartsOf(pixels.width, pixels.height, marked, smallestSymbol)) {
    if (budget.Spent() || found.size() >= kMaxSymbols) return found;
    ReadInto(found, view.cropped(part.left, part.top, part.width, part.height), {part.left, part.top, 1});
  }
  if (budget.Spent() || std::min(pixels.width, pixels.height) < 2 * kLeastHalfSide) return found;
  const GreyPicture half = HalfSizeGrey(pixels);
  ReadInto(found, ZXing::ImageView(half.levels.data(), half.width, half.height, ZXing::ImageFormat::Lum), {0, 0, 2});
  return found;
}

}  // namespace vxbarcode
