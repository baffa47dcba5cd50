#include "matrix_zxing.h"

#include "zxing_view.h"

#include <ZXing/ReadBarcode.h>

#include <algorithm>
#include <cmath>

#include "matrix_geometry.h"
#include "matrix_grey.h"
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
// One read takes at most this many pixels a side: about a sixth of a second on the busiest
// picture (a one-pixel checkerboard), a few milliseconds on a page.
constexpr int kMostTileSide = 1024;
// A tile whose blocks all spread by less than this holds nothing to read (blank paper).
constexpr int kLeastTileContrast = 12;
// A symbol found is painted over this far beyond its corners: a twentieth of its side, at least
// two pixels, covers the corners' error without reaching a neighbour beyond its quiet zone.
constexpr double kPaintMargin = 0.05;
constexpr double kLeastPaintMargin = 2;

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

// Each marked area, the whole picture, then the halves and quarters of each marked area: marks
// that lie apart are read apart, and a large busy area in overlapping parts of it. The marked
// areas come first: on a large page they are read in moments, where the whole picture takes
// hundreds of reads.
std::vector<PixelArea> PartsOf(int width, int height, const std::vector<PixelArea>& marked, int smallestSymbol) {
  std::vector<PixelArea> parts;
  for (const PixelArea& area : marked)
    if (area.width < width || area.height < height) parts.push_back(area);
  parts.push_back({0, 0, width, height});
  const int leastSide = std::max(kLeastPartSide, kSymbolsAPart * smallestSymbol);
  for (const PixelArea& area : marked) AddSplits(parts, area, leastSide);
  return parts;
}

// Starts of tiles of `tile` along `length`, half a tile apart, the last one flush with the end.
std::vector<int> TileStarts(int length, int tile) {
  std::vector<int> starts;
  for (int at = 0;; at += tile / 2) {
    starts.push_back(std::min(at, length - tile));
    if (at + tile >= length) return starts;
  }
}

// The area itself where one read of it is cheap; else tiles of it overlapping by half. ZXing's
// time grows faster than the pixels it is given (on a fine checkerboard a four-times larger
// picture takes six times as long), and a read cannot be stopped once begun: bounding each read
// keeps the deadline within one small read.
std::vector<PixelArea> TilesOf(const PixelArea& area) {
  if (static_cast<int64_t>(area.width) * area.height <= int64_t{kMostTileSide} * kMostTileSide) return {area};
  const int tileWidth = std::min(area.width, kMostTileSide), tileHeight = std::min(area.height, kMostTileSide);
  std::vector<PixelArea> tiles;
  for (const int top : TileStarts(area.height, tileHeight))
    for (const int left : TileStarts(area.width, tileWidth))
      tiles.push_back({area.left + left, area.top + top, tileWidth, tileHeight});
  return tiles;
}

PixelArea Scaled(const PixelArea& area, int scale) {
  return {area.left * scale, area.top * scale, area.width * scale, area.height * scale};
}

// Reads one part of `grey` (a copy at 1 / `scale` of the picture) until it shows no new symbol:
// each one found is painted over, so that the next read meets the next one.
void ReadAllOf(GreyPicture& grey, const PixelArea& part, int scale, std::vector<FoundSymbol>& found,
               const SearchBudget& budget) {
  const ZXing::ImageView view(grey.levels.data(), grey.width, grey.height, ZXing::ImageFormat::Lum);
  for (bool more = true; more && !budget.Spent() && found.size() < kMaxSymbols;) {
    more = false;
    for (const ZXing::Result& r :
         ZXing::ReadBarcodes(view.cropped(part.left, part.top, part.width, part.height), MatrixHints())) {
      if (!r.isValid()) continue;
      FoundSymbol symbol = SymbolOf(r, {part.left * scale, part.top * scale, scale});
      const double margin = std::max(kLeastPaintMargin, kPaintMargin * LongestSide(symbol));
      if (!AddUnlessKnown(found, symbol)) continue;
      PaintOver(grey, symbol, scale, margin);
      more = true;
    }
  }
}

// Every tile of `part` that shows marks, read to its last symbol.
void ReadTiles(GreyPicture& grey, const PixelArea& part, int scale, const MatrixSeeds& marks,
               std::vector<FoundSymbol>& found, const SearchBudget& budget) {
  for (const PixelArea& tile : TilesOf(part)) {
    if (budget.Spent() || found.size() >= kMaxSymbols) return;
    if (HoldsMarks(marks, Scaled(tile, scale), kLeastTileContrast)) ReadAllOf(grey, tile, scale, found, budget);
  }
}

}  // namespace

std::vector<FoundSymbol> ReadWithZxing(GreyPicture& grey, const MatrixSeeds& marks,
                                       const std::vector<PixelArea>& marked, int smallestSymbol,
                                       const SearchBudget& budget) {
  std::vector<FoundSymbol> found;
  for (const PixelArea& part : PartsOf(grey.width, grey.height, marked, smallestSymbol))
    ReadTiles(grey, part, 1, marks, found, budget);
  // Smaller copies, each half the last, until one read takes all of it: grain averages out, and
  // a symbol larger than a tile fits one at last.
  GreyPicture smaller;
  const GreyPicture* level = &grey;
  for (int scale = 2; std::min(level->width, level->height) >= 2 * kLeastHalfSide; scale *= 2) {
    const bool lastLevel = static_cast<int64_t>(level->width) * level->height <=
                           int64_t{kMostTileSide} * kMostTileSide;
    if (lastLevel && scale > 2) break;
    smaller = HalfSize(*level, budget);
    if (smaller.levels.empty()) break;
    level = &smaller;
    ReadTiles(smaller, {0, 0, smaller.width, smaller.height}, scale, marks, found, budget);
  }
  return found;
}

}  // namespace vxbarcode
