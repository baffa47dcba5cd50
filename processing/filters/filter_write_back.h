// Writing the working array back into an image in a way that suits its pixel format, and the
// palette helpers the filter engine's routes share with the converters.
#pragma once
#include <cstdint>
#include <vector>

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

// The nearest entry by summed squared channel differences; the lowest index wins a tie, and an
// exact match ends the search. Remembers the last colour, since neighbouring pixels repeat.
class NearestEntry {
 public:
  NearestEntry(const gdiplus::ARGB* entries, uint32_t count);
  uint8_t Find(uint32_t argb);

 private:
  const gdiplus::ARGB* entries_;
  uint32_t count_;
  uint32_t lastColour_ = 0;
  uint8_t lastIndex_ = 0;
  bool hasLast_ = false;
};

// Writes the 32bppARGB pixels of `area` back into image `id`, whose pixel format is `format`
// and palette `palette` (read when the image is indexed).
VexiroStatus WriteBack(int32_t id, const vexiro::FilterArea& area, gdiplus::PixelFormat format,
                       const gdiplus::ColorPalette& palette, std::vector<uint32_t>& pixels);

}  // namespace vx::processing
