#include "platform/gdiplus/codecs/color_management.h"

#include <lcms2.h>

#include <algorithm>
#include <iterator>
#include <new>
#include <numeric>
#include <vector>

#include "platform/gdiplus/codecs/frame_tools.h"

namespace vx::gdiplus::codecs {

namespace {

constexpr size_t kProfileHeaderBytes = 128;

struct ProfileCloser {
  void operator()(void* profile) const { cmsCloseProfile(profile); }
};
using ProfileHandle = std::unique_ptr<void, ProfileCloser>;
using TransformHandle = std::unique_ptr<void, TransformDeleter>;

// Device links, abstract and named-colour profiles describe no device's pixels: a file that
// embeds one is treated as having no usable profile.
bool DescribesPixels(cmsHPROFILE profile) {
  switch (cmsGetDeviceClass(profile)) {
    case cmsSigInputClass:
    case cmsSigDisplayClass:
    case cmsSigOutputClass:
    case cmsSigColorSpaceClass:
      return true;
    default:
      return false;
  }
}

ProfileHandle OpenProfile(Bytes bytes) {
  if (bytes.size() < kProfileHeaderBytes || bytes.size() > kMaxProfileBytes) return nullptr;
  ProfileHandle profile(cmsOpenProfileFromMem(bytes.data(), static_cast<cmsUInt32Number>(bytes.size())));
  if (profile && !DescribesPixels(profile.get())) return nullptr;
  return profile;
}

// A transform from `source` to sRGB; alpha (the extra channel of alpha layouts) is copied.
TransformHandle ToSrgb(cmsHPROFILE source, cmsUInt32Number inFormat, cmsUInt32Number outFormat) {
  ProfileHandle srgb(cmsCreate_sRGBProfile());
  if (!srgb) return nullptr;
  const cmsUInt32Number flags = T_EXTRA(inFormat) ? cmsFLAGS_COPY_ALPHA : 0;
  return TransformHandle(cmsCreateTransform(source, inFormat, srgb.get(), outFormat, INTENT_PERCEPTUAL, flags));
}

// The lcms2 layout of a frame's pixels (palette entries for indexed frames); 0 for layouts no
// reader makes, which are left alone.
cmsUInt32Number RgbLayoutOf(PixelFormat format) {
  switch (format) {
    case PixelFormat24bppRGB:
      return TYPE_BGR_8;
    case PixelFormat32bppARGB:
    case PixelFormat1bppIndexed:
    case PixelFormat4bppIndexed:
    case PixelFormat8bppIndexed:
      return TYPE_BGRA_8;
    case PixelFormat48bppRGB:
      return TYPE_BGR_16;
    case PixelFormat64bppARGB:
      return TYPE_BGRA_16;
    default:
      return 0;
  }
}

size_t RowBytes(const Frame& frame) {
  return (static_cast<size_t>(frame.width) * GetPixelFormatSize(frame.format) + 7) / 8;
}

void TransformRows(Frame& frame, cmsHTRANSFORM transform) {
  std::vector<uint8_t> converted(RowBytes(frame));
  for (INT y = 0; y < frame.height; ++y) {
    uint8_t* row = RowOf(frame, y);
    cmsDoTransform(transform, row, converted.data(), static_cast<cmsUInt32Number>(frame.width));
    std::copy(converted.begin(), converted.end(), row);
  }
}

void TransformPalette(Frame& frame, cmsHTRANSFORM transform) {
  std::vector<ARGB> palette(frame.palette.size());
  cmsDoTransform(transform, frame.palette.data(), palette.data(), static_cast<cmsUInt32Number>(palette.size()));
  SetPalette(frame, std::move(palette));
}

// Colours are converted with straight alpha: premultiplied pixels are unpremultiplied for the
// transform and premultiplied again after it.
PixelFormat StraightAlphaOf(PixelFormat format) {
  if (format == PixelFormat32bppPARGB) return PixelFormat32bppARGB;
  if (format == PixelFormat64bppPARGB) return PixelFormat64bppARGB;
  return format;
}

bool ConvertRgbFrame(Frame& frame, cmsHPROFILE profile);

bool ConvertPremultipliedFrame(Frame& frame, cmsHPROFILE profile) {
  Frame straight;
  if (ConvertFrame(frame, StraightAlphaOf(frame.format), {}, straight) != Ok || !ConvertRgbFrame(straight, profile)) return false;
  Frame premultiplied;
  if (ConvertFrame(straight, frame.format, {}, premultiplied) != Ok) return false;
  frame = std::move(premultiplied);
  return true;
}

bool ConvertRgbFrame(Frame& frame, cmsHPROFILE profile) {
  if (StraightAlphaOf(frame.format) != frame.format) return ConvertPremultipliedFrame(frame, profile);
  const cmsUInt32Number layout = RgbLayoutOf(frame.format);
  if (layout == 0) return false;
  TransformHandle transform = ToSrgb(profile, layout, layout);
  if (!transform) return false;
  if (IsIndexedPixelFormat(frame.format))
    TransformPalette(frame, transform.get());
  else
    TransformRows(frame, transform.get());
  return true;
}

// Grey frames hold R = G = B, so every grey level is converted once into a table of sRGB
// triples (B, G, R) that the rows or the palette then look up.
template <class Sample>
std::vector<Sample> GreyTable(cmsHPROFILE profile) {
  constexpr bool kWide = sizeof(Sample) == 2;
  TransformHandle transform = ToSrgb(profile, kWide ? TYPE_GRAY_16 : TYPE_GRAY_8, kWide ? TYPE_BGR_16 : TYPE_BGR_8);
  if (!transform) return {};
  constexpr size_t kLevels = size_t{1} << (8 * sizeof(Sample));
  std::vector<Sample> levels(kLevels);
  std::iota(levels.begin(), levels.end(), Sample{0});
  std::vector<Sample> table(kLevels * 3);
  cmsDoTransform(transform.get(), levels.data(), table.data(), static_cast<cmsUInt32Number>(kLevels));
  return table;
}

template <class Sample>
void LookUpGreyRows(Frame& frame, const std::vector<Sample>& table, int channels) {
  for (INT y = 0; y < frame.height; ++y) {
    auto* pixel = reinterpret_cast<Sample*>(RowOf(frame, y));
    for (INT x = 0; x < frame.width; ++x, pixel += channels) {
      const Sample* srgb = &table[size_t{pixel[1]} * 3];
      std::copy_n(srgb, 3, pixel);
    }
  }
}

void LookUpGreyPalette(Frame& frame, const std::vector<uint8_t>& table) {
  std::vector<ARGB> palette(frame.palette.size());
  for (size_t i = 0; i < palette.size(); ++i) {
    const ARGB entry = frame.palette[i];
    const uint8_t* srgb = &table[size_t{(entry >> 8) & 0xff} * 3];
    palette[i] = (entry & 0xff000000u) | uint32_t{srgb[2]} << 16 | uint32_t{srgb[1]} << 8 | srgb[0];
  }
  SetPalette(frame, std::move(palette));
}

bool ConvertGreyFrame(Frame& frame, cmsHPROFILE profile) {
  const cmsUInt32Number layout = RgbLayoutOf(frame.format);
  if (layout == 0) return false;
  if (T_BYTES(layout) == 2) {
    const std::vector<uint16_t> table = GreyTable<uint16_t>(profile);
    if (table.empty()) return false;
    LookUpGreyRows(frame, table, static_cast<int>(T_CHANNELS(layout) + T_EXTRA(layout)));
    return true;
  }
  const std::vector<uint8_t> table = GreyTable<uint8_t>(profile);
  if (table.empty()) return false;
  if (IsIndexedPixelFormat(frame.format))
    LookUpGreyPalette(frame, table);
  else
    LookUpGreyRows(frame, table, static_cast<int>(T_CHANNELS(layout) + T_EXTRA(layout)));
  return true;
}

}  // namespace

void TransformDeleter::operator()(void* transform) const { cmsDeleteTransform(transform); }

bool ConvertFrameToSrgb(Frame& frame, Bytes bytes) {
  if (!frame.scan0 || frame.width <= 0 || frame.height <= 0) return false;
  try {
    ProfileHandle profile = OpenProfile(bytes);
    if (!profile) return false;
    const cmsColorSpaceSignature space = cmsGetColorSpace(profile.get());
    const bool grey = (frame.imageFlags & ImageFlagsColorSpaceGRAY) != 0;
    const bool cmyk = (frame.imageFlags & ImageFlagsColorSpaceCMYK) != 0;
    if (space == cmsSigRgbData && !grey && !cmyk) return ConvertRgbFrame(frame, profile.get());
    if (space == cmsSigGrayData && grey) return ConvertGreyFrame(frame, profile.get());
  } catch (const std::bad_alloc&) {
    // Nothing is written before the last allocation: the frame is still the plain decode.
  }
  return false;
}

CmykToSrgb::CmykToSrgb(Bytes bytes, bool inverted) {
  ProfileHandle profile = OpenProfile(bytes);
  if (!profile || cmsGetColorSpace(profile.get()) != cmsSigCmykData) return;
  transform_ = ToSrgb(profile.get(), inverted ? TYPE_CMYK_8_REV : TYPE_CMYK_8, TYPE_BGR_8);
}

void CmykToSrgb::ConvertRow(const uint8_t* cmyk, uint8_t* bgr, INT width) const {
  cmsDoTransform(transform_.get(), cmyk, bgr, static_cast<cmsUInt32Number>(width));
}

bool IsUsableProfile(Bytes bytes) { return OpenProfile(bytes) != nullptr; }

SrgbToRgbProfile::SrgbToRgbProfile(Bytes bytes) {
  ProfileHandle profile = OpenProfile(bytes);
  if (!profile || cmsGetColorSpace(profile.get()) != cmsSigRgbData) return;
  ProfileHandle srgb(cmsCreate_sRGBProfile());
  if (!srgb) return;
  // 32bppARGB lies in memory as B, G, R, A. The settings are those lcms2's own tools use by
  // default (perceptual, no black-point compensation, normal precalculation), so that a picture
  // converted here and one converted with them agree.
  transform_.reset(cmsCreateTransform(srgb.get(), TYPE_BGRA_8, profile.get(), TYPE_BGRA_8, INTENT_PERCEPTUAL,
                                      cmsFLAGS_COPY_ALPHA));
}

void SrgbToRgbProfile::ConvertRow(uint32_t* argb, size_t count) const {
  cmsDoTransform(transform_.get(), argb, argb, static_cast<cmsUInt32Number>(count));
}

bool IsCmykProfile(Bytes profile) {
  constexpr size_t kColourSpaceField = 16;
  constexpr uint8_t kCmyk[] = {'C', 'M', 'Y', 'K'};
  return profile.size() >= kProfileHeaderBytes && std::equal(std::begin(kCmyk), std::end(kCmyk), profile.begin() + kColourSpaceField);
}

void ForgetCmykProfileItem(Frame& frame) {
  std::erase_if(frame.properties, [](const PropertyRecord& r) {
    return r.id == PropertyTagICCProfile && IsCmykProfile(Bytes(r.value.data(), r.value.size()));
  });
}

void AddProfileItem(Frame& frame, Bytes profile, DecodeBudget& budget) {
  if (profile.empty()) return;
  const bool present = std::any_of(frame.properties.begin(), frame.properties.end(),
                                   [](const PropertyRecord& r) { return r.id == PropertyTagICCProfile; });
  if (present || !budget.TakeBytes(profile.size() + sizeof(PropertyRecord))) return;
  try {
    frame.properties.push_back({PropertyTagICCProfile, PropertyTagTypeUndefined, std::vector<uint8_t>(profile.begin(), profile.end())});
  } catch (const std::bad_alloc&) {
    // The item is metadata: the decode stands without it.
  }
}

}  // namespace vx::gdiplus::codecs
