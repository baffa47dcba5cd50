// Packed device-independent bitmaps (header, colour table or masks, bottom-up rows) in both
// directions: an image exported into global memory, and a DIB read into a new image.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "engine/vexiro_status.h"
#include "platform/kernel/win_types.h"

namespace vx::engine {

// The caller owns the returned block. Depths a DIB cannot hold are widened: 16-bit grey and
// 48-bit become 24-bit, 64-bit becomes 32-bit; 565 is written with BI_BITFIELDS masks.
VexiroStatus GetImageAsPackedDIB(int32_t id, HGLOBAL& dib);

// How an export for a reader that takes fewer depths is made: the rows widened to 24 bits
// straight from the image's own format (no converted copy of the image in between), and read
// in bands of rows, `stop` asked before each band. A stop ends the export with Aborted and no
// block, so a caller whose time is spent does not first pay for the whole copy.
struct PackedDibExport {
  bool widenTo24 = false;
  std::function<bool()> stop;
};
VexiroStatus GetImageAsPackedDIB(int32_t id, const PackedDibExport& how, HGLOBAL& dib);

// The header and colour table of the image's own rows as they lie, top row first (a negative
// height), and the DIB stride of those rows: for a reader handed the rows of a read lock in place
// of a copy, where the lock's stride is that one. UnsupportedPixelFormat where a DIB holds the
// image's format in another layout.
VexiroStatus GetImageDibInfo(int32_t id, std::vector<uint8_t>& info, int32_t& stride);

// A DIB whose header and colour table lie in `info` and whose rows lie in `bits`; both sizes
// bound every read. Honours biSize, biClrUsed, top-down heights and bit-field masks; other
// compressions give UnknownImageFormat, malformed headers InvalidParameter. The pixels are
// copied, so neither block needs to outlive the call. Registered as a DIB image; the caller
// hands over the owning global memory with SetImageGdiDib when it wants it freed with the image.
VexiroStatus CreateImageFromGdiDib(const void* info, size_t infoBytes, const void* bits, size_t bitsBytes, int32_t& id);
// The same for one packed block (header, table and rows in sequence).
VexiroStatus CreateImageFromPackedDIBBlock(const void* block, size_t blockBytes, int32_t& id);

}  // namespace vx::engine
