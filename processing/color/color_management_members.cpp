// Colour profiles of the current image (the embedded profile item, conversion through an RGB
// profile), colour separations, and redraws through a remap table or a colour key.
#include <cstdio>
#include <fstream>
#include <memory>
#include <span>
#include <vector>

#include "engine/gdiplus_lifetime.h"
#include "engine/image_access.h"
#include "engine/image_graphics.h"
#include "engine/image_store.h"
#include "engine/load/from_memory.h"
#include "engine/routines/shared_routines.h"
#include "platform/gdiplus/codecs/color_management.h"
#include "platform/gdiplus/codecs/tiff/tiff_profile_tag.h"
#include "platform/gdiplus/gdiplus_flat.h"
#include "platform/gdiplus/graphics.h"
#include "platform/gdiplus/image_io_file.h"
#include "platform/gdiplus/image_attributes.h"
#include "vexiro/imaging.h"

namespace vexiro {

using namespace vx::engine;
namespace gp = vx::gdiplus;

namespace {

constexpr gp::PROPID kProfileTag = 0x8773;

// The bytes of the image's embedded profile; false when it has none.
bool ReadEmbeddedProfile(int32_t id, std::vector<uint8_t>& bytes) {
  int32_t size = 0;
  if (GetImagePropertyItemSize(id, kProfileTag, size) != OK || size <= 0) return false;
  std::vector<uint8_t> buffer(static_cast<size_t>(size));
  auto* item = reinterpret_cast<gp::PropertyItem*>(buffer.data());
  if (gp::GdipGetPropertyItem(GpImageFromID(id), kProfileTag, static_cast<gp::UINT>(size), item) != gp::Ok)
    return false;
  const auto* value = static_cast<const uint8_t*>(item->value);
  bytes.assign(value, value + item->length);
  return true;
}

// A profile file read whole, bounded as the decoders bound embedded profiles.
VexiroStatus ReadProfileFile(const std::string& path, std::vector<uint8_t>& bytes) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in) return FileNotFound;
  const std::streamoff size = in.tellg();
  if (size < 0) return GenericError;
  if (static_cast<uint64_t>(size) > vx::gdiplus::codecs::kMaxProfileBytes) return OutOfMemory;
  bytes.resize(static_cast<size_t>(size));
  in.seekg(0);
  if (!in.read(reinterpret_cast<char*>(bytes.data()), size)) return GenericError;
  return OK;
}

struct GraphicsDeleter {
  void operator()(gp::GpGraphics* graphics) const { gp::GdipDeleteGraphics(graphics); }
};
using GraphicsPtr = std::unique_ptr<gp::GpGraphics, GraphicsDeleter>;

// Draws the whole of `source` onto `target` through the attributes, pixel for pixel.
VexiroStatus DrawThrough(int32_t source, int32_t target, const gp::GpImageAttributes* attributes, bool fastModes) {
  int32_t width = 0, height = 0;
  GetImageWidth(source, width);
  GetImageHeight(source, height);
  gp::GpGraphics* raw = nullptr;
  if (VexiroStatus s = GetImageGraphics(target, raw); s != OK) return s;
  GraphicsPtr graphics(raw);
  if (fastModes) SetGraphicsFastMode(graphics.get());
  return ToStatus(gp::GdipDrawImageRectRectI(graphics.get(), GpImageFromID(source), 0, 0, width, height, 0, 0, width,
                                             height, gp::UnitPixel, attributes));
}

}  // namespace

bool cImaging::ICCImageHasProfile() {
  std::vector<uint8_t> profile;
  return ReadEmbeddedProfile(nNativeImage, profile);
}

VexiroStatus cImaging::ICCExportToFile(const std::string& sFilePath) {
  if (RefusesCutPath(sFilePath)) return InvalidParameter;
  std::vector<uint8_t> profile;
  if (!ReadEmbeddedProfile(nNativeImage, profile)) return nStat = ProfileNotFound;
  // Written beside the target and renamed over it: a full disk must not cost the old file.
  const std::string path = NormalizePath(sFilePath);
  return nStat = gp::ReplaceFileAtomically(path.c_str(), profile) == gp::Ok ? OK : CanNotCreateFile;
}

VexiroStatus cImaging::ICCRemove() {
  std::vector<uint8_t> profile;
  if (!ReadEmbeddedProfile(nNativeImage, profile)) return nStat = ProfileNotFound;
  return nStat = ToStatus(gp::GdipRemovePropertyItem(GpImageFromID(nNativeImage), kProfileTag));
}

