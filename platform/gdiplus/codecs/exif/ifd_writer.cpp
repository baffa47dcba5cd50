#include "platform/gdiplus/codecs/exif/ifd_writer.h"

#include <algorithm>
#include <iterator>
#include <optional>

#include "platform/gdiplus/codecs/byte_order.h"
#include "platform/gdiplus/codecs/exif/kept_exif_block.h"
#include "platform/gdiplus/codecs/exif/maker_note.h"

namespace vx::gdiplus::codecs::ifd {
namespace {

constexpr uint16_t kCompression = 0x0103;
constexpr uint16_t kJpegCompression = 6;
constexpr uint16_t kTypeShort = 3;

// IFD1's tags in the order of the items that stand for them, from 0x5020 on.
constexpr uint16_t kIfd1Tags[] = {0x0100, 0x0101, 0x0102, 0x0103, 0x0106, 0x010E, 0x010F, 0x0110, 0x0111, 0x0112,
                                  0x0115, 0x0116, 0x0117, 0x011A, 0x011B, 0x011C, 0x0128, 0x012D, 0x0131, 0x0132,
                                  0x013B, 0x013E, 0x013F, 0x0211, 0x0212, 0x0213, 0x0214, 0x8298};
constexpr uint32_t kFirstThumbnailItem = 0x5020;
// The Interop directory's tags (index, version, related file's format, width and height) and the
// items that stand for them.
constexpr std::pair<uint16_t, uint32_t> kInteropItems[] = {
    {0x0001, 0x5F01}, {0x0002, 0x5F02}, {0x1000, 0x5F10}, {0x1001, 0x5F11}, {0x1002, 0x5F12}};
// The strips of an uncompressed thumbnail, which is not kept.
constexpr uint16_t kThumbnailStripTags[] = {0x0111, 0x0116, 0x0117};

bool IsExifTag(uint32_t id) {
  constexpr uint32_t kGamma = 0xA500;
  constexpr uint32_t kPadding = 0xEA1C;       // Windows' room for editing in place
  constexpr uint32_t kOffsetSchema = 0xEA1D;  // Windows' note of how far the EXIF data moved
  if (id == 0x829A || id == 0x829D || id == 0x8822 || id == 0x8824 || id == 0x8827 || id == 0x8828) return true;
  if (id == kGamma || id == kPadding || id == kOffsetSchema) return true;
  if (id >= 0x8830 && id <= 0x8835) return true;
  if (id >= 0x9000 && id <= 0x9FFF) return true;
  return id >= 0xA000 && id <= 0xA4FF;
}

// Tags of the main directory that sit among EXIF's numbers: the Windows XP tags, and the TIFF/EP
// tags of the main directory (but those EXIF took over with the same number and meaning).
bool IsMainAmongExif(uint32_t id) {
  if (id >= 0x9C9B && id <= 0x9C9F) return true;
  if (id >= 0x828D && id <= 0x828F) return true;
  if (id >= 0x8829 && id <= 0x882B) return true;
  return id >= 0x920B && id <= 0x9217 && id != 0x9214;
}

// Tags that describe the pixel layout: the writer of the file owns them, items never override them.
bool IsLayoutTag(uint32_t id) {
  static constexpr uint16_t kLayout[] = {0x00FE, 0x00FF, 0x0100, 0x0101, 0x0102, 0x0103, 0x0106, 0x010A,
                                         0x0111, 0x0115, 0x0116, 0x0117, 0x011C, 0x0124, 0x0125, 0x013D,
                                         0x0140, 0x0142, 0x0143, 0x0144, 0x0145, 0x014A, 0x0152, 0x0153,
                                         0x015B, 0x0212};
  return std::find(std::begin(kLayout), std::end(kLayout), id) != std::end(kLayout) || (id >= 0x0200 && id <= 0x0209);
}

// Pointers to a maker's private directories (KodakIFD, Kodak's KDC_IFD): written as bare numbers
// without the directories they lead to, they would send readers into other bytes.
bool IsPrivateDirectoryPointer(uint32_t id) { return id == 0x8290 || id == 0xFE00; }

bool IsWritable(const Tag& t) {
  const size_t element = ElementSize(t.type);
  return element != 0 && t.value.size() % element == 0 && t.value.size() / element <= UINT32_MAX;
}

struct Entry {
  uint16_t tag = 0;
  uint16_t type = 0;
  uint32_t count = 0;
  std::vector<uint8_t> value;  // little-endian bytes; unused for a kept entry
  bool kept = false;
  uint8_t field[4] = {};  // the value field of a kept entry, as the file holds it
  std::vector<uint8_t> tail{};  // bytes that go right behind the value (what a maker note keeps past its count)
};

Entry EntryOf(uint16_t fileTag, const Tag& t) {
  Entry e;
  e.tag = fileTag;
  e.type = t.type;
  e.count = static_cast<uint32_t>(t.value.size() / ElementSize(t.type));
  e.value = t.value;
  return e;
}

Entry LongEntry(uint16_t tag, uint32_t value) {
  Entry e{tag, kTypeLong, 1, std::vector<uint8_t>(4)};
  Set32LE(e.value.data(), value);
  return e;
}

bool Holds(const std::vector<Entry>& entries, uint16_t tag) {
  return std::any_of(entries.begin(), entries.end(), [tag](const Entry& e) { return e.tag == tag; });
}

struct SortedTags {
  std::vector<Entry> main, exif, gps, interop, thumbnail;
  std::optional<std::vector<uint8_t>> thumbnailData;
  std::optional<uint32_t> makerNoteOrigin;  // where the maker note stood, when it still can be told
};

void AddOnce(std::vector<Entry>& list, Entry e) {
  if (!Holds(list, e.tag)) list.push_back(std::move(e));
}

Entry* MakerNoteOf(SortedTags& sorted) {
  for (Entry& e : sorted.exif)
    if (e.tag == kMakerNote && e.value.size() > 4) return &e;
  return nullptr;
}

const std::vector<uint8_t>* KeptBlockOf(const std::vector<Tag>& tags) {
  for (const Tag& t : tags)
    if (t.id == kExifBlockItem) return &t.value;
  return nullptr;
}

std::optional<uint32_t> RecordedOrigin(const std::vector<Tag>& tags, size_t noteBytes) {
  for (const Tag& t : tags) {
    if (t.id != kMakerNoteOriginItem || t.type != kTypeLong || t.value.size() != 8) continue;
    if (Get32LE(&t.value[4]) == noteBytes) return Get32LE(t.value.data());
  }
  return std::nullopt;
}

// IFD1 is written as a JPEG thumbnail's directory: other bytes are no such thumbnail.
bool IsJpegStream(const std::vector<uint8_t>& bytes) { return bytes.size() > 2 && bytes[0] == 0xFF && bytes[1] == 0xD8; }

SortedTags SortTags(const std::vector<Tag>& tags) {
  SortedTags sorted;
  for (const Tag& t : tags) {
    if (!IsWritable(t)) continue;
    switch (DirectoryOf(t.id)) {
      case Directory::Main: AddOnce(sorted.main, EntryOf(static_cast<uint16_t>(t.id), t)); break;
      case Directory::Exif: AddOnce(sorted.exif, EntryOf(static_cast<uint16_t>(t.id), t)); break;
      case Directory::Gps: AddOnce(sorted.gps, EntryOf(static_cast<uint16_t>(t.id), t)); break;
      case Directory::Interop: AddOnce(sorted.interop, EntryOf(InteropTagOf(t.id), t)); break;
      case Directory::Thumbnail:
        if (t.id == kThumbnailDataItem) {
          if (IsJpegStream(t.value) && !sorted.thumbnailData) sorted.thumbnailData = t.value;
        } else if (std::find(std::begin(kThumbnailStripTags), std::end(kThumbnailStripTags), Ifd1TagOf(t.id)) ==
                   std::end(kThumbnailStripTags)) {
          AddOnce(sorted.thumbnail, EntryOf(Ifd1TagOf(t.id), t));
        }
        break;
      case Directory::None: break;
    }
  }
  if (!sorted.interop.empty()) AddOnce(sorted.exif, LongEntry(kInteropPointer, 0));
  Entry* note = MakerNoteOf(sorted);
  if (!note) return sorted;
  sorted.makerNoteOrigin = MakerNoteOrigin(note->value, RecordedOrigin(tags, note->value.size()));
  if (const std::vector<uint8_t>* kept = KeptBlockOf(tags)) note->tail = BytesPastMakerNote(*kept, note->value);
  return sorted;
}

// Bytes being laid out at `base` in a file. A range may be held for one value (a maker note
// that keeps its place): nothing else is put there.
struct Block {
  uint64_t base = 0;
  std::vector<uint8_t> bytes;
  uint64_t heldStart = 0, heldEnd = 0;
  std::optional<uint32_t> makerNoteOrigin;

