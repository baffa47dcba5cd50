// Flood fill: the 4-connected region of pixels whose red, green and blue equal the start pixel's
// takes the fill colour, opaque. Other pixels, their alpha included, stay as they were.
//
// The page is read twice in bands of 32-bit rows: once to mark which pixels have the region's
// colour, once to paint the filled ones and write each band back as the filter engine writes a
// whole page back. Between the two only the bit planes are held.
#include "processing/filters/flood_fill.h"

#include <algorithm>
#include <vector>

#include "engine/image_access.h"
#include "engine/pixel_formats.h"
#include "engine/runtime_error.h"
#include "processing/filters/filter_write_back.h"
#include "vexiro/imaging.h"

namespace vx::processing {

namespace {

constexpr uint32_t kColourBits = 0x00FFFFFFu, kOpaque = 0xFF000000u;
constexpr uint32_t kReadRows = gdiplus::ImageLockModeRead | gdiplus::ImageLockModeUserInputBuf;
// About 16,000 pixels a band: 64 KiB of rows, whatever the page's size.
constexpr int64_t kBandPixels = int64_t{1} << 14;

struct RunStart {
  int32_t x, y;
};

// Every run of open pixels in row `y` between `left` and `right` waits by its first pixel.
void QueueRunsOfRow(const FillPlanes& planes, int32_t y, int32_t left, int32_t right, std::vector<RunStart>& pending) {
  bool inRun = false;
  for (int32_t x = left; x <= right; ++x) {
    const bool open = planes.open.Get(planes.At(x, y));
    if (open && !inRun) pending.push_back({x, y});
    inRun = open;
  }
}

// The rows of a band, read as 32bppARGB.
struct Band {
  vexiro::FilterArea area;
  std::vector<uint32_t> pixels;
};

// Runs `use` on every band of the page in turn, top to bottom; the first failing status ends it.
template <class Use>
VexiroStatus ForEachBand(int32_t id, int32_t width, int32_t height, Use use) {
  const auto rows = static_cast<int32_t>(std::clamp<int64_t>(kBandPixels / width, 1, height));
  Band band;
  for (int32_t top = 0; top < height; top += rows) {
    band.area = {0, top, width, std::min(rows, height - top)};
    band.pixels.resize(static_cast<size_t>(width) * static_cast<size_t>(band.area.Height));
    VexiroStatus s = TransferArea(id, band.area, kReadRows, gdiplus::PixelFormat32bppARGB, band.pixels.data(), 4 * width);
    if (s == vexiro::OK) s = use(band);
    if (s != vexiro::OK) return s;
  }
  return vexiro::OK;
}

// The palette the page is written back through; none when it has none or it cannot be read.
gdiplus::ColorPalette WriteBackPalette(int32_t id, gdiplus::PixelFormat format) {
  gdiplus::ColorPalette palette;
  int32_t bytes = 0;
  if (!engine::IsIndexedPixelFormat(format) || engine::GetImagePaletteSize(id, bytes) != vexiro::OK ||
      engine::GetImagePalette(id, palette, bytes) != vexiro::OK)
    palette = gdiplus::ColorPalette{};
  return palette;
}

VexiroStatus FillPage(int32_t id, int32_t width, int32_t height, int32_t x0, int32_t y0, int32_t argb) {
  const uint32_t fill = (static_cast<uint32_t>(argb) & kColourBits) | kOpaque;
  gdiplus::PixelFormat format = 0;
  if (VexiroStatus s = engine::GetImagePixelFormat(id, format); s != vexiro::OK) return s;
  const gdiplus::ColorPalette palette = WriteBackPalette(id, format);
  uint32_t start = 0;
  if (VexiroStatus s = TransferArea(id, {x0, y0, 1, 1}, kReadRows, gdiplus::PixelFormat32bppARGB, &start, 4);
      s != vexiro::OK)
    return s;
  const uint32_t target = start & kColourBits;
  FillPlanes planes(width, height);
  // Filled pixels must no longer match, or the fill would never end: a fill in the region's own
  // colour fills nothing, and the page is still written back as every filter writes it.
  if (target != (fill & kColourBits)) {
    VexiroStatus s = ForEachBand(id, width, height, [&](const Band& band) {
      const size_t first = planes.At(0, band.area.Y);
      for (size_t i = 0; i < band.pixels.size(); ++i)
        if ((band.pixels[i] & kColourBits) == target) planes.open.Set(first + i);
      return vexiro::OK;
    });
    if (s != vexiro::OK) return s;
    FillOpenRegion(planes, x0, y0);
  }
  return ForEachBand(id, width, height, [&](Band& band) {
    const size_t first = planes.At(0, band.area.Y);
    for (size_t i = 0; i < band.pixels.size(); ++i)
      if (planes.filled.Get(first + i)) band.pixels[i] = fill;
    return WriteBack(id, band.area, format, palette, band.pixels);
  });
}

}  // namespace

size_t FillOpenRegion(FillPlanes& planes, int32_t x, int32_t y) {
  if (!planes.open.Get(planes.At(x, y))) return 0;
  std::vector<RunStart> pending{{x, y}};
  size_t most = pending.size();
  while (!pending.empty()) {
    const RunStart start = pending.back();
    pending.pop_back();
    if (!planes.open.Get(planes.At(start.x, start.y))) continue;  // filled since it was queued
    int32_t left = start.x, right = start.x;
    while (left > 0 && planes.open.Get(planes.At(left - 1, start.y))) --left;
    while (right + 1 < planes.width && planes.open.Get(planes.At(right + 1, start.y))) ++right;
    for (size_t i = planes.At(left, start.y), end = planes.At(right, start.y); i <= end; ++i) {
      planes.open.Clear(i);
      planes.filled.Set(i);
    }
    if (start.y > 0) QueueRunsOfRow(planes, start.y - 1, left, right, pending);
    if (start.y + 1 < planes.height) QueueRunsOfRow(planes, start.y + 1, left, right, pending);
    most = std::max(most, pending.size());
  }
  return most;
}

}  // namespace vx::processing

namespace vexiro {

// The fill ignores the processing rectangle. A start outside the image is what the platform's
// fill refuses, so it answers as a refused fill does.
VexiroStatus cImaging::FloodFill(int32_t nXStart, int32_t nYStart, EnumArg<Colors> nARGBColor) {
  if (nNativeImage == 0) return nStat = GenericError;
  const int32_t width = GetWidth(), height = GetHeight();
  if (nStat != OK) return nStat;
  if (nXStart < 0 || nYStart < 0 || nXStart >= width || nYStart >= height) return nStat = Win32Error;
  return nStat = vx::engine::TrapRuntimeErrors(
             [&] { return vx::processing::FillPage(nNativeImage, width, height, nXStart, nYStart, nARGBColor); });
}

}  // namespace vexiro
