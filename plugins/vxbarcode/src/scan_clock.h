// The moment a scan's bound counts from: the scanning thread's processor time and the time on
// the clock. The engine names it at the start of its member, before it prepares the pixels, so
// that the bound covers the whole member; a scan never told counts from its own start.
#pragma once
#include <time.h>

#include <chrono>

namespace vxbarcode {

struct ScanStart {
  using Clock = std::chrono::steady_clock;

  std::chrono::nanoseconds thread{};
  Clock::time_point clock{};

  static std::chrono::nanoseconds ThreadTime() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return std::chrono::seconds(now.tv_sec) + std::chrono::nanoseconds(now.tv_nsec);
  }
  static ScanStart Now() { return {ThreadTime(), Clock::now()}; }
};

}  // namespace vxbarcode