  uint64_t End() const { return base + bytes.size(); }
  void AlignToWord() {
    if (End() & 1) bytes.push_back(0);
  }
  // Room for `size` bytes at a word boundary and outside the held range; its place in `bytes`.
  size_t Claim(size_t size) {
    AlignToWord();
    if (End() < heldEnd && End() + size > heldStart) {
      bytes.resize(heldEnd - base, 0);
      AlignToWord();
    }
    const size_t at = bytes.size();
    bytes.resize(at + size, 0);
    return at;
  }
  void PutAt(uint64_t offset, const std::vector<uint8_t>& value) {
    const size_t at = offset - base;
    if (bytes.size() < at + value.size()) bytes.resize(at + value.size(), 0);
    std::copy(value.begin(), value.end(), bytes.begin() + static_cast<ptrdiff_t>(at));
  }
};

// Where a written directory lies in its block: its start in the file, and in the block the value
// field of each entry (by tag) and the link to the next directory.
struct WrittenIfd {
  uint64_t offset = 0;
  size_t nextLink = 0;
  std::vector<std::pair<uint16_t, size_t>> valueFields;

  size_t FieldOf(uint16_t tag) const {
    for (const auto& [t, at] : valueFields)
      if (t == tag) return at;
    return 0;
  }
};

// The maker note goes where it stood when that range is held for it; anywhere else the pointers
// of a note that counts from the TIFF header are moved with it.
uint64_t PlaceValue(Block& block, const Entry& e) {
  if (e.tag == kMakerNote && block.heldEnd > block.heldStart) {
    block.PutAt(block.heldStart, e.value);
    block.PutAt(block.heldStart + e.value.size(), e.tail);
    return block.heldStart;
  }
  const uint64_t at = block.base + block.Claim(e.value.size() + e.tail.size());
  if (e.tag == kMakerNote && block.makerNoteOrigin) {
    block.PutAt(at, MakerNoteMoved(e.value, *block.makerNoteOrigin, static_cast<uint32_t>(at)));
  } else {
    block.PutAt(at, e.value);
  }
  block.PutAt(at + e.value.size(), e.tail);
  return at;
}

WrittenIfd WriteIfd(Block& block, std::vector<Entry> entries) {
  std::stable_sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.tag < b.tag; });
  WrittenIfd written;
  const size_t start = block.Claim(2 + kEntryBytes * entries.size() + 4);
  written.offset = block.base + start;
  Set16LE(&block.bytes[start], static_cast<uint16_t>(entries.size()));
  written.nextLink = start + 2 + kEntryBytes * entries.size();
  for (size_t i = 0; i < entries.size(); ++i) {
    const Entry& e = entries[i];
    const size_t at = start + 2 + kEntryBytes * i;
    Set16LE(&block.bytes[at], e.tag);
    Set16LE(&block.bytes[at + 2], e.type);
    Set32LE(&block.bytes[at + 4], e.count);
    written.valueFields.emplace_back(e.tag, at + 8);
    if (e.kept) {
      std::copy_n(e.field, 4, &block.bytes[at + 8]);
    } else if (e.value.size() <= 4) {
      std::copy(e.value.begin(), e.value.end(), &block.bytes[at + 8]);
    } else {
      const uint64_t value = PlaceValue(block, e);
      Set32LE(&block.bytes[at + 8], static_cast<uint32_t>(value));
    }
  }
  return written;
}

