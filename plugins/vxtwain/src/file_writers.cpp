#include "file_writers.h"

#include <png.h>
#include <tiffio.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/gdiplus/codecs/tiff/tiff_strip_rows.h"

namespace vxtwain {

namespace {

// One row in file order: RGB instead of BGR; 16-bit samples big-endian when `bigEndian`; line
// art with 0 for black when `zeroIsBlack` (SANE's has 1 for black).
std::vector<uint8_t> FileRow(const Picture& picture, int32_t y, bool bigEndian, bool zeroIsBlack) {
  const uint8_t* src = picture.rows.data() + static_cast<size_t>(y) * static_cast<size_t>(picture.stride);
  const size_t rowBytes = (static_cast<size_t>(picture.width) * static_cast<size_t>(picture.bitsPerPixel) + 7) / 8;
  std::vector<uint8_t> row(src, src + rowBytes);
  if (picture.bitsPerPixel == 1 && zeroIsBlack) {
    for (uint8_t& byte : row) byte = static_cast<uint8_t>(~byte);
  } else if (picture.bitsPerPixel == 24) {
    for (size_t x = 0; x + 2 < row.size(); x += 3) std::swap(row[x], row[x + 2]);
  } else if (picture.bitsPerPixel == 48) {
    for (size_t x = 0; x + 5 < row.size(); x += 6) {
      for (int b = 0; b < 2; ++b) std::swap(row[x + b], row[x + 4 + b]);
    }
    if (bigEndian)
      for (size_t i = 0; i + 1 < row.size(); i += 2) std::swap(row[i], row[i + 1]);
  }
  return row;
}

int Channels(const Picture& picture) { return picture.bitsPerPixel >= 24 ? 3 : 1; }
int SampleBits(const Picture& picture) { return picture.bitsPerPixel == 48 ? 16 : picture.bitsPerPixel == 1 ? 1 : 8; }

}  // namespace

bool WritePng(const std::string& path, const Picture& picture) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
  bool written = false;
  if (info != nullptr && setjmp(png_jmpbuf(png)) == 0) {
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(picture.width), static_cast<png_uint_32>(picture.height),
                 SampleBits(picture), Channels(picture) == 3 ? PNG_COLOR_TYPE_RGB : PNG_COLOR_TYPE_GRAY,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    const auto dpm = [](double dpi) { return static_cast<png_uint_32>(dpi / 0.0254 + 0.5); };
    png_set_pHYs(png, info, dpm(picture.dpiX), dpm(picture.dpiY), PNG_RESOLUTION_METER);
    png_write_info(png, info);
    for (int32_t y = 0; y < picture.height; ++y) {
      std::vector<uint8_t> row = FileRow(picture, y, true, true);
      png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    written = true;
  }
  png_destroy_write_struct(&png, &info);
  const bool closed = std::fclose(file) == 0;
  if (!(written && closed)) std::remove(path.c_str());
  return written && closed;
}

bool WriteTiff(const std::string& path, const Picture& picture) {
  TIFF* tiff = TIFFOpen(path.c_str(), "w");
  if (tiff == nullptr) return false;
  TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, static_cast<uint32_t>(picture.width));
  TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, static_cast<uint32_t>(picture.height));
  TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, static_cast<uint16_t>(Channels(picture)));
  TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, static_cast<uint16_t>(SampleBits(picture)));
  TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC,
               Channels(picture) == 3 ? PHOTOMETRIC_RGB
               : picture.bitsPerPixel == 1 ? PHOTOMETRIC_MINISWHITE : PHOTOMETRIC_MINISBLACK);
  TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_NONE);
  TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP,
               vx::tiff::RowsPerStrip(vx::tiff::StoredRowBytes(static_cast<uint64_t>(picture.width),
                                                               static_cast<uint64_t>(picture.bitsPerPixel)),
                                      static_cast<uint32_t>(picture.height)));
  TIFFSetField(tiff, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
  TIFFSetField(tiff, TIFFTAG_XRESOLUTION, static_cast<float>(picture.dpiX));
  TIFFSetField(tiff, TIFFTAG_YRESOLUTION, static_cast<float>(picture.dpiY));
  bool written = TIFFWriteBufferSetup(tiff, nullptr, static_cast<tmsize_t>(vx::tiff::kWriteBufferBytes)) == 1;
  for (int32_t y = 0; y < picture.height && written; ++y) {
    std::vector<uint8_t> row = FileRow(picture, y, false, false);
    written = TIFFWriteScanline(tiff, row.data(), static_cast<uint32_t>(y), 0) == 1;
  }
  TIFFClose(tiff);
  if (!written) std::remove(path.c_str());
  return written;
}

}  // namespace vxtwain
