// libdmtx counts rows from the bottom, so the pixels are read in place in whichever order they are
// stored and only the corners are turned to top-down rows. The reader walks the library's own scan
// order itself and hands it only the pixels that can start a symbol.
#include "matrix_dmtx.h"

#include <dmtx.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <optional>

#include "matrix_geometry.h"
#include "matrix_scan_order.h"
#include "matrix_seeds.h"

namespace vxbarcode {
namespace {

constexpr uint8_t kGroupSeparator = 0x1D;
// Around a symbol found by ZXing: a margin of a quarter of its side, edges of 60 % to 150 % of its
// sides, and a few hundred starts, which meet it from its first edges.
constexpr double kFitMargin = 0.25;
constexpr int kLeastFitMargin = 4;
constexpr double kFitLeastEdge = 0.6;
constexpr double kFitMostEdge = 1.5;
constexpr int kFitStarts = 400;
// A seed this close outside a known symbol's corners lies on its edge.
constexpr double kEdgeMargin = 2;
// How many scan steps go by between looks at the clock.
constexpr unsigned kStepsAClockLook = 4096;

struct ImageDeleter {
  void operator()(DmtxImage* image) const { dmtxImageDestroy(&image); }
};
struct DecodeDeleter {
  void operator()(DmtxDecode* decode) const { dmtxDecodeDestroy(&decode); }
};
struct RegionDeleter {
  void operator()(DmtxRegion* region) const { dmtxRegionDestroy(&region); }
};
struct MessageDeleter {
  void operator()(DmtxMessage* message) const { dmtxMessageDestroy(&message); }
};

// The pixels of a rectangle of the picture, read in place.
DibPixels WindowOf(const DibPixels& pixels, int left, int top, int width, int height) {
  DibPixels window;
  window.width = width;
  window.height = height;
  window.bytesPerPixel = pixels.bytesPerPixel;
  window.topRow = pixels.Row(top) + static_cast<ptrdiff_t>(left) * pixels.bytesPerPixel;
  window.rowStep = pixels.rowStep;
  window.dpi = pixels.dpi;
  return window;
}

// Corner (u, v) of the fitted symbol square: (0, 1) is its top-left as the symbol reads.
void PutCorner(const DmtxRegion& region, int height, double u, double v, int32_t* corner) {
  DmtxVector2 point{u, v};
  DmtxMatrix3 fit;
  std::copy(&region.fit2raw[0][0], &region.fit2raw[0][0] + 9, &fit[0][0]);
  dmtxMatrix3VMultiplyBy(&point, fit);
  corner[0] = static_cast<int32_t>(std::lround(point.X));
  corner[1] = height - 1 - static_cast<int32_t>(std::lround(point.Y));
}

// The library writes every FNC1 as a group separator, the leading one that marks GS1 data too;
// values keep the separators between element strings only, as stored. Binary data stops at its
// first NUL: the value crosses the interface as a C string.
std::string ValueOf(const DmtxMessage& message) {
  std::string value(reinterpret_cast<const char*>(message.output), static_cast<size_t>(message.outputIdx));
  if (!value.empty() && static_cast<uint8_t>(value.front()) == kGroupSeparator) value.erase(0, 1);
  return value.substr(0, value.find('\0'));
}

FoundSymbol SymbolOf(const DmtxRegion& region, const DmtxMessage& message, int height) {
  FoundSymbol found;
  found.value = ValueOf(message);
  found.rows = dmtxGetSymbolAttribute(DmtxSymAttribSymbolRows, region.sizeIdx);
  found.columns = dmtxGetSymbolAttribute(DmtxSymAttribSymbolCols, region.sizeIdx);
  PutCorner(region, height, 0, 1, &found.corners[0]);
  PutCorner(region, height, 1, 1, &found.corners[2]);
  PutCorner(region, height, 1, 0, &found.corners[4]);
  PutCorner(region, height, 0, 0, &found.corners[6]);
  return found;
}

// One libdmtx decoder over a view of the picture.
class DmtxSearch {
 public:
  DmtxSearch(const DibPixels& view, const DmtxLimits& limits) : view_(view) {
    if (std::max(view.width, view.height) < kLeastLongerSide) return;
    const int pack = view.bytesPerPixel == 1 ? DmtxPack8bppK : DmtxPack24bppBGR;
    image_.reset(dmtxImageCreate(const_cast<uint8_t*>(view.FirstStoredRow()), view.width, view.height, pack));
    if (!image_) return;
    const size_t padding = view.StoredStride() - static_cast<size_t>(view.width) * view.bytesPerPixel;
    dmtxImageSetProp(image_.get(), DmtxPropRowPadBytes, static_cast<int>(padding));
    dmtxImageSetProp(image_.get(), DmtxPropImageFlip, view.StoredBottomUp() ? DmtxFlipY : DmtxFlipNone);
    decode_.reset(dmtxDecodeCreate(image_.get(), 1));
    if (!decode_) return;
    dmtxDecodeSetProp(decode_.get(), DmtxPropFnc1, kGroupSeparator);
    if (limits.leastEdge > 0) dmtxDecodeSetProp(decode_.get(), DmtxPropEdgeMin, limits.leastEdge);
    if (limits.mostEdge > 0) dmtxDecodeSetProp(decode_.get(), DmtxPropEdgeMax, limits.mostEdge);
  }

