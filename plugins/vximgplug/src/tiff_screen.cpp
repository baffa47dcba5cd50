#include "tiff_screen.h"

#include <sys/stat.h>
#include <tiffio.h>

#include "bilevel_bitmap.h"
#include "file_io.h"
#include "memory_tiff.h"
#include "platform/gdiplus/codecs/tiff/tiff_directory_census.h"
#include "platform/input_limits.h"

namespace vximgplug {
namespace {

// Every strip (or tile) starts inside the file and claims no more bytes than the file holds.
bool StorageFitsTheFile(TIFF* tif, uint64_t fileBytes) {
  const bool tiled = TIFFIsTiled(tif) != 0;
  uint64_t* offsets = nullptr;
  uint64_t* counts = nullptr;
  if (!TIFFGetField(tif, tiled ? TIFFTAG_TILEOFFSETS : TIFFTAG_STRIPOFFSETS, &offsets) ||
      !TIFFGetField(tif, tiled ? TIFFTAG_TILEBYTECOUNTS : TIFFTAG_STRIPBYTECOUNTS, &counts) || !offsets || !counts)
    return false;
  const uint32_t pieces = TIFFNumberOfStrips(tif);
  bool anyData = false;
  for (uint32_t i = 0; i < pieces; ++i) {
    if (counts[i] > fileBytes || counts[i] > vx::limits::kMaxDecodedBytes) return false;
    anyData = anyData || (counts[i] > 0 && offsets[i] < fileBytes);
  }
  return anyData;
}

// The decoded picture, and each decoded strip or tile, within the decoded-size limit.
bool DecodedSizeAcceptable(TIFF* tif, uint32_t width, uint32_t height) {
  uint16_t samples = 1, bits = 1;
  TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &samples);
  TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &bits);
  const uint64_t pictureBytes = (uint64_t{width} * samples * bits + 7) / 8 * height;
  const uint64_t pieceBytes = TIFFIsTiled(tif) ? TIFFTileSize64(tif) : TIFFStripSize64(tif);
  return pictureBytes <= vx::limits::kMaxDecodedBytes && pieceBytes <= vx::limits::kMaxDecodedBytes;
}

bool PageAcceptable(TIFF* tif, uint64_t fileBytes) {
  uint32_t width = 0, height = 0;
  TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &width);
  TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &height);
  return DimensionsAcceptable(width, height) && DecodedSizeAcceptable(tif, width, height) &&
         StorageFitsTheFile(tif, fileBytes);
}

// The directories libtiff may read, from the file's own bytes before libtiff opens it.
int64_t ReadableDirectories(const std::string& path, int32_t maxPages) {
  const OffsetReader read(path);
  return read.IsOpen() ? vx::gdiplus::codecs::CountSoundTiffDirectories(read, maxPages) : 0;
}

}  // namespace

std::vector<ScreenedPage> ScreenTiffPages(const std::string& path, int32_t maxPages) {
  struct stat info {};
  if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return {};
  const int64_t readable = ReadableDirectories(path, maxPages);
  if (readable == 0) return {};
  TiffPtr tif(TIFFOpen(path.c_str(), "r"));
  if (!tif) return {};
  std::vector<ScreenedPage> pages;
  do {
    pages.push_back({PageAcceptable(tif.get(), static_cast<uint64_t>(info.st_size)), TIFFCurrentDirOffset(tif.get())});
  } while (static_cast<int64_t>(pages.size()) < readable && TIFFReadDirectory(tif.get()));
  return pages;
}

}  // namespace vximgplug
