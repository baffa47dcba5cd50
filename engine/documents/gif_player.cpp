#include "engine/documents/gif_player.h"

#include <chrono>
#include <thread>
#include <utility>

namespace vx::engine {
namespace {

AnimationClock SystemClock() {
  return {[] {
            return static_cast<int64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                            std::chrono::steady_clock::now().time_since_epoch())
                                            .count());
          },
          [] { std::this_thread::sleep_for(std::chrono::milliseconds(1)); }};
}

AnimationClock& ThreadClock() {
  thread_local AnimationClock clock = SystemClock();
  return clock;
}

}  // namespace

AnimationClock SetAnimationClock(AnimationClock clock) {
  if (!clock.NowMilliseconds || !clock.Idle) clock = SystemClock();
  return std::exchange(ThreadClock(), std::move(clock));
}

int64_t AnimationNow() { return ThreadClock().NowMilliseconds(); }

void WaitOnAnimationClock(int64_t start, int64_t milliseconds) {
  const AnimationClock& clock = ThreadClock();
  while (clock.NowMilliseconds() - start < milliseconds) clock.Idle();
}

}  // namespace vx::engine
