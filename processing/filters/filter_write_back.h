// Writing the working array back into an image in a way that suits its pixel format, and the
// palette helpers the filter engine's routes share with the converters.
#pragma once
#include <cstdint>
#include <span>

#include "engine/vexiro_status.h"
#include "platform/gdiplus/gdiplus_types.h"
#include "vexiro/imaging.h"

namespace vx::processing {

using engine::VexiroStatus;

// Locks `area` of image `id` in `format` over `buffer` (rows of `stride` bytes) with `mode` and
// unlocks it again.
VexiroStatus TransferArea(int32_t id, const vexiro::FilterArea& area, uint32_t mode, gdiplus::PixelFormat format,
                          void* buffer, int32_t stride);

// True when every entry has equal red, green and blue.
bool HasOnlyGreyEntries(const gdiplus::ColorPalette& palette);

// Writes the 32bppARGB pixels of `area` back into image `id`, whose pixel format is `format`
// and palette `palette` (read when the image is indexed).
VexiroStatus WriteBack(int32_t id, const vexiro::FilterArea& area, gdiplus::PixelFormat format,
                       const gdiplus::ColorPalette& palette, std::span<uint32_t> pixels);

}  // namespace vx::processing
