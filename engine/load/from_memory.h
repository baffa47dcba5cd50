// Creators that turn something already in memory into a registered image, and the routines
// that rebuild an image's pixels in another format or in memory the store owns.
#pragma once
#include <cstdint>
#include <string>

#include "engine/image_store.h"
#include "engine/vexiro_status.h"
#include "platform/gdiplus/gdiplus_types.h"
#include "platform/ole/istream.h"

namespace vx::engine {

using gdiplus::PixelFormat;

// Registers an image the platform just made (empty format name and path); with a failed status
// nothing is registered and the identifier is 0.
VexiroStatus RegisterCreatedImage(gdiplus::Status s, gdiplus::GpImage* image, ImageKind kind, int32_t& id);

VexiroStatus CreateImageFromFileGdiPlus(const std::string& path, int32_t& id);
VexiroStatus CreateImageFromFileGdiPlusICM(const std::string& path, int32_t& id);
// A missing stream gives InvalidParameter; a run-time error while loading gives status 23.
VexiroStatus CreateImageFromStreamObject(ole::IStream* stream, int32_t& id, bool useColorManagement);

// A bitmap over pixel memory. With ownsMemory the buffer must come from GdipAlloc and the
// record frees it at release (KindOwnedScan0); otherwise the caller keeps it alive and frees it
// (KindScan0). Stride 0 with no buffer lets the platform allocate the pixels. Widths or heights
// below 1 and a stride that cannot hold a row give InvalidParameter, with nothing registered;
// on any failure the buffer stays the caller's.
VexiroStatus CreateImageFromScan0(int32_t width, int32_t height, int32_t stride, PixelFormat format, intptr_t pixels,
                                  int32_t& id, bool ownsMemory);

// These register a record even when the platform failed (then with no image); callers release
// or keep the identifier.
VexiroStatus CloneImage(int32_t& id, int32_t sourceId);
VexiroStatus CloneImageArea(int32_t x, int32_t y, int32_t width, int32_t height, PixelFormat format,
                            int32_t sourceId, int32_t& id);
VexiroStatus CreateImageThumbnail(int32_t sourceId, int32_t width, int32_t height, int32_t& id);

VexiroStatus ForceValidation(int32_t id);
VexiroStatus ConvertImagePixelFormat(int32_t id, PixelFormat format, bool returnNew, int32_t& newId);
VexiroStatus ConvertImageTo32bppARGB(int32_t id);
VexiroStatus CopyImageToOwnMemory(int32_t id, int32_t& newId);

// An 8-bit image from top-down rows padded to 4 bytes and a palette. `rowsBytes` bounds what
// is read from `rows`.
VexiroStatus CreateImageFromDIBits(int32_t& id, int32_t height, int32_t width, const uint8_t* rows, size_t rowsBytes,
                                   const gdiplus::ColorPalette& palette);

}  // namespace vx::engine
