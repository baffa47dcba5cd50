// The engine's barcode-reading members: each forwards to the engine's reader of its kind. The
// scans return their status to the caller only; the last status is what reading the region
// left there.
#include "engine/enumeration_values.h"
#include "engine/image_access.h"
#include "recognition/barcodes/barcode_readers.h"
#include "vexiro/imaging.h"

namespace vexiro {

VexiroStatus cImaging::Barcode1DReaderDoScan(EnumArg<Barcode1DReaderScanMode> ScanMode) {
  if (!vx::engine::IsNamed(ScanMode)) return InvalidParameter;  // as every scan, without a last status
  InitROI();
  return oBarcode1DReader->ReadBarcodes(nNativeImage, ROIArea.X, ROIArea.Y, ROIArea.Width, ROIArea.Height, ScanMode,
                                        false);
}
int32_t cImaging::Barcode1DReaderGetBarcodeCount() { return oBarcode1DReader->GetBarcodeCount(); }
Barcode1DReaderType cImaging::Barcode1DReaderGetBarcodeType(int32_t BarCodeNo) {
  return static_cast<Barcode1DReaderType>(oBarcode1DReader->GetBarcodeType(BarCodeNo));
}
std::string cImaging::Barcode1DReaderGetBarcodeValue(int32_t BarCodeNo) {
  return oBarcode1DReader->GetBarcodeValue(BarCodeNo);
}
double cImaging::Barcode1DReaderGetBarcodeSkewAngle(int32_t BarCodeNo) {
  return oBarcode1DReader->GetBarcodeSkewAngle(BarCodeNo);
}
bool cImaging::Barcode1DReaderBarcodeHasChecksum(int32_t BarCodeNo) { return oBarcode1DReader->HasCheckSum(BarCodeNo); }
int32_t cImaging::Barcode1DReaderGetBarcodeX1(int32_t BarCodeNo) { return oBarcode1DReader->GetBarcodeX1(BarCodeNo); }
int32_t cImaging::Barcode1DReaderGetBarcodeY1(int32_t BarCodeNo) { return oBarcode1DReader->GetBarcodeY1(BarCodeNo); }
int32_t cImaging::Barcode1DReaderGetBarcodeX2(int32_t BarCodeNo) { return oBarcode1DReader->GetBarcodeX2(BarCodeNo); }
int32_t cImaging::Barcode1DReaderGetBarcodeY2(int32_t BarCodeNo) { return oBarcode1DReader->GetBarcodeY2(BarCodeNo); }
int32_t cImaging::Barcode1DReaderGetBarcodeX3(int32_t BarCodeNo) { return oBarcode1DReader->GetBarcodeX3(BarCodeNo); }
int32_t cImaging::Barcode1DReaderGetBarcodeY3(int32_t BarCodeNo) { return oBarcode1DReader->GetBarcodeY3(BarCodeNo); }
int32_t cImaging::Barcode1DReaderGetBarcodeX4(int32_t BarCodeNo) { return oBarcode1DReader->GetBarcodeX4(BarCodeNo); }
int32_t cImaging::Barcode1DReaderGetBarcodeY4(int32_t BarCodeNo) { return oBarcode1DReader->GetBarcodeY4(BarCodeNo); }
void cImaging::Barcode1DReaderClear() { oBarcode1DReader->ClearScanner(); }

VexiroStatus cImaging::BarcodeDataMatrixReaderDoScan(EnumArg<BarcodeDataMatrixReaderScanMode> ScanMode) {
  if (!vx::engine::IsNamed(ScanMode)) return InvalidParameter;  // as every scan, without a last status
  InitROI();
  return oBarcodeDMReader->ReadBarcodes(nNativeImage, ROIArea.X, ROIArea.Y, ROIArea.Width, ROIArea.Height, ScanMode,
                                        false);
}
int32_t cImaging::BarcodeDataMatrixReaderGetBarcodeCount() { return oBarcodeDMReader->GetBarcodeCount(); }
std::string cImaging::BarcodeDataMatrixReaderGetBarcodeValue(int32_t BarCodeNo) {
  return oBarcodeDMReader->GetBarcodeValue(BarCodeNo);
}
int32_t cImaging::BarcodeDataMatrixReaderGetBarcodeX1(int32_t BarCodeNo) { return oBarcodeDMReader->GetBarcodeX1(BarCodeNo); }
int32_t cImaging::BarcodeDataMatrixReaderGetBarcodeY1(int32_t BarCodeNo) { return oBarcodeDMReader->GetBarcodeY1(BarCodeNo); }
int32_t cImaging::BarcodeDataMatrixReaderGetBarcodeX2(int32_t BarCodeNo) { return oBarcodeDMReader->GetBarcodeX2(BarCodeNo); }
int32_t cImaging::BarcodeDataMatrixReaderGetBarcodeY2(int32_t BarCodeNo) { return oBarcodeDMReader->GetBarcodeY2(BarCodeNo); }
int32_t cImaging::BarcodeDataMatrixReaderGetBarcodeX3(int32_t BarCodeNo) { return oBarcodeDMReader->GetBarcodeX3(BarCodeNo); }
int32_t cImaging::BarcodeDataMatrixReaderGetBarcodeY3(int32_t BarCodeNo) { return oBarcodeDMReader->GetBarcodeY3(BarCodeNo); }
int32_t cImaging::BarcodeDataMatrixReaderGetBarcodeX4(int32_t BarCodeNo) { return oBarcodeDMReader->GetBarcodeX4(BarCodeNo); }
int32_t cImaging::BarcodeDataMatrixReaderGetBarcodeY4(int32_t BarCodeNo) { return oBarcodeDMReader->GetBarcodeY4(BarCodeNo); }
int32_t cImaging::BarcodeDataMatrixReaderGetBarcodeRows(int32_t BarCodeNo) {
  return oBarcodeDMReader->GetBarcodeRows(BarCodeNo);
}
int32_t cImaging::BarcodeDataMatrixReaderGetBarcodeColumns(int32_t BarCodeNo) {
  return oBarcodeDMReader->GetBarcodeColumns(BarCodeNo);
}
void cImaging::BarcodeDataMatrixReaderClear() { oBarcodeDMReader->ClearScanner(); }

}  // namespace vexiro
