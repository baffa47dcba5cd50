// Windows of the X display, which stand in for on-screen windows: a window's handle is its X
// window identifier and the desktop is the root window of the default screen. The display is
// the one DISPLAY names, opened for each call; without one there are no windows.
#pragma once
#include "platform/kernel/win_types.h"

namespace vx {

constexpr DWORD ERROR_INVALID_WINDOW_HANDLE = 1400;
constexpr DWORD ERROR_NOT_SUPPORTED = 50;

// 0 without a display.
HWND GetDesktopWindow();
// Whether the display knows the window (FALSE without a display).
BOOL IsWindow(HWND window);
// The window's rectangle in desktop coordinates; FALSE (ERROR_INVALID_WINDOW_HANDLE) for a window
// the display does not know, or without a display.
BOOL GetWindowRect(HWND window, RECT* rect);
// Copies the window's pixels into the bitmap selected into the memory context `dc`, from its
// top-left corner, as far as both reach. The bitmap must hold 32 bits per pixel; the window must
// be of a plain 32-bit true-colour visual, else FALSE with ERROR_NOT_SUPPORTED.
BOOL PrintWindow(HWND window, HDC dc, UINT flags);

}  // namespace vx
