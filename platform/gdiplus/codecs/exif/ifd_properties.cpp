#include "platform/gdiplus/codecs/exif/ifd_properties.h"

#include <algorithm>
#include <set>

#include "platform/gdiplus/codecs/byte_order.h"

namespace vx::gdiplus::codecs {

namespace {

constexpr uint16_t kMaxEntriesPerIfd = 4096;
constexpr size_t kMaxItems = 8192;
constexpr PROPID kInteropIfd = 0xA005;

// Bytes of one element group that are swapped together (rationals are two 32-bit halves).
size_t SwapUnit(uint16_t type) {
  const size_t size = PropertyElementSize(type);
  return (type == 5 || type == 10) ? 4 : size;
}

bool HasItem(const std::vector<PropertyRecord>& items, PROPID id) {
  return std::any_of(items.begin(), items.end(), [id](const PropertyRecord& r) { return r.id == id; });
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

  void Read(uint32_t offset, int depth) {
    if (depth > 2 || !visited.insert(offset).second) return;
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
      if (!HasItem(items, tag)) items.push_back(std::move(record));
      if ((tag == PropertyTagExifIFD || tag == PropertyTagGpsIFD) && (type == 4 || type == 13) && valueCount == 1)
        Read(Get32(entry + 8, layout.bigEndian), depth + 1);
    }
  }
};

enum class Directory { Main, Exif, Gps, None };

bool IsExifTag(PROPID id) {
  if (id == 0x829A || id == 0x829D || id == 0x8822 || id == 0x8824 || id == 0x8827 || id == 0x8828) return true;
  if (id >= 0x8830 && id <= 0x8835) return true;
  if (id >= 0x9000 && id <= 0x9FFF) return true;
  return id >= 0xA000 && id <= 0xA4FF && id != kInteropIfd;
}

// Tags that describe the pixel layout: the writer of the file owns them, items never override them.
bool IsLayoutTag(PROPID id) {
  static const std::set<PROPID> kLayout = {0x00FE, 0x00FF, 0x0100, 0x0101, 0x0102, 0x0103, 0x0106, 0x010A, 0x0111,
                                           0x0115, 0x0116, 0x0117, 0x011C, 0x0124, 0x0125, 0x013D, 0x0140, 0x0142,
                                           0x0143, 0x0144, 0x0145, 0x014A, 0x0152, 0x0153, 0x015B, 0x0201, 0x0202,
                                           0x0212};
  return kLayout.count(id) != 0 || (id >= 0x0200 && id <= 0x0209);
}

Directory DirectoryOf(PROPID id) {
  if (id <= 0x1F) return Directory::Gps;
  if (id > 0xFFFF || (id >= 0x5000 && id <= 0x5FFF)) return Directory::None;  // the platform's own items
  if (id == PropertyTagExifIFD || id == PropertyTagGpsIFD || id == kInteropIfd || IsLayoutTag(id)) return Directory::None;
  return IsExifTag(id) ? Directory::Exif : Directory::Main;
}

bool IsWritable(const PropertyRecord& r) {
  const size_t element = PropertyElementSize(r.type);
  return element != 0 && !r.value.empty() && r.value.size() % element == 0 && r.value.size() / element <= 0xFFFFFFFFull;
}

struct Entry {
  uint16_t tag = 0;
  uint16_t type = 0;
  uint32_t count = 0;
  std::vector<uint8_t> value;  // little-endian bytes, or empty for a raw entry
  bool raw = false;
  uint8_t field[4] = {};  // the value field of a raw entry, kept as it stands
};

Entry EntryOf(const PropertyRecord& r) {
  Entry e;
  e.tag = static_cast<uint16_t>(r.id);
  e.type = r.type;
  e.count = static_cast<uint32_t>(r.value.size() / PropertyElementSize(r.type));
  e.value = r.value;
  return e;
}

Entry PointerEntry(uint16_t tag) {
  Entry e;
  e.tag = tag;
  e.type = 4;
  e.count = 1;
  e.value.assign(4, 0);
  return e;
}

// Directories appended to a file are built apart and then written at `base`, where the block
// starts in the file: offsets are the file's, word alignment too.
struct IfdBlock {
  uint64_t base = 0;
  std::vector<uint8_t> bytes;
  uint64_t End() const { return base + bytes.size(); }
};

void AlignToWord(IfdBlock& out) {
  if (out.End() & 1) out.bytes.push_back(0);
}

// Appends a directory and its out-of-line values; returns its offset in the file and the
// positions in the block of each entry's value field (by tag) and of the next-directory link.
struct WrittenIfd {
  uint32_t offset = 0;
  size_t nextLink = 0;
  std::vector<std::pair<uint16_t, size_t>> valueFields;
};

WrittenIfd WriteIfd(IfdBlock& block, std::vector<Entry> entries) {
  std::stable_sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.tag < b.tag; });
  AlignToWord(block);
  std::vector<uint8_t>& out = block.bytes;
  WrittenIfd written;
  written.offset = static_cast<uint32_t>(block.End());
  Put16LE(out, static_cast<uint16_t>(entries.size()));
  const size_t firstEntry = out.size();
  out.resize(out.size() + 12 * entries.size() + 4, 0);
  written.nextLink = firstEntry + 12 * entries.size();
  for (size_t i = 0; i < entries.size(); ++i) {
    const Entry& e = entries[i];
    const size_t at = firstEntry + 12 * i;
    out[at] = static_cast<uint8_t>(e.tag), out[at + 1] = static_cast<uint8_t>(e.tag >> 8);
    out[at + 2] = static_cast<uint8_t>(e.type), out[at + 3] = static_cast<uint8_t>(e.type >> 8);
    Set32LE(&out[at + 4], e.count);
    written.valueFields.emplace_back(e.tag, at + 8);
    if (e.raw) {
      std::copy_n(e.field, 4, &out[at + 8]);
    } else if (e.value.size() <= 4) {
      std::copy(e.value.begin(), e.value.end(), &out[at + 8]);
    } else {
      AlignToWord(block);
      Set32LE(&out[at + 8], static_cast<uint32_t>(block.End()));
      out.insert(out.end(), e.value.begin(), e.value.end());
    }
  }
  return written;
}

