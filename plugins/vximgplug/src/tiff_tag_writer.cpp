#include "tiff_tag_writer.h"

#include <algorithm>
#include <iterator>
#include <memory>
#include <set>

namespace vximgplug {
namespace {

constexpr uint16_t kTagExifDirectory = 34665;
constexpr uint16_t kTagGpsDirectory = 34853;
constexpr uint16_t kTagInteropDirectory = 40965;
constexpr uint16_t kTagXmp = 700;
constexpr uint16_t kTagIptc = 33723;
constexpr FREE_IMAGE_MDMODEL kTagModels[] = {FIMD_EXIF_MAIN, FIMD_EXIF_EXIF, FIMD_EXIF_GPS};

struct Entry {
  uint16_t tag = 0;
  uint16_t type = 0;
  uint32_t count = 0;
  std::vector<uint8_t> value;  // little-endian bytes; empty for an entry kept as the file holds it
  uint8_t field[4] = {};       // the value field of a kept entry
  bool kept = false;
};

struct SearchCloser {
  void operator()(FIMETADATA* search) const { FreeImage_FindCloseMetadata(search); }
};

uint16_t Get16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
uint32_t Get32(const uint8_t* p) { return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24; }
void Set32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}
void Put16(std::vector<uint8_t>& out, uint16_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}

// The directory a tag belongs in, by the numbering EXIF gives them; the platform's TIFF and
// JPEG writers sort property items the same way.
enum class Directory { Main, Exif, Gps, None };

bool IsExifTag(uint16_t id) {
  if (id == 0x829A || id == 0x829D || id == 0x8822 || id == 0x8824 || id == 0x8827 || id == 0x8828) return true;
  if (id >= 0x8830 && id <= 0x8835) return true;
  if (id >= 0x9000 && id <= 0x9FFF) return true;
  return id >= 0xA000 && id <= 0xA4FF;
}

// Tags that describe the pixel layout belong to the writer of the file.
bool IsLayoutTag(uint16_t id) {
  static const std::set<uint16_t> kLayout = {0x00FE, 0x00FF, 0x0100, 0x0101, 0x0102, 0x0103, 0x0106, 0x010A,
                                             0x0111, 0x0115, 0x0116, 0x0117, 0x011C, 0x0124, 0x0125, 0x013D,
                                             0x0140, 0x0142, 0x0143, 0x0144, 0x0145, 0x014A, 0x0152, 0x0153,
                                             0x015B, 0x0212, 0x0213};
  return kLayout.count(id) != 0 || (id >= 0x0200 && id <= 0x0209);
}

Directory DirectoryOf(uint16_t id) {
  if (id <= 0x1F) return Directory::Gps;
  if (id >= 0x5000 && id <= 0x5FFF) return Directory::None;  // the platform's own items
  if (id == kTagExifDirectory || id == kTagGpsDirectory || id == kTagInteropDirectory || IsLayoutTag(id))
    return Directory::None;
  return IsExifTag(id) ? Directory::Exif : Directory::Main;
}

size_t ElementSize(uint16_t type) {
  static constexpr uint8_t kSize[] = {0, 1, 1, 2, 4, 8, 1, 1, 2, 4, 8, 4, 8, 4};
  return type < std::size(kSize) ? kSize[type] : 0;
}

struct SortedTags {
  std::vector<Entry> main, exif, gps;
};

bool Holds(const std::vector<Entry>& entries, uint16_t tag) {
  return std::any_of(entries.begin(), entries.end(), [tag](const Entry& e) { return e.tag == tag; });
}

void SortTag(FITAG* tag, SortedTags& sorted) {
  Entry e;
  e.tag = FreeImage_GetTagID(tag);
  e.type = static_cast<uint16_t>(FreeImage_GetTagType(tag));
  e.count = FreeImage_GetTagCount(tag);
  const DWORD length = FreeImage_GetTagLength(tag);
  const auto* value = static_cast<const uint8_t*>(FreeImage_GetTagValue(tag));
  if (!value || length == 0 || ElementSize(e.type) == 0 || uint64_t{e.count} * ElementSize(e.type) != length) return;
  e.value.assign(value, value + length);
  std::vector<Entry>* target = nullptr;
  switch (DirectoryOf(e.tag)) {
    case Directory::Main: target = &sorted.main; break;
    case Directory::Exif: target = &sorted.exif; break;
    case Directory::Gps: target = &sorted.gps; break;
    case Directory::None: return;
  }
  if (!Holds(*target, e.tag)) target->push_back(std::move(e));
}

SortedTags SortBitmapTags(FIBITMAP* dib) {
  SortedTags sorted;
  for (FREE_IMAGE_MDMODEL model : kTagModels) {
    FITAG* tag = nullptr;
    std::unique_ptr<FIMETADATA, SearchCloser> search(FreeImage_FindFirstMetadata(model, dib, &tag));
    if (!search) continue;
    do {
      if (tag) SortTag(tag, sorted);
    } while (FreeImage_FindNextMetadata(search.get(), &tag));
  }
  return sorted;
}

Entry PointerEntry(uint16_t tag) {
  Entry e;
  e.tag = tag;
  e.type = FIDT_LONG;
  e.count = 1;
  e.value.assign(4, 0);
  return e;
}

void AlignToWord(std::vector<uint8_t>& out) {
  if (out.size() & 1) out.push_back(0);
}

// Appends a directory, sorted by tag as TIFF requires, and its out-of-line values. Returns its
// offset; `fields` receives where each tag's value field lies, `nextLink` the link to the next.
uint32_t WriteDirectory(std::vector<uint8_t>& out, std::vector<Entry> entries, std::vector<std::pair<uint16_t, size_t>>& fields,
                        size_t& nextLink) {
  std::stable_sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.tag < b.tag; });
  AlignToWord(out);
  const auto offset = static_cast<uint32_t>(out.size());
  Put16(out, static_cast<uint16_t>(entries.size()));
  const size_t first = out.size();
  out.resize(first + 12 * entries.size() + 4, 0);
  nextLink = first + 12 * entries.size();
  for (size_t i = 0; i < entries.size(); ++i) {
    const Entry& e = entries[i];
    const size_t at = first + 12 * i;
    out[at] = static_cast<uint8_t>(e.tag), out[at + 1] = static_cast<uint8_t>(e.tag >> 8);
    out[at + 2] = static_cast<uint8_t>(e.type), out[at + 3] = static_cast<uint8_t>(e.type >> 8);
    Set32(&out[at + 4], e.count);
    fields.emplace_back(e.tag, at + 8);
    if (e.kept) {
      std::copy_n(e.field, 4, &out[at + 8]);
    } else if (e.value.size() <= 4) {
      std::copy(e.value.begin(), e.value.end(), &out[at + 8]);
    } else {
      AlignToWord(out);
      Set32(&out[at + 8], static_cast<uint32_t>(out.size()));
      out.insert(out.end(), e.value.begin(), e.value.end());
    }
  }
  return offset;
}

