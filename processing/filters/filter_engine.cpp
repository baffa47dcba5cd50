// ApplyFilter: reads the processing rectangle into the working array, runs the filter chosen by
// its number, and writes the result back. Two routes leave the working array aside: negating a
// 1-bit image flips its indices, and negating or brightening an indexed image with a coloured
// palette changes only the palette.
#include "processing/filters/filter_engine.h"

#include <cstring>
#include <vector>

#include "engine/image_access.h"
#include "engine/image_store.h"
#include "engine/pixel_formats.h"
#include "engine/runtime_error.h"
#include "platform/gdiplus/pixel_bytes.h"
#include "processing/filters/filter_table.h"
#include "processing/filters/filter_write_back.h"

namespace vx::processing {

namespace {

using gdiplus::ColorPalette;
using gdiplus::PixelFormat;
using vexiro::FilterArea;

constexpr uint32_t kReadBuffer = gdiplus::ImageLockModeRead | gdiplus::ImageLockModeUserInputBuf;
constexpr uint32_t kWriteBuffer = gdiplus::ImageLockModeWrite | gdiplus::ImageLockModeUserInputBuf;

using WorkingPixels = gdiplus::WorkingBuffer<uint32_t>;

thread_local FilterPattern tPattern{};

// An empty rectangle is no error: there is simply nothing to read, run or write.
bool IsEmpty(const FilterArea& a) { return a.Width <= 0 || a.Height <= 0; }

// A rectangle reaching outside the image is refused before anything is read.
VexiroStatus CheckArea(int32_t id, const FilterArea& a) {
  int32_t width = 0, height = 0;
  VexiroStatus s = engine::GetImageWidth(id, width);
  if (s == vexiro::OK) s = engine::GetImageHeight(id, height);
  if (s != vexiro::OK) return s;
  const bool inside =
      a.X >= 0 && a.Y >= 0 && int64_t{a.X} + a.Width <= width && int64_t{a.Y} + a.Height <= height;
  return inside ? vexiro::OK : vexiro::InvalidParameter;
}

// Every byte of the rows flips, padding included; the palette stays, so only indices change.
VexiroStatus NegativeOneBit(int32_t id, const FilterArea& a) {
  const int32_t stride = engine::ComputeStride(a.Width, 1);
  std::vector<uint8_t> rows(static_cast<size_t>(stride) * static_cast<size_t>(a.Height));
  VexiroStatus s = TransferArea(id, a, kReadBuffer, gdiplus::PixelFormat1bppIndexed, rows.data(), stride);
  if (s != vexiro::OK) return s;
  for (uint8_t& b : rows) b = static_cast<uint8_t>(~b);
  return TransferArea(id, a, kWriteBuffer, gdiplus::PixelFormat1bppIndexed, rows.data(), stride);
}

// The pixels keep their indices; the rectangle is locked for writing in the image's own format
// afterwards, as the system does to have the change taken up, reading first so that a lock that
// cannot lend the image's own rows gives them back unchanged.
VexiroStatus PaletteRoute(int32_t filterId, int32_t id, const FilterArea& a, PixelFormat format, ColorPalette palette,
                          double param1) {
  if (filterId == FilterIDNegative) {
    PaletteNegative(palette);
  } else {
    int32_t percentage = 0;
    if (!LongOf(param1, percentage) || !PaletteBrightness(percentage, palette)) return vexiro::GenericError;
  }
  VexiroStatus s = engine::SetImagePalette(id, palette);
  if (s != vexiro::OK) return s;
  gdiplus::BitmapData data;
  const gdiplus::GpRect rect{a.X, a.Y, a.Width, a.Height};
  s = engine::LockImageBits(id, rect, gdiplus::ImageLockModeRead | gdiplus::ImageLockModeWrite, format, data);
  return s == vexiro::OK ? engine::UnlockImageBits(id, data) : s;
}

VexiroStatus ReadPalette(int32_t id, ColorPalette& palette) {
  int32_t bytes = 0;
  VexiroStatus s = engine::GetImagePaletteSize(id, bytes);
  if (s == vexiro::OK) s = engine::GetImagePalette(id, palette, bytes);
  return s;
}

struct Outcome {
  VexiroStatus status = vexiro::OK;
  double measure = 0;
  bool measured = false;  // the procedure ran over the pixels and answered
};

// The area's size and whether it is the whole image, as the procedures see it.
FilterImage ImageOver(int32_t id, const FilterArea& a, uint8_t* pixels, const uint32_t* source, int32_t pixelBytes) {
  int32_t imageWidth = 0, imageHeight = 0;
  engine::GetImageWidth(id, imageWidth);
  engine::GetImageHeight(id, imageHeight);
  return FilterImage{reinterpret_cast<uint32_t*>(pixels), source, a.Width, a.Height,
                     imageWidth <= a.Width && imageHeight <= a.Height, pixelBytes};
}

// A procedure that can fail only before it changes a pixel runs over the area's rows as the image
// lends them: no copy of the picture in fresh memory, and a failure leaves it as it was.
Outcome RunOverOwnRows(const FilterEntry& entry, int32_t id, const FilterArea& a, const FilterArgs& args) {
  gdiplus::BitmapData data;
  const gdiplus::GpRect rect{a.X, a.Y, a.Width, a.Height};
  PixelFormat format = gdiplus::PixelFormat24bppRGB;
  if (VexiroStatus s = engine::LockImageBits(id, rect, gdiplus::ImageLockModeRead | gdiplus::ImageLockModeWrite,
                                             format, data);
      s != vexiro::OK)
    return {s};
  FilterImage image = ImageOver(id, a, static_cast<uint8_t*>(data.Scan0), nullptr, 3);
  image.stride = data.Stride;
  Outcome out;
  out.measured = entry.run(image, args, out.measure);
  const VexiroStatus unlocked = engine::UnlockImageBits(id, data);
  if (!out.measured) return {vexiro::GenericError};
  // What writing the copy back would have told the store.
  if (unlocked == vexiro::OK) engine::MarkImageModified(id);
  out.status = unlocked;
  return out;
}

// A procedure that touches only colour bytes runs over a copy of the area in the image's own
// 24-bit rows: the bytes are those of the 32-bit working array, without widening every pixel and
// narrowing it again.
Outcome RunOver24BitRows(const FilterEntry& entry, int32_t id, const FilterArea& a, const FilterArgs& args) {
  if (entry.failsOnlyFirst && entry.failsOnlyFirst(args)) return RunOverOwnRows(entry, id, a, args);
  constexpr PixelFormat kFormat = gdiplus::PixelFormat24bppRGB;
  const int32_t stride = 3 * a.Width;
  gdiplus::WorkingBuffer<uint8_t> rows(static_cast<size_t>(stride) * static_cast<size_t>(a.Height));
  if (VexiroStatus s = TransferArea(id, a, kReadBuffer, kFormat, rows.data(), stride); s != vexiro::OK) return {s};
  FilterImage image = ImageOver(id, a, rows.data(), nullptr, 3);
  Outcome out;
  if (!entry.run(image, args, out.measure)) return {vexiro::GenericError};
  out.measured = true;
  out.status = TransferArea(id, a, kWriteBuffer, kFormat, rows.data(), stride);
  return out;
}

Outcome RunFilter(int32_t filterId, const FilterEntry& entry, int32_t id, const FilterArea& a, const FilterArgs& args) {
  PixelFormat format = 0;
  if (VexiroStatus s = engine::GetImagePixelFormat(id, format); s != vexiro::OK) return {s};
  const bool oneBit = format == gdiplus::PixelFormat1bppIndexed;
  if (oneBit && filterId == FilterIDNegative) return {NegativeOneBit(id, a)};
  if (entry.colourBytesOnly && format == gdiplus::PixelFormat24bppRGB) return RunOver24BitRows(entry, id, a, args);

  ColorPalette palette;
  if (engine::IsIndexedPixelFormat(format)) {
    const bool read = ReadPalette(id, palette) == vexiro::OK;
    const bool coloured = !read || !HasOnlyGreyEntries(palette);
    if (!read) palette = ColorPalette{};
    if (!oneBit && coloured && (filterId == FilterIDNegative || filterId == FilterIDBrightness))
      return {PaletteRoute(filterId, id, a, format, palette, args.param1)};
  }

  // Every pixel is read into the array before anything looks at it, so it is not cleared first.
  WorkingPixels pixels(static_cast<size_t>(a.Width) * static_cast<size_t>(a.Height));
  if (VexiroStatus s = TransferArea(id, a, kReadBuffer, gdiplus::PixelFormat32bppARGB, pixels.data(), 4 * a.Width);
      s != vexiro::OK)
    return {s};
  WorkingPixels source;
  if (entry.needsSource) source = pixels;

  FilterImage image = ImageOver(id, a, reinterpret_cast<uint8_t*>(pixels.data()),
                                source.empty() ? nullptr : source.data(), 4);
  const FilterProcedure run = oneBit && filterId == FilterIDIsBlank ? IsBlank1bpp : entry.run;
  Outcome out;
  if (!run(image, args, out.measure)) return {vexiro::GenericError};
  out.measured = true;
  if (entry.kind == FilterKind::Changes) out.status = WriteBack(id, a, format, palette, pixels);
  return out;
}

bool IsYesNoMeasure(int32_t filterId) {
  return filterId == FilterIDIsGrayscale || filterId == FilterIDIsBlank || filterId == FilterIDIsBitonal;
}

}  // namespace

void SetFilterPattern(const FilterPattern& pattern) { tPattern = pattern; }
const FilterPattern& GetFilterPattern() { return tPattern; }

VexiroStatus ApplyProcedure(FilterProcedure run, int32_t imageId, const FilterArea& area, const FilterArgs& args) {
  return engine::TrapRuntimeErrors([&] {
    if (IsEmpty(area)) return vexiro::OK;
    VexiroStatus s = CheckArea(imageId, area);
    return s == vexiro::OK ? RunFilter(0, FilterEntry{FilterKind::Changes, run, false}, imageId, area, args).status : s;
  });
}

VexiroStatus ApplyFilter(int32_t filterId, int32_t imageId, double param1, FilterArea& area, float f1, float f2,
                         float f3, double param2, double param3, double param4, double& result) {
  const FilterEntry entry = FindFilter(filterId);
  if (entry.kind == FilterKind::None) return vexiro::OK;
  const FilterArgs args{param1, param2, param3, param4, f1, f2, f3};
  Outcome out;
  out.status = engine::TrapRuntimeErrors([&] {
    if (IsEmpty(area)) return vexiro::OK;
    VexiroStatus s = CheckArea(imageId, area);
    if (s != vexiro::OK) return s;
    out = RunFilter(filterId, entry, imageId, area, args);
    return out.status;
  });
  if (IsYesNoMeasure(filterId))
    result = out.status == vexiro::OK && out.measure != 0 ? 1.0 : 0.0;
  else if (out.status == vexiro::OK && out.measured &&
           (filterId == FilterIDCountColor || filterId == FilterIDCountTransparent ||
            filterId == FilterIDGetAverageColor))
    result = out.measure;
  return out.status;
}

}  // namespace vx::processing
