// The packed bitmap a reader is handed, checked against its size before a pixel is trusted and
// brought to one layout both recognisers take: bottom-up rows of 8-bit grey or 24-bit BGR.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace vxbarcode {

struct DibPixels {
  int width = 0;
  int height = 0;
  int stride = 0;             // bytes from one stored row to the next
  int bytesPerPixel = 0;      // 1 (grey) or 3 (blue, green, red)
  const uint8_t* bottomRow = nullptr;  // first stored row: the picture's bottom row
  double dpi = 0;             // horizontal resolution, 0 when the header gives none
  std::vector<uint8_t> grey;  // the widened rows of a 1-bit bitmap, which bottomRow points into

  const uint8_t* TopRow() const { return bottomRow + static_cast<ptrdiff_t>(height - 1) * stride; }
};

// False for anything but an uncompressed 1- or 24-bit bitmap of positive size lying wholly in
// the block.
bool ReadPackedDib(const uint8_t* block, size_t bytes, DibPixels& pixels);

}  // namespace vxbarcode
