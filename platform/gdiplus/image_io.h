// Loading and saving images through the built-in codecs: the hooks other parts of the platform
// use besides the flat calls of gdiplus_flat.h.
#pragma once
#include <cstddef>
#include <cstdint>

#include "platform/gdiplus/codecs/codec.h"
#include "platform/gdiplus/gdiplus_types.h"
#include "platform/gdiplus/image_object.h"

namespace vx::gdiplus {

// Turns EMF or WMF bytes into an image. The metafile player registers one; until it does,
// metafile content answers UnknownImageFormat.
using MetafileDecoder = Status (*)(const uint8_t* data, size_t size, GpImage** image);
void RegisterMetafileDecoder(MetafileDecoder decoder);

// Decodes an encoded image held in memory; the format is found from the content.
Status DecodeImageFromMemory(const uint8_t* data, size_t size, GpImage** image);
Status DecodeImageFromMemory(const uint8_t* data, size_t size, const codecs::DecodeOptions& options, GpImage** image);

// Replaces the colour-space flags of the bitmap's active frame by `colourSpaceFlags`: for images
// built over pixels another decoder made, which knows what the file stored.
Status SetDecodedColourSpace(GpImage* image, UINT colourSpaceFlags);

// Completes a multi-frame save still open on `image` (writes its file or stream) and forgets it.
// The image's disposal calls this, as the platform writes an unfinished multi-frame file when
// its image goes away.
void FinishPendingSave(GpImage* image);

}  // namespace vx::gdiplus
