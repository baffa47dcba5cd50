#include "jpeg_file_markers.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "platform/gdiplus/codecs/jpeg/app_segments.h"
#include "platform/gdiplus/codecs/jpeg/iptc_segment.h"
#include "tiff_file_tags.h"

namespace vximgplug {
namespace {

constexpr int kMaxSegments = 1024;  // segments before the picture; real files have a handful
constexpr uint8_t kApp0 = 0xE0, kApp1 = 0xE1, kApp13 = 0xED, kStartOfScan = 0xDA, kEndOfImage = 0xD9;
constexpr uint8_t kJfifSignature[] = {'J', 'F', 'I', 'F', 0};
constexpr uint8_t kExifSignature[] = {'E', 'x', 'i', 'f', 0, 0};
constexpr size_t kJfifUnitAt = 7;

struct FileCloser {
  void operator()(FILE* f) const { std::fclose(f); }
};

struct Segments {
  bool jfifResolution = false;  // a JFIF header with a unit (inch or centimetre)
  std::vector<uint8_t> exif;    // the TIFF structure of the first EXIF block
  vx::codecs::iptc::JoinedResources photoshop;  // of every APP13 segment, in order
  std::vector<uint8_t> appSegments;              // those no other tag stands for
};

bool JfifGivesResolution(const std::vector<uint8_t>& payload) {
  return payload.size() > kJfifUnitAt + 4 && std::memcmp(payload.data(), kJfifSignature, sizeof kJfifSignature) == 0 &&
         payload[kJfifUnitAt] != 0;
}

void Inspect(uint8_t marker, const std::vector<uint8_t>& payload, Segments& found) {
  if (marker == kApp0 && JfifGivesResolution(payload)) found.jfifResolution = true;
  const bool exif = payload.size() > sizeof kExifSignature &&
                    std::memcmp(payload.data(), kExifSignature, sizeof kExifSignature) == 0;
  if (marker == kApp1 && exif && found.exif.empty()) found.exif.assign(payload.begin() + sizeof kExifSignature, payload.end());
  if (marker == kApp13) found.photoshop.Add(payload);
  if (vx::codecs::app_segments::Kept(marker, payload)) vx::codecs::app_segments::Append(found.appSegments, marker, payload);
}

// The segments before the first scan; reading stops at anything that is not a marker.
Segments ReadSegments(FILE* file) {
  Segments found;
  uint8_t start[2];
  if (std::fread(start, 1, 2, file) != 2 || start[0] != 0xFF || start[1] != 0xD8) return found;
  std::vector<uint8_t> payload;
  for (int n = 0; n < kMaxSegments; ++n) {
    uint8_t header[4];
    if (std::fread(header, 1, 4, file) != 4 || header[0] != 0xFF) break;
    const uint8_t marker = header[1];
    if (marker == kStartOfScan || marker == kEndOfImage) break;
    const size_t length = size_t{header[2]} << 8 | header[3];
    if (length < 2) break;
    payload.resize(length - 2);
    if (std::fread(payload.data(), 1, payload.size(), file) != payload.size()) break;
    Inspect(marker, payload, found);
  }
  return found;
}

struct SearchCloser {
  void operator()(FIMETADATA* search) const { FreeImage_FindCloseMetadata(search); }
};

// The keys of the main model's tags with this number.
std::vector<std::string> MainKeysOf(FIBITMAP* dib, uint16_t id) {
  std::vector<std::string> keys;
  FITAG* tag = nullptr;
  std::unique_ptr<FIMETADATA, SearchCloser> search(FreeImage_FindFirstMetadata(FIMD_EXIF_MAIN, dib, &tag));
  if (!search) return keys;
  do {
    if (tag && FreeImage_GetTagID(tag) == id && FreeImage_GetTagKey(tag)) keys.emplace_back(FreeImage_GetTagKey(tag));
  } while (FreeImage_FindNextMetadata(search.get(), &tag));
  return keys;
}

// A tag of the main model, as TIFF files keep the value in their main directory. It replaces a
// tag of the same number the EXIF block brought (an IPTC-NAA copy in IFD0 is an older one that
// editors leave behind).
void AddMainTag(FIBITMAP* dib, uint16_t id, FREE_IMAGE_MDTYPE type, std::span<const uint8_t> value) {
  for (const std::string& stale : MainKeysOf(dib, id)) FreeImage_SetMetadata(FIMD_EXIF_MAIN, dib, stale.c_str(), nullptr);
  const std::string key = std::to_string(id);
  FITAG* tag = FreeImage_CreateTag();
  if (!tag) return;
  const auto length = static_cast<DWORD>(value.size());
  if (FreeImage_SetTagKey(tag, key.c_str()) && FreeImage_SetTagID(tag, id) && FreeImage_SetTagType(tag, type) &&
      FreeImage_SetTagCount(tag, length) && FreeImage_SetTagLength(tag, length) && FreeImage_SetTagValue(tag, value.data()))
    FreeImage_SetMetadata(FIMD_EXIF_MAIN, dib, key.c_str(), tag);
  FreeImage_DeleteTag(tag);
}

}  // namespace

void TakeMarkersFromJpegFile(FIBITMAP* dib, const std::string& path) {
  if (!dib) return;
  std::unique_ptr<FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
  if (!file) return;
  const Segments found = ReadSegments(file.get());
  // No resolution of the file's own: the host then takes the EXIF tags' or its default.
  if (!found.jfifResolution) {
    FreeImage_SetDotsPerMeterX(dib, 0);
    FreeImage_SetDotsPerMeterY(dib, 0);
  }
  if (!found.exif.empty()) TakeTagsFromExifBlock(dib, found.exif);
  if (!found.photoshop.Record().empty())
    AddMainTag(dib, vx::codecs::iptc::kIptcPropertyTag, FIDT_UNDEFINED, found.photoshop.Record());
  if (!found.photoshop.Resources().empty())
    AddMainTag(dib, vx::codecs::iptc::kPhotoshopResourcesTag, FIDT_BYTE, found.photoshop.Resources());
  if (!found.appSegments.empty()) AddMainTag(dib, vx::codecs::app_segments::kAppSegmentsItem, FIDT_BYTE, found.appSegments);
}

}  // namespace vximgplug
