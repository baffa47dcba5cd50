// Loading through a backing decoder in a child process. FreeImage's decoders crash or hang on
// damaged files (truncated PICT, XBM and EXR files hang; damaged PICT files and JPEG files with
// hostile EXIF blocks crash; damaged DDS and SGI headers ask for absurd allocations), so every
// single-bitmap decode runs in a forked child. The child writes the rows once into a memory file
// that the host maps as the bitmap's pixel memory (no second copy, no clearing, no flip), and
// sends the rest through a pipe: palette, transparency, background colour, resolution, ICC
// profile and every metadata tag.
#pragma once
#include <FreeImage.h>

#include <functional>

namespace vximgplug {

// Runs `decode` in a child process and rebuilds its bitmap here, its rows in memory top row first
// when asked (FreeImage's bottom-row-first order otherwise); nullptr on any failure.
FIBITMAP* LoadInChildProcess(const std::function<FIBITMAP*()>& decode, bool topRowFirst);

// Frees any bitmap of the plug-in, with the mapped pixel memory of one loaded in a child.
void UnloadBitmap(FIBITMAP* dib);

}  // namespace vximgplug
