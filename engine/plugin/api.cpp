// Binding of the format plug-in's exported operations, and the release hooks through which the
// image store frees the plug-in objects its records own.
#include "engine/plugin/api.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "engine/image_store.h"
#include "engine/runtime_error.h"
#include "platform/kernel/environment.h"

namespace vx::engine {
namespace {

constexpr const char* kModuleName = "vximgplug.dll";

struct Binding {
  std::mutex mutex;
  std::unique_ptr<VximgplugApi> api;  // kept while bound; never freed under a caller
  std::atomic<const VximgplugApi*> bound{nullptr};
  // The last table ever bound, kept through a test reset: objects made through it must still
  // be freed through it (the module stays loaded, so its entries stay valid).
  std::atomic<const VximgplugApi*> lastBound{nullptr};
  std::vector<std::unique_ptr<VximgplugApi>> retired;
};

Binding& TheBinding() {
  static auto* binding = new Binding();  // outlives every static that may still release images
  return *binding;
}

template <class Function>
void BindEntry(HMODULE module, const char* name, Function& slot) {
  void* address = GetProcAddress(module, name);
  if (address == nullptr)
    throw EntryPointNotFoundError(name, kModuleName);
  slot = reinterpret_cast<Function>(address);
}

std::unique_ptr<VximgplugApi> BindModule() {
  HMODULE module = LoadLibrary(kModuleName);
  if (module == nullptr) throw ModuleNotFoundError(kModuleName);
  auto api = std::make_unique<VximgplugApi>();
  BindEntry(module, "VxPluginVersion", api->VxPluginVersion);
#define VX_BIND_OPERATION(name, result, params) BindEntry(module, "VXIMGPLUG_" #name, api->name);
  VXIMGPLUG_OPERATIONS(VX_BIND_OPERATION)
#undef VX_BIND_OPERATION
  return api;
}

// Release runs from destructors and the store's clean-up: it must never raise. Without a
// binding no plug-in object can exist, so there is nothing to free.
template <class Release>
void ReleaseQuietly(Release release) {
  const VximgplugApi* api = TheBinding().lastBound.load();
  if (api != nullptr) release(*api);
}

void UnloadBitmapHook(intptr_t bitmap) {
  ReleaseQuietly([&](const VximgplugApi& api) { api.Unload(static_cast<uint32_t>(bitmap)); });
}
void CloseMultiBitmapHook(intptr_t multi) {
  ReleaseQuietly([&](const VximgplugApi& api) { api.CloseMultiBitmap(static_cast<uint32_t>(multi), 0); });
}
void UnlockPageHook(intptr_t multi, intptr_t page) {
  ReleaseQuietly([&](const VximgplugApi& api) {
    api.UnlockPage(static_cast<uint32_t>(multi), static_cast<uint32_t>(page), 0);
  });
}
void CloseFileHook(intptr_t file) {
  ReleaseQuietly([&](const VximgplugApi& api) { api.CloseFileHandle(static_cast<uint32_t>(file)); });
}

}  // namespace

void InstallVximgplugReleaseHooks() {
  SetPluginReleaseHooks({&UnloadBitmapHook, &CloseMultiBitmapHook, &UnlockPageHook, &CloseFileHook});
}

const VximgplugApi& Vximgplug() {
  Binding& binding = TheBinding();
  if (const VximgplugApi* api = binding.bound.load()) return *api;
  std::lock_guard lock(binding.mutex);
  if (!binding.api) binding.api = BindModule();
  binding.bound = binding.api.get();
  binding.lastBound = binding.api.get();
  return *binding.api;
}

void ResetVximgplugBindingForTesting() {
  Binding& binding = TheBinding();
  std::lock_guard lock(binding.mutex);
  binding.bound = nullptr;
  // The table stays allocated: a caller may still hold a reference to it.
  if (binding.api) binding.retired.push_back(std::move(binding.api));
}

void PluginBitmap::reset(uint32_t handle) {
  const uint32_t old = std::exchange(handle_, handle);
  if (old != 0) UnloadBitmapHook(old);
}

}  // namespace vx::engine
