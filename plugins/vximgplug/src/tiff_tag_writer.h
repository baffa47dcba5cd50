// The host's property items, handed to the plug-in as tags of a bitmap, written as TIFF
// directories exactly as they came: ID, type, count and bytes (rationals as their two 32-bit
// halves), main tags in the page's directory and EXIF and GPS tags in sub-directories of their
// own. libtiff would take rationals only as floats and has no place for tags it does not know,
// so the directories are written here, after libtiff has written the picture.
#pragma once
#include <FreeImage.h>

#include <cstdint>
#include <vector>

namespace vximgplug {

// Rewrites the first directory of a little-endian TIFF file so that it also holds every tag of
// the bitmap that the file does not already hold (the writer's own tags, which describe the
// pixels, stay as they are). The old directory stays in the file as unused bytes. False when
// the file is not such a TIFF or would grow past what its offsets can address.
bool AddBitmapTagsToTiff(std::vector<uint8_t>& tiff, FIBITMAP* dib);

// "Exif\0\0" and a little-endian TIFF structure of the bitmap's tags (but the XMP packet and the
// IPTC record, which JPEG files hold in segments of their own), as one JPEG APP1 segment holds it: when they do not all fit in `maxBytes`, the largest are left out until the rest does
// (a maker note does not take the small tags with it). Empty when no tag is writable.
std::vector<uint8_t> ExifSegmentOfBitmapTags(FIBITMAP* dib, size_t maxBytes);

// The bitmap's tag with this ID in any model the host writes tags to (main, EXIF, GPS), or null.
FITAG* FindBitmapTag(FIBITMAP* dib, uint16_t id);
bool BitmapHasTag(FIBITMAP* dib, uint16_t id);

}  // namespace vximgplug
