// Device contexts: the screen stand-in and memory contexts that draw on a selected bitmap.
#include <mutex>

#include "platform/gdi/gdi.h"
#include "platform/gdi/gdi_objects.h"
#include "platform/user/windows.h"

namespace vx {
namespace {

using namespace gdi;

// Selection links a context and a bitmap both ways; one lock keeps the two sides consistent.
std::mutex& SelectionMutex() {
  static std::mutex mutex;
  return mutex;
}

HDC NewContext(bool screen) {
  auto context = std::make_shared<DeviceContext>();
  context->screen = screen;
  context->bitmap = screen ? ScreenBitmap() : StockBitmap();
  return context->bitmap ? DeviceContexts().Insert(std::move(context)) : 0;
}

void Deselect(DeviceContext& context) {
  std::lock_guard lock(SelectionMutex());
  if (auto bitmap = FindBitmap(context.bitmap); bitmap && !bitmap->stock) bitmap->selectedInto = 0;
  context.bitmap = 0;
}

HDC NewWindowContext(HWND window) {
  if (!IsWindow(window)) return 0;
  auto context = std::make_shared<DeviceContext>();
  context->window = window;
  return DeviceContexts().Insert(std::move(context));
}

// Contexts GetDC handed out, which only ReleaseDC ends.
bool FromGetDC(const DeviceContext& context) { return context.screen || context.window != 0; }

}  // namespace

HDC GetDC(HWND window) { return window == 0 ? NewContext(true) : NewWindowContext(window); }

int ReleaseDC(HWND window, HDC dc) {
  auto context = DeviceContexts().Find(dc);
  if (!context || !FromGetDC(*context) || (context->window != 0 && context->window != window)) return 0;
  DeviceContexts().Remove(dc);
  return 1;
}

HDC CreateCompatibleDC(HDC dc) {
  if (dc != 0 && !DeviceContexts().Contains(dc)) return 0;
  return NewContext(false);
}

BOOL DeleteDC(HDC dc) {
  auto context = DeviceContexts().Find(dc);
  if (!context || FromGetDC(*context)) return FALSE_;
  Deselect(*context);
  DeviceContexts().Remove(dc);
  return TRUE_;
}

int GetDeviceCaps(HDC dc, int index) {
  auto context = DeviceContexts().Find(dc);
  if (!context) return 0;
  if (context->device) return context->device->DeviceCaps(index);
  switch (index) {
    case TECHNOLOGY:
      return DT_RASDISPLAY;
    case HORZRES:
      return kScreenWidth;
    case VERTRES:
      return kScreenHeight;
    case HORZSIZE:
      return kScreenWidth * 254 / (kScreenDpi * 10);
    case VERTSIZE:
      return kScreenHeight * 254 / (kScreenDpi * 10);
    case BITSPIXEL:
      return 32;
    case PLANES:
      return 1;
    case NUMCOLORS:
      return -1;
    case LOGPIXELSX:
    case LOGPIXELSY:
      return kScreenDpi;
    case RASTERCAPS:
      return RC_BITBLT | RC_DI_BITMAP | RC_DIBTODEV | RC_STRETCHBLT;
    default:
      return 0;
  }
}

HGDIOBJ SelectObject(HDC dc, HGDIOBJ object) {
  auto context = DeviceContexts().Find(dc);
  auto bitmap = FindBitmap(object);
  if (!context || FromGetDC(*context) || !bitmap) return 0;
  std::lock_guard lock(SelectionMutex());
  if (!bitmap->stock && bitmap->selectedInto != 0 && bitmap->selectedInto != dc &&
      DeviceContexts().Contains(bitmap->selectedInto))
    return 0;
  const HGDIOBJ previous = context->bitmap;
  if (auto old = FindBitmap(previous); old && !old->stock) old->selectedInto = 0;
  if (!bitmap->stock) bitmap->selectedInto = dc;
  context->bitmap = object;
  return previous;
}

HGDIOBJ GetCurrentObject(HDC dc, UINT type) {
  auto context = DeviceContexts().Find(dc);
  return context && type == OBJ_BITMAP ? context->bitmap : 0;
}

COLORREF SetBkColor(HDC dc, COLORREF colour) {
  auto context = DeviceContexts().Find(dc);
  if (!context) return CLR_INVALID;
  const COLORREF previous = context->background;
  context->background = colour & 0xFFFFFFu;
  return previous;
}

COLORREF GetBkColor(HDC dc) {
  auto context = DeviceContexts().Find(dc);
  return context ? context->background : CLR_INVALID;
}

COLORREF SetTextColor(HDC dc, COLORREF colour) {
  auto context = DeviceContexts().Find(dc);
  if (!context) return CLR_INVALID;
  const COLORREF previous = context->text;
  context->text = colour & 0xFFFFFFu;
  return previous;
}

COLORREF GetTextColor(HDC dc) {
  auto context = DeviceContexts().Find(dc);
  return context ? context->text : CLR_INVALID;
}

}  // namespace vx
