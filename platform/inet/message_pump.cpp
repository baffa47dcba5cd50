#include <mutex>

#include "platform/inet/wininet.h"

namespace vx {

namespace {

struct PumpSlot {
  std::mutex mutex;
  NetworkMessagePump pump;
};

PumpSlot& Slot() {
  static PumpSlot slot;
  return slot;
}

}  // namespace

void SetNetworkMessagePump(NetworkMessagePump pump) {
  PumpSlot& slot = Slot();
  std::lock_guard lock(slot.mutex);
  slot.pump = std::move(pump);
}

void RunNetworkMessagePump() {
  NetworkMessagePump pump;
  {
    PumpSlot& slot = Slot();
    std::lock_guard lock(slot.mutex);
    pump = slot.pump;
  }
  // Outside the lock: the host's work may itself start or replace things here.
  if (pump) pump();
}

}  // namespace vx
