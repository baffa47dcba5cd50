// Registered images into plug-in bitmaps, for the savers that write through the plug-in.
#include <algorithm>
#include <new>
#include <vector>

#include "engine/image_access.h"
#include "engine/pixel_formats.h"
#include "engine/plugin/api.h"
#include "engine/plugin/bridge.h"
#include "engine/runtime_error.h"

namespace vx::engine {
namespace {

constexpr uint8_t kTransparentAlpha = 0;
constexpr uint32_t kRed565 = 0xF800, kGreen565 = 0x07E0, kBlue565 = 0x001F;

// The image's rows copied into a new plug-in bitmap, under a read lock in its own format.
VexiroStatus CopyPixels(const VximgplugApi& api, int32_t id, PixelFormat format, int32_t bpp, PluginBitmap& out) {
  int32_t width = 0, height = 0;
  GetImageWidth(id, width);
  GetImageHeight(id, height);
  gdiplus::BitmapData data;
  const VexiroStatus locked = LockImageBits(id, {0, 0, width, height}, gdiplus::ImageLockModeRead, format, data);
  if (locked != vexiro::OK) return locked;
  // Without masks 16-bit rows read as 5-5-5; 5-6-5 rows say so, or their colours shift.
  const bool rgb565 = format == gdiplus::PixelFormat16bppRGB565;
  out.reset(api.ConvertFromRawBits(static_cast<const uint8_t*>(data.Scan0), width, height, data.Stride, bpp,
                                   rgb565 ? kRed565 : 0, rgb565 ? kGreen565 : 0, rgb565 ? kBlue565 : 0, 1));
  UnlockImageBits(id, data);
  return out ? vexiro::OK : vexiro::OutOfMemory;
}

// The image's palette, and its fully transparent entries as the transparent index (the last
// such entry wins, as each one is set in turn).
void CopyPalette(const VximgplugApi& api, int32_t id, uint32_t bitmap) {
  int32_t bytes = 0;
  if (GetImagePaletteSize(id, bytes) != vexiro::OK || bytes <= 0) return;
  gdiplus::ColorPalette palette;
  if (GetImagePalette(id, palette, bytes) != vexiro::OK) return;
  const uint32_t count = std::min<uint32_t>(palette.Count, 256);
  const std::vector<uint32_t> colors(palette.Entries, palette.Entries + count);
  PluginSetPalette(bitmap, colors);
  for (uint32_t i = 0; i < count; ++i)
    if ((colors[i] >> 24) == kTransparentAlpha) api.SetTransparentIndex(bitmap, static_cast<int32_t>(i));
}

// 32-bit pixels that carry no transparency travel as 24 bits.
void DropUnusedAlpha(const VximgplugApi& api, PixelFormat format, PluginBitmap& bitmap) {
  const bool dropAlpha = format == gdiplus::PixelFormat32bppRGB ||
                         (format == gdiplus::PixelFormat32bppARGB && api.IsTransparent(bitmap.get()) == 0);
  if (!dropAlpha) return;
  if (const uint32_t converted = api.ConvertTo24Bits(bitmap.get())) bitmap.reset(converted);
}

VexiroStatus BuildPluginBitmap(int32_t id, uint32_t& bitmap) {
  const VximgplugApi& api = Vximgplug();
  PixelFormat format = GetImagePixelFormatValue(id);
  const int32_t bpp = PixelFormatBitDepth(format);
  if (bpp > 32) return vexiro::UnsupportedImageFormat;
  PluginBitmap converted;
  const VexiroStatus copied = CopyPixels(api, id, format, bpp, converted);
  if (copied != vexiro::OK) return copied;
  if (bpp <= 8) CopyPalette(api, id, converted.get());
  DropUnusedAlpha(api, format, converted);
  uint32_t handle = converted.get();
  ImageMetadataToPlugin(id, handle);
  bitmap = converted.release();
  return vexiro::OK;
}

}  // namespace

VexiroStatus ImageToPluginBitmap(int32_t id, uint32_t& bitmap) {
  return TrapRuntimeErrors([&] { return BuildPluginBitmap(id, bitmap); });
}

}  // namespace vx::engine