size_t FieldOf(const std::vector<std::pair<uint16_t, size_t>>& fields, uint16_t tag) {
  for (const auto& [t, at] : fields)
    if (t == tag) return at;
  return 0;
}

void WriteSubDirectory(std::vector<uint8_t>& out, std::vector<Entry>& entries, size_t pointerField) {
  if (entries.empty() || pointerField == 0) return;
  std::vector<std::pair<uint16_t, size_t>> fields;
  size_t next = 0;
  const uint32_t at = WriteDirectory(out, std::move(entries), fields, next);
  Set32(&out[pointerField], at);
}

// The entries of the directory at `offset`, kept as they stand; false when it lies outside.
bool ReadKeptEntries(const std::vector<uint8_t>& tiff, uint32_t offset, std::vector<Entry>& entries, uint32_t& next) {
  if (offset > tiff.size() || tiff.size() - offset < 2) return false;
  const uint16_t count = Get16(&tiff[offset]);
  if (tiff.size() - offset - 2 < 12 * size_t{count} + 4) return false;
  for (uint16_t i = 0; i < count; ++i) {
    const uint8_t* p = &tiff[offset + 2 + 12 * size_t{i}];
    Entry e;
    e.tag = Get16(p);
    e.type = Get16(p + 2);
    e.count = Get32(p + 4);
    e.kept = true;
    std::copy_n(p + 8, 4, e.field);
    entries.push_back(e);
  }
  next = Get32(&tiff[offset + 2 + 12 * size_t{count}]);
  return true;
}

size_t ValueBytes(const SortedTags& t) {
  size_t bytes = 0;
  for (const auto* list : {&t.main, &t.exif, &t.gps})
    for (const Entry& e : *list) bytes += e.value.size();
  return bytes;
}

