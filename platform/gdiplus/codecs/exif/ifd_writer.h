// Tags laid out as TIFF image file directories (IFDs): the one rule of which directory each tag
// belongs in, and the writers of the EXIF structure a JPEG file carries and of the directories
// appended to a TIFF file. The library and the format plug-in both write their tags through here,
// so every saver places a tag alike. Depends on the standard library only.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace vx::gdiplus::codecs::ifd {

// The tags of the structure its writers and readers lay out or follow, and the entry's shape.
constexpr uint16_t kExifPointer = 0x8769;
constexpr uint16_t kGpsPointer = 0x8825;
constexpr uint16_t kInteropPointer = 0xA005;
constexpr uint16_t kMakerNote = 0x927C;
constexpr uint16_t kThumbnailOffset = 0x0201;
constexpr uint16_t kThumbnailLength = 0x0202;
constexpr uint16_t kTypeLong = 4;
constexpr size_t kEntryBytes = 12;

// A tag as an entry holds it: value bytes little-endian (rationals as their two 32-bit halves),
// a whole number of elements of its type; an empty value is an entry of count 0.
struct Tag {
  uint32_t id = 0;  // the property item's ID (thumbnail items numbered as the platform numbers them)
  uint16_t type = 0;
  std::vector<uint8_t> value;
};

// Where a tag goes: the main directory (IFD0 of a JPEG's EXIF, a TIFF page's own directory), the
// EXIF or GPS sub-directory, the EXIF directory's Interop sub-directory, the thumbnail's
// directory (IFD1), or nowhere: the tags that describe the pixel layout belong to the writer of
// the pixels, pointers to the writer of the directories.
enum class Directory { Main, Exif, Gps, Interop, Thumbnail, None };
Directory DirectoryOf(uint32_t id);

// Items a JPEG file keeps in segments of their own rather than in its EXIF block: the XMP packet
// (700), the IPTC record (33723) and the Photoshop resources (34377).
bool InJpegSegmentOfItsOwn(uint32_t id);

// Bytes of one element of a tag type (1 BYTE … 12 DOUBLE); 0 for an unknown type.
size_t ElementSize(uint16_t type);

// The thumbnail's JPEG stream, and the items that stand for the other tags of IFD1.
constexpr uint32_t kThumbnailDataItem = 0x501B;
uint32_t ThumbnailItemOf(uint16_t ifd1Tag);  // 0 for a tag no item stands for
uint16_t Ifd1TagOf(uint32_t item);           // 0 for an item that is no thumbnail tag

// Where the maker note stood in the file it was read from: two LONGs, its offset from the TIFF
// header and its length (a note of another length is not the one it describes).
constexpr uint32_t kMakerNoteOriginItem = 0x5F7C;

// The Interop directory's tags share their numbers with GPS tags: items of their own stand for
// them.
uint32_t InteropItemOf(uint16_t interopTag);  // 0 for a tag no item stands for
uint16_t InteropTagOf(uint32_t item);         // 0 for an item that is no Interop tag

// An entry of a directory already in a file, kept as the file holds it.
struct KeptEntry {
  uint16_t tag = 0;
  uint16_t type = 0;
  uint32_t count = 0;
  uint8_t field[4] = {};
};

// The entries and the next-directory link of a little-endian directory, from the 12 * count + 4
// bytes that follow its count.
void ParseKeptEntries(const uint8_t* entries, uint16_t count, std::vector<KeptEntry>& kept, uint32_t& next);

// The little-endian TIFF structure of the tags, as an EXIF block holds it: IFD0, the EXIF and GPS
// sub-directories, and IFD1 with the thumbnail when the thumbnail's stream is among the tags. A
// maker note keeps its offset from the header wherever it can. When the whole exceeds
// `maxBytes`, the largest tags are left out until the rest fits. Empty when no tag is writable.
std::vector<uint8_t> BuildExifStructure(std::vector<Tag> tags, size_t maxBytes);

// A TIFF page's directory rewritten to be appended at file offset `base`: its kept entries, the
// main tags it lacks, and EXIF and GPS sub-directories for the tags that belong there; its next
// link is `next`. Thumbnail tags are not written (a second directory would be a second page).
struct AppendedDirectory {
  std::vector<uint8_t> bytes;  // empty when the page needs no tag it lacks
  uint64_t offset = 0;         // where the directory starts in the file
  uint64_t nextLink = 0;       // where its next-directory link lies in the file
};
AppendedDirectory PageDirectoryWithTags(uint64_t base, std::vector<KeptEntry> kept, uint32_t next,
                                        const std::vector<Tag>& tags);

}  // namespace vx::gdiplus::codecs::ifd
