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
  std::vector<uint8_t> grey;      // the widened rows of a 1-bit bitmap, top row first

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

// False for anything but an uncompressed 1- or 24-bit bitmap of positive size lying wholly in
// the block, or one larger than a picture the engine can hold.
bool ReadPackedDib(const uint8_t* block, size_t bytes, DibPixels& pixels);

}  // namespace vxbarcode
