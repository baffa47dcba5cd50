// A scripted stand-in for the scanning plug-in, for the tests of the engine's side: every
// operation answers what the test scripted under its name (1 when nothing was), and records its
// call with its arguments. Built several times with different versions.
#include <cmath>
#include <map>
#include <string>
#include <vector>

#include "../vxtwain.h"

#define FAKE_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

struct Script {
  std::map<std::string, double> numbers;
  std::map<std::string, std::string> texts;
  std::vector<double> list;
  std::vector<std::string> barcodes;
  std::vector<uint8_t> native;
  std::string log;
  std::string handed;
};

Script& S() {
  static Script script;
  return script;
}

double Num(const std::string& name, double fallback = 1) {
  const auto found = S().numbers.find(name);
  return found == S().numbers.end() ? fallback : found->second;
}
int32_t Int(const std::string& name, double fallback = 1) { return static_cast<int32_t>(Num(name, fallback)); }
const char* Text(const std::string& name) {
  const auto found = S().texts.find(name);
  S().handed = found == S().texts.end() ? "" : found->second;
  return S().handed.c_str();
}
void Log(const std::string& call) { S().log += call + ";"; }
std::string N(double v) {
  std::string text = std::to_string(v);
  text.erase(text.find_last_not_of('0') + 1);
  if (!text.empty() && text.back() == '.') text.pop_back();
  return text;
}

}  // namespace

// ---- Scripting, for the tests only ----
FAKE_EXPORT void VxFakeReset() { S() = Script{}; }
FAKE_EXPORT void VxFakeSet(const char* name, double value) { S().numbers[name] = value; }
FAKE_EXPORT void VxFakeSetText(const char* name, const char* text) { S().texts[name] = text; }
FAKE_EXPORT void VxFakeSetList(const double* values, int32_t count) { S().list.assign(values, values + count); }
FAKE_EXPORT void VxFakeSetNative(const uint8_t* bytes, int32_t size) { S().native.assign(bytes, bytes + size); }
FAKE_EXPORT const char* VxFakeLog() { return S().log.c_str(); }

FAKE_EXPORT const char* VxPluginVersion(void) { return FAKE_FILE_VERSION; }

#define INT_OP(name, params, call) \
  FAKE_EXPORT int32_t VXTWAIN_##name params { Log(call); return Int(#name); }
#define VOID_OP(name, params, call) \
  FAKE_EXPORT void VXTWAIN_##name params { Log(call); }
#define DOUBLE_OP(name) \
  FAKE_EXPORT double VXTWAIN_##name(void) { return Num(#name, 0); }
#define TEXT_OP(name) \
  FAKE_EXPORT const char* VXTWAIN_##name(void) { return Text(#name); }

FAKE_EXPORT int32_t VXTWAIN_GetVersion(void) { return FAKE_VERSION; }
INT_OP(State, (void), "State")
INT_OP(IsAvailable, (void), "IsAvailable")
VOID_OP(SetDSMPath, (const char* p), std::string("SetDSMPath ") + p)
INT_OP(OpenSourceManager, (int32_t h), "OpenSourceManager " + N(h))
INT_OP(CloseSourceManager, (int32_t h), "CloseSourceManager " + N(h))
INT_OP(UnloadSourceManager, (void), "UnloadSourceManager")
FAKE_EXPORT const char* VXTWAIN_GetFirstSourceName(void) {
  S().numbers["next"] = 0;
  return Text("source0");
}
FAKE_EXPORT const char* VXTWAIN_GetNextSourceName(void) {
  S().numbers["next"] += 1;
  return Text("source" + N(S().numbers["next"]));
}
TEXT_OP(GetDefaultSourceName)
TEXT_OP(GetCurrentSourceName)
INT_OP(SelectImageSource, (int32_t h), "SelectImageSource " + N(h))
INT_OP(OpenDefaultSource, (void), "OpenDefaultSource")
INT_OP(OpenSource, (const char* name), std::string("OpenSource [") + name + "]")
INT_OP(CloseSource, (void), "CloseSource")
INT_OP(DisableSource, (void), "DisableSource")
INT_OP(SourceSetup, (int32_t h), "SourceSetup " + N(h))
VOID_OP(AutoSourceClose, (int32_t on), "AutoSourceClose " + N(on))
INT_OP(EnableDuplex, (int32_t on), "EnableDuplex " + N(on))
VOID_OP(RegisterApp, (int32_t a, int32_t b, int32_t, int32_t, const char*, const char*, const char*, const char* p),
        "RegisterApp " + N(a) + " " + N(b) + " " + p)
