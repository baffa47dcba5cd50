#include "platform/gdiplus/codecs/exif/ifd_properties.h"

#include <algorithm>
#include <set>

#include "platform/gdiplus/codecs/byte_order.h"
#include "platform/gdiplus/codecs/exif/ifd_writer.h"
#include "platform/gdiplus/codecs/exif/kept_exif_block.h"

namespace vx::gdiplus::codecs {

namespace {

constexpr uint16_t kMaxEntriesPerIfd = 4096;
constexpr size_t kMaxItems = 8192;
constexpr PROPID kMakerNoteTag = 0x927C;
constexpr PROPID kInteropTag = 0xA005;
constexpr PROPID kThumbnailOffsetTag = 0x0201;
constexpr PROPID kThumbnailLengthTag = 0x0202;

// Bytes of one element group that are swapped together (rationals are two 32-bit halves).
size_t SwapUnit(uint16_t type) {
  const size_t size = PropertyElementSize(type);
  return (type == 5 || type == 10) ? 4 : size;
}

bool HasItem(const std::vector<PropertyRecord>& items, PROPID id) {
  return std::any_of(items.begin(), items.end(), [id](const PropertyRecord& r) { return r.id == id; });
}

constexpr int kLeafDepth = 2;  // a directory read at this depth has no sub-directories

// The tags of a directory whose numbers the flat item list gives to other tags, as the items
// `itemOf` numbers them (those it has no item for are left out).
void AppendAsItems(std::vector<PropertyRecord>& items, std::vector<PropertyRecord>& tags, uint32_t (*itemOf)(uint16_t)) {
  for (PropertyRecord& r : tags) {
    const uint32_t item = itemOf(static_cast<uint16_t>(r.id));
    if (item != 0 && items.size() < kMaxItems && !HasItem(items, item)) items.push_back({item, r.type, std::move(r.value)});
  }
}

struct IfdReader {
  const TiffLayout& layout;
  DecodeBudget& budget;
  std::vector<PropertyRecord>& items;
  std::set<uint32_t> visited;

  bool ReadValue(const uint8_t* entry, uint16_t type, uint32_t count, std::vector<uint8_t>& value) const {
    const size_t element = PropertyElementSize(type);
    if (element == 0) return false;
    const uint64_t total = uint64_t{count} * element;
    if (total > layout.data.size()) return false;
    uint64_t at = static_cast<uint64_t>(entry + 8 - layout.data.data());
    if (total > 4) at = Get32(entry + 8, layout.bigEndian);
    if (!InBounds(layout.data.size(), at, total) || !budget.TakeBytes(total + sizeof(PropertyRecord))) return false;
    value.assign(layout.data.begin() + static_cast<ptrdiff_t>(at), layout.data.begin() + static_cast<ptrdiff_t>(at + total));
    const size_t unit = SwapUnit(type);
    if (layout.bigEndian && unit > 1)
      for (size_t i = 0; i + unit <= value.size(); i += unit) std::reverse(value.begin() + i, value.begin() + i + unit);
    return true;
  }

  // A maker note may point at its values from the TIFF header: where it stood goes with it.
  void RecordMakerNoteOrigin(const uint8_t* entry, size_t bytes) {
    if (HasItem(items, ifd::kMakerNoteOriginItem)) return;
    std::vector<uint8_t> origin(8);
    Set32LE(origin.data(), Get32(entry + 8, layout.bigEndian));
    Set32LE(origin.data() + 4, static_cast<uint32_t>(bytes));
    items.push_back({ifd::kMakerNoteOriginItem, PropertyTagTypeLong, std::move(origin)});
  }

