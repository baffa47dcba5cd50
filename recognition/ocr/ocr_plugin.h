// The OCR plug-in as the bridge calls it: its three operations bound by name at the first call.
#pragma once
#include <cstdint>

#include "vexiro/imaging.h"

namespace vexiro {

struct OcrPluginExports {
  int32_t (*OCR)(const char* language, const char* folder, const char* whiteList, const OcrCharInfo** records,
                 int32_t* status, int32_t width, int32_t height, const uint8_t* pixels, int32_t bitsPerPixel,
                 int32_t stride, int32_t* count, int32_t dpi, int32_t singleBlock, int32_t, int32_t, int32_t, int32_t,
                 int32_t, int32_t, int32_t, int32_t, int32_t, int32_t) = nullptr;
  int32_t (*CLEAR)() = nullptr;
  int32_t (*REINIT)() = nullptr;
};

// Results of OCR besides 0: the language's data cannot be loaded; any other number is a failure.
constexpr int32_t kOcrLanguageDataUnusable = 500;

// The bound operations of the module found now. The plug-in is not checked beforehand: a module
// that is missing, or lacks an operation, raises a run-time error naming it, which reaches the
// host. The table stays valid for the life of the process.
const OcrPluginExports& BindOcrPlugin();

}  // namespace vexiro
