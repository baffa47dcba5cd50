// Multi-page files are read page by page through FreeImage's multi-bitmap API, in the host.
// Before such a file is opened here, a child process opens it the same way and decodes every
// page once; only pages that decoded there, to a size the plug-in accepts, are locked here.
// A file the child cannot even open or count is refused.
#pragma once
#include <FreeImage.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace vximgplug {

// One entry per page of the file opened by `open` (in the child): 1 for a page safe to lock.
// Pages after one that crashed or hung the child are 0. Nothing when the file could not be
// opened and counted.
std::optional<std::vector<uint8_t>> TryPagesInChild(const std::function<FIMULTIBITMAP*()>& open);

}  // namespace vximgplug
