// Setting capabilities, the image settings, the feeder and the automatic features.
#include "devices/scan/twain_members.h"
#include "engine/escaped_errors.h"
#include "vexiro/imaging.h"

namespace vexiro {

using namespace vx::scan;

namespace {

constexpr int32_t kFix32Limit = 32767;

bool IsExactlyOne(double v) { return v == 1.0; }
bool AboveMinusTwo(double v) { return v > -2; }
bool AboveZero(double v) { return v > 0; }

}  // namespace

bool cImaging::TwainSetCapCurrentNumeric(EnumArg<TwainCapabilities> nCap, EnumArg<TwainItemTypes> nItemType,
                                         int32_t nNewValue) {
  return AnswerRuntimeErrors(false, [&]() -> bool {
    if (!CheckTwainPlugin()) return false;
    int32_t value = nNewValue;
    if (nItemType == TWTY_FIX32) {
      // FIX32 holds a 16-bit whole part: a larger value cannot be sent.
      if (nNewValue > kFix32Limit || nNewValue < -kFix32Limit - 1) return false;
      value = Vxtwain().ToFix32(static_cast<double>(nNewValue));
    }
    return Vxtwain().SetCapOneValue(nCap, nItemType, value) != 0;
  });
}

bool cImaging::TwainSetCapCurrentString(EnumArg<TwainCapabilities> nCap, EnumArg<TwainItemTypes> nItemType,
                                        const std::string& sNewValue) {
  return AnswerRuntimeErrors(false, [&]() -> bool {
    return CheckTwainPlugin() && Vxtwain().SetCapOneValueS(nCap, nItemType, sNewValue.c_str()) != 0;
  });
}
bool cImaging::TwainResetCap(EnumArg<TwainCapabilities> nCap) {
  return AnswerRuntimeErrors(false, [&]() -> bool {
    return CheckTwainPlugin() && Vxtwain().Reset(nCap) != 0;
  });
}
int32_t cImaging::TwainGetCapItemType(EnumArg<TwainCapabilities> nCap) {
  return AnswerRuntimeErrors(int32_t{0}, [&]() -> int32_t {
    return CheckTwainPlugin() ? Vxtwain().GetCapItemType(nCap) : -1;
  });
}

int32_t cImaging::TwainReadRounded(int32_t cap, int32_t fallback) {
  double value = 0;
  return TwainGetCapCurrentNumeric(cap, value) ? RoundToLong(value) : fallback;
}
bool cImaging::TwainSetByType(int32_t cap, int32_t value) {
  return TwainSetCapCurrentNumeric(cap, TwainGetCapItemType(cap), value);
}
bool cImaging::TwainCurrentIs(int32_t cap, bool (*test)(double)) {
  if (!CheckTwainPlugin()) return false;
  double value = 0;
  return TwainGetCapCurrentNumeric(cap, value) && test(value);
}

// Gated getters ask the plug-in in every state and answer only from an open source on.
int32_t cImaging::TwainGetCurrentBitDepth() {
  return AnswerRuntimeErrors(int32_t{0}, [&]() -> int32_t {
    const int32_t state = TwainGetState();
    const int32_t depth = Vxtwain().GetBitDepth();
    return state >= TWAIN_SOURCE_OPEN ? depth : 0;
  });
}
bool cImaging::TwainSetCurrentBitDepth(int32_t nBitDepth) {
  return AnswerRuntimeErrors(false, [&]() -> bool { return IsOne(Vxtwain().SetBitDepth(nBitDepth)); });
}
int32_t cImaging::TwainGetCurrentThreshold() {
  return AnswerRuntimeErrors(int32_t{0}, [&]() -> int32_t { return TwainReadRounded(ICAP_THRESHOLD, -1); });
}
bool cImaging::TwainSetCurrentThreshold(int32_t nThreshold) {
  return AnswerRuntimeErrors(false, [&]() -> bool { return TwainSetByType(ICAP_THRESHOLD, nThreshold); });
}
int32_t cImaging::TwainGetCurrentPlanarChunky() {
  return AnswerRuntimeErrors(int32_t{0}, [&]() -> int32_t { return TwainReadRounded(ICAP_PLANARCHUNKY, -1); });
}
bool cImaging::TwainSetCurrentPlanarChunky(int32_t nPlanarChunky) {
  return AnswerRuntimeErrors(false, [&]() -> bool {
    return TwainSetByType(ICAP_PLANARCHUNKY, nPlanarChunky);
  });
}
int32_t cImaging::TwainGetCurrentPixelFlavor() {
  return AnswerRuntimeErrors(int32_t{0}, [&]() -> int32_t { return TwainReadRounded(ICAP_PIXELFLAVOR, -1); });
}
bool cImaging::TwainSetCurrentPixelFlavor(int32_t nPixelFlavor) {
  return AnswerRuntimeErrors(false, [&]() -> bool {
    return TwainSetByType(ICAP_PIXELFLAVOR, nPixelFlavor);
  });
}
int32_t cImaging::TwainGetCurrentBrightness() {
  return AnswerRuntimeErrors(int32_t{0}, [&]() -> int32_t {
    const int32_t state = TwainGetState();
    const double value = Vxtwain().GetBrightness();
    return state >= TWAIN_SOURCE_OPEN ? RoundToLong(value) : -99999;
  });
}
bool cImaging::TwainSetCurrentBrightness(int32_t nBrightnessValue) {
  return AnswerRuntimeErrors(false, [&]() -> bool {
    if (IsOne(Vxtwain().SetBrightness(nBrightnessValue))) return true;
    return TwainSetByType(ICAP_BRIGHTNESS, nBrightnessValue);
  });
}
int32_t cImaging::TwainGetCurrentContrast() {
  return AnswerRuntimeErrors(int32_t{0}, [&]() -> int32_t {
    const int32_t state = TwainGetState();
    const double value = Vxtwain().GetContrast();
    return state >= TWAIN_SOURCE_OPEN ? RoundToLong(value) : -99999;
  });
}
bool cImaging::TwainSetCurrentContrast(int32_t nContrastValue) {
  return AnswerRuntimeErrors(false, [&]() -> bool {
    if (IsOne(Vxtwain().SetContrast(nContrastValue))) return true;
    return TwainSetByType(ICAP_CONTRAST, nContrastValue);
  });
}
int32_t cImaging::TwainGetCurrentPixelType() {
  return AnswerRuntimeErrors(int32_t{0}, [&]() -> int32_t {
    const int32_t state = TwainGetState();
    const int32_t type = Vxtwain().GetPixelType();
    return state >= TWAIN_SOURCE_OPEN ? type : -1;
  });
}
bool cImaging::TwainSetCurrentPixelType(EnumArg<TwainPixelType> nPixelType) {
  return AnswerRuntimeErrors(false, [&]() -> bool {
    return IsOne(Vxtwain().SetCurrentPixelType(nPixelType));
  });
}
int32_t cImaging::TwainGetCurrentResolution() {
  return AnswerRuntimeErrors(int32_t{0}, [&]() -> int32_t {
    const int32_t state = TwainGetState();
    const int32_t dpi = RoundToLong(Vxtwain().GetCurrentResolution());
    return state >= TWAIN_SOURCE_OPEN ? dpi : -1;
  });
}
bool cImaging::TwainSetCurrentResolution(int32_t nResolution) {
  return AnswerRuntimeErrors(false, [&]() -> bool {
    return IsOne(Vxtwain().SetCurrentResolution(static_cast<double>(nResolution)));
  });
}
double cImaging::TwainGetPhysicalWidth() {
  return AnswerRuntimeErrors(0.0, [&]() -> double {
    const int32_t state = TwainGetState();
    const double width = Vxtwain().GetPhysicalWidth();
    return state >= TWAIN_SOURCE_OPEN ? width : -1;
  });
}
double cImaging::TwainGetPhysicalHeight() {
  return AnswerRuntimeErrors(0.0, [&]() -> double {
    const int32_t state = TwainGetState();
    const double height = Vxtwain().GetPhysicalHeight();
    return state >= TWAIN_SOURCE_OPEN ? height : -1;
  });
}
int32_t cImaging::TwainGetPaperSize() {
  return AnswerRuntimeErrors(int32_t{0}, [&]() -> int32_t { return Vxtwain().GetPaperSize(); });
}
bool cImaging::TwainSetPaperSize(EnumArg<TwainPaperSize> nSize) {
  return AnswerRuntimeErrors(false, [&]() -> bool { return IsOne(Vxtwain().SetPaperSize(nSize)); });
}

bool cImaging::TwainIsPixelTypeAvailable(EnumArg<TwainPixelType> nPixelType) {
  return AnswerRuntimeErrors(false, [&]() -> bool {
    if (!CheckTwainPlugin()) return false;
    const int32_t count = Vxtwain().LoadCapValuesN(ICAP_PIXELTYPE, 1);
    bool found = false;
    for (int32_t i = 0; i < count; ++i) found = RoundToLong(Vxtwain().GetCapValueFromIdx(i)) == nPixelType || found;
    return found;
  });
}
bool cImaging::TwainIsFileTransferModeAvailable() {
  return AnswerRuntimeErrors(false, [&]() -> bool {
    if (!CheckTwainPlugin()) return false;
    const int32_t count = Vxtwain().LoadCapValuesN(ICAP_XFERMECH, 1);
    bool found = false;
    for (int32_t i = 0; i < count; ++i) found = RoundToLong(Vxtwain().GetCapValueFromIdx(i)) == 1 || found;
    return found;
  });
}

bool cImaging::TwainSetImageLayout(double nLeft, double nTop, double nRight, double nBottom) {
  return AnswerRuntimeErrors(false, [&]() -> bool {
    TwainSetPaperSize(0);
    return IsOne(Vxtwain().SetImageLayout(nLeft, nTop, nRight, nBottom));
  });
}
bool cImaging::TwainGetImageLayout(double& nLeft, double& nTop, double& nRight, double& nBottom) {
  return AnswerRuntimeErrors(false, [&]() -> bool {
    return IsOne(Vxtwain().GetImageLayout(&nLeft, &nTop, &nRight, &nBottom));
  });
}
bool cImaging::TwainResetImageLayout() {
  return AnswerRuntimeErrors(false, [&]() -> bool { return IsOne(Vxtwain().ResetImageLayout()); });
}
bool cImaging::TwainSetXferCount(int32_t nXfers) {
  return AnswerRuntimeErrors(false, [&]() -> bool { return IsOne(Vxtwain().NegotiateXferCount(nXfers)); });
}

bool cImaging::TwainSetCurrentImageFileFormat(EnumArg<TwainImageFileFormats> nImageFileFormat) {
  return AnswerRuntimeErrors(false, [&]() -> bool {
    return TwainSetByType(ICAP_IMAGEFILEFORMAT, nImageFileFormat);
  });
}
int32_t cImaging::TwainGetCurrentImageFileFormat() {
  return AnswerRuntimeErrors(int32_t{0}, [&]() -> int32_t { return TwainReadRounded(ICAP_IMAGEFILEFORMAT, -1); });
}
bool cImaging::TwainSetCurrentCompression(EnumArg<TwainCompression> nCompression) {
  return AnswerRuntimeErrors(false, [&]() -> bool {
    return TwainSetByType(ICAP_COMPRESSION, nCompression);
  });
}
int32_t cImaging::TwainGetCurrentCompression() {
  return AnswerRuntimeErrors(int32_t{0}, [&]() -> int32_t { return TwainReadRounded(ICAP_COMPRESSION, -1); });
}

// ---- Feeder and device ----

// Switches the feeder to `probe` and back: whether the source takes that setting.
bool cImaging::TwainProbeFeeder(int32_t probe, bool unreadable) {
  if (!CheckTwainPlugin()) return false;
  double before = 0;
  if (!TwainGetCapCurrentNumeric(CAP_FEEDERENABLED, before)) return unreadable;
  const bool accepted = TwainSetByType(CAP_FEEDERENABLED, probe);
  TwainSetByType(CAP_FEEDERENABLED, RoundToLong(before));
  return accepted;
}
bool cImaging::TwainHasFeeder() {
  return AnswerRuntimeErrors(false, [&]() -> bool { return TwainProbeFeeder(1, false); });
}
bool cImaging::TwainHasFlatBed() {
  return AnswerRuntimeErrors(false, [&]() -> bool { return TwainProbeFeeder(0, true); });
}
bool cImaging::TwainIsFeederSelected() {
  return AnswerRuntimeErrors(false, [&]() -> bool { return TwainCurrentIs(CAP_FEEDERENABLED, IsExactlyOne); });
}
bool cImaging::TwainSelectFeeder(bool bSelectFeeder) {
  return AnswerRuntimeErrors(false, [&]() -> bool {
    return CheckTwainPlugin() && TwainSetByType(CAP_FEEDERENABLED, OneOrZero(bSelectFeeder));
  });
}
bool cImaging::TwainIsFeederLoaded() {
  return AnswerRuntimeErrors(false, [&]() -> bool { return TwainCurrentIs(CAP_FEEDERLOADED, IsExactlyOne); });
}
bool cImaging::TwainIsDeviceOnline() {
  return AnswerRuntimeErrors(false, [&]() -> bool { return TwainCurrentIs(CAP_DEVICEONLINE, IsExactlyOne); });
}
bool cImaging::TwainIsDuplexEnabled() {
  return AnswerRuntimeErrors(false, [&]() -> bool { return TwainCurrentIs(CAP_DUPLEXENABLED, IsExactlyOne); });
}
int32_t cImaging::TwainGetDuplexMode() {
  return AnswerRuntimeErrors(int32_t{0}, [&]() -> int32_t { return CheckTwainPlugin() ? Vxtwain().GetDuplexMode() : 0; });
}
bool cImaging::TwainHasCameraPreviewUI() {
  return AnswerRuntimeErrors(false, [&]() -> bool {
    double value = 0;
    TwainGetCapCurrentNumeric(CAP_CAMERAPREVIEWUI, value);
    return value == 1.0;
  });
}
bool cImaging::TwainIsAutoFeedOn() {
  return AnswerRuntimeErrors(false, [&]() -> bool { return TwainIsAutoFeedEnabled(); });
}

// ---- Automatic features: whether readable, whether on, and the switch ----

#define VX_TWAIN_FEATURE_QUERIES(Available, Enabled, cap, test)                       \
  bool cImaging::Available() {                                                        \
    if (!CheckTwainPlugin()) return false;                                            \
    double value = 0;                                                                 \
    return TwainGetCapCurrentNumeric(cap, value);                                     \
  }                                                                                   \
  bool cImaging::Enabled() { return TwainCurrentIs(cap, test); }

VX_TWAIN_FEATURE_QUERIES(TwainIsAutomaticBorderDetectionAvailable, TwainIsAutomaticBorderDetectionEnabled,
                         ICAP_AUTOMATICBORDERDETECTION, IsExactlyOne)
VX_TWAIN_FEATURE_QUERIES(TwainIsBarcodeDetectionAvailable, TwainIsBarcodeDetectionEnabled,
                         ICAP_BARCODEDETECTIONENABLED, IsExactlyOne)
VX_TWAIN_FEATURE_QUERIES(TwainIsAutomaticDeskewAvailable, TwainIsAutomaticDeskewEnabled, ICAP_AUTOMATICDESKEW,
                         IsExactlyOne)
VX_TWAIN_FEATURE_QUERIES(TwainIsAutomaticDiscardBlankPagesAvailable, TwainIsAutomaticDiscardBlankPagesEnabled,
                         ICAP_AUTODISCARDBLANKPAGES, AboveMinusTwo)
VX_TWAIN_FEATURE_QUERIES(TwainIsAutomaticRotationAvailable, TwainIsAutomaticRotationEnabled, ICAP_AUTOMATICROTATE,
                         IsExactlyOne)
VX_TWAIN_FEATURE_QUERIES(TwainIsAutoScanAvailable, TwainIsAutoScanEnabled, CAP_AUTOSCAN, IsExactlyOne)
VX_TWAIN_FEATURE_QUERIES(TwainIsAutoFeedAvailable, TwainIsAutoFeedEnabled, CAP_AUTOFEED, IsExactlyOne)
VX_TWAIN_FEATURE_QUERIES(TwainIsAutoSizeAvailable, TwainIsAutoSizeEnabled, ICAP_AUTOSIZE, AboveZero)
VX_TWAIN_FEATURE_QUERIES(TwainIsAutoBrightnessAvailable, TwainIsAutoBrightnessEnabled, ICAP_AUTOBRIGHT,
                         IsExactlyOne)
#undef VX_TWAIN_FEATURE_QUERIES

bool cImaging::TwainSetAutomaticBorderDetection(bool bAutoBorderDetect) {
  return AnswerRuntimeErrors(false, [&]() -> bool {
    return CheckTwainPlugin() && IsOne(Vxtwain().AutomaticBorderDetection(OneOrZero(bAutoBorderDetect)));
  });
}
bool cImaging::TwainSetBarcodeDetection(bool bBarcodeDetection) {
  return AnswerRuntimeErrors(false, [&]() -> bool {
    return CheckTwainPlugin() && TwainSetByType(ICAP_BARCODEDETECTIONENABLED, OneOrZero(bBarcodeDetection));
  });
}
bool cImaging::TwainSetAutomaticDeskew(bool bAutoDeskew) {
  return AnswerRuntimeErrors(false, [&]() -> bool {
    return CheckTwainPlugin() && IsOne(Vxtwain().AutomaticDeskew(OneOrZero(bAutoDeskew)));
  });
}
bool cImaging::TwainSetAutomaticDiscardBlankPages(bool bAutoDiscard) {
  return AnswerRuntimeErrors(false, [&]() -> bool {
    return TwainSetByType(ICAP_AUTODISCARDBLANKPAGES, bAutoDiscard ? -1 : -2);
  });
}
bool cImaging::TwainSetAutomaticRotation(bool bAutoRotate) {
  return AnswerRuntimeErrors(false, [&]() -> bool {
    return IsOne(Vxtwain().AutomaticRotate(OneOrZero(bAutoRotate)));
  });
}
bool cImaging::TwainSetAutoScan(bool bAutoScan) {
  return AnswerRuntimeErrors(false, [&]() -> bool { return IsOne(Vxtwain().SetAutoScan(OneOrZero(bAutoScan))); });
}
bool cImaging::TwainSetAutoFeed(bool bAutoFeed) {
  return AnswerRuntimeErrors(false, [&]() -> bool {
    return CheckTwainPlugin() && IsOne(Vxtwain().SetAutoFeed(OneOrZero(bAutoFeed)));
  });
}
bool cImaging::TwainSetAutoSize(bool bAutoSize) {
  return AnswerRuntimeErrors(false, [&]() -> bool { return TwainSetByType(ICAP_AUTOSIZE, OneOrZero(bAutoSize)); });
}
bool cImaging::TwainSetAutoBrightness(bool bAutoBrightness) {
  return AnswerRuntimeErrors(false, [&]() -> bool {
    // The flag goes as the language's Boolean widened: true is -1.
    return CheckTwainPlugin() && IsOne(Vxtwain().SetAutoBright(bAutoBrightness ? -1 : 0));
  });
}

}  // namespace vexiro
