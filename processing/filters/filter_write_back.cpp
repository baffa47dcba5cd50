#include "processing/filters/filter_write_back.h"

#include <algorithm>
#include <array>
#include <span>
#include <vector>

#include "engine/gdiplus_lifetime.h"
#include "engine/image_access.h"
#include "engine/image_store.h"
#include "engine/pixel_formats.h"
#include "processing/color/nearest_entry.h"

namespace vx::processing {

namespace {

using gdiplus::ARGB;
using gdiplus::ColorPalette;

constexpr uint32_t kWriteBuffer = gdiplus::ImageLockModeWrite | gdiplus::ImageLockModeUserInputBuf;

int32_t Channel(ARGB v, int shift) { return static_cast<int32_t>((v >> shift) & 0xFF); }
int32_t Lightness(ARGB v) { return Channel(v, 16) + Channel(v, 8) + Channel(v, 0); }

uint32_t EntryCount(const ColorPalette& palette) { return std::min<uint32_t>(palette.Count, 256); }

// A pixel left exactly white in blue takes the lighter of the two entries, whichever index holds
// it, so an image whose entry 0 is white does not come back inverted.
VexiroStatus WriteBackOneBit(int32_t id, const vexiro::FilterArea& area, const ColorPalette& palette,
                             std::span<const uint32_t> pixels) {
  const bool whiteFirst = EntryCount(palette) >= 2 && Lightness(palette.Entries[0]) > Lightness(palette.Entries[1]);
  const uint8_t light = whiteFirst ? 0 : 1;
  const int32_t stride = engine::ComputeStride(area.Width, 1);
  std::vector<uint8_t> rows(static_cast<size_t>(stride) * static_cast<size_t>(area.Height), 0);
  for (int32_t y = 0; y < area.Height; ++y) {
    const uint32_t* src = pixels.data() + static_cast<size_t>(y) * area.Width;
    uint8_t* row = rows.data() + static_cast<size_t>(y) * stride;
    for (int32_t x = 0; x < area.Width; ++x) {
      const bool white = (src[x] & 0xFF) == 0xFF;
      if ((white ? light : 1 - light) != 0) row[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
    }
  }
  return TransferArea(id, area, kWriteBuffer, gdiplus::PixelFormat1bppIndexed, rows.data(), stride);
}

template <class IndexOf>
VexiroStatus WriteBackEightBit(int32_t id, const vexiro::FilterArea& area, std::span<const uint32_t> pixels,
                               IndexOf indexOf) {
  std::vector<uint8_t> rows(pixels.size());
  std::transform(pixels.begin(), pixels.end(), rows.begin(), indexOf);
  return TransferArea(id, area, kWriteBuffer, gdiplus::PixelFormat8bppIndexed, rows.data(), area.Width);
}

}  // namespace

VexiroStatus TransferArea(int32_t id, const vexiro::FilterArea& area, uint32_t mode, gdiplus::PixelFormat format,
                          void* buffer, int32_t stride) {
  gdiplus::BitmapData data;
  data.Width = static_cast<gdiplus::UINT>(area.Width);
  data.Height = static_cast<gdiplus::UINT>(area.Height);
  data.Stride = stride;
  data.PixelFormat = format;
  data.Scan0 = buffer;
  const gdiplus::GpRect rect{area.X, area.Y, area.Width, area.Height};
  VexiroStatus s = engine::LockImageBits(id, rect, mode, format, data);
  if (s == vexiro::OK) s = engine::UnlockImageBits(id, data);
  return s;
}

bool HasOnlyGreyEntries(const ColorPalette& palette) {
  for (uint32_t i = 0; i < EntryCount(palette); ++i) {
    const ARGB e = palette.Entries[i];
    if (Channel(e, 0) != Channel(e, 8) || Channel(e, 0) != Channel(e, 16)) return false;
  }
  return true;
}

VexiroStatus WriteBack(int32_t id, const vexiro::FilterArea& area, gdiplus::PixelFormat format,
                       const ColorPalette& palette, std::span<uint32_t> pixels) {
  if (format == gdiplus::PixelFormat1bppIndexed) return WriteBackOneBit(id, area, palette, pixels);
  if (format == gdiplus::PixelFormat8bppIndexed) {
    const bool grey = HasOnlyGreyEntries(palette);
    // The identity ramp (entry i is grey i) is the one palette where blue is the index.
    if (grey && engine::IsGreyPalette(id))
      return WriteBackEightBit(id, area, pixels, [](uint32_t p) { return static_cast<uint8_t>(p & 0xFF); });
    if (grey || engine::GdiplusBefore60()) {
      NearestEntry nearest(palette.Entries, palette.Count);
      return WriteBackEightBit(id, area, pixels, [&](uint32_t p) { return nearest.Find(p); });
    }
  }
  return TransferArea(id, area, kWriteBuffer, gdiplus::PixelFormat32bppARGB, pixels.data(), 4 * area.Width);
}

}  // namespace vx::processing
