// Palette queries and changes on the active frame.
#include "platform/gdiplus/gdiplus_flat.h"
#include "platform/gdiplus/image_handle.h"

namespace vx::gdiplus {

namespace {

constexpr INT kPaletteHeaderBytes = 8;  // Flags and Count

INT PaletteRecordBytes(size_t count) { return kPaletteHeaderBytes + 4 * static_cast<INT>(count); }

}  // namespace

// An image without colour table reports a record of Count 0 with room for one entry, as the
// platform's palette record is declared with one entry; readers go by Count.
Status GdipGetImagePaletteSize(GpImage* image, INT* size) {
  GpBitmap* bitmap = nullptr;
  if (Status s = ResolveBitmap(image, bitmap); s != Ok) return s;
  if (!size) return InvalidParameter;
  const size_t count = bitmap->current().palette.size();
  *size = count == 0 ? PaletteRecordBytes(1) : PaletteRecordBytes(count);
  return Ok;
}

Status GdipGetImagePalette(GpImage* image, ColorPalette* palette, INT size) {
  GpBitmap* bitmap = nullptr;
  if (Status s = ResolveBitmap(image, bitmap); s != Ok) return s;
  const Frame& frame = bitmap->current();
  if (!palette || size < PaletteRecordBytes(frame.palette.size())) return InvalidParameter;
  palette->Flags = frame.paletteFlags;
  palette->Count = static_cast<UINT>(frame.palette.size());
  std::copy(frame.palette.begin(), frame.palette.end(), palette->Entries);
  return Ok;
}

Status GdipSetImagePalette(GpImage* image, const ColorPalette* palette) {
  GpBitmap* bitmap = nullptr;
  if (Status s = ResolveBitmap(image, bitmap); s != Ok) return s;
  if (!palette || palette->Count < 1 || palette->Count > 256) return InvalidParameter;
  Frame& frame = bitmap->current();
  frame.palette.assign(palette->Entries, palette->Entries + palette->Count);
  frame.paletteFlags = palette->Flags;
  return Ok;
}

}  // namespace vx::gdiplus
