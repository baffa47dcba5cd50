// Loading through a backing decoder in a child process. FreeImage's decoders crash or hang on
// damaged files (truncated PICT, XBM and EXR files hang; damaged PICT files and JPEG files with
// hostile EXIF blocks crash; damaged DDS and SGI headers ask for absurd allocations), so every
// single-bitmap decode runs in a forked child. The child writes the rows once into a memory file
// that the host maps as the bitmap's pixel memory (no second copy, no clearing, no flip), and
// sends the rest through a pipe: palette, transparency, background colour, resolution, ICC
// profile and every metadata tag. A decoder that can write the rows itself writes them straight
// into that memory file, mapped in the child, and FreeImage then only describes the picture.
#pragma once
#include <FreeImage.h>

#include <cstddef>
#include <cstdint>
#include <functional>

namespace vximgplug {

enum class DirectRows { Written, NotThisFile, Failed };

// In the child: a bitmap without pixels that describes the picture and carries its metadata,
// and the writer of its rows (`pitch` bytes apart, in the order the host keeps them for the
// format). No header: the file takes the general decode; NotThisFile from the writer: the same.
struct DirectDecode {
  FIBITMAP* header = nullptr;
  std::function<DirectRows(uint8_t* bits, size_t pitch)> rows;
};

// Runs `decode` in a child process and rebuilds its bitmap here, its rows in memory top row first
// when asked (FreeImage's bottom-row-first order otherwise); nullptr on any failure. `direct`,
// when given, is tried first.
FIBITMAP* LoadInChildProcess(const std::function<FIBITMAP*()>& decode, bool topRowFirst,
                             const std::function<DirectDecode()>& direct = {});

// Frees any bitmap of the plug-in, with the mapped pixel memory of one loaded in a child.
void UnloadBitmap(FIBITMAP* dib);

}  // namespace vximgplug
