#include "jpeg_file_markers.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

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
  std::vector<uint8_t> iptc;
  std::vector<uint8_t> photoshopResources;
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
  if (marker == kApp13 && found.photoshopResources.empty()) {
    const auto record = vx::codecs::iptc::IptcOfPhotoshopSegment(payload);
    found.iptc.assign(record.begin(), record.end());
    const auto resources = vx::codecs::iptc::ResourcesOfPhotoshopSegment(payload);
    found.photoshopResources.assign(resources.begin(), resources.end());
  }
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

// A tag of the main model, as TIFF files keep the value in their main directory.
void AddMainTag(FIBITMAP* dib, uint16_t id, FREE_IMAGE_MDTYPE type, const std::vector<uint8_t>& value) {
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
  if (!found.iptc.empty()) AddMainTag(dib, vx::codecs::iptc::kIptcPropertyTag, FIDT_UNDEFINED, found.iptc);
  if (!found.photoshopResources.empty())
    AddMainTag(dib, vx::codecs::iptc::kPhotoshopResourcesTag, FIDT_BYTE, found.photoshopResources);
}

}  // namespace vximgplug