VexiroStatus cImaging::ICCAddFromFile(const std::string& sFilePath) {
  if (RefusesCutPath(sFilePath)) return InvalidParameter;
  const std::string path = GetExistingFilePath(NormalizePath(sFilePath));
  if (path.empty()) return nStat = FileNotFound;
  std::vector<uint8_t> profile;
  if (VexiroStatus s = ReadProfileFile(path, profile); s != OK) return nStat = s;
  if (profile.empty()) return nStat;
  if (nNativeImage == 0) return nStat = GenericError;
  ICCRemove();
  gp::PropertyItem item;
  item.id = kProfileTag;
  item.type = gp::PropertyTagTypeUndefined;
  item.length = static_cast<gp::ULONG>(profile.size());
  item.value = profile.data();
  nStat = ToStatus(gp::GdipSetPropertyItem(GpImageFromID(nNativeImage), &item));
  if (nStat == OK) MarkImageModified(nNativeImage);
  return nStat;
}

VexiroStatus cImaging::ICCSetRGBProfile(const std::string& sProfilePath) {
  if (RefusesCutPath(sProfilePath)) return InvalidParameter;
  const std::string path = sProfilePath.size() < 2 ? "" : GetExistingFilePath(NormalizePath(sProfilePath));
  if (path.empty()) return nStat;
  if (nNativeImage == 0) return nStat = GenericError;
  std::vector<uint8_t> bytes;
  const bool read = ReadProfileFile(path, bytes) == OK;
  const gp::codecs::SrgbToRgbProfile conversion(bytes);
  // A profile that cannot be read whole, or is not an RGB profile, cannot take the pixels.
  if (!read || !conversion) return nStat = ProfileNotFound;
  SaveImageProperties();
  ScopedImage converted;
  if (VexiroStatus s = ConvertImagePixelFormat(nNativeImage, gp::PixelFormat32bppARGB, true, *converted.put()); s != OK)
    return nStat = s;
  gp::BitmapData data;
  gp::PixelFormat format = gp::PixelFormat32bppARGB;
  const gp::GpRect whole{0, 0, nSavedWidth, nSavedHeight};
  if (VexiroStatus s = LockImageBits(converted.get(), whole, gp::ImageLockModeRead | gp::ImageLockModeWrite, format, data);
      s != OK)
    return nStat = s;
  for (int32_t y = 0; y < nSavedHeight; ++y)
    conversion.ConvertRow(reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(data.Scan0) + static_cast<ptrdiff_t>(y) * data.Stride),
                          static_cast<size_t>(nSavedWidth));
  if (VexiroStatus s = UnlockImageBits(converted.get(), data); s != OK) return nStat = s;
  RestoreImageProperties(converted.get());
  ReplaceImage(nNativeImage, converted.Keep());
  return nStat = OK;
}

namespace {

// The TIFF file at `path` gets `profile` on every page, or loses its profile when it is empty.
VexiroStatus RewriteProfileOfTiffFile(const std::string& path, std::span<const uint8_t> profile) {
  if (!gp::codecs::IsTiffFile(path)) return UnsupportedImageFormat;
  switch (gp::codecs::RewriteTiffProfile(path, profile)) {
    case gp::Ok: return OK;
    case gp::ProfileNotFound: return ProfileNotFound;
    case gp::UnknownImageFormat: return OutOfMemory;  // damaged directories: the file cannot be loaded
    default: return GenericError;
  }
}

}  // namespace

VexiroStatus cImaging::ICCRemoveProfileToFile(const std::string& sFilePath) {
  if (RefusesCutPath(sFilePath)) return InvalidParameter;
  const std::string path = GetExistingFilePath(NormalizePath(sFilePath));
  if (path.empty()) return nStat = FileNotFound;
  return nStat = RewriteProfileOfTiffFile(path, {});
}

VexiroStatus cImaging::ICCAddProfileToFile(const std::string& sImagePath, const std::string& sProfilePath) {
  if (RefusesCutPath(sImagePath) || RefusesCutPath(sProfilePath)) return InvalidParameter;
  const std::string path = GetExistingFilePath(NormalizePath(sImagePath));
  if (path.empty()) return nStat = FileNotFound;
  if (!gp::codecs::IsTiffFile(path)) return nStat = UnsupportedImageFormat;
  std::vector<uint8_t> profile;
  const std::string profilePath = GetExistingFilePath(NormalizePath(sProfilePath));
  if (profilePath.empty() || ReadProfileFile(profilePath, profile) != OK || !gp::codecs::IsUsableProfile(profile))
    return nStat = GenericError;
  return nStat = RewriteProfileOfTiffFile(path, profile);
}

