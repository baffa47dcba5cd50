// The objects behind GDI handles and the tables that hand them out. Bitmaps and palettes share
// the GDI-object table, device contexts, icons and metafiles have tables of their own, so a handle
// of one kind never resolves as another.
#pragma once
#include <cairo.h>

#include <memory>
#include <vector>

#include "platform/gdi/dib_format.h"
#include "platform/gdi/gdi_types.h"
#include "platform/kernel/handle_table.h"

namespace vx::gdi {

class GdiObject {
 public:
  virtual ~GdiObject() = default;
  virtual DWORD ObjectType() const = 0;
  bool stock = false;  // shared by the system: never deleted
};

// A bitmap: pixels in DIB row order (bottom-up unless topDown), owned by the object.
class BitmapObject : public GdiObject {
 public:
  DWORD ObjectType() const override { return OBJ_BITMAP; }
  DibFormat format;
  std::vector<uint8_t> bits;
  bool dibSection = false;  // made by CreateDIBSection: its memory is the caller's view
  HDC selectedInto = 0;

  uint8_t* Row(int32_t y) { return bits.data() + format.RowOffset(y); }
  const uint8_t* Row(int32_t y) const { return bits.data() + format.RowOffset(y); }
};

class PaletteObject : public GdiObject {
 public:
  DWORD ObjectType() const override { return OBJ_PAL; }
  std::vector<PALETTEENTRY> entries;
};

// A device that draws in vector form (a printer's page): GDI asks it for its capabilities, and
// graphics objects draw straight onto its cairo context, in device pixels from its origin.
class DeviceSurface {
 public:
  virtual ~DeviceSurface() = default;
  virtual int DeviceCaps(int index) const = 0;
  // Null once the device can no longer be drawn on (its document ended).
  virtual cairo_t* Context() = 0;
};

struct DeviceContext {
  std::shared_ptr<DeviceSurface> device;  // set for device contexts of a vector device
  bool screen = false;  // GetDC(0): released with ReleaseDC, not DeleteDC; shows the screen bitmap
  // GetDC of a window of the X display: released with ReleaseDC; graphics made on it draw on
  // the window, and no bitmap can be selected into it.
  HWND window = 0;
  HBITMAP bitmap = 0;   // selected bitmap; memory contexts start with the stock 1x1 monochrome one
  COLORREF background = RGB(255, 255, 255);
  COLORREF text = RGB(0, 0, 0);
};

// Icon bitmaps are kept by value: an icon does not share them with their creator.
struct IconObject {
  BOOL isIcon = 1;
  DWORD xHotspot = 0, yHotspot = 0;
  BitmapObject mask;
  std::shared_ptr<BitmapObject> color;  // null for a monochrome icon (mask of double height)
};

struct MetafileObject {
  bool enhanced = false;
  std::vector<uint8_t> bytes;
};

HandleTable<GdiObject>& GdiObjects();
HandleTable<DeviceContext>& DeviceContexts();
HandleTable<IconObject>& Icons();
HandleTable<MetafileObject>& Metafiles();

// Stores a new object and registers the clipboard's deleters for GDI formats on first use.
HANDLE32 InsertGdiObject(std::shared_ptr<GdiObject> object);
std::shared_ptr<BitmapObject> FindBitmap(HBITMAP handle);
std::shared_ptr<PaletteObject> FindPalette(HPALETTE handle);
// The bitmap a device context draws on (null for a bare screen context).
std::shared_ptr<BitmapObject> SelectedBitmap(HDC dc);
// The shared 1x1 monochrome bitmap every new memory context holds.
HBITMAP StockBitmap();
// The virtual screen's pixels, which every screen context shows.
HBITMAP ScreenBitmap();

// A new bitmap object of the format, zero-filled; null when the memory cannot be had.
std::shared_ptr<BitmapObject> NewBitmap(const DibFormat& format);
// The device format: 32 bits per pixel, top-down rows.
std::shared_ptr<BitmapObject> NewDeviceBitmap(int32_t width, int32_t height);
std::shared_ptr<BitmapObject> CopyBitmap(const BitmapObject& source);

// Registers the clipboard's deleters for bitmaps, palettes and metafiles (once per process).
void RegisterClipboardDeleters();

}  // namespace vx::gdi
