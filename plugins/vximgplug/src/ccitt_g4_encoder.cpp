#include "ccitt_g4_encoder.h"

#include "bilevel_bitmap.h"
#include "memory_tiff.h"

namespace vximgplug {

std::optional<std::vector<uint8_t>> EncodeCcittG4(const uint8_t* rows, size_t rowsLength, uint32_t width,
                                                   uint32_t height, size_t bytesPerRow) {
  if (!rows || !DimensionsAcceptable(width, height) || bytesPerRow < (width + 7) / 8) return std::nullopt;
  if (bytesPerRow > rowsLength / height) return std::nullopt;

  MemoryTiffBuffer buffer;
  {
    TiffPtr tiff = OpenMemoryTiff(buffer, "w");
    if (!tiff) return std::nullopt;
    TIFF* t = tiff.get();
    TIFFSetField(t, TIFFTAG_IMAGEWIDTH, width);
    TIFFSetField(t, TIFFTAG_IMAGELENGTH, height);
    TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 1);
    TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(t, TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX4);
    TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
    TIFFSetField(t, TIFFTAG_FILLORDER, FILLORDER_MSB2LSB);
    TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, height);
    std::vector<uint8_t> row(bytesPerRow);
    for (uint32_t y = 0; y < height; ++y) {
      row.assign(rows + y * bytesPerRow, rows + (y + 1) * bytesPerRow);
      if (TIFFWriteScanline(t, row.data(), y, 0) < 0) return std::nullopt;
    }
    if (!TIFFWriteDirectory(t)) return std::nullopt;
  }

  buffer.position = 0;
  TiffPtr tiff = OpenMemoryTiff(buffer, "r");
  if (!tiff) return std::nullopt;
  uint64_t* counts = nullptr;
  if (!TIFFGetField(tiff.get(), TIFFTAG_STRIPBYTECOUNTS, &counts) || !counts) return std::nullopt;
  std::vector<uint8_t> strip(static_cast<size_t>(counts[0]));
  if (strip.empty()) return std::nullopt;
  if (TIFFReadRawStrip(tiff.get(), 0, strip.data(), static_cast<tmsize_t>(strip.size())) !=
      static_cast<tmsize_t>(strip.size()))
    return std::nullopt;
  return strip;
}

}  // namespace vximgplug
