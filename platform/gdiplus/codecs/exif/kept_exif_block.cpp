#include "platform/gdiplus/codecs/exif/kept_exif_block.h"

#include <algorithm>
#include <optional>
#include <set>

#include "platform/gdiplus/codecs/byte_order.h"

namespace vx::gdiplus::codecs::ifd {
namespace {

constexpr uint16_t kMaxEntries = 4096;

// One entry of the block as the loaders make an item of it: the item's ID, type and
// little-endian value.
struct BlockItem {
  uint32_t id = 0;
  uint16_t type = 0;
  std::vector<uint8_t> value;
  bool operator==(const BlockItem&) const = default;
};

struct BlockReader {
  explicit BlockReader(const std::vector<uint8_t>& bytes) : block(bytes) {}

  const std::vector<uint8_t>& block;
  bool bigEndian = false;
  std::set<uint32_t> visited;
  std::vector<std::pair<uint64_t, uint64_t>> used;  // the ranges of directories and values read
  std::optional<std::pair<uint64_t, uint64_t>> makerNote;

  // The value of an entry, little-endian; false when its type is unknown or it lies outside.
  bool Value(const uint8_t* entry, std::vector<uint8_t>& value) {
    const uint16_t type = Get16(entry + 2, bigEndian);
    const size_t element = ElementSize(type);
    const uint64_t bytes = uint64_t{Get32(entry + 4, bigEndian)} * element;
    if (element == 0 || bytes > block.size()) return false;
    const uint64_t at = bytes <= 4 ? static_cast<uint64_t>(entry + 8 - block.data()) : Get32(entry + 8, bigEndian);
    if (!InBounds(block.size(), at, bytes)) return false;
    if (bytes > 4) used.emplace_back(at, at + bytes);
    value.assign(block.begin() + static_cast<ptrdiff_t>(at), block.begin() + static_cast<ptrdiff_t>(at + bytes));
    const size_t unit = (type == 5 || type == 10) ? 4 : element;
    if (bigEndian && unit > 1)
      for (size_t i = 0; i + unit <= value.size(); i += unit) std::reverse(value.begin() + i, value.begin() + i + unit);
    return true;
  }

  // The entries of the directory at `offset`, tags as the file numbers them; empty when it
  // cannot be read or was read already.
  std::vector<BlockItem> Directory(uint32_t offset) {
    std::vector<BlockItem> items;
    if (!visited.insert(offset).second || !InBounds(block.size(), offset, 2)) return items;
    const uint16_t count = Get16(&block[offset], bigEndian);
    if (count > kMaxEntries || !InBounds(block.size(), uint64_t{offset} + 2, kEntryBytes * count)) return items;
    used.emplace_back(offset, uint64_t{offset} + 2 + kEntryBytes * count + 4);
    for (uint16_t i = 0; i < count; ++i) {
      const uint8_t* entry = &block[offset + 2 + kEntryBytes * i];
      BlockItem item{Get16(entry, bigEndian), Get16(entry + 2, bigEndian), {}};
      if (!Value(entry, item.value)) continue;
      if (item.id == kMakerNote && item.value.size() > 4 && !makerNote) makerNote = used.back();
      items.push_back(std::move(item));
    }
    return items;
  }

