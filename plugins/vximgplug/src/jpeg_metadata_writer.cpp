#include "jpeg_metadata_writer.h"

#include <memory>
#include <span>
#include <vector>

#include "platform/gdiplus/codecs/jpeg/iptc_segment.h"
#include "platform/gdiplus/codecs/jpeg/xmp_segment.h"
#include "tiff_tag_writer.h"

namespace vximgplug {
namespace {

constexpr size_t kMaxSegmentPayload = 65533;

// FreeImage's JPEG writer takes EXIF only as a raw APP1 block, which a bitmap made by the host
// lacks: its tags are laid out as one for the length of the write, and taken away afterwards.
class ExifBlockForJpeg {
 public:
  explicit ExifBlockForJpeg(FIBITMAP* dib) : dib_(dib) {
    FITAG* existing = nullptr;
    if (FreeImage_GetMetadata(FIMD_EXIF_RAW, dib, kKey, &existing)) return;
    std::vector<uint8_t> segment = ExifSegmentOfBitmapTags(dib, kMaxSegmentPayload);
    if (segment.empty()) return;
    FITAG* tag = FreeImage_CreateTag();
    if (!tag) return;
    const auto length = static_cast<DWORD>(segment.size());
    set_ = FreeImage_SetTagKey(tag, kKey) && FreeImage_SetTagType(tag, FIDT_BYTE) && FreeImage_SetTagCount(tag, length) &&
           FreeImage_SetTagLength(tag, length) && FreeImage_SetTagValue(tag, segment.data()) &&
           FreeImage_SetMetadata(FIMD_EXIF_RAW, dib, kKey, tag);
    FreeImage_DeleteTag(tag);
  }
  ~ExifBlockForJpeg() {
    if (set_) FreeImage_SetMetadata(FIMD_EXIF_RAW, dib_, kKey, nullptr);
  }
  ExifBlockForJpeg(const ExifBlockForJpeg&) = delete;
  ExifBlockForJpeg& operator=(const ExifBlockForJpeg&) = delete;

 private:
  static constexpr const char* kKey = "ExifRaw";
  FIBITMAP* dib_;
  bool set_ = false;
};

struct MemoryCloser {
  void operator()(FIMEMORY* memory) const { FreeImage_CloseMemory(memory); }
};

// A marker segment around the value of the bitmap's tag `id`; empty without one or when it
// exceeds a segment.
template <class Wrap>
std::vector<uint8_t> SegmentOfTag(FIBITMAP* dib, uint16_t id, uint8_t marker, Wrap wrap) {
  FITAG* tag = FindBitmapTag(dib, id);
  if (!tag || !FreeImage_GetTagValue(tag) || FreeImage_GetTagLength(tag) == 0) return {};
  const auto* value = static_cast<const uint8_t*>(FreeImage_GetTagValue(tag));
  const std::vector<uint8_t> payload = wrap(std::span<const uint8_t>(value, FreeImage_GetTagLength(tag)));
  if (payload.size() > kMaxSegmentPayload) return {};
  const size_t length = payload.size() + 2;
  std::vector<uint8_t> segment = {0xFF, marker, static_cast<uint8_t>(length >> 8), static_cast<uint8_t>(length)};
  segment.insert(segment.end(), payload.begin(), payload.end());
  return segment;
}

// Right after the start of the image and its JFIF header, where readers find it before the scan.
void InsertSegment(std::vector<uint8_t>& jpeg, const std::vector<uint8_t>& segment) {
  if (segment.empty()) return;
  size_t at = 2;
  if (jpeg.size() >= 6 && jpeg[2] == 0xFF && jpeg[3] == 0xE0) at = 4 + (size_t{jpeg[4]} << 8 | jpeg[5]);
  if (at > jpeg.size()) return;
  jpeg.insert(jpeg.begin() + static_cast<ptrdiff_t>(at), segment.begin(), segment.end());
}

}  // namespace

bool WriteJpegWithHostTags(FIBITMAP* dib, FILE* stream, int flags) {
  ExifBlockForJpeg exif(dib);
  std::unique_ptr<FIMEMORY, MemoryCloser> memory(FreeImage_OpenMemory());
  if (!memory || !FreeImage_SaveToMemory(FIF_JPEG, dib, memory.get(), flags)) return false;
  BYTE* data = nullptr;
  DWORD size = 0;
  if (!FreeImage_AcquireMemory(memory.get(), &data, &size) || size < 4) return false;
  std::vector<uint8_t> jpeg(data, data + size);
  constexpr uint8_t kApp1 = 0xE1, kApp13 = 0xED;
  // Inserted in turn after the JFIF header, so the XMP packet ends up first, then the IPTC record.
  InsertSegment(jpeg, SegmentOfTag(dib, vx::codecs::iptc::kIptcPropertyTag, kApp13,
                                   [](std::span<const uint8_t> v) { return vx::codecs::iptc::PhotoshopSegmentOfIptc(v); }));
  InsertSegment(jpeg, SegmentOfTag(dib, vx::codecs::xmp::kXmpPropertyTag, kApp1,
                                   [](std::span<const uint8_t> v) { return vx::codecs::xmp::SegmentOfXmp(v); }));
  return std::fwrite(jpeg.data(), 1, jpeg.size(), stream) == jpeg.size();
}

}  // namespace vximgplug
