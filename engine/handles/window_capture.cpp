// Window capture over X11. The display is opened for the one capture and closed again; a window
// the server refuses must not end the process, so X errors are trapped for the call.
#include "engine/handles/window_capture.h"

#include <cstring>
#include <memory>
#include <mutex>

#include "engine/image_access.h"
#include "engine/image_store.h"
#include "engine/load/from_memory.h"

// Last: the X headers define macros (Status, Bool) that the platform headers use as names.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace vx::engine {

using namespace vx::gdiplus;

namespace {

int IgnoreXError(Display*, XErrorEvent*) { return 0; }

// X error handlers are process-wide: one capture at a time swaps them.
std::mutex& CaptureMutex() {
  static std::mutex m;
  return m;
}

class TrappedXErrors {
 public:
  TrappedXErrors() : previous_(XSetErrorHandler(&IgnoreXError)) {}
  ~TrappedXErrors() { XSetErrorHandler(previous_); }
  TrappedXErrors(const TrappedXErrors&) = delete;
  TrappedXErrors& operator=(const TrappedXErrors&) = delete;

 private:
  int (*previous_)(Display*, XErrorEvent*);
};

struct DisplayCloser {
  void operator()(Display* d) const { XCloseDisplay(d); }
};
struct XImageDestroyer {
  void operator()(XImage* image) const { XDestroyImage(image); }
};

bool IsPlainTrueColour(const XImage& image) {
  return image.bits_per_pixel == 32 && image.red_mask == 0xFF0000 && image.green_mask == 0x00FF00 &&
         image.blue_mask == 0x0000FF && image.byte_order == LSBFirst;
}

VexiroStatus ImageFromXImage(const XImage& pixels, int32_t& id) {
  ScopedImage made;
  VexiroStatus s = CreateImageFromScan0(pixels.width, pixels.height, 0, PixelFormat32bppRGB, 0, *made.put(), false);
  if (s != vexiro::OK) return s;
  BitmapData data;
  PixelFormat format = PixelFormat32bppRGB;
  s = LockImageBits(made.get(), GpRect{0, 0, pixels.width, pixels.height}, ImageLockModeWrite, format, data);
  if (s == vexiro::OK) {
    const auto rowBytes = static_cast<size_t>(pixels.width) * 4;
    for (int32_t y = 0; y < pixels.height; ++y)
      std::memcpy(static_cast<uint8_t*>(data.Scan0) + static_cast<ptrdiff_t>(y) * data.Stride,
                  pixels.data + static_cast<ptrdiff_t>(y) * pixels.bytes_per_line, rowBytes);
    s = UnlockImageBits(made.get(), data);
  }
  if (s == vexiro::OK) id = made.Keep();
  return s;
}

}  // namespace

VexiroStatus CaptureWindowImage(uint32_t window, int32_t& id) {
  id = 0;
  std::lock_guard lock(CaptureMutex());
  TrappedXErrors trap;
  const std::unique_ptr<Display, DisplayCloser> display(XOpenDisplay(nullptr));
  if (!display) return vexiro::InvalidParameter;
  const Window target = window == 0 ? DefaultRootWindow(display.get()) : static_cast<Window>(window);
  XWindowAttributes attributes;
  if (!XGetWindowAttributes(display.get(), target, &attributes) || attributes.width < 1 || attributes.height < 1)
    return vexiro::InvalidParameter;
  const std::unique_ptr<XImage, XImageDestroyer> pixels(
      XGetImage(display.get(), target, 0, 0, static_cast<unsigned>(attributes.width),
                static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap));
  if (!pixels) return vexiro::InvalidParameter;
  if (!IsPlainTrueColour(*pixels)) return vexiro::UnsupportedPixelFormat;
  return ImageFromXImage(*pixels, id);
}

}  // namespace vx::engine
