// Plug-in bitmaps whose samples no platform format holds as they are, rebuilt row by row in the
// format the platform's own decoders give the same file: CMYK ink as 24bppRGB (through the
// file's CMYK profile where it has one, by the complement rule otherwise; 16-bit ink too) and,
// of TIFF files, 16-bit RGB as 48bppRGB, RGBA as 64bppARGB and grey as 48bppRGB, samples kept
// exactly.
#include "engine/plugin/bridge_converted_rows.h"

#include <cstring>
#include <optional>
#include <vector>

#include "engine/image_access.h"
#include "engine/image_store.h"
#include "engine/load/from_memory.h"
#include "engine/plugin/bridge.h"
#include "platform/gdiplus/codecs/color_management.h"
#include "platform/gdiplus/codecs/frame_tools.h"
#include "platform/gdi/gdi_types.h"

namespace vx::engine {
namespace {

using gdiplus::PixelFormat;
namespace codecs = gdiplus::codecs;

enum class Samples { Ink, Ink16, Rgb16, Rgba16, Grey16 };

// Wide samples keep their depth where the platform's decoders read the format too (TIFF); the
// plug-in's other formats keep the plain view they always had.
std::optional<Samples> SamplesOf(const VximgplugApi& api, uint32_t bitmap, int32_t format) {
  const int32_t type = api.GetImageType(bitmap);
  const bool ink = api.GetColorType(bitmap) == kColorTypeCMYK;
  if (type == ImageTypePlain) return api.GetBPP(bitmap) == 32 && ink ? std::optional(Samples::Ink) : std::nullopt;
  if (type == ImageTypeRGBA16 && ink) return Samples::Ink16;
  if (format != PluginFormatTIFF) return std::nullopt;
  switch (type) {
    case ImageTypeRGB16: return Samples::Rgb16;
    case ImageTypeRGBA16: return Samples::Rgba16;
    case ImageTypeUint16: return Samples::Grey16;
    default: return std::nullopt;
  }
}

PixelFormat TargetFormat(Samples samples) {
  switch (samples) {
    case Samples::Ink:
    case Samples::Ink16: return gdiplus::PixelFormat24bppRGB;
    case Samples::Rgba16: return gdiplus::PixelFormat64bppARGB;
    default: return gdiplus::PixelFormat48bppRGB;
  }
}

// The bitmap's CMYK profile, as a converter to sRGB; empty when it has none lcms2 can use.
std::optional<codecs::CmykToSrgb> InkProfile(const VximgplugApi& api, uint32_t bitmap) {
  VximgplugIccProfile profile{};
  if (api.GetICCProfile(bitmap, &profile) == 0 || profile.data == nullptr || profile.size == 0) return std::nullopt;
  std::optional<codecs::CmykToSrgb> converter;
  converter.emplace(codecs::Bytes(static_cast<const uint8_t*>(profile.data), profile.size), false);
  if (!*converter) converter.reset();
  return converter;
}

// One row of the plug-in's samples into one row of the target format. FreeImage keeps 16-bit
// colour red first; the platform keeps every colour format blue first.
class RowConverter {
 public:
  RowConverter(const VximgplugApi& api, uint32_t bitmap, Samples samples)
      : samples_(samples), minIsWhite_(api.GetPhotoMetric(bitmap) == kColorTypeMinIsWhite) {
    if (samples == Samples::Ink || samples == Samples::Ink16) profile_ = InkProfile(api, bitmap);
    if (samples == Samples::Ink16) narrowed_.resize(static_cast<size_t>(api.GetWidth(bitmap)) * 4);
  }