size_t FieldOf(const WrittenIfd& ifd, uint16_t tag) {
  for (const auto& [t, at] : ifd.valueFields)
    if (t == tag) return at;
  return 0;
}

// Writes the EXIF and GPS sub-directories (when they have entries) and links them from `main`.
void WriteSubDirectories(IfdBlock& out, const WrittenIfd& main, std::vector<Entry>& exif, std::vector<Entry>& gps) {
  if (!exif.empty()) {
    const uint32_t at = WriteIfd(out, std::move(exif)).offset;
    Set32LE(&out.bytes[FieldOf(main, PropertyTagExifIFD)], at);
  }
  if (!gps.empty()) {
    const uint32_t at = WriteIfd(out, std::move(gps)).offset;
    Set32LE(&out.bytes[FieldOf(main, PropertyTagGpsIFD)], at);
  }
}

struct SortedEntries {
  std::vector<Entry> main, exif, gps;
};

SortedEntries SortItems(const std::vector<PropertyRecord>& items, const std::set<uint16_t>& alreadyPresent) {
  SortedEntries sorted;
  for (const PropertyRecord& r : items) {
    if (!IsWritable(r)) continue;
    switch (DirectoryOf(r.id)) {
      case Directory::Main:
        if (!alreadyPresent.count(static_cast<uint16_t>(r.id))) sorted.main.push_back(EntryOf(r));
        break;
      case Directory::Exif: sorted.exif.push_back(EntryOf(r)); break;
      case Directory::Gps: sorted.gps.push_back(EntryOf(r)); break;
      case Directory::None: break;
    }
  }
  if (!sorted.exif.empty()) sorted.main.push_back(PointerEntry(static_cast<uint16_t>(PropertyTagExifIFD)));
  if (!sorted.gps.empty()) sorted.main.push_back(PointerEntry(static_cast<uint16_t>(PropertyTagGpsIFD)));
  return sorted;
}

