// Windows icon files holding one picture of any size up to 256 x 256 (FreeImage's writer takes
// only squares from 16 to 256 pixels).
#pragma once
#include <FreeImage.h>

#include <cstdint>
#include <optional>
#include <vector>

namespace vximgplug {

std::optional<std::vector<uint8_t>> EncodeIcon(FIBITMAP* dib, bool topRowFirst);

}  // namespace vximgplug
