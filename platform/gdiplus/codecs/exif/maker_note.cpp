#include "platform/gdiplus/codecs/exif/maker_note.h"

#include <algorithm>
#include <functional>

#include "platform/gdiplus/codecs/byte_order.h"
#include "platform/gdiplus/codecs/exif/ifd_writer.h"

namespace vx::gdiplus::codecs::ifd {
namespace {

constexpr uint16_t kMaxNoteEntries = 512;
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

// Every pointer of a note that counts from the TIFF header: those of its directory, and those of
// the directories it points at (an entry of type IFD or a LONG that lands on a directory inside
// the note, however short, or UNDEFINED bytes inside the note that hold one), and theirs.
struct NestedPointers {
  static constexpr int kMaxDepth = 3;
  const std::vector<uint8_t>& note;
  bool bigEndian;
  uint32_t origin;
  std::vector<size_t> fields;
  std::vector<size_t> visited;

  // Where in the note the directory an entry points at lies, when it does.
  std::optional<size_t> SubDirectoryAt(const uint8_t* entry) const {
    constexpr uint16_t kTypeUndefined = 7, kTypeLong = 4, kTypeIfd = 13;
    const uint16_t type = Get16(entry + 2, bigEndian);
    const uint64_t bytes = uint64_t{Get32(entry + 4, bigEndian)} * ElementSize(type);
    const bool pointer = bytes == 4 && (type == kTypeIfd || type == kTypeLong);
    if (!pointer && !(type == kTypeUndefined && bytes > 4)) return std::nullopt;
    const int64_t at = int64_t{Get32(entry + 8, bigEndian)} - origin;
    if (at <= 0 || (!pointer && !InBounds(note.size(), static_cast<uint64_t>(at), bytes))) return std::nullopt;
    if (!PlausibleDirectory(note, static_cast<size_t>(at), bigEndian)) return std::nullopt;
    return static_cast<size_t>(at);
  }

  void Collect(const NoteDirectory& d, int depth) {
    if (depth > kMaxDepth || std::find(visited.begin(), visited.end(), d.at) != visited.end()) return;
    visited.push_back(d.at);
    const std::vector<size_t> own = PointerFields(note, d);
    fields.insert(fields.end(), own.begin(), own.end());
    for (uint16_t i = 0; i < d.count; ++i) {
      const uint8_t* entry = &note[d.at + 2 + kEntryBytes * i];
      const std::optional<size_t> at = SubDirectoryAt(entry);
      if (!at) continue;
      fields.push_back(d.at + 2 + kEntryBytes * i + 8);  // once, as the unique below keeps it
      Collect(NoteDirectory{*at, bigEndian, Get16(&note[*at], bigEndian)}, depth + 1);
    }
    std::sort(fields.begin(), fields.end());
    fields.erase(std::unique(fields.begin(), fields.end()), fields.end());
  }
};

// Canon notes end with a TIFF-like footer that records where the note stood when its pointers
// were right: readers that honour it count them from there, so it moves with them.
void MoveFooter(std::vector<uint8_t>& note, int64_t shift) {
  constexpr size_t kFooterBytes = 8;
  if (note.size() < kFooterBytes) return;
  uint8_t* footer = &note[note.size() - kFooterBytes];
  const bool little = footer[0] == 'I' && footer[1] == 'I' && footer[2] == 42 && footer[3] == 0;
  const bool big = footer[0] == 'M' && footer[1] == 'M' && footer[2] == 0 && footer[3] == 42;
  const int64_t moved = int64_t{Get32(footer + 4, big)} + shift;
  if ((little || big) && moved >= 0 && moved <= int64_t{UINT32_MAX}) Set32(footer + 4, static_cast<uint32_t>(moved), big);
}

}  // namespace

std::optional<uint32_t> MakerNoteOrigin(const std::vector<uint8_t>& note, std::optional<uint32_t> recorded) {
  const std::optional<NoteDirectory> d = FindDirectory(note);
  if (!d) return std::nullopt;
  const std::vector<size_t> fields = PointerFields(note, *d);
  const std::optional<uint32_t> guessed = Origin(note, *d, fields);
  if (!recorded) return guessed;
  // A recorded place is a claim (a host may set it): it stands only where it puts as many values
  // inside the note as the place its pointers tell, and more than counting from the note does.
  const size_t atRecorded = ValuesInside(note, *d, fields, *recorded);
  const bool fits = atRecorded > ValuesInside(note, *d, fields, 0) &&
                    (!guessed || atRecorded >= ValuesInside(note, *d, fields, *guessed));
  return fits ? recorded : guessed;
}

std::vector<uint8_t> MakerNoteMoved(const std::vector<uint8_t>& note, uint32_t origin, uint32_t offset) {
  const std::optional<NoteDirectory> d = FindDirectory(note);
  if (!d || origin == offset) return note;
  const int64_t shift = int64_t{offset} - int64_t{origin};
  std::vector<uint8_t> moved = note;
  NestedPointers nested{note, d->bigEndian, origin, {}, {}};
  nested.Collect(*d, 0);
  for (size_t field : nested.fields) {
    const int64_t pointer = int64_t{Get32(&note[field], d->bigEndian)} + shift;
    if (pointer < 0 || pointer > int64_t{UINT32_MAX}) return note;
    Set32(&moved[field], static_cast<uint32_t>(pointer), d->bigEndian);
  }
  MoveFooter(moved, shift);
  return moved;
}

}  // namespace vx::gdiplus::codecs::ifd
