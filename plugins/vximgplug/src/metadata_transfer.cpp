#include "metadata_transfer.h"

#include <cstdint>
#include <cstring>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "fault_guard.h"

namespace vximgplug {
namespace {

constexpr uint64_t kMaxMetadataBytes = uint64_t{64} << 20;
constexpr uint32_t kMaxTags = 1u << 20;
constexpr uint32_t kEndOfTags = 0xFFFFFFFFu;
constexpr int kLastModel = FIMD_EXIF_RAW;

struct TagRecord {
  uint32_t model;
  uint32_t id;
  uint32_t type;
  uint32_t count;
  uint32_t length;
  uint32_t keyBytes;
  uint32_t descriptionBytes;
};

struct SearchCloser {
  void operator()(FIMETADATA* search) const { FreeImage_FindCloseMetadata(search); }
};

struct TagDeleter {
  void operator()(FITAG* tag) const { FreeImage_DeleteTag(tag); }
};

// FreeImage keeps only tags whose value length is count times the width of their type.
bool LengthMatchesType(uint32_t type, uint32_t count, uint32_t length) {
  // Bytes per value of each FREE_IMAGE_MDTYPE, as FreeImage counts them (15 is unassigned).
  static constexpr uint8_t kWidth[] = {0, 1, 1, 2, 4, 8, 1, 1, 2, 4, 8, 4, 8, 4, 4, 0, 8, 8, 8};
  static_assert(std::size(kWidth) == FIDT_IFD8 + 1);
  if (type > FIDT_IFD8) return false;
  return uint64_t{count} * kWidth[type] == length;
}

uint64_t RecordBytes(const TagRecord& r) { return sizeof r + uint64_t{r.keyBytes} + r.descriptionBytes + r.length; }

// Tracks what one bitmap's metadata costs against the bounds.
class Budget {
 public:
  bool Take(const TagRecord& r) {
    if (tags_ >= kMaxTags || RecordBytes(r) > kMaxMetadataBytes - bytes_) return false;
    bytes_ += RecordBytes(r);
    ++tags_;
    return true;
  }

