// How many of a TIFF file's directories libtiff may be given. libtiff merges the fields of a
// directory in time that grows with the square of its entries (a 48 KB file of 4000 private tags
// keeps it busy for a minute and takes gigabytes), so the directory chain is walked here first,
// reading only entry counts and the EXIF and GPS pointers, and a directory with more entries
// than the input limits allow ends the file's readable pages. Header-only and free of libtiff, so
// the format plug-in screens files the same way the platform reader does.
#pragma once
#include <cstddef>
#include <cstdint>

#include "platform/input_limits.h"

namespace vx::gdiplus::codecs {

namespace tiff_census {

// Classic TIFF counts entries in 16 bits and points in 32; BigTIFF uses 64 bits for both.
struct Layout {
  bool bigEndian = false;
  bool bigTiff = false;
  uint64_t first = 0;
  size_t CountBytes() const { return bigTiff ? 8 : 2; }
  size_t EntryBytes() const { return bigTiff ? 20 : 12; }
  size_t OffsetBytes() const { return bigTiff ? 8 : 4; }
};

inline uint64_t Unpack(const uint8_t* p, size_t bytes, bool bigEndian) {
  uint64_t v = 0;
  for (size_t i = 0; i < bytes; ++i) v |= uint64_t{p[bigEndian ? bytes - 1 - i : i]} << (8 * i);
  return v;
}

// Reads `bytes` (at most 8) at `offset` as an unsigned integer in the file's byte order.
template <class Read>
bool ReadNumber(const Read& read, uint64_t offset, size_t bytes, bool bigEndian, uint64_t& value) {
  uint8_t buffer[8];
  if (!read(offset, buffer, bytes)) return false;
  value = Unpack(buffer, bytes, bigEndian);
  return true;
}

template <class Read>
bool ReadLayout(const Read& read, Layout& layout) {
  uint8_t header[16];
  if (!read(0, header, 8)) return false;
  if ((header[0] != 'I' || header[1] != 'I') && (header[0] != 'M' || header[1] != 'M')) return false;
  layout.bigEndian = header[0] == 'M';
  const uint64_t version = Unpack(header + 2, 2, layout.bigEndian);
  if (version == 42) {
    layout.first = Unpack(header + 4, 4, layout.bigEndian);
    return true;
  }
  if (version != 43 || !read(0, header, 16)) return false;
  layout.bigTiff = true;
  layout.first = Unpack(header + 8, 8, layout.bigEndian);
  return true;
}

constexpr uint16_t kTagExifIfd = 34665;
constexpr uint16_t kTagGpsIfd = 34853;

// The entry count of the directory at `offset`; false when it cannot be read.
template <class Read>
bool EntryCount(const Read& read, const Layout& l, uint64_t offset, uint64_t& count) {
  return ReadNumber(read, offset, l.CountBytes(), l.bigEndian, count);
}

// The EXIF and GPS directories a directory of `count` entries points to are within the cap too.
// The entries are read in one piece: a directory past the file's end is libtiff's to refuse.
template <class Read>
bool SubDirectoriesSound(const Read& read, const Layout& l, uint64_t offset, uint64_t count) {
  uint8_t entries[limits::kMaxTiffDirectoryEntries * 20];
  if (count > limits::kMaxTiffDirectoryEntries || !read(offset + l.CountBytes(), entries, count * l.EntryBytes()))
    return true;
  for (uint64_t i = 0; i < count; ++i) {
    const uint8_t* entry = entries + i * l.EntryBytes();
    const uint64_t tag = Unpack(entry, 2, l.bigEndian);
    if (tag != kTagExifIfd && tag != kTagGpsIfd) continue;
    uint64_t subCount = 0;
    const uint64_t subOffset = Unpack(entry + l.EntryBytes() - l.OffsetBytes(), l.OffsetBytes(), l.bigEndian);
    if (EntryCount(read, l, subOffset, subCount) && subCount > limits::kMaxTiffDirectoryEntries) return false;
  }
  return true;
}

}  // namespace tiff_census

// The number of leading directories, at most `maxDirectories`, that are within the entry cap:
// 0 when the first one is not (or the file is no TIFF). `read(offset, buffer, bytes)` fills
// `buffer` with the file's bytes at `offset` and answers false past its end.
template <class Read>
int64_t CountSoundTiffDirectories(const Read& read, int64_t maxDirectories) {
  using namespace tiff_census;
  Layout layout;
  if (!ReadLayout(read, layout)) return 0;
  if (layout.first == 0) return 1;  // no directory at all: libtiff refuses the file itself
  int64_t sound = 0;
  for (uint64_t offset = layout.first; offset != 0 && sound < maxDirectories; ++sound) {
    uint64_t count = 0;
    // An unreadable directory is libtiff's to refuse; the walk only bounds what it may read.
    if (!EntryCount(read, layout, offset, count)) return sound + 1;
    if (count > limits::kMaxTiffDirectoryEntries || !SubDirectoriesSound(read, layout, offset, count)) return sound;
    const uint64_t next = offset + layout.CountBytes() + count * layout.EntryBytes();
    if (!ReadNumber(read, next, layout.OffsetBytes(), layout.bigEndian, offset))
      return sound + 1;
  }
  return sound;
}

}  // namespace vx::gdiplus::codecs
