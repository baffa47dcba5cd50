// Format numbers and names, detection, loading and saving by format number, and resolution in
// the plug-in's dots per metre.
#include <array>
#include <cmath>

#include "engine/gdiplus_lifetime.h"
#include "engine/plugin/api.h"
#include "engine/plugin/bridge.h"
#include "engine/routines/shared_routines.h"

namespace vx::engine {
namespace {

constexpr std::array<const char*, 37> kFormatNames = {
    "UNKNOWN", "BMP",  "ICO",    "JPEG", "JNG",   "KOALA", "LBM", "MNG",  "PBM", "PBMRAW", "PCD", "PCX", "PGM",
    "PGMRAW",  "PNG",  "PPM",    "PPMRAW", "RAS", "TARGA", "TIFF", "WBMP", "PSD", "CUT",    "XBM", "XPM", "DDS",
    "GIF",     "HDR",  "FAXG3",  "SGI",  "EXR",   "J2K",   "JP2", "PFM",  "PICT", "RAW",   "JBIG"};

constexpr double kMetresPerInch = 0.0254;
constexpr int32_t kGifPlaybackFlag = 2;
constexpr int32_t kTiffKeepCmykFlag = 1;
constexpr int32_t kJpegKeepCmykFlag = 4;

// CMYK samples come as the file holds them, so that the engine converts them through the file's
// own profile rather than the plug-in by the complement rule, and can tell they were CMYK.
int32_t LoadFlags(int32_t format) {
  if (format == PluginFormatGIF) return kGifPlaybackFlag;
  if (format == PluginFormatTIFF) return kTiffKeepCmykFlag;
  if (format == PluginFormatJPEG) return kJpegKeepCmykFlag;
  return 0;
}

// A file of several pages stays open as a multi-page handle; one page, or a file the plug-in
// cannot open page-wise, is closed again (0 when nothing was opened).
uint32_t OpenMultiPage(const VximgplugApi& api, int32_t format, int32_t flags, const std::string& path,
                       bool& multiPage, uint32_t& fileHandle) {
  fileHandle = api.OpenFileU(path.c_str());
  const uint32_t multi = fileHandle ? api.OpenMultiBitmapU(format, flags, fileHandle) : 0;
  if (multi != 0 && api.GetPageCount(multi) > 1) {
    multiPage = true;
    return multi;
  }
  if (multi != 0) api.CloseMultiBitmap(multi, 0);
  if (fileHandle != 0) api.CloseFileHandle(fileHandle);
  fileHandle = 0;
  return 0;
}

}  // namespace

bool IsVximgplugAvailable() { return BasicVal(ThreadGdiplusState().VximgplugVersion) != 0; }

std::string PluginFormatName(int32_t format) {
  if (format < PluginFormatUnknown || format > PluginFormatJBIG) return "";
  return kFormatNames[static_cast<size_t>(format + 1)];
}

int32_t VximgplugGetFileFormat(const std::string& path) {
  const VximgplugApi& api = Vximgplug();
  const int32_t byContent = api.GetFileTypeU(path.c_str(), 0);
  if (byContent == PluginFormatUnknown) return PluginFormatUnknown;
  const int32_t byName = api.GetFIFFromFilenameU(path.c_str());
  if (byName == PluginFormatUnknown || byName == byContent) return byContent;
  return byName == PluginFormatTIFF ? PluginFormatTIFF : byContent;
}

uint32_t VximgplugLoad(int32_t& format, const std::string& path, bool& multiPage, uint32_t& fileHandle) {
  if (format == PluginFormatUnknown) return 0;
  const VximgplugApi& api = Vximgplug();
  const int32_t flags = LoadFlags(format);
  if (format == PluginFormatTIFF || format == PluginFormatGIF) {
    if (const uint32_t multi = OpenMultiPage(api, format, flags, path, multiPage, fileHandle)) return multi;
  }
  return api.LoadU(format, path.c_str(), flags);
}

VexiroStatus VximgplugLoadFailure() {
  constexpr int32_t kProgramMissing = 1, kRefused = 2;
  switch (Vximgplug().LastHelperFailure()) {
    case kProgramMissing: return vexiro::VximgplugDllRequired;
    case kRefused: return vexiro::Win32Error;
    default: return vexiro::OutOfMemory;
  }
}

bool VximgplugSave(int32_t format, uint32_t bitmap, const std::string& path, int32_t flags) {
  return Vximgplug().SaveU(format, bitmap, path.c_str(), flags) == 1;
}

int32_t DotsPerMeterToDpi(uint32_t dotsPerMeter) {
  return static_cast<int32_t>(std::floor(dotsPerMeter * kMetresPerInch + 0.5));
}

uint32_t DpiToDotsPerMeter(int32_t dpi) {
  if (dpi <= 0) return 0;
  const double dotsPerMeter = std::floor(dpi / kMetresPerInch + 0.5);
  return dotsPerMeter >= 4294967295.0 ? UINT32_MAX : static_cast<uint32_t>(dotsPerMeter);
}

int32_t PluginGetDpiX(uint32_t bitmap) { return DotsPerMeterToDpi(Vximgplug().GetDotsPerMeterX(bitmap)); }
int32_t PluginGetDpiY(uint32_t bitmap) { return DotsPerMeterToDpi(Vximgplug().GetDotsPerMeterY(bitmap)); }
void PluginSetDpiX(uint32_t bitmap, int32_t dpi) { Vximgplug().SetDotsPerMeterX(bitmap, DpiToDotsPerMeter(dpi)); }
void PluginSetDpiY(uint32_t bitmap, int32_t dpi) { Vximgplug().SetDotsPerMeterY(bitmap, DpiToDotsPerMeter(dpi)); }

}  // namespace vx::engine