// Drops the largest tags of any directory until at least `excess` bytes of values and entries
// are gone (one tag at the least).
void DropLargest(SortedTags& t, size_t excess) {
  constexpr size_t kEntryBytes = 12;
  size_t dropped = 0;
  do {
    std::vector<Entry>* from = nullptr;
    size_t at = 0, largest = 0;
    for (auto* list : {&t.main, &t.exif, &t.gps})
      for (size_t i = 0; i < list->size(); ++i)
        if (!from || (*list)[i].value.size() > largest) from = list, at = i, largest = (*list)[i].value.size();
    if (!from) return;
    from->erase(from->begin() + static_cast<ptrdiff_t>(at));
    dropped += largest + kEntryBytes;
  } while (dropped < excess);
}

// Offsets count from the TIFF header, so the structure is built on its own and signed afterwards.
std::vector<uint8_t> BuildExifSegment(SortedTags sorted) {
  std::vector<uint8_t> tiff = {'I', 'I', 42, 0, 8, 0, 0, 0};
  std::vector<Entry> main = std::move(sorted.main);
  if (!sorted.exif.empty()) main.push_back(PointerEntry(kTagExifDirectory));
  if (!sorted.gps.empty()) main.push_back(PointerEntry(kTagGpsDirectory));
  if (main.empty()) return {};
  std::vector<std::pair<uint16_t, size_t>> fields;
  size_t nextLink = 0;
  WriteDirectory(tiff, std::move(main), fields, nextLink);
  WriteSubDirectory(tiff, sorted.exif, FieldOf(fields, kTagExifDirectory));
  WriteSubDirectory(tiff, sorted.gps, FieldOf(fields, kTagGpsDirectory));
  tiff.insert(tiff.begin(), {'E', 'x', 'i', 'f', 0, 0});
  return tiff;
}

}  // namespace

std::vector<uint8_t> ExifSegmentOfBitmapTags(FIBITMAP* dib, size_t maxBytes) {
  SortedTags sorted = SortBitmapTags(dib);
  // In a JPEG file the XMP packet and the IPTC record have segments of their own.
  std::erase_if(sorted.main, [](const Entry& e) { return e.tag == kTagXmp || e.tag == kTagIptc; });
  std::vector<uint8_t> segment = BuildExifSegment(sorted);
  while (!segment.empty() && segment.size() > maxBytes && ValueBytes(sorted) > 0) {
    DropLargest(sorted, segment.size() - maxBytes);
    segment = BuildExifSegment(sorted);
  }
  return segment.size() <= maxBytes ? segment : std::vector<uint8_t>{};
}

FITAG* FindBitmapTag(FIBITMAP* dib, uint16_t id) {
  for (FREE_IMAGE_MDMODEL model : kTagModels) {
    FITAG* tag = nullptr;
    std::unique_ptr<FIMETADATA, SearchCloser> search(FreeImage_FindFirstMetadata(model, dib, &tag));
    if (!search) continue;
    do {
      if (tag && FreeImage_GetTagID(tag) == id) return tag;
    } while (FreeImage_FindNextMetadata(search.get(), &tag));
  }
  return nullptr;
}

bool BitmapHasTag(FIBITMAP* dib, uint16_t id) { return FindBitmapTag(dib, id) != nullptr; }

bool AddBitmapTagsToTiff(std::vector<uint8_t>& tiff, FIBITMAP* dib) {
  if (tiff.size() < 8 || tiff[0] != 'I' || tiff[1] != 'I' || Get16(&tiff[2]) != 42) return false;
  std::vector<Entry> entries;
  uint32_t next = 0;
  if (!ReadKeptEntries(tiff, Get32(&tiff[4]), entries, next)) return false;
  SortedTags sorted = SortBitmapTags(dib);
  for (Entry& e : sorted.main)
    if (!Holds(entries, e.tag)) entries.push_back(std::move(e));
  if (!sorted.exif.empty()) entries.push_back(PointerEntry(kTagExifDirectory));
  if (!sorted.gps.empty()) entries.push_back(PointerEntry(kTagGpsDirectory));

  if (entries.size() > 0xFFFF) return false;
  std::vector<std::pair<uint16_t, size_t>> fields;
  size_t nextLink = 0;
  const uint32_t at = WriteDirectory(tiff, std::move(entries), fields, nextLink);
  Set32(&tiff[nextLink], next);
  WriteSubDirectory(tiff, sorted.exif, FieldOf(fields, kTagExifDirectory));
  WriteSubDirectory(tiff, sorted.gps, FieldOf(fields, kTagGpsDirectory));
  if (tiff.size() > 0xFFFFFFFFull) return false;
  Set32(&tiff[4], at);
  return true;
}

}  // namespace vximgplug
