// Icons: a mask and an optional colour bitmap, kept as private copies.
#include "platform/gdi/gdi.h"
#include "platform/gdi/gdi_objects.h"

namespace vx {
namespace {

using namespace gdi;

HBITMAP HandOut(const BitmapObject& bitmap) {
  auto copy = CopyBitmap(bitmap);
  if (!copy) return 0;
  copy->dibSection = false;
  return InsertGdiObject(std::move(copy));
}

}  // namespace

HICON CreateIconIndirect(const ICONINFO* info) {
  if (!info) return 0;
  auto mask = FindBitmap(info->hbmMask);
  if (!mask) return 0;
  auto icon = std::make_shared<IconObject>();
  icon->isIcon = info->fIcon;
  icon->xHotspot = info->xHotspot;
  icon->yHotspot = info->yHotspot;
  if (info->hbmColor != 0) {
    auto color = FindBitmap(info->hbmColor);
    if (!color || color->format.width != mask->format.width || color->format.height != mask->format.height) return 0;
    icon->color = CopyBitmap(*color);
    if (!icon->color) return 0;
  } else if (mask->format.height % 2 != 0) {
    return 0;  // a monochrome icon stacks its AND and XOR masks: the height must be even
  }
  auto maskCopy = CopyBitmap(*mask);
  if (!maskCopy) return 0;
  icon->mask = std::move(*maskCopy);
  icon->mask.selectedInto = 0;
  return Icons().Insert(std::move(icon));
}

BOOL GetIconInfo(HICON handle, ICONINFO* info) {
  auto icon = Icons().Find(handle);
  if (!icon || !info) return FALSE_;
  const HBITMAP mask = HandOut(icon->mask);
  const HBITMAP color = icon->color ? HandOut(*icon->color) : 0;
  if (!mask || (icon->color && !color)) {
    DeleteObject(mask);
    DeleteObject(color);
    return FALSE_;
  }
  info->fIcon = icon->isIcon;
  info->xHotspot = icon->xHotspot;
  info->yHotspot = icon->yHotspot;
  info->hbmMask = mask;
  info->hbmColor = color;
  return TRUE_;
}

BOOL DestroyIcon(HICON handle) { return Icons().Remove(handle) ? TRUE_ : FALSE_; }

}  // namespace vx
