// JBIG (T.82) bi-level images through libjbig: one plane, read and written.
#pragma once
#include <FreeImage.h>

#include <cstdint>
#include <optional>
#include <vector>

namespace vximgplug {

// The 20-byte header of a JBIG stream of one plane, checked field by field.
bool LooksLikeJbig(const std::vector<uint8_t>& start);

// A 1-bit bitmap (index 0 white), nullptr for data that is not a complete one-plane image.
FIBITMAP* DecodeJbig(std::vector<uint8_t> data);

// The JBIG stream of a 1-bit bitmap; nothing for other bitmaps.
std::optional<std::vector<uint8_t>> EncodeJbig(FIBITMAP* dib, bool topRowFirst);

}  // namespace vximgplug
