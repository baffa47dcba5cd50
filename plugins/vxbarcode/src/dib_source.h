// The packed bitmap a reader is handed, checked against its size before a pixel is trusted and
// brought to one view both recognisers take: rows of 8-bit grey or 24-bit BGR, walked from the
// picture's top row down.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace vxbarcode {

struct DibPixels {
  int width = 0;
  int height = 0;
  int bytesPerPixel = 0;          // 1 (grey) or 3 (blue, green, red)
  const uint8_t* topRow = nullptr;
  ptrdiff_t rowStep = 0;          // bytes from a row to the one below it; negative over bottom-up rows
  double dpi = 0;                 // horizontal resolution, 0 when the header gives none
  std::vector<uint8_t> widened;   // rows read through the colour table where they are not used in place, top row first

  const uint8_t* Row(int y) const { return topRow + y * rowStep; }
  // The stored row with the lowest address, and whether the rows run bottom-up from it.
  const uint8_t* FirstStoredRow() const { return rowStep < 0 ? Row(height - 1) : topRow; }
  bool StoredBottomUp() const { return rowStep < 0; }
  size_t StoredStride() const { return static_cast<size_t>(rowStep < 0 ? -rowStep : rowStep); }
};

// The grey value of a blue, green, red pixel.
inline uint8_t Luminance(const uint8_t* bgr) {
  return static_cast<uint8_t>((117u * bgr[0] + 601u * bgr[1] + 306u * bgr[2] + 0x200u) >> 10);
}

// The depths a reader takes, bit n for n bits per pixel.
constexpr uint32_t kBilevelAndTrueColour = (1u << 1) | (1u << 24);
constexpr uint32_t kAlsoIndexed = kBilevelAndTrueColour | (1u << 8);

// False for anything but an uncompressed bitmap of one of `depths` (1, 8 or 24 bits) of positive
// size lying wholly in the block, or one larger than a picture the engine can hold. An 8-bit
// bitmap whose colour table is grey gives grey rows, in place where the table is the plain ramp;
// any other table gives the blue, green, red pixels a 24-bit bitmap of the picture holds.
bool ReadPackedDib(const uint8_t* block, size_t bytes, uint32_t depths, DibPixels& pixels);
// The same for a header with its colour table in `info` and the rows apart in `rows`, which may
// also run from the top down (a negative height).
bool ReadDib(const uint8_t* info, size_t infoBytes, const uint8_t* rows, size_t rowsBytes, bool topDownAllowed,
             uint32_t depths, DibPixels& pixels);

}  // namespace vxbarcode
