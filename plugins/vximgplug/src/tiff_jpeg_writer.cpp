#include "tiff_jpeg_writer.h"

#include <tiffio.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace vximgplug {
namespace {

struct DibDeleter {
  void operator()(FIBITMAP* dib) const { FreeImage_Unload(dib); }
};
struct TiffCloser {
  void operator()(TIFF* tiff) const { TIFFClose(tiff); }
};

constexpr double kInchesPerMetre = 0.0254;
constexpr uint32_t kRowsPerStrip = 16;  // a multiple of the JPEG block height

bool IsGrey(FIBITMAP* dib) {
  return FreeImage_GetImageType(dib) == FIT_BITMAP && FreeImage_GetBPP(dib) == 8 &&
         FreeImage_GetColorType(dib) == FIC_MINISBLACK;
}

}  // namespace

bool WriteTiffJpeg(FIBITMAP* source, bool topRowFirst, int quality, const std::string& path) {
  const bool grey = IsGrey(source);
  std::unique_ptr<FIBITMAP, DibDeleter> dib(grey ? FreeImage_Clone(source) : FreeImage_ConvertTo24Bits(source));
  if (!dib) return false;
  const uint32_t width = FreeImage_GetWidth(dib.get());
  const uint32_t height = FreeImage_GetHeight(dib.get());
  const uint16_t samples = grey ? 1 : 3;

  std::unique_ptr<TIFF, TiffCloser> tiff(TIFFOpen(path.c_str(), "w"));
  if (!tiff) return false;
  TIFF* t = tiff.get();
  TIFFSetField(t, TIFFTAG_IMAGEWIDTH, width);
  TIFFSetField(t, TIFFTAG_IMAGELENGTH, height);
  TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 8);
  TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, samples);
  TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(t, TIFFTAG_COMPRESSION, COMPRESSION_JPEG);
  TIFFSetField(t, TIFFTAG_PHOTOMETRIC, grey ? PHOTOMETRIC_MINISBLACK : PHOTOMETRIC_YCBCR);
  if (!grey) TIFFSetField(t, TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB);
  TIFFSetField(t, TIFFTAG_JPEGQUALITY, std::clamp(quality, 1, 100));
  TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, kRowsPerStrip);
  TIFFSetField(t, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
  TIFFSetField(t, TIFFTAG_XRESOLUTION, static_cast<float>(FreeImage_GetDotsPerMeterX(source) * kInchesPerMetre));
  TIFFSetField(t, TIFFTAG_YRESOLUTION, static_cast<float>(FreeImage_GetDotsPerMeterY(source) * kInchesPerMetre));

  std::vector<uint8_t> row(static_cast<size_t>(width) * samples);
  for (uint32_t y = 0; y < height; ++y) {
    const BYTE* line = FreeImage_GetScanLine(dib.get(), static_cast<int>(topRowFirst ? y : height - 1 - y));
    if (grey) {
      std::copy(line, line + width, row.begin());
    } else {
      for (uint32_t x = 0; x < width; ++x) {
        row[3 * x] = line[3 * x + FI_RGBA_RED];
        row[3 * x + 1] = line[3 * x + FI_RGBA_GREEN];
        row[3 * x + 2] = line[3 * x + FI_RGBA_BLUE];
      }
    }
    if (TIFFWriteScanline(t, row.data(), y, 0) < 0) return false;
  }
  if (!TIFFWriteDirectory(t)) return false;
  tiff.reset();
  return true;
}

}  // namespace vximgplug
