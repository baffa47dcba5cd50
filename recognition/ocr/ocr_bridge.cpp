#include "recognition/ocr/ocr_bridge.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

#include "engine/image_access.h"
#include "engine/runtime_error.h"
#include "platform/gdiplus/pixel_bytes.h"
#include "platform/kernel/environment.h"
#include "platform/kernel/files.h"
#include "recognition/ocr/ocr_plugin.h"

namespace vexiro {
namespace {

namespace gp = vx::gdiplus;

struct Language {
  const char* code;
  const char* dataName;
};
constexpr std::array<Language, 10> kLanguages = {{{"deu", "deu"},
                                                  {"deu-f", "frk"},
                                                  {"eng", "eng"},
                                                  {"fra", "fra"},
                                                  {"ita", "ita"},
                                                  {"nld", "nld"},
                                                  {"por", "por"},
                                                  {"spa", "spa"},
                                                  {"vie", "vie"},
                                                  {"pol", "pol"}}};

const Language& LanguageOf(int32_t dictionary) {
  const bool known = dictionary >= 0 && dictionary < static_cast<int32_t>(kLanguages.size());
  return kLanguages[static_cast<size_t>(known ? dictionary : TesseractDictionaryEnglish)];
}

constexpr const char* kSystemDataFolder = "/usr/share/tesseract-ocr/5/tessdata/";
constexpr int32_t kLargestSide = 32767;
constexpr int32_t kEmptyResultCode = 126;  // "~": what some plug-ins answer when nothing was read

// The plug-in's image of the thread handed over last: another image resets its engine.
thread_local gp::GpImage* LastOcrImage = nullptr;

// Frees the plug-in's records however the copy ends.
struct PluginRecords {
  const OcrPluginExports& api;
  ~PluginRecords() { api.CLEAR(); }
};

// Releases a lock however the read ends.
struct RectangleLock {
  int32_t id;
  gp::BitmapData data{};
  bool locked = false;
  ~RectangleLock() {
    if (locked) vx::engine::UnlockImageBits(id, data);
  }
};

int32_t Luminance(gp::ARGB argb) {
  return 299 * ((argb >> 16) & 0xFF) + 587 * ((argb >> 8) & 0xFF) + 114 * (argb & 0xFF);
}

// The plug-in takes 1 for the lighter colour; a palette whose entry 0 is the lighter one (as in
// min-is-white files) has its bits turned over.
bool PaletteDarkOnOne(int32_t id) {
  int32_t bytes = 0;
  gp::ColorPalette palette;
  if (vx::engine::GetImagePaletteSize(id, bytes) != OK || bytes <= 0 ||
      vx::engine::GetImagePalette(id, palette, bytes) != OK || palette.Count < 2)
    return false;
  return Luminance(palette.Entries[1]) < Luminance(palette.Entries[0]);
}

void InvertBits(vx::gdiplus::WorkingBuffer<uint8_t>& rows) {
  for (uint8_t& byte : rows) byte = static_cast<uint8_t>(~byte);
}

// The rectangle's rows as the lock fills them: a 24-bit page is written whole, so its memory is
// not cleared first; a 1-bit row's last byte may be filled only in part, so those rows start
// cleared and what the plug-in reads is always the same.
vx::gdiplus::WorkingBuffer<uint8_t> LockBuffer(size_t bytes, bool bilevel) {
  vx::gdiplus::WorkingBuffer<uint8_t> rows;
  rows.resize(bytes);
  if (bilevel) std::fill(rows.begin(), rows.end(), uint8_t{0});
  return rows;
}

// A lone "~" stands for nothing recognised.
bool IsEmptyResultMark(const std::vector<OcrCharInfo>& records) {
  return records.size() == 1 && records.front().CharCode == kEmptyResultCode;
}

VexiroStatus StatusOfPluginResult(int32_t result) {
  if (result == 0) return OK;
  return result == kOcrLanguageDataUnusable ? OCRDictionaryNotFound : GenericError;
}

// A picture without a resolution of its own reports 96 dpi, and told so tesseract drops the words
// of a page scanned finer; 0 lets it estimate the resolution from the text.
int32_t GivenWholeDpi(int32_t imageId) {
  float dpi = 0;
  if (!vx::engine::ImageResolutionGiven(imageId) || vx::engine::GetImageHorizontalResolution(imageId, dpi) != OK) return 0;
  return std::isfinite(dpi) && dpi > 0 && dpi < 1e6f ? static_cast<int32_t>(std::nearbyint(dpi)) : 0;
}

// Steps from the lock on, trapped as a procedure with an error trap is.
VexiroStatus RecogniseLocked(const OcrPluginExports& api, int32_t imageId, const OcrArea& area,
                             const OcrRequest& request, const std::string& language, const std::string& folder,
                             std::vector<OcrCharInfo>& records) {
  int32_t bits = 0;
  vx::engine::GetImageBitDepth(imageId, bits);
  const bool bilevel = bits == 1;
  const gp::PixelFormat format = bilevel ? gp::PixelFormat1bppIndexed : gp::PixelFormat24bppRGB;
  const int32_t rowBytes = bilevel ? (area.Width + 7) / 8 : area.Width * 3;
  vx::gdiplus::WorkingBuffer<uint8_t> pixels =
      LockBuffer(static_cast<size_t>(rowBytes) * static_cast<size_t>(area.Height), bilevel);

  RectangleLock lock{imageId};
  lock.data.Width = static_cast<uint32_t>(area.Width);
  lock.data.Height = static_cast<uint32_t>(area.Height);
  lock.data.Stride = rowBytes;
  lock.data.PixelFormat = format;
  lock.data.Scan0 = pixels.data();
  gp::PixelFormat lockFormat = format;
  const gp::GpRect rect{area.Left, area.Top, area.Width, area.Height};
  const VexiroStatus s = vx::engine::LockImageBits(imageId, rect, gp::ImageLockModeRead | gp::ImageLockModeUserInputBuf,
                                                   lockFormat, lock.data);
  if (s != OK) return s;
  lock.locked = true;
  if (bilevel && PaletteDarkOnOne(imageId)) InvertBits(pixels);

  const int32_t wholeDpi = GivenWholeDpi(imageId);

  const OcrCharInfo* handed = nullptr;
  int32_t count = 0, pluginStatus = 0;
  const int32_t result = api.OCR(language.c_str(), folder.c_str(), request.WhiteList.c_str(), &handed, &pluginStatus,
                                 area.Width, area.Height, pixels.data(), bilevel ? 1 : 24, rowBytes, &count, wholeDpi,
                                 request.SingleBlock ? 1 : 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0);
  PluginRecords release{api};
  if (result != 0) return StatusOfPluginResult(result);
  if (count > 0 && handed != nullptr) records.assign(handed, handed + count);
  if (IsEmptyResultMark(records)) records.clear();
  return OK;
}

}  // namespace

std::string GetTesseractLanguageCode(int32_t dictionary) { return LanguageOf(dictionary).code; }
std::string TesseractDataName(int32_t dictionary) { return LanguageOf(dictionary).dataName; }

std::string NormaliseDictionaryFolder(const std::string& folder) {
  const size_t first = folder.find_first_not_of(' ');
  std::string path = first == std::string::npos ? "" : folder.substr(first, folder.find_last_not_of(' ') - first + 1);
  std::replace(path.begin(), path.end(), '\\', '/');
  if (path.empty()) {
    path = vx::GetEnvironmentVariable("TESSDATA_PREFIX");
    if (path.empty()) return kSystemDataFolder;
  }
  if (path.back() != '/') path += '/';
  return path;
}

void OcrReinit() { BindOcrPlugin().REINIT(); }

VexiroStatus OcrImageArea(int32_t imageId, const OcrArea& area, const OcrRequest& request,
                          std::vector<OcrCharInfo>& records) {
  records.clear();
  const std::string folder = NormaliseDictionaryFolder(request.Folder);
  const std::string dataName = TesseractDataName(request.Dictionary);
  if (vx::GetFileAttributes(folder + dataName + ".traineddata") != vx::FILE_ATTRIBUTE_NORMAL)
    return OCRDictionaryNotFound;
  if (area.Width > kLargestSide || area.Height > kLargestSide) return InvalidParameter;

  // Binding comes first and is not trapped: a missing plug-in reaches the host.
  const OcrPluginExports& api = BindOcrPlugin();
  gp::GpImage* image = vx::engine::GpImageFromID(imageId);
  if (image != LastOcrImage) api.REINIT();
  LastOcrImage = image;
  return vx::engine::TrapRuntimeErrors(
      [&] { return RecogniseLocked(api, imageId, area, request, dataName, folder, records); });
}

}  // namespace vexiro
