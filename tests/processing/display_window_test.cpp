#include <gtest/gtest.h>

#include <string>

#include "engine/image_access.h"
#include "engine/saving_test_support.h"
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

TEST_F(DisplayOnWindow, TwiceTheSizeOnAMappedWindow) {
  VX_REQUIRE_TOOL("Xvfb");
  VirtualDisplay virtualDisplay;
  Display* d = XOpenDisplay(nullptr);
  ASSERT_NE(d, nullptr);
  const Window w = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, 40, 30, 0, 0, 0xFFFFFF);
  XSelectInput(d, w, StructureNotifyMask);
  XMapWindow(d, w);
  for (XEvent e;;) {
    XNextEvent(d, &e);
    if (e.type == MapNotify) break;
  }
  XSync(d, False);

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
  XDestroyWindow(d, w);
  XCloseDisplay(d);
}

}  // namespace
}  // namespace vexiro