  void Convert(const uint8_t* source, uint8_t* target, int32_t width) {
    switch (samples_) {
      case Samples::Ink16:
        NarrowRow(reinterpret_cast<const uint16_t*>(source), static_cast<size_t>(width) * 4);
        ConvertInk(narrowed_.data(), target, width);
        break;
      case Samples::Ink:
        ConvertInk(source, target, width);
        break;
      case Samples::Rgb16:
      case Samples::Rgba16: {
        const int channels = samples_ == Samples::Rgb16 ? 3 : 4;
        std::memcpy(target, source, static_cast<size_t>(width) * channels * 2);
        codecs::SwapRedBlue(reinterpret_cast<uint16_t*>(target), width, channels);
        break;
      }
      case Samples::Grey16:
        codecs::GreyToRgb48(reinterpret_cast<const uint16_t*>(source), minIsWhite_, reinterpret_cast<uint16_t*>(target),
                            width);
        break;
    }
  }

 private:
  Samples samples_;
  void ConvertInk(const uint8_t* cmyk, uint8_t* target, int32_t width) const {
    if (profile_)
      profile_->ConvertRow(cmyk, target, width);
    else
      codecs::CmykRowToRgb24(cmyk, false, target, width);
  }

  // 16-bit ink to the 8 bits the converters take; the picture ends at 24 bits either way.
  void NarrowRow(const uint16_t* samples, size_t count) {
    for (size_t i = 0; i < count; ++i) narrowed_[i] = static_cast<uint8_t>((samples[i] * 255u + 32767u) / 65535u);
  }

  bool minIsWhite_;
  std::optional<codecs::CmykToSrgb> profile_;
  std::vector<uint8_t> narrowed_;
};

// The plug-in reports a bitmap that holds its top row first with a negative height, as a
// top-down DIB.
bool TopRowFirst(const VximgplugApi& api, uint32_t bitmap) {
  const void* info = api.GetInfo(bitmap);
  if (info == nullptr) return false;
  BITMAPINFOHEADER header{};
  std::memcpy(&header, info, sizeof header);
  return header.biHeight < 0;
}

VexiroStatus WriteRows(const VximgplugApi& api, uint32_t bitmap, RowConverter& converter, int32_t id) {
  const int32_t width = api.GetWidth(bitmap), height = api.GetHeight(bitmap), pitch = api.GetPitch(bitmap);
  const uint8_t* bits = api.GetBits(bitmap);
  if (bits == nullptr || pitch <= 0) return vexiro::GenericError;
  PixelFormat format = GetImagePixelFormatValue(id);
  gdiplus::BitmapData data{};
  const gdiplus::GpRect whole{0, 0, width, height};
  if (const VexiroStatus s = LockImageBits(id, whole, gdiplus::ImageLockModeWrite, format, data); s != vexiro::OK) return s;
  const bool topFirst = TopRowFirst(api, bitmap);
  for (int32_t y = 0; y < height; ++y) {
    const int32_t sourceRow = topFirst ? y : height - 1 - y;
    converter.Convert(bits + static_cast<size_t>(sourceRow) * static_cast<size_t>(pitch),
                      static_cast<uint8_t*>(data.Scan0) + static_cast<ptrdiff_t>(y) * data.Stride, width);
  }
  return UnlockImageBits(id, data);
}

}  // namespace

bool NeedsConvertedRows(const VximgplugApi& api, uint32_t bitmap, int32_t format) {
  return SamplesOf(api, bitmap, format).has_value();
}

VexiroStatus ImageFromConvertedRows(const VximgplugApi& api, uint32_t bitmap, int32_t format, int32_t& id) {
  id = 0;
  const std::optional<Samples> samples = SamplesOf(api, bitmap, format);
  if (!samples) return vexiro::UnknownImageFormat;
  RowConverter converter(api, bitmap, *samples);
  VexiroStatus s = CreateImageFromScan0(api.GetWidth(bitmap), api.GetHeight(bitmap), 0, TargetFormat(*samples), 0, id, false);
  if (s == vexiro::OK) s = WriteRows(api, bitmap, converter, id);
  if (s != vexiro::OK && id != 0) {
    ReleaseImage(id);
    id = 0;
  }
  return s;
}

}  // namespace vx::engine
