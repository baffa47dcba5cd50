// Saving through the platform's encoders: BMP, GIF, PNG, JPEG, single-page and multi-frame TIFF.
#include <algorithm>
#include <cmath>
#include <vector>

#include "engine/save/encoder_table.h"
#include "engine/gdiplus_lifetime.h"
#include "engine/save/gdiplus_savers.h"
#include "engine/image_access.h"
#include "engine/image_store.h"
#include "engine/plugin/seam.h"
#include "platform/gdiplus/gdiplus_flat.h"

namespace vx::engine {

using namespace vx::gdiplus;

namespace {

constexpr PROPID kGpsInfoPointerTag = 0x882A;
constexpr float kMinimumSaveDpi = 0.5f;
constexpr int32_t kSaveFlagMultiFrame = EncoderValueMultiFrame;
constexpr int32_t kSaveFlagFramePage = EncoderValueFrameDimensionPage;

bool IsBilevelOnlyCompression(int32_t compression) {
  return compression == CompressionCCITT3 || compression == CompressionCCITT4 || compression == CompressionRLE;
}

// The first factor 1.0, 1.1, 1.2 ... that brings the smaller resolution to half a dot per inch.
// Only a positive, finite resolution can get there; anything else is left as it is.
void RaiseTinyResolution(int32_t id) {
  float v = 0, h = 0;
  GetImageVerticalResolution(id, v);
  GetImageHorizontalResolution(id, h);
  if (v >= kMinimumSaveDpi && h >= kMinimumSaveDpi) return;
  const double smaller = std::min(v, h);
  if (!std::isfinite(v) || !std::isfinite(h) || !(smaller > 0.0)) return;
  double factor = 1.0;
  while (factor * smaller < kMinimumSaveDpi) factor += 0.1;
  SetImageResolution(id, static_cast<float>(h * factor), static_cast<float>(v * factor), false);
}

bool HasPropertyTag(int32_t id, PROPID tag) {
  int32_t count = 0;
  if (GetImagePropertyCount(id, count) != vexiro::OK || count < 1) return false;
  std::vector<PROPID> ids(static_cast<size_t>(count));
  if (GdipGetPropertyIdList(GetGpImage(id), static_cast<UINT>(count), ids.data()) != Ok) return false;
  for (PROPID p : ids)
    if (p == tag) return true;
  return false;
}

VexiroStatus SaveWithEncoderIndex(int32_t id, const std::string& path, int32_t index) {
  CLSID clsid{};
  GetEncoderClsid(clsid, index);
  return SaveImageToFile(id, path, clsid);
}

}  // namespace

int32_t EffectiveTiffCompression(int32_t compression, int32_t colorDepth, int32_t imageBits) {
  if (!IsBilevelOnlyCompression(compression)) return compression;
  const bool deeperThanBilevel = colorDepth == 0 ? imageBits > 1 : colorDepth >= 2;
  return deeperThanBilevel ? CompressionLZW : compression;
}

int32_t FindEncoderForMask(const std::string& mask) { return FindEncoderIndex(mask); }

VexiroStatus SaveImageToFile(int32_t id, const std::string& path, const CLSID& encoder) {
  return ToStatus(GdipSaveImageToFile(GetGpImage(id), path.c_str(), &encoder, nullptr));
}

VexiroStatus SaveImageToFileWithParams(int32_t id, const std::string& path, const CLSID& encoder,
                                       const EncoderParameterBlock& params) {
  return ToStatus(GdipSaveImageToFile(GetGpImage(id), path.c_str(), &encoder, params.Get()));
}

VexiroStatus SetImagePropertyItem(int32_t id, const PropertyItem& item, bool markModified) {
  const VexiroStatus s = ToStatus(GdipSetPropertyItem(GetGpImage(id), &item));
  if (s == vexiro::OK && markModified) MarkImageModified(id);
  return s;
}

void ReapplyResolution(int32_t id) {
  float v = 0, h = 0;
  GetImageVerticalResolution(id, v);
  GetImageHorizontalResolution(id, h);
  if (v != 0.0f && h != 0.0f) SetImageResolution(id, h, v, true);
}

void PrepareForSave(int32_t id) {
  // Each pass removes one item; a removal that fails ends the passes, so they always end.
  for (;;) {
    RaiseTinyResolution(id);
    if (!HasPropertyTag(id, kGpsInfoPointerTag)) return;
    if (GdipRemovePropertyItem(GetGpImage(id), kGpsInfoPointerTag) != Ok) return;
  }
}

VexiroStatus SaveAsBmpFile(int32_t id, const std::string& path) {
  const int32_t index = FindEncoderForMask("*.bmp");
  if (index < 0) return vexiro::UnknownImageFormat;
  ReapplyResolution(id);
  return SaveWithEncoderIndex(id, path, index);
}

VexiroStatus SaveAsGIFFile(int32_t id, const std::string& path) {
  ReapplyResolution(id);
  const int32_t index = FindEncoderForMask("*.gif");
  if (index < 0) return vexiro::UnknownImageFormat;
  return SaveWithEncoderIndex(id, path, index);
}

VexiroStatus SaveAsPNGFile(int32_t id, const std::string& path) {
  const int32_t index = FindEncoderForMask("*.png");
  if (index < 0) return vexiro::UnknownImageFormat;
  ReapplyResolution(id);
  return SaveWithEncoderIndex(id, path, index);
}

namespace {

bool IsGreyEightBit(int32_t id) { return GetImageBitDepthStrict(id) == 8 && IsGreyPalette(id); }

}  // namespace

int32_t PluginJpegFlags(int32_t quality) { return quality < 0 ? 0 : std::min(quality, 100); }

VexiroStatus SaveAsJPEGFile(int32_t id, const std::string& path, int32_t quality, bool disablePlugin) {
  const bool grey = IsGreyEightBit(id);
  if (!disablePlugin && grey) {
    ReapplyResolution(id);
    if (SaveGreyJpegThroughPlugin(id, path, PluginJpegFlags(quality)) == vexiro::OK) return vexiro::OK;
  }
  const int32_t index = FindEncoderForMask("*.jpg");
  if (index < 0) return vexiro::UnknownImageFormat;
  PrepareForSave(id);
  ReapplyResolution(id);
  CLSID clsid{};
  GetEncoderClsid(clsid, index);
  if (quality < 0) return SaveImageToFile(id, path, clsid);
  EncoderParameterBlock params;
  params.Add(EncoderQuality, std::min(quality, 100));
  return SaveImageToFileWithParams(id, path, clsid, params);
}

VexiroStatus SaveAsTIFFFile(int32_t id, const std::string& path, int32_t compression, int32_t colorDepth) {
  const int32_t index = FindEncoderForMask("*.tif");
  if (index < 0) return vexiro::UnknownImageFormat;
  PrepareForSave(id);
  ReapplyResolution(id);
  int32_t bits = 0;
  GetImageBitDepth(id, bits);
  if (colorDepth == 16) colorDepth = 24;
  if (GdiplusBefore60() && colorDepth >= 1 && colorDepth <= 23) colorDepth = 0;
  compression = EffectiveTiffCompression(compression, colorDepth, bits);

  CLSID clsid{};
  GetEncoderClsid(clsid, index);
  EncoderParameterBlock params;
  if (compression != 0) params.Add(EncoderCompression, compression);
  if (colorDepth != 0) params.Add(EncoderColorDepth, colorDepth);
  if (params.Empty()) return SaveImageToFile(id, path, clsid);
  return SaveImageToFileWithParams(id, path, clsid, params);
}

VexiroStatus TiffBeginMultiPage(int32_t id, const std::string& path, int32_t compression) {
  const int32_t index = FindEncoderForMask("*.tif");
  int32_t bits = 0;
  GetImageBitDepth(id, bits);
  compression = EffectiveTiffCompression(compression, 0, bits);
  if (index < 0) return vexiro::UnknownImageFormat;
  ReapplyResolution(id);
  EncoderParameterBlock params;
  params.Add(EncoderSaveFlag, kSaveFlagMultiFrame);
  params.Add(EncoderCompression, compression);
  if (ImageRecord* r = FindImageRecord(id)) r->TiffCompression = compression;
  CLSID clsid{};
  GetEncoderClsid(clsid, index);
  return SaveImageToFileWithParams(id, path, clsid, params);
}

VexiroStatus TiffSaveAddPage(int32_t firstId, int32_t pageId) {
  EncoderParameterBlock params;
  if (const ImageRecord* first = FindImageRecord(firstId)) {
    params.Add(EncoderSaveFlag, kSaveFlagFramePage);
    params.Add(EncoderCompression, first->TiffCompression);
  }
  return ToStatus(GdipSaveAddImage(GetGpImage(firstId), GetGpImage(pageId), params.Get()));
}

}  // namespace vx::engine
