#include "recognition/barcodes/barcode_readers.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "engine/handles/packed_dib.h"
#include "engine/image_access.h"
#include "engine/image_graphics.h"
#include "engine/image_store.h"
#include "engine/load/from_memory.h"
#include "engine/routines/shared_routines.h"
#include "platform/kernel/global_memory.h"

namespace vexiro {
namespace {

using vx::engine::ScopedImage;
namespace gp = vx::gdiplus;

constexpr int32_t kSmallImagePixels = 360000;
constexpr float kUpscaleBelowDpi = 150;
constexpr float kTripleBelowDpi = 75;

// Frees a packed bitmap when the scan is done with it.
struct GlobalBlock {
  vx::HGLOBAL handle = 0;
  ~GlobalBlock() {
    if (handle != 0) vx::GlobalFree(handle);
  }
};

// Width or height of the enlarged copy; 0 when it cannot be held in 32 bits.
int32_t ScaledSide(int32_t side, double factor) {
  const double scaled = std::nearbyint(side * factor);
  return scaled > std::numeric_limits<int32_t>::max() ? 0 : static_cast<int32_t>(scaled);
}

}  // namespace

BarcodeReaderCore::~BarcodeReaderCore() { ClearScanner(); }

void BarcodeReaderCore::ClearScanner() {
  if (ScannerHandle != 0 && api_ != nullptr) api_->FreeBarScanner(ScannerHandle);
  ScaleFactor = 1.0;
  ScannerHandle = 0;
  BarcodeCount = 0;
}

bool BarcodeReaderCore::InitScanner(int32_t ScanMode) {
  const BarcodeReaderExports* api = CheckBarcodeReaderPlugin(plugin_);
  if (api == nullptr) return false;
  ClearScanner();
  api_ = api;
  ScannerHandle = api_->NewBarScanner();
  if (api_->SetPerformance != nullptr) api_->SetPerformance(ScannerHandle, ScanMode);
  // The bound of the plug-in's scan covers the engine's preparation of the pixels too.
  if (api_->StartScanClock != nullptr) api_->StartScanClock(ScannerHandle);
  return true;
}

VexiroStatus BarcodeReaderCore::ScaleArea(int32_t sourceId, int32_t& NewID, int32_t Left, int32_t Top, int32_t Width,
                                          int32_t Height) {
  NewID = 0;
  const int32_t newWidth = ScaledSide(Width, ScaleFactor);
  const int32_t newHeight = ScaledSide(Height, ScaleFactor);
  if (newWidth == 0 || newHeight == 0) return ValueOverflow;
  ScopedImage scaled;
  VexiroStatus s = vx::engine::CreateImageFromScan0(newWidth, newHeight, 0, gp::PixelFormat24bppRGB, 0, *scaled.put(), false);
  if (s != OK) return s;
  gp::GpGraphics* graphics = nullptr;
  s = vx::engine::GetImageGraphics(scaled.get(), graphics, gp::PixelFormat24bppRGB);
  if (s != OK) return s;
  vx::engine::SetGraphicsInterpolation(graphics, gp::InterpolationModeHighQualityBicubic);
  vx::engine::SetGraphicsSmoothing(graphics, gp::SmoothingModeNone);
  vx::engine::SetCompositingQuality(graphics, gp::CompositingQualityHighSpeed);
  vx::engine::SetPixelOffsetMode(graphics, gp::PixelOffsetModeHalf);
  s = static_cast<VexiroStatus>(gp::GdipDrawImageRectRectI(graphics, vx::engine::GpImageFromID(sourceId), 0, 0, newWidth,
                                                           newHeight, Left, Top, Width, Height, gp::UnitPixel, nullptr));
  gp::GdipDeleteGraphics(graphics);
  if (s == OK) NewID = scaled.Keep();
  return s;
}

bool BarcodeReaderCore::TimeSpent() const {
  return api_->ScanTimeSpent != nullptr && api_->ScanTimeSpent(ScannerHandle) == 1;
}

bool BarcodeReaderCore::TakesDepth(int32_t bits) const {
  if (bits == 1 || bits == 24) return true;
  const int32_t depths = api_->GetSourceDepths != nullptr ? api_->GetSourceDepths() : 0;
  return bits > 0 && bits < 31 && (depths >> bits & 1) != 0;
}

void BarcodeReaderCore::Scan() {
  api_->ScanBar(ScannerHandle);
  BarcodeCount = api_->GetBarcodeCount(ScannerHandle);
}

// The image's own rows, lent by a read lock, where the plug-in takes them apart from their header
// and the lock's rows lie as a bitmap's: a picture of a hundred megapixels is not copied first.
bool BarcodeReaderCore::ScanRowsInPlace(int32_t workingId) {
  std::vector<uint8_t> info;
  int32_t stride = 0;
  if (api_->SetDibSourceRows == nullptr || vx::engine::GetImageDibInfo(workingId, info, stride) != OK) return false;
  int32_t width = 0, height = 0;
  vx::engine::GetImageWidth(workingId, width);
  vx::engine::GetImageHeight(workingId, height);
  gp::BitmapData data;
  gp::PixelFormat format = vx::engine::GetImagePixelFormatValue(workingId);
  if (vx::engine::LockImageBits(workingId, {0, 0, width, height}, gp::ImageLockModeRead, format, data) != OK)
    return false;
  const bool lent = data.Stride == stride && data.Scan0 != nullptr;
  if (lent) {
    const uint64_t rowsBytes = static_cast<uint64_t>(stride) * static_cast<uint64_t>(height);
    api_->SetDibSourceRows(ScannerHandle, info.data(), static_cast<uint32_t>(info.size()), data.Scan0,
                           static_cast<uint32_t>(std::min<uint64_t>(rowsBytes, std::numeric_limits<uint32_t>::max())));
    Scan();
  }
  vx::engine::UnlockImageBits(workingId, data);
  return lent;
}

// The picture goes over in a depth the plug-in takes, widened to 24 bits straight into the packed
// bitmap where it takes the picture's own depth not. A preparation the time runs out in reads
// nothing, as the plug-in would have answered.
VexiroStatus BarcodeReaderCore::ScanPackedBitmap(int32_t workingId, int32_t bits) {
  const bool widen = !TakesDepth(bits);
  if (!widen && ScanRowsInPlace(workingId)) return OK;
  GlobalBlock dib;
  vx::engine::PackedDibExport how{widen, [this] { return TimeSpent(); }};
  const VexiroStatus s = vx::engine::GetImageAsPackedDIB(workingId, how, dib.handle);
  if (s == Aborted && TimeSpent()) return OK;
  if (s != OK) return s;
  const void* bytes = vx::GlobalLock(dib.handle);
  if (bytes == nullptr) return OutOfMemory;
  api_->SetDibSource(ScannerHandle, bytes, static_cast<uint32_t>(vx::GlobalSize(dib.handle)));
  Scan();
  vx::GlobalUnlock(dib.handle);
  return OK;
}

VexiroStatus BarcodeReaderCore::ReadBarcodes(int32_t ImageID, int32_t Left, int32_t& Top, int32_t& Width,
                                             int32_t& Height, int32_t ScanMode, bool Upscaled) {
  // The upscaled attempt goes on with the scanner of the first, whose time counts from the
  // member's start.
  if (Upscaled ? ScannerHandle == 0 : !InitScanner(ScanMode)) return notLoaded_;
  if (ImageID == 0) return InvalidParameter;
  int32_t bits = 0, imageWidth = 0, imageHeight = 0;
  float dpi = 0;
  VexiroStatus s = vx::engine::GetImageBitDepth(ImageID, bits);
  if (s == OK) s = vx::engine::GetImageHorizontalResolution(ImageID, dpi);
  if (s == OK) s = vx::engine::GetImageHeight(ImageID, imageHeight);
  if (s == OK) s = vx::engine::GetImageWidth(ImageID, imageWidth);
  if (s != OK) return s;

  const bool allZero = Left == 0 && Top == 0 && Width == 0 && Height == 0;
  const bool wholeImage = Left == 0 && Top == 0 && Width == imageWidth && Height == imageHeight;
  int32_t working = ImageID;
  ScopedImage owned;
  if (Upscaled) {
    ScaleFactor = dpi < kTripleBelowDpi ? 3.0 : 2.0;
    if (Width == 0) Width = imageWidth;
    if (Height == 0) Height = imageHeight;
    if (TimeSpent()) return OK;
    s = ScaleArea(ImageID, *owned.put(), Left, Top, Width, Height);
    if (s != OK) return s;
    working = owned.get();
    s = vx::engine::GetImageBitDepth(working, bits);
  } else if (!allZero && !wholeImage) {
    // The clone is registered whatever its status; the owner releases a failed one too.
    s = vx::engine::CloneImageArea(Left, Top, Width, Height, vx::engine::GetImagePixelFormatValue(ImageID), ImageID,
                                   *owned.put());
    working = owned.get();
  }
  if (s != OK) return s;
  s = ScanPackedBitmap(working, bits);
  owned.Release();
  if (s != OK) return s;

  if (BarcodeCount != 0 || ScanMode != 1 || Upscaled) return OK;
  // A region covering the whole image is read as the whole image.
  const int64_t imagePixels = static_cast<int64_t>(imageWidth) * imageHeight;
  const bool secondAttempt = allZero || wholeImage
                                 ? imagePixels < kSmallImagePixels
                                 : static_cast<int64_t>(Width) * Height < imagePixels / 4.0 && dpi < kUpscaleBelowDpi;
  if (!secondAttempt) return OK;
  return ReadBarcodes(ImageID, Left, Top, Width, Height, 1, true);
}

uint32_t BarcodeReaderCore::BarcodeHandle(int32_t BarCodeNo) const {
  if (BarCodeNo < 1 || BarCodeNo > BarcodeCount || api_ == nullptr) return 0;
  return api_->GetBarcode(ScannerHandle, BarCodeNo - 1);
}

std::string BarcodeReaderCore::GetBarcodeValue(int32_t BarCodeNo) {
  const uint32_t barcode = BarcodeHandle(BarCodeNo);
  return barcode == 0 ? "" : vx::engine::PtrToStringA(api_->GetBarcodeValue(barcode));
}

int32_t BarcodeReaderCore::Corner(int32_t BarCodeNo, size_t index) {
  const uint32_t barcode = BarcodeHandle(BarCodeNo);
  if (barcode == 0) return 0;
  return static_cast<int32_t>(std::nearbyint(api_->Corners[index](barcode) / ScaleFactor));
}

cBarcode1DReader::cBarcode1DReader() : BarcodeReaderCore(kBarcode1DReaderPlugin, BarcodeReader1DPluginNotLoaded) {}

int32_t cBarcode1DReader::GetBarcodeType(int32_t BarCodeNo) {
  const uint32_t barcode = BarcodeHandle(BarCodeNo);
  return barcode == 0 ? 0 : api_->GetBarcodeType(barcode);
}

double cBarcode1DReader::GetBarcodeSkewAngle(int32_t BarCodeNo) {
  const uint32_t barcode = BarcodeHandle(BarCodeNo);
  if (barcode == 0) return 0;
  const double skew = 360 - api_->GetSkewAngle(barcode);
  return skew == 360 ? 0 : skew;
}

bool cBarcode1DReader::HasCheckSum(int32_t BarCodeNo) {
  const uint32_t barcode = BarcodeHandle(BarCodeNo);
  return barcode != 0 && api_->HasCheckSum(barcode) == 1;
}

cBarcodeDMReader::cBarcodeDMReader()
    : BarcodeReaderCore(kBarcodeDMReaderPlugin, BarcodeReaderDataMatrixPluginNotLoaded) {}

int32_t cBarcodeDMReader::GetBarcodeRows(int32_t BarCodeNo) {
  const uint32_t barcode = BarcodeHandle(BarCodeNo);
  return barcode == 0 ? 0 : api_->GetBarcodeRows(barcode);
}

int32_t cBarcodeDMReader::GetBarcodeColumns(int32_t BarCodeNo) {
  const uint32_t barcode = BarcodeHandle(BarCodeNo);
  return barcode == 0 ? 0 : api_->GetBarcodeColumns(barcode);
}

}  // namespace vexiro
