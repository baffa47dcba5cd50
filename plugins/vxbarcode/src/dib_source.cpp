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

bool IsGrey(const uint8_t* entry) { return entry[0] == entry[1] && entry[1] == entry[2]; }

// One grey byte per pixel, through the two-entry colour table, turned to top-down rows: the
// linear recogniser's turned passes find nothing on a grey view walked upwards.
void WidenBilevel(const uint8_t* topRow, ptrdiff_t rowStep, const uint8_t* table, DibPixels& pixels) {
  const uint8_t shades[2] = {Luminance(table), Luminance(table + 4)};
  pixels.widened.resize(static_cast<size_t>(pixels.width) * pixels.height);
  for (int y = 0; y < pixels.height; ++y) {
    const uint8_t* source = topRow + y * rowStep;
    uint8_t* target = pixels.widened.data() + static_cast<size_t>(y) * pixels.width;
    for (int x = 0; x < pixels.width; ++x) target[x] = shades[(source[x >> 3] >> (7 - (x & 7))) & 1];
  }
  pixels.topRow = pixels.widened.data();
  pixels.rowStep = pixels.width;
  pixels.bytesPerPixel = 1;
}

// The table's `entries` entries, indices past them black, as `bytes` bytes per index: the grey
// level alone or blue, green, red.
std::vector<uint8_t> IndexLevels(const uint8_t* table, size_t entries, int bytes) {
  std::vector<uint8_t> levels(256 * static_cast<size_t>(bytes), 0);
  for (size_t i = 0; i < entries; ++i)
    for (int c = 0; c < bytes; ++c) levels[i * bytes + c] = table[4 * i + c];
  return levels;
}

// The rows of an 8-bit bitmap: the grey ramp's indices are its levels and are read in place, in
// the order they are stored; any other table is looked up row by row into top-down rows.
void ReadIndexed(const uint8_t* topRow, ptrdiff_t rowStep, const uint8_t* table, size_t entries, DibPixels& pixels) {
  bool grey = true, ramp = entries == 256;
  for (size_t i = 0; i < entries; ++i) {
    grey = grey && IsGrey(table + 4 * i);
    ramp = ramp && table[4 * i] == i;
  }
  if (grey && ramp) {
    pixels.topRow = topRow;
    pixels.rowStep = rowStep;
    pixels.bytesPerPixel = 1;
    return;
  }
  const int bytes = grey ? 1 : 3;
  const std::vector<uint8_t> levels = IndexLevels(table, entries, bytes);
  const size_t rowBytes = static_cast<size_t>(pixels.width) * bytes;
  pixels.widened.resize(rowBytes * pixels.height);
  for (int y = 0; y < pixels.height; ++y) {
    const uint8_t* source = topRow + y * rowStep;
    uint8_t* target = pixels.widened.data() + static_cast<size_t>(y) * rowBytes;
    if (bytes == 1) {
      for (int x = 0; x < pixels.width; ++x) target[x] = levels[source[x]];
      continue;
    }
    for (int x = 0; x < pixels.width; ++x, target += 3) {
      const uint8_t* colour = &levels[source[x] * 3];
      target[0] = colour[0];
      target[1] = colour[1];
      target[2] = colour[2];
    }
  }
  pixels.topRow = pixels.widened.data();
  pixels.rowStep = static_cast<ptrdiff_t>(rowBytes);
  pixels.bytesPerPixel = bytes;
}

// Entries of the colour table a bitmap of `bits` per pixel carries; 0 where it may carry none.
size_t TableEntries(uint16_t bits, uint32_t coloursUsed) {
  if (bits > 8) return 0;
  return coloursUsed == 0 ? size_t{1} << bits : coloursUsed;
}

}  // namespace

bool ReadDib(const uint8_t* info, size_t infoBytes, const uint8_t* rows, size_t rowsBytes, bool topDownAllowed,
             uint32_t depths, DibPixels& pixels) {
  if (info == nullptr || rows == nullptr || infoBytes < kHeaderBytes) return false;
  const uint32_t headerSize = ReadLittle<uint32_t>(info);
  const int32_t width = ReadLittle<int32_t>(info + 4);
  const int32_t storedHeight = ReadLittle<int32_t>(info + 8);
  const uint16_t bits = ReadLittle<uint16_t>(info + 14);
  const uint32_t compression = ReadLittle<uint32_t>(info + 16);
  const int32_t pixelsPerMetre = ReadLittle<int32_t>(info + 24);
  const uint32_t coloursUsed = ReadLittle<uint32_t>(info + 32);
  if (headerSize != kHeaderBytes || compression != 0 || bits > 24 || (depths >> bits & 1) == 0) return false;
  const bool topDown = storedHeight < 0 && storedHeight > -kMaxSide - 1;
  if (topDown && !topDownAllowed) return false;
  const int32_t height = topDown ? -storedHeight : storedHeight;
  if (width < 1 || height < 1 || width > kMaxSide || height > kMaxSide) return false;
  if (static_cast<int64_t>(width) * height > kMaxPixels) return false;
  const size_t tableEntries = TableEntries(bits, coloursUsed);
  if (bits <= 8 && tableEntries > (size_t{1} << bits)) return false;
  if (bits == 1 && tableEntries < 2) return false;
  if ((infoBytes - kHeaderBytes) / 4 < tableEntries) return false;
  const size_t stride = (static_cast<size_t>(width) * bits + 31) / 32 * 4;
  if (rowsBytes / stride < static_cast<size_t>(height)) return false;

  pixels = DibPixels{};
  pixels.width = width;
  pixels.height = height;
  pixels.dpi = pixelsPerMetre > 0 ? pixelsPerMetre * 0.0254 : 0;
  const uint8_t* topRow = topDown ? rows : rows + (static_cast<size_t>(height) - 1) * stride;
  const ptrdiff_t rowStep = topDown ? static_cast<ptrdiff_t>(stride) : -static_cast<ptrdiff_t>(stride);
  const uint8_t* table = info + kHeaderBytes;
  if (bits == 1) {
    WidenBilevel(topRow, rowStep, table, pixels);
  } else if (bits == 8) {
    ReadIndexed(topRow, rowStep, table, tableEntries, pixels);
  } else {
    pixels.topRow = topRow;
    pixels.rowStep = rowStep;
    pixels.bytesPerPixel = 3;
  }
  return true;
}

bool ReadPackedDib(const uint8_t* block, size_t bytes, uint32_t depths, DibPixels& pixels) {
  if (block == nullptr || bytes < kHeaderBytes) return false;
  const size_t rowsAt = kHeaderBytes + 4 * TableEntries(ReadLittle<uint16_t>(block + 14), ReadLittle<uint32_t>(block + 32));
  if (rowsAt > bytes) return false;
  return ReadDib(block, rowsAt, block + rowsAt, bytes - rowsAt, false, depths, pixels);
}

}  // namespace vxbarcode
