// Property items <-> TIFF image file directories (IFDs), the structure both TIFF files and EXIF
// blocks in JPEG files use. Items keep their tag, type, count and bytes exactly; multi-byte
// values are held little-endian as the platform's items are. The EXIF and GPS sub-directories
// are flattened into one item list, each tag under its own number, and split out again on write.
#pragma once
#include <cstdint>
#include <vector>

#include "platform/gdiplus/byte_sink.h"
#include "platform/gdiplus/codecs/codec.h"
#include "platform/gdiplus/codecs/decode_limits.h"

namespace vx::gdiplus::codecs {

struct TiffLayout {
  Bytes data;
  bool bigEndian = false;
  uint32_t firstIfd = 0;
};

// Reads a classic TIFF header ("II*\0" or "MM\0*"). False for anything else.
bool ParseTiffHeader(Bytes data, TiffLayout& out);

// Bytes of one element of a property type (1 BYTE … 12 DOUBLE); 0 for an unknown type.
size_t PropertyElementSize(uint16_t type);

// Appends the items of the directory at `offset` and of its EXIF and GPS sub-directories.
// Malformed entries are skipped; an item already in `items` is not added again. Item values are
// charged to the budget (many entries may point at the same bytes); reading stops when it is spent.
void ReadIfdProperties(const TiffLayout& layout, uint32_t offset, DecodeBudget& budget, std::vector<PropertyRecord>& items);

// Appends the thumbnail items of an EXIF block's second directory (IFD1), when it carries a JPEG
// thumbnail: its stream and its tags.
void ReadExifThumbnail(const TiffLayout& layout, DecodeBudget& budget, std::vector<PropertyRecord>& items);

// The block itself as an item, so that a save can write it again as it was while its items are
// unchanged.
void KeepExifBlock(const TiffLayout& layout, DecodeBudget& budget, std::vector<PropertyRecord>& items);

// A little-endian TIFF structure holding the writable items: the main directory, EXIF and GPS
// sub-directories when items belong there, and the thumbnail's directory when the items hold
// its stream; the largest items are left out until it fits `maxBytes`. Empty when no item is
// writable.
std::vector<uint8_t> BuildExifBlock(const std::vector<PropertyRecord>& items, size_t maxBytes);

// Rewrites every directory of a little-endian TIFF file so that page i also carries the writable
// items of pages[i] that the file does not already hold. The old directories stay in the file as
// unused bytes; the chain of directories is relinked to the new ones. Win32Error when the file
// cannot be written.
Status MergePropertiesIntoTiff(SeekableSink& tiff, const std::vector<const std::vector<PropertyRecord>*>& pages);

}  // namespace vx::gdiplus::codecs
