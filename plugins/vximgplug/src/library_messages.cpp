// FreeImage opens TIFF files without handlers of its own, so libtiff reports every EXIF tag it
// does not know (and every recoverable oddity) on standard error. The decoding helper reports
// failures through its replies, never by printing: it silences libtiff's process-wide handlers
// and FreeImage's message callback. In the host these stay as the host set them.
#include <FreeImage.h>
#include <tiffio.h>

#include "helper_setup.h"

namespace vximgplug {
namespace {

void Ignore(FREE_IMAGE_FORMAT, const char*) {}

}  // namespace

void SilenceLibraryMessages() {
  TIFFSetErrorHandler(nullptr);
  TIFFSetWarningHandler(nullptr);
  FreeImage_SetOutputMessage(Ignore);
}

}  // namespace vximgplug
