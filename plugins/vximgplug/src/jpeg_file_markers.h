// What FreeImage's JPEG reader leaves out of a bitmap or makes its own, read again from the
// file's marker segments: whether the JFIF header gives a resolution at all (for JFIF's "no
// unit", or without JFIF, FreeImage keeps its 72 dpi default, which the host cannot tell from a
// true 72 dpi); the EXIF block's main, EXIF and GPS tags as stored, as the platform's reader
// takes them (directory pointers included); and the IPTC record as stored (FreeImage keeps it
// only parsed, with repeated fields joined), which the host keeps as the property item 33723
// that TIFF files hold it in.
#pragma once
#include <FreeImage.h>

#include <string>

namespace vximgplug {

void TakeMarkersFromJpegFile(FIBITMAP* dib, const std::string& path);

}  // namespace vximgplug
