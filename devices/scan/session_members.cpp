// Session control, source selection and the plug-in's switches.
#include <algorithm>

#include "devices/scan/twain_members.h"
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

bool cImaging::TwainLogStart(const std::string& sLogPath) { return IsOne(Vxtwain().StartLog(sLogPath.c_str())); }
void cImaging::TwainLogStop() { Vxtwain().StopLog(); }

bool cImaging::TwainCloseSource() {
  if (!CheckTwainPlugin()) return false;
  const bool closed = IsOne(Vxtwain().CloseSource());
  TwainUnloadSourceManager();
  return closed;
}

bool cImaging::TwainCloseSourceManager(int32_t hwnd) {
  return CheckTwainPlugin() && IsOne(Vxtwain().CloseSourceManager(hwnd));
}

void cImaging::TwainDisableAutoSourceClose(bool bDisableAutoSourceClose) {
  if (CheckTwainPlugin()) Vxtwain().AutoSourceClose(bDisableAutoSourceClose ? 0 : 1);
}

bool cImaging::TwainDisableSource() { return CheckTwainPlugin() && IsOne(Vxtwain().DisableSource()); }
bool cImaging::TwainEnableDuplex(bool bDuplex) {
  return CheckTwainPlugin() && IsOne(Vxtwain().EnableDuplex(OneOrZero(bDuplex)));
}

void cImaging::TwainSetApplicationInfo(int32_t nMajorNumVersion, int32_t nMinorNumVersion,
                                       EnumArg<TwainLanguage> nLanguageID,
                                       EnumArg<TwainCountry> nCountryID, const std::string& sVersionInfo,
                                       const std::string& sCompanyName, const std::string& sProductFamily,
                                       const std::string& sProductName) {
  if (!CheckTwainPlugin() || TwainGetState() >= TWAIN_SOURCE_ENABLED) return;
  Vxtwain().RegisterApp(nMajorNumVersion, nMinorNumVersion, nLanguageID, nCountryID, sVersionInfo.c_str(),
                        sCompanyName.c_str(), sProductFamily.c_str(), sProductName.c_str());
}

bool cImaging::TwainUserClosedSource() { return CheckTwainPlugin() && IsOne(Vxtwain().UserClosedSource()); }
bool cImaging::TwainLastXferFail() { return CheckTwainPlugin() && IsOne(Vxtwain().XferFail()); }
bool cImaging::TwainEndAllXfers() { return IsOne(Vxtwain().AbortAllPendingXfers()); }
bool cImaging::TwainEndXfer() { return IsOne(Vxtwain().EndXfer()); }
int32_t cImaging::TwainGetState() { return CheckTwainPlugin() ? Vxtwain().State() : TWAIN_ERROR; }
bool cImaging::TwainUnloadSourceManager() { return CheckTwainPlugin() && IsOne(Vxtwain().UnloadSourceManager()); }

bool cImaging::TwainIsAvailable() { return CheckTwainPlugin() && IsOne(Vxtwain().IsAvailable()); }
int32_t cImaging::TwainGetLastResultCode() { return CheckTwainPlugin() ? Vxtwain().GetLastResultCode() : 0; }
int32_t cImaging::TwainGetLastConditionCode() { return CheckTwainPlugin() ? Vxtwain().GetLastConditionCode() : 1; }

int32_t cImaging::TwainGetSourceCount() {
  OpenManagerForNames(*this);
  int32_t count = 0;
  for (std::string name = PluginText(Vxtwain().GetFirstSourceName()); !TrimSpaces(name).empty();
       name = PluginText(Vxtwain().GetNextSourceName()))
    ++count;
  return count;
}

std::string cImaging::TwainGetSourceName(int32_t nSourceNo) {
  OpenManagerForNames(*this);
  std::string name = PluginText(Vxtwain().GetFirstSourceName());
  for (int32_t i = 1; i < nSourceNo; ++i) name = PluginText(Vxtwain().GetNextSourceName());
  return name;
}

std::string cImaging::TwainGetDefaultSourceName() {
  OpenManagerForNames(*this);
  return PluginText(Vxtwain().GetDefaultSourceName());
}

std::string cImaging::TwainGetCurrentSourceName() { return PluginText(Vxtwain().GetCurrentSourceName()); }
bool cImaging::TwainSelectSource(int32_t hwnd) {
  return CheckTwainPlugin() && IsOne(Vxtwain().SelectImageSource(hwnd));
}
bool cImaging::TwainOpenDefaultSource() { return CheckTwainPlugin() && IsOne(Vxtwain().OpenDefaultSource()); }
bool cImaging::TwainOpenSource(const std::string& sSourceName) {
  return CheckTwainPlugin() && IsOne(Vxtwain().OpenSource(TrimSpaces(sSourceName).c_str()));
}

bool cImaging::TwainShowSetupDialogSource(int32_t hwnd) {
  if (!CheckTwainPlugin()) return false;
  if (TwainGetState() < TWAIN_SOURCE_OPEN) {
    nStat = BadTwainState;
    return false;
  }
  return IsOne(Vxtwain().SourceSetup(hwnd));
}

void cImaging::TwainSetDSMPath(const std::string& sDSMPath) {
  if (CheckTwainPlugin()) Vxtwain().SetDSMPath(sDSMPath.c_str());
}
void cImaging::TwainSetHideUI(bool bHide) { Vxtwain().SetHideUI(OneOrZero(bHide)); }
bool cImaging::TwainGetHideUI() { return IsOne(Vxtwain().GetHideUI()); }
bool cImaging::TwainSetIndicators(bool bShowIndicator) {
  return IsOne(Vxtwain().SetIndicators(OneOrZero(bShowIndicator)));
}
void cImaging::TwainSetMultiTransfer(bool bMultiTransfer) { Vxtwain().SetMultiTransfer(OneOrZero(bMultiTransfer)); }
void cImaging::TwainSetErrorMessage(bool bShowErrors) { Vxtwain().SetShowError(OneOrZero(bShowErrors)); }
void cImaging::TwainSetDebugMode(bool bDebugMode) { Vxtwain().SetDebugMode(OneOrZero(bDebugMode)); }

}  // namespace vexiro
