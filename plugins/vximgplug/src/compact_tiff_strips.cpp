#include "compact_tiff_strips.h"

#include <fcntl.h>
#include <tiffio.h>

#include <atomic>
#include <cstdarg>
#include <cstdint>

#include "platform/gdiplus/codecs/tiff/tiff_strip_rows.h"

namespace vximgplug {
namespace {

// Where each written TIFF keeps the tag setter it had before ours, which ours passes every
// other tag on to (libtiff's own, or a codec's).
constexpr const char* kPreviousSetter = "vximgplug.previous-setter";

thread_local int t_compactingSaves = 0;
std::atomic<TIFFExtendProc> g_previousExtender{nullptr};

int CallSetter(TIFFVSetMethod setter, TIFF* tif, uint32_t tag, ...) {
  va_list values;
  va_start(values, tag);
  const int result = setter(tif, tag, values);
  va_end(values);
  return result;
}

// The rule's rows for the page as far as its writer has described it; what the writer asked for
// while it has not yet given the page's height.
uint32_t RowsForPage(TIFF* tif, uint32_t asked) {
  uint32_t width = 0, height = 0;
  uint16_t bits = 1, samples = 1;
  TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &width);
  TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &height);
  TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &bits);
  TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &samples);
  if (width == 0 || height == 0) return asked;
  return vx::tiff::RowsPerStrip(vx::tiff::StoredRowBytes(width, uint64_t{bits} * samples), height);
}

int SetField(TIFF* tif, uint32_t tag, va_list values) {
  auto previous = reinterpret_cast<TIFFVSetMethod>(TIFFGetClientInfo(tif, kPreviousSetter));
  if (previous == nullptr) return 0;
  if (tag != TIFFTAG_ROWSPERSTRIP) return previous(tif, tag, values);
  const auto asked = static_cast<uint32_t>(va_arg(values, uint32_t));
  return CallSetter(previous, tif, tag, RowsForPage(tif, asked));
}

// libtiff calls this for every directory it starts, read or written, after resetting the tag
// setter to its own; a codec chosen later puts its setter in front of ours and passes the rows
// on to it.
void ExtendDirectory(TIFF* tif) {
  if (TIFFExtendProc previous = g_previousExtender.load()) previous(tif);
  if (t_compactingSaves == 0 || (TIFFGetMode(tif) & O_ACCMODE) == O_RDONLY) return;
  TIFFTagMethods* methods = TIFFAccessTagMethods(tif);
  if (methods == nullptr || methods->vsetfield == SetField) return;
  void* previous = reinterpret_cast<void*>(methods->vsetfield);
  TIFFSetClientInfo(tif, previous, kPreviousSetter);
  if (TIFFGetClientInfo(tif, kPreviousSetter) == previous) methods->vsetfield = SetField;
}

// libtiff keeps one extender for the process, set without a lock: it is put in place by the first
// save that needs it, in the decoding helper, which serves one request at a time, and stays.
// Ours calls the one before it (FreeImage's, and the helper's own for reading) first.
void InstallExtender() {
  static const bool installed = [] {
    g_previousExtender.store(TIFFSetTagExtender(ExtendDirectory));
    return true;
  }();
  (void)installed;
}

}  // namespace

CompactTiffStrips::CompactTiffStrips() {
  InstallExtender();
  ++t_compactingSaves;
}

CompactTiffStrips::~CompactTiffStrips() { --t_compactingSaves; }

}  // namespace vximgplug
