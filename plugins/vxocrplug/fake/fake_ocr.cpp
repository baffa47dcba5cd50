#include "plugins/vxocrplug/fake/fake_ocr.h"

#include <deque>
#include <string>
#include <vector>

#define VXFAKE_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

struct Scripted {
  int32_t result = 0;
  std::vector<VxOcrCharInfo> records;
};

struct Recorded {
  std::string language, folder, whiteList;
  std::vector<uint8_t> pixels;
  VxFakeOcrCall call{};
};

struct State {
  std::deque<Scripted> queued;
  std::deque<Recorded> calls;  // a deque keeps each call's copies in place as calls are added
  std::vector<VxOcrCharInfo> handedOut;
  int32_t reinits = 0;
  int32_t clears = 0;
};

State& The() {
  static State state;
  return state;
}

std::string Text(const char* text) { return text == nullptr ? "" : text; }

void Record(const char* language, const char* folder, const char* whiteList, int32_t width, int32_t height,
            const uint8_t* pixels, int32_t bitsPerPixel, int32_t stride, int32_t dpi, int32_t singleBlock,
            bool reservedNonZero) {
  Recorded& r = The().calls.emplace_back();
  r.language = Text(language);
  r.folder = Text(folder);
  r.whiteList = Text(whiteList);
  if (pixels != nullptr && stride > 0 && height > 0)
    r.pixels.assign(pixels, pixels + static_cast<size_t>(stride) * static_cast<size_t>(height));
  r.call = VxFakeOcrCall{r.language.c_str(), r.folder.c_str(), r.whiteList.c_str(), whiteList == nullptr,
                         width, height, bitsPerPixel, stride, dpi, singleBlock, reservedNonZero,
                         r.pixels.data(), The().reinits};
}

}  // namespace

VXFAKE_EXPORT void VXFAKEOCR_Reset(void) { The() = State{}; }
VXFAKE_EXPORT void VXFAKEOCR_Queue(int32_t result, int32_t count, const VxOcrCharInfo* records) {
  Scripted s;
  s.result = result;
  if (records != nullptr && count > 0) s.records.assign(records, records + count);
  The().queued.push_back(std::move(s));
}
VXFAKE_EXPORT int32_t VXFAKEOCR_CallCount(void) { return static_cast<int32_t>(The().calls.size()); }
VXFAKE_EXPORT const VxFakeOcrCall* VXFAKEOCR_Call(int32_t index) {
  return index < 0 || static_cast<size_t>(index) >= The().calls.size() ? nullptr : &The().calls[index].call;
}
VXFAKE_EXPORT int32_t VXFAKEOCR_ReinitCount(void) { return The().reinits; }
VXFAKE_EXPORT int32_t VXFAKEOCR_ClearCount(void) { return The().clears; }
VXFAKE_EXPORT int32_t VXFAKEOCR_LiveRecords(void) { return static_cast<int32_t>(The().handedOut.size()); }

VXFAKE_EXPORT const char* VxPluginVersion(void) { return "5.3.0.1"; }

VXFAKE_EXPORT int32_t OCR(const char* language, const char* folder, const char* whiteList,
                          const VxOcrCharInfo** records, int32_t* status, int32_t width, int32_t height,
                          const uint8_t* pixels, int32_t bitsPerPixel, int32_t stride, int32_t* count, int32_t dpi,
                          int32_t singleBlock, int32_t r14, int32_t r15, int32_t r16, int32_t r17, int32_t r18,
                          int32_t r19, int32_t r20, int32_t r21, int32_t r22, int32_t r23) {
  const bool reservedNonZero = (r14 | r15 | r16 | r17 | r18 | r19 | r20 | r21 | r22 | r23) != 0;
  Record(language, folder, whiteList, width, height, pixels, bitsPerPixel, stride, dpi, singleBlock, reservedNonZero);
  Scripted answer;
  if (!The().queued.empty()) {
    answer = std::move(The().queued.front());
    The().queued.pop_front();
  }
  The().handedOut = std::move(answer.records);
  if (answer.result == 0) {
    *records = The().handedOut.data();
    *count = static_cast<int32_t>(The().handedOut.size());
  } else {
    The().handedOut.clear();
  }
  if (status != nullptr) *status = answer.result;
  return answer.result;
}

VXFAKE_EXPORT int32_t CLEAR(void) {
  ++The().clears;
  The().handedOut.clear();
  return 0;
}

VXFAKE_EXPORT int32_t REINIT(void) {
  ++The().reinits;
  The().handedOut.clear();
  return 0;
}
