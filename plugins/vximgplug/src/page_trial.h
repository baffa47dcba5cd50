// Multi-page files are read page by page through FreeImage's multi-bitmap API, in the host.
// Before such a file is opened here, a child process opens it the same way and decodes every
// page once. Pages that decoded there to a size the plug-in accepts are locked here; a page
// whose metadata tags FreeImage left unreadable (its TIFF reader does so for files its own
// writer made) is decoded for the host in a child instead, which carries back only sound tags.
// A file the child cannot even open or count is refused.
#pragma once
#include <FreeImage.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace vximgplug {

enum PageTrial : uint8_t { kPageRefused = 0, kPageSafe = 1, kPageTagsUnreadable = 2 };

// One PageTrial per page of the file opened by `open` (in the child). Pages from one that
// crashed or hung the child onwards are refused. Nothing when the file could not be opened
// and counted.
std::optional<std::vector<uint8_t>> TryPagesInChild(const std::function<FIMULTIBITMAP*()>& open);

}  // namespace vximgplug
