// What the decoding helper is asked to do, as the bytes that cross to it. The file itself goes
// with every request as a descriptor the host opened: the helper reads it as /proc/self/fd/N,
// a name that leads to the same file in a process that shares nothing else with the host.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vximgplug {

enum class RequestKind : uint8_t { kFile = 1, kPage = 2, kPageTrial = 3, kTiffSave = 4 };

struct HelperRequest {
  RequestKind kind = RequestKind::kFile;
  uint8_t trial = 0;     // kPage: the page's PageTrial
  uint8_t readOnly = 0;  // kPageTrial: the pages will only be read
  uint8_t asPages = 0;   // kTiffSave: written as a multi-page document
  int32_t format = 0;    // kFile: the plug-in's number; pages: FreeImage's
  int32_t flags = 0;
  int32_t page = 0;
  uint64_t tiffDirectory = 0;  // kPage: where a TIFF page's directory starts
  uint32_t pages = 0;          // kTiffSave: the bitmaps the source spools
};

std::vector<uint8_t> EncodeRequest(const HelperRequest& request);
std::optional<HelperRequest> DecodeRequest(const std::vector<uint8_t>& bytes);

// The name the helper opens its descriptor by.
std::string SourcePath(int source);

// Served in the helper by the loaders (bitmap_loader.cpp, page_trial.cpp).
bool ServeFileLoad(const HelperRequest& request, const std::string& path, int reply);
bool ServePageDecode(const HelperRequest& request, const std::string& path, int reply);
bool ServePageTrial(const HelperRequest& request, const std::string& path, int reply);
// isolated_save.cpp: the source spools bitmaps; the TIFF file FreeImage writes goes to `reply`.
bool ServeTiffSave(const HelperRequest& request, int source, int reply);

}  // namespace vximgplug
