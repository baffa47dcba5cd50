// The family of savers that hand an image to the format plug-in: one path through presence,
// identifier and pixel-format checks, conversion and writing, with a rule per target format.
#include "engine/plugin/savers.h"

#include "engine/save/gdiplus_savers.h"

#include <algorithm>
#include <filesystem>
#include <new>
#include <optional>

#include "engine/save/gdiplus_savers.h"
#include "engine/image_access.h"
#include "engine/image_store.h"
#include "engine/pixel_formats.h"
#include "engine/plugin/api.h"
#include "engine/plugin/bridge.h"
#include "engine/runtime_error.h"
#include "engine/routines/shared_routines.h"

namespace vx::engine {
namespace {

namespace fs = std::filesystem;
using gdiplus::PixelFormat;

// The plug-in's JPEG-in-TIFF save flag, 0x8000 as a 16-bit value.
constexpr int32_t kTiffJpegFlag = -32768;

using Acceptance = bool (*)(PixelFormat format, int32_t strictDepth);

bool AcceptsAny(PixelFormat, int32_t) { return true; }
bool AcceptsPbm(PixelFormat f, int32_t) {
  return f == gdiplus::PixelFormat1bppIndexed || f == gdiplus::PixelFormat8bppIndexed ||
         f == gdiplus::PixelFormat24bppRGB || f == gdiplus::PixelFormat32bppRGB;
}
bool AcceptsTga(PixelFormat, int32_t depth) { return depth >= 8 && depth <= 32; }
bool AcceptsEightOrTwentyFour(PixelFormat, int32_t depth) { return depth == 8 || depth == 24; }
bool AcceptsBilevelDepth(PixelFormat, int32_t depth) { return depth == 1; }
bool AcceptsJpeg2000(PixelFormat f, int32_t) {
  return f == gdiplus::PixelFormat8bppIndexed || f == gdiplus::PixelFormat24bppRGB ||
         f == gdiplus::PixelFormat32bppARGB || f == gdiplus::PixelFormat32bppRGB;
}
bool AcceptsJbig(PixelFormat f, int32_t) { return f == gdiplus::PixelFormat1bppIndexed; }

struct SaverRule {
  int32_t format;
  Acceptance accepts;
  std::optional<int32_t> tiffJpegQuality = std::nullopt;  // set before the pixel format is judged
};

bool FileExists(const std::string& path) {
  std::error_code ec;
  return fs::exists(fs::path(path), ec);
}

// A failed write leaves no file that was not there before.
VexiroStatus WriteBitmap(int32_t format, uint32_t bitmap, const std::string& path, int32_t flags) {
  const bool existed = FileExists(path);
  if (VximgplugSave(format, bitmap, path, flags)) return vexiro::OK;
  if (!existed && FileExists(path)) DeleteFileQuietly(path);
  return vexiro::GenericError;
}

// EXR holds floating-point samples; the plain bitmap is released as soon as they are made.
VexiroStatus ToFloatingPoint(PluginBitmap& bitmap) {
  PluginBitmap floating(Vximgplug().ConvertToRGBF(bitmap.get()));
  bitmap.reset();
  if (!floating) return vexiro::OutOfMemory;
  bitmap = std::move(floating);
  return vexiro::OK;
}

VexiroStatus ConvertAndWrite(int32_t id, const std::string& path, const SaverRule& rule, int32_t flags) {
  if (GetImageIndex(id) < 0) return vexiro::InvalidParameter;
  if (rule.tiffJpegQuality) Vximgplug().SetTiffJpegCompression(std::clamp(*rule.tiffJpegQuality, 0, 100));
  const PixelFormat format = GetImagePixelFormatValue(id);
  if (!rule.accepts(format, PixelFormatBitDepthStrict(format))) return vexiro::UnsupportedPixelFormat;
  ReapplyResolution(id);
  uint32_t handle = 0;
  const VexiroStatus converted = ImageToPluginBitmap(id, handle);
  PluginBitmap bitmap(handle);
  if (converted != vexiro::OK) return converted;
  if (rule.format == PluginFormatEXR) {
    const VexiroStatus floating = ToFloatingPoint(bitmap);
    if (floating != vexiro::OK) return floating;
  }
  return WriteBitmap(rule.format, bitmap.get(), path, flags);
}

VexiroStatus SaveThroughPlugin(int32_t id, const std::string& path, const SaverRule& rule, int32_t flags) {
  if (!IsVximgplugAvailable()) return vexiro::VximgplugDllRequired;
  return TrapRuntimeErrors([&] { return ConvertAndWrite(id, path, rule, flags); });
}

}  // namespace

VexiroStatus SaveAsICOFile(int32_t id, const std::string& path) {
  return SaveThroughPlugin(id, path, {PluginFormatICO, AcceptsAny}, 0);
}
VexiroStatus SaveAsPBMFile(int32_t id, const std::string& path) {
  return SaveThroughPlugin(id, path, {PluginFormatPBM, AcceptsPbm}, 0);
}
VexiroStatus SaveAsTGAFile(int32_t id, const std::string& path) {
  return SaveThroughPlugin(id, path, {PluginFormatTARGA, AcceptsTga}, 0);
}
VexiroStatus SaveAsTIFFJPEGFile(int32_t id, const std::string& path, int32_t quality) {
  return SaveThroughPlugin(id, path, {PluginFormatTIFF, AcceptsEightOrTwentyFour, quality}, kTiffJpegFlag);
}
VexiroStatus SaveAsWBMPFile(int32_t id, const std::string& path) {
  return SaveThroughPlugin(id, path, {PluginFormatWBMP, AcceptsBilevelDepth}, 0);
}
VexiroStatus SaveAsXPMFile(int32_t id, const std::string& path) {
  return SaveThroughPlugin(id, path, {PluginFormatXPM, AcceptsEightOrTwentyFour}, 0);
}
VexiroStatus SaveAsEXRFile(int32_t id, const std::string& path, int32_t compression) {
  return SaveThroughPlugin(id, path, {PluginFormatEXR, AcceptsAny}, compression);
}
VexiroStatus SaveAsJ2KFile(int32_t id, const std::string& path, int32_t rate) {
  return SaveThroughPlugin(id, path, {PluginFormatJ2K, AcceptsJpeg2000}, rate);
}
VexiroStatus SaveAsJP2File(int32_t id, const std::string& path, int32_t rate) {
  return SaveThroughPlugin(id, path, {PluginFormatJP2, AcceptsJpeg2000}, rate);
}
VexiroStatus SaveAsJBIGFile(int32_t id, const std::string& path) {
  return SaveThroughPlugin(id, path, {PluginFormatJBIG, AcceptsJbig}, 0);
}
VexiroStatus SaveGreyJpegThroughPlugin(int32_t id, const std::string& path, int32_t quality) {
  return SaveThroughPlugin(id, path, {PluginFormatJPEG, AcceptsAny}, quality);
}

}  // namespace vx::engine
