// A packed DIB in global memory as a new image, the handle optionally kept with it.
#include <cmath>
#include <cstring>

#include "engine/image_access.h"
#include "engine/image_store.h"
#include "engine/load/loader.h"
#include "engine/handles/packed_dib.h"
#include "platform/kernel/global_memory.h"

namespace vx::engine {

using gdiplus::PixelFormat1bppIndexed;

namespace {

constexpr size_t kInfoHeaderBytes = 40;
constexpr size_t kXPelsOffset = 24;
constexpr size_t kYPelsOffset = 28;

int32_t ReadInt32(const uint8_t* p) {
  uint32_t v;
  std::memcpy(&v, p, sizeof v);
  return static_cast<int32_t>(v);
}

// A bilevel image whose first colour is white is turned into black-first with its bits
// inverted, so it looks the same and every later bilevel operation can assume black is 0.
VexiroStatus MakeBlackFirst(int32_t id) {
  if (GetImagePixelFormatValue(id) != PixelFormat1bppIndexed) return vexiro::OK;
  ColorPalette palette;
  int32_t bytes = 0;
  if (GetImagePaletteSize(id, bytes) != vexiro::OK || bytes <= 0 || GetImagePalette(id, palette, bytes) != vexiro::OK)
    return vexiro::OK;
  if (palette.Count < 1 || palette.Entries[0] != 0xFFFFFFFFu) return vexiro::OK;
  int32_t width = 0, height = 0;
  GetImageWidth(id, width);
  GetImageHeight(id, height);
  PixelFormat format = PixelFormat1bppIndexed;
  BitmapData data;
  const GpRect all{0, 0, width, height};
  VexiroStatus s = LockImageBits(id, all, gdiplus::ImageLockModeRead | gdiplus::ImageLockModeWrite, format, data);
  if (s != vexiro::OK) return s;
  const size_t rowBytes = (static_cast<size_t>(width) + 7) / 8;
  auto* row = static_cast<uint8_t*>(data.Scan0);
  for (int32_t y = 0; y < height; ++y, row += data.Stride)
    for (size_t x = 0; x < rowBytes; ++x) row[x] = static_cast<uint8_t>(~row[x]);
  s = UnlockImageBits(id, data);
  if (s != vexiro::OK) return s;
  ColorPalette blackWhite;
  blackWhite.Flags = palette.Flags;
  blackWhite.Count = 2;
  blackWhite.Entries[0] = 0xFF000000u;
  blackWhite.Entries[1] = 0xFFFFFFFFu;
  return SetImagePaletteRaw(id, blackWhite);
}

float DpiOfPelsPerMetre(int32_t pels, bool roundWhole) {
  const double dpi = pels * 2.54 / 100.0;
  return static_cast<float>(roundWhole ? std::nearbyint(dpi) : std::nearbyint(dpi * 1000.0) / 1000.0);
}

}  // namespace

VexiroStatus CreateImageFromPackedDIB(int32_t& id, HGLOBAL dib, bool keepHandle, bool roundResolution) {
  id = 0;
  if (dib == 0) return vexiro::InvalidParameter;
  const auto* bytes = static_cast<const uint8_t*>(GlobalLock(dib));
  if (!bytes) return vexiro::GenericError;
  const size_t size = GlobalSize(dib);
  VexiroStatus s = CreateImageFromPackedDIBBlock(bytes, size, id);
  if (s == vexiro::OK) s = MakeBlackFirst(id);
  int32_t xPels = 0, yPels = 0;
  if (size >= kInfoHeaderBytes) {
    xPels = ReadInt32(bytes + kXPelsOffset);
    yPels = ReadInt32(bytes + kYPelsOffset);
  }
  GlobalUnlock(dib);
  if (s != vexiro::OK) return DiscardFailedLoad(id, s);
  if (keepHandle) SetImageGdiDib(id, dib);
  const float h = DpiOfPelsPerMetre(xPels, roundResolution), v = DpiOfPelsPerMetre(yPels, roundResolution);
  if (h > 0 && v > 0) SetImageResolution(id, h, v);
  return vexiro::OK;
}

}  // namespace vx::engine
