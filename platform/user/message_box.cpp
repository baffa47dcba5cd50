#include <iostream>
#include <mutex>

#include "platform/user/user.h"

namespace vx {

namespace {

struct SinkSlot {
  std::mutex mutex;
  MessageBoxSink sink;
};

SinkSlot& Slot() {
  static SinkSlot slot;
  return slot;
}

// Without a host to show it, a message box goes to standard error and is answered with OK.
int WriteToStandardError(const std::string& text, const std::string& caption, UINT) {
  if (caption.empty()) {
    std::cerr << text << std::endl;
  } else {
    std::cerr << caption << ": " << text << std::endl;
  }
  return IDOK;
}

}  // namespace

void SetMessageBoxSink(MessageBoxSink sink) {
  SinkSlot& slot = Slot();
  std::lock_guard lock(slot.mutex);
  slot.sink = std::move(sink);
}

int MessageBox(HWND, const std::string& text, const std::string& caption, UINT type) {
  MessageBoxSink sink;
  {
    SinkSlot& slot = Slot();
    std::lock_guard lock(slot.mutex);
    sink = slot.sink;
  }
  // The sink runs outside the lock, so it may itself replace the sink or show another box.
  return sink ? sink(text, caption, type) : WriteToStandardError(text, caption, type);
}

}  // namespace vx
