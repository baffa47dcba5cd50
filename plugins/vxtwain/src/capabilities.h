// TWAIN capabilities over the options of the open SANE device.
#pragma once
#include <cstdint>
#include <optional>
#include <vector>

namespace vxtwain {

// TWAIN capability codes and item types the plug-in answers.
enum Cap : int32_t {
  CAP_XFERCOUNT = 0x0001,
  ICAP_COMPRESSION = 0x0100,
  ICAP_PIXELTYPE = 0x0101,
  ICAP_UNITS = 0x0102,
  ICAP_XFERMECH = 0x0103,
  CAP_FEEDERENABLED = 0x1002,
  CAP_FEEDERLOADED = 0x1003,
  CAP_SUPPORTEDCAPS = 0x1005,
  CAP_DEVICEONLINE = 0x100F,
  CAP_DUPLEX = 0x1012,
  CAP_DUPLEXENABLED = 0x1013,
  ICAP_BRIGHTNESS = 0x1101,
  ICAP_CONTRAST = 0x1103,
  ICAP_IMAGEFILEFORMAT = 0x110C,
  ICAP_PHYSICALWIDTH = 0x1111,
  ICAP_PHYSICALHEIGHT = 0x1112,
  ICAP_XRESOLUTION = 0x1118,
  ICAP_YRESOLUTION = 0x1119,
  ICAP_SUPPORTEDSIZES = 0x1122,
  ICAP_THRESHOLD = 0x1123,
  ICAP_BITDEPTH = 0x112B,
  ICAP_AUTODISCARDBLANKPAGES = 0x1134,
  ICAP_AUTOMATICBORDERDETECTION = 0x1150,
  ICAP_AUTOMATICDESKEW = 0x1151,
};
constexpr int32_t TWTY_INVALID = -1, TWTY_INT16 = 1, TWTY_INT32 = 2, TWTY_UINT16 = 4, TWTY_BOOL = 6,
                  TWTY_FIX32 = 7;

struct CapRange {
  double min = 0, max = 0, step = 0;
};

int32_t CapItemType(int32_t cap);  // TWTY_INVALID when unsupported
bool CapValues(int32_t cap, std::vector<double>& values);
std::optional<double> CapCurrent(int32_t cap);
std::optional<CapRange> CapRangeOf(int32_t cap);
// Leaves the result and condition codes: CHECKSTATUS when the device rounded the value.
bool CapSet(int32_t cap, double value);
bool CapReset(int32_t cap);

// The picture layout in the current units.
bool SetLayout(double left, double top, double right, double bottom);
bool GetLayout(double& left, double& top, double& right, double& bottom);
bool ResetLayout();
bool SetPaper(int32_t size);

// FIX32 as TWAIN packs it: whole part in the low 16 bits, fraction in the high 16 bits.
int32_t PackFix32(double value);
double UnpackFix32(int32_t packed);

}  // namespace vxtwain