  bool Ready() const { return decode_ != nullptr; }

  // The library's whole-picture scan order over the area its properties name.
  MatrixScanOrder Order() const {
    DmtxDecode* d = decode_.get();
    return MatrixScanOrder(dmtxDecodeGetProp(d, DmtxPropXmin), dmtxDecodeGetProp(d, DmtxPropXmax),
                           dmtxDecodeGetProp(d, DmtxPropYmin), dmtxDecodeGetProp(d, DmtxPropYmax),
                           dmtxDecodeGetProp(d, DmtxPropScanGap) / dmtxDecodeGetProp(d, DmtxPropScale));
  }

  // The symbol whose region starts at (x, y), rows counted from the bottom, if one decodes there.
  std::optional<FoundSymbol> TryStart(int x, int y) {
    std::unique_ptr<DmtxRegion, RegionDeleter> region(dmtxRegionScanPixel(decode_.get(), x, y));
    if (!region) return std::nullopt;
    std::unique_ptr<DmtxMessage, MessageDeleter> message(
        dmtxDecodeMatrixRegion(decode_.get(), region.get(), DmtxUndefined));
    if (!message) return std::nullopt;
    return SymbolOf(*region, *message, view_.height);
  }

 private:
  const DibPixels& view_;
  std::unique_ptr<DmtxImage, ImageDeleter> image_;
  std::unique_ptr<DmtxDecode, DecodeDeleter> decode_;
};

// Group separators aside: libdmtx's value of a GS1 symbol may have lost them.
bool SameValue(const std::string& a, const std::string& b) {
  auto plain = [](std::string value) {
    std::erase(value, static_cast<char>(kGroupSeparator));
    return value;
  };
  return plain(a) == plain(b);
}

// The symbols a scan knows of, put in the order in which it meets them.
class MetSymbols {
 public:
  explicit MetSymbols(std::vector<FoundSymbol> known) : known_(std::move(known)), met_(known_.size(), false) {}

  // Meets the known symbol that covers (x, y), top-down pixels; false when none does.
  bool MeetAt(int x, int y) {
    for (size_t k = 0; k < known_.size(); ++k)
      if (Covers(known_[k], x, y, kEdgeMargin)) return Meet(k);
    return false;
  }
  // Meets the known symbol that `symbol` stands for, else adds it as met now; true when added.
  bool MeetOrAdd(FoundSymbol symbol) {
    for (size_t k = 0; k < known_.size(); ++k)
      if (SameSymbol(known_[k], symbol)) {
        Meet(k);
        return false;
      }
    known_.push_back(std::move(symbol));
    met_.push_back(false);
    Meet(known_.size() - 1);
    return true;
  }
  bool AllMet() const { return order_.size() == known_.size(); }
  size_t MetCount() const { return order_.size(); }
  // The met symbols in order, then those never met.
  std::vector<FoundSymbol> Ordered() && {
    std::vector<FoundSymbol> ordered;
    for (size_t k : order_) ordered.push_back(std::move(known_[k]));
    for (size_t k = 0; k < known_.size(); ++k)
      if (!met_[k]) ordered.push_back(std::move(known_[k]));
    return ordered;
  }

