#include <mutex>

#include "platform/user/user.h"

namespace vx {

namespace {

struct ProviderSlot {
  std::mutex mutex;
  OpenFileDialogProvider provider;
};

ProviderSlot& Slot() {
  static ProviderSlot slot;
  return slot;
}

}  // namespace

void SetOpenFileDialogProvider(OpenFileDialogProvider provider) {
  ProviderSlot& slot = Slot();
  std::lock_guard lock(slot.mutex);
  slot.provider = std::move(provider);
}

// Without a provider there is nobody to choose a file: the dialog counts as cancelled.
std::string GetOpenFileName(HWND owner, const std::string& title) {
  OpenFileDialogProvider provider;
  {
    ProviderSlot& slot = Slot();
    std::lock_guard lock(slot.mutex);
    provider = slot.provider;
  }
  return provider ? provider(owner, title) : std::string();
}

}  // namespace vx
