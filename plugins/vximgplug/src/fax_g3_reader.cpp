#include "fax_g3_reader.h"

#include <algorithm>

#include "bilevel_bitmap.h"
#include "memory_tiff.h"

namespace vximgplug {
namespace {

constexpr uint32_t kFaxWidths[] = {1728, 2048, 2432, 3456, 4096, 4864};
constexpr uint32_t kMaxRows = 32768;

struct DecodedFax {
  uint32_t width = 0;
  std::vector<uint8_t> rows;  // top-down, bit 1 = black
  uint32_t height = 0;
};

// A TIFF in memory holding the raw data as its one strip.
bool WrapAsTiff(const std::vector<uint8_t>& data, uint32_t width, uint32_t rows, uint32_t options,
                MemoryTiffBuffer& out) {
  TiffPtr tiff = OpenMemoryTiff(out, "w");
  if (!tiff) return false;
  TIFF* t = tiff.get();
  TIFFSetField(t, TIFFTAG_IMAGEWIDTH, width);
  TIFFSetField(t, TIFFTAG_IMAGELENGTH, rows);
  TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 1);
  TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, 1);
  TIFFSetField(t, TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX3);
  TIFFSetField(t, TIFFTAG_GROUP3OPTIONS, options);
  TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
  TIFFSetField(t, TIFFTAG_FILLORDER, FILLORDER_MSB2LSB);
  TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, rows);
  if (TIFFWriteRawStrip(t, 0, const_cast<uint8_t*>(data.data()), static_cast<tmsize_t>(data.size())) < 0) return false;
  return TIFFWriteDirectory(t) != 0;
}

// Decodes rows until the data ends or a row fails; a row the decoder had to pad or cut
// (a wrong width) counts as failing.
DecodedFax DecodeAt(const std::vector<uint8_t>& data, uint32_t width, uint32_t options) {
  DecodedFax result;
  const uint32_t maxRows = static_cast<uint32_t>(std::min<uint64_t>(kMaxRows, data.size() * 8));
  MemoryTiffBuffer buffer;
  if (!WrapAsTiff(data, width, maxRows, options, buffer)) return result;
  buffer.position = 0;
  TiffPtr tiff = OpenMemoryTiff(buffer, "r");
  if (!tiff) return result;
  const size_t rowBytes = (width + 7) / 8;
  std::vector<uint8_t> row(static_cast<size_t>(TIFFScanlineSize(tiff.get())));
  if (row.size() < rowBytes) return result;
  TiffDiagnostics diagnostics;
  for (uint32_t y = 0; y < maxRows; ++y) {
    diagnostics.Reset();
    if (TIFFReadScanline(tiff.get(), row.data(), y, 0) < 0 || diagnostics.Errors() || diagnostics.Warnings()) break;
    result.rows.insert(result.rows.end(), row.begin(), row.begin() + static_cast<long>(rowBytes));
    ++result.height;
  }
  result.width = width;
  return result;
}

}  // namespace

bool LooksLikeRawG3(const std::vector<uint8_t>& start) {
  // An end-of-line code: at least eleven 0 bits, then a 1, at the very start (fill allowed).
  int zeros = 0;
  for (uint8_t byte : start) {
    for (int bit = 7; bit >= 0; --bit) {
      if ((byte >> bit) & 1) return zeros >= 11 && zeros <= 15;
      if (++zeros > 15) return false;
    }
  }
  return false;
}

bool EndsWithReturnToControl(const std::vector<uint8_t>& data) {
  // Six end-of-line codes close a fax page; look for them among the last bytes.
  constexpr size_t kTail = 32;
  constexpr int kEndOfLines = 6;
  const size_t from = data.size() > kTail ? data.size() - kTail : 0;
  int zeros = 0, endOfLines = 0;
  for (size_t i = from; i < data.size(); ++i) {
    for (int bit = 7; bit >= 0; --bit) {
      if ((data[i] >> bit) & 1) {
        if (zeros >= 11) ++endOfLines;
        zeros = 0;
      } else {
        ++zeros;
      }
    }
  }
  return endOfLines >= kEndOfLines;
}

FIBITMAP* DecodeRawG3(const std::vector<uint8_t>& data) {
  if (!LooksLikeRawG3(data)) return nullptr;
  DecodedFax best;
  for (uint32_t width : kFaxWidths) {
    for (uint32_t options : {0u, static_cast<uint32_t>(GROUP3OPT_2DENCODING)}) {
      DecodedFax decoded = DecodeAt(data, width, options);
      if (decoded.height > best.height) best = std::move(decoded);
    }
    if (best.height > 0) break;
  }
  if (best.height == 0) return nullptr;
  return BilevelFromRows(best.rows.data(), best.width, best.height, (best.width + 7) / 8);
}

}  // namespace vximgplug
