#include "tiff_row_decoder.h"

#include <tiffio.h>

#include <algorithm>
#include <vector>

#include "memory_tiff.h"

namespace vximgplug {
namespace {

uint16_t Field16(TIFF* tif, ttag_t tag) {
  uint16_t value = 0;
  TIFFGetFieldDefaulted(tif, tag, &value);
  return value;
}

bool PlainRgbPage(TIFF* tif, uint32_t width, uint32_t height) {
  uint32_t w = 0, h = 0;
  uint16_t extra = 0;
  uint16_t* extraTypes = nullptr;
  TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &w);
  TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &h);
  TIFFGetFieldDefaulted(tif, TIFFTAG_EXTRASAMPLES, &extra, &extraTypes);
  return w == width && h == height && !TIFFIsTiled(tif) && Field16(tif, TIFFTAG_PHOTOMETRIC) == PHOTOMETRIC_RGB &&
         Field16(tif, TIFFTAG_SAMPLESPERPIXEL) == 3 && Field16(tif, TIFFTAG_BITSPERSAMPLE) == 8 &&
         Field16(tif, TIFFTAG_PLANARCONFIG) == PLANARCONFIG_CONTIG && Field16(tif, TIFFTAG_SAMPLEFORMAT) == SAMPLEFORMAT_UINT &&
         extra == 0;
}

// One strip's rows into their places, red and blue exchanged.
void PlaceRows(const uint8_t* strip, uint32_t firstRow, uint32_t rows, uint32_t width, uint32_t height, uint8_t* bits,
               size_t pitch) {
  for (uint32_t r = 0; r < rows; ++r) {
    const uint8_t* from = strip + size_t{r} * width * 3;
    uint8_t* to = bits + pitch * (height - 1 - (firstRow + r));
    for (uint32_t x = 0; x < width; ++x, from += 3, to += 3) {
      to[0] = from[2];
      to[1] = from[1];
      to[2] = from[0];
    }
  }
}

DirectRows DecodeStrips(TIFF* tif, uint32_t width, uint32_t height, uint8_t* bits, size_t pitch) {
  uint32_t rowsPerStrip = height;
  TIFFGetFieldDefaulted(tif, TIFFTAG_ROWSPERSTRIP, &rowsPerStrip);
  rowsPerStrip = std::clamp<uint32_t>(rowsPerStrip, 1, height);
  const size_t rowBytes = size_t{width} * 3;
  std::vector<uint8_t> strip(rowBytes * rowsPerStrip);
  for (uint32_t first = 0, index = 0; first < height; first += rowsPerStrip, ++index) {
    const uint32_t rows = std::min(rowsPerStrip, height - first);
    const tmsize_t wanted = static_cast<tmsize_t>(rowBytes * rows);
    // A strip that does not decode whole is FreeImage's to make something of.
    if (TIFFReadEncodedStrip(tif, index, strip.data(), wanted) != wanted) return DirectRows::NotThisFile;
    PlaceRows(strip.data(), first, rows, width, height, bits, pitch);
  }
  return DirectRows::Written;
}

}  // namespace

DirectRows DecodeTiffRows(const std::string& path, uint32_t width, uint32_t height, uint32_t bitsPerPixel,
                          uint8_t* bits, size_t pitch) {
  if (bitsPerPixel != 24) return DirectRows::NotThisFile;
  TiffPtr tif(TIFFOpen(path.c_str(), "r"));
  if (!tif || !PlainRgbPage(tif.get(), width, height)) return DirectRows::NotThisFile;
  return DecodeStrips(tif.get(), width, height, bits, pitch);
}

}  // namespace vximgplug
