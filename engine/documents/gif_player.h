// The clock that times the frames of an animation played on a device context. Time comes from a
// monotonic clock that never wraps; a test puts its own clock in, so playback is checked
// without waiting.
#pragma once
#include <cstdint>
#include <functional>

namespace vx::engine {

struct AnimationClock {
  std::function<int64_t()> NowMilliseconds;  // monotonic
  std::function<void()> Idle;                // runs while a frame waits out its delay
};
// Returns the clock it replaces; an empty clock puts the system's monotonic clock back.
AnimationClock SetAnimationClock(AnimationClock clock);

// Waits until `milliseconds` have passed since `start` on the animation clock.
void WaitOnAnimationClock(int64_t start, int64_t milliseconds);
int64_t AnimationNow();

}  // namespace vx::engine