  uint32_t NextOf(uint32_t offset) const {
    const uint64_t link = uint64_t{offset} + 2 + kEntryBytes * Get16(&block[offset], bigEndian);
    return InBounds(block.size(), link, 4) ? Get32(&block[link], bigEndian) : 0;
  }
};

const BlockItem* Find(const std::vector<BlockItem>& items, uint32_t id) {
  for (const BlockItem& item : items)
    if (item.id == id) return &item;
  return nullptr;
}

uint32_t PointerOf(const std::vector<BlockItem>& items, uint32_t id) {
  const BlockItem* item = Find(items, id);
  return item && item->type == kTypeLong && item->value.size() == 4 ? Get32LE(item->value.data()) : 0;
}

void Renumbered(std::vector<BlockItem> tags, uint32_t (*itemOf)(uint16_t), std::vector<BlockItem>& items) {
  for (BlockItem& t : tags)
    if (const uint32_t id = itemOf(static_cast<uint16_t>(t.id)); id != 0) items.push_back({id, t.type, std::move(t.value)});
}

// IFD1 gives items only when it carries a JPEG thumbnail: its stream and its tags. A thumbnail
// of another kind has no item a host could have changed, and stays as it is.
void AddThumbnail(BlockReader& reader, uint32_t first, std::vector<BlockItem>& items) {
  const uint32_t next = reader.NextOf(first);
  if (next == 0) return;
  std::vector<BlockItem> tags = reader.Directory(next);
  const uint32_t start = PointerOf(tags, kThumbnailOffset), length = PointerOf(tags, kThumbnailLength);
  if (length == 0 || !InBounds(reader.block.size(), start, length)) return;
  reader.used.emplace_back(start, uint64_t{start} + length);
  items.push_back({kThumbnailDataItem, 1, {reader.block.begin() + start, reader.block.begin() + start + length}});
  Renumbered(std::move(tags), ThumbnailItemOf, items);
}

// The items the loaders make of the block: IFD0 with its EXIF (and Interop) and GPS directories,
// and the thumbnail; empty when the block is no TIFF structure.
std::vector<BlockItem> ItemsOfBlock(BlockReader& reader) {
  const std::vector<uint8_t>& block = reader.block;
  std::vector<BlockItem> items;
  if (block.size() < 8 || block[0] != block[1] || (block[0] != 'I' && block[0] != 'M')) return items;
  reader.bigEndian = block[0] == 'M';
  if (Get16(&block[2], reader.bigEndian) != 42) return items;
  const uint32_t first = Get32(&block[4], reader.bigEndian);
  items = reader.Directory(first);
  if (items.empty()) return items;
  std::vector<BlockItem> exif = reader.Directory(PointerOf(items, kExifPointer));
  Renumbered(reader.Directory(PointerOf(exif, kInteropPointer)), InteropItemOf, items);
  items.insert(items.end(), exif.begin(), exif.end());
  std::vector<BlockItem> gps = reader.Directory(PointerOf(items, kGpsPointer));
  items.insert(items.end(), gps.begin(), gps.end());
  AddThumbnail(reader, first, items);
  return items;
}

bool InExifBlock(uint32_t id) { return DirectoryOf(id) != Directory::None && !InJpegSegmentOfItsOwn(id); }

}  // namespace

bool BlockHoldsExactly(const std::vector<uint8_t>& block, const std::vector<Tag>& tags) {
  BlockReader reader(block);
  const std::vector<BlockItem> items = ItemsOfBlock(reader);
  if (items.empty()) return false;
  std::set<uint32_t> given;
  for (const Tag& t : tags) {
    if (!InExifBlock(t.id)) continue;
    const BlockItem asItem{t.id, t.type, t.value};
    if (std::find(items.begin(), items.end(), asItem) == items.end()) return false;
    given.insert(t.id);
  }
  return std::all_of(items.begin(), items.end(),
                     [&given](const BlockItem& item) { return !InExifBlock(item.id) || given.count(item.id) != 0; });
}

std::vector<uint8_t> BytesPastMakerNote(const std::vector<uint8_t>& block, const std::vector<uint8_t>& note) {
  BlockReader reader(block);
  ItemsOfBlock(reader);
  if (!reader.makerNote) return {};
  const auto [start, end] = *reader.makerNote;
  if (end - start != note.size() || !std::equal(note.begin(), note.end(), block.begin() + static_cast<ptrdiff_t>(start)))
    return {};
  uint64_t next = block.size();
  for (const auto& [from, to] : reader.used)
    if (from >= end && from < next) next = from;
  return {block.begin() + static_cast<ptrdiff_t>(end), block.begin() + static_cast<ptrdiff_t>(next)};
}

}  // namespace vx::gdiplus::codecs::ifd
