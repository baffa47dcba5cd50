#include "platform/gdiplus/codecs/tiff/tiff_profile_tag.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <set>
#include <vector>

#include "platform/gdiplus/image_io_file.h"
#include "platform/input_limits.h"
#include "platform/kernel/regular_file.h"

namespace vx::gdiplus::codecs {

namespace {

constexpr uint16_t kProfileTag = 34675;
constexpr uint16_t kUndefinedType = 7;
constexpr size_t kEntryBytes = 12;

struct FileCloser {
  void operator()(FILE* file) const { std::fclose(file); }
};

// Reads and writes numbers in the file's byte order.
class ByteOrder {
 public:
  explicit ByteOrder(bool bigEndian) : big_(bigEndian) {}
  uint32_t Get(const std::vector<uint8_t>& b, size_t at, int width) const {
    uint32_t v = 0;
    for (int i = 0; i < width; ++i) v |= uint32_t{b[at + static_cast<size_t>(i)]} << (8 * (big_ ? width - 1 - i : i));
    return v;
  }
  void Put(std::vector<uint8_t>& b, size_t at, uint32_t v, int width) const {
    for (int i = 0; i < width; ++i) b[at + static_cast<size_t>(i)] = static_cast<uint8_t>(v >> (8 * (big_ ? width - 1 - i : i)));
  }

 private:
  bool big_;
};

struct Directory {
  std::vector<std::vector<uint8_t>> entries;  // raw 12-byte entries, in file order
  bool hasProfile = false;
};

// The directories of the chain; false when one lies outside the file, loops or is too long.
bool ReadDirectories(const std::vector<uint8_t>& file, const ByteOrder& order, std::vector<Directory>& out) {
  std::set<uint32_t> seen;
  for (uint32_t at = order.Get(file, 4, 4); at != 0; at = order.Get(file, at + 2 + out.back().entries.size() * kEntryBytes, 4)) {
    if (at + 2 > file.size() || !seen.insert(at).second || out.size() >= limits::kMaxDocumentPages) return false;
    const uint32_t count = order.Get(file, at, 2);
    if (at + 2 + size_t{count} * kEntryBytes + 4 > file.size()) return false;
    Directory d;
    for (uint32_t i = 0; i < count; ++i) {
      const size_t entry = at + 2 + size_t{i} * kEntryBytes;
      d.entries.emplace_back(file.begin() + static_cast<ptrdiff_t>(entry), file.begin() + static_cast<ptrdiff_t>(entry + kEntryBytes));
      d.hasProfile = d.hasProfile || order.Get(file, entry, 2) == kProfileTag;
    }
    out.push_back(std::move(d));
  }
  return !out.empty();
}

void AlignToWord(std::vector<uint8_t>& file) {
  if (file.size() % 2) file.push_back(0);
}

}  // namespace

bool IsTiffFile(const std::string& path) {
  std::unique_ptr<FILE, FileCloser> file(kernel::OpenRegularFileStream(path.c_str()));
  uint8_t header[4] = {};
  if (!file || std::fread(header, 1, 4, file.get()) != 4) return false;
  return (header[0] == 'I' && header[1] == 'I' && header[2] == 42 && header[3] == 0) ||
         (header[0] == 'M' && header[1] == 'M' && header[2] == 0 && header[3] == 42);
}

Status RewriteTiffProfile(const std::string& path, std::span<const uint8_t> profile) {
  if (!IsTiffFile(path)) return UnknownImageFormat;
  std::vector<uint8_t> file;
  if (ReadWholeFileBounded(path, file) != Ok || file.size() < 8) return UnknownImageFormat;
  const ByteOrder order(file[0] == 'M');
  std::vector<Directory> pages;
  if (!ReadDirectories(file, order, pages)) return UnknownImageFormat;
  const bool adding = !profile.empty();
  if (!adding && std::none_of(pages.begin(), pages.end(), [](const Directory& d) { return d.hasProfile; }))
    return ProfileNotFound;
  // Every offset of the grown file must still fit the format's 32 bits.
  uint64_t grown = file.size() + profile.size() + 1;
  for (const Directory& page : pages) grown += 2 + (page.entries.size() + 1) * kEntryBytes + 4 + 1;
  if (grown > 0xFFFFFFFFu) return OutOfMemory;

  uint32_t profileAt = 0;
  if (adding) {
    AlignToWord(file);
    profileAt = static_cast<uint32_t>(file.size());
    file.insert(file.end(), profile.begin(), profile.end());
  }
  size_t link = 4;  // where the offset of the next directory is kept
  for (const Directory& page : pages) {
    std::vector<std::vector<uint8_t>> entries;
    for (const auto& e : page.entries)
      if (order.Get(e, 0, 2) != kProfileTag) entries.push_back(e);
    if (adding) {
      std::vector<uint8_t> e(kEntryBytes);
      order.Put(e, 0, kProfileTag, 2);
      order.Put(e, 2, kUndefinedType, 2);
      order.Put(e, 4, static_cast<uint32_t>(profile.size()), 4);
      order.Put(e, 8, profileAt, 4);
      // Entries are kept in ascending tag order.
      auto at = entries.begin();
      while (at != entries.end() && order.Get(*at, 0, 2) < kProfileTag) ++at;
      entries.insert(at, std::move(e));
    }
    AlignToWord(file);
    const auto start = static_cast<uint32_t>(file.size());
    order.Put(file, link, start, 4);
    file.resize(file.size() + 2 + entries.size() * kEntryBytes + 4, 0);
    order.Put(file, start, static_cast<uint32_t>(entries.size()), 2);
    for (size_t i = 0; i < entries.size(); ++i)
      std::copy(entries[i].begin(), entries[i].end(), file.begin() + static_cast<ptrdiff_t>(start + 2 + i * kEntryBytes));
    link = start + 2 + entries.size() * kEntryBytes;  // the last page's stays 0
  }
  return ReplaceFileAtomically(path.c_str(), file);
}

}  // namespace vx::gdiplus::codecs