void AddPointers(std::vector<Entry>& main, const SortedTags& sorted) {
  if (!sorted.exif.empty()) AddOnce(main, LongEntry(kExifPointer, 0));
  if (!sorted.gps.empty()) AddOnce(main, LongEntry(kGpsPointer, 0));
}

// Writes the EXIF (with its Interop) and GPS sub-directories, those with entries, and links them
// from `main`.
void WriteSubDirectories(Block& block, const WrittenIfd& main, SortedTags& sorted) {
  if (!sorted.exif.empty()) {
    const WrittenIfd exif = WriteIfd(block, std::move(sorted.exif));
    Set32LE(&block.bytes[main.FieldOf(kExifPointer)], static_cast<uint32_t>(exif.offset));
    if (!sorted.interop.empty()) {
      const uint64_t at = WriteIfd(block, std::move(sorted.interop)).offset;
      Set32LE(&block.bytes[exif.FieldOf(kInteropPointer)], static_cast<uint32_t>(at));
    }
  }
  if (!sorted.gps.empty()) {
    const uint64_t at = WriteIfd(block, std::move(sorted.gps)).offset;
    Set32LE(&block.bytes[main.FieldOf(kGpsPointer)], static_cast<uint32_t>(at));
  }
}

// IFD1 with the thumbnail's stream right behind it, linked from the main directory.
void WriteThumbnail(Block& block, const WrittenIfd& main, SortedTags& sorted) {
  if (!sorted.thumbnailData) return;
  std::vector<Entry> entries = std::move(sorted.thumbnail);
  if (!Holds(entries, kCompression)) entries.push_back(Entry{kCompression, kTypeShort, 1, {kJpegCompression, 0}});
  entries.push_back(LongEntry(kThumbnailOffset, 0));
  entries.push_back(LongEntry(kThumbnailLength, static_cast<uint32_t>(sorted.thumbnailData->size())));
  const WrittenIfd thumbnail = WriteIfd(block, std::move(entries));
  const size_t data = block.Claim(sorted.thumbnailData->size());
  std::copy(sorted.thumbnailData->begin(), sorted.thumbnailData->end(), block.bytes.begin() + static_cast<ptrdiff_t>(data));
  Set32LE(&block.bytes[thumbnail.FieldOf(kThumbnailOffset)], static_cast<uint32_t>(block.base + data));
  Set32LE(&block.bytes[main.nextLink], static_cast<uint32_t>(thumbnail.offset));
}

