// Safety for scripting and initialisation: the engine and the control answer for the scripting
// interface and the three persistence interfaces, by the flags the thread's start-up armed.
#include "engine/object_safety.h"

#include <string>

#include "engine/gdiplus_lifetime.h"
#include "platform/ole/ole.h"
#include "vexiro/imaging.h"

namespace vx::engine {
namespace {

constexpr uint32_t INTERFACESAFE_FOR_UNTRUSTED_CALLER = vexiro::cImaging::INTERFACESAFE_FOR_UNTRUSTED_CALLER;
constexpr uint32_t INTERFACESAFE_FOR_UNTRUSTED_DATA = vexiro::cImaging::INTERFACESAFE_FOR_UNTRUSTED_DATA;

constexpr const char* kScriptingInterface = "{00020400-0000-0000-C000-000000000046}";  // IDispatch
constexpr const char* kInitialisationInterfaces[] = {
    "{0000010A-0000-0000-C000-000000000046}",  // IPersistStorage
    "{00000109-0000-0000-C000-000000000046}",  // IPersistStream
    "{37D84F60-42CB-11CE-8135-00AA004BB851}",  // IPersistPropertyBag
};

enum class InterfaceKind { Scripting, Initialisation, Other };

InterfaceKind Classify(const vx::GUID& riid) {
  const std::string text = vx::ole::StringFromGUID2(riid);
  if (text == kScriptingInterface) return InterfaceKind::Scripting;
  for (const char* id : kInitialisationInterfaces)
    if (text == id) return InterfaceKind::Initialisation;
  return InterfaceKind::Other;
}

// A control answers before any engine of its thread exists: the flags are armed by then too.
const GdiplusThreadState& ArmedFlags() {
  RunMainOnce();
  return ThreadGdiplusState();
}

}  // namespace

int32_t GetInterfaceSafetyOptions(const vx::GUID* riid, uint32_t* supportedOptions, uint32_t* enabledOptions) {
  if (!supportedOptions || !enabledOptions) return vx::E_POINTER;
  *supportedOptions = INTERFACESAFE_FOR_UNTRUSTED_CALLER | INTERFACESAFE_FOR_UNTRUSTED_DATA;
  if (!riid) return vx::S_OK;
  const auto& st = ArmedFlags();
  switch (Classify(*riid)) {
    case InterfaceKind::Scripting:
      *enabledOptions = st.SafeForScripting ? INTERFACESAFE_FOR_UNTRUSTED_CALLER : 0;
      return vx::S_OK;
    case InterfaceKind::Initialisation:
      *enabledOptions = st.SafeForInitializing ? INTERFACESAFE_FOR_UNTRUSTED_DATA : 0;
      return vx::S_OK;
    default: return vx::E_NOINTERFACE;
  }
}

int32_t SetInterfaceSafetyOptions(const vx::GUID* riid, uint32_t optionSetMask, uint32_t enabledOptions) {
  if (!riid) return vx::S_OK;
  const auto& st = ArmedFlags();
  const uint32_t requested = optionSetMask & enabledOptions;
  switch (Classify(*riid)) {
    case InterfaceKind::Scripting:
      return requested == INTERFACESAFE_FOR_UNTRUSTED_CALLER && st.SafeForScripting ? vx::S_OK : vx::E_FAIL;
    case InterfaceKind::Initialisation:
      return requested == INTERFACESAFE_FOR_UNTRUSTED_DATA && st.SafeForInitializing ? vx::S_OK : vx::E_FAIL;
    default: return vx::E_NOINTERFACE;
  }
}

}  // namespace vx::engine

namespace vexiro {

int32_t cImaging::GetInterfaceSafetyOptions(const vx::GUID* riid, uint32_t* supportedOptions, uint32_t* enabledOptions) {
  return vx::engine::GetInterfaceSafetyOptions(riid, supportedOptions, enabledOptions);
}

int32_t cImaging::SetInterfaceSafetyOptions(const vx::GUID* riid, uint32_t optionSetMask, uint32_t enabledOptions) {
  return vx::engine::SetInterfaceSafetyOptions(riid, optionSetMask, enabledOptions);
}

}  // namespace vexiro
