// FreeImage opens TIFF files without handlers of its own, so libtiff reports every EXIF tag it
// does not know (and every recoverable oddity) on standard error. The plug-in reports failures
// through its results, never by printing: its load silences libtiff's process-wide handlers and
// FreeImage's message callback. Readers that want libtiff's messages pass handlers per file.
#include <FreeImage.h>
#include <tiffio.h>

namespace {

void Ignore(FREE_IMAGE_FORMAT, const char*) {}

const bool kQuiet = [] {
  TIFFSetErrorHandler(nullptr);
  TIFFSetWarningHandler(nullptr);
  FreeImage_SetOutputMessage(Ignore);
  return true;
}();

}  // namespace