int32_t cImaging::ExtractColorChannel(int32_t channel) {
  if (nNativeImage == 0) {
    nStat = GenericError;
    return 0;
  }
  int32_t width = 0, height = 0;
  GetImageWidth(nNativeImage, width);
  GetImageHeight(nNativeImage, height);
  const gp::PixelFormat format = GetImagePixelFormatValue(nNativeImage);
  float horizontal = 0, vertical = 0;
  GetImageHorizontalResolution(nNativeImage, horizontal);
  GetImageVerticalResolution(nNativeImage, vertical);
  gp::GpImageAttributes* raw = nullptr;
  if (VexiroStatus s = CreateImageAttributes(raw); s != OK) {
    nStat = s;
    return 0;
  }
  ImageAttributesPtr attributes(raw);
  if (ICCImageHasProfile()) {
    VexiroStatus exported = OK;
    const std::string file = WriteFreshTempFile([this](const std::string& path) { return ICCExportToFile(path); },
                                                exported);
    if (file.empty()) {
      nStat = exported;
      return 0;
    }
    // Only a CMYK output profile says how much ink each channel takes; for any other the
    // platform refuses it and the plain complement rule stands.
    SetImageAttributesOutputChannelColorProfile(attributes.get(), gp::ColorAdjustTypeDefault, true, file);
    DeleteFileQuietly(file);
  }
  SetImageAttributesOutputChannel(attributes.get(), gp::ColorAdjustTypeDefault, true,
                                  static_cast<gp::ColorChannelFlags>(channel));
  ScopedImage separation;
  VexiroStatus s = CreateImageFromScan0(width, height, 0, format, 0, *separation.put(), false);
  if (s == OK) s = DrawThrough(nNativeImage, separation.get(), attributes.get(), true);
  if (s == OK) s = SetImageResolution(separation.get(), horizontal, vertical);
  nStat = s;
  return s == OK ? separation.Keep() : 0;
}

int32_t cImaging::GetColorChannelFlagsC() { return ExtractColorChannel(gp::ColorChannelFlagsC); }
int32_t cImaging::GetColorChannelFlagsM() { return ExtractColorChannel(gp::ColorChannelFlagsM); }
int32_t cImaging::GetColorChannelFlagsY() { return ExtractColorChannel(gp::ColorChannelFlagsY); }
int32_t cImaging::GetColorChannelFlagsK() { return ExtractColorChannel(gp::ColorChannelFlagsK); }

VexiroStatus cImaging::RedrawThroughAttributes(gp::GpImageAttributes* attributes, bool fastModes) {
  SaveImageProperties();
  const gp::PixelFormat format =
      CurrentImageIsIndexed() && GdiplusBefore60() ? gp::PixelFormat24bppRGB : nSavedPixelFormat;
  ScopedImage redrawn;
  VexiroStatus s = CreateImageFromScan0(nSavedWidth, nSavedHeight, 0, format, 0, *redrawn.put(), false);
  if (s == OK) s = DrawThrough(nNativeImage, redrawn.get(), attributes, fastModes);
  if (s != OK) return s;
  RestoreImageProperties(redrawn.get());
  ReplaceImage(nNativeImage, redrawn.Keep());
  return OK;
}

VexiroStatus cImaging::SetColorRemap(BasicArray<int32_t>& arRemapTable) {
  if (nNativeImage == 0) return nStat = GenericError;
  std::vector<gp::ColorMap> table;
  const auto colour = [](int32_t v) { return static_cast<gp::ARGB>(v); };
  if (arRemapTable.Rank() == 1) {
    const int32_t lower = arRemapTable.LBound(1);
    for (int32_t i = 0; i + 1 < arRemapTable.Bound(1).count; i += 2)
      table.push_back({colour(arRemapTable(lower + i)), colour(arRemapTable(lower + i + 1))});
  } else if (arRemapTable.Rank() == 2) {
    for (int32_t i = arRemapTable.LBound(1); i <= arRemapTable.UBound(1); ++i)
      table.push_back({colour(arRemapTable(i, arRemapTable.LBound(2))), colour(arRemapTable(i, arRemapTable.UBound(2)))});
  } else {
    return nStat = InvalidParameter;
  }
  gp::GpImageAttributes* raw = nullptr;
  if (VexiroStatus s = CreateImageAttributes(raw); s != OK) return nStat = s;
  ImageAttributesPtr attributes(raw);
  VexiroStatus s = SetImageAttributesRemapTable(attributes.get(), gp::ColorAdjustTypeDefault, true,
                                                static_cast<int32_t>(table.size()), table.data());
  if (s == OK) s = RedrawThroughAttributes(attributes.get(), false);
  return nStat = s;
}

VexiroStatus cImaging::SetColorKey(EnumArg<Colors> nColorLow, EnumArg<Colors> nColorHigh) {
  if (nNativeImage == 0) return nStat = GenericError;
  gp::GpImageAttributes* raw = nullptr;
  if (VexiroStatus s = CreateImageAttributes(raw); s != OK) return nStat = s;
  ImageAttributesPtr attributes(raw);
  VexiroStatus s = SetImageAttributesColorKeys(attributes.get(), gp::ColorAdjustTypeDefault, true,
                                               static_cast<gp::ARGB>(nColorLow), static_cast<gp::ARGB>(nColorHigh));
  if (s == OK) s = RedrawThroughAttributes(attributes.get(), true);
  return nStat = s;
}

}  // namespace vexiro
