// JPEG files through libjpeg: grey images become 8bppIndexed with a grey palette, colour images
// 24bppRGB, CMYK and YCCK images 24bppRGB with the CMYK colour-space flag. The EXIF block (APP1)
// becomes property items; the resolution comes from JFIF, else from EXIF. CMYK samples become
// sRGB through the embedded ICC profile (APP2) where there is one, the complement rule
// otherwise, and a CMYK profile never stays with the RGB pixels; an RGB or grey profile becomes
// the profile item and, when colour management is asked for, converts the pixels to sRGB.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <optional>
#include <vector>

#include "platform/gdiplus/codecs/codec.h"
#include "platform/gdiplus/codecs/color_management.h"
#include "platform/gdiplus/codecs/exif/ifd_properties.h"
#include "platform/gdiplus/codecs/frame_tools.h"
#include "platform/gdiplus/codecs/jpeg/jpeg_error.h"
#include "platform/gdiplus/codecs/jpeg/app_segments.h"
#include "platform/gdiplus/codecs/jpeg/iptc_segment.h"
#include "platform/gdiplus/codecs/jpeg/jpeg_icc_profile.h"
#include "platform/gdiplus/codecs/jpeg/xmp_segment.h"
#include "platform/gdiplus/codecs/stored_colour_space.h"

