// Session control, source selection and the plug-in's switches.
#include <algorithm>

#include "devices/scan/twain_members.h"
#include "engine/escaped_errors.h"
#include "vexiro/imaging.h"

namespace vexiro {

using namespace vx::scan;

namespace {

std::string TrimSpaces(const std::string& text) {
  const size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// The name queries open the source manager first when it is not open yet.
void OpenManagerForNames(cImaging& engine) {
  if (engine.TwainGetState() < TWAIN_SM_OPEN) Vxtwain().OpenSourceManager(0);
}

}  // namespace

bool cImaging::TwainLogStart(const std::string& sLogPath) {
  if (RefusesCutPath(sLogPath)) return false;
  return AnswerRuntimeErrors(false, [&]() -> bool { return IsOne(Vxtwain().StartLog(sLogPath.c_str())); });
}
void cImaging::TwainLogStop() {
  AnswerRuntimeErrors([&] { Vxtwain().StopLog(); });
}

bool cImaging::TwainCloseSource() {
  return AnswerRuntimeErrors(false, [&]() -> bool {
    if (!CheckTwainPlugin()) return false;
    const bool closed = IsOne(Vxtwain().CloseSource());
    TwainUnloadSourceManager();
    return closed;
  });
}

bool cImaging::TwainCloseSourceManager(int32_t hwnd) {
  return AnswerRuntimeErrors(false, [&]() -> bool {
    return CheckTwainPlugin() && IsOne(Vxtwain().CloseSourceManager(hwnd));
  });
}

void cImaging::TwainDisableAutoSourceClose(bool bDisableAutoSourceClose) {
  AnswerRuntimeErrors([&] {
    if (CheckTwainPlugin()) Vxtwain().AutoSourceClose(bDisableAutoSourceClose ? 0 : 1);
  });
}

bool cImaging::TwainDisableSource() {
  return AnswerRuntimeErrors(false, [&]() -> bool { return CheckTwainPlugin() && IsOne(Vxtwain().DisableSource()); });
}
bool cImaging::TwainEnableDuplex(bool bDuplex) {
  return AnswerRuntimeErrors(false, [&]() -> bool {
    return CheckTwainPlugin() && IsOne(Vxtwain().EnableDuplex(OneOrZero(bDuplex)));
  });
}

void cImaging::TwainSetApplicationInfo(int32_t nMajorNumVersion, int32_t nMinorNumVersion,
                                       EnumArg<TwainLanguage> nLanguageID,
                                       EnumArg<TwainCountry> nCountryID, const std::string& sVersionInfo,
                                       const std::string& sCompanyName, const std::string& sProductFamily,
                                       const std::string& sProductName) {
  AnswerRuntimeErrors([&] {
    if (!CheckTwainPlugin() || TwainGetState() >= TWAIN_SOURCE_ENABLED) return;
    Vxtwain().RegisterApp(nMajorNumVersion, nMinorNumVersion, nLanguageID, nCountryID, sVersionInfo.c_str(),
                          sCompanyName.c_str(), sProductFamily.c_str(), sProductName.c_str());
  });
}

bool cImaging::TwainUserClosedSource() {
  return AnswerRuntimeErrors(false, [&]() -> bool { return CheckTwainPlugin() && IsOne(Vxtwain().UserClosedSource()); });
}
bool cImaging::TwainLastXferFail() {
  return AnswerRuntimeErrors(false, [&]() -> bool { return CheckTwainPlugin() && IsOne(Vxtwain().XferFail()); });
}
bool cImaging::TwainEndAllXfers() {
  return AnswerRuntimeErrors(false, [&]() -> bool { return IsOne(Vxtwain().AbortAllPendingXfers()); });
}
bool cImaging::TwainEndXfer() {
  return AnswerRuntimeErrors(false, [&]() -> bool { return IsOne(Vxtwain().EndXfer()); });
}
int32_t cImaging::TwainGetState() {
  return AnswerRuntimeErrors(int32_t{0}, [&]() -> int32_t { return CheckTwainPlugin() ? Vxtwain().State() : TWAIN_ERROR; });
}
bool cImaging::TwainUnloadSourceManager() {
  return AnswerRuntimeErrors(false, [&]() -> bool { return CheckTwainPlugin() && IsOne(Vxtwain().UnloadSourceManager()); });
}

bool cImaging::TwainIsAvailable() {
  return AnswerRuntimeErrors(false, [&]() -> bool { return CheckTwainPlugin() && IsOne(Vxtwain().IsAvailable()); });
}
int32_t cImaging::TwainGetLastResultCode() {
  return AnswerRuntimeErrors(int32_t{0}, [&]() -> int32_t { return CheckTwainPlugin() ? Vxtwain().GetLastResultCode() : 0; });
}
int32_t cImaging::TwainGetLastConditionCode() {
  return AnswerRuntimeErrors(int32_t{0}, [&]() -> int32_t { return CheckTwainPlugin() ? Vxtwain().GetLastConditionCode() : 1; });
}

int32_t cImaging::TwainGetSourceCount() {
  return AnswerRuntimeErrors(int32_t{0}, [&]() -> int32_t {
    OpenManagerForNames(*this);
    int32_t count = 0;
    for (std::string name = PluginText(Vxtwain().GetFirstSourceName()); !TrimSpaces(name).empty();
         name = PluginText(Vxtwain().GetNextSourceName()))
      ++count;
    return count;
  });
}

std::string cImaging::TwainGetSourceName(int32_t nSourceNo) {
  return AnswerRuntimeErrors(std::string(), [&]() -> std::string {
    OpenManagerForNames(*this);
    std::string name = PluginText(Vxtwain().GetFirstSourceName());
    for (int32_t i = 1; i < nSourceNo; ++i) name = PluginText(Vxtwain().GetNextSourceName());
    return name;
  });
}

std::string cImaging::TwainGetDefaultSourceName() {
  return AnswerRuntimeErrors(std::string(), [&]() -> std::string {
    OpenManagerForNames(*this);
    return PluginText(Vxtwain().GetDefaultSourceName());
  });
}

std::string cImaging::TwainGetCurrentSourceName() {
  return AnswerRuntimeErrors(std::string(), [&]() -> std::string { return PluginText(Vxtwain().GetCurrentSourceName()); });
}
bool cImaging::TwainSelectSource(int32_t hwnd) {
  return AnswerRuntimeErrors(false, [&]() -> bool {
    return CheckTwainPlugin() && IsOne(Vxtwain().SelectImageSource(hwnd));
  });
}
bool cImaging::TwainOpenDefaultSource() {
  return AnswerRuntimeErrors(false, [&]() -> bool { return CheckTwainPlugin() && IsOne(Vxtwain().OpenDefaultSource()); });
}
bool cImaging::TwainOpenSource(const std::string& sSourceName) {
  return AnswerRuntimeErrors(false, [&]() -> bool {
    return CheckTwainPlugin() && IsOne(Vxtwain().OpenSource(TrimSpaces(sSourceName).c_str()));
  });
}

bool cImaging::TwainShowSetupDialogSource(int32_t hwnd) {
  return AnswerRuntimeErrors(false, [&]() -> bool {
    if (!CheckTwainPlugin()) return false;
    if (TwainGetState() < TWAIN_SOURCE_OPEN) {
      nStat = BadTwainState;
      return false;
    }
    return IsOne(Vxtwain().SourceSetup(hwnd));
  });
}

void cImaging::TwainSetDSMPath(const std::string& sDSMPath) {
  if (RefusesCutPath(sDSMPath)) return;
  AnswerRuntimeErrors([&] {
    if (CheckTwainPlugin()) Vxtwain().SetDSMPath(sDSMPath.c_str());
  });
}
void cImaging::TwainSetHideUI(bool bHide) {
  AnswerRuntimeErrors([&] { Vxtwain().SetHideUI(OneOrZero(bHide)); });
}
bool cImaging::TwainGetHideUI() {
  return AnswerRuntimeErrors(false, [&]() -> bool { return IsOne(Vxtwain().GetHideUI()); });
}
bool cImaging::TwainSetIndicators(bool bShowIndicator) {
  return AnswerRuntimeErrors(false, [&]() -> bool {
    return IsOne(Vxtwain().SetIndicators(OneOrZero(bShowIndicator)));
  });
}
void cImaging::TwainSetMultiTransfer(bool bMultiTransfer) {
  AnswerRuntimeErrors([&] { Vxtwain().SetMultiTransfer(OneOrZero(bMultiTransfer)); });
}
void cImaging::TwainSetErrorMessage(bool bShowErrors) {
  AnswerRuntimeErrors([&] { Vxtwain().SetShowError(OneOrZero(bShowErrors)); });
}
void cImaging::TwainSetDebugMode(bool bDebugMode) {
  AnswerRuntimeErrors([&] { Vxtwain().SetDebugMode(OneOrZero(bDebugMode)); });
}

}  // namespace vexiro
