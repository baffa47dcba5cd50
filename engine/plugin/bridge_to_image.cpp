// Plug-in bitmaps into DIB sections and registered GDI+ images.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "engine/image_access.h"
#include "engine/handles/images_from_handles.h"
#include "engine/load/from_memory.h"
#include "engine/pixel_formats.h"
#include "engine/plugin/api.h"
#include "engine/plugin/bridge.h"
#include "engine/plugin/bridge_converted_rows.h"
#include "platform/gdiplus/codecs/stored_colour_space.h"
#include "platform/gdiplus/image_io.h"
#include "platform/gdi/gdi.h"

namespace vx::engine {
namespace {

using gdiplus::PixelFormat;

constexpr int32_t kPhotometricWhiteIsZero = 0;
constexpr gdiplus::ARGB kOpaqueBlack = 0xFF000000;
constexpr gdiplus::ARGB kOpaqueWhite = 0xFFFFFFFF;

// These formats arrive with their top row first in memory; every other one bottom row first.
bool ArrivesTopRowFirst(int32_t format) {
  return format == PluginFormatJPEG || format == PluginFormatPNG || format == PluginFormatJ2K ||
         format == PluginFormatJP2;
}

// The view the engine can show: wide samples to grey, HDR tone-mapped, other exotic types to
// plain bitmaps. 0 when no conversion applies or it failed.
uint32_t ConvertToPlainType(const VximgplugApi& api, uint32_t bitmap, int32_t imageType) {
  switch (imageType) {
    case ImageTypeUint16: return api.ConvertToGreyscale(bitmap);
    case ImageTypeRGB16:
    case ImageTypeRGBF:
    case ImageTypeRGBAF: return api.TmoReinhard05(bitmap, 0, 0, 0, 0);
    default: return api.ConvertToType(bitmap, ImageTypePlain, 1);
  }
}

// The conversion replaces the bitmap: a locked page goes back to its file unchanged, a bitmap
// of our own is unloaded.
void ReplaceBitmap(const VximgplugApi& api, uint32_t& bitmap, bool& lockedPage, uint32_t multiBitmap,
                   uint32_t converted) {
  if (lockedPage) {
    api.UnlockPage(multiBitmap, bitmap, 0);
    lockedPage = false;
  } else {
    api.Unload(bitmap);
  }
  bitmap = converted;
}

bool HasColourMasks(const VximgplugApi& api, uint32_t bitmap) {
  const void* info = api.GetInfo(bitmap);
  BITMAPINFOHEADER header{};
  if (info != nullptr) std::memcpy(&header, info, sizeof header);
  return header.biCompression == BI_BITFIELDS;
}

// Replaces the bitmap by one the engine can show where needed; true when a palette with
// transparent entries was widened to 32 bits (shown over the plug-in's pixels, not copied).
bool ConvertForDisplay(const VximgplugApi& api, uint32_t& bitmap, bool& lockedPage, uint32_t multiBitmap) {
  bool expandedPalette = false;
  const int32_t imageType = api.GetImageType(bitmap);
  if (imageType == ImageTypePlain) {
    if (api.GetBPP(bitmap) == 8 && api.GetTransparencyCount(bitmap) > 0) {
      if (const uint32_t converted = api.ConvertTo32Bits(bitmap)) {
        ReplaceBitmap(api, bitmap, lockedPage, multiBitmap, converted);
        expandedPalette = true;
      }
    }
  } else if (const uint32_t converted = ConvertToPlainType(api, bitmap, imageType)) {
    ReplaceBitmap(api, bitmap, lockedPage, multiBitmap, converted);
  }
  // Sixteen bits with colour masks cannot cross as a DIB (the plug-in hands over no masks):
  // the plug-in widens them to 24 bits, which it reads by its own masks.
  if (api.GetBPP(bitmap) == 16 && HasColourMasks(api, bitmap)) {
    if (const uint32_t converted = api.ConvertTo24Bits(bitmap)) ReplaceBitmap(api, bitmap, lockedPage, multiBitmap, converted);
  }
  return expandedPalette;
}

// 24 bits and up are shown over the plug-in's own pixels; 0 for a depth that cannot be shown.
PixelFormat DirectPixelFormat(int32_t bpp, int32_t colorType, int32_t width, int32_t pitch) {
  switch (bpp) {
    case 24: return gdiplus::PixelFormat24bppRGB;
    case 32: return colorType == kColorTypeRGBAlpha ? gdiplus::PixelFormat32bppARGB : gdiplus::PixelFormat32bppRGB;
    case 48: return pitch == ComputeStride(width, 24) ? gdiplus::PixelFormat24bppRGB : gdiplus::PixelFormat48bppRGB;
    case 64: return pitch == ComputeStride(width, 32) ? gdiplus::PixelFormat32bppARGB : gdiplus::PixelFormat64bppARGB;
    default: return 0;
  }
}

// The plug-in's header and palette copied into a block of known size: the plug-in promises a
// header followed by the palette and nothing more, so a header that announces colour masks
// (which would be read past that) is refused.
bool CopyBitmapInfo(const VximgplugApi& api, uint32_t bitmap, std::vector<uint8_t>& info) {
  const void* pluginInfo = api.GetInfo(bitmap);
  if (pluginInfo == nullptr) return false;
  BITMAPINFOHEADER header;
  std::memcpy(&header, pluginInfo, sizeof header);
  if (header.biSize < sizeof header || header.biCompression != BI_RGB) return false;
  const int32_t used = header.biBitCount <= 8 ? api.GetColorsUsed(bitmap) : 0;
  const size_t colours = static_cast<size_t>(std::clamp(used, 0, 256));
  const void* palette = colours > 0 ? api.GetPalette(bitmap) : nullptr;
  if (colours > 0 && palette == nullptr) return false;
  header.biSize = sizeof header;
  header.biClrUsed = static_cast<DWORD>(colours);
  info.assign(sizeof header + std::max<size_t>(colours, 1) * sizeof(RGBQUAD), 0);
  std::memcpy(info.data(), &header, sizeof header);
  if (colours > 0) std::memcpy(info.data() + sizeof header, palette, colours * sizeof(RGBQUAD));
  return true;
}

// The plug-in's rows into a DIB section made from the same header, row by row, so that a pitch
// the section does not share can never overrun it.
void CopyRows(const BITMAPINFOHEADER& header, const uint8_t* source, int32_t pitch, int32_t height, uint8_t* target) {
  const int32_t stride = (ComputeRowBytes(header.biWidth, header.biBitCount) + 3) & ~3;
  if (pitch <= 0 || stride <= 0 || std::abs(header.biHeight) != height) return;
  const size_t rowBytes = static_cast<size_t>(std::min(pitch, stride));
  for (int32_t y = 0; y < height; ++y)
    std::memcpy(target + static_cast<size_t>(y) * static_cast<size_t>(stride),
                source + static_cast<size_t>(y) * static_cast<size_t>(pitch), rowBytes);
}

// Below 24 bits the pixels are copied through a DIB section; the plug-in bitmap is then no
// longer needed.
VexiroStatus ImageThroughDibSection(const VximgplugApi& api, uint32_t bitmap, int32_t format, int32_t& id) {
  int32_t bpp = api.GetBPP(bitmap);
  const bool whiteIsZero = bpp == 1 && api.GetPhotoMetric(bitmap) == kPhotometricWhiteIsZero;
  if (whiteIsZero) api.Invert(bitmap);
  if (ArrivesTopRowFirst(format)) api.FlipVertical(bitmap);
  const HBITMAP section = PluginBitmapToHBitmap(bitmap, 0, false);
  if (section == 0) return vexiro::GenericError;
  const VexiroStatus status = CreateImageFromBitmapHandle(section, 0, id);
  DeleteObject(section);
  if (status != vexiro::OK) return status;
  // Inverted pixels under a black-then-white palette look as the file does.
  if (whiteIsZero) {
    gdiplus::ColorPalette palette;
    palette.Count = 2;
    palette.Entries[0] = kOpaqueBlack;
    palette.Entries[1] = kOpaqueWhite;
    SetImagePalette(id, palette);
  }
  return vexiro::OK;
}

// 24 bits and up: a GDI+ image over the plug-in's own pixels, top row first.
VexiroStatus ImageOverPluginPixels(const VximgplugApi& api, uint32_t bitmap, int32_t format, PixelFormat pixelFormat,
                                   int32_t& id) {
  const bool flipped = ArrivesTopRowFirst(format) || api.FlipVertical(bitmap) == 1;
  const VexiroStatus status =
      CreateImageFromScan0(api.GetWidth(bitmap), api.GetHeight(bitmap), api.GetPitch(bitmap), pixelFormat,
                           reinterpret_cast<intptr_t>(api.GetBits(bitmap)), id, false);
  if (status != vexiro::OK) return status;
  if (!flipped) RotateFlipImage(id, gdiplus::RotateNoneFlipY);
  return vexiro::OK;
}

// The plug-in keeps whole dots per metre and reports whole dots per inch; tags within one dot of
// that hold the same resolution exactly (72.5 dpi, 40 dots per centimetre).
bool TagsRefine(float tag, int32_t whole) { return std::fabs(tag - static_cast<float>(whole)) < 1.0f; }

// The plug-in's resolution, unless it has none or the 72 x 72 it gives when the file says nothing
// while the tags say otherwise. Without either the image keeps the platform's default, as the
// platform's own decoders leave it.
void ApplyLoadedResolution(int32_t id, uint32_t bitmap, int32_t dpiX, int32_t dpiY) {
  float tagVertical = 0, tagHorizontal = 0;
  PluginMetadataToImage(id, bitmap, tagVertical, tagHorizontal);
  float horizontal = static_cast<float>(dpiX), vertical = static_cast<float>(dpiY);
  const bool tagsPresent = tagHorizontal > 0 && tagVertical > 0;
  const bool pluginHasNone = dpiX <= 0 || dpiY <= 0;
  const bool pluginDefault = dpiX == 72 && dpiY == 72 && (tagHorizontal != 72 || tagVertical != 72);
  const bool refined = TagsRefine(tagHorizontal, dpiX) && TagsRefine(tagVertical, dpiY);
  if (tagsPresent && (pluginHasNone || pluginDefault || refined)) {
    horizontal = tagHorizontal;
    vertical = tagVertical;
  }
  if (horizontal <= 0 || vertical <= 0) return;
  // 72 x 72 without tags is what the plug-in gives for a file that names no resolution.
  const bool given = tagsPresent || dpiX != 72 || dpiY != 72;
  if (given) SetImageResolutionGiven(id, horizontal, vertical);
  else SetImageResolution(id, horizontal, vertical);
}

}  // namespace

HBITMAP PluginBitmapToHBitmap(uint32_t bitmap, HDC dc, bool unload) {
  if (bitmap == 0) return 0;
  const VximgplugApi& api = Vximgplug();
  std::vector<uint8_t> info;
  const uint8_t* source = api.GetBits(bitmap);
  HBITMAP section = 0;
  if (source != nullptr && CopyBitmapInfo(api, bitmap, info)) {
    const auto* header = reinterpret_cast<const BITMAPINFO*>(info.data());
    const HDC screen = dc != 0 ? 0 : GetDC(0);
    void* bits = nullptr;
    section = CreateDIBSection(dc != 0 ? dc : screen, header, DIB_RGB_COLORS, &bits, 0, 0);
    if (screen != 0) ReleaseDC(0, screen);
    if (section != 0 && bits != nullptr)
      CopyRows(header->bmiHeader, source, api.GetPitch(bitmap), api.GetHeight(bitmap), static_cast<uint8_t*>(bits));
  }
  if (unload) api.Unload(bitmap);
  return section;
}

namespace {

// A bitmap the engine can show (after the plug-in converted it where needed), through a DIB
// section or over its own pixels.
VexiroStatus ImageOfShownBitmap(const VximgplugApi& api, uint32_t& bitmap, bool& released, bool& lockedPage,
                                uint32_t multiBitmap, int32_t format, int32_t& id) {
  const bool expandedPalette = ConvertForDisplay(api, bitmap, lockedPage, multiBitmap);
  const int32_t bpp = api.GetBPP(bitmap);
  // Read after the conversions: a palette widened for its transparent entries keeps its alpha.
  const int32_t colorType = api.GetColorType(bitmap);
  if (!expandedPalette && bpp > 0 && bpp < 24) {
    released = true;
    return ImageThroughDibSection(api, bitmap, format, id);
  }
  const PixelFormat pixelFormat = DirectPixelFormat(bpp, colorType, api.GetWidth(bitmap), api.GetPitch(bitmap));
  if (pixelFormat == 0) {
    released = true;
    return vexiro::UnknownImageFormat;
  }
  const VexiroStatus status = ImageOverPluginPixels(api, bitmap, format, pixelFormat, id);
  released = status != vexiro::OK;
  return status;
}

// The colour space the helper read from the file; for a bitmap without that tag (a format that
// has none, a page of a multi-page file), what its colour type says.
gdiplus::UINT StoredColourSpaceFlags(const VximgplugApi& api, uint32_t bitmap) {
  using gdiplus::codecs::StoredColourSpace;
  std::vector<VximgplugTagRecord> tags;
  PluginEnumerateMetadata(PluginModelCustom, bitmap, tags);
  for (const VximgplugTagRecord& tag : tags) {
    if (tag.key == nullptr || std::strcmp(tag.key, VXIMGPLUG_STORED_COLOR_SPACE_KEY) != 0 || tag.value == nullptr) continue;
    const std::string name(static_cast<const char*>(tag.value), strnlen(static_cast<const char*>(tag.value), tag.length));
    return gdiplus::codecs::ImageFlagsOf(gdiplus::codecs::StoredColourSpaceNamed(name));
  }
  switch (api.GetPhotoMetric(bitmap)) {
    case kColorTypeMinIsWhite:
    case kColorTypeMinIsBlack: return gdiplus::codecs::ImageFlagsOf(StoredColourSpace::Grey);
    case kColorTypeCMYK: return gdiplus::codecs::ImageFlagsOf(StoredColourSpace::Cmyk);
    case -1: return 0;
    default: return gdiplus::codecs::ImageFlagsOf(StoredColourSpace::Rgb);
  }
}

}  // namespace

VexiroStatus PluginBitmapToImage(uint32_t& bitmap, int32_t& id, bool& released, bool& lockedPage,
                                 uint32_t multiBitmap, int32_t format) {
  const VximgplugApi& api = Vximgplug();
  const int32_t dpiX = PluginGetDpiX(bitmap), dpiY = PluginGetDpiY(bitmap);
  // Read before any conversion, which may leave a CMYK bitmap an RGB one.
  const gdiplus::UINT colourSpace = StoredColourSpaceFlags(api, bitmap);
  VexiroStatus status;
  if (NeedsConvertedRows(api, bitmap, format)) {
    released = true;
    status = ImageFromConvertedRows(api, bitmap, format, id);
  } else {
    status = ImageOfShownBitmap(api, bitmap, released, lockedPage, multiBitmap, format, id);
  }
  if (status != vexiro::OK) return status;
  ApplyLoadedResolution(id, bitmap, dpiX, dpiY);
  gdiplus::SetDecodedColourSpace(GetGpImage(id), colourSpace);
  return status;
}

}  // namespace vx::engine
