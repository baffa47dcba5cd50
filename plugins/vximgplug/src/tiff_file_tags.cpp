#include "tiff_file_tags.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/gdiplus/codecs/exif/ifd_writer.h"

namespace vximgplug {
namespace {

// Bounds on what one page's directories may make the reader hold.
constexpr uint16_t kMaxEntriesPerDirectory = 4096;
constexpr uint64_t kMaxTagBytes = uint64_t{64} << 20;

constexpr uint16_t kTagXResolution = 282;
constexpr uint16_t kTagYResolution = 283;
constexpr uint16_t kTagResolutionUnit = 296;
constexpr uint16_t kTagExifDirectory = 34665;
constexpr uint16_t kTagGpsDirectory = 34853;
constexpr uint16_t kUnitNone = 1;
constexpr uint16_t kUnitCentimetre = 3;

struct FileTag {
  uint16_t id = 0;
  uint16_t type = 0;
  uint32_t count = 0;
  std::vector<uint8_t> value;  // little-endian, as FreeImage and property items hold values
  uint32_t storedAt = 0;       // where a value that lies outside its entry starts in the structure
};

struct FileCloser {
  void operator()(FILE* f) const { std::fclose(f); }
};

// Bytes per value of each TIFF field type (1 BYTE .. 13 IFD); 0 for a type classic TIFF lacks.
size_t ElementSize(uint16_t type) {
  static constexpr uint8_t kSize[] = {0, 1, 1, 2, 4, 8, 1, 1, 2, 4, 8, 4, 8, 4};
  return type < std::size(kSize) ? kSize[type] : 0;
}

// Rationals are two 32-bit halves, each turned on its own.
size_t SwapUnit(uint16_t type) { return type == FIDT_RATIONAL || type == FIDT_SRATIONAL ? 4 : ElementSize(type); }

// A TIFF structure in a file, or in memory (a JPEG's EXIF block).
class TiffFile {
 public:
  explicit TiffFile(const std::string& path) : file_(std::fopen(path.c_str(), "rb")) {
    if (!file_ || std::fseek(file_.get(), 0, SEEK_END) != 0) return;
    const long end = std::ftell(file_.get());
    size_ = end > 0 ? static_cast<uint64_t>(end) : 0;
  }
  explicit TiffFile(const std::vector<uint8_t>& bytes) : memory_(&bytes), size_(bytes.size()) {}

  // A classic TIFF header; BigTIFF and anything else are left to FreeImage.
  bool ReadHeader(uint64_t& firstDirectory) {
    uint8_t header[8];
    if (!ReadAt(0, header, sizeof header)) return false;
    if (header[0] != header[1] || (header[0] != 'I' && header[0] != 'M')) return false;
    bigEndian_ = header[0] == 'M';
    if (Get16(header + 2) != 42) return false;
    firstDirectory = Get32(header + 4);
    return true;
  }

  bool ReadDirectory(uint64_t offset, std::vector<FileTag>& tags) {
    uint8_t countBytes[2];
    if (!ReadAt(offset, countBytes, 2)) return false;
    const uint16_t count = Get16(countBytes);
    if (count > kMaxEntriesPerDirectory) return false;
    std::vector<uint8_t> entries(size_t{count} * 12);
    if (!ReadAt(offset + 2, entries.data(), entries.size())) return false;
    for (uint16_t i = 0; i < count; ++i) {
      FileTag tag;
      if (ReadEntry(entries.data() + 12 * size_t{i}, tag) && !Holds(tags, tag.id)) tags.push_back(std::move(tag));
    }
    return true;
  }

 private:
  uint32_t Get32(const uint8_t* p) const {
    return bigEndian_ ? uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3]
                      : uint32_t{p[3]} << 24 | uint32_t{p[2]} << 16 | uint32_t{p[1]} << 8 | p[0];
  }

  uint16_t Get16(const uint8_t* p) const {
    return static_cast<uint16_t>(bigEndian_ ? p[0] << 8 | p[1] : p[1] << 8 | p[0]);
  }

  bool ReadAt(uint64_t at, void* out, size_t bytes) {
    if (at > size_ || bytes > size_ - at) return false;
    if (memory_) {
      std::copy_n(memory_->data() + at, bytes, static_cast<uint8_t*>(out));
      return true;
    }
    if (!file_ || std::fseek(file_.get(), static_cast<long>(at), SEEK_SET) != 0) return false;
    return std::fread(out, 1, bytes, file_.get()) == bytes;
  }

  static bool Holds(const std::vector<FileTag>& tags, uint16_t id) {
    for (const FileTag& t : tags)
      if (t.id == id) return true;
    return false;
  }

