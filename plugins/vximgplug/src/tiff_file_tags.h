// The tags of a TIFF page as its file stores them. FreeImage's TIFF reader takes tags through
// libtiff, which hands rationals over as floats (FreeImage then guesses a fraction, so 1/125
// comes back as 16253053/131073), gives signed rationals as unsigned ones and never reads the
// GPS directory. The host turns tags into property items byte for byte, so a page's tags are
// read again here from its directory and its EXIF and GPS sub-directories, exactly as stored,
// and replace what FreeImage made of them. The resolution follows the tags as the platform's
// own TIFF reader takes it: none without tags or with the unit "none".
#pragma once
#include <FreeImage.h>

#include <cstdint>
#include <string>
#include <vector>

namespace vximgplug {

// `directoryOffset` 0 names the file's first directory. The bitmap keeps FreeImage's tags when
// the file is no classic TIFF or that directory cannot be read.
void TakeTagsFromTiffDirectory(FIBITMAP* dib, const std::string& path, uint64_t directoryOffset);

// The same for the TIFF structure of a JPEG file's EXIF block (without its "Exif\0\0"), which
// FreeImage's JPEG reader parses on its own terms; the resolution is left to the JFIF header.
void TakeTagsFromExifBlock(FIBITMAP* dib, const std::vector<uint8_t>& tiff);

}  // namespace vximgplug
