// The one reader of a device-independent bitmap's header: the info header in its three families,
// the bit-field masks, the colour table's place and size, and the row layout. Every size, count
// and offset is bounded against the bytes at hand before anything is read through it, so callers
// (GDI bitmaps, packed DIBs, the BMP and icon decoder) only decide which layouts they take.
#pragma once
#include <cstddef>
#include <cstdint>
#include <limits>
#include <vector>

#include "platform/kernel/win_types.h"

namespace vx::gdi {

enum class DibParse { Ok, Malformed, Unsupported, TooLarge };

// 12-byte OS/2 1.x core header (16-bit sizes, 3-byte table entries), OS/2 2.x header (16 to 64
// bytes, missing trailing fields read as zero) and the Windows info header (40 bytes and its
// 52, 56, 108 and 124-byte extensions).
enum class DibHeaderKind : uint8_t { Core, Os2, Info };

struct DibLimits {
  int32_t maxDimension = std::numeric_limits<int32_t>::max();
  uint64_t maxPixelBytes = std::numeric_limits<uint64_t>::max();  // stride * height
};

struct DibHeader {
  DibHeaderKind kind = DibHeaderKind::Info;
  uint32_t size = 0;
  int32_t width = 0;
  int32_t height = 0;  // always positive; the row order is in topDown
  bool topDown = false;
  uint16_t planes = 1;
  uint16_t bitCount = 0;
  // BI_RGB, BI_RLE8, BI_RLE4 or BI_BITFIELDS (alpha bit fields are bit fields with a fourth mask).
  uint32_t compression = BI_RGB;
  int32_t xPelsPerMeter = 0, yPelsPerMeter = 0;
  // Red, green, blue, alpha: the stored masks of bit-field layouts, the implied 5-5-5 or 8-8-8
  // ones of plain 16 and 32-bit rows, zero otherwise.
  uint32_t masks[4] = {};
  size_t tableOffset = 0;
  uint32_t tableEntries = 0;  // entries stored, including an optional table of a deep format
  uint8_t tableEntryBytes = 4;
  size_t bitsOffset = 0;  // just past the colour table: where a packed DIB's rows start
  uint64_t stride = 0;    // bytes per row, padded to 4

  bool Indexed() const { return bitCount <= 8; }
  bool RunLength() const { return compression == BI_RLE8 || compression == BI_RLE4; }
  uint64_t ImageBytes() const { return stride * static_cast<uint64_t>(height); }
};

// Reads the header at `data`, of which `available` bytes may be read.
//  Malformed: truncated header or table, unknown header size, empty or negative sizes, a depth
//             the compression cannot have, masks that are empty, broken or wider than a pixel,
//             more colours than the depth can index.
//  Unsupported: compressions and depths this platform does not decode (JPEG, PNG, Huffman, RLE24,
//             2-bit pixels...).
//  TooLarge: dimensions or pixel memory past `limits`.
DibParse ParseDibHeader(const void* data, size_t available, const DibLimits& limits, DibHeader& out);

// The table's entries as opaque ARGB, at most as many as the depth can index (empty for deep
// formats). The header must have come from ParseDibHeader over the same bytes.
std::vector<uint32_t> ReadDibColourTable(const void* data, const DibHeader& header);

// Unpacks `count` pixels of a 16 or 32-bit row through the header's masks into B, G, R, A bytes,
// each channel scaled to 0..255 with rounding; layouts without an alpha mask give opaque pixels.
void UnpackDibMaskedRow(const DibHeader& header, const uint8_t* row, int32_t count, uint8_t* bgra);

// A channel mask whose bits form one run (zero counts as an absent channel).
bool IsContiguousMask(uint32_t mask);

}  // namespace vx::gdi
