// Shared steps of the scanning members.
#pragma once
#include <cmath>
#include <cstdint>
#include <limits>

#include "devices/scan/twain_plugin.h"
#include "engine/runtime_error.h"

namespace vx::scan {

// TWAIN codes the members name.
constexpr int32_t TWAIN_ERROR = -1, TWAIN_SM_OPEN = 3, TWAIN_SOURCE_OPEN = 4, TWAIN_SOURCE_ENABLED = 5;
constexpr int32_t TWTY_FIX32 = 7;
constexpr int32_t ICAP_COMPRESSION = 0x0100, ICAP_PIXELTYPE = 0x0101, ICAP_XFERMECH = 0x0103,
                  CAP_FEEDERENABLED = 0x1002, CAP_FEEDERLOADED = 0x1003, CAP_AUTOFEED = 0x1007,
                  CAP_DEVICEONLINE = 0x100F, CAP_AUTOSCAN = 0x1010, CAP_DUPLEXENABLED = 0x1013,
                  CAP_CAMERAPREVIEWUI = 0x1021, ICAP_AUTOBRIGHT = 0x1100, ICAP_BRIGHTNESS = 0x1101,
                  ICAP_CONTRAST = 0x1103, ICAP_IMAGEFILEFORMAT = 0x110C, ICAP_XRESOLUTION = 0x1118,
                  ICAP_YRESOLUTION = 0x1119, ICAP_PIXELFLAVOR = 0x111F, ICAP_PLANARCHUNKY = 0x1120,
                  ICAP_SUPPORTEDSIZES = 0x1122, ICAP_THRESHOLD = 0x1123, ICAP_BITDEPTH = 0x112B,
                  ICAP_AUTODISCARDBLANKPAGES = 0x1134, ICAP_BARCODEDETECTIONENABLED = 0x1137,
                  ICAP_SUPPORTEDBARCODETYPES = 0x1138, ICAP_AUTOMATICBORDERDETECTION = 0x1150,
                  ICAP_AUTOMATICDESKEW = 0x1151, ICAP_AUTOMATICROTATE = 0x1152, ICAP_AUTOSIZE = 0x1156;

// Only the plug-in's 1 is success.
inline bool IsOne(int32_t result) { return result == 1; }
inline int32_t OneOrZero(bool flag) { return flag ? 1 : 0; }

// A double returned as a 32-bit integer: halves to even; out of range is run-time error 6.
inline int32_t RoundToLong(double value) {
  const double rounded = std::nearbyint(value);
  if (!(rounded >= std::numeric_limits<int32_t>::min() && rounded <= std::numeric_limits<int32_t>::max()))
    throw engine::RuntimeError(6, "Overflow");
  return static_cast<int32_t>(rounded);
}

}  // namespace vx::scan
