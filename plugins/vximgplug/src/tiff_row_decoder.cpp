#include "tiff_row_decoder.h"

#include <tiffio.h>

#include <utility>

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

// TIFF keeps red first, FreeImage blue first.
void SwapRedAndBlue(uint8_t* row, uint32_t width) {
  for (uint32_t x = 0; x < width; ++x, row += 3) std::swap(row[0], row[2]);
}

DirectRows DecodeScanlines(TIFF* tif, uint32_t width, uint32_t height, RowStream& stream) {
  for (uint32_t y = 0; y < height; ++y) {
    uint8_t* row = stream.Reserve(1);
    if (!row) return DirectRows::Failed;
    // A row that does not decode is FreeImage's to make something of.
    if (TIFFReadScanline(tif, row, y, 0) != 1) return DirectRows::NotThisFile;
    SwapRedAndBlue(row, width);
  }
  return DirectRows::Written;
}

}  // namespace

DirectRows DecodeTiffRows(const std::string& path, uint32_t width, uint32_t height, uint32_t bitsPerPixel,
                          RowStream& rows) {
  if (bitsPerPixel != 24) return DirectRows::NotThisFile;
  // Read, not mapped: a mapped file's pages would count as the helper's own memory for as long
  // as the page is decoded.
  TiffPtr tif(TIFFOpen(path.c_str(), "rm"));
  if (!tif || !PlainRgbPage(tif.get(), width, height)) return DirectRows::NotThisFile;
  return DecodeScanlines(tif.get(), width, height, rows);
}

vx::gdiplus::codecs::StoredColourSpace TiffFileColourSpace(const std::string& path) {
  TiffPtr tif(TIFFOpen(path.c_str(), "rm"));
  if (!tif) return vx::gdiplus::codecs::StoredColourSpace::Unknown;
  uint16_t photometric = 0;
  // Without the tag, as the reader of the page takes it: grey below three samples, RGB above.
  if (!TIFFGetField(tif.get(), TIFFTAG_PHOTOMETRIC, &photometric))
    photometric = Field16(tif.get(), TIFFTAG_SAMPLESPERPIXEL) >= 3 ? PHOTOMETRIC_RGB : PHOTOMETRIC_MINISWHITE;
  return vx::gdiplus::codecs::TiffStoredColourSpace(photometric, Field16(tif.get(), TIFFTAG_INKSET));
}

}  // namespace vximgplug
