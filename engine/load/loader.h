// The loader core: file paths, bytes, strings, streams, pictures, the clipboard, metafile files,
// packed DIBs and foreign platform images become registered images. Each loader writes the new
// identifier into `id`, which is 0 after a failure; a failed load leaves no record and no
// temporary file behind.
#pragma once
#include <cstdint>
#include <string>

#include "engine/load/load_options.h"
#include "engine/vexiro_status.h"
#include "platform/gdi/gdi_types.h"
#include "platform/gdiplus/gdiplus_types.h"
#include "platform/gdiplus/image_object.h"
#include "platform/kernel/win_types.h"
#include "platform/ole/istream.h"
#include "platform/ole/picture.h"
#include "vexiro/basic_array.h"

namespace vx::engine {

// Tries the plug-in, the platform decoders and the picture loader in the order the options
// choose.
VexiroStatus LoadImageFromFile(int32_t& id, const std::string& path, const LoadOptions& options = {});
VexiroStatus LoadImageThroughPlugin(int32_t& id, const std::string& path, const LoadOptions& options = {});
// Loads a temporary file the library wrote and gives it to the new image, whose release deletes
// it; a failed load deletes it at once. No dialog is ever shown for it.
VexiroStatus LoadTemporaryFileAsImage(int32_t& id, const std::string& file, const LoadOptions& options = {});
VexiroStatus LoadImageThroughOlePicture(int32_t& id, const std::string& path);
VexiroStatus LoadImageFromByteArray(int32_t& id, const vexiro::BasicArray<uint8_t>& bytes,
                                    const LoadOptions& options = {});
VexiroStatus LoadImageFromBytes(int32_t& id, const void* bytes, size_t size, const LoadOptions& options = {});
VexiroStatus LoadImageFromString(int32_t& id, const std::string& text, const LoadOptions& options = {});
VexiroStatus LoadImageFromStream(int32_t& id, ole::IStream* stream, bool useColorManagement);
// Bitmaps and icons are copied; metafiles are drawn on white at their own size.
VexiroStatus LoadImageFromPicture(int32_t& id, ole::IPicture* picture);
VexiroStatus LoadImageFromClipboard(int32_t& id);
VexiroStatus LoadImageFromMetafile(int32_t& id, const std::string& path, float scaleBy);
VexiroStatus CreateImageFromPackedDIB(int32_t& id, HGLOBAL dib, bool keepHandle, bool roundResolution);
VexiroStatus AdoptGdiPlusImage(int32_t& id, gdiplus::GpImage* image);
bool FileIsCMYK(const std::string& path);

// Releases what a failed load registered and clears the identifier; returns the status.
VexiroStatus DiscardFailedLoad(int32_t& id, VexiroStatus status);

}  // namespace vx::engine