 private:
  bool Meet(size_t k) {
    if (!met_[k]) order_.push_back(k);
    met_[k] = true;
    return true;
  }
  std::vector<FoundSymbol> known_;
  std::vector<bool> met_;
  std::vector<size_t> order_;
};

// libdmtx reads neither mirrored symbols nor the sizes of the rectangular extension.
bool DmtxReads(const FoundSymbol& symbol) {
  if (!RunsClockwise(symbol)) return false;
  for (int size = 0; size < DmtxSymbolSquareCount + DmtxSymbolRectCount; ++size)
    if (dmtxGetSymbolAttribute(DmtxSymAttribSymbolRows, size) == symbol.rows &&
        dmtxGetSymbolAttribute(DmtxSymAttribSymbolCols, size) == symbol.columns)
      return true;
  return false;
}

}  // namespace

void FitWithDmtx(const DibPixels& pixels, FoundSymbol& symbol, const SearchBudget& budget) {
  if (!DmtxReads(symbol)) return;
  const int margin = std::max(kLeastFitMargin, static_cast<int>(LongestSide(symbol) * kFitMargin));
  int left = pixels.width, top = pixels.height, right = 0, bottom = 0;
  for (int k = 0; k < 4; ++k) {
    left = std::min(left, symbol.corners[2 * k] - margin);
    right = std::max(right, symbol.corners[2 * k] + margin);
    top = std::min(top, symbol.corners[2 * k + 1] - margin);
    bottom = std::max(bottom, symbol.corners[2 * k + 1] + margin);
  }
  left = std::max(left, 0);
  top = std::max(top, 0);
  right = std::min(right, pixels.width - 1);
  bottom = std::min(bottom, pixels.height - 1);
  if (right < left || bottom < top) return;
  const DibPixels view = WindowOf(pixels, left, top, right - left + 1, bottom - top + 1);
  const DmtxLimits limits{static_cast<int>(ShortestSide(symbol) * kFitLeastEdge),
                          static_cast<int>(std::ceil(LongestSide(symbol) * kFitMostEdge)), kFitStarts};
  DmtxSearch search(view, limits);
  if (!search.Ready()) return;
  MatrixScanOrder order = search.Order();
  const MatrixSeeds seeds(view, budget);
  int starts = limits.starts, x = 0, y = 0;
  while (starts > 0 && order.Next(x, y)) {
    if (!seeds.MayStart(x, y)) continue;
    if (--starts % 64 == 0 && budget.Spent()) return;
    const std::optional<FoundSymbol> fitted = search.TryStart(x, y);
    if (!fitted || !SameValue(fitted->value, symbol.value)) continue;
    symbol.corners = fitted->corners;
    MoveCorners(symbol, left, top);
    symbol.rows = fitted->rows;
    symbol.columns = fitted->columns;
    return;
  }
}

std::vector<FoundSymbol> ScanWithDmtx(const DibPixels& pixels, const MatrixSeeds& seeds, std::vector<FoundSymbol> known,
                                      const DmtxLimits& limits, const SearchBudget& budget) {
  DmtxSearch search(pixels, limits);
  if (!search.Ready()) return known;
  MetSymbols symbols(std::move(known));
  MatrixScanOrder order = search.Order();
  int starts = limits.starts, x = 0, y = 0;
  SearchBudget share = budget.Within(limits.time);
  unsigned steps = 0;
  while (order.Next(x, y) && symbols.MetCount() < kMaxSymbols) {
    if (++steps % kStepsAClockLook == 0 && share.Spent()) break;
    if (starts == 0 && symbols.AllMet()) break;
    if (!seeds.MayStart(x, y) || symbols.MeetAt(x, pixels.height - 1 - y) || starts == 0) continue;
    --starts;
    if (share.Spent()) break;
    std::optional<FoundSymbol> found = search.TryStart(x, y);
    // A page of many symbols keeps the scan going for as long as it keeps finding new ones.
    if (found && symbols.MeetOrAdd(std::move(*found))) {
      starts = limits.starts;
      share = budget.Within(limits.time);
    }
  }
  return std::move(symbols).Ordered();
}

}  // namespace vxbarcode
