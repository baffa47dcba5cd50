// Loading one bitmap from a file by format number, with its size checked before pixels are
// allocated where the format allows it.
#pragma once
#include <FreeImage.h>

#include <cstdint>
#include <string>

namespace vximgplug {

struct LoadedBitmap {
  FIBITMAP* dib = nullptr;
  bool topRowFirst = false;
};

LoadedBitmap LoadBitmapFile(int32_t format, const std::string& path, int32_t flags);

// A bitmap fit to hand over: a size the plug-in accepts.
bool BitmapSizeAcceptable(FIBITMAP* dib);

}  // namespace vximgplug
