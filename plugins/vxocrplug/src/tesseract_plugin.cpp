// The OCR plug-in over libtesseract: one engine per calling thread, fast LSTM models only, the
// page's layout found as the command-line tool finds it unless one block is asked for.
#include <leptonica/allheaders.h>
#include <omp.h>
#include <tesseract/baseapi.h>
#include <tesseract/resultiterator.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "platform/kernel/code_page.h"
#include "plugins/vxocrplug/vxocrplug.h"

namespace {

// The engine of one thread and the data it was loaded with; the last result's records.
struct ThreadEngine {
  std::unique_ptr<tesseract::TessBaseAPI> api;
  std::string folder;
  std::string language;
  std::vector<VxOcrCharInfo> records;
};

ThreadEngine& Engine() {
  thread_local ThreadEngine engine;
  return engine;
}

// Loads the language's data unless the engine holds it already. Messages go nowhere: the
// plug-in reports through its results.
bool EnsureLoaded(ThreadEngine& engine, const std::string& folder, const std::string& language) {
  if (engine.api && engine.folder == folder && engine.language == language) return true;
  engine.api.reset();
  auto api = std::make_unique<tesseract::TessBaseAPI>();
  const std::vector<std::string> names = {"debug_file"};
  const std::vector<std::string> values = {"/dev/null"};
  if (api->Init(folder.c_str(), language.c_str(), tesseract::OEM_LSTM_ONLY, nullptr, 0, &names, &values, false) != 0)
    return false;
  engine.api = std::move(api);
  engine.folder = folder;
  engine.language = language;
  return true;
}

// Tesseract reads colour rows as red, green, blue; the caller's rows come as blue, green, red.
std::vector<uint8_t> RgbRows(const uint8_t* pixels, int32_t width, int32_t height, int32_t stride) {
  const size_t rowBytes = static_cast<size_t>(width) * 3;
  std::vector<uint8_t> rgb(rowBytes * static_cast<size_t>(height));
  for (int32_t y = 0; y < height; ++y) {
    const uint8_t* in = pixels + static_cast<size_t>(y) * static_cast<size_t>(stride);
    uint8_t* out = rgb.data() + static_cast<size_t>(y) * rowBytes;
    for (size_t x = 0; x < rowBytes; x += 3) {
      out[x] = in[x + 2];
      out[x + 1] = in[x + 1];
      out[x + 2] = in[x];
    }
  }
  return rgb;
}

// Leptonica's images are freed through it, however the call ends.
struct PixFree {
  void operator()(Pix* pix) const { pixDestroy(&pix); }
};
using PixPtr = std::unique_ptr<Pix, PixFree>;

// One row's grey values into an 8-bit row of the image; false at the first pixel whose
// channels differ.
bool GreyRow(const uint8_t* in, int32_t width, l_uint32* out) {
  for (int32_t x = 0; x < width; ++x, in += 3) {
    if (in[0] != in[1] || in[1] != in[2]) return false;
    SET_DATA_BYTE(out, x, in[0]);
  }
  return true;
}

// The grey image of rows whose three channels agree everywhere, or nothing. A grey page (a grey
// or bilevel file handed over at 24 bits) then reaches tesseract as the single channel the
// command reads from such a file: it thresholds one channel instead of three equal ones and
// needs no conversion back to grey, and every threshold, grey value and result stays the same.
PixPtr GreyPix(const uint8_t* pixels, int32_t width, int32_t height, int32_t stride) {
  PixPtr pix(pixCreate(width, height, 8));
  if (!pix) return nullptr;
  l_uint32* data = pixGetData(pix.get());
  const size_t words = static_cast<size_t>(pixGetWpl(pix.get()));
  for (int32_t y = 0; y < height; ++y) {
    const uint8_t* in = pixels + static_cast<size_t>(y) * static_cast<size_t>(stride);
    if (!GreyRow(in, width, data + static_cast<size_t>(y) * words)) return nullptr;
  }
  return pix;
}

// Hands the caller's rows to tesseract, which keeps its own copy of them.
void SetPixels(tesseract::TessBaseAPI& api, const uint8_t* pixels, int32_t width, int32_t height,
               int32_t bitsPerPixel, int32_t stride) {
  if (bitsPerPixel == 1) {
    api.SetImage(pixels, width, height, 0, stride);
    return;
  }
  if (const PixPtr grey = GreyPix(pixels, width, height, stride)) {
    api.SetImage(grey.get());
    return;
  }
  const std::vector<uint8_t> rgb = RgbRows(pixels, width, height, stride);
  api.SetImage(rgb.data(), width, height, 3, width * 3);
}

int16_t Field16(int value) {
  return static_cast<int16_t>(std::clamp<int>(value, std::numeric_limits<int16_t>::min(),
                                              std::numeric_limits<int16_t>::max()));
}

// The Windows-1252 code of the symbol's (first) character where the code page has it, else its
// code point; 0 for text that is no valid UTF-8.
int32_t CharCodeOf(const char* utf8) {
  const std::string_view text = utf8 == nullptr ? std::string_view() : std::string_view(utf8);
  char32_t cp = 0;
  if (text.empty() || vx::DecodeUtf8(text, 0, cp) == 0) return 0;
  const int ansi = vx::CodePointToAnsiByte(cp);
  return ansi >= 0 ? ansi : static_cast<int32_t>(cp);
}

// 0 .. 255, lower meaning more certain, from tesseract's 0 .. 100 (higher more certain).
int16_t Uncertainty(float confidence) {
  const double clamped = std::clamp(static_cast<double>(confidence), 0.0, 100.0);
  return static_cast<int16_t>(std::nearbyint((100.0 - clamped) * 2.55));
}

void CollectRecords(tesseract::TessBaseAPI& api, std::vector<VxOcrCharInfo>& records) {
  std::unique_ptr<tesseract::ResultIterator> it(api.GetIterator());
  if (!it) return;
  const auto symbol = tesseract::RIL_SYMBOL;
  int line = 0;
  do {
    if (it->Empty(symbol)) continue;
    // A line starts on a word's first character; only there is the line asked about, as that
    // question walks back to the line's start and orders its words each time.
    const bool wordStart = it->IsAtBeginningOf(tesseract::RIL_WORD);
    const bool lineStart = line == 0 || (wordStart && it->IsAtBeginningOf(tesseract::RIL_TEXTLINE));
    if (lineStart) ++line;
    std::unique_ptr<char[]> text(it->GetUTF8Text(symbol));
    int left = 0, top = 0, right = 0, bottom = 0;
    it->BoundingBox(symbol, &left, &top, &right, &bottom);
    VxOcrCharInfo record{};
    record.CharCode = CharCodeOf(text.get());
    record.Line = Field16(line);
    record.Left = Field16(left);
    record.Right = Field16(right);
    record.Top = Field16(top);
    record.Bottom = Field16(bottom);
    record.Confidence = Uncertainty(it->Confidence(symbol));
    record.Spaces = wordStart && !lineStart ? 1 : 0;
    records.push_back(record);
  } while (it->Next(symbol));
}

// The white list always lets the blank through: without it words run together and scores drift.
std::string WhiteListWithBlank(const char* whiteList) {
  std::string list = whiteList == nullptr ? "" : whiteList;
  if (!list.empty() && list.find(' ') == std::string::npos) list += ' ';
  return list;
}

int32_t Recognise(ThreadEngine& engine, const char* whiteList, int32_t width, int32_t height, const uint8_t* pixels,
                  int32_t bitsPerPixel, int32_t stride, int32_t dpi, bool singleBlock) {
  tesseract::TessBaseAPI& api = *engine.api;
  api.SetVariable("tessedit_char_whitelist", WhiteListWithBlank(whiteList).c_str());
  api.SetPageSegMode(singleBlock ? tesseract::PSM_SINGLE_BLOCK : tesseract::PSM_AUTO);
  SetPixels(api, pixels, width, height, bitsPerPixel, stride);
  if (dpi > 0) api.SetSourceResolution(dpi);
  if (api.Recognize(nullptr) != 0) return VXOCR_FAILED;
  CollectRecords(api, engine.records);
  return VXOCR_OK;
}

bool ValidInput(const char* language, const char* folder, const VxOcrCharInfo* const* records, int32_t width,
                int32_t height, const uint8_t* pixels, int32_t bitsPerPixel, int32_t stride, const int32_t* count) {
  if (language == nullptr || folder == nullptr || records == nullptr || count == nullptr || pixels == nullptr)
    return false;
  if (width <= 0 || height <= 0 || (bitsPerPixel != 1 && bitsPerPixel != 24)) return false;
  const int64_t rowBytes = bitsPerPixel == 1 ? (static_cast<int64_t>(width) + 7) / 8 : static_cast<int64_t>(width) * 3;
  return stride >= rowBytes;
}

}  // namespace

