// JPEG files through libjpeg: every frame is written as 8-bit YCbCr at the requested quality
// (75 by default), with a JFIF resolution in dots per inch and the frame's writable property
// items in an EXIF block; the ICC profile item goes into APP2 segments, where readers look for it.
// A transformation asked for turns the coded blocks afterwards, without decoding them again.
#include <algorithm>
#include <cmath>
#include <iterator>
#include <memory>

#include "platform/gdiplus/codecs/codec.h"
#include "platform/gdiplus/codecs/exif/ifd_properties.h"
#include "platform/gdiplus/codecs/exif/ifd_writer.h"
#include "platform/gdiplus/codecs/frame_tools.h"
#include "platform/gdiplus/codecs/jpeg/app_segments.h"
#include "platform/gdiplus/codecs/jpeg/jpeg_error.h"
#include "platform/gdiplus/codecs/jpeg/iptc_segment.h"
#include "platform/gdiplus/codecs/jpeg/jpeg_icc_profile.h"
#include "platform/gdiplus/codecs/jpeg/lossless_transform.h"
#include "platform/gdiplus/codecs/jpeg/xmp_segment.h"

// After jpeglib.h (through jpeg_error.h): the error exit for a destination that fails.
#include <jerror.h>

namespace vx::gdiplus::codecs {

namespace {

constexpr int kDefaultQuality = 75;
constexpr size_t kMaxMarkerPayload = 65533;
constexpr size_t kOutputBlock = size_t{1} << 16;

struct JpegEncode {
  JpegEncode(const Frame& source, ByteSink& sink) : frame(source), rows(source, PixelFormat24bppRGB), sink(sink) {
    buffer.resize(kOutputBlock);
  }
  const Frame& frame;
  RowSource rows;  // the frame as 24bppRGB
  ByteSink& sink;
  std::vector<uint8_t> exif;
  std::vector<std::vector<uint8_t>> photoshop;  // the APP13 segments, or none
  std::vector<uint8_t> xmp;   // the XMP APP1 segment, or empty
  std::vector<std::vector<uint8_t>> iccChunks;
  std::vector<JOCTET> buffer;  // coded bytes on their way to the sink
  jpeg_destination_mgr destination{};
  bool ok = false;
};

JpegEncode& EncodeOf(j_compress_ptr cinfo) { return *static_cast<JpegEncode*>(cinfo->client_data); }

void StartOutput(j_compress_ptr cinfo) {
  JpegEncode& e = EncodeOf(cinfo);
  e.destination.next_output_byte = e.buffer.data();
  e.destination.free_in_buffer = e.buffer.size();
}

// A sink that cannot take the bytes ends the encode through libjpeg's error exit.
boolean PassFullBlock(j_compress_ptr cinfo) {
  JpegEncode& e = EncodeOf(cinfo);
  if (!e.sink.Write(e.buffer.data(), e.buffer.size())) ERREXIT(cinfo, JERR_FILE_WRITE);
  StartOutput(cinfo);
  return TRUE;
}

void PassRest(j_compress_ptr cinfo) {
  JpegEncode& e = EncodeOf(cinfo);
  if (!e.sink.Write(e.buffer.data(), e.buffer.size() - e.destination.free_in_buffer)) ERREXIT(cinfo, JERR_FILE_WRITE);
}

uint16_t DensityOf(REAL dpi) { return static_cast<uint16_t>(std::clamp<long>(std::lround(dpi), 1, 65535)); }

std::span<const uint8_t> ValueOfItem(const std::vector<PropertyRecord>& items, PROPID tag) {
  const auto item = std::find_if(items.begin(), items.end(), [tag](const PropertyRecord& r) { return r.id == tag; });
  return item == items.end() ? std::span<const uint8_t>{} : std::span<const uint8_t>(item->value);
}

void RunEncode(j_compress_ptr cinfo, int quality, JpegEncode& e) {
  if (setjmp(reinterpret_cast<JpegErrorManager*>(cinfo->err)->jump)) return;
  cinfo->client_data = &e;
  e.destination.init_destination = StartOutput;
  e.destination.empty_output_buffer = PassFullBlock;
  e.destination.term_destination = PassRest;
  cinfo->dest = &e.destination;
  const Frame& f = e.frame;
  cinfo->image_width = static_cast<JDIMENSION>(f.width);
  cinfo->image_height = static_cast<JDIMENSION>(f.height);
  cinfo->input_components = 3;
  cinfo->in_color_space = JCS_EXT_BGR;
  jpeg_set_defaults(cinfo);
  jpeg_set_quality(cinfo, quality, TRUE);
  cinfo->write_JFIF_header = TRUE;
  cinfo->density_unit = 1;
  cinfo->X_density = DensityOf(f.dpiX);
  cinfo->Y_density = DensityOf(f.dpiY);
  jpeg_start_compress(cinfo, TRUE);
  if (!e.exif.empty()) jpeg_write_marker(cinfo, JPEG_APP0 + 1, e.exif.data(), static_cast<unsigned>(e.exif.size()));
  if (!e.xmp.empty()) jpeg_write_marker(cinfo, JPEG_APP0 + 1, e.xmp.data(), static_cast<unsigned>(e.xmp.size()));
  vx::codecs::app_segments::ForEach(ValueOfItem(e.frame.properties, vx::codecs::app_segments::kAppSegmentsItem),
                                    [cinfo](uint8_t marker, std::span<const uint8_t> payload) {
                                      jpeg_write_marker(cinfo, marker, payload.data(), static_cast<unsigned>(payload.size()));
                                    });
  for (const std::vector<uint8_t>& chunk : e.iccChunks)
    jpeg_write_marker(cinfo, JPEG_APP0 + 2, chunk.data(), static_cast<unsigned>(chunk.size()));
  for (const std::vector<uint8_t>& segment : e.photoshop)
    jpeg_write_marker(cinfo, JPEG_APP0 + 13, segment.data(), static_cast<unsigned>(segment.size()));
  while (cinfo->next_scanline < cinfo->image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(e.rows.Row(static_cast<INT>(cinfo->next_scanline)));
    jpeg_write_scanlines(cinfo, &row, 1);
  }
  jpeg_finish_compress(cinfo);
  e.ok = true;
}

constexpr uint8_t kExifSignature[] = {'E', 'x', 'i', 'f', 0, 0};

// "Exif\0\0" and the TIFF structure of the items (the ICC profile apart), or nothing when no
// item is writable. One segment holds at most 64 KB: the largest items (a maker note, a
// thumbnail) are left out until the rest fits, so they do not take the small tags with them.
std::vector<uint8_t> ExifSegment(const std::vector<PropertyRecord>& items) {
  std::vector<PropertyRecord> exifItems;
  std::copy_if(items.begin(), items.end(), std::back_inserter(exifItems), [](const PropertyRecord& r) {
    return r.id != PropertyTagICCProfile && !ifd::InJpegSegmentOfItsOwn(r.id);
  });
  std::vector<uint8_t> block = BuildExifBlock(exifItems, kMaxMarkerPayload - sizeof kExifSignature);
  if (block.empty()) return {};
  block.insert(block.begin(), std::begin(kExifSignature), std::end(kExifSignature));
  return block;
}

// The XMP packet goes into a segment of its own, where JPEG readers look for it, when it fits one.
std::vector<uint8_t> FittingSegment(std::vector<uint8_t> segment) {
  return segment.size() <= kMaxMarkerPayload ? segment : std::vector<uint8_t>{};
}

// Resources over one segment go on over the next, as Photoshop writes them.
std::vector<std::vector<uint8_t>> PhotoshopSegmentsOfItems(const std::vector<PropertyRecord>& items) {
  const auto resources = ValueOfItem(items, vx::codecs::iptc::kPhotoshopResourcesTag);
  const auto record = ValueOfItem(items, vx::codecs::iptc::kIptcPropertyTag);
  if (resources.empty() && record.empty()) return {};
  return vx::codecs::iptc::SplitPhotoshopPayload(vx::codecs::iptc::PhotoshopSegment(resources, record), kMaxMarkerPayload);
}

std::vector<uint8_t> XmpSegmentOfItems(const std::vector<PropertyRecord>& items) {
  const auto packet = ValueOfItem(items, vx::codecs::xmp::kXmpPropertyTag);
  return packet.empty() ? std::vector<uint8_t>{} : FittingSegment(vx::codecs::xmp::SegmentOfXmp(packet));
}

Status EncodeUpright(const Frame& source, const EncodeOptions& options, ByteSink& out) {
  if (options.quality && *options.quality > 100) return InvalidParameter;
  const int quality = options.quality ? static_cast<int>(*options.quality) : kDefaultQuality;
  std::unique_ptr<JpegEncode> e;
  try {
    e = std::make_unique<JpegEncode>(source, out);
    e->exif = ExifSegment(source.properties);
    e->photoshop = PhotoshopSegmentsOfItems(source.properties);
    e->xmp = XmpSegmentOfItems(source.properties);
    const auto profile = std::find_if(source.properties.begin(), source.properties.end(),
                                      [](const PropertyRecord& r) { return r.id == PropertyTagICCProfile; });
    if (profile != source.properties.end()) e->iccChunks = SplitIccProfile(profile->value);
  } catch (const std::bad_alloc&) {
    return OutOfMemory;
  }
  jpeg_compress_struct cinfo;
  JpegErrorManager errors;
  cinfo.err = InstallJpegErrors(errors);
  jpeg_create_compress(&cinfo);
  RunEncode(&cinfo, quality, *e);
  jpeg_destroy_compress(&cinfo);
  return e->ok ? Ok : GenericError;
}

// The frame is coded upright and its blocks are then turned, so the transformation adds no loss
// of its own; the turned file reaches the sink only when the turn succeeded.
Status EncodeTransformed(const Frame& source, const EncodeOptions& options, ByteSink& out) {
  MemorySink upright;
  if (Status s = EncodeUpright(source, options, upright); s != Ok) return s;
  std::vector<uint8_t> turned;
  if (Status s = TransformJpegLossless(upright.bytes, static_cast<INT>(*options.transformation), turned); s != Ok)
    return s;
  return out.Write(turned) ? Ok : Win32Error;
}

}  // namespace

Status EncodeJpeg(const Frame& source, const EncodeOptions& options, ByteSink& out) {
  if (options.transformation) return EncodeTransformed(source, options, out);
  return EncodeUpright(source, options, out);
}

}  // namespace vx::gdiplus::codecs
