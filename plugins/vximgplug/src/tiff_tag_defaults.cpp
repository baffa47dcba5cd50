// TIFF 6.0 gives SamplesPerPixel and BitsPerSample a default (1) for a writer that leaves them
// out, as Pillow does on its grey and palette pages. libtiff knows the defaults but reports such
// a tag as absent, and FreeImage's TIFF loader then takes whatever its variable held (an 8-bit
// grey page came out as 32-bit colour). So in the decoding helper, for a file that needs them, the
// directories libtiff reads start with the defaults set as tags, which the directory's own tags
// then replace. A file that needs none is read as libtiff reads it: set in advance, the defaults
// would hide from libtiff that an old-style JPEG directory lacks them, which it then fills in
// from the compressed data's own header (three samples of eight bits for a colour picture).
#include <fcntl.h>
#include <tiffio.h>
#include <unistd.h>

#include <cstdint>

#include "helper_setup.h"
#include "memory_tiff.h"

namespace vximgplug {
namespace {

TIFFExtendProc g_nextExtender = nullptr;
bool g_defaultsWanted = false;  // the helper serves one file at a time

// Only directories being read: a writer sets both tags itself.
void SetTiffDefaults(TIFF* tif) {
  if (g_defaultsWanted && (TIFFGetMode(tif) & O_ACCMODE) == O_RDONLY) {
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 1);
  }
  if (g_nextExtender) g_nextExtender(tif);
}

bool StartsAsTiff(const std::string& path) {
  uint8_t head[4] = {};
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool read = pread(fd, head, sizeof head, 0) == static_cast<ssize_t>(sizeof head);
  close(fd);
  return read && ((head[0] == 'I' && head[1] == 'I') || (head[0] == 'M' && head[1] == 'M'));
}

// Whether libtiff, left to itself, reports either tag absent in the directory.
bool DirectoryLeavesTagsOut(const std::string& path, uint64_t directory) {
  TiffPtr tif(TIFFOpen(path.c_str(), "r"));
  if (!tif || (directory != 0 && !TIFFSetSubDirectory(tif.get(), directory))) return false;
  uint16_t value = 0;
  return TIFFGetField(tif.get(), TIFFTAG_SAMPLESPERPIXEL, &value) == 0 ||
         TIFFGetField(tif.get(), TIFFTAG_BITSPERSAMPLE, &value) == 0;
}

}  // namespace

void InstallTiffTagDefaults() { g_nextExtender = TIFFSetTagExtender(SetTiffDefaults); }

TiffTagDefaults::TiffTagDefaults(const std::string& path, unsigned long long directory) {
  g_defaultsWanted = false;
  g_defaultsWanted = StartsAsTiff(path) && DirectoryLeavesTagsOut(path, directory);
}

TiffTagDefaults::~TiffTagDefaults() { g_defaultsWanted = false; }

}  // namespace vximgplug