 private:
  uint64_t bytes_ = 0;
  uint32_t tags_ = 0;
};

// One tag copied out of FreeImage's memory, ready to be written whole.
struct TagCopy {
  TagRecord record{};
  std::vector<char> bytes;  // key, description, value
};

bool ReadTagFields(TagReading reading, const std::function<void()>& read) {
  if (reading == TagReading::kGuarded) return ReadWithoutFault(read);
  read();
  return true;
}

// The tag's fields, read under a fault guard when asked: a tag left with dangling pointers is skipped.
bool CopyTag(uint32_t model, FITAG* tag, TagReading reading, Budget& budget, TagCopy& copy) {
  const char* key = nullptr;
  const char* description = nullptr;
  const void* value = nullptr;
  TagRecord& r = copy.record;
  const bool read = ReadTagFields(reading, [&] {
    key = FreeImage_GetTagKey(tag);
    description = FreeImage_GetTagDescription(tag);
    value = FreeImage_GetTagValue(tag);
    r = TagRecord{model, FreeImage_GetTagID(tag), static_cast<uint32_t>(FreeImage_GetTagType(tag)),
                  FreeImage_GetTagCount(tag), FreeImage_GetTagLength(tag), 0, 0};
    r.keyBytes = key ? static_cast<uint32_t>(strnlen(key, kMaxMetadataBytes)) : 0;
    r.descriptionBytes = description ? static_cast<uint32_t>(strnlen(description, kMaxMetadataBytes)) : 0;
  });
  if (!read || !r.keyBytes || (r.length && !value) || !LengthMatchesType(r.type, r.count, r.length)) return false;
  if (!budget.Take(r)) return false;
  copy.bytes.resize(uint64_t{r.keyBytes} + r.descriptionBytes + r.length);
  return ReadTagFields(reading, [&] {
    char* out = copy.bytes.data();
    std::memcpy(out, key, r.keyBytes);
    if (r.descriptionBytes) std::memcpy(out + r.keyBytes, description, r.descriptionBytes);
    if (r.length) std::memcpy(out + r.keyBytes + r.descriptionBytes, value, r.length);
  });
}

// Tags that cannot be read or exceed the bounds are left behind; only a failed write fails.
bool WriteTag(int fd, uint32_t model, FITAG* tag, TagReading reading, Budget& budget) {
  TagCopy copy;
  if (!CopyTag(model, tag, reading, budget, copy)) return true;
  return WriteAll(fd, &copy.record, sizeof copy.record) && WriteAll(fd, copy.bytes.data(), copy.bytes.size());
}

// Reads every byte a tag points to; false when that faults.
bool TagReadable(FITAG* tag) {
  return ReadWithoutFault([&] {
    volatile size_t sink = 0;
    if (const char* key = FreeImage_GetTagKey(tag)) sink = sink + strnlen(key, kMaxMetadataBytes);
    if (const char* text = FreeImage_GetTagDescription(tag)) sink = sink + strnlen(text, kMaxMetadataBytes);
    const auto* value = static_cast<const volatile uint8_t*>(FreeImage_GetTagValue(tag));
    const uint32_t length = FreeImage_GetTagLength(tag);
    for (uint32_t i = 0; value && i < length; ++i) sink = sink + value[i];
  });
}

bool WriteModel(int fd, uint32_t model, FIBITMAP* dib, TagReading reading, Budget& budget) {
  FITAG* tag = nullptr;
  std::unique_ptr<FIMETADATA, SearchCloser> search(
      FreeImage_FindFirstMetadata(static_cast<FREE_IMAGE_MDMODEL>(model), dib, &tag));
  if (!search) return true;
  do {
    if (tag && !WriteTag(fd, model, tag, reading, budget)) return false;
  } while (FreeImage_FindNextMetadata(search.get(), &tag));
  return true;
}

bool ReadText(int fd, uint32_t bytes, Deadline deadline, std::string& text) {
  text.assign(bytes, '\0');
  return ReadAll(fd, text.data(), bytes, deadline);
}

bool ReadTag(int fd, const TagRecord& r, Deadline deadline, FIBITMAP* dib) {
  std::string key, description;
  std::vector<uint8_t> value(r.length);
  if (!ReadText(fd, r.keyBytes, deadline, key) || !ReadText(fd, r.descriptionBytes, deadline, description) ||
      !ReadAll(fd, value.data(), value.size(), deadline))
    return false;
  std::unique_ptr<FITAG, TagDeleter> tag(FreeImage_CreateTag());
  if (!tag) return false;
  bool ok = FreeImage_SetTagKey(tag.get(), key.c_str()) && FreeImage_SetTagID(tag.get(), static_cast<WORD>(r.id)) &&
            FreeImage_SetTagType(tag.get(), static_cast<FREE_IMAGE_MDTYPE>(r.type)) &&
            FreeImage_SetTagCount(tag.get(), r.count) && FreeImage_SetTagLength(tag.get(), r.length);
  if (ok && !description.empty()) ok = FreeImage_SetTagDescription(tag.get(), description.c_str());
  if (ok && r.length) ok = FreeImage_SetTagValue(tag.get(), value.data());
  return ok && FreeImage_SetMetadata(static_cast<FREE_IMAGE_MDMODEL>(r.model), dib, key.c_str(), tag.get());
}

bool RecordAcceptable(const TagRecord& r) {
  return r.model <= static_cast<uint32_t>(kLastModel) && r.id <= 0xFFFF && r.keyBytes > 0 &&
         LengthMatchesType(r.type, r.count, r.length);
}

}  // namespace

bool WriteMetadata(int fd, FIBITMAP* dib, TagReading reading) {
  Budget budget;
  for (uint32_t model = 0; model <= static_cast<uint32_t>(kLastModel); ++model) {
    if (!WriteModel(fd, model, dib, reading, budget)) return false;
  }
  const TagRecord end{kEndOfTags, 0, 0, 0, 0, 0, 0};
  return WriteAll(fd, &end, sizeof end);
}

bool EveryTagReadable(FIBITMAP* dib) {
  for (int model = 0; model <= kLastModel; ++model) {
    FITAG* tag = nullptr;
    std::unique_ptr<FIMETADATA, SearchCloser> search(
        FreeImage_FindFirstMetadata(static_cast<FREE_IMAGE_MDMODEL>(model), dib, &tag));
    if (!search) continue;
    do {
      if (tag && !TagReadable(tag)) return false;
    } while (FreeImage_FindNextMetadata(search.get(), &tag));
  }
  return true;
}

bool ReadMetadata(int fd, Deadline deadline, FIBITMAP* dib) {
  Budget budget;
  for (;;) {
    TagRecord r{};
    if (!ReadAll(fd, &r, sizeof r, deadline)) return false;
    if (r.model == kEndOfTags) return true;
    if (!RecordAcceptable(r) || !budget.Take(r)) return false;
    if (!ReadTag(fd, r, deadline, dib)) return false;
  }
}

}  // namespace vximgplug
