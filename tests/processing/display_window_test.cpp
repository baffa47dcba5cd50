#include <gtest/gtest.h>

#include <string>

#include "engine/image_access.h"
#include "engine/saving_test_support.h"
#include "platform/gdi/gdi.h"
#include "platform/inet_test_servers.h"

// Last: the X headers define macros (Status, Bool) that the other headers use as names.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace vexiro {
namespace {

using namespace vx::engine;
using namespace vx::engine::saving_test;

// A private X display for the test, restored to the caller's DISPLAY afterwards.
class VirtualDisplay {
 public:
  VirtualDisplay() : xvfb_({"/usr/bin/Xvfb", "-displayfd", "1", "-screen", "0", "200x120x24", "-nolisten", "tcp"}) {
    const char* saved = std::getenv("DISPLAY");
    previous_ = saved ? saved : "";
    setenv("DISPLAY", (":" + std::to_string(xvfb_.port())).c_str(), 1);
  }
  ~VirtualDisplay() {
    if (previous_.empty()) {
      unsetenv("DISPLAY");
    } else {
      setenv("DISPLAY", previous_.c_str(), 1);
    }
  }

 private:
  vxtest::ServerProcess xvfb_;
  std::string previous_;
};

class DisplayOnWindow : public test_support::EngineTest {};

// A mapped 40 x 30 window of white on the display, gone with the object.
class MappedWindow {
 public:
  MappedWindow() : display_(XOpenDisplay(nullptr)) {
    if (!display_) return;
    window_ = XCreateSimpleWindow(display_, DefaultRootWindow(display_), 0, 0, 40, 30, 0, 0, 0xFFFFFF);
    XSelectInput(display_, window_, StructureNotifyMask);
    XMapWindow(display_, window_);
    for (XEvent e;;) {
      XNextEvent(display_, &e);
      if (e.type == MapNotify) break;
    }
    XSync(display_, False);
  }
  ~MappedWindow() {
    if (!display_) return;
    XDestroyWindow(display_, window_);
    XCloseDisplay(display_);
  }
  MappedWindow(const MappedWindow&) = delete;
  MappedWindow& operator=(const MappedWindow&) = delete;
  Display* display() const { return display_; }
  Window window() const { return window_; }
  // The window's pixel as 0xRRGGBB.
  unsigned long Pixel(int x, int y) const {
    XImage* shown = XGetImage(display_, window_, x, y, 1, 1, AllPlanes, ZPixmap);
    if (!shown) return ~0ul;
    const unsigned long value = XGetPixel(shown, 0, 0) & 0xFFFFFF;
    XDestroyImage(shown);
    return value;
  }

 private:
  Display* display_;
  Window window_ = 0;
};

TEST_F(DisplayOnWindow, TwiceTheSizeOnAMappedWindow) {
  VX_REQUIRE_TOOL("Xvfb");
  VirtualDisplay virtualDisplay;
  MappedWindow mapped;
  ASSERT_NE(mapped.display(), nullptr);
  Display* d = mapped.display();
  const Window w = mapped.window();

  const int32_t id = MakeImage(3, 2, vx::gdiplus::PixelFormat24bppRGB);
  for (int32_t y = 0; y < 2; ++y)
    for (int32_t x = 0; x < 3; ++x) ASSERT_EQ(SetImagePixel(id, x, y, 0xFF000000u | (x * 0x500000u) | (y * 0x90u)), OK);
  SavingTestAccess::SetCurrent(*engine_, id);
  ASSERT_EQ(engine_->DisplayImageOnHwnd(static_cast<int32_t>(w), 4, 2, 6, 4, 5), OK);

  XImage* shown = XGetImage(d, w, 0, 0, 12, 8, AllPlanes, ZPixmap);
  ASSERT_NE(shown, nullptr);
  for (int32_t y = 0; y < 8; ++y)
    for (int32_t x = 0; x < 12; ++x) {
      const bool inside = x >= 4 && x < 10 && y >= 2 && y < 6;
      const unsigned long want = inside ? ((x - 4) / 2) * 0x500000u | ((y - 2) / 2) * 0x90u : 0xFFFFFFu;
      EXPECT_EQ(XGetPixel(shown, x, y) & 0xFFFFFF, want) << x << "," << y;
    }
  XDestroyImage(shown);
  EXPECT_EQ(engine_->DisplayImageRectOnHwnd(0x7FFFFFF, 0, 0, 2, 2, 0, 0, 1, 1), Win32Error)
      << "a window the display does not know";
}

// A window's device context: the display members draw on the window through it, and only
// ReleaseDC of that window ends it.
TEST_F(DisplayOnWindow, DeviceContextOfAWindowShowsWhatIsDrawnOnIt) {
  VX_REQUIRE_TOOL("Xvfb");
  VirtualDisplay virtualDisplay;
  MappedWindow mapped;
  ASSERT_NE(mapped.display(), nullptr);
  const auto hwnd = static_cast<vx::HWND>(mapped.window());
  const vx::HDC dc = vx::GetDC(hwnd);
  ASSERT_NE(dc, 0u);

  const int32_t id = MakeImage(2, 2, vx::gdiplus::PixelFormat24bppRGB);
  const uint32_t colours[4] = {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu, 0xFF102030u};
  for (int32_t i = 0; i < 4; ++i) ASSERT_EQ(SetImagePixel(id, i % 2, i / 2, colours[i]), OK);
  SavingTestAccess::SetCurrent(*engine_, id);
  ASSERT_EQ(engine_->DisplayImageOnHDC(static_cast<int32_t>(dc), 10, 6, 4, 4, 5), OK);
  for (int32_t y = 0; y < 4; ++y)
    for (int32_t x = 0; x < 4; ++x)
      EXPECT_EQ(mapped.Pixel(10 + x, 6 + y), colours[(y / 2) * 2 + x / 2] & 0xFFFFFF) << x << "," << y;
  EXPECT_EQ(mapped.Pixel(9, 6), 0xFFFFFFu) << "nothing outside the rectangle";
  EXPECT_EQ(mapped.Pixel(14, 10), 0xFFFFFFu);

  const vx::HBITMAP bitmap = vx::CreateBitmap(2, 2, 1, 32, nullptr);
  EXPECT_EQ(vx::SelectObject(dc, bitmap), 0u) << "no bitmap goes into a window's context";
  vx::DeleteObject(bitmap);
  EXPECT_FALSE(vx::DeleteDC(dc));
  EXPECT_EQ(vx::ReleaseDC(hwnd + 1, dc), 0) << "another window's release";
  EXPECT_EQ(vx::ReleaseDC(hwnd, dc), 1);
  EXPECT_EQ(vx::ReleaseDC(hwnd, dc), 0) << "released once";
  EXPECT_EQ(vx::GetDC(0x7FFFFFF), 0u) << "a window the display does not know";
}

}  // namespace
}  // namespace vexiro
