// The two barcode reader plug-ins as the readers call them: their operations bound by name at
// the first call, and the presence and version check that runs before every read.
#pragma once
#include <array>
#include <cstdint>
#include <string>

namespace vexiro {

// The operations of one reader plug-in. Those a reader does not have stay null: the 1D reader
// has no rows or columns, the DataMatrix reader no performance, type, skew or checksum.
struct BarcodeReaderExports {
  int32_t (*GetVersion)() = nullptr;
  uint32_t (*NewBarScanner)() = nullptr;
  int32_t (*SetPerformance)(uint32_t, int32_t) = nullptr;
  int32_t (*SetDibSource)(uint32_t, const void*, uint32_t) = nullptr;
  int32_t (*ScanBar)(uint32_t) = nullptr;
  uint8_t (*GetBarcodeCount)(uint32_t) = nullptr;
  uint32_t (*GetBarcode)(uint32_t, int32_t) = nullptr;
  const char* (*GetBarcodeValue)(uint32_t) = nullptr;
  std::array<int32_t (*)(uint32_t), 8> Corners{};  // X1, Y1, .. X4, Y4
  int32_t (*GetBarcodeType)(uint32_t) = nullptr;
  double (*GetSkewAngle)(uint32_t) = nullptr;
  int32_t (*HasCheckSum)(uint32_t) = nullptr;
  int32_t (*GetBarcodeRows)(uint32_t) = nullptr;
  int32_t (*GetBarcodeColumns)(uint32_t) = nullptr;
  int32_t (*FreeBarScanner)(uint32_t) = nullptr;
  // Optional: the rows handed over where they lie, the depths of bitmap the plug-in takes beyond 1
  // and 24 bits (bit n for n bits), and the bound of a scan counted from a moment the engine names
  // and asked while it prepares.
  int32_t (*SetDibSourceRows)(uint32_t, const void*, uint32_t, const void*, uint32_t) = nullptr;
  int32_t (*GetSourceDepths)() = nullptr;
  int32_t (*StartScanClock)(uint32_t) = nullptr;
  int32_t (*ScanTimeSpent)(uint32_t) = nullptr;
};

struct BarcodeReaderPlugin {
  const char* ModuleName;    // "vxbarcode.1dreader.dll"
  const char* ExportPrefix;  // "VXBARCODE1DREADER_"
  int32_t MinimumVersion;
  bool Linear;               // binds performance, type, skew and checksum; else rows and columns
};

extern const BarcodeReaderPlugin kBarcode1DReaderPlugin;
extern const BarcodeReaderPlugin kBarcodeDMReaderPlugin;

// The plug-in check: the bound operations when the module is present by its version and its own
// version is recent enough, else nullptr. A missing or too old module shows its message box; one
// that cannot be bound fails silently. The table stays valid for the life of the process.
const BarcodeReaderExports* CheckBarcodeReaderPlugin(const BarcodeReaderPlugin& plugin);

}  // namespace vexiro
