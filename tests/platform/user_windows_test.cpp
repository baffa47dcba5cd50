// Windows without a display: there is no desktop and no window, and a window is printed only into
// a context holding a bitmap of 32 bits per pixel. (Capture from a display runs in the engine suite
// against a virtual X server.)
#include "platform/user/windows.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "gdi_test_support.h"
#include "platform/gdi/gdi.h"
#include "platform/kernel/last_error.h"

namespace vx {
namespace {

using testing::MakeDibInfo;

class NoDisplay : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* saved = std::getenv("DISPLAY");
    had_ = saved != nullptr;
    if (had_) saved_ = saved;
    unsetenv("DISPLAY");
  }
  void TearDown() override {
    if (had_) setenv("DISPLAY", saved_.c_str(), 1);
  }
  bool had_ = false;
  std::string saved_;
};

TEST_F(NoDisplay, ThereIsNoDesktopAndNoWindow) {
  EXPECT_EQ(GetDesktopWindow(), 0u);
  RECT rect{1, 2, 3, 4};
  EXPECT_EQ(GetWindowRect(0x400001, &rect), FALSE_);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
  EXPECT_EQ(rect.right, 3) << "a failed call leaves the rectangle alone";
}

TEST_F(NoDisplay, PrintingNeedsAThirtyTwoBitBitmapAndAWindow) {
  const HDC dc = CreateCompatibleDC(0);
  ASSERT_NE(dc, 0u);
  struct Case {
    int bits;  // 0: the context's stock bitmap
    DWORD error;
  };
  for (const Case& c : {Case{0, ERROR_INVALID_PARAMETER}, Case{24, ERROR_INVALID_PARAMETER},
                        Case{32, ERROR_INVALID_WINDOW_HANDLE}}) {
    HBITMAP bitmap = 0;
    HGDIOBJ previous = 0;
    if (c.bits != 0) {
      const auto info = MakeDibInfo(4, 4, c.bits);
      void* bits = nullptr;
      bitmap = CreateDIBSection(dc, reinterpret_cast<const BITMAPINFO*>(&info), DIB_RGB_COLORS, &bits, 0, 0);
      ASSERT_NE(bitmap, 0u);
      previous = SelectObject(dc, bitmap);
    }
    EXPECT_EQ(PrintWindow(0x400001, dc, 0), FALSE_) << c.bits;
    EXPECT_EQ(GetLastError(), c.error) << c.bits;
    if (bitmap != 0) {
      SelectObject(dc, previous);
      DeleteObject(bitmap);
    }
  }
  EXPECT_EQ(PrintWindow(0x400001, 0, 0), FALSE_) << "no context";
  DeleteDC(dc);
}

}  // namespace
}  // namespace vx
