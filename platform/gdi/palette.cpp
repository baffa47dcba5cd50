// Logical palettes: a colour table behind a handle.
#include <algorithm>
#include <cstring>

#include "platform/gdi/gdi.h"
#include "platform/gdi/gdi_objects.h"

namespace vx {

HPALETTE CreatePalette(const LOGPALETTE* palette) {
  if (!palette || palette->palNumEntries == 0) return 0;
  auto object = std::make_shared<gdi::PaletteObject>();
  object->entries.resize(palette->palNumEntries);
  // The entries follow the header in the caller's block, palNumEntries of them.
  std::memcpy(object->entries.data(), palette->palPalEntry, palette->palNumEntries * sizeof(PALETTEENTRY));
  return gdi::InsertGdiObject(std::move(object));
}

UINT GetPaletteEntries(HPALETTE handle, UINT start, UINT count, PALETTEENTRY* entries) {
  auto palette = gdi::FindPalette(handle);
  if (!palette) return 0;
  const UINT size = static_cast<UINT>(palette->entries.size());
  if (!entries) return size;
  if (start >= size) return 0;
  const UINT copied = std::min(count, size - start);
  std::copy_n(palette->entries.begin() + start, copied, entries);
  return copied;
}

}  // namespace vx
