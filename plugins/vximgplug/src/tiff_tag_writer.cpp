#include "tiff_tag_writer.h"

#include <memory>

#include "platform/gdiplus/codecs/exif/ifd_writer.h"

namespace vximgplug {
namespace {

namespace ifd = vx::gdiplus::codecs::ifd;

constexpr FREE_IMAGE_MDMODEL kTagModels[] = {FIMD_EXIF_MAIN, FIMD_EXIF_EXIF, FIMD_EXIF_GPS};
constexpr size_t kExifSignatureBytes = 6;

struct SearchCloser {
  void operator()(FIMETADATA* search) const { FreeImage_FindCloseMetadata(search); }
};

uint16_t Get16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
uint32_t Get32(const uint8_t* p) { return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24; }
void Set32(uint8_t* p, uint64_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

// Every tag of the bitmap, in the models the host writes tags to, whose value is whole elements
// of its type (an empty value included).
std::vector<ifd::Tag> BitmapTags(FIBITMAP* dib) {
  std::vector<ifd::Tag> tags;
  for (FREE_IMAGE_MDMODEL model : kTagModels) {
    FITAG* tag = nullptr;
    std::unique_ptr<FIMETADATA, SearchCloser> search(FreeImage_FindFirstMetadata(model, dib, &tag));
    if (!search) continue;
    do {
      if (!tag) continue;
      const auto type = static_cast<uint16_t>(FreeImage_GetTagType(tag));
      const DWORD length = FreeImage_GetTagLength(tag);
      const auto* value = static_cast<const uint8_t*>(FreeImage_GetTagValue(tag));
      if ((length != 0 && !value) || uint64_t{FreeImage_GetTagCount(tag)} * ifd::ElementSize(type) != length) continue;
      tags.push_back({FreeImage_GetTagID(tag), type, length ? std::vector<uint8_t>(value, value + length) : std::vector<uint8_t>{}});
    } while (FreeImage_FindNextMetadata(search.get(), &tag));
  }
  return tags;
}

}  // namespace

std::vector<uint8_t> ExifSegmentOfBitmapTags(FIBITMAP* dib, size_t maxBytes) {
  std::vector<ifd::Tag> tags = BitmapTags(dib);
  std::erase_if(tags, [](const ifd::Tag& t) { return ifd::InJpegSegmentOfItsOwn(t.id); });
  if (maxBytes < kExifSignatureBytes) return {};
  std::vector<uint8_t> segment = ifd::BuildExifStructure(std::move(tags), maxBytes - kExifSignatureBytes);
  if (!segment.empty()) segment.insert(segment.begin(), {'E', 'x', 'i', 'f', 0, 0});
  return segment;
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
  const uint32_t first = Get32(&tiff[4]);
  if (first > tiff.size() || tiff.size() - first < 2) return false;
  const uint16_t count = Get16(&tiff[first]);
  if (tiff.size() - first - 2 < 12 * size_t{count} + 4) return false;
  std::vector<ifd::KeptEntry> kept;
  uint32_t next = 0;
  ifd::ParseKeptEntries(&tiff[first + 2], count, kept, next);
  const ifd::AppendedDirectory appended = ifd::PageDirectoryWithTags(tiff.size(), std::move(kept), next, BitmapTags(dib));
  if (appended.bytes.empty()) return true;
  if (tiff.size() + appended.bytes.size() > 0xFFFFFFFFull) return false;
  tiff.insert(tiff.end(), appended.bytes.begin(), appended.bytes.end());
  Set32(&tiff[4], appended.offset);
  return true;
}

}  // namespace vximgplug