INT_OP(AbortAllPendingXfers, (void), "AbortAllPendingXfers")
INT_OP(EndXfer, (void), "EndXfer")
INT_OP(StartLog, (const char* p), std::string("StartLog ") + p)
VOID_OP(StopLog, (void), "StopLog")
INT_OP(GetLastResultCode, (void), "GetLastResultCode")
INT_OP(GetLastConditionCode, (void), "GetLastConditionCode")
VOID_OP(SetHideUI, (int32_t v), "SetHideUI " + N(v))
INT_OP(GetHideUI, (void), "GetHideUI")
INT_OP(SetIndicators, (int32_t v), "SetIndicators " + N(v))
VOID_OP(SetMultiTransfer, (int32_t v), "SetMultiTransfer " + N(v))
VOID_OP(SetShowError, (int32_t v), "SetShowError " + N(v))
VOID_OP(SetDebugMode, (int32_t v), "SetDebugMode " + N(v))
VOID_OP(SetTransferMode, (int32_t v), "SetTransferMode " + N(v))
FAKE_EXPORT void VXTWAIN_SetFilePathTransfer(const char* path) {
  S().texts["GetFilePathTransfer"] = path;
  Log("SetFilePathTransfer");
}
TEXT_OP(GetFilePathTransfer)
FAKE_EXPORT int32_t VXTWAIN_AcquireNative(int32_t) {
  Log("AcquireNative");
  return S().native.empty() ? 0 : Int("AcquireNative", 7);
}
FAKE_EXPORT const uint8_t* VXTWAIN_NativeBytes(int32_t) { return S().native.empty() ? nullptr : S().native.data(); }
FAKE_EXPORT int32_t VXTWAIN_NativeSize(int32_t) { return static_cast<int32_t>(S().native.size()); }
VOID_OP(FreeNative, (int32_t h), "FreeNative " + N(h))
FAKE_EXPORT int32_t VXTWAIN_LastTransferMode(void) { return Int("LastTransferMode", 0); }
FAKE_EXPORT int32_t VXTWAIN_UserClosedSource(void) { return Int("UserClosedSource", 0); }
FAKE_EXPORT int32_t VXTWAIN_XferFail(void) { return Int("XferFail", 0); }
FAKE_EXPORT int32_t VXTWAIN_LastDibIsRAW(void) { return Int("LastDibIsRAW", 0); }
FAKE_EXPORT int32_t VXTWAIN_LastRAWBPP(void) { return Int("LastRAWBPP", 0); }
FAKE_EXPORT int32_t VXTWAIN_LastRAWWidth(void) { return Int("LastRAWWidth", 0); }
FAKE_EXPORT int32_t VXTWAIN_LastRAWHeight(void) { return Int("LastRAWHeight", 0); }
FAKE_EXPORT int32_t VXTWAIN_LastRAWStride(void) { return Int("LastRAWStride", 0); }
DOUBLE_OP(LastRAWResX)
DOUBLE_OP(LastRAWResY)
FAKE_EXPORT int32_t VXTWAIN_LoadCapValuesN(int32_t cap, int32_t what) {
  Log("LoadCapValuesN " + N(cap) + " " + N(what));
  return what == 2 ? Int("current", 0) : static_cast<int32_t>(S().list.size());
}
FAKE_EXPORT int32_t VXTWAIN_LoadCapValuesS(int32_t cap, int32_t what) {
  Log("LoadCapValuesS " + N(cap) + " " + N(what));
  return what == 2 ? Int("current", 0) : static_cast<int32_t>(S().list.size());
}
FAKE_EXPORT double VXTWAIN_GetCapValueFromIdx(int32_t i) {
  if (i < 0 || static_cast<size_t>(i) >= S().list.size()) {
    Log("past " + N(i));
    return 0;
  }
  return S().list[static_cast<size_t>(i)];
}
FAKE_EXPORT const char* VXTWAIN_GetCapValueFromIdxS(int32_t i) {
  if (i < 0 || static_cast<size_t>(i) >= S().list.size()) Log("past " + N(i));
  return Text("text" + N(i));
}
DOUBLE_OP(GetLastCapValueCurrent)
TEXT_OP(GetLastCapValueCurrentS)
INT_OP(LoadCapValuesRangeN, (int32_t cap), "LoadCapValuesRangeN " + N(cap))
DOUBLE_OP(GetLastMinCapValueRange)
DOUBLE_OP(GetLastMaxCapValueRange)
DOUBLE_OP(GetLastStepCapValueRange)
INT_OP(GetCapItemType, (int32_t cap), "GetCapItemType " + N(cap))
INT_OP(SetCapOneValue, (int32_t cap, int32_t type, int32_t value),
       "SetCapOneValue " + N(cap) + " " + N(type) + " " + N(value))
