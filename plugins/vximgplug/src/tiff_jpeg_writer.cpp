#include "tiff_jpeg_writer.h"

#include <tiffio.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include "file_io.h"
#include "platform/gdiplus/codecs/tiff/tiff_strip_rows.h"
#include "tiff_tag_writer.h"

namespace vximgplug {
namespace {

struct DibDeleter {
  void operator()(FIBITMAP* dib) const { FreeImage_Unload(dib); }
};
struct TiffCloser {
  void operator()(TIFF* tiff) const { TIFFClose(tiff); }
};

constexpr double kInchesPerMetre = 0.0254;

constexpr uint16_t kTagXResolution = 282;
constexpr uint16_t kTagYResolution = 283;
constexpr uint64_t kMaxRewrittenBytes = uint64_t{1} << 31;

struct FileCloser {
  void operator()(FILE* f) const { std::fclose(f); }
};

// Dots per metre hold no exact resolution (200 dpi would come back as 199.9996): the host's
// resolution items, which it keeps in dots per inch, are written as they are, and the bitmap's
// own resolution only without them.
void SetResolution(TIFF* t, FIBITMAP* source) {
  TIFFSetField(t, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
  if (BitmapHasTag(source, kTagXResolution) && BitmapHasTag(source, kTagYResolution)) return;
  TIFFSetField(t, TIFFTAG_XRESOLUTION, static_cast<float>(FreeImage_GetDotsPerMeterX(source) * kInchesPerMetre));
  TIFFSetField(t, TIFFTAG_YRESOLUTION, static_cast<float>(FreeImage_GetDotsPerMeterY(source) * kInchesPerMetre));
}

// The bitmap's tags go into the file libtiff wrote.
bool AddTags(const std::string& path, FIBITMAP* source) {
  auto bytes = ReadWholeFile(path, kMaxRewrittenBytes);
  if (!bytes || !AddBitmapTagsToTiff(*bytes, source)) return false;
  std::unique_ptr<FILE, FileCloser> file(std::fopen(path.c_str(), "wb"));
  return file && std::fwrite(bytes->data(), 1, bytes->size(), file.get()) == bytes->size();
}

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
  TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, vx::tiff::RowsPerStrip(vx::tiff::StoredRowBytes(width, 8 * samples), height));
  SetResolution(t, source);
  if (!TIFFWriteBufferSetup(t, nullptr, static_cast<tmsize_t>(vx::tiff::kWriteBufferBytes))) return false;

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
  return AddTags(path, source);
}

}  // namespace vximgplug
