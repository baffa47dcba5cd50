#include "recognition/barcodes/barcode_readers.h"

#include <cmath>
#include <limits>

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

VexiroStatus BarcodeReaderCore::ScanPackedBitmap(int32_t workingId) {
  GlobalBlock dib;
  const VexiroStatus s = vx::engine::GetImageAsPackedDIB(workingId, dib.handle);
  if (s != OK) return s;
  const void* bytes = vx::GlobalLock(dib.handle);
  if (bytes == nullptr) return OutOfMemory;
  api_->SetDibSource(ScannerHandle, bytes, static_cast<uint32_t>(vx::GlobalSize(dib.handle)));
  api_->ScanBar(ScannerHandle);
  BarcodeCount = api_->GetBarcodeCount(ScannerHandle);
  vx::GlobalUnlock(dib.handle);
  return OK;
}

VexiroStatus BarcodeReaderCore::ReadBarcodes(int32_t ImageID, int32_t Left, int32_t& Top, int32_t& Width,
                                             int32_t& Height, int32_t ScanMode, bool Upscaled) {
  if (!InitScanner(ScanMode)) return notLoaded_;
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

  if (bits != 1 && bits != 24) {
    ScopedImage converted;
    s = vx::engine::ConvertImagePixelFormat(working, gp::PixelFormat24bppRGB, true, *converted.put());
    if (s != OK) return s;
    owned.Release();
    working = converted.get();
    *owned.put() = converted.Keep();
  }
  s = ScanPackedBitmap(working);
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