extern "C" {

VXOCRPLUG_EXPORT const char* VxPluginVersion(void) { return "5.3.0.1"; }

VXOCRPLUG_EXPORT int32_t OCR(const char* language, const char* folder, const char* whiteList,
                             const VxOcrCharInfo** records, int32_t* status, int32_t width, int32_t height,
                             const uint8_t* pixels, int32_t bitsPerPixel, int32_t stride, int32_t* count, int32_t dpi,
                             int32_t singleBlock, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t,
                             int32_t, int32_t, int32_t) {
  int32_t result = VXOCR_FAILED;
  try {
    ThreadEngine& engine = Engine();
    engine.records.clear();
    if (count != nullptr) *count = 0;
    if (ValidInput(language, folder, records, width, height, pixels, bitsPerPixel, stride, count)) {
      // Debian's build threads each recognition through OpenMP, which costs more CPU than it
      // saves. Tesseract names its thread counts in its parallel regions, so the calling thread
      // also allows no active region: every region then runs on it alone.
      omp_set_num_threads(1);
      omp_set_max_active_levels(0);
      result = EnsureLoaded(engine, folder, language)
                   ? Recognise(engine, whiteList, width, height, pixels, bitsPerPixel, stride, dpi, singleBlock != 0)
                   : VXOCR_LANGUAGE_DATA;
    }
    if (result == VXOCR_OK) {
      *records = engine.records.data();
      *count = static_cast<int32_t>(engine.records.size());
    }
  } catch (...) {
    Engine().records.clear();
    result = VXOCR_FAILED;
  }
  if (status != nullptr) *status = result;
  return result;
}

VXOCRPLUG_EXPORT int32_t CLEAR(void) {
  std::vector<VxOcrCharInfo>().swap(Engine().records);
  return 0;
}

VXOCRPLUG_EXPORT int32_t REINIT(void) {
  ThreadEngine& engine = Engine();
  engine.records.clear();
  if (engine.api) engine.api->Clear();
  return 0;
}

}  // extern "C"
