#include "platform/gdi/font_caches.h"

#include <cairo.h>
#include <fontconfig/fontconfig.h>

#include <atomic>
#include <mutex>

namespace vx::gdi {
namespace {

std::mutex g_loadMutex;
std::atomic<bool> g_loaded{false};

}  // namespace

void LoadFontConfiguration() {
  if (g_loaded.load(std::memory_order_acquire)) return;
  const std::lock_guard lock(g_loadMutex);
  if (g_loaded.load(std::memory_order_relaxed)) return;
  FcInit();
  // Fontconfig makes the lock that guards its current configuration at the first reference taken
  // on it, and publishes that lock through atomic operations of its own. Taken here, under our
  // lock, the lock exists before any other thread can reach fontconfig.
  FcConfigDestroy(FcConfigReference(nullptr));
  g_loaded.store(true, std::memory_order_release);
}

void ReleaseFontCaches() {
  const std::lock_guard lock(g_loadMutex);
  cairo_debug_reset_static_data();
  FcFini();
  g_loaded.store(false, std::memory_order_release);
}

}  // namespace vx::gdi