  // An entry whose type is unknown or whose value lies outside the file is left out, as the
  // platform's reader leaves it out.
  bool ReadEntry(const uint8_t* entry, FileTag& tag) {
    tag.id = Get16(entry);
    tag.type = Get16(entry + 2);
    tag.count = Get32(entry + 4);
    const size_t element = ElementSize(tag.type);
    if (element == 0) return false;
    const uint64_t total = uint64_t{tag.count} * element;
    if (total > size_ || total > kMaxTagBytes - spent_) return false;
    spent_ += total;
    tag.value.resize(total);
    if (total <= 4) {
      std::copy_n(entry + 8, total, tag.value.begin());
    } else if (tag.storedAt = Get32(entry + 8); !ReadAt(tag.storedAt, tag.value.data(), total)) {
      return false;
    }
    if (bigEndian_) ToLittleEndian(tag);
    return true;
  }

  static void ToLittleEndian(FileTag& tag) {
    const size_t unit = SwapUnit(tag.type);
    if (unit < 2) return;
    for (size_t i = 0; i + unit <= tag.value.size(); i += unit) std::reverse(&tag.value[i], &tag.value[i] + unit);
  }

  std::unique_ptr<FILE, FileCloser> file_;
  const std::vector<uint8_t>* memory_ = nullptr;
  uint64_t size_ = 0;
  uint64_t spent_ = 0;
  bool bigEndian_ = false;
};

const FileTag* FindTag(const std::vector<FileTag>& tags, uint16_t id) {
  for (const FileTag& t : tags)
    if (t.id == id) return &t;
  return nullptr;
}

uint32_t LittleEndian32(const uint8_t* p) {
  return uint32_t{p[3]} << 24 | uint32_t{p[2]} << 16 | uint32_t{p[1]} << 8 | p[0];
}

// The offset a directory pointer holds; 0 when the entry is no single offset.
uint64_t SubDirectoryOffset(const std::vector<FileTag>& tags, uint16_t id) {
  const FileTag* t = FindTag(tags, id);
  const bool offset = t && t->count == 1 && (t->type == FIDT_LONG || t->type == FIDT_IFD);
  return offset ? LittleEndian32(t->value.data()) : 0;
}

double RationalValue(const std::vector<FileTag>& tags, uint16_t id) {
  const FileTag* t = FindTag(tags, id);
  if (!t || t->type != FIDT_RATIONAL || t->count != 1) return 0;
  const uint32_t denominator = LittleEndian32(t->value.data() + 4);
  return denominator ? static_cast<double>(LittleEndian32(t->value.data())) / denominator : 0;
}

// Dots per inch by the tags, 0 where they give none; within the range the platform accepts.
double DirectoryDpi(const std::vector<FileTag>& tags, uint16_t id) {
  const FileTag* unitTag = FindTag(tags, kTagResolutionUnit);
  const uint16_t unit =
      unitTag && unitTag->type == FIDT_SHORT && unitTag->count == 1 ? unitTag->value[0] | unitTag->value[1] << 8 : 2;
  const double value = RationalValue(tags, id);
  if (unit == kUnitNone || !(value > 0 && value < 1e6)) return 0;
  return unit == kUnitCentimetre ? value * 2.54 : value;
}

unsigned DotsPerMetre(double dpi) { return static_cast<unsigned>(std::floor(dpi / 0.0254 + 0.5)); }

void ApplyResolution(FIBITMAP* dib, const std::vector<FileTag>& main) {
  double x = DirectoryDpi(main, kTagXResolution), y = DirectoryDpi(main, kTagYResolution);
  if (x == 0 || y == 0) x = y = 0;
  FreeImage_SetDotsPerMeterX(dib, DotsPerMetre(x));
  FreeImage_SetDotsPerMeterY(dib, DotsPerMetre(y));
}

struct TagDeleter {
  void operator()(FITAG* tag) const { FreeImage_DeleteTag(tag); }
};

struct SearchCloser {
  void operator()(FIMETADATA* search) const { FreeImage_FindCloseMetadata(search); }
};

// The names FreeImage gave the tags of a model ("Make", "ExposureTime"), by ID.
std::map<uint16_t, std::string> KeysOf(FIBITMAP* dib, FREE_IMAGE_MDMODEL model) {
  std::map<uint16_t, std::string> keys;
  FITAG* tag = nullptr;
  std::unique_ptr<FIMETADATA, SearchCloser> search(FreeImage_FindFirstMetadata(model, dib, &tag));
  if (!search) return keys;
  do {
    if (tag && FreeImage_GetTagKey(tag)) keys.emplace(FreeImage_GetTagID(tag), FreeImage_GetTagKey(tag));
  } while (FreeImage_FindNextMetadata(search.get(), &tag));
  return keys;
}

// Names are what plug-in users look tags up by. A tag read again keeps the name FreeImage gave
// it where FreeImage's tags can be read (its TIFF reader leaves some whose keys lead nowhere);
// any other tag is named by its number.
enum class Names { FreeImages, Numbers };

void ReplaceModel(FIBITMAP* dib, FREE_IMAGE_MDMODEL model, const std::vector<FileTag>& tags, Names naming) {
  const std::map<uint16_t, std::string> names = naming == Names::FreeImages ? KeysOf(dib, model) : std::map<uint16_t, std::string>{};
  FreeImage_SetMetadata(model, dib, nullptr, nullptr);
  for (const FileTag& t : tags) {
    std::unique_ptr<FITAG, TagDeleter> tag(FreeImage_CreateTag());
    if (!tag) return;
    const auto named = names.find(t.id);
    const std::string key = named != names.end() ? named->second : std::to_string(t.id);
    const auto length = static_cast<DWORD>(t.value.size());
    const bool made = FreeImage_SetTagKey(tag.get(), key.c_str()) && FreeImage_SetTagID(tag.get(), t.id) &&
                      FreeImage_SetTagType(tag.get(), static_cast<FREE_IMAGE_MDTYPE>(t.type)) &&
                      FreeImage_SetTagCount(tag.get(), t.count) && FreeImage_SetTagLength(tag.get(), length) &&
                      (length == 0 || FreeImage_SetTagValue(tag.get(), t.value.data()));
    if (made) FreeImage_SetMetadata(model, dib, key.c_str(), tag.get());
  }
}

// A sub-directory that cannot be read leaves its model empty: FreeImage's version of it would
// carry the damage this reader is here to avoid.
std::vector<FileTag> ReadSubDirectory(TiffFile& file, const std::vector<FileTag>& main, uint16_t pointer) {
  std::vector<FileTag> tags;
  const uint64_t offset = SubDirectoryOffset(main, pointer);
  if (offset != 0) file.ReadDirectory(offset, tags);
  return tags;
}

FileTag LongsTag(uint16_t id, std::initializer_list<uint32_t> values) {
  FileTag tag{id, FIDT_LONG, static_cast<uint32_t>(values.size()), {}};
  for (uint32_t v : values)
    for (int shift = 0; shift < 32; shift += 8) tag.value.push_back(static_cast<uint8_t>(v >> shift));
  return tag;
}

// The EXIF directory's tags, with the tags of its Interop directory (as the items that stand for
// them, apart from the GPS tags of the same numbers) and where its maker note stood, as the
// platform's reader gives them.
std::vector<FileTag> ReadExifDirectory(TiffFile& file, const std::vector<FileTag>& main) {
  namespace ifd = vx::gdiplus::codecs::ifd;
  constexpr uint16_t kTagMakerNote = 0x927C, kTagInteropDirectory = 0xA005;
  std::vector<FileTag> exif = ReadSubDirectory(file, main, kTagExifDirectory);
  if (const FileTag* note = FindTag(exif, kTagMakerNote); note && note->storedAt != 0)
    exif.push_back(LongsTag(static_cast<uint16_t>(ifd::kMakerNoteOriginItem),
                            {note->storedAt, static_cast<uint32_t>(note->value.size())}));
  for (FileTag& t : ReadSubDirectory(file, exif, kTagInteropDirectory)) {
    t.id = static_cast<uint16_t>(ifd::InteropItemOf(t.id));
    if (t.id != 0 && !FindTag(exif, t.id)) exif.push_back(std::move(t));
  }
  return exif;
}

// The main, EXIF and GPS models from the structure's directory at `offset` (0: its first);
// nothing is replaced when that directory cannot be read.
bool ReplaceTagModels(FIBITMAP* dib, TiffFile& file, uint64_t offset, Names naming, std::vector<FileTag>& main) {
  uint64_t first = 0;
  if (!dib || !file.ReadHeader(first) || !file.ReadDirectory(offset ? offset : first, main)) return false;
  ReplaceModel(dib, FIMD_EXIF_MAIN, main, naming);
  ReplaceModel(dib, FIMD_EXIF_EXIF, ReadExifDirectory(file, main), naming);
  ReplaceModel(dib, FIMD_EXIF_GPS, ReadSubDirectory(file, main, kTagGpsDirectory), naming);
  return true;
}

}  // namespace

void TakeTagsFromTiffDirectory(FIBITMAP* dib, const std::string& path, uint64_t directoryOffset) {
  TiffFile file(path);
  std::vector<FileTag> main;
  if (ReplaceTagModels(dib, file, directoryOffset, Names::Numbers, main)) ApplyResolution(dib, main);
}

void TakeTagsFromExifBlock(FIBITMAP* dib, const std::vector<uint8_t>& tiff) {
  TiffFile block(tiff);
  std::vector<FileTag> main;
  ReplaceTagModels(dib, block, 0, Names::FreeImages, main);
}

}  // namespace vximgplug
