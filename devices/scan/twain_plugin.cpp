#include "devices/scan/twain_plugin.h"

#include <memory>
#include <mutex>
#include <vector>

#include "engine/gdiplus_lifetime.h"
#include "engine/routines/shared_routines.h"
#include "engine/runtime_error.h"
#include "platform/kernel/environment.h"
#include "platform/user/user.h"

namespace vx::scan {
namespace {

constexpr const char* kModuleName = "vxtwain.dll";
constexpr int32_t kMinimumVersion = 630;
constexpr UINT kCriticalIcon = 0x10;

struct Binding {
  std::mutex mutex;
  std::unique_ptr<VxtwainApi> api;
  // Tables of earlier bindings stay allocated: a caller may still hold a reference to one.
  std::vector<std::unique_ptr<VxtwainApi>> retired;
};

Binding& TheBinding() {
  static auto* binding = new Binding();
  return *binding;
}

template <class Function>
void BindEntry(HMODULE module, const std::string& name, Function& slot) {
  void* address = GetProcAddress(module, name.c_str());
  if (address == nullptr)
    throw engine::EntryPointNotFoundError(name, kModuleName);
  slot = reinterpret_cast<Function>(address);
}

std::unique_ptr<VxtwainApi> BindModule() {
  HMODULE module = LoadLibrary(kModuleName);
  if (module == nullptr)
    throw engine::ModuleNotFoundError(kModuleName);
  auto api = std::make_unique<VxtwainApi>();
#define VX_TWAIN_BIND(name, result, params) BindEntry(module, "VXTWAIN_" #name, api->name);
  VXTWAIN_OPERATIONS(VX_TWAIN_BIND)
#undef VX_TWAIN_BIND
  return api;
}

}  // namespace

const VxtwainApi& Vxtwain() {
  Binding& binding = TheBinding();
  std::lock_guard lock(binding.mutex);
  if (!binding.api) binding.api = BindModule();
  return *binding.api;
}

void ResetVxtwainBindingForTesting() {
  Binding& binding = TheBinding();
  std::lock_guard lock(binding.mutex);
  if (binding.api) binding.retired.push_back(std::move(binding.api));
}

bool CheckTwainPlugin() {
  const char* message = nullptr;
  bool result = false;
  try {
    if (engine::BasicVal(engine::GetFileVersionString(kModuleName)) == 0) {
      message = "Can't found VXTWAIN.DLL file.";
    } else if (Vxtwain().GetVersion() < kMinimumVersion) {
      message = "Bad VXTWAIN.DLL version.";
    } else {
      result = true;
    }
  } catch (const std::exception&) {
    // A failure before the case is known ends the check quietly.
  }
  if (message != nullptr) MessageBox(0, message, "Error", MB_OK | kCriticalIcon);
  return result;
}

std::string PluginText(const char* text) { return engine::PtrToStringA(text); }

}  // namespace vx::scan
