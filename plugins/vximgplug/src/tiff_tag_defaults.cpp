// TIFF 6.0 gives SamplesPerPixel and BitsPerSample a default (1) for a writer that leaves them
// out, as Pillow does on its grey and palette pages. libtiff knows the defaults but reports such
// a tag as absent, and FreeImage's TIFF loader then takes whatever its variable held (an 8-bit
// grey page came out as 32-bit colour). So every directory libtiff reads in this process starts
// with the defaults set as tags, which the directory's own tags then replace.
#include <fcntl.h>
#include <tiffio.h>

namespace vximgplug {
namespace {

TIFFExtendProc g_nextExtender = nullptr;

// Only directories being read: a writer sets both tags itself.
void SetTiffDefaults(TIFF* tif) {
  if ((TIFFGetMode(tif) & O_ACCMODE) == O_RDONLY) {
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 1);
  }
  if (g_nextExtender) g_nextExtender(tif);
}

// Set when the plug-in is loaded, in the host and in the decoding helper alike.
[[maybe_unused]] const bool kDefaultsInstalled = [] {
  g_nextExtender = TIFFSetTagExtender(SetTiffDefaults);
  return true;
}();

}  // namespace
}  // namespace vximgplug
