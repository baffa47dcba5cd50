// Feeds arbitrary bytes to the platform's metadata parsers: as an EXIF block (a TIFF structure of
// directories, as JPEG files carry it) read into property items, whose values are turned into
// text, bounded by the property budget and written back as an EXIF block that is read again and
// checked (every directory and value inside the block, no two of them overlapping, the maker
// note's bytes as they were where it kept its place and only its pointers moved where it moved);
// through the structure screens that run before libtiff and libpng see a file; and as the raw value of
// an item of a tag and type the first bytes choose (XMP packets and IPTC records reach the
// engine as such values).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <set>
#include <vector>

#include "engine/metadata/property_text.h"
#include "platform/gdiplus/codecs/byte_order.h"
#include "platform/gdiplus/codecs/decode_limits.h"
#include "platform/gdiplus/codecs/exif/ifd_properties.h"
#include "platform/gdiplus/codecs/exif/ifd_writer.h"
#include "platform/gdiplus/codecs/exif/kept_exif_block.h"
#include "platform/gdiplus/codecs/memory_read.h"
#include "platform/gdiplus/codecs/png/png_data_census.h"
#include "platform/gdiplus/codecs/tiff/tiff_directory_census.h"
#include "platform/gdiplus/property_budget.h"

using namespace vx::gdiplus;

namespace {

constexpr uint64_t kFuzzDecodeBudget = uint64_t{8} << 20;

int32_t ValueCount(const PropertyRecord& item) {
  const size_t element = codecs::PropertyElementSize(item.type);
  if (item.type == 2) return 1;
  return element == 0 ? 0 : static_cast<int32_t>(item.value.size() / element);
}

void UseItems(std::vector<PropertyRecord>& items) {
  for (const PropertyRecord& item : items)
    vx::engine::PropertyValueToString(item.id, item.type, static_cast<int32_t>(item.value.size()), ValueCount(item),
                                      item.value);
  KeepPropertiesWithinBudget(items);
}

std::vector<PropertyRecord> ReadExifBlock(codecs::Bytes bytes) {
  std::vector<PropertyRecord> items;
  codecs::TiffLayout layout;
  if (!codecs::ParseTiffHeader(bytes, layout)) return items;
  codecs::DecodeBudget budget;
  codecs::ReadIfdProperties(layout, layout.firstIfd, budget, items);
  codecs::ReadExifThumbnail(layout, budget, items);
  codecs::KeepExifBlock(layout, budget, items);
  return items;
}

void Require(bool holds) {
  if (!holds) std::abort();
}

// Every range a written block uses: its header, its directories and the values that lie outside
// their entries. The writer lays them out one after another, so none may overlap another.
class WrittenLayout {
 public:
  explicit WrittenLayout(const std::vector<uint8_t>& block) : block_(block) {
    Require(block.size() >= 8 && block[0] == 'I' && block[1] == 'I' && codecs::Get16LE(&block[2]) == 42);
    Use(0, 8);
  }

  // The directory at `offset`; its pointer tags lead to the directories they name.
  void Directory(uint32_t offset, int depth) {
    constexpr uint16_t kExif = 0x8769, kGps = 0x8825, kInterop = 0xA005, kMakerNote = 0x927C;
    constexpr uint16_t kThumbnailOffset = 0x0201, kThumbnailLength = 0x0202;
    Require(depth <= 2 && codecs::InBounds(block_.size(), offset, 2));
    const uint16_t count = codecs::Get16LE(&block_[offset]);
    Use(offset, 2 + 12 * uint64_t{count} + 4);
    uint32_t thumbnailAt = 0, thumbnailBytes = 0;
    for (uint16_t i = 0; i < count; ++i) {
      const uint8_t* entry = &block_[offset + 2 + 12 * size_t{i}];
      const uint16_t tag = codecs::Get16LE(entry);
      const uint64_t bytes = uint64_t{codecs::Get32LE(entry + 4)} * codecs::ifd::ElementSize(codecs::Get16LE(entry + 2));
      Require(codecs::ifd::ElementSize(codecs::Get16LE(entry + 2)) != 0);
      const uint32_t field = codecs::Get32LE(entry + 8);
      if (bytes > 4) Use(field, bytes);
      if (tag == kMakerNote && bytes > 4) note_ = {field, static_cast<uint32_t>(bytes)};
      if ((tag == kExif || tag == kGps || (tag == kInterop && depth == 1)) && depth < 2) Directory(field, depth + 1);
      if (depth == 0 && offset != first_ && tag == kThumbnailOffset) thumbnailAt = field;
      if (depth == 0 && offset != first_ && tag == kThumbnailLength) thumbnailBytes = field;
    }
    if (thumbnailBytes != 0) Use(thumbnailAt, thumbnailBytes);
    const uint32_t next = codecs::Get32LE(&block_[offset + 2 + 12 * size_t{count}]);
    if (depth == 0 && offset == first_ && next != 0) Directory(next, 0);
  }