constexpr uint8_t kExifHeader[] = {'I', 'I', 42, 0, 8, 0, 0, 0};

std::vector<uint8_t> LayOut(SortedTags sorted, bool keepMakerNoteInPlace, size_t maxBytes) {
  std::vector<Entry> main = std::move(sorted.main);
  AddPointers(main, sorted);
  if (main.empty()) return {};
  Block block;
  block.bytes.assign(std::begin(kExifHeader), std::end(kExifHeader));
  block.makerNoteOrigin = sorted.makerNoteOrigin;
  const Entry* note = MakerNoteOf(sorted);
  const std::optional<uint32_t> origin = sorted.makerNoteOrigin;
  const size_t noteBytes = note ? note->value.size() + note->tail.size() : 0;
  if (note && origin && keepMakerNoteInPlace && *origin >= sizeof kExifHeader && noteBytes <= maxBytes &&
      *origin <= maxBytes - noteBytes) {
    block.heldStart = *origin;
    block.heldEnd = *origin + noteBytes;
  }
  const WrittenIfd written = WriteIfd(block, std::move(main));
  // A note held where it stood before IFD0 (some makers put it right after the header) pushes
  // IFD0 behind it: the header says where IFD0 is.
  Set32LE(&block.bytes[4], static_cast<uint32_t>(written.offset));
  WriteSubDirectories(block, written, sorted);
  WriteThumbnail(block, written, sorted);
  return std::move(block.bytes);
}

// Leaves out the largest tags until at least `excess` bytes of values and entries are gone.
void DropLargest(std::vector<Tag>& tags, size_t excess) {
  std::stable_sort(tags.begin(), tags.end(), [](const Tag& a, const Tag& b) { return a.value.size() > b.value.size(); });
  size_t dropped = 0, n = 0;
  while (n < tags.size() && dropped < excess) dropped += tags[n++].value.size() + kEntryBytes;
  tags.erase(tags.begin(), tags.begin() + static_cast<ptrdiff_t>(std::max<size_t>(n, 1)));
}

// The block the picture was read with, when the tags still say all it says and nothing else.
const std::vector<uint8_t>* UnchangedBlock(const std::vector<Tag>& tags, size_t maxBytes) {
  for (const Tag& t : tags) {
    if (t.id != kExifBlockItem || t.value.size() > maxBytes) continue;
    return BlockHoldsExactly(t.value, tags) ? &t.value : nullptr;
  }
  return nullptr;
}

}  // namespace

