#include "platform/gdi/gdi_objects.h"

#include <cstring>
#include <mutex>
#include <new>

#include "platform/gdi/gdi.h"

namespace vx::gdi {

HandleTable<GdiObject>& GdiObjects() {
  static HandleTable<GdiObject> table(HandleKind::GdiObject);
  return table;
}
HandleTable<DeviceContext>& DeviceContexts() {
  static HandleTable<DeviceContext> table(HandleKind::DeviceContext);
  return table;
}
HandleTable<IconObject>& Icons() {
  static HandleTable<IconObject> table(HandleKind::Icon);
  return table;
}
HandleTable<MetafileObject>& Metafiles() {
  static HandleTable<MetafileObject> table(HandleKind::Metafile);
  return table;
}

HANDLE32 InsertGdiObject(std::shared_ptr<GdiObject> object) {
  RegisterClipboardDeleters();
  return GdiObjects().Insert(std::move(object));
}

std::shared_ptr<BitmapObject> FindBitmap(HBITMAP handle) {
  return std::dynamic_pointer_cast<BitmapObject>(GdiObjects().Find(handle));
}

std::shared_ptr<PaletteObject> FindPalette(HPALETTE handle) {
  return std::dynamic_pointer_cast<PaletteObject>(GdiObjects().Find(handle));
}

std::shared_ptr<BitmapObject> SelectedBitmap(HDC dc) {
  auto context = DeviceContexts().Find(dc);
  return context ? FindBitmap(context->bitmap) : nullptr;
}

std::shared_ptr<BitmapObject> NewBitmap(const DibFormat& format) {
  try {
    auto bitmap = std::make_shared<BitmapObject>();
    bitmap->format = format;
    bitmap->bits.assign(static_cast<size_t>(format.ImageBytes()), 0);
    return bitmap;
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

std::shared_ptr<BitmapObject> NewDeviceBitmap(int32_t width, int32_t height) {
  DibFormat format;
  if (MakeDibFormat(width, height, true, 32, {}, format) != DibParse::Ok) return nullptr;
  return NewBitmap(format);
}

std::shared_ptr<BitmapObject> CopyBitmap(const BitmapObject& source) {
  try {
    auto copy = std::make_shared<BitmapObject>();
    copy->format = source.format;
    copy->bits = source.bits;
    copy->dibSection = source.dibSection;
    return copy;
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

HBITMAP StockBitmap() {
  static const HBITMAP handle = [] {
    DibFormat format;
    MakeDibFormat(1, 1, true, 1, {}, format);
    auto bitmap = NewBitmap(format);
    bitmap->stock = true;
    return InsertGdiObject(bitmap);
  }();
  return handle;
}

// Made at the first screen context and kept for the process: 8 MB of black pixels that screen
// contexts read and draw on.
HBITMAP ScreenBitmap() {
  static const HBITMAP handle = [] {
    auto bitmap = NewDeviceBitmap(kScreenWidth, kScreenHeight);
    if (!bitmap) return HBITMAP{0};
    bitmap->stock = true;
    return InsertGdiObject(bitmap);
  }();
  return handle;
}

namespace {

LONG DeviceRowBytes(const DibFormat& f) {
  return static_cast<LONG>((static_cast<int64_t>(f.width) * f.bitCount + 15) / 16 * 2);
}

void FillBitmapRecord(const BitmapObject& bitmap, BITMAP& out) {
  out = BITMAP{};
  out.bmWidth = bitmap.format.width;
  out.bmHeight = bitmap.format.height;
  out.bmWidthBytes = bitmap.dibSection ? static_cast<LONG>(bitmap.format.stride) : DeviceRowBytes(bitmap.format);
  out.bmPlanes = 1;
  out.bmBitsPixel = bitmap.format.bitCount;
  out.bmBits = bitmap.dibSection ? const_cast<uint8_t*>(bitmap.bits.data()) : nullptr;
}

void FillDibSectionRecord(const BitmapObject& bitmap, DIBSECTION& out) {
  out = DIBSECTION{};
  FillBitmapRecord(bitmap, out.dsBm);
  const DibFormat& f = bitmap.format;
  out.dsBmih.biSize = sizeof(BITMAPINFOHEADER);
  out.dsBmih.biWidth = f.width;
  out.dsBmih.biHeight = f.topDown ? -f.height : f.height;
  out.dsBmih.biPlanes = 1;
  out.dsBmih.biBitCount = f.bitCount;
  out.dsBmih.biCompression = IsDefaultMasks(f) ? BI_RGB : BI_BITFIELDS;
  out.dsBmih.biSizeImage = static_cast<DWORD>(f.ImageBytes());
  out.dsBmih.biClrUsed = f.Indexed() ? static_cast<DWORD>(f.colors.size()) : 0;
  if (f.bitCount == 16 || f.bitCount == 32) {
    out.dsBitfields[0] = f.red.mask;
    out.dsBitfields[1] = f.green.mask;
    out.dsBitfields[2] = f.blue.mask;
  }
}

}  // namespace
}  // namespace vx::gdi

namespace vx {

using namespace gdi;

int GetObject(HGDIOBJ object, int size, void* out) {
  auto found = GdiObjects().Find(object);
  if (!found) return 0;
  if (auto bitmap = std::dynamic_pointer_cast<BitmapObject>(found)) {
    const int full = bitmap->dibSection ? static_cast<int>(sizeof(DIBSECTION)) : static_cast<int>(sizeof(BITMAP));
    if (!out) return full;
    if (bitmap->dibSection && size >= static_cast<int>(sizeof(DIBSECTION))) {
      FillDibSectionRecord(*bitmap, *static_cast<DIBSECTION*>(out));
      return sizeof(DIBSECTION);
    }
    if (size < static_cast<int>(sizeof(BITMAP))) return 0;
    FillBitmapRecord(*bitmap, *static_cast<BITMAP*>(out));
    return sizeof(BITMAP);
  }
  if (auto palette = std::dynamic_pointer_cast<PaletteObject>(found)) {
    if (!out) return sizeof(WORD);
    if (size < static_cast<int>(sizeof(WORD))) return 0;
    const WORD count = static_cast<WORD>(palette->entries.size());
    std::memcpy(out, &count, sizeof count);
    return sizeof(WORD);
  }
  return 0;
}

DWORD GetObjectType(HGDIOBJ object) {
  if (auto found = GdiObjects().Find(object)) return found->ObjectType();
  if (auto dc = DeviceContexts().Find(object)) return dc->screen ? OBJ_DC : OBJ_MEMDC;
  if (auto metafile = Metafiles().Find(object)) return metafile->enhanced ? OBJ_ENHMETAFILE : OBJ_METAFILE;
  return 0;
}

BOOL DeleteObject(HGDIOBJ object) {
  // Icons are not GDI objects, but callers hand them here to free them; destroying them is the
  // only outcome that does not leak.
  if (KindOfHandle(object) == HandleKind::Icon) return DestroyIcon(object);
  auto found = GdiObjects().Find(object);
  if (!found) return FALSE_;
  if (found->stock) return TRUE_;
  if (auto bitmap = std::dynamic_pointer_cast<BitmapObject>(found); bitmap && bitmap->selectedInto != 0) {
    // A bitmap still selected into a context cannot go: the context would draw on freed memory.
    if (DeviceContexts().Contains(bitmap->selectedInto)) return FALSE_;
  }
  return GdiObjects().Remove(object) ? TRUE_ : FALSE_;
}

}  // namespace vx
