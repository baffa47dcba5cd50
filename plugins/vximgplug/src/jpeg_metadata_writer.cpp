#include "jpeg_metadata_writer.h"

#include <cstdio>
#include <span>
#include <vector>

#include "platform/gdiplus/codecs/jpeg/app_segments.h"
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

std::span<const uint8_t> ValueOfTag(FIBITMAP* dib, uint16_t id) {
  FITAG* tag = FindBitmapTag(dib, id);
  if (!tag || !FreeImage_GetTagValue(tag) || FreeImage_GetTagLength(tag) == 0) return {};
  return {static_cast<const uint8_t*>(FreeImage_GetTagValue(tag)), FreeImage_GetTagLength(tag)};
}

// A marker segment around `payload`; empty when there is none or it exceeds a segment.
std::vector<uint8_t> Segment(uint8_t marker, const std::vector<uint8_t>& payload) {
  if (payload.empty() || payload.size() > kMaxSegmentPayload) return {};
  const size_t length = payload.size() + 2;
  std::vector<uint8_t> segment = {0xFF, marker, static_cast<uint8_t>(length >> 8), static_cast<uint8_t>(length)};
  segment.insert(segment.end(), payload.begin(), payload.end());
  return segment;
}

std::vector<uint8_t> XmpSegment(FIBITMAP* dib) {
  constexpr uint8_t kApp1 = 0xE1;
  const auto packet = ValueOfTag(dib, vx::codecs::xmp::kXmpPropertyTag);
  return packet.empty() ? std::vector<uint8_t>{} : Segment(kApp1, vx::codecs::xmp::SegmentOfXmp(packet));
}

// The IPTC record with the Photoshop resources around it, over as many segments as they take.
std::vector<uint8_t> PhotoshopSegments(FIBITMAP* dib) {
  constexpr uint8_t kApp13 = 0xED;
  const auto resources = ValueOfTag(dib, vx::codecs::iptc::kPhotoshopResourcesTag);
  const auto record = ValueOfTag(dib, vx::codecs::iptc::kIptcPropertyTag);
  if (resources.empty() && record.empty()) return {};
  std::vector<uint8_t> segments;
  for (const std::vector<uint8_t>& part :
       vx::codecs::iptc::SplitPhotoshopPayload(vx::codecs::iptc::PhotoshopSegment(resources, record), kMaxSegmentPayload)) {
    const std::vector<uint8_t> segment = Segment(kApp13, part);
    segments.insert(segments.end(), segment.begin(), segment.end());
  }
  return segments;
}

// The APPn segments the file was read with that no other tag stands for, as they were.
std::vector<uint8_t> AppSegments(FIBITMAP* dib) {
  std::vector<uint8_t> segments;
  vx::codecs::app_segments::ForEach(ValueOfTag(dib, vx::codecs::app_segments::kAppSegmentsItem),
                                    [&segments](uint8_t marker, std::span<const uint8_t> payload) {
                                      vx::codecs::app_segments::Append(segments, marker, payload);
                                    });
  return segments;
}

// FreeImage's JPEG stream on its way to the file, with the host's segments placed as it goes by
// right after the start of the image and its JFIF header, where readers find them before the scan.
// Only the head is held back, until the place is known; the rest goes straight to the file.
class SegmentInsertingWriter {
 public:
  SegmentInsertingWriter(FILE* stream, std::vector<uint8_t> segments)
      : stream_(stream), segments_(std::move(segments)) {}

  FreeImageIO* Callbacks() {
    static FreeImageIO io{&Nothing, &Write, &Seek, &Tell};
    return &io;
  }

  // Writes what is still held back; false when writing failed or the stream is too short for a JPEG.
  bool Finish() {
    if (!passing_ && !failed_) {
      if (head_.size() < 4) return false;
      const size_t at = head_.size() < 6 ? 2 : InsertionPoint();
      if (at <= head_.size()) PassHead(at);
      else Emit(head_.data(), head_.size());
    }
    return !failed_;
  }

 private:
  static unsigned DLL_CALLCONV Nothing(void*, unsigned, unsigned, fi_handle) { return 0; }
  static unsigned DLL_CALLCONV Write(void* buffer, unsigned size, unsigned count, fi_handle handle) {
    auto* self = static_cast<SegmentInsertingWriter*>(handle);
    self->Take(static_cast<const uint8_t*>(buffer), size_t{size} * count);
    return self->failed_ ? 0 : count;
  }
  // The writer only appends; a seek that stays where it is is all it may ask.
  static int DLL_CALLCONV Seek(fi_handle handle, long offset, int origin) {
    auto* self = static_cast<SegmentInsertingWriter*>(handle);
    const bool stays = (origin == SEEK_CUR && offset == 0) || (origin == SEEK_SET && offset == self->Told());
    return stays ? 0 : -1;
  }
  static long DLL_CALLCONV Tell(fi_handle handle) { return static_cast<SegmentInsertingWriter*>(handle)->Told(); }
  long Told() const { return static_cast<long>(taken_); }

  // After the JFIF header when the stream starts with one, else right after the start of image.
  size_t InsertionPoint() const {
    if (head_[2] == 0xFF && head_[3] == 0xE0) return 4 + (size_t{head_[4]} << 8 | head_[5]);
    return 2;
  }

  void Take(const uint8_t* bytes, size_t size) {
    taken_ += size;
    if (passing_) return Emit(bytes, size);
    head_.insert(head_.end(), bytes, bytes + size);
    if (head_.size() < 6) return;
    const size_t at = InsertionPoint();
    if (at <= head_.size()) PassHead(at);
  }

  void PassHead(size_t at) {
    Emit(head_.data(), at);
    Emit(segments_.data(), segments_.size());
    Emit(head_.data() + at, head_.size() - at);
    head_ = {};
    passing_ = true;
  }

  void Emit(const uint8_t* bytes, size_t size) {
    if (!failed_ && size > 0 && std::fwrite(bytes, 1, size, stream_) != size) failed_ = true;
  }

  FILE* stream_;
  std::vector<uint8_t> segments_;
  std::vector<uint8_t> head_;
  uint64_t taken_ = 0;
  bool passing_ = false;
  bool failed_ = false;
};

std::vector<uint8_t> Joined(std::vector<uint8_t> first, const std::vector<uint8_t>& second) {
  first.insert(first.end(), second.begin(), second.end());
  return first;
}

}  // namespace

bool WriteJpegWithHostTags(FIBITMAP* dib, FILE* stream, int flags) {
  ExifBlockForJpeg exif(dib);
  // The XMP packet first (its extended parts among the kept segments), then the IPTC record.
  SegmentInsertingWriter writer(stream, Joined(Joined(XmpSegment(dib), AppSegments(dib)), PhotoshopSegments(dib)));
  return FreeImage_SaveToHandle(FIF_JPEG, dib, writer.Callbacks(), &writer, flags) && writer.Finish();
}

}  // namespace vximgplug
