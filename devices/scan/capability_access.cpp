// Reading capabilities: lists, counts, values by number, current values and ranges.
#include "devices/scan/twain_members.h"
#include "engine/escaped_errors.h"
#include "vexiro/imaging.h"

namespace vexiro {

using namespace vx::scan;

namespace {

bool IsTextCapability(int32_t cap) {
  switch (cap) {
    case 4096: case 4097: case 4100: case 4127: case 4132: case 4138: case 4139: case 4361: return true;
    default: return false;
  }
}

int32_t LoadAvailable(int32_t cap) { return Vxtwain().LoadCapValuesN(cap, 1); }

// An array with fewer elements than the list is made anew from 0; a larger one keeps its bounds.
// Only the loaded entries are asked for: the plug-in has nothing past them.
template <class T, class Read>
void FillArray(BasicArray<T>& values, int32_t count, Read read) {
  if (values.Rank() != 1 || values.size() < static_cast<size_t>(count))
    values = BasicArray<T>({ArrayBound{0, count}});
  for (int32_t i = values.LBound(1); i <= values.UBound(1); ++i) {
    values(i) = i >= 0 && i < count ? read(i) : T{};
  }
}

template <class T>
T FromPlugin(int32_t index) {
  if constexpr (std::is_same_v<T, double>) return Vxtwain().GetCapValueFromIdx(index);
  else if constexpr (std::is_same_v<T, std::string>) return PluginText(Vxtwain().GetCapValueFromIdxS(index));
  else return RoundToLong(Vxtwain().GetCapValueFromIdx(index));
}

}  // namespace

template <class T>
int32_t cImaging::TwainFillList(int32_t cap, BasicArray<T>& arValues) {
  if (!CheckTwainPlugin()) return 0;
  const int32_t count =
      std::is_same_v<T, std::string> ? Vxtwain().LoadCapValuesS(cap, 1) : Vxtwain().LoadCapValuesN(cap, 1);
  if (count > 0) FillArray(arValues, count, [](int32_t i) { return FromPlugin<T>(i); });
  return count;
}

double cImaging::TwainListEntry(int32_t cap, int32_t nNumber, double outside) {
  if (!CheckTwainPlugin()) return outside;
  const int32_t count = LoadAvailable(cap);
  if (nNumber < 1 || nNumber > count) return outside;
  return Vxtwain().GetCapValueFromIdx(nNumber - 1);
}

int32_t cImaging::TwainGetAvailableCapValuesCount(EnumArg<TwainCapabilities> nCap) {
  return AnswerRuntimeErrors(int32_t{0}, [&]() -> int32_t {
    if (!CheckTwainPlugin()) return 0;
    return IsTextCapability(nCap) ? Vxtwain().LoadCapValuesS(nCap, 1) : LoadAvailable(nCap);
  });
}
int32_t cImaging::TwainGetAvailableCapValuesNumeric(EnumArg<TwainCapabilities> nCap, BasicArray<double>& arValues) {
  return AnswerRuntimeErrors(int32_t{0}, [&]() -> int32_t {
    return TwainFillList(nCap, arValues);
  });
}
int32_t cImaging::TwainGetAvailableCapValuesString(EnumArg<TwainCapabilities> nCap, BasicArray<std::string>& arValues) {
  return AnswerRuntimeErrors(int32_t{0}, [&]() -> int32_t {
    return TwainFillList(nCap, arValues);
  });
}
double cImaging::TwainGetAvailableCapValueNoNumeric(EnumArg<TwainCapabilities> nCap, int32_t nNumber) {
  return AnswerRuntimeErrors(0.0, [&]() -> double {
    return TwainListEntry(nCap, nNumber, 0);
  });
}
std::string cImaging::TwainGetAvailableCapValueNoString(EnumArg<TwainCapabilities> nCap, int32_t nNumber) {
  return AnswerRuntimeErrors(std::string(), [&]() -> std::string {
    if (!CheckTwainPlugin()) return "";
    const int32_t count = Vxtwain().LoadCapValuesS(nCap, 1);
    if (nNumber < 1 || nNumber > count) return "";
    return PluginText(Vxtwain().GetCapValueFromIdxS(nNumber - 1));
  });
}

bool cImaging::TwainGetCapCurrentNumeric(EnumArg<TwainCapabilities> nCap, double& nCurrentValue) {
  return AnswerRuntimeErrors(false, [&]() -> bool {
    nCurrentValue = 0;
    if (!CheckTwainPlugin()) return false;
    const bool ok = Vxtwain().LoadCapValuesN(nCap, 2) >= 1;
    if (ok) nCurrentValue = Vxtwain().GetLastCapValueCurrent();
    return ok;
  });
}

bool cImaging::TwainGetCapCurrentString(EnumArg<TwainCapabilities> nCap, std::string& sCurrentValue) {
  return AnswerRuntimeErrors(false, [&]() -> bool {
    sCurrentValue.clear();
    if (!CheckTwainPlugin()) return false;
    const bool ok = Vxtwain().LoadCapValuesS(nCap, 2) >= 1;
    if (ok) sCurrentValue = PluginText(Vxtwain().GetLastCapValueCurrentS());
    return ok;
  });
}

bool cImaging::TwainGetCapRangeNumeric(EnumArg<TwainCapabilities> nCap, double& nMinValue, double& nMaxValue,
                                       double& nStepValue) {
  return AnswerRuntimeErrors(false, [&]() -> bool {
    if (!CheckTwainPlugin() || Vxtwain().LoadCapValuesRangeN(nCap) <= 0) return false;
    nStepValue = Vxtwain().GetLastStepCapValueRange();
    nMinValue = Vxtwain().GetLastMinCapValueRange();
    nMaxValue = Vxtwain().GetLastMaxCapValueRange();
    return true;
  });
}

// The eight capabilities with members of their own: list, count and value by number.
#define VX_TWAIN_LIST_MEMBERS(List, Count, No, cap, T, NoResult, outside)                       \
  int32_t cImaging::List(BasicArray<T>& arValues) { return TwainFillList(cap, arValues); }    \
  int32_t cImaging::Count() { return CheckTwainPlugin() ? LoadAvailable(cap) : 0; }          \
  NoResult cImaging::No(int32_t nNumber) {                                                    \
    const double value = TwainListEntry(cap, nNumber, outside);                               \
    if constexpr (std::is_same_v<NoResult, double>) return value;                             \
    else return RoundToLong(value);                                                           \
  }

VX_TWAIN_LIST_MEMBERS(TwainGetAvailableImageFileFormat, TwainGetAvailableImageFileFormatCount,
                      TwainGetAvailableImageFileFormatNo, ICAP_IMAGEFILEFORMAT, int32_t, int32_t, -1)
VX_TWAIN_LIST_MEMBERS(TwainGetAvailableCompression, TwainGetAvailableCompressionCount,
                      TwainGetAvailableCompressionNo, ICAP_COMPRESSION, int32_t, int32_t, -1)
VX_TWAIN_LIST_MEMBERS(TwainGetAvailableBrightness, TwainGetAvailableBrightnessCount, TwainGetAvailableBrightnessNo,
                      ICAP_BRIGHTNESS, double, double, 0)
VX_TWAIN_LIST_MEMBERS(TwainGetAvailableContrast, TwainGetAvailableContrastCount, TwainGetAvailableContrastNo,
                      ICAP_CONTRAST, double, double, 0)
VX_TWAIN_LIST_MEMBERS(TwainGetAvailableBitDepths, TwainGetAvailableBitDepthsCount, TwainGetAvailableBitDepthNo,
                      ICAP_BITDEPTH, int32_t, int32_t, 0)
VX_TWAIN_LIST_MEMBERS(TwainGetAvailablePixelTypes, TwainGetAvailablePixelTypesCount, TwainGetAvailablePixelTypeNo,
                      ICAP_PIXELTYPE, int32_t, int32_t, 0)
VX_TWAIN_LIST_MEMBERS(TwainGetAvailableXResolutions, TwainGetAvailableXResolutionsCount,
                      TwainGetAvailableXResolutionNo, ICAP_XRESOLUTION, int32_t, int32_t, 0)
VX_TWAIN_LIST_MEMBERS(TwainGetAvailableYResolutions, TwainGetAvailableYResolutionsCount,
                      TwainGetAvailableYResolutionNo, ICAP_YRESOLUTION, int32_t, int32_t, 0)
VX_TWAIN_LIST_MEMBERS(TwainGetAvailablePaperSize, TwainGetAvailablePaperSizeCount, TwainGetAvailablePaperSizeNo,
                      ICAP_SUPPORTEDSIZES, int32_t, int32_t, 0)
#undef VX_TWAIN_LIST_MEMBERS

int32_t cImaging::TwainGetAvailableBarCodeTypeCount() {
  return AnswerRuntimeErrors(int32_t{0}, [&]() -> int32_t {
    return CheckTwainPlugin() ? LoadAvailable(ICAP_SUPPORTEDBARCODETYPES) : 0;
  });
}
int32_t cImaging::TwainGetAvailableBarCodeTypeNo(int32_t nNumber) {
  return AnswerRuntimeErrors(int32_t{0}, [&]() -> int32_t {
    return RoundToLong(TwainListEntry(ICAP_SUPPORTEDBARCODETYPES, nNumber, -1));
  });
}

// Barcodes the source read, numbered from 1 here and from 0 in the plug-in.
int32_t cImaging::TwainBarCodeGetCount() {
  return AnswerRuntimeErrors(int32_t{0}, [&]() -> int32_t { return Vxtwain().BarCodeCount(); });
}
#define VX_TWAIN_BARCODE_FIELD(Member, Operation)                                                 \
  int32_t cImaging::Member(int32_t nBarCodeNo) {                                                 \
    return nBarCodeNo > 0 && nBarCodeNo <= TwainBarCodeGetCount() ? Vxtwain().Operation(nBarCodeNo - 1) : 0; \
  }
VX_TWAIN_BARCODE_FIELD(TwainBarCodeGetType, BarCodeType)
VX_TWAIN_BARCODE_FIELD(TwainBarCodeGetXPos, BarCodeX)
VX_TWAIN_BARCODE_FIELD(TwainBarCodeGetYPos, BarCodeY)
VX_TWAIN_BARCODE_FIELD(TwainBarCodeGetConfidence, BarCodeConfidence)
VX_TWAIN_BARCODE_FIELD(TwainBarCodeGetRotation, BarCodeRotation)
#undef VX_TWAIN_BARCODE_FIELD
std::string cImaging::TwainBarCodeGetValue(int32_t nBarCodeNo) {
  return AnswerRuntimeErrors(std::string(), [&]() -> std::string {
    if (nBarCodeNo < 1 || nBarCodeNo > TwainBarCodeGetCount()) return "";
    return PluginText(Vxtwain().BarCodeValue(nBarCodeNo - 1));
  });
}

}  // namespace vexiro
