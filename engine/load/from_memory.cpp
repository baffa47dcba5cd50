// Creators of images from files, streams and pixel memory, clones, and pixel rebuilding.
#include "engine/load/from_memory.h"

#include <cstring>
#include <exception>
#include <limits>
#include <vector>

#include "engine/image_access.h"
#include "engine/pixel_formats.h"
#include "platform/gdiplus/gdiplus_flat.h"

namespace vx::engine {

using namespace vx::gdiplus;

namespace {

// Pixel buffers and metadata blocks above this size are refused before memory is taken.
constexpr uint64_t kMaxBufferBytes = uint64_t{1} << 31;

VexiroStatus RegisterAlways(Status s, GpImage* image, ImageKind kind, int32_t& id) {
  RegisterImage(id, s == Ok ? image : nullptr, "", "", kind);
  return ToStatus(s);
}

// Copies every property item of one image onto another, in the source's order.
void CopyPropertyItems(GpImage* from, GpImage* to) {
  UINT total = 0, count = 0;
  if (GdipGetPropertySize(from, &total, &count) != Ok || count == 0 || total > kMaxBufferBytes) return;
  std::vector<uint64_t> block((total + sizeof(uint64_t) - 1) / sizeof(uint64_t));
  auto* items = reinterpret_cast<PropertyItem*>(block.data());
  if (GdipGetAllPropertyItems(from, total, count, items) != Ok) return;
  for (UINT i = 0; i < count; ++i) GdipSetPropertyItem(to, &items[i]);
}

VexiroStatus CopyPalette(int32_t fromId, int32_t toId) {
  int32_t bytes = 0;
  VexiroStatus s = GetImagePaletteSize(fromId, bytes);
  if (s != vexiro::OK || bytes <= 0) return s;
  ColorPalette palette;
  s = GetImagePalette(fromId, palette, bytes);
  if (s == vexiro::OK) s = SetImagePaletteRaw(toId, palette);
  return s;
}

}  // namespace

VexiroStatus RegisterCreatedImage(Status s, GpImage* image, ImageKind kind, int32_t& id) {
  id = 0;
  if (s != Ok) return ToStatus(s);
  RegisterImage(id, image, "", "", kind);
  return vexiro::OK;
}

VexiroStatus CreateImageFromFileGdiPlus(const std::string& path, int32_t& id) {
  GpBitmap* bitmap = nullptr;
  const Status s = GdipCreateBitmapFromFile(path.c_str(), &bitmap);
  return RegisterCreatedImage(s, bitmap, KindFile, id);
}

VexiroStatus CreateImageFromFileGdiPlusICM(const std::string& path, int32_t& id) {
  GpBitmap* bitmap = nullptr;
  const Status s = GdipCreateBitmapFromFileICM(path.c_str(), &bitmap);
  return RegisterCreatedImage(s, bitmap, KindFile, id);
}

VexiroStatus CreateImageFromStreamObject(ole::IStream* stream, int32_t& id, bool useColorManagement) {
  id = 0;
  if (!stream) return vexiro::InvalidParameter;
  try {
    GpImage* image = nullptr;
    const Status s = useColorManagement ? GdipLoadImageFromStreamICM(stream, &image)
                                        : GdipLoadImageFromStream(stream, &image);
    return RegisterCreatedImage(s, image, KindGeneric, id);
  } catch (const std::exception&) {
    return static_cast<VexiroStatus>(kStreamLoadRuntimeError);
  }
}

VexiroStatus CreateImageFromScan0(int32_t width, int32_t height, int32_t stride, PixelFormat format, intptr_t pixels,
                                  int32_t& id, bool ownsMemory) {
  id = 0;
  if (width < 1 || height < 1) return vexiro::InvalidParameter;
  if (pixels != 0) {
    const int64_t rowBytes = ComputeRowBytes(width, PixelFormatBitDepthStrict(format));
    const int64_t magnitude = stride < 0 ? -static_cast<int64_t>(stride) : stride;
    if (rowBytes == 0 || magnitude < rowBytes) return vexiro::InvalidParameter;
  }
  GpBitmap* bitmap = nullptr;
  const Status s = GdipCreateBitmapFromScan0(width, height, stride, format, reinterpret_cast<BYTE*>(pixels), &bitmap);
  if (s != Ok) return ToStatus(s);
  const bool owned = ownsMemory && pixels != 0;
  RegisterImage(id, bitmap, "", "", owned ? KindOwnedScan0 : KindScan0);
  ImageRecord* r = FindImageRecord(id);
  r->PixelBuffer = pixels;
  r->OwnsPixelBuffer = owned;
  return vexiro::OK;
}

VexiroStatus CloneImage(int32_t& id, int32_t sourceId) {
  GpImage* clone = nullptr;
  const Status s = GdipCloneImage(GetGpImage(sourceId), &clone);
  return RegisterAlways(s, clone, KindGeneric, id);
}

VexiroStatus CloneImageArea(int32_t x, int32_t y, int32_t width, int32_t height, PixelFormat format, int32_t sourceId,
                            int32_t& id) {
  GpBitmap* clone = nullptr;
  const Status s = GdipCloneBitmapAreaI(x, y, width, height, format, AsBitmap(GetGpImage(sourceId)), &clone);
  return RegisterAlways(s, clone, KindGeneric, id);
}

VexiroStatus CreateImageThumbnail(int32_t sourceId, int32_t width, int32_t height, int32_t& id) {
  id = 0;
  GpImage* thumbnail = nullptr;
  const UINT w = width < 0 ? 0 : static_cast<UINT>(width);
  const UINT h = height < 0 ? 0 : static_cast<UINT>(height);
  const Status s = GdipGetImageThumbnail(GetGpImage(sourceId), w, h, &thumbnail);
  if (sourceId == 0) {
    if (s == Ok) GdipDisposeImage(thumbnail);
    return ToStatus(s);
  }
  return RegisterAlways(s, thumbnail, KindScan0, id);
}

VexiroStatus ForceValidation(int32_t id) {
  if (GetImageIndex(id) < 0) return vexiro::InvalidParameter;
  return ToStatus(GdipImageForceValidation(GetGpImage(id)));
}

VexiroStatus ConvertImagePixelFormat(int32_t id, PixelFormat format, bool returnNew, int32_t& newId) {
  newId = 0;
  if (GetImageIndex(id) < 0) return vexiro::InvalidParameter;
  int32_t width = 0, height = 0, propertyCount = 0;
  float hdpi = 0, vdpi = 0;
  GetImageHeight(id, height);
  GetImageWidth(id, width);
  GetImageHorizontalResolution(id, hdpi);
  GetImageVerticalResolution(id, vdpi);
  GetImagePropertyCount(id, propertyCount);
  if (width < 1 || height < 1) return vexiro::GenericError;

  const int32_t stride = ComputeStride(width, PixelFormatBitDepth(format));
  if (stride == 0) return vexiro::InvalidParameter;
  const uint64_t bytes = static_cast<uint64_t>(stride) * static_cast<uint64_t>(height);
  if (bytes > kMaxBufferBytes) return vexiro::OutOfMemory;
  void* buffer = GdipAlloc(static_cast<size_t>(bytes));
  if (!buffer) return vexiro::OutOfMemory;

  BitmapData data;
  data.Width = static_cast<UINT>(width);
  data.Height = static_cast<UINT>(height);
  data.Stride = stride;
  data.PixelFormat = format;
  data.Scan0 = buffer;
  PixelFormat lockFormat = format;
  const GpRect whole{0, 0, width, height};
  VexiroStatus s = LockImageBits(id, whole, ImageLockModeRead | ImageLockModeUserInputBuf, lockFormat, data);
  if (s == vexiro::OK) s = UnlockImageBits(id, data);
  int32_t converted = 0;
  if (s == vexiro::OK) s = CreateImageFromScan0(width, height, stride, format, reinterpret_cast<intptr_t>(buffer), converted, true);
  if (s != vexiro::OK) {
    GdipFree(buffer);
    return s;
  }
  if (hdpi > 0 && vdpi > 0) SetImageResolution(converted, hdpi, vdpi, true);
  if (propertyCount > 0) CopyPropertyItems(GetGpImage(id), GetGpImage(converted));
  // The indices of a same-format copy mean nothing without the source's colours.
  if (IsIndexedPixelFormat(format) && GetImagePixelFormatValue(id) == format) CopyPalette(id, converted);

  if (returnNew) {
    newId = converted;
    return vexiro::OK;
  }
  if (ReplaceImage(id, converted) == 0) return vexiro::GenericError;
  newId = id;
  return vexiro::OK;
}

VexiroStatus ConvertImageTo32bppARGB(int32_t id) {
  int32_t unused = 0;
  return ConvertImagePixelFormat(id, PixelFormat32bppARGB, false, unused);
}

VexiroStatus CopyImageToOwnMemory(int32_t id, int32_t& newId) {
  newId = 0;
  if (GetImageIndex(id) < 0) return vexiro::InvalidParameter;
  return ConvertImagePixelFormat(id, GetImagePixelFormatValue(id), true, newId);
}

VexiroStatus CreateImageFromDIBits(int32_t& id, int32_t height, int32_t width, const uint8_t* rows, size_t rowsBytes,
                                   const ColorPalette& palette) {
  id = 0;
  if (width < 1 || height < 1 || !rows || palette.Count > 256) return vexiro::InvalidParameter;
  const int32_t stride = ComputeStride(width, 8);
  if (stride == 0 || rowsBytes / static_cast<size_t>(stride) < static_cast<size_t>(height)) return vexiro::InvalidParameter;

  GpBitmap* bitmap = nullptr;
  Status s = GdipCreateBitmapFromScan0(width, height, 0, PixelFormat8bppIndexed, nullptr, &bitmap);
  if (s != Ok) return ToStatus(s);
  // A device-independent bitmap carries no alpha in its colour table: every entry is opaque.
  ColorPalette opaque = palette;
  for (UINT i = 0; i < opaque.Count; ++i) opaque.Entries[i] |= 0xFF000000u;
  s = GdipSetImagePalette(bitmap, &opaque);
  BitmapData data;
  const GpRect whole{0, 0, width, height};
  if (s == Ok) s = GdipBitmapLockBits(bitmap, &whole, ImageLockModeWrite, PixelFormat8bppIndexed, &data);
  if (s == Ok) {
    for (int32_t y = 0; y < height; ++y)
      std::memcpy(static_cast<uint8_t*>(data.Scan0) + static_cast<ptrdiff_t>(y) * data.Stride,
                  rows + static_cast<size_t>(y) * static_cast<size_t>(stride), static_cast<size_t>(width));
    s = GdipBitmapUnlockBits(bitmap, &data);
  }
  if (s != Ok) {
    GdipDisposeImage(bitmap);
    return ToStatus(s);
  }
  RegisterImage(id, bitmap, "", "", KindHBitmap);
  return vexiro::OK;
}

}  // namespace vx::engine