  void Read(uint32_t offset, int depth) {
    if (depth > kLeafDepth || !visited.insert(offset).second) return;
    const size_t size = layout.data.size();
    if (!InBounds(size, offset, 2)) return;
    const uint16_t count = Get16(layout.data.data() + offset, layout.bigEndian);
    if (count > kMaxEntriesPerIfd || !InBounds(size, uint64_t{offset} + 2, uint64_t{count} * 12)) return;
    for (uint16_t i = 0; i < count && items.size() < kMaxItems; ++i) {
      const uint8_t* entry = layout.data.data() + offset + 2 + 12 * size_t{i};
      const uint16_t tag = Get16(entry, layout.bigEndian);
      const uint16_t type = Get16(entry + 2, layout.bigEndian);
      const uint32_t valueCount = Get32(entry + 4, layout.bigEndian);
      PropertyRecord record{tag, type, {}};
      if (!ReadValue(entry, type, valueCount, record.value)) continue;
      if (tag == kMakerNoteTag && record.value.size() > 4) RecordMakerNoteOrigin(entry, record.value.size());
      if (!HasItem(items, tag)) items.push_back(std::move(record));
      if ((type != 4 && type != 13) || valueCount != 1) continue;
      if (tag == PropertyTagExifIFD || tag == PropertyTagGpsIFD) Read(Get32(entry + 8, layout.bigEndian), depth + 1);
      if (tag == kInteropTag && depth == 1) ReadInterop(Get32(entry + 8, layout.bigEndian));
    }
  }