namespace vx::gdiplus::codecs {

namespace {

namespace codecs_iptc = vx::codecs::iptc;
constexpr int kMaxScans = 256;  // progressive files with more scans are hostile, not photographs
constexpr uint8_t kExifSignature[6] = {'E', 'x', 'i', 'f', 0, 0};

void LimitScans(j_common_ptr cinfo) {
  auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
  if (d->input_scan_number > kMaxScans) {
    d->err->msg_code = 0;
    d->err->error_exit(cinfo);
  }
}

struct JpegDecode {
  DecodeOptions options;
  DecodeBudget budget;
  Frame frame;
  std::vector<uint8_t> cmykRow;
  std::vector<PropertyRecord> properties;
  std::vector<uint8_t> profile;
  std::optional<CmykToSrgb> cmykProfile;  // set when CMYK samples go through the embedded profile
  Status status = GenericError;
};

void ReadExif(j_decompress_ptr cinfo, DecodeBudget& budget, std::vector<PropertyRecord>& items) {
  for (jpeg_saved_marker_ptr m = cinfo->marker_list; m; m = m->next) {
    if (m->marker != JPEG_APP0 + 1 || m->data_length < sizeof kExifSignature) continue;
    if (std::memcmp(m->data, kExifSignature, sizeof kExifSignature) != 0) continue;
    TiffLayout layout;
    if (!ParseTiffHeader(Bytes(m->data + 6, m->data_length - 6), layout)) continue;
    ReadIfdProperties(layout, layout.firstIfd, budget, items);
    ReadExifThumbnail(layout, budget, items);
    KeepExifBlock(layout, budget, items);
    return;
  }
}

// The IPTC record and the Photoshop resources around it become the property items TIFF files keep
// them in. They are read before the EXIF block: an IPTC-NAA copy in IFD0 is an older one that
// editors leave behind.
void ReadPhotoshopSegments(j_decompress_ptr cinfo, DecodeBudget& budget, std::vector<PropertyRecord>& items) {
  const auto add = [&](PROPID tag, WORD type, std::span<const uint8_t> value) {
    if (value.empty() || std::any_of(items.begin(), items.end(), [tag](const PropertyRecord& r) { return r.id == tag; }) ||
        !budget.TakeBytes(value.size() + sizeof(PropertyRecord)))
      return;
    items.push_back({tag, type, std::vector<uint8_t>(value.begin(), value.end())});
  };
  codecs_iptc::JoinedResources joined;
  for (jpeg_saved_marker_ptr m = cinfo->marker_list; m; m = m->next)
    if (m->marker == JPEG_APP0 + 13) joined.Add({m->data, m->data_length});
  add(codecs_iptc::kIptcPropertyTag, PropertyTagTypeUndefined, joined.Record());
  add(codecs_iptc::kPhotoshopResourcesTag, PropertyTagTypeByte, joined.Resources());
}

// The XMP packet becomes the property item TIFF files keep it in, bytes as stored.
void ReadXmp(j_decompress_ptr cinfo, DecodeBudget& budget, std::vector<PropertyRecord>& items) {
  constexpr PROPID kTag = vx::codecs::xmp::kXmpPropertyTag;
  if (std::any_of(items.begin(), items.end(), [](const PropertyRecord& r) { return r.id == kTag; })) return;
  for (jpeg_saved_marker_ptr m = cinfo->marker_list; m; m = m->next) {
    if (m->marker != JPEG_APP0 + 1) continue;
    const auto packet = vx::codecs::xmp::XmpOfSegment({m->data, m->data_length});
    if (packet.empty() || !budget.TakeBytes(packet.size() + sizeof(PropertyRecord))) continue;
    items.push_back({kTag, PropertyTagTypeByte, std::vector<uint8_t>(packet.begin(), packet.end())});
    return;
  }
}

// The APPn segments no other item stands for, as one item.
void ReadAppSegments(j_decompress_ptr cinfo, DecodeBudget& budget, std::vector<PropertyRecord>& items) {
  namespace app = vx::codecs::app_segments;
  std::vector<uint8_t> segments;
  for (jpeg_saved_marker_ptr m = cinfo->marker_list; m; m = m->next)
    if (app::Kept(static_cast<uint8_t>(m->marker), {m->data, m->data_length}))
      app::Append(segments, static_cast<uint8_t>(m->marker), {m->data, m->data_length});
  if (segments.empty() || !budget.TakeBytes(segments.size() + sizeof(PropertyRecord))) return;
  items.push_back({app::kAppSegmentsItem, PropertyTagTypeByte, std::move(segments)});
}

std::vector<uint8_t> ReadIccProfile(j_decompress_ptr cinfo) {
  std::vector<Bytes> payloads;
  for (jpeg_saved_marker_ptr m = cinfo->marker_list; m; m = m->next)
    if (m->marker == JPEG_APP0 + 2) payloads.emplace_back(m->data, m->data_length);
  return JoinIccChunks(payloads);
}

PixelFormat PrepareOutput(j_decompress_ptr cinfo, Frame& frame) {
  switch (cinfo->jpeg_color_space) {
    case JCS_GRAYSCALE:
      cinfo->out_color_space = JCS_GRAYSCALE;
      frame.imageFlags = ImageFlagsColorSpaceGRAY;
      return PixelFormat8bppIndexed;
    case JCS_CMYK:
    case JCS_YCCK:
      cinfo->out_color_space = JCS_CMYK;
      frame.imageFlags = ImageFlagsOf(JpegStoredColourSpace(cinfo->jpeg_color_space));
      return PixelFormat24bppRGB;
    default:
      cinfo->out_color_space = JCS_EXT_BGR;
      frame.imageFlags = ImageFlagsOf(JpegStoredColourSpace(cinfo->jpeg_color_space));
      if (frame.imageFlags == 0) frame.imageFlags = ImageFlagsColorSpaceRGB;
      return PixelFormat24bppRGB;
  }
}

void RunDecode(j_decompress_ptr cinfo, JpegDecode& d) {
  JpegErrorManager* errors = reinterpret_cast<JpegErrorManager*>(cinfo->err);
  if (setjmp(errors->jump)) return;
  jpeg_save_markers(cinfo, JPEG_APP0 + 1, 0xFFFF);
  jpeg_save_markers(cinfo, JPEG_APP0 + 2, 0xFFFF);
  jpeg_save_markers(cinfo, JPEG_APP0 + 13, 0xFFFF);
  for (int n = 3; n <= 15; ++n)
    if (n != 13 && n != 14) jpeg_save_markers(cinfo, JPEG_APP0 + n, 0xFFFF);
  if (jpeg_read_header(cinfo, TRUE) != JPEG_HEADER_OK) return;
  // Saved markers go away when the decompression finishes.
  ReadPhotoshopSegments(cinfo, d.budget, d.properties);
  ReadExif(cinfo, d.budget, d.properties);
  ReadXmp(cinfo, d.budget, d.properties);
  ReadAppSegments(cinfo, d.budget, d.properties);
  d.profile = ReadIccProfile(cinfo);
  Frame& frame = d.frame;
  UINT flags = 0;
  {
    Frame probe;
    const PixelFormat format = PrepareOutput(cinfo, probe);
    flags = probe.imageFlags;
    if ((d.status = NewFrame(d.budget, cinfo->image_width, cinfo->image_height, format, frame)) != Ok) return;
  }
  d.status = GenericError;
  jpeg_start_decompress(cinfo);
  const bool cmyk = cinfo->out_color_space == JCS_CMYK;
  if (cmyk) d.cmykRow.resize(size_t{cinfo->output_width} * 4);
  // CMYK samples always go through their own profile where they have one: the complement rule
  // is only the fallback of files that say nothing about their inks.
  if (cmyk && !d.profile.empty()) {
    d.cmykProfile.emplace(d.profile, cinfo->saw_Adobe_marker != 0);
    if (!*d.cmykProfile) d.cmykProfile.reset();
  }
  if (frame.format == PixelFormat8bppIndexed) SetPalette(frame, GreyPalette(256));
  while (cinfo->output_scanline < cinfo->output_height) {
    const INT y = static_cast<INT>(cinfo->output_scanline);
    JSAMPROW row = cmyk ? d.cmykRow.data() : RowOf(frame, y);
    if (jpeg_read_scanlines(cinfo, &row, 1) != 1) return;
    if (d.cmykProfile)
      d.cmykProfile->ConvertRow(d.cmykRow.data(), RowOf(frame, y), frame.width);
    else if (cmyk)
      CmykRowToRgb24(d.cmykRow.data(), cinfo->saw_Adobe_marker, RowOf(frame, y), frame.width);
  }
  jpeg_finish_decompress(cinfo);
  frame.imageFlags = flags | ImageFlagsHasRealPixelSize;
  if (cinfo->saw_JFIF_marker && cinfo->density_unit != 0 && cinfo->X_density && cinfo->Y_density) {
    const double scale = cinfo->density_unit == 2 ? 2.54 : 1.0;
    frame.dpiX = static_cast<REAL>(cinfo->X_density * scale);
    frame.dpiY = static_cast<REAL>(cinfo->Y_density * scale);
    frame.imageFlags |= ImageFlagsHasRealDPI;
  }
  d.status = Ok;
}

// EXIF resolution: a RATIONAL item and the unit item (2 inch, 3 centimetre). The unit 1 says the
// numbers are only an aspect ratio (tools copy JFIF's 1 x 1 "no unit" there): no resolution, so
// that a page is not laid out at one dot per inch.
bool ResolutionFromItems(const std::vector<PropertyRecord>& items, REAL& dpiX, REAL& dpiY) {
  constexpr int kUnitNone = 1, kUnitCentimetre = 3;
  double values[2] = {0, 0};
  double unitScale = 1.0;
  for (const PropertyRecord& r : items) {
    if (r.id == PropertyTagResolutionUnit && r.type == PropertyTagTypeShort && r.value.size() >= 2) {
      const int unit = r.value[0] | r.value[1] << 8;
      if (unit == kUnitNone) return false;
      unitScale = unit == kUnitCentimetre ? 2.54 : 1.0;
    }
    for (int axis = 0; axis < 2; ++axis) {
      if (r.id != (axis ? PropertyTagYResolution : PropertyTagXResolution) || r.type != PropertyTagTypeRational ||
          r.value.size() < 8)
        continue;
      uint32_t num = 0, den = 0;
      std::memcpy(&num, r.value.data(), 4);
      std::memcpy(&den, r.value.data() + 4, 4);
      if (den) values[axis] = static_cast<double>(num) / den;
    }
  }
  if (values[0] <= 0 || values[1] <= 0) return false;
  dpiX = static_cast<REAL>(values[0] * unitScale);
  dpiY = static_cast<REAL>(values[1] * unitScale);
  return true;
}

// JFIF holds whole dots per inch: EXIF tags within one dot of them hold the same resolution
// exactly (150.5 dpi, 40 dots per centimetre). Without JFIF's resolution the tags give it, and
// over JFIF's 72 x 72, which writers put in when they know no better (as the format plug-in
// reads such a file too).
void ApplyExifResolution(const std::vector<PropertyRecord>& items, Frame& frame) {
  constexpr REAL kPlaceholderDpi = 72;
  REAL x = 0, y = 0;
  if (!ResolutionFromItems(items, x, y)) return;
  const bool fromJfif = frame.imageFlags & ImageFlagsHasRealDPI;
  const bool placeholder = frame.dpiX == kPlaceholderDpi && frame.dpiY == kPlaceholderDpi;
  if (fromJfif && !placeholder && (std::fabs(x - frame.dpiX) >= 1 || std::fabs(y - frame.dpiY) >= 1)) return;
  frame.dpiX = x;
  frame.dpiY = y;
  frame.imageFlags |= ImageFlagsHasRealDPI;
}

}  // namespace

Status DecodeJpeg(Bytes data, DecodedImage& out, const DecodeOptions& options) {
  if (data.size() < 3 || data[0] != 0xFF || data[1] != 0xD8 || data[2] != 0xFF) return UnknownImageFormat;
  auto decode = std::make_unique<JpegDecode>();
  decode->options = options;
  jpeg_decompress_struct cinfo;
  JpegErrorManager errors;
  cinfo.err = InstallJpegErrors(errors);
  jpeg_create_decompress(&cinfo);
  jpeg_progress_mgr progress{};
  progress.progress_monitor = LimitScans;
  cinfo.progress = &progress;
  jpeg_mem_src(&cinfo, data.data(), static_cast<unsigned long>(data.size()));
  RunDecode(&cinfo, *decode);
  jpeg_destroy_decompress(&cinfo);
  if (decode->status != Ok) return decode->status;
  Frame& frame = decode->frame;
  ApplyExifResolution(decode->properties, frame);
  frame.properties = std::move(decode->properties);
  if (options.applyEmbeddedProfile && !decode->cmykProfile) ConvertFrameToSrgb(frame, decode->profile);
  AddProfileItem(frame, decode->profile, decode->budget);
  ForgetCmykProfileItem(frame);
  out.frames.clear();
  out.frames.push_back(std::move(frame));
  out.rawFormat = ImageFormatJPEG;
  out.dimension = FrameDimensionPage;
  return Ok;
}

}  // namespace vx::gdiplus::codecs
