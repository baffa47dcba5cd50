// Loading through a backing decoder in the decoding helper process. FreeImage's decoders crash or hang on
// damaged files (truncated PICT, XBM and EXR files hang; damaged PICT files and JPEG files with
// hostile EXIF blocks crash; damaged DDS and SGI headers ask for absurd allocations), so every
// single-bitmap decode runs in the helper. The helper writes the rows once into a memory file
// that the host maps as the bitmap's pixel memory (no second copy, no clearing, no flip), and
// writes the rest to a reply file: palette, transparency, background colour, resolution, ICC
// profile and every metadata tag. A decoder that can write the rows itself writes them straight
// into that memory file, mapped in the helper, and FreeImage then only describes the picture.
#pragma once
#include <FreeImage.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace vximgplug {

enum class DirectRows { Written, NotThisFile, Failed };

// In the helper: a bitmap without pixels that describes the picture and carries its metadata,
// and the writer of its rows (`pitch` bytes apart, in the order the host keeps them for the
// format). No header: the file takes the general decode; NotThisFile from the writer: the same.
struct DirectDecode {
  FIBITMAP* header = nullptr;
  std::function<DirectRows(uint8_t* bits, size_t pitch)> rows;
};

// In the helper: `dib`'s rows written once into `pixelFile`, top row first when asked (FreeImage's
// bottom-row-first order otherwise), the rest of it to `reply`. The bitmap stays the caller's.
bool SendBitmap(int reply, int pixelFile, FIBITMAP* dib, bool topRowFirst);

// In the helper: `direct` tried first when given, `decode` otherwise; every bitmap made is freed.
bool SendDecoded(int reply, int pixelFile, const std::function<FIBITMAP*()>& decode, bool topRowFirst,
                 const std::function<DirectDecode()>& direct);

// In the host: the helper serves `request` over the file `source`, and its bitmap is rebuilt
// here over the rows it wrote; nullptr on any failure.
FIBITMAP* LoadInHelper(const std::vector<uint8_t>& request, int source);

// Frees any bitmap of the plug-in, with the mapped pixel memory of one loaded in the helper.
void UnloadBitmap(FIBITMAP* dib);

}  // namespace vximgplug
