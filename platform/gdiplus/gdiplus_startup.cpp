// Start-up and shut-down of the imaging platform. Start-ups are counted process-wide: every
// GdiplusStartup hands out a fresh token, and the platform runs while any token is live.
#include <atomic>
#include <cstdlib>
#include <mutex>
#include <set>

#include "platform/gdiplus/gdiplus_flat.h"

namespace vx::gdiplus {

namespace {

struct StartupRegistry {
  std::mutex mutex;
  std::set<uint32_t> liveTokens;
  uint32_t lastToken = 0;
  std::atomic<bool> running{false};
};

// Never destroyed: a host's own static objects (an engine held in a global, say) may shut the
// platform down while the program's static objects are being torn down.
StartupRegistry& Registry() {
  static StartupRegistry* registry = new StartupRegistry;
  return *registry;
}

// Versions 1 to 3 of the start-up record are the ones the platform has published.
bool IsKnownStartupVersion(uint32_t version) { return version >= 1 && version <= 3; }

}  // namespace

Status GdiplusStartup(uint32_t* token, const GdiplusStartupInput* input, GdiplusStartupOutput* output) {
  if (!token || !input) return InvalidParameter;
  if (!IsKnownStartupVersion(input->GdiplusVersion)) return UnsupportedGdiplusVersion;
  // Without the background thread the caller must take the notification hooks.
  if (input->SuppressBackgroundThread && !output) return InvalidParameter;
  if (output) *output = GdiplusStartupOutput{};
  StartupRegistry& registry = Registry();
  std::lock_guard lock(registry.mutex);
  do {
    ++registry.lastToken;
  } while (registry.lastToken == 0 || registry.liveTokens.count(registry.lastToken) != 0);
  registry.liveTokens.insert(registry.lastToken);
  registry.running.store(true);
  *token = registry.lastToken;
  return Ok;
}

void GdiplusShutdown(uint32_t token) {
  StartupRegistry& registry = Registry();
  std::lock_guard lock(registry.mutex);
  registry.liveTokens.erase(token);
  registry.running.store(!registry.liveTokens.empty());
}

bool GdiplusIsRunning() { return Registry().running.load(); }

// The allocator serves callers whether or not the platform runs, so memory handed out while it
// ran can always be given back.
void* GdipAlloc(size_t size) { return std::malloc(size == 0 ? 1 : size); }

void GdipFree(void* ptr) { std::free(ptr); }

}  // namespace vx::gdiplus
