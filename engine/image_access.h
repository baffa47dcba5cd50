// The image access layer: the rest of the system reaches an image's properties and pixels through
// these routines, by image identifier. A document is always served through its current page.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/image_store.h"
#include "engine/pixel_formats.h"
#include "engine/vexiro_status.h"
#include "platform/gdiplus/gdiplus_types.h"

namespace vx::engine {

using gdiplus::ARGB;
using gdiplus::BitmapData;
using gdiplus::ColorPalette;
using gdiplus::GpRect;

// The bitmap behind an image handle; nullptr for a metafile or no image.
gdiplus::GpBitmap* AsBitmap(gdiplus::GpImage* image);

// ---- Queries: an identifier not in the store gives InvalidParameter; out-values start at 0 ----
VexiroStatus GetImageWidth(int32_t id, int32_t& width);
VexiroStatus GetImageHeight(int32_t id, int32_t& height);
VexiroStatus GetImageHorizontalResolution(int32_t id, float& dpi);
VexiroStatus GetImageVerticalResolution(int32_t id, float& dpi);
// Whether the resolution was given by the file or by the host; otherwise it is the 96 dpi every
// picture reports without one.
bool ImageResolutionGiven(int32_t id);
std::string GetImageFormatName(int32_t id);
VexiroStatus GetImagePixelFormat(int32_t id, PixelFormat& format);
PixelFormat GetImagePixelFormatValue(int32_t id);
VexiroStatus GetImageBitDepth(int32_t id, int32_t& bits);
int32_t GetImageBitDepthStrict(int32_t id);
VexiroStatus GetPixelFormatName(int32_t id, std::string& name);
VexiroStatus GetImageColorSpaceCode(int32_t id, int32_t& code);
VexiroStatus GetImagePaletteSize(int32_t id, int32_t& bytes);
VexiroStatus GetImagePalette(int32_t id, ColorPalette& palette, int32_t bytes);
VexiroStatus GetImagePixel(int32_t id, int32_t x, int32_t y, ARGB& argb);
VexiroStatus GetImagePropertyCount(int32_t id, int32_t& count);
VexiroStatus GetImagePropertyItemSize(int32_t id, gdiplus::PROPID tag, int32_t& bytes);
gdiplus::GpImage* GpImageFromID(int32_t id);
VexiroStatus ReadImageStride(int32_t id, int32_t& stride);
VexiroStatus ReadImageScan0(int32_t id, intptr_t& scan0);
// The first-row address of an image's own pixels, read through a whole-image read lock.
VexiroStatus ReadScan0Of(gdiplus::GpImage* image, intptr_t& scan0);

// ---- Changes: each marks the image modified on success unless stated ----
VexiroStatus SetImagePalette(int32_t id, const ColorPalette& palette);
VexiroStatus SetImagePaletteRaw(int32_t id, const ColorPalette& palette);  // not marked
VexiroStatus SetImagePixel(int32_t id, int32_t x, int32_t y, ARGB argb);
// Non-finite or non-positive resolutions give InvalidParameter.
VexiroStatus SetImageResolution(int32_t id, float horizontalDpi, float verticalDpi, bool noRefresh = false);
// The resolution the host set, which counts as given from then on (ImageResolutionGiven).
VexiroStatus SetImageResolutionGiven(int32_t id, float horizontalDpi, float verticalDpi);
VexiroStatus RotateFlipImage(int32_t id, gdiplus::RotateFlipType type, bool noRefresh = false);
void SetImageKind(int32_t id, ImageKind kind);

// ---- Pixel rectangles ----
// mode: the platform's lock flags (1 read, 2 write, 4 caller buffer). A write with a caller
// buffer marks the image modified.
VexiroStatus LockImageBits(int32_t id, const GpRect& rect, uint32_t mode, PixelFormat& format, BitmapData& data);
VexiroStatus UnlockImageBits(int32_t id, BitmapData& data);

// ---- Whole-image reads, as writers and colour reduction take them ----
// One palette entry as the writers take it: red, green, blue, alpha.
using PaletteBytes = std::array<uint8_t, 4>;
// The palette entries as R, G, B, A bytes, in palette order.
VexiroStatus ReadPaletteBytes(int32_t id, std::vector<PaletteBytes>& entries);
// The whole image as rows of `bits`-per-pixel pixels in `format`, each row ComputeStride bytes.
VexiroStatus ReadWholeImage(int32_t id, PixelFormat format, int32_t bits, std::vector<uint8_t>& buffer);

}  // namespace vx::engine
