// Plays the frames of an image on a device context, each for its delay. Time comes from a
// monotonic clock that never wraps; a test puts its own clock in, so playback is checked
// without waiting.
#pragma once
#include <cstdint>
#include <functional>

#include "engine/vexiro_status.h"
#include "platform/kernel/win_types.h"

namespace vx::engine {

struct AnimationClock {
  std::function<int64_t()> NowMilliseconds;  // monotonic
  std::function<void()> Idle;                // runs while a frame waits out its delay
};
// Returns the clock it replaces; an empty clock puts the system's monotonic clock back.
AnimationClock SetAnimationClock(AnimationClock clock);

// Draws the image at (left, top) in width x height with bilinear interpolation; the platform's
// status.
VexiroStatus DrawImageOnDC(int32_t imageId, HDC dc, int32_t left, int32_t top, int32_t width, int32_t height);
// Waits until `milliseconds` have passed since `start` on the animation clock.
void WaitOnAnimationClock(int64_t start, int64_t milliseconds);
int64_t AnimationNow();

}  // namespace vx::engine
