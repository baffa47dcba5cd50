// Palette and pixel reads shared by the engine's own writers.
#include "engine/save/image_buffers.h"

#include <limits>
#include <new>

#include "engine/image_access.h"
#include "engine/image_store.h"
#include "engine/pixel_formats.h"
#include "engine/save/gdiplus_savers.h"
#include "processing/color/octree_quantizer.h"

namespace vx::engine {

VexiroStatus ReadPaletteBytes(int32_t id, std::vector<PaletteBytes>& entries) {
  entries.clear();
  int32_t bytes = 0;
  VexiroStatus s = GetImagePaletteSize(id, bytes);
  if (s != vexiro::OK) return s;
  gdiplus::ColorPalette palette;
  s = GetImagePalette(id, palette, bytes);
  if (s != vexiro::OK) return s;
  const uint32_t count = std::min<uint32_t>(palette.Count, 256);
  for (uint32_t i = 0; i < count; ++i) {
    const gdiplus::ARGB c = palette.Entries[i];
    entries.push_back({static_cast<uint8_t>(c >> 16), static_cast<uint8_t>(c >> 8), static_cast<uint8_t>(c),
                       static_cast<uint8_t>(c >> 24)});
  }
  return vexiro::OK;
}

VexiroStatus ReadWholeImage(int32_t id, gdiplus::PixelFormat format, int32_t bits, std::vector<uint8_t>& buffer) {
  int32_t width = 0, height = 0;
  VexiroStatus s = GetImageWidth(id, width);
  if (s == vexiro::OK) s = GetImageHeight(id, height);
  if (s != vexiro::OK) return s;
  const int32_t stride = ComputeStride(width, bits);
  if (stride <= 0 || height <= 0) return vexiro::InvalidParameter;
  const uint64_t total = static_cast<uint64_t>(stride) * static_cast<uint64_t>(height);
  if (total > static_cast<uint64_t>(std::numeric_limits<int32_t>::max())) return vexiro::OutOfMemory;
  try {
    buffer.assign(static_cast<size_t>(total), 0);
  } catch (const std::bad_alloc&) {
    return vexiro::OutOfMemory;
  }
  gdiplus::BitmapData data;
  data.Width = static_cast<gdiplus::UINT>(width);
  data.Height = static_cast<gdiplus::UINT>(height);
  data.Stride = stride;
  data.PixelFormat = format;
  data.Scan0 = buffer.data();
  const gdiplus::GpRect whole{0, 0, width, height};
  s = LockImageBits(id, whole, gdiplus::ImageLockModeRead | gdiplus::ImageLockModeUserInputBuf, format, data);
  if (s != vexiro::OK) return s;
  return UnlockImageBits(id, data);
}

VexiroStatus ReduceToEightBits(int32_t id, ScopedImage& reduced) {
  int32_t colors = 256;
  gdiplus::ColorPalette palette;
  const VexiroStatus s = processing::ReduceImageColors(id, *reduced.put(), colors, palette, false, 0);
  if (s != vexiro::OK) return s;
  return reduced.get() == 0 ? vexiro::InvalidParameter : vexiro::OK;
}

VexiroStatus RunOwnWriter(int32_t id, bool (*needsReduction)(int32_t bits), const OwnWrite& write) {
  if (GetImageIndex(id) < 0) return vexiro::InvalidParameter;
  try {
    ReapplyResolution(id);
    int32_t bits = 0;
    const VexiroStatus s = GetImageBitDepth(id, bits);
    if (s != vexiro::OK) return s;
    if (!needsReduction(bits)) return write(id, bits, false);
    ScopedImage reduced;
    const VexiroStatus r = ReduceToEightBits(id, reduced);
    if (r != vexiro::OK) return r;
    return write(reduced.get(), bits, true);
  } catch (const std::bad_alloc&) {
    return vexiro::OutOfMemory;
  }
}

}  // namespace vx::engine
