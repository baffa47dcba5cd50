// The DataMatrix reader over libdmtx. libdmtx counts rows from the bottom, so the pixels are read
// in place in whichever order they are stored and only the corners are turned to top-down rows.
// The reader walks the library's own scan order itself and hands it only the pixels that can
// start a symbol: a page is mostly blank paper and text, where the library's attempts, one for
// every pixel of the page, cost nearly all of the time and find nothing.
#include <dmtx.h>

#include <algorithm>
#include <cmath>
#include <memory>

#include "../vxbarcode.h"
#include "matrix_scan_order.h"
#include "matrix_seeds.h"
#include "scanners.h"

namespace vxbarcode {
namespace {

constexpr int32_t kVersion = 100;
// Searching for small edges on a text-heavy page takes the better part of a minute; the smallest
// symbol side worth finding on paper is about 2.5 mm.
constexpr double kSmallestEdgeMillimetres = 2.5;
constexpr int kSmallestEdgePixels = 10;
// libdmtx's scan grid asserts (and so aborts the host) unless one side spans at least three
// pixels; no symbol fits in less anyway.
constexpr int kLeastLongerSide = 3;

int SmallestEdge(double dpi) {
  return std::max(kSmallestEdgePixels, static_cast<int>(std::lround(kSmallestEdgeMillimetres / 25.4 * dpi)));
}

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

// Corner (u, v) of the fitted symbol square: (0, 1) is its top-left as the symbol reads.
void PutCorner(const DmtxRegion& region, int height, double u, double v, int32_t* corner) {
  DmtxVector2 point{u, v};
  DmtxMatrix3 fit;
  std::copy(&region.fit2raw[0][0], &region.fit2raw[0][0] + 9, &fit[0][0]);
  dmtxMatrix3VMultiplyBy(&point, fit);
  corner[0] = static_cast<int32_t>(std::lround(point.X));
  corner[1] = height - 1 - static_cast<int32_t>(std::lround(point.Y));
}

FoundSymbol SymbolOf(const DmtxRegion& region, const DmtxMessage& message, int height) {
  FoundSymbol found;
  found.value.assign(reinterpret_cast<const char*>(message.output), static_cast<size_t>(message.outputIdx));
  found.value = found.value.substr(0, found.value.find('\0'));
  found.rows = dmtxGetSymbolAttribute(DmtxSymAttribSymbolRows, region.sizeIdx);
  found.columns = dmtxGetSymbolAttribute(DmtxSymAttribSymbolCols, region.sizeIdx);
  PutCorner(region, height, 0, 1, &found.corners[0]);
  PutCorner(region, height, 1, 1, &found.corners[2]);
  PutCorner(region, height, 1, 0, &found.corners[4]);
  PutCorner(region, height, 0, 0, &found.corners[6]);
  return found;
}

// The library's whole-picture scan order over the area its properties name.
MatrixScanOrder ScanOrderOf(DmtxDecode* decode) {
  return MatrixScanOrder(dmtxDecodeGetProp(decode, DmtxPropXmin), dmtxDecodeGetProp(decode, DmtxPropXmax),
                         dmtxDecodeGetProp(decode, DmtxPropYmin), dmtxDecodeGetProp(decode, DmtxPropYmax),
                         dmtxDecodeGetProp(decode, DmtxPropScanGap) / dmtxDecodeGetProp(decode, DmtxPropScale));
}

// As the library's own search for the next region, without the attempts that cannot succeed.
DmtxRegion* NextRegion(DmtxDecode* decode, MatrixScanOrder& order, const MatrixSeeds& seeds) {
  int x = 0, y = 0;
  while (order.Next(x, y)) {
    if (!seeds.MayStart(x, y)) continue;
    if (DmtxRegion* region = dmtxRegionScanPixel(decode, x, y)) return region;
  }
  return nullptr;
}

std::vector<FoundSymbol> RecogniseMatrix(const DibPixels& pixels, int32_t) {
  std::vector<FoundSymbol> found;
  if (std::max(pixels.width, pixels.height) < kLeastLongerSide) return found;
  const int pack = pixels.bytesPerPixel == 1 ? DmtxPack8bppK : DmtxPack24bppBGR;
  std::unique_ptr<DmtxImage, ImageDeleter> image(
      dmtxImageCreate(const_cast<uint8_t*>(pixels.FirstStoredRow()), pixels.width, pixels.height, pack));
  if (!image) return found;
  const size_t padding = pixels.StoredStride() - static_cast<size_t>(pixels.width) * pixels.bytesPerPixel;
  dmtxImageSetProp(image.get(), DmtxPropRowPadBytes, static_cast<int>(padding));
  dmtxImageSetProp(image.get(), DmtxPropImageFlip, pixels.StoredBottomUp() ? DmtxFlipY : DmtxFlipNone);
  std::unique_ptr<DmtxDecode, DecodeDeleter> decode(dmtxDecodeCreate(image.get(), 1));
  if (!decode) return found;
  dmtxDecodeSetProp(decode.get(), DmtxPropEdgeMin, SmallestEdge(pixels.dpi));
  MatrixScanOrder order = ScanOrderOf(decode.get());
  const MatrixSeeds seeds(pixels);
  while (found.size() < kMaxSymbols) {
    std::unique_ptr<DmtxRegion, RegionDeleter> region(NextRegion(decode.get(), order, seeds));
    if (!region) break;
    std::unique_ptr<DmtxMessage, MessageDeleter> message(
        dmtxDecodeMatrixRegion(decode.get(), region.get(), DmtxUndefined));
    if (message) found.push_back(SymbolOf(*region, *message, pixels.height));
  }
  return found;
}

}  // namespace
}  // namespace vxbarcode

extern "C" {

const char* VxPluginVersion(void) { return "1.0.0.0"; }
int32_t VXBARCODEDMREADER_GetVersion(void) { return vxbarcode::kVersion; }
VXBARCODE_SHARED_EXPORTS(VXBARCODEDMREADER, vxbarcode::RecogniseMatrix)

int32_t VXBARCODEDMREADER_GetBarcodeRows(uint32_t barcode) {
  return vxbarcode::FieldOf(barcode, &vxbarcode::FoundSymbol::rows);
}
int32_t VXBARCODEDMREADER_GetBarcodeColumns(uint32_t barcode) {
  return vxbarcode::FieldOf(barcode, &vxbarcode::FoundSymbol::columns);
}

}  // extern "C"
