// TIFF with JPEG compression (compression tag 7) through libtiff, at a chosen quality; FreeImage
// has no way to pass the quality to its TIFF writer.
#pragma once
#include <FreeImage.h>

#include <string>

namespace vximgplug {

// Grey 8-bit bitmaps stay grey; everything else is written as 24-bit colour.
bool WriteTiffJpeg(FIBITMAP* dib, bool topRowFirst, int quality, const std::string& path);

}  // namespace vximgplug