// The raw entries of one directory of a little-endian file, or false when it is malformed.
bool ReadRawEntries(SeekableSink& tiff, uint32_t offset, std::vector<Entry>& entries, uint32_t& next) {
  uint8_t countBytes[2];
  if (tiff.ReadAt(offset, countBytes, 2) != 2) return false;
  const uint16_t count = Get16LE(countBytes);
  std::vector<uint8_t> directory(size_t{count} * 12 + 4);
  if (tiff.ReadAt(uint64_t{offset} + 2, directory.data(), directory.size()) != directory.size()) return false;
  for (uint16_t i = 0; i < count; ++i) {
    const uint8_t* p = &directory[12 * size_t{i}];
    Entry e;
    e.tag = Get16LE(p);
    e.type = Get16LE(p + 2);
    e.count = Get32LE(p + 4);
    e.raw = true;
    std::copy_n(p + 8, 4, e.field);
    entries.push_back(e);
  }
  next = Get32LE(&directory[12 * size_t{count}]);
  return true;
}

bool PatchLink(SeekableSink& tiff, uint64_t link, uint32_t offset) {
  uint8_t bytes[4];
  Set32LE(bytes, offset);
  return tiff.WriteAt(link, bytes, sizeof bytes);
}

// Page `offset`'s directory again at the end of the file, with the items it lacks; false when
// the file cannot be read back or written.
bool AppendMergedDirectory(SeekableSink& tiff, std::vector<Entry> entries, SortedEntries& sorted, uint32_t next,
                           uint64_t& link) {
  entries.insert(entries.end(), std::make_move_iterator(sorted.main.begin()), std::make_move_iterator(sorted.main.end()));
  IfdBlock block{tiff.Size(), {}};
  const WrittenIfd written = WriteIfd(block, std::move(entries));
  WriteSubDirectories(block, written, sorted.exif, sorted.gps);
  Set32LE(&block.bytes[written.nextLink], next);
  if (!tiff.WriteAt(block.base, block.bytes.data(), block.bytes.size()) || !PatchLink(tiff, link, written.offset))
    return false;
  link = block.base + written.nextLink;
  return true;
}

}  // namespace

size_t PropertyElementSize(uint16_t type) {
  switch (type) {
    case 1: case 2: case 6: case 7: return 1;
    case 3: case 8: return 2;
    case 4: case 9: case 11: return 4;
    case 5: case 10: case 12: return 8;
    default: return 0;
  }
}

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

std::vector<uint8_t> BuildExifBlock(const std::vector<PropertyRecord>& items) {
  SortedEntries sorted = SortItems(items, {});
  if (sorted.main.empty()) return {};
  IfdBlock out{0, {'I', 'I', 42, 0, 8, 0, 0, 0}};
  const WrittenIfd main = WriteIfd(out, std::move(sorted.main));
  WriteSubDirectories(out, main, sorted.exif, sorted.gps);
  return std::move(out.bytes);
}

Status MergePropertiesIntoTiff(SeekableSink& tiff, const std::vector<const std::vector<PropertyRecord>*>& pages) {
  uint8_t header[8];
  TiffLayout layout;
  if (tiff.ReadAt(0, header, sizeof header) != sizeof header || !ParseTiffHeader(header, layout) || layout.bigEndian)
    return GenericError;
  uint32_t offset = layout.firstIfd;
  uint64_t link = 4;  // where the offset of the directory being rewritten is stored
  for (size_t page = 0; page < pages.size() && offset != 0; ++page) {
    std::vector<Entry> entries;
    uint32_t next = 0;
    if (!ReadRawEntries(tiff, offset, entries, next)) return GenericError;
    std::set<uint16_t> present;
    for (const Entry& e : entries) present.insert(e.tag);
    SortedEntries sorted = SortItems(*pages[page], present);
    if (!sorted.main.empty()) {
      if (!AppendMergedDirectory(tiff, std::move(entries), sorted, next, link)) return Win32Error;
    } else {
      link = offset + 2 + 12 * uint64_t{entries.size()};
    }
    if (tiff.Size() > 0xFFFFFFFFull) return ValueOverflow;
    offset = next;
  }
  return Ok;
}

}  // namespace vx::gdiplus::codecs