  // The Interop directory's tags, as the items that stand for them.
  void ReadInterop(uint32_t offset) {
    std::vector<PropertyRecord> tags;
    IfdReader reader{layout, budget, tags, visited};
    reader.Read(offset, kLeafDepth);
    AppendAsItems(items, tags, ifd::InteropItemOf);
  }
};

std::vector<ifd::Tag> TagsOf(const std::vector<PropertyRecord>& items) {
  std::vector<ifd::Tag> tags;
  tags.reserve(items.size());
  for (const PropertyRecord& r : items) tags.push_back({r.id, r.type, r.value});
  return tags;
}

// The entries of one directory of a little-endian file, or false when it cannot be read.
bool ReadKeptEntries(SeekableSink& tiff, uint32_t offset, std::vector<ifd::KeptEntry>& entries, uint32_t& next) {
  uint8_t countBytes[2];
  if (tiff.ReadAt(offset, countBytes, 2) != 2) return false;
  const uint16_t count = Get16LE(countBytes);
  std::vector<uint8_t> directory(size_t{count} * 12 + 4);
  if (tiff.ReadAt(uint64_t{offset} + 2, directory.data(), directory.size()) != directory.size()) return false;
  ifd::ParseKeptEntries(directory.data(), count, entries, next);
  return true;
}

bool PatchLink(SeekableSink& tiff, uint64_t link, uint64_t offset) {
  uint8_t bytes[4];
  Set32LE(bytes, static_cast<uint32_t>(offset));
  return tiff.WriteAt(link, bytes, sizeof bytes);
}

// IFD1 of an EXIF block, when it carries a JPEG thumbnail: its stream and its tags as the
// thumbnail items.
void ReadThumbnail(const TiffLayout& layout, uint32_t offset, DecodeBudget& budget, std::vector<PropertyRecord>& thumbnail) {
  std::vector<PropertyRecord> tags;
  IfdReader reader{layout, budget, tags, {}};
  reader.Read(offset, kLeafDepth);
  uint32_t start = 0, length = 0;
  for (const PropertyRecord& r : tags) {
    if (r.type != PropertyTagTypeLong || r.value.size() != 4) continue;
    if (r.id == kThumbnailOffsetTag) start = Get32LE(r.value.data());
    if (r.id == kThumbnailLengthTag) length = Get32LE(r.value.data());
  }
  if (length == 0 || !InBounds(layout.data.size(), start, length) || !budget.TakeBytes(length + sizeof(PropertyRecord)))
    return;
  thumbnail.push_back({ifd::kThumbnailDataItem, PropertyTagTypeByte,
                       std::vector<uint8_t>(layout.data.begin() + start, layout.data.begin() + start + length)});
  AppendAsItems(thumbnail, tags, ifd::ThumbnailItemOf);
}

}  // namespace

size_t PropertyElementSize(uint16_t type) { return ifd::ElementSize(type); }

bool ParseTiffHeader(Bytes data, TiffLayout& out) {
  if (data.size() < 8) return false;
  const bool little = data[0] == 'I' && data[1] == 'I';
  const bool big = data[0] == 'M' && data[1] == 'M';
  if (!little && !big) return false;
  if (Get16(data.data() + 2, big) != 42) return false;
  out.data = data;
  out.bigEndian = big;
  out.firstIfd = Get32(data.data() + 4, big);
  return true;
}

void ReadIfdProperties(const TiffLayout& layout, uint32_t offset, DecodeBudget& budget, std::vector<PropertyRecord>& items) {
  IfdReader reader{layout, budget, items, {}};
  reader.Read(offset, 0);
}

void ReadExifThumbnail(const TiffLayout& layout, DecodeBudget& budget, std::vector<PropertyRecord>& items) {
  if (!InBounds(layout.data.size(), layout.firstIfd, 2)) return;
  const uint16_t count = Get16(layout.data.data() + layout.firstIfd, layout.bigEndian);
  const uint64_t link = uint64_t{layout.firstIfd} + 2 + 12 * uint64_t{count};
  if (!InBounds(layout.data.size(), link, 4)) return;
  const uint32_t next = Get32(layout.data.data() + link, layout.bigEndian);
  if (next == 0 || next == layout.firstIfd) return;
  std::vector<PropertyRecord> thumbnail;
  ReadThumbnail(layout, next, budget, thumbnail);
  for (PropertyRecord& r : thumbnail)
    if (items.size() < kMaxItems && !HasItem(items, r.id)) items.push_back(std::move(r));
}

void KeepExifBlock(const TiffLayout& layout, DecodeBudget& budget, std::vector<PropertyRecord>& items) {
  if (items.size() >= kMaxItems || HasItem(items, ifd::kExifBlockItem) ||
      !budget.TakeBytes(layout.data.size() + sizeof(PropertyRecord)))
    return;
  items.push_back({ifd::kExifBlockItem, PropertyTagTypeByte, std::vector<uint8_t>(layout.data.begin(), layout.data.end())});
}

std::vector<uint8_t> BuildExifBlock(const std::vector<PropertyRecord>& items, size_t maxBytes) {
  return ifd::BuildExifStructure(TagsOf(items), maxBytes);
}

Status MergePropertiesIntoTiff(SeekableSink& tiff, const std::vector<const std::vector<PropertyRecord>*>& pages) {
  uint8_t header[8];
  TiffLayout layout;
  if (tiff.ReadAt(0, header, sizeof header) != sizeof header || !ParseTiffHeader(header, layout) || layout.bigEndian)
    return GenericError;
  uint32_t offset = layout.firstIfd;
  uint64_t link = 4;  // where the offset of the directory being rewritten is stored
  for (size_t page = 0; page < pages.size() && offset != 0; ++page) {
    std::vector<ifd::KeptEntry> entries;
    uint32_t next = 0;
    if (!ReadKeptEntries(tiff, offset, entries, next)) return GenericError;
    const size_t kept = entries.size();
    const ifd::AppendedDirectory appended = ifd::PageDirectoryWithTags(tiff.Size(), std::move(entries), next, TagsOf(*pages[page]));
    if (!appended.bytes.empty()) {
      if (!tiff.WriteAt(tiff.Size(), appended.bytes.data(), appended.bytes.size()) || !PatchLink(tiff, link, appended.offset))
        return Win32Error;
      link = appended.nextLink;
    } else {
      link = offset + 2 + 12 * uint64_t{kept};
    }
    if (tiff.Size() > 0xFFFFFFFFull) return ValueOverflow;
    offset = next;
  }
  return Ok;
}

}  // namespace vx::gdiplus::codecs
