// The engine's binding of the scanning plug-in "vxtwain.dll" (vxtwain.so on the plug-in path),
// bound at the first call that needs it, and the check most scanning members make first.
#pragma once
#include <cstdint>
#include <string>

#include "plugins/vxtwain/vxtwain.h"

namespace vx::scan {

struct VxtwainApi {
#define VX_TWAIN_SLOT(name, result, params) result(*name) params = nullptr;
  VXTWAIN_OPERATIONS(VX_TWAIN_SLOT)
#undef VX_TWAIN_SLOT
};

// The bound operations. A missing module raises run-time error 53 and a missing operation 453,
// as a call into a DLL that cannot be bound does.
const VxtwainApi& Vxtwain();
void ResetVxtwainBindingForTesting();

// True when the plug-in is present (a file version whose leading number is not 0) and at least
// version 630; otherwise the user is told by a message box and the result is false.
bool CheckTwainPlugin();

// A plug-in text copied at once ("" for none).
std::string PluginText(const char* text);

}  // namespace vx::scan
