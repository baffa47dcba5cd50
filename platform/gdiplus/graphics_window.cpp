// Graphics on a window of the X display. The display is opened for the life of the graphics
// object; pixels are read with XGetImage and written back with XPutImage, a rectangle at a time.
// A window the server refuses must not end the process, so X errors are trapped while the
// target is made.
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "platform/gdiplus/graphics_target.h"

// Last: the X headers define macros (Status, Bool) that the platform headers use as names.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace vx::gdiplus {
namespace {

int IgnoreXError(Display*, XErrorEvent*) { return 0; }

std::mutex& ErrorHandlerMutex() {
  static std::mutex m;
  return m;
}

class TrappedXErrors {
 public:
  TrappedXErrors() : lock_(ErrorHandlerMutex()), previous_(XSetErrorHandler(&IgnoreXError)) {}
  ~TrappedXErrors() { XSetErrorHandler(previous_); }
  TrappedXErrors(const TrappedXErrors&) = delete;
  TrappedXErrors& operator=(const TrappedXErrors&) = delete;

 private:
  std::lock_guard<std::mutex> lock_;
  int (*previous_)(Display*, XErrorEvent*);
};

bool PlainTrueColour(const Visual* v, int depth) {
  return (depth == 24 || depth == 32) && v->red_mask == 0xFF0000 && v->green_mask == 0x00FF00 && v->blue_mask == 0x0000FF;
}

class WindowTarget : public PixelTarget {
 public:
  WindowTarget(Display* d, Window w, const XWindowAttributes& a) : display_(d), window_(w), attributes_(a) {
    gc_ = XCreateGC(display_, window_, 0, nullptr);
  }
  ~WindowTarget() override {
    XFreeGC(display_, gc_);
    XCloseDisplay(display_);
  }
  INT Width() const override { return attributes_.width; }
  INT Height() const override { return attributes_.height; }

  void Load(const GpRect& r, uint8_t* out, int stride) const override {
    XImage* image = XGetImage(display_, window_, r.X, r.Y, unsigned(r.Width), unsigned(r.Height), AllPlanes, ZPixmap);
    for (INT y = 0; y < r.Height; ++y) {
      auto* row = reinterpret_cast<uint32_t*>(out + y * stride);
      for (INT x = 0; x < r.Width; ++x)
        row[x] = image ? 0xFF000000u | (uint32_t(XGetPixel(image, x, y)) & 0xFFFFFF) : 0xFF000000u;
    }
    if (image) XDestroyImage(image);
  }

  // Windows hold no transparency: the drawn colour is shown as it is.
  void Store(const GpRect& r, const uint8_t* in, int stride) override {
    const size_t rowBytes = size_t(r.Width) * 4;
    auto* data = static_cast<char*>(std::malloc(rowBytes * size_t(r.Height)));
    if (!data) return;
    for (INT y = 0; y < r.Height; ++y) std::memcpy(data + rowBytes * size_t(y), in + y * stride, rowBytes);
    XImage* image = XCreateImage(display_, attributes_.visual, unsigned(attributes_.depth), ZPixmap, 0, data,
                                 unsigned(r.Width), unsigned(r.Height), 32, int(rowBytes));
    if (!image) {
      std::free(data);
      return;
    }
    XPutImage(display_, window_, gc_, image, 0, 0, r.X, r.Y, unsigned(r.Width), unsigned(r.Height));
    XDestroyImage(image);  // frees the data too
    XSync(display_, False);
  }

 private:
  Display* display_;
  Window window_;
  XWindowAttributes attributes_;
  GC gc_;
};

}  // namespace

std::unique_ptr<PixelTarget> MakeWindowTarget(HWND window) {
  if (window == 0) return nullptr;
  TrappedXErrors trap;
  Display* display = XOpenDisplay(nullptr);
  if (!display) return nullptr;
  XWindowAttributes a;
  if (!XGetWindowAttributes(display, static_cast<Window>(window), &a) || a.width < 1 || a.height < 1 ||
      !PlainTrueColour(a.visual, a.depth)) {
    XCloseDisplay(display);
    return nullptr;
  }
  return std::make_unique<WindowTarget>(display, static_cast<Window>(window), a);
}

}  // namespace vx::gdiplus
