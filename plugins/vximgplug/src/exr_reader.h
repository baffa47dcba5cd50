// OpenEXR files through OpenEXR itself: FreeImage's adapter keeps reading a truncated file
// forever. Gives float RGB, or float RGBA when the file has an alpha channel.
#pragma once
#include <FreeImage.h>

#include <string>

namespace vximgplug {

FIBITMAP* DecodeExr(const std::string& path);

}  // namespace vximgplug
