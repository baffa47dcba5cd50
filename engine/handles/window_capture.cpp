// Window capture: the window is printed into a screen-compatible bitmap, which becomes the image.
#include "engine/handles/window_capture.h"

#include "engine/handles/images_from_handles.h"
#include "platform/gdi/gdi.h"
#include "platform/kernel/last_error.h"
#include "platform/user/windows.h"

namespace vx::engine {
namespace {

// A memory context with a bitmap selected for the length of one capture; both are deleted with it.
class CaptureCanvas {
 public:
  CaptureCanvas(int32_t width, int32_t height) {
    const HDC screen = GetDC(0);
    if (screen == 0) return;
    memory_ = CreateCompatibleDC(screen);
    bitmap_ = CreateCompatibleBitmap(screen, width, height);
    ReleaseDC(0, screen);
    if (memory_ != 0 && bitmap_ != 0) previous_ = SelectObject(memory_, bitmap_);
  }
  ~CaptureCanvas() {
    if (previous_ != 0) SelectObject(memory_, previous_);
    if (memory_ != 0) DeleteDC(memory_);
    if (bitmap_ != 0) DeleteObject(bitmap_);
  }
  CaptureCanvas(const CaptureCanvas&) = delete;
  CaptureCanvas& operator=(const CaptureCanvas&) = delete;

  bool Ready() const { return previous_ != 0; }
  HDC Context() const { return memory_; }
  // The bitmap leaves the context so that it can be read as a handle of its own.
  HBITMAP DetachBitmap() {
    SelectObject(memory_, previous_);
    previous_ = 0;
    return bitmap_;
  }

 private:
  HDC memory_ = 0;
  HBITMAP bitmap_ = 0;
  HGDIOBJ previous_ = 0;
};

}  // namespace

VexiroStatus CaptureWindowImage(uint32_t window, int32_t& id) {
  id = 0;
  const HWND target = window == 0 ? GetDesktopWindow() : static_cast<HWND>(window);
  RECT rect;
  if (target == 0 || !GetWindowRect(target, &rect)) return vexiro::InvalidParameter;
  const int32_t width = rect.right - rect.left, height = rect.bottom - rect.top;
  if (width < 1 || height < 1) return vexiro::InvalidParameter;
  CaptureCanvas canvas(width, height);
  if (!canvas.Ready()) return vexiro::OutOfMemory;
  if (!PrintWindow(target, canvas.Context(), 0))
    return GetLastError() == ERROR_NOT_SUPPORTED ? vexiro::UnsupportedPixelFormat : vexiro::InvalidParameter;
  return CreateImageFromBitmapHandle(canvas.DetachBitmap(), 0, id);
}

}  // namespace vx::engine