  void Walk() {
    first_ = codecs::Get32LE(&block_[4]);
    Directory(first_, 0);
  }

  std::optional<std::pair<uint32_t, uint32_t>> Note() const { return note_; }

 private:
  void Use(uint64_t at, uint64_t bytes) {
    Require(codecs::InBounds(block_.size(), at, bytes));
    for (const auto& [start, end] : used_) Require(at + bytes <= start || at >= end);
    used_.insert({at, at + bytes});
  }

  const std::vector<uint8_t>& block_;
  std::set<std::pair<uint64_t, uint64_t>> used_;
  uint32_t first_ = 0;
  std::optional<std::pair<uint32_t, uint32_t>> note_;
};

const PropertyRecord* Item(const std::vector<PropertyRecord>& items, PROPID id) {
  const auto found = std::find_if(items.begin(), items.end(), [id](const PropertyRecord& r) { return r.id == id; });
  return found == items.end() ? nullptr : &*found;
}

// A note that kept its place holds the bytes it was read with; one that moved differs only in
// 4-byte fields that all moved by as much as the note did (its pointers, and a Canon footer).
void CheckMakerNote(const std::vector<PropertyRecord>& items, const std::vector<uint8_t>& block, uint32_t at) {
  const PropertyRecord* note = Item(items, 0x927C);
  Require(note != nullptr && codecs::InBounds(block.size(), at, note->value.size()));
  const uint8_t* written = &block[at];
  std::optional<std::set<int64_t>> shifts;  // the moves that explain every changed byte so far
  for (size_t i = 0; i < note->value.size(); ++i) {
    if (written[i] == note->value[i]) continue;
    std::set<int64_t> here;
    for (size_t w = i >= 3 ? i - 3 : 0; w <= i && w + 4 <= note->value.size(); ++w)
      for (bool big : {false, true})
        here.insert(int64_t{codecs::Get32(written + w, big)} - int64_t{codecs::Get32(&note->value[w], big)});
    if (shifts) std::erase_if(here, [&](int64_t shift) { return shifts->count(shift) == 0; });
    shifts = std::move(here);
    Require(!shifts->empty());
  }
}

void CheckWritten(const std::vector<PropertyRecord>& items, const std::vector<uint8_t>& written, codecs::Bytes input) {
  if (written.empty() || std::equal(written.begin(), written.end(), input.begin(), input.end())) return;
  WrittenLayout layout(written);
  layout.Walk();
  if (const auto note = layout.Note()) CheckMakerNote(items, written, note->first);
}

void Censuses(codecs::Bytes bytes) {
  codecs::CountSoundTiffDirectories(codecs::MemoryRead(bytes), 4096);
  codecs::PngDataCanHoldItsRows(codecs::MemoryRead(bytes), bytes.size());
}

void RawItem(codecs::Bytes bytes) {
  if (bytes.size() < 4) return;
  const uint32_t tag = bytes[0] | bytes[1] << 8;
  const uint16_t type = bytes[2] % 13;
  PropertyRecord item{tag, type, std::vector<uint8_t>(bytes.begin() + 4, bytes.end())};
  std::vector<PropertyRecord> items{item};
  UseItems(items);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  codecs::SetDecodeMemoryBudget(kFuzzDecodeBudget);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const codecs::Bytes bytes(data, size);
  Censuses(bytes);
  std::vector<PropertyRecord> items = ReadExifBlock(bytes);
  UseItems(items);
  const std::vector<uint8_t> written = codecs::BuildExifBlock(items, 65527);
  CheckWritten(items, written, bytes);
  std::erase_if(items, [](const PropertyRecord& r) { return r.id == codecs::ifd::kExifBlockItem; });
  const std::vector<uint8_t> rebuilt = codecs::BuildExifBlock(items, 65527);
  CheckWritten(items, rebuilt, bytes);
  std::vector<PropertyRecord> again = ReadExifBlock(written);
  UseItems(again);
  RawItem(bytes);
  return 0;
}
