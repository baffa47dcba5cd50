// Loading through a backing decoder in a child process. FreeImage's decoders crash or hang on
// damaged files (truncated PICT, XBM and EXR files hang; damaged PICT files and JPEG files with
// hostile EXIF blocks crash; damaged DDS and SGI headers ask for absurd allocations), so every
// single-bitmap decode runs in a forked child that hands the bitmap back through a pipe: pixels,
// palette, transparency, background colour, resolution, ICC profile and every metadata tag.
#pragma once
#include <FreeImage.h>

#include <functional>

namespace vximgplug {

// Runs `decode` in a child process and rebuilds its bitmap here; nullptr on any failure.
FIBITMAP* LoadInChildProcess(const std::function<FIBITMAP*()>& decode);

}  // namespace vximgplug