size_t ElementSize(uint16_t type) {
  switch (type) {
    case 1: case 2: case 6: case 7: return 1;
    case 3: case 8: return 2;
    case 4: case 9: case 11: return 4;
    case 5: case 10: case 12: return 8;
    default: return 0;
  }
}

bool InJpegSegmentOfItsOwn(uint32_t id) { return id == 700 || id == 33723 || id == 34377; }

uint32_t ThumbnailItemOf(uint16_t ifd1Tag) {
  const auto* found = std::find(std::begin(kIfd1Tags), std::end(kIfd1Tags), ifd1Tag);
  return found == std::end(kIfd1Tags) ? 0 : kFirstThumbnailItem + static_cast<uint32_t>(found - std::begin(kIfd1Tags));
}

uint16_t Ifd1TagOf(uint32_t item) {
  if (item < kFirstThumbnailItem || item >= kFirstThumbnailItem + std::size(kIfd1Tags)) return 0;
  return kIfd1Tags[item - kFirstThumbnailItem];
}

uint32_t InteropItemOf(uint16_t interopTag) {
  for (const auto& [tag, item] : kInteropItems)
    if (tag == interopTag) return item;
  return 0;
}

uint16_t InteropTagOf(uint32_t item) {
  for (const auto& [tag, itemOfTag] : kInteropItems)
    if (itemOfTag == item) return tag;
  return 0;
}

Directory DirectoryOf(uint32_t id) {
  if (id <= 0x1F) return Directory::Gps;
  if (InteropTagOf(id) != 0) return Directory::Interop;
  if (id == kThumbnailDataItem || Ifd1TagOf(id) != 0) return Directory::Thumbnail;
  if (id > 0xFFFF || (id >= 0x5000 && id <= 0x5FFF)) return Directory::None;  // the platform's own items
  if (id == kExifPointer || id == kGpsPointer || id == kInteropPointer || IsLayoutTag(id) || IsPrivateDirectoryPointer(id))
    return Directory::None;
  if (IsMainAmongExif(id)) return Directory::Main;
  return IsExifTag(id) ? Directory::Exif : Directory::Main;
}

void ParseKeptEntries(const uint8_t* entries, uint16_t count, std::vector<KeptEntry>& kept, uint32_t& next) {
  for (uint16_t i = 0; i < count; ++i) {
    const uint8_t* p = entries + kEntryBytes * i;
    KeptEntry e{Get16LE(p), Get16LE(p + 2), Get32LE(p + 4), {}};
    std::copy_n(p + 8, 4, e.field);
    kept.push_back(e);
  }
  next = Get32LE(entries + kEntryBytes * count);
}

std::vector<uint8_t> BuildExifStructure(std::vector<Tag> tags, size_t maxBytes) {
  if (const std::vector<uint8_t>* kept = UnchangedBlock(tags, maxBytes)) return *kept;
  for (;;) {
    std::vector<uint8_t> laid = LayOut(SortTags(tags), true, maxBytes);
    // A maker note held in place may leave a gap that a moved one does not.
    if (laid.size() > maxBytes) laid = LayOut(SortTags(tags), false, maxBytes);
    if (laid.size() <= maxBytes || tags.empty()) return laid.size() <= maxBytes ? laid : std::vector<uint8_t>{};
    DropLargest(tags, laid.size() - maxBytes);
  }
}

AppendedDirectory PageDirectoryWithTags(uint64_t base, std::vector<KeptEntry> kept, uint32_t next,
                                        const std::vector<Tag>& tags) {
  SortedTags sorted = SortTags(tags);
  std::vector<Entry> entries;
  for (const KeptEntry& k : kept) {
    Entry e{k.tag, k.type, k.count, {}, true};
    std::copy_n(k.field, 4, e.field);
    entries.push_back(e);
  }
  const size_t keptCount = entries.size();
  for (Entry& e : sorted.main) AddOnce(entries, std::move(e));
  AddPointers(entries, sorted);
  if (entries.size() == keptCount || entries.size() > 0xFFFF) return {};
  Block block;
  block.base = base;
  block.makerNoteOrigin = sorted.makerNoteOrigin;
  const WrittenIfd written = WriteIfd(block, std::move(entries));
  WriteSubDirectories(block, written, sorted);
  Set32LE(&block.bytes[written.nextLink], next);
  return {std::move(block.bytes), written.offset, base + written.nextLink};
}

}  // namespace vx::gdiplus::codecs::ifd
