// Loading through a backing decoder in the decoding helper process. FreeImage's decoders crash or hang on
// damaged files (truncated PICT, XBM and EXR files hang; damaged PICT files and JPEG files with
// hostile EXIF blocks crash; damaged DDS and SGI headers ask for absurd allocations), so every
// single-bitmap decode runs in the helper. The helper first announces the picture, then streams
// its rows through the window it shares with the host into memory the host allocated for them
// (no second picture, no clearing, no flip), and writes the rest to a reply file: palette,
// transparency, background colour, resolution, ICC profile and every metadata tag. A decoder
// that can write the rows itself writes them straight into the window, and FreeImage then only
// describes the picture.
#pragma once
#include <FreeImage.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "row_stream.h"

namespace vximgplug {

enum class DirectRows { Written, NotThisFile, Failed };

// In the helper: a bitmap without pixels that describes the picture and carries its metadata,
// and the writer of its rows, top row first. No header: the file takes the general decode;
// NotThisFile from the writer (before or after rows went): the same, the host starting afresh.
struct DirectDecode {
  FIBITMAP* header = nullptr;
  std::function<DirectRows(RowStream& rows)> rows;
};

// In the helper: `dib`'s rows streamed to the host, the rest of it to `reply`. The bitmap stays
// the caller's.
bool SendBitmap(int reply, FIBITMAP* dib);

// In the helper: `direct` tried first when given, `decode` otherwise; every bitmap made is freed.
bool SendDecoded(int reply, const std::function<FIBITMAP*()>& decode, const std::function<DirectDecode()>& direct);

// In the host: the helper serves `request` over the file `source`, and its bitmap is rebuilt
// here over the rows it streamed, kept top row first in memory when `topRowFirst`; nullptr on any
// failure.
FIBITMAP* LoadInHelper(const std::vector<uint8_t>& request, int source, bool topRowFirst);

// Frees any bitmap of the plug-in, with the mapped pixel memory of one loaded in the helper.
void UnloadBitmap(FIBITMAP* dib);

}  // namespace vximgplug
