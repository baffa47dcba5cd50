// How many rows each strip of a written TIFF page holds: the one rule for every TIFF writer, the
// platform encoder's and the plug-ins' (each its own shared object, so the rule is a header and
// free of libtiff).
//
// LZW and Deflate start afresh in every strip: LZW with an empty dictionary, which on the white
// of a document page costs hundreds of codes before runs compress again, so strips of one row
// made LZW pages ten times larger than one strip, and even 1 MB strips half as large again on a
// sparse page. A page of up to 8 MB of raw rows (a bilevel A4 page at 600 dpi, a colour one at
// 150 dpi) is therefore one strip, and a larger page is cut into strips of about that size, which
// bounds what a reader decoding a strip at a time must hold and costs a few per cent. The count of
// rows is a multiple of 16, the tallest block a JPEG strip may need, so that JPEG-in-TIFF and
// CCITT pages follow the same rule.
#pragma once
#include <cstdint>

namespace vx::tiff {

constexpr uint64_t kStripTargetBytes = uint64_t{8} << 20;
constexpr uint32_t kStripRowMultiple = 16;

// `rowBytes` is one row as stored (after packing bits), `height` the page's rows.
constexpr uint32_t RowsPerStrip(uint64_t rowBytes, uint32_t height) {
  if (height == 0) return 1;
  if (rowBytes == 0 || rowBytes <= kStripTargetBytes / height) return height;
  uint64_t rows = (kStripTargetBytes + rowBytes - 1) / rowBytes;
  rows = (rows + kStripRowMultiple - 1) / kStripRowMultiple * kStripRowMultiple;
  return rows >= height ? height : static_cast<uint32_t>(rows);
}

// libtiff gathers a whole strip in memory before it writes it by default; its writers give it a
// buffer of this size instead, which it hands to the file whenever it is full. A strip of 8 MB
// copied through memory twice (into the buffer, then into the file) cost twice the system time
// of the same bytes passed on in pieces that stay in the processor's cache.
constexpr uint64_t kWriteBufferBytes = uint64_t{256} << 10;

// One stored row of `width` pixels of `bitsPerPixel` bits (all samples), whole bytes.
constexpr uint64_t StoredRowBytes(uint64_t width, uint64_t bitsPerPixel) { return (width * bitsPerPixel + 7) / 8; }

}  // namespace vx::tiff
