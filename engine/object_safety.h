// Safety for scripting and initialisation, answered the same way by the engine and by the control
// that forwards to it: both read the thread's two flags, which the library's thread start-up arms.
#pragma once
#include <cstdint>

namespace vx {
struct GUID;
}

namespace vx::engine {

// Both words must be given: a null one is E_POINTER with nothing written, so that a host passing
// one by mistake gets an answer instead of a crash. A null identifier is S_OK with only the
// supported options written; an interface outside the four known ones is E_NOINTERFACE.
int32_t GetInterfaceSafetyOptions(const vx::GUID* riid, uint32_t* supportedOptions, uint32_t* enabledOptions);
// Nothing is remembered: S_OK only when exactly the option the flag allows is asked for.
int32_t SetInterfaceSafetyOptions(const vx::GUID* riid, uint32_t optionSetMask, uint32_t enabledOptions);

}  // namespace vx::engine
