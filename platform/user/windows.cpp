// Windows over X11. A window the server refuses must not end the process, so X errors are
// trapped for each call; X error handlers are process-wide, so one call at a time swaps them.
#include "platform/user/windows.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/gdi/gdi_objects.h"
#include "platform/kernel/last_error.h"

// Last: the X headers define macros (Status, Bool) that the platform headers use as names.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace vx {
namespace {

int IgnoreXError(Display*, XErrorEvent*) { return 0; }

struct DisplayCloser {
  void operator()(Display* d) const { XCloseDisplay(d); }
};
struct XImageDestroyer {
  void operator()(XImage* image) const { XDestroyImage(image); }
};

// A server that has no other client resets when the last one leaves, and refuses connections for a
// moment meanwhile; the calls of one capture open it one after another, so a refusal is tried
// again a few times before the display counts as missing.
Display* OpenDisplay() {
  constexpr int kAttempts = 10;
  constexpr auto kPause = std::chrono::milliseconds(2);
  const char* name = std::getenv("DISPLAY");
  if (name == nullptr || *name == 0) return nullptr;
  for (int attempt = 1;; ++attempt) {
    if (Display* display = XOpenDisplay(name)) return display;
    if (attempt == kAttempts) return nullptr;
    std::this_thread::sleep_for(kPause);
  }
}

// The display for one call, with X errors trapped while it is open.
class DisplaySession {
 public:
  DisplaySession() : lock_(Mutex()), previous_(XSetErrorHandler(&IgnoreXError)), display_(OpenDisplay()) {}
  ~DisplaySession() {
    display_.reset();
    XSetErrorHandler(previous_);
  }
  DisplaySession(const DisplaySession&) = delete;
  DisplaySession& operator=(const DisplaySession&) = delete;

  Display* get() const { return display_.get(); }

  // The window's attributes; false for a window the display does not know.
  bool Attributes(HWND window, XWindowAttributes& attributes) const {
    return display_ && window != 0 && XGetWindowAttributes(display_.get(), static_cast<Window>(window), &attributes);
  }

 private:
  static std::mutex& Mutex() {
    static std::mutex m;
    return m;
  }
  std::lock_guard<std::mutex> lock_;
  int (*previous_)(Display*, XErrorEvent*);
  std::unique_ptr<Display, DisplayCloser> display_;
};

bool IsPlainTrueColour(const XImage& image) {
  return image.bits_per_pixel == 32 && image.red_mask == 0xFF0000 && image.green_mask == 0x00FF00 &&
         image.blue_mask == 0x0000FF && image.byte_order == LSBFirst;
}

BOOL Fail(DWORD error) {
  SetLastError(error);
  return FALSE_;
}

void CopyRows(const XImage& pixels, gdi::BitmapObject& bitmap) {
  const int32_t width = std::min(pixels.width, bitmap.format.width);
  const int32_t height = std::min(pixels.height, bitmap.format.height);
  const auto rowBytes = static_cast<size_t>(width) * 4;
  for (int32_t y = 0; y < height; ++y)
    std::memcpy(bitmap.Row(y), pixels.data + static_cast<ptrdiff_t>(y) * pixels.bytes_per_line, rowBytes);
}

}  // namespace

HWND GetDesktopWindow() {
  const DisplaySession display;
  return display.get() ? static_cast<HWND>(DefaultRootWindow(display.get())) : 0;
}

BOOL IsWindow(HWND window) {
  const DisplaySession display;
  XWindowAttributes attributes;
  return display.Attributes(window, attributes) ? TRUE_ : FALSE_;
}

BOOL GetWindowRect(HWND window, RECT* rect) {
  const DisplaySession display;
  XWindowAttributes attributes;
  if (rect == nullptr || !display.Attributes(window, attributes)) return Fail(ERROR_INVALID_WINDOW_HANDLE);
  int x = 0, y = 0;
  Window child = 0;
  XTranslateCoordinates(display.get(), static_cast<Window>(window), attributes.root, 0, 0, &x, &y, &child);
  *rect = RECT{x, y, x + attributes.width, y + attributes.height};
  return TRUE_;
}

BOOL PrintWindow(HWND window, HDC dc, UINT flags) {
  const std::shared_ptr<gdi::BitmapObject> bitmap = gdi::SelectedBitmap(dc);
  if (!bitmap || bitmap->stock || bitmap->format.bitCount != 32) return Fail(ERROR_INVALID_PARAMETER);
  const DisplaySession display;
  XWindowAttributes attributes;
  if (!display.Attributes(window, attributes) || attributes.width < 1 || attributes.height < 1)
    return Fail(ERROR_INVALID_WINDOW_HANDLE);
  const std::unique_ptr<XImage, XImageDestroyer> pixels(
      XGetImage(display.get(), static_cast<Window>(window), 0, 0, static_cast<unsigned>(attributes.width),
                static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap));
  if (!pixels) return Fail(ERROR_INVALID_WINDOW_HANDLE);
  if (!IsPlainTrueColour(*pixels)) return Fail(ERROR_NOT_SUPPORTED);
  CopyRows(*pixels, *bitmap);
  return TRUE_;
}

}  // namespace vx
