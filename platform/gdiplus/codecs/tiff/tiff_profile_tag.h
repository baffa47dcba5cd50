// Adding or removing the colour profile of every page of a TIFF file on disk, changing nothing
// else: the pages' directories are written anew at the end of the file with the profile entry
// put in or left out, and the chain of directories is relinked to them. Pixel data, compression
// and every other tag stay byte for byte as they were, so nothing is decoded or re-encoded.
#pragma once
#include <cstdint>
#include <span>
#include <string>

#include "platform/gdiplus/gdiplus_types.h"

namespace vx::gdiplus::codecs {

// True when the file starts as a classic TIFF file does (either byte order).
bool IsTiffFile(const std::string& path);

// Gives every page the profile (`profile` not empty) or takes it from every page (empty). The
// result replaces the file only when complete. UnknownImageFormat for a file that is not a
// classic TIFF file or whose directories are damaged; ProfileNotFound when removing and no page
// has a profile (the file is then left untouched).
Status RewriteTiffProfile(const std::string& path, std::span<const uint8_t> profile);

}  // namespace vx::gdiplus::codecs
