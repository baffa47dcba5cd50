// One page of a TIFF file decoded on its own: FreeImage reads the file through a view whose
// header names that page's directory as the first, so it decodes the page without walking the
// directories before it (its own page access walks them all for every page).
#pragma once
#include <FreeImage.h>

#include <cstdint>
#include <string>

namespace vximgplug {

// The page whose directory starts at `directoryOffset` in the TIFF file at `path`; nullptr when
// it cannot be decoded.
FIBITMAP* LoadTiffPage(const std::string& path, uint64_t directoryOffset, int flags);

}  // namespace vximgplug
