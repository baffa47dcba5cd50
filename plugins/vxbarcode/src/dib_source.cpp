#include "dib_source.h"

#include <cstring>

namespace vxbarcode {
namespace {

constexpr size_t kHeaderBytes = 40;
// The engine's own bounds of a picture. Within them every offset the recognisers compute in
// 32 bits (a row times three times the width at most) stays below 2^31.
constexpr int32_t kMaxSide = 65535;
constexpr int64_t kMaxPixels = int64_t{1} << 28;

template <class T>
T ReadLittle(const uint8_t* at) {
  T value;
  std::memcpy(&value, at, sizeof value);
  return value;
}

// One grey byte per pixel, through the two-entry colour table, turned to top-down rows: the
// linear recogniser's turned passes find nothing on a grey view walked upwards.
void WidenBilevel(const uint8_t* rows, size_t sourceStride, const uint8_t* table, DibPixels& pixels) {
  const uint8_t shades[2] = {Luminance(table), Luminance(table + 4)};
  pixels.grey.resize(static_cast<size_t>(pixels.width) * pixels.height);
  for (int y = 0; y < pixels.height; ++y) {
    const uint8_t* source = rows + static_cast<size_t>(pixels.height - 1 - y) * sourceStride;
    uint8_t* target = pixels.grey.data() + static_cast<size_t>(y) * pixels.width;
    for (int x = 0; x < pixels.width; ++x) target[x] = shades[(source[x >> 3] >> (7 - (x & 7))) & 1];
  }
  pixels.topRow = pixels.grey.data();
  pixels.rowStep = pixels.width;
  pixels.bytesPerPixel = 1;
}

}  // namespace

bool ReadPackedDib(const uint8_t* block, size_t bytes, DibPixels& pixels) {
  if (block == nullptr || bytes < kHeaderBytes) return false;
  const uint32_t headerSize = ReadLittle<uint32_t>(block);
  const int32_t width = ReadLittle<int32_t>(block + 4);
  const int32_t height = ReadLittle<int32_t>(block + 8);
  const uint16_t bits = ReadLittle<uint16_t>(block + 14);
  const uint32_t compression = ReadLittle<uint32_t>(block + 16);
  const int32_t pixelsPerMetre = ReadLittle<int32_t>(block + 24);
  const uint32_t coloursUsed = ReadLittle<uint32_t>(block + 32);
  if (headerSize != kHeaderBytes || compression != 0 || (bits != 1 && bits != 24)) return false;
  if (width < 1 || height < 1 || width > kMaxSide || height > kMaxSide) return false;
  if (static_cast<int64_t>(width) * height > kMaxPixels) return false;
  const size_t tableEntries = bits == 1 ? (coloursUsed == 0 ? 2 : coloursUsed) : 0;
  if (tableEntries > 2) return false;
  const size_t stride = (static_cast<size_t>(width) * bits + 31) / 32 * 4;
  const size_t rowsAt = kHeaderBytes + tableEntries * 4;
  if (rowsAt > bytes || (bytes - rowsAt) / stride < static_cast<size_t>(height)) return false;

  pixels = DibPixels{};
  pixels.width = width;
  pixels.height = height;
  pixels.dpi = pixelsPerMetre > 0 ? pixelsPerMetre * 0.0254 : 0;
  if (bits == 1) {
    if (tableEntries < 2) return false;
    WidenBilevel(block + rowsAt, stride, block + kHeaderBytes, pixels);
  } else {
    pixels.topRow = block + rowsAt + (static_cast<size_t>(height) - 1) * stride;
    pixels.rowStep = -static_cast<ptrdiff_t>(stride);
    pixels.bytesPerPixel = 3;
  }
  return true;
}

}  // namespace vxbarcode
