// The flat interface of the imaging platform (the GDI+ stand-in): images, bitmaps, pixel
// access, palettes, frames, property items, codecs and encoders. Texts and paths are UTF-8.
// Every call made while the platform is not started answers GdiplusNotInitialized.
#pragma once
#include <cstddef>

#include "platform/gdiplus/gdiplus_types.h"
#include "platform/gdiplus/image_object.h"
#include "platform/ole/istream.h"

namespace vx::gdiplus {

// Start-up and shut-down. The platform counts start-ups; it runs while any token is live.
Status GdiplusStartup(uint32_t* token, const GdiplusStartupInput* input, GdiplusStartupOutput* output);
void GdiplusShutdown(uint32_t token);
bool GdiplusIsRunning();

void* GdipAlloc(size_t size);
void GdipFree(void* ptr);

// Bitmaps and images.
Status GdipCreateBitmapFromScan0(INT width, INT height, INT stride, PixelFormat format, BYTE* scan0,
                                 GpBitmap** bitmap);
Status GdipCloneImage(GpImage* image, GpImage** clone);
Status GdipCloneBitmapAreaI(INT x, INT y, INT width, INT height, PixelFormat format, GpBitmap* source,
                            GpBitmap** clone);
Status GdipCloneBitmapArea(REAL x, REAL y, REAL width, REAL height, PixelFormat format, GpBitmap* source,
                           GpBitmap** clone);
Status GdipDisposeImage(GpImage* image);
Status GdipImageForceValidation(GpImage* image);
Status GdipGetImageType(GpImage* image, ImageType* type);
Status GdipGetImageWidth(GpImage* image, UINT* width);
Status GdipGetImageHeight(GpImage* image, UINT* height);
Status GdipGetImageDimension(GpImage* image, REAL* width, REAL* height);
Status GdipGetImageHorizontalResolution(GpImage* image, REAL* dpi);
Status GdipGetImageVerticalResolution(GpImage* image, REAL* dpi);
Status GdipBitmapSetResolution(GpBitmap* bitmap, REAL xdpi, REAL ydpi);
Status GdipGetImagePixelFormat(GpImage* image, PixelFormat* format);
Status GdipGetImageFlags(GpImage* image, UINT* flags);
Status GdipGetImageRawFormat(GpImage* image, GUID* format);
Status GdipGetImageThumbnail(GpImage* image, UINT width, UINT height, GpImage** thumbnail,
                             void* callback = nullptr, void* callbackData = nullptr);

// Palettes.
Status GdipGetImagePaletteSize(GpImage* image, INT* size);
Status GdipGetImagePalette(GpImage* image, ColorPalette* palette, INT size);
Status GdipSetImagePalette(GpImage* image, const ColorPalette* palette);

// Pixels.
Status GdipBitmapGetPixel(GpBitmap* bitmap, INT x, INT y, ARGB* color);
Status GdipBitmapSetPixel(GpBitmap* bitmap, INT x, INT y, ARGB color);
Status GdipBitmapLockBits(GpBitmap* bitmap, const GpRect* rect, UINT flags, PixelFormat format,
                          BitmapData* lockedData);
Status GdipBitmapUnlockBits(GpBitmap* bitmap, BitmapData* lockedData);
Status GdipImageRotateFlip(GpImage* image, RotateFlipType type);

// Frames.
Status GdipImageGetFrameDimensionsCount(GpImage* image, UINT* count);
Status GdipImageGetFrameDimensionsList(GpImage* image, GUID* dimensionIDs, UINT count);
Status GdipImageGetFrameCount(GpImage* image, const GUID* dimensionID, UINT* count);
Status GdipImageSelectActiveFrame(GpImage* image, const GUID* dimensionID, UINT frameIndex);

// Property items.
Status GdipGetPropertyCount(GpImage* image, UINT* numOfProperty);
Status GdipGetPropertyIdList(GpImage* image, UINT numOfProperty, PROPID* list);
Status GdipGetPropertyItemSize(GpImage* image, PROPID propId, UINT* size);
Status GdipGetPropertyItem(GpImage* image, PROPID propId, UINT propSize, PropertyItem* buffer);
Status GdipGetPropertySize(GpImage* image, UINT* totalBufferSize, UINT* numProperties);
Status GdipGetAllPropertyItems(GpImage* image, UINT totalBufferSize, UINT numProperties, PropertyItem* allItems);
Status GdipSetPropertyItem(GpImage* image, const PropertyItem* item);
Status GdipRemovePropertyItem(GpImage* image, PROPID propId);

// Decoding.
Status GdipLoadImageFromFile(const char* path, GpImage** image);
Status GdipLoadImageFromFileICM(const char* path, GpImage** image);
Status GdipLoadImageFromStream(ole::IStream* stream, GpImage** image);
Status GdipLoadImageFromStreamICM(ole::IStream* stream, GpImage** image);
Status GdipCreateBitmapFromFile(const char* path, GpBitmap** bitmap);
Status GdipCreateBitmapFromFileICM(const char* path, GpBitmap** bitmap);
Status GdipCreateBitmapFromStream(ole::IStream* stream, GpBitmap** bitmap);
Status GdipCreateBitmapFromStreamICM(ole::IStream* stream, GpBitmap** bitmap);

// Codecs and encoding.
Status GdipGetImageDecodersSize(UINT* numDecoders, UINT* size);
Status GdipGetImageDecoders(UINT numDecoders, UINT size, ImageCodecInfo* decoders);
Status GdipGetImageEncodersSize(UINT* numEncoders, UINT* size);
Status GdipGetImageEncoders(UINT numEncoders, UINT size, ImageCodecInfo* encoders);
Status GdipSaveImageToFile(GpImage* image, const char* path, const CLSID* encoder,
                           const EncoderParameters* params);
Status GdipSaveImageToStream(GpImage* image, ole::IStream* stream, const CLSID* encoder,
                             const EncoderParameters* params);
Status GdipSaveAdd(GpImage* image, const EncoderParameters* params);
Status GdipSaveAddImage(GpImage* image, GpImage* newImage, const EncoderParameters* params);

}  // namespace vx::gdiplus
