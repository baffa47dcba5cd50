#include "platform/gdiplus/codecs/exif/maker_note.h"

#include <algorithm>
#include <functional>

#include "platform/gdiplus/codecs/byte_order.h"
#include "platform/gdiplus/codecs/exif/ifd_writer.h"

namespace vx::gdiplus::codecs::ifd {
namespace {

constexpr uint16_t kMaxNoteEntries = 512;
constexpr size_t kEntryBytes = 12;
constexpr size_t kNextLinkBytes = 4;
// Where makers put the directory behind their signatures ("Panasonic\0\0\0", "SANYO\0\1\0", a
// TIFF header of the note's own …); 0 for those that begin with it.
constexpr size_t kDirectoryStarts[] = {0, 6, 8, 10, 12, 14, 16, 18};

struct NoteDirectory {
  size_t at = 0;
  bool bigEndian = false;
  uint16_t count = 0;
};

bool PlausibleDirectory(const std::vector<uint8_t>& note, size_t at, bool bigEndian) {
  if (!InBounds(note.size(), at, 2)) return false;
  const uint16_t count = Get16(&note[at], bigEndian);
  if (count < 2 || count > kMaxNoteEntries || !InBounds(note.size(), at + 2, kEntryBytes * count)) return false;
  for (uint16_t i = 0; i < count; ++i)
    if (ElementSize(Get16(&note[at + 2 + kEntryBytes * i + 2], bigEndian)) == 0) return false;
  return true;
}

std::optional<NoteDirectory> FindDirectory(const std::vector<uint8_t>& note) {
  for (size_t at : kDirectoryStarts)
    for (bool bigEndian : {false, true})
      if (PlausibleDirectory(note, at, bigEndian)) return NoteDirectory{at, bigEndian, Get16(&note[at], bigEndian)};
  return std::nullopt;
}

// Positions in the note of the value fields of entries whose values lie outside the entry.
std::vector<size_t> PointerFields(const std::vector<uint8_t>& note, const NoteDirectory& d) {
  std::vector<size_t> fields;
  for (uint16_t i = 0; i < d.count; ++i) {
    const uint8_t* entry = &note[d.at + 2 + kEntryBytes * i];
    const uint64_t bytes = uint64_t{Get32(entry + 4, d.bigEndian)} * ElementSize(Get16(entry + 2, d.bigEndian));
    if (bytes > 4) fields.push_back(d.at + 2 + kEntryBytes * i + 8);
  }
  return fields;
}

uint64_t ValueBytes(const std::vector<uint8_t>& note, const NoteDirectory& d, size_t field) {
  const uint8_t* entry = &note[field - 8];
  return uint64_t{Get32(entry + 4, d.bigEndian)} * ElementSize(Get16(entry + 2, d.bigEndian));
}

// How many values lie wholly inside the note when it stands at `origin`.
size_t ValuesInside(const std::vector<uint8_t>& note, const NoteDirectory& d, const std::vector<size_t>& fields,
                    int64_t origin) {
  size_t inside = 0;
  for (size_t field : fields) {
    const int64_t at = int64_t{Get32(&note[field], d.bigEndian)} - origin;
    if (at >= 0 && uint64_t(at) + ValueBytes(note, d, field) <= note.size()) ++inside;
  }
  return inside;
}

// Places the note could have stood at: where its last values end with it (a value may point
// into the rest of the file, such as a preview image after the segment), and where its first
// value follows its directory, with or without the link to a next one.
std::vector<int64_t> CandidateOrigins(const std::vector<uint8_t>& note, const NoteDirectory& d,
                                      const std::vector<size_t>& fields) {
  constexpr size_t kEndsTried = 3;
  std::vector<int64_t> ends;
  int64_t lowest = INT64_MAX;
  for (size_t field : fields) {
    const int64_t offset = Get32(&note[field], d.bigEndian);
    ends.push_back(offset + static_cast<int64_t>(ValueBytes(note, d, field)));
    lowest = std::min(lowest, offset);
  }
  std::sort(ends.begin(), ends.end(), std::greater<>());
  ends.erase(std::unique(ends.begin(), ends.end()), ends.end());
  std::vector<int64_t> origins;
  for (size_t i = 0; i < ends.size() && i < kEndsTried; ++i) origins.push_back(ends[i] - static_cast<int64_t>(note.size()));
  const int64_t directoryEnd = static_cast<int64_t>(d.at + 2 + kEntryBytes * d.count);
  origins.push_back(lowest - directoryEnd - static_cast<int64_t>(kNextLinkBytes));
  origins.push_back(lowest - directoryEnd);
  return origins;
}

// The origin that puts the most values inside the note; none when counting from the note itself
// does as well, or when it leaves most of them outside.
std::optional<uint32_t> Origin(const std::vector<uint8_t>& note, const NoteDirectory& d,
                               const std::vector<size_t>& fields) {
  if (fields.empty()) return std::nullopt;
  int64_t best = 0;
  size_t bestInside = 0;
  for (int64_t origin : CandidateOrigins(note, d, fields)) {
    if (origin <= 0 || origin > int64_t{UINT32_MAX}) continue;
    const size_t inside = ValuesInside(note, d, fields, origin);
    if (inside > bestInside) best = origin, bestInside = inside;
  }
  if (bestInside <= ValuesInside(note, d, fields, 0) || bestInside * 2 < fields.size()) return std::nullopt;
  return static_cast<uint32_t>(best);
}

void Set32(uint8_t* p, uint32_t v, bool bigEndian) {
  for (int i = 0; i < 4; ++i) p[bigEndian ? 3 - i : i] = static_cast<uint8_t>(v >> (8 * i));
}

}  // namespace

std::optional<uint32_t> MakerNoteOrigin(const std::vector<uint8_t>& note, std::optional<uint32_t> recorded) {
  const std::optional<NoteDirectory> d = FindDirectory(note);
  if (!d) return std::nullopt;
  const std::vector<size_t> fields = PointerFields(note, *d);
  if (!recorded) return Origin(note, *d, fields);
  if (ValuesInside(note, *d, fields, *recorded) <= ValuesInside(note, *d, fields, 0)) return std::nullopt;
  return recorded;
}

std::vector<uint8_t> MakerNoteMoved(const std::vector<uint8_t>& note, uint32_t origin, uint32_t offset) {
  const std::optional<NoteDirectory> d = FindDirectory(note);
  if (!d || origin == offset) return note;
  const int64_t shift = int64_t{offset} - int64_t{origin};
  std::vector<uint8_t> moved = note;
  for (size_t field : PointerFields(note, *d)) {
    const int64_t pointer = int64_t{Get32(&note[field], d->bigEndian)} + shift;
    if (pointer < 0 || pointer > int64_t{UINT32_MAX}) return note;
    Set32(&moved[field], static_cast<uint32_t>(pointer), d->bigEndian);
  }
  return moved;
}

}  // namespace vx::gdiplus::codecs::ifd
