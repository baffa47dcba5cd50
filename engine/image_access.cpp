// Queries, changes and pixel locks on images named by identifier.
#include "engine/image_access.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <new>

#include "engine/gdiplus_lifetime.h"
#include "engine/load/from_memory.h"
#include "platform/gdiplus/gdiplus_flat.h"

namespace vx::engine {

using namespace vx::gdiplus;

GpBitmap* AsBitmap(GpImage* image) { return dynamic_cast<GpBitmap*>(image); }

VexiroStatus GetImageWidth(int32_t id, int32_t& width) {
  width = 0;
  if (GetImageIndex(id) < 0) return vexiro::InvalidParameter;
  UINT w = 0;
  const Status s = GdipGetImageWidth(GetGpImage(id), &w);
  if (s == Ok && w <= static_cast<UINT>(std::numeric_limits<int32_t>::max())) width = static_cast<int32_t>(w);
  return ToStatus(s);
}

VexiroStatus GetImageHeight(int32_t id, int32_t& height) {
  height = 0;
  if (GetImageIndex(id) < 0) return vexiro::InvalidParameter;
  UINT h = 0;
  const Status s = GdipGetImageHeight(GetGpImage(id), &h);
  if (s == Ok && h <= static_cast<UINT>(std::numeric_limits<int32_t>::max())) height = static_cast<int32_t>(h);
  return ToStatus(s);
}

VexiroStatus GetImageHorizontalResolution(int32_t id, float& dpi) {
  dpi = 0;
  if (GetImageIndex(id) < 0) return vexiro::InvalidParameter;
  return ToStatus(GdipGetImageHorizontalResolution(GetGpImage(id), &dpi));
}

VexiroStatus GetImageVerticalResolution(int32_t id, float& dpi) {
  dpi = 0;
  if (GetImageIndex(id) < 0) return vexiro::InvalidParameter;
  return ToStatus(GdipGetImageVerticalResolution(GetGpImage(id), &dpi));
}

bool ImageResolutionGiven(int32_t id) {
  UINT flags = 0;
  return GetImageIndex(id) >= 0 && GdipGetImageFlags(GetGpImage(id), &flags) == Ok && (flags & ImageFlagsHasRealDPI) != 0;
}

std::string GetImageFormatName(int32_t id) {
  if (const ImageRecord* r = FindImageRecord(id)) return r->FormatName;
  return GetRawFormatName(id);
}

VexiroStatus GetImagePixelFormat(int32_t id, PixelFormat& format) {
  format = 0;
  return ToStatus(GdipGetImagePixelFormat(GetGpImage(id), &format));
}

PixelFormat GetImagePixelFormatValue(int32_t id) {
  PixelFormat format = 0;
  GetImagePixelFormat(id, format);
  return format;
}

VexiroStatus GetImageBitDepth(int32_t id, int32_t& bits) {
  bits = 0;
  PixelFormat format = 0;
  const VexiroStatus s = GetImagePixelFormat(id, format);
  if (s == vexiro::OK) bits = PixelFormatBitDepth(format);
  return s;
}

int32_t GetImageBitDepthStrict(int32_t id) {
  if (GetImageIndex(id) < 0) return 0;
  return PixelFormatBitDepthStrict(GetImagePixelFormatValue(id));
}

VexiroStatus GetPixelFormatName(int32_t id, std::string& name) {
  name.clear();
  PixelFormat format = 0;
  const VexiroStatus s = GetImagePixelFormat(id, format);
  if (s == vexiro::OK) name = PixelFormatName(format);
  return s;
}

VexiroStatus GetImageColorSpaceCode(int32_t id, int32_t& code) {
  code = 0;
  if (GetImageIndex(id) < 0) return vexiro::InvalidParameter;
  UINT flags = 0;
  const Status s = GdipGetImageFlags(GetGpImage(id), &flags);
  if (s == Ok) code = ColorSpaceCodeFromFlags(flags);
  return ToStatus(s);
}

VexiroStatus GetImagePaletteSize(int32_t id, int32_t& bytes) {
  bytes = 0;
  if (GetImageIndex(id) < 0) return vexiro::InvalidParameter;
  INT size = 0;
  const Status s = GdipGetImagePaletteSize(GetGpImage(id), &size);
  if (s == Ok) bytes = size;
  return ToStatus(s);
}

VexiroStatus GetImagePalette(int32_t id, ColorPalette& palette, int32_t bytes) {
  if (GetImageIndex(id) < 0) return vexiro::InvalidParameter;
  if (bytes < 0 || bytes > static_cast<int32_t>(sizeof(ColorPalette))) return vexiro::InvalidParameter;
  return ToStatus(GdipGetImagePalette(GetGpImage(id), &palette, bytes));
}

VexiroStatus GetImagePixel(int32_t id, int32_t x, int32_t y, ARGB& argb) {
  argb = 0;
  if (GetImageIndex(id) < 0) return vexiro::InvalidParameter;
  return ToStatus(GdipBitmapGetPixel(AsBitmap(GetGpImage(id)), x, y, &argb));
}

VexiroStatus GetImagePropertyCount(int32_t id, int32_t& count) {
  count = 0;
  if (GetImageIndex(id) < 0) return vexiro::InvalidParameter;
  UINT n = 0;
  const Status s = GdipGetPropertyCount(GetGpImage(id), &n);
  if (s == Ok) count = static_cast<int32_t>(n);
  return ToStatus(s);
}

VexiroStatus GetImagePropertyItemSize(int32_t id, PROPID tag, int32_t& bytes) {
  bytes = 0;
  if (GetImageIndex(id) < 0) return vexiro::InvalidParameter;
  UINT n = 0;
  const Status s = GdipGetPropertyItemSize(GetGpImage(id), tag, &n);
  if (s == Ok) bytes = static_cast<int32_t>(n);
  return ToStatus(s);
}

GpImage* GpImageFromID(int32_t id) { return GetGpImage(id); }

namespace {

// Locks the whole image for reading in its own format and hands the lock record to `use`.
template <class Use>
VexiroStatus WithWholeReadLock(GpImage* image, Use use) {
  GpBitmap* bitmap = AsBitmap(image);
  if (!bitmap) return vexiro::InvalidParameter;
  UINT w = 0, h = 0;
  PixelFormat format = 0;
  Status s = GdipGetImageWidth(image, &w);
  if (s == Ok) s = GdipGetImageHeight(image, &h);
  if (s == Ok) s = GdipGetImagePixelFormat(image, &format);
  if (s != Ok) return ToStatus(s);
  const GpRect rect{0, 0, static_cast<INT>(w), static_cast<INT>(h)};
  BitmapData data;
  s = GdipBitmapLockBits(bitmap, &rect, ImageLockModeRead, format, &data);
  if (s != Ok) return ToStatus(s);
  use(data);
  return ToStatus(GdipBitmapUnlockBits(bitmap, &data));
}

}  // namespace

VexiroStatus ReadScan0Of(GpImage* image, intptr_t& scan0) {
  scan0 = 0;
  return WithWholeReadLock(image, [&](const BitmapData& d) { scan0 = reinterpret_cast<intptr_t>(d.Scan0); });
}

VexiroStatus ReadImageStride(int32_t id, int32_t& stride) {
  stride = 0;
  if (GetImageIndex(id) < 0) return vexiro::InvalidParameter;
  return WithWholeReadLock(GetGpImage(id), [&](const BitmapData& d) { stride = d.Stride; });
}

VexiroStatus ReadImageScan0(int32_t id, intptr_t& scan0) {
  scan0 = 0;
  if (GetImageIndex(id) < 0) return vexiro::InvalidParameter;
  return ReadScan0Of(GetGpImage(id), scan0);
}

VexiroStatus SetImagePaletteRaw(int32_t id, const ColorPalette& palette) {
  if (GetImageIndex(id) < 0) return vexiro::InvalidParameter;
  return ToStatus(GdipSetImagePalette(GetGpImage(id), &palette));
}

VexiroStatus SetImagePalette(int32_t id, const ColorPalette& palette) {
  const VexiroStatus s = SetImagePaletteRaw(id, palette);
  if (s == vexiro::OK) MarkImageModified(id);
  return s;
}

VexiroStatus SetImagePixel(int32_t id, int32_t x, int32_t y, ARGB argb) {
  if (GetImageIndex(id) < 0) return vexiro::InvalidParameter;
  const Status s = GdipBitmapSetPixel(AsBitmap(GetGpImage(id)), x, y, argb);
  if (s == Ok) MarkImageModified(id);
  return ToStatus(s);
}

namespace {

// A resolution as a rational whose parts both fit a signed 32-bit value: the fewest decimal
// places that make it whole, at most nine (the largest power of ten that fits).
bool ResolutionRational(float dpi, uint32_t (&fraction)[2]) {
  constexpr double kMaxPart = std::numeric_limits<int32_t>::max();
  if (!std::isfinite(dpi) || dpi <= 0.0f || dpi > kMaxPart) return false;
  double scale = 1.0;
  int e = 0;
  for (; e < 9; ++e, scale *= 10.0) {
    const float scaled = static_cast<float>(scale * dpi);
    if (std::trunc(scaled) == scaled) break;
    if (scale * 10.0 * dpi > kMaxPart) break;
  }
  const double numerator = std::nearbyint(scale * dpi);
  if (numerator < 1.0 || numerator > kMaxPart) return false;
  fraction[0] = static_cast<uint32_t>(numerator);
  fraction[1] = static_cast<uint32_t>(scale);
  return true;
}

void WriteResolutionItem(GpImage* image, PROPID tag, const uint32_t (&fraction)[2]) {
  uint32_t value[2] = {fraction[0], fraction[1]};
  PropertyItem item;
  item.id = tag;
  item.length = sizeof(value);
  item.type = PropertyTagTypeRational;
  item.value = value;
  GdipSetPropertyItem(image, &item);
}

// The resolution items hold dots per inch, so the unit item says inch: a centimetre or "none"
// left from the file would make every reader take them for something else.
void WriteInchUnitItem(GpImage* image) {
  constexpr uint16_t kInch = 2;
  uint16_t value = kInch;
  PropertyItem item;
  item.id = PropertyTagResolutionUnit;
  item.length = sizeof(value);
  item.type = PropertyTagTypeShort;
  item.value = &value;
  GdipSetPropertyItem(image, &item);
}

}  // namespace

VexiroStatus SetImageResolution(int32_t id, float horizontalDpi, float verticalDpi, bool noRefresh) {
  if (GetImageIndex(id) < 0) return vexiro::InvalidParameter;
  uint32_t h[2], v[2];
  if (!ResolutionRational(horizontalDpi, h) || !ResolutionRational(verticalDpi, v)) return vexiro::InvalidParameter;
  GpImage* image = GetGpImage(id);
  GdipImageForceValidation(image);
  WriteResolutionItem(image, PropertyTagXResolution, h);
  WriteResolutionItem(image, PropertyTagYResolution, v);
  WriteInchUnitItem(image);
  const Status s = GdipBitmapSetResolution(AsBitmap(image), horizontalDpi, verticalDpi);
  if (s == Ok && !noRefresh) MarkImageModified(id);
  return ToStatus(s);
}

VexiroStatus SetImageResolutionGiven(int32_t id, float horizontalDpi, float verticalDpi) {
  const VexiroStatus s = SetImageResolution(id, horizontalDpi, verticalDpi);
  if (GpBitmap* bitmap = s == vexiro::OK ? AsBitmap(GetGpImage(id)) : nullptr) bitmap->current().imageFlags |= ImageFlagsHasRealDPI;
  return s;
}

void SetImageKind(int32_t id, ImageKind kind) {
  if (ImageRecord* r = FindImageRecord(ResolvePageImageID(id))) r->Kind = kind;
}

namespace {

bool HoldsForeignPixels(ImageKind kind) {
  return kind == KindGdiDib || kind == KindPluginBitmap || kind == KindPluginPage || kind == KindHBitmap ||
         kind == KindHIcon;
}

bool ChangesGeometry(RotateFlipType type) {
  return type != RotateNoneFlipNone && type != RotateNoneFlipX && type != Rotate180FlipX;
}

// Puts an independent copy of the image under its identifier.
VexiroStatus ReplaceWithOwnCopy(int32_t id) {
  int32_t copy = 0;
  const VexiroStatus s = CopyImageToOwnMemory(id, copy);
  if (s != vexiro::OK) return s;
  // A document's page is what the copy replaces; the document keeps its identifier.
  ReplaceImage(id, copy);
  return vexiro::OK;
}

}  // namespace

VexiroStatus RotateFlipImage(int32_t id, RotateFlipType type, bool noRefresh) {
  if (GetImageIndex(id) < 0) return vexiro::InvalidParameter;
  const ImageKind kind = GetImageKind(id);
  const PixelFormat format = GetImagePixelFormatValue(id);
  if (HoldsForeignPixels(kind) && ChangesGeometry(type) && format == PixelFormat1bppIndexed) {
    const VexiroStatus s = ReplaceWithOwnCopy(id);
    if (s != vexiro::OK) return s;
  }
  const int32_t pageId = ResolvePageImageID(id);
  const bool ownedPixels = GetImageKind(id) == KindOwnedScan0;
  intptr_t before = 0;
  if (ownedPixels) ReadImageScan0(id, before);

  Status s;
  if (format == PixelFormat1bppIndexed && type == Rotate180FlipNone) {
    s = GdipImageRotateFlip(GetGpImage(id), Rotate90FlipNone);
    if (s == Ok) s = GdipImageRotateFlip(GetGpImage(id), Rotate90FlipNone);
  } else {
    s = GdipImageRotateFlip(GetGpImage(id), type);
  }
  if (s != Ok) return ToStatus(s);
  if (!noRefresh) MarkImageModified(id);

  if (ownedPixels) {
    intptr_t after = 0;
    ReadImageScan0(id, after);
    ImageRecord* page = FindImageRecord(pageId);
    if (after != 0 && after != before && page && page->OwnsPixelBuffer && page->PixelBuffer == before) {
      // The platform moved the pixels into its own memory: ours is free, and the record must
      // stop pointing at it or release would free it twice.
      gdiplus::GdipFree(reinterpret_cast<void*>(page->PixelBuffer));
      page->PixelBuffer = 0;
      page->OwnsPixelBuffer = false;
      SetImageKind(id, KindScan0);
    }
  }
  if (!IsIndexedPixelFormat(format)) ReplaceWithOwnCopy(id);
  return vexiro::OK;
}

VexiroStatus LockImageBits(int32_t id, const GpRect& rect, uint32_t mode, PixelFormat& format, BitmapData& data) {
  PixelFormat own = GetImagePixelFormatValue(id);
  const bool writeWithBuffer = mode == (ImageLockModeWrite | ImageLockModeUserInputBuf);
  const bool convert = IsIndexedPixelFormat(own) && format != own && GdiplusBefore60() && writeWithBuffer;
  if (convert) {
    const VexiroStatus s = ConvertImageTo32bppARGB(id);
    if (s != vexiro::OK) return s;
  }
  const Status s = GdipBitmapLockBits(AsBitmap(GetGpImage(id)), &rect, mode, format, &data);
  if (s == Ok && writeWithBuffer && !convert) MarkImageModified(id);
  return ToStatus(s);
}

VexiroStatus UnlockImageBits(int32_t id, BitmapData& data) {
  return ToStatus(GdipBitmapUnlockBits(AsBitmap(GetGpImage(id)), &data));
}

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

VexiroStatus ReadWholeImage(int32_t id, PixelFormat format, int32_t bits, std::vector<uint8_t>& buffer) {
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

}  // namespace vx::engine
