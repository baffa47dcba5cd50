// The engine's binding of the format plug-in: its operations looked up once, at the first call
// that needs them, in the companion module "vximgplug.dll" (vximgplug.so on the plug-in path).
#pragma once
#include <cstdint>
#include <utility>

#include "plugins/vximgplug/vximgplug.h"

namespace vx::engine {

// The bound operations. A missing module raises run-time error 53 (file not found) and a
// module lacking an operation raises 453 (entry point not found), as a call into a DLL that
// cannot be bound does; callers that must not raise test IsVximgplugAvailable first.
const VximgplugApi& Vximgplug();

// Forgets the binding so that the next call binds again (tests point VEXIRO_PLUGIN_PATH
// elsewhere in between). The module itself stays loaded, as loaded modules do.
void ResetVximgplugBindingForTesting();

// Hands the image store the routines that free plug-in bitmaps, pages and files its records
// own. Done when the first engine is made (WireSubsystems); callable again by whoever replaced
// the hooks.
void InstallVximgplugReleaseHooks();

// Owns one plug-in bitmap and unloads it when it goes out of scope.
class PluginBitmap {
 public:
  PluginBitmap() = default;
  explicit PluginBitmap(uint32_t handle) : handle_(handle) {}
  ~PluginBitmap() { reset(); }
  PluginBitmap(PluginBitmap&& other) noexcept : handle_(other.release()) {}
  PluginBitmap& operator=(PluginBitmap&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  PluginBitmap(const PluginBitmap&) = delete;
  PluginBitmap& operator=(const PluginBitmap&) = delete;

  uint32_t get() const { return handle_; }
  explicit operator bool() const { return handle_ != 0; }
  uint32_t release() { return std::exchange(handle_, 0); }
  void reset(uint32_t handle = 0);

 private:
  uint32_t handle_ = 0;
};

}  // namespace vx::engine