INT_OP(SetCapOneValueS, (int32_t cap, int32_t type, const char* v), "SetCapOneValueS " + N(cap) + " " + N(type) + " " + v)
INT_OP(Reset, (int32_t cap), "Reset " + N(cap))
FAKE_EXPORT int32_t VXTWAIN_ToFix32(double value) {
  const auto scaled = static_cast<int32_t>(std::lround(value * 65536.0));
  return static_cast<int32_t>((static_cast<uint32_t>(scaled >> 16) & 0xFFFFu) | (static_cast<uint32_t>(scaled) << 16));
}
INT_OP(GetBitDepth, (void), "GetBitDepth")
INT_OP(SetBitDepth, (int32_t v), "SetBitDepth " + N(v))
DOUBLE_OP(GetBrightness)
INT_OP(SetBrightness, (double v), "SetBrightness " + N(v))
DOUBLE_OP(GetContrast)
INT_OP(SetContrast, (double v), "SetContrast " + N(v))
INT_OP(GetPixelType, (void), "GetPixelType")
INT_OP(SetCurrentPixelType, (int32_t v), "SetCurrentPixelType " + N(v))
DOUBLE_OP(GetCurrentResolution)
INT_OP(SetCurrentResolution, (double v), "SetCurrentResolution " + N(v))
DOUBLE_OP(GetPhysicalWidth)
DOUBLE_OP(GetPhysicalHeight)
INT_OP(GetPaperSize, (void), "GetPaperSize")
INT_OP(SetPaperSize, (int32_t v), "SetPaperSize " + N(v))
INT_OP(SetImageLayout, (double l, double t, double r, double b),
       "SetImageLayout " + N(l) + " " + N(t) + " " + N(r) + " " + N(b))
INT_OP(GetImageLayout, (double*, double*, double*, double*), "GetImageLayout")
INT_OP(ResetImageLayout, (void), "ResetImageLayout")
INT_OP(NegotiateXferCount, (int32_t v), "NegotiateXferCount " + N(v))
INT_OP(GetDuplexMode, (void), "GetDuplexMode")
INT_OP(AutomaticBorderDetection, (int32_t v), "AutomaticBorderDetection " + N(v))
INT_OP(AutomaticDeskew, (int32_t v), "AutomaticDeskew " + N(v))
INT_OP(AutomaticRotate, (int32_t v), "AutomaticRotate " + N(v))
INT_OP(SetAutoScan, (int32_t v), "SetAutoScan " + N(v))
INT_OP(SetAutoFeed, (int32_t v), "SetAutoFeed " + N(v))
INT_OP(SetAutoBright, (int32_t v), "SetAutoBright " + N(v))
FAKE_EXPORT int32_t VXTWAIN_BarCodeCount(void) { return Int("BarCodeCount", 0); }
FAKE_EXPORT const char* VXTWAIN_BarCodeValue(int32_t i) { return Text("barcode" + N(i)); }
INT_OP(BarCodeType, (int32_t i), "BarCodeType " + N(i))
INT_OP(BarCodeX, (int32_t i), "BarCodeX " + N(i))
INT_OP(BarCodeY, (int32_t i), "BarCodeY " + N(i))
INT_OP(BarCodeConfidence, (int32_t i), "BarCodeConfidence " + N(i))
INT_OP(BarCodeRotation, (int32_t i), "BarCodeRotation " + N(i))
INT_OP(EnableDirectTransfer, (int32_t on), "EnableDirectTransfer " + N(on))
