#include "engine/documents/gif_player.h"

#include <chrono>
#include <thread>
#include <utility>

#include "engine/image_store.h"
#include "platform/gdiplus/graphics.h"

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

VexiroStatus DrawImageOnDC(int32_t imageId, HDC dc, int32_t left, int32_t top, int32_t width, int32_t height) {
  gdiplus::GpImage* image = GetGpImage(imageId);
  if (!image) return vexiro::InvalidParameter;
  gdiplus::GpGraphics* graphics = nullptr;
  gdiplus::Status s = gdiplus::GdipCreateFromHDC(dc, &graphics);
  if (s != gdiplus::Ok) return ToStatus(s);
  gdiplus::GdipSetInterpolationMode(graphics, gdiplus::InterpolationModeBilinear);
  s = gdiplus::GdipDrawImageRectI(graphics, image, left, top, width, height);
  gdiplus::GdipDeleteGraphics(graphics);
  return ToStatus(s);
}

}  // namespace vx::engine
