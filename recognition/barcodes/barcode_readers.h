// The engine's two barcode readers. Each owns one scanner of its plug-in; a read prepares the
// pixels (crop, a depth the plug-in takes, packed bitmap), hands them over, and the results are then
// read one field at a time by a 1-based number. The DataMatrix reader is the 1D reader's twin:
// both are one core with the plug-in's own fields added.
#pragma once
#include <cstdint>
#include <string>

#include "engine/vexiro_status.h"
#include "recognition/barcodes/reader_plugin.h"

namespace vexiro {

class BarcodeReaderCore {
 public:
  BarcodeReaderCore(const BarcodeReaderPlugin& plugin, VexiroStatus notLoaded)
      : plugin_(plugin), notLoaded_(notLoaded) {}
  // The scanner goes with its reader, so that no plug-in scanner outlives the engine.
  ~BarcodeReaderCore();
  BarcodeReaderCore(const BarcodeReaderCore&) = delete;
  BarcodeReaderCore& operator=(const BarcodeReaderCore&) = delete;

  int32_t GetBarcodeCount() const { return BarcodeCount; }
  std::string GetBarcodeValue(int32_t BarCodeNo);
  int32_t GetBarcodeX1(int32_t BarCodeNo) { return Corner(BarCodeNo, 0); }
  int32_t GetBarcodeY1(int32_t BarCodeNo) { return Corner(BarCodeNo, 1); }
  int32_t GetBarcodeX2(int32_t BarCodeNo) { return Corner(BarCodeNo, 2); }
  int32_t GetBarcodeY2(int32_t BarCodeNo) { return Corner(BarCodeNo, 3); }
  int32_t GetBarcodeX3(int32_t BarCodeNo) { return Corner(BarCodeNo, 4); }
  int32_t GetBarcodeY3(int32_t BarCodeNo) { return Corner(BarCodeNo, 5); }
  int32_t GetBarcodeX4(int32_t BarCodeNo) { return Corner(BarCodeNo, 6); }
  int32_t GetBarcodeY4(int32_t BarCodeNo) { return Corner(BarCodeNo, 7); }
  // The area is in pixels of the image; all four zero mean the whole image. Top, Width and
  // Height may be written back (the upscaled attempt fills in a zero width or height).
  VexiroStatus ReadBarcodes(int32_t ImageID, int32_t Left, int32_t& Top, int32_t& Width, int32_t& Height,
                            int32_t ScanMode, bool Upscaled);
  void ClearScanner();

 protected:
  // The barcode's handle in the plug-in, 0 (without calling it) when the number is out of range.
  uint32_t BarcodeHandle(int32_t BarCodeNo) const;
  const BarcodeReaderExports* api_ = nullptr;  // the plug-in that made the results

 private:
  friend struct ImagingTestAccess;
  bool InitScanner(int32_t ScanMode);
  VexiroStatus ScaleArea(int32_t sourceId, int32_t& NewID, int32_t Left, int32_t Top, int32_t Width, int32_t Height);
  VexiroStatus ScanPackedBitmap(int32_t workingId, int32_t bits);
  bool ScanRowsInPlace(int32_t workingId);
  void Scan();
  // Whether the plug-in's bound for this scan, counted from the member's start, is spent.
  bool TimeSpent() const;
  bool TakesDepth(int32_t bits) const;
  int32_t Corner(int32_t BarCodeNo, size_t index);

  const BarcodeReaderPlugin& plugin_;
  VexiroStatus notLoaded_;
  uint32_t ScannerHandle = 0;
  int32_t BarcodeCount = 0;
  double ScaleFactor = 0;  // 1.0 from the first read on; 2.0 or 3.0 after an upscaled attempt
};

class cBarcode1DReader : public BarcodeReaderCore {
 public:
  cBarcode1DReader();
  int32_t GetBarcodeType(int32_t BarCodeNo);
  double GetBarcodeSkewAngle(int32_t BarCodeNo);
  bool HasCheckSum(int32_t BarCodeNo);
};

class cBarcodeDMReader : public BarcodeReaderCore {
 public:
  cBarcodeDMReader();
  int32_t GetBarcodeRows(int32_t BarCodeNo);
  int32_t GetBarcodeColumns(int32_t BarCodeNo);
};

}  // namespace vexiro
