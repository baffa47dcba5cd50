// JPEG files through libjpeg: every frame is written as 8-bit YCbCr at the requested quality
// (75 by default), with a JFIF resolution in dots per inch and the frame's writable property
// items in an EXIF block; the ICC profile item goes into APP2 segments, where readers look for it.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <iterator>
#include <memory>

#include "platform/gdiplus/codecs/codec.h"
#include "platform/gdiplus/codecs/exif/ifd_properties.h"
#include "platform/gdiplus/codecs/frame_tools.h"
#include "platform/gdiplus/codecs/jpeg/jpeg_error.h"
#include "platform/gdiplus/codecs/jpeg/jpeg_icc_profile.h"

namespace vx::gdiplus::codecs {

namespace {

constexpr int kDefaultQuality = 75;
constexpr size_t kMaxMarkerPayload = 65533;

struct JpegEncode {
  Frame frame;  // 24bppRGB
  std::vector<uint8_t> exif;
  std::vector<std::vector<uint8_t>> iccChunks;
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  bool ok = false;
  ~JpegEncode() { std::free(buffer); }
};

uint16_t DensityOf(REAL dpi) { return static_cast<uint16_t>(std::clamp<long>(std::lround(dpi), 1, 65535)); }

void RunEncode(j_compress_ptr cinfo, int quality, JpegEncode& e) {
  if (setjmp(reinterpret_cast<JpegErrorManager*>(cinfo->err)->jump)) return;
  jpeg_mem_dest(cinfo, &e.buffer, &e.size);
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
  for (const std::vector<uint8_t>& chunk : e.iccChunks)
    jpeg_write_marker(cinfo, JPEG_APP0 + 2, chunk.data(), static_cast<unsigned>(chunk.size()));
  while (cinfo->next_scanline < cinfo->image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(RowOf(f, static_cast<INT>(cinfo->next_scanline)));
    jpeg_write_scanlines(cinfo, &row, 1);
  }
  jpeg_finish_compress(cinfo);
  e.ok = true;
}

// "Exif\0\0" and the TIFF structure of the items (the ICC profile apart), or nothing when no
// item is writable or the block would not fit in one marker segment.
std::vector<uint8_t> ExifSegment(const std::vector<PropertyRecord>& items) {
  std::vector<PropertyRecord> exifItems;
  std::copy_if(items.begin(), items.end(), std::back_inserter(exifItems),
               [](const PropertyRecord& r) { return r.id != PropertyTagICCProfile; });
  std::vector<uint8_t> block = BuildExifBlock(exifItems);
  if (block.empty() || block.size() + 6 > kMaxMarkerPayload) return {};
  block.insert(block.begin(), {'E', 'x', 'i', 'f', 0, 0});
  return block;
}

}  // namespace

Status EncodeJpeg(const Frame& source, const EncodeOptions& options, std::vector<uint8_t>& out) {
  if (options.quality && *options.quality > 100) return InvalidParameter;
  const int quality = options.quality ? static_cast<int>(*options.quality) : kDefaultQuality;
  auto e = std::make_unique<JpegEncode>();
  if (Status s = ConvertFrame(source, PixelFormat24bppRGB, {}, e->frame); s != Ok) return s;
  try {
    e->exif = ExifSegment(source.properties);
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
  if (!e->ok) return GenericError;
  try {
    out.assign(e->buffer, e->buffer + e->size);
  } catch (const std::bad_alloc&) {
    return OutOfMemory;
  }
  return Ok;
}

}  // namespace vx::gdiplus::codecs
