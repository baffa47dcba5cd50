// Raw CCITT Group 3 fax data (no container): recognised by its leading end-of-line code and
// decoded through libtiff's fax codec, 1D or 2D, at the standard fax widths.
#pragma once
#include <FreeImage.h>

#include <cstdint>
#include <vector>

namespace vximgplug {

bool LooksLikeRawG3(const std::vector<uint8_t>& start);
// The return-to-control sequence that ends a fax page, which detection by content asks for.
bool EndsWithReturnToControl(const std::vector<uint8_t>& data);

// A 1-bit bitmap (index 0 white), nullptr when the data decodes at no fax width.
FIBITMAP* DecodeRawG3(const std::vector<uint8_t>& data);

}  // namespace vximgplug
