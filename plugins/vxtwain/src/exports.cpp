// The exported operations: thin steps over the session, the capabilities and the transfer.
#include <cmath>
#include <cstdio>
#include <string>

#include "../vxtwain.h"
#include "capabilities.h"
#include "session.h"

using namespace vxtwain;

namespace {

Session& S() { return Session::Instance(); }
int32_t Flag(bool ok) { return ok ? 1 : 0; }
std::string TextOf(const char* text) { return text == nullptr ? std::string() : std::string(text); }

constexpr int32_t kVersion = 630;
constexpr int32_t TWPT_BW = 0, TWPT_GRAY = 1, TWPT_RGB = 2;

// A log of the session's steps, when the host asked for one.
FILE* g_log = nullptr;

// The list last loaded and the entry the host asks for; 0 or "" past its end.
double NumberAt(int32_t index) {
  if (index < 0 || static_cast<size_t>(index) >= S().numbers.size()) return 0;
  return S().numbers[static_cast<size_t>(index)];
}

double CurrentOr(int32_t cap, double fallback) { return CapCurrent(cap).value_or(fallback); }

}  // namespace

extern "C" {

const char* VxPluginVersion(void) { return "6.3.0.0"; }

int32_t VXTWAIN_GetVersion(void) { return kVersion; }
int32_t VXTWAIN_State(void) { return S().state; }
int32_t VXTWAIN_IsAvailable(void) { return Flag(S().LoadManager()); }
void VXTWAIN_SetDSMPath(const char* path) {
  if (S().state <= kManagerLoaded) {
    S().dsmPath = TextOf(path);
    S().state = kPreSession;
  }
}
int32_t VXTWAIN_OpenSourceManager(int32_t) { return Flag(S().OpenManager()); }
int32_t VXTWAIN_CloseSourceManager(int32_t) { return Flag(S().CloseManager()); }
int32_t VXTWAIN_UnloadSourceManager(void) { return Flag(S().UnloadManager()); }

const char* VXTWAIN_GetFirstSourceName(void) {
  S().nextName = 0;
  return VXTWAIN_GetNextSourceName();
}
const char* VXTWAIN_GetNextSourceName(void) {
  const std::vector<std::string>& names = S().DeviceNames();
  if (S().nextName >= names.size()) return S().Hand("");
  return S().Hand(names[S().nextName++]);
}
const char* VXTWAIN_GetDefaultSourceName(void) {
  if (!S().OpenManager() || S().DeviceNames().empty()) return S().Hand("");
  const std::string preferred = TextOf(std::getenv("SANE_DEFAULT_DEVICE"));
  for (const std::string& name : S().DeviceNames())
    if (name == preferred) return S().Hand(name);
  return S().Hand(S().DeviceNames().front());
}
const char* VXTWAIN_GetCurrentSourceName(void) { return S().Hand(S().CurrentSource()); }
// No dialog can be shown here: a host picks by name.
int32_t VXTWAIN_SelectImageSource(int32_t) { return Flag(S().Fail(TWCC_BUMMER)); }
int32_t VXTWAIN_OpenDefaultSource(void) { return Flag(S().OpenDefaultSource()); }
int32_t VXTWAIN_OpenSource(const char* name) { return Flag(S().OpenSource(TextOf(name))); }
int32_t VXTWAIN_CloseSource(void) { return Flag(S().CloseSource()); }
int32_t VXTWAIN_DisableSource(void) {
  if (S().state < kSourceEnabled) return Flag(S().Fail(TWCC_SEQERROR));
  if (S().state > kSourceEnabled) S().Api().cancel(S().Device());
  S().state = kSourceOpen;
  return Flag(S().Succeed());
}
int32_t VXTWAIN_SourceSetup(int32_t) { return Flag(S().Fail(TWCC_CAPUNSUPPORTED)); }
void VXTWAIN_AutoSourceClose(int32_t on) { S().autoSourceClose = on != 0; }
int32_t VXTWAIN_EnableDuplex(int32_t on) { return Flag(CapSet(CAP_DUPLEXENABLED, on != 0 ? 1 : 0)); }
void VXTWAIN_RegisterApp(int32_t, int32_t, int32_t, int32_t, const char*, const char*, const char*, const char*) {}
int32_t VXTWAIN_AbortAllPendingXfers(void) {
  if (S().state < kSourceOpen) return Flag(S().Fail(TWCC_SEQERROR));
  if (S().state > kSourceOpen) S().Api().cancel(S().Device());
  S().state = kSourceOpen;
  return Flag(S().Succeed());
}
int32_t VXTWAIN_EndXfer(void) { return VXTWAIN_AbortAllPendingXfers(); }
int32_t VXTWAIN_StartLog(const char* path) {
  VXTWAIN_StopLog();
  g_log = std::fopen(TextOf(path).c_str(), "a");
  if (g_log != nullptr) std::fprintf(g_log, "log started, state %d\n", S().state);
  return Flag(g_log != nullptr);
}
void VXTWAIN_StopLog(void) {
  if (g_log != nullptr) std::fclose(g_log);
  g_log = nullptr;
}
int32_t VXTWAIN_GetLastResultCode(void) { return S().resultCode; }
int32_t VXTWAIN_GetLastConditionCode(void) { return S().conditionCode; }
void VXTWAIN_SetHideUI(int32_t hide) { S().hideUI = hide != 0; }
int32_t VXTWAIN_GetHideUI(void) { return Flag(S().hideUI); }
int32_t VXTWAIN_SetIndicators(int32_t on) {
  S().indicators = on != 0;
  return 1;
}
void VXTWAIN_SetMultiTransfer(int32_t) {}
void VXTWAIN_SetShowError(int32_t) {}
void VXTWAIN_SetDebugMode(int32_t) {}

void VXTWAIN_SetTransferMode(int32_t mode) {
  if (mode == 0 || mode == 1) S().transferMode = mode;
}
void VXTWAIN_SetFilePathTransfer(const char* path) { S().transferPath = TextOf(path); }
const char* VXTWAIN_GetFilePathTransfer(void) { return S().Hand(S().transferPath); }
int32_t VXTWAIN_AcquireNative(int32_t) { return S().AcquireNative(); }
const uint8_t* VXTWAIN_NativeBytes(int32_t handle) {
  const auto found = S().natives.find(handle);
  return found == S().natives.end() ? nullptr : found->second.data();
}
int32_t VXTWAIN_NativeSize(int32_t handle) {
  const auto found = S().natives.find(handle);
  return found == S().natives.end() ? 0 : static_cast<int32_t>(found->second.size());
}
void VXTWAIN_FreeNative(int32_t handle) { S().natives.erase(handle); }
int32_t VXTWAIN_LastTransferMode(void) { return S().lastTransferMode; }
int32_t VXTWAIN_UserClosedSource(void) { return Flag(S().userClosed); }
int32_t VXTWAIN_XferFail(void) { return Flag(S().transferFailed); }
int32_t VXTWAIN_LastDibIsRAW(void) { return Flag(S().lastRaw); }
int32_t VXTWAIN_LastRAWBPP(void) { return S().lastRawPicture.bitsPerPixel; }
int32_t VXTWAIN_LastRAWWidth(void) { return S().lastRawPicture.width; }
int32_t VXTWAIN_LastRAWHeight(void) { return S().lastRawPicture.height; }
int32_t VXTWAIN_LastRAWStride(void) { return S().lastRawPicture.stride; }
double VXTWAIN_LastRAWResX(void) { return S().lastRawPicture.dpiX; }
double VXTWAIN_LastRAWResY(void) { return S().lastRawPicture.dpiY; }

int32_t VXTWAIN_LoadCapValuesN(int32_t cap, int32_t what) {
  S().numbers.clear();
  if (what == 2) {
    const std::optional<double> value = CapCurrent(cap);
    if (!value) return 0;
    S().current = *value;
    S().numbers.push_back(*value);
    return 1;
  }
  if (what != 1 || !CapValues(cap, S().numbers)) return 0;
  return static_cast<int32_t>(S().numbers.size());
}
// No capability here has text values.
int32_t VXTWAIN_LoadCapValuesS(int32_t, int32_t) {
  S().texts.clear();
  S().currentText.clear();
  S().Fail(TWCC_CAPUNSUPPORTED);
  return 0;
}
double VXTWAIN_GetCapValueFromIdx(int32_t index) { return NumberAt(index); }
const char* VXTWAIN_GetCapValueFromIdxS(int32_t index) {
  if (index < 0 || static_cast<size_t>(index) >= S().texts.size()) return S().Hand("");
  return S().Hand(S().texts[static_cast<size_t>(index)]);
}
double VXTWAIN_GetLastCapValueCurrent(void) { return S().current; }
const char* VXTWAIN_GetLastCapValueCurrentS(void) { return S().Hand(S().currentText); }
int32_t VXTWAIN_LoadCapValuesRangeN(int32_t cap) {
  const std::optional<CapRange> range = CapRangeOf(cap);
  if (!range) return 0;
  S().rangeMin = range->min;
  S().rangeMax = range->max;
  S().rangeStep = range->step;
  return 1;
}
double VXTWAIN_GetLastMinCapValueRange(void) { return S().rangeMin; }
double VXTWAIN_GetLastMaxCapValueRange(void) { return S().rangeMax; }
double VXTWAIN_GetLastStepCapValueRange(void) { return S().rangeStep; }
int32_t VXTWAIN_GetCapItemType(int32_t cap) { return CapItemType(cap); }
int32_t VXTWAIN_SetCapOneValue(int32_t cap, int32_t itemType, int32_t value) {
  const double v = itemType == TWTY_FIX32 ? UnpackFix32(value) : static_cast<double>(value);
  return Flag(CapSet(cap, v));
}
int32_t VXTWAIN_SetCapOneValueS(int32_t, int32_t, const char*) { return Flag(S().Fail(TWCC_CAPUNSUPPORTED)); }
int32_t VXTWAIN_Reset(int32_t cap) { return Flag(CapReset(cap)); }
int32_t VXTWAIN_ToFix32(double value) { return PackFix32(value); }

int32_t VXTWAIN_GetBitDepth(void) { return static_cast<int32_t>(CurrentOr(ICAP_BITDEPTH, 0)); }
int32_t VXTWAIN_SetBitDepth(int32_t depth) { return Flag(CapSet(ICAP_BITDEPTH, depth)); }
double VXTWAIN_GetBrightness(void) { return CurrentOr(ICAP_BRIGHTNESS, 0); }
int32_t VXTWAIN_SetBrightness(double value) { return Flag(CapSet(ICAP_BRIGHTNESS, value)); }
double VXTWAIN_GetContrast(void) { return CurrentOr(ICAP_CONTRAST, 0); }
int32_t VXTWAIN_SetContrast(double value) { return Flag(CapSet(ICAP_CONTRAST, value)); }
int32_t VXTWAIN_GetPixelType(void) { return static_cast<int32_t>(CurrentOr(ICAP_PIXELTYPE, -1)); }
int32_t VXTWAIN_SetCurrentPixelType(int32_t type) {
  if (type != TWPT_BW && type != TWPT_GRAY && type != TWPT_RGB) return Flag(S().Fail(TWCC_BADVALUE));
  return Flag(CapSet(ICAP_PIXELTYPE, type));
}
double VXTWAIN_GetCurrentResolution(void) { return CurrentOr(ICAP_XRESOLUTION, 0); }
int32_t VXTWAIN_SetCurrentResolution(double dpi) {
  // One resolution for both directions; a device with one option takes it once.
  if (!(dpi > 0) || !CapSet(ICAP_XRESOLUTION, dpi)) return 0;
  const bool inexact = S().resultCode == TWRC_CHECKSTATUS;
  if (!CapSet(ICAP_YRESOLUTION, dpi)) return 0;
  if (inexact) S().Succeed(true);
  return 1;
}
double VXTWAIN_GetPhysicalWidth(void) { return CurrentOr(ICAP_PHYSICALWIDTH, 0); }
double VXTWAIN_GetPhysicalHeight(void) { return CurrentOr(ICAP_PHYSICALHEIGHT, 0); }
int32_t VXTWAIN_GetPaperSize(void) { return S().paperSize; }
int32_t VXTWAIN_SetPaperSize(int32_t size) { return Flag(SetPaper(size)); }
int32_t VXTWAIN_SetImageLayout(double left, double top, double right, double bottom) {
  return Flag(SetLayout(left, top, right, bottom));
}
int32_t VXTWAIN_GetImageLayout(double* left, double* top, double* right, double* bottom) {
  double l = 0, t = 0, r = 0, b = 0;
  if (left == nullptr || top == nullptr || right == nullptr || bottom == nullptr || !GetLayout(l, t, r, b)) return 0;
  *left = l;
  *top = t;
  *right = r;
  *bottom = b;
  return 1;
}
int32_t VXTWAIN_ResetImageLayout(void) { return Flag(ResetLayout()); }
int32_t VXTWAIN_NegotiateXferCount(int32_t count) { return Flag(CapSet(CAP_XFERCOUNT, count)); }
int32_t VXTWAIN_GetDuplexMode(void) { return static_cast<int32_t>(CurrentOr(CAP_DUPLEX, 0)); }
int32_t VXTWAIN_AutomaticBorderDetection(int32_t on) { return Flag(CapSet(ICAP_AUTOMATICBORDERDETECTION, on != 0)); }
int32_t VXTWAIN_AutomaticDeskew(int32_t on) { return Flag(CapSet(ICAP_AUTOMATICDESKEW, on != 0)); }
// SANE offers no rotation, automatic scanning, feeding or brightness of its own.
int32_t VXTWAIN_AutomaticRotate(int32_t) { return Flag(S().Fail(TWCC_CAPUNSUPPORTED)); }
int32_t VXTWAIN_SetAutoScan(int32_t) { return Flag(S().Fail(TWCC_CAPUNSUPPORTED)); }
int32_t VXTWAIN_SetAutoFeed(int32_t) { return Flag(S().Fail(TWCC_CAPUNSUPPORTED)); }
int32_t VXTWAIN_SetAutoBright(int32_t) { return Flag(S().Fail(TWCC_CAPUNSUPPORTED)); }
// Sources here recognise no barcodes.
int32_t VXTWAIN_BarCodeCount(void) { return 0; }
const char* VXTWAIN_BarCodeValue(int32_t) { return S().Hand(""); }
int32_t VXTWAIN_BarCodeType(int32_t) { return 0; }
int32_t VXTWAIN_BarCodeX(int32_t) { return 0; }
int32_t VXTWAIN_BarCodeY(int32_t) { return 0; }
int32_t VXTWAIN_BarCodeConfidence(int32_t) { return 0; }
int32_t VXTWAIN_BarCodeRotation(int32_t) { return 0; }

// A SANE backend already hands every frame straight to the plug-in's own block, with no copy
// through the source's interface to leave out: the request is granted as things stand.
int32_t VXTWAIN_EnableDirectTransfer(int32_t) { return 1; }

}  // extern "C"
