// Whether a PNG's image data could hold the rows its header claims. A decoder takes the picture's
// memory from the header before it reads a row, so a PNG of a few dozen bytes claiming 2560 x
// 35152 pixels would cost 360 MB (and, where that memory is cleared, seconds) before the first
// row turns out to be missing. Deflate cannot shrink data more than 1032 to 1, so image data
// shorter than the rows' bytes divided by that cannot hold them: such a file is refused before
// any decoder sees it. Header-only and free of libpng, so that the format plug-in screens PNG
// files, and the PNG images inside icons, the same way the platform reader does.
#pragma once
#include <cstddef>
#include <cstdint>

namespace vx::gdiplus::codecs {

namespace png_census {

constexpr uint64_t kMaxDeflateRatio = 1032;
// Room for the zlib stream's own header, block headers and checksum.
constexpr uint64_t kStreamOverhead = 64;

inline uint32_t BigEndian32(const uint8_t* p) {
  return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3];
}

// Bytes of the rows as they are filtered, before compression; 0 for a header that makes no sense
// (the decoder refuses those itself).
inline uint64_t FilteredRowBytes(const uint8_t* ihdr) {
  const uint64_t width = BigEndian32(ihdr), height = BigEndian32(ihdr + 4);
  const unsigned depth = ihdr[8], colour = ihdr[9];
  const unsigned channels = colour == 0 || colour == 3 ? 1 : colour == 2 ? 3 : colour == 4 ? 2 : colour == 6 ? 4 : 0;
  if (channels == 0 || depth == 0 || depth > 16) return 0;
  return height * (1 + (width * channels * depth + 7) / 8);
}

}  // namespace png_census

// False when the PNG at `read`'s offsets 0 .. `size` has a header whose rows its image data
// cannot hold; true otherwise (also for bytes that are no PNG: that is the decoder's to judge).
// `read(offset, buffer, bytes)` answers false past the end.
template <class Read>
bool PngDataCanHoldItsRows(const Read& read, uint64_t size) {
  using namespace png_census;
  static constexpr uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  uint8_t head[8 + 8 + 13];
  if (!read(0, head, sizeof head)) return true;
  for (size_t i = 0; i < 8; ++i)
    if (head[i] != kSignature[i]) return true;
  if (head[12] != 'I' || head[13] != 'H' || head[14] != 'D' || head[15] != 'R') return true;
  const uint64_t needed = FilteredRowBytes(head + 16);
  uint64_t data = 0;
  for (uint64_t at = 8; at + 8 <= size;) {
    uint8_t chunk[8];
    if (!read(at, chunk, sizeof chunk)) break;
    const uint64_t length = BigEndian32(chunk);
    const bool idat = chunk[4] == 'I' && chunk[5] == 'D' && chunk[6] == 'A' && chunk[7] == 'T';
    const uint64_t present = size - (at + 8) < length ? size - (at + 8) : length;
    if (idat) data += present;
    if (data * kMaxDeflateRatio >= needed) return true;
    if (chunk[4] == 'I' && chunk[5] == 'E' && chunk[6] == 'N' && chunk[7] == 'D') break;
    at += 8 + length + 4;
  }
  return data * kMaxDeflateRatio + kStreamOverhead * kMaxDeflateRatio >= needed;
}

}  // namespace vx::gdiplus::codecs
