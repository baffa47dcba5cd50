// The engine's OCR members: recognition of the processing region, the result read character by
// character, and the page orientation found by reading a band of the page at four quarter turns.
#include <algorithm>
#include <array>
#include <cmath>

#include "engine/escaped_errors.h"
#include "engine/image_access.h"
#include "engine/image_store.h"
#include "engine/load/from_memory.h"
#include "recognition/ocr/ocr_bridge.h"
#include "recognition/ocr/ocr_text.h"
#include "vexiro/imaging.h"

namespace vexiro {
namespace {

constexpr const char* kOrientationWhiteList = "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
constexpr float kDefaultAccuracy = 2.5f;

// The result after each pass that reads better: the band turned 90, 180 and 270 degrees
// clockwise reads as a page turned the other way round.
constexpr std::array<int32_t, 3> kTurnResults = {3, 2, 1};

}  // namespace

const OcrCharInfo* cImaging::OcrRecord(int32_t nCharNo) const {
  if (nCharNo < 1 || nCharNo > nOCRCharCount || static_cast<size_t>(nCharNo) > arOCRChars.size()) return nullptr;
  return &arOCRChars[static_cast<size_t>(nCharNo - 1)];
}

std::string cImaging::RecogniseRegion(EnumArg<TesseractDictionary> nDictionary, const std::string& sDictionaryPath,
                                      const std::string& sCharWhiteList, bool singleBlock) {
  InitROI();
  std::vector<OcrCharInfo> records;
  const OcrRequest request{nDictionary, sDictionaryPath, sCharWhiteList, singleBlock};
  nOCRCharCount = 0;
  nStat = OcrImageArea(nNativeImage, OcrArea{ROIArea.X, ROIArea.Y, ROIArea.Width, ROIArea.Height}, request, records);
  if (nStat != OK || records.empty()) return "";
  arOCRChars = std::move(records);
  nOCRCharCount = static_cast<int32_t>(arOCRChars.size());
  return OcrResultText(arOCRChars);
}

std::string cImaging::OCRTesseractDoOCR(EnumArg<TesseractDictionary> nDictionary, const std::string& sDictionaryPath,
                                        const std::string& sCharWhiteList) {
  if (RefusesCutPath(sDictionaryPath)) return "";
  if (nNativeImage == 0) {
    nStat = GenericError;
    return "";
  }
  return AnswerRuntimeErrors(std::string(),
                             [&] { return RecogniseRegion(nDictionary, sDictionaryPath, sCharWhiteList, false); });
}

int32_t cImaging::OCRTesseractGetCharCount() { return nOCRCharCount; }

#define VX_OCR_FIELD_GETTER(Member, Field)              \
  int32_t cImaging::Member(int32_t nCharNo) {            \
    const OcrCharInfo* record = OcrRecord(nCharNo);      \
    return record == nullptr ? 0 : record->Field;        \
  }
VX_OCR_FIELD_GETTER(OCRTesseractGetCharCode, CharCode)
VX_OCR_FIELD_GETTER(OCRTesseractGetCharLine, Line)
VX_OCR_FIELD_GETTER(OCRTesseractGetCharLeft, Left)
VX_OCR_FIELD_GETTER(OCRTesseractGetCharRight, Right)
VX_OCR_FIELD_GETTER(OCRTesseractGetCharTop, Top)
VX_OCR_FIELD_GETTER(OCRTesseractGetCharBottom, Bottom)
VX_OCR_FIELD_GETTER(OCRTesseractGetCharSpaces, Spaces)
#undef VX_OCR_FIELD_GETTER

float cImaging::OCRTesseractGetCharConfidence(int32_t nCharNo) {
  const OcrCharInfo* record = OcrRecord(nCharNo);
  return record == nullptr ? 100.0f : static_cast<float>(record->Confidence) / 255.0f * 100.0f;
}

void cImaging::OCRTesseractClear() {
  arOCRChars.clear();
  nOCRCharCount = 0;
}

int32_t cImaging::OCRTesseractGetOrientation(EnumArg<TesseractDictionary> nDictionary,
                                             const std::string& sDictionaryPath) {
  if (RefusesCutPath(sDictionaryPath)) return 0;
  return OCRTesseractGetOrientationEx(nDictionary, sDictionaryPath, kDefaultAccuracy);
}

// One pass over the current image (the band): the mean uncertainty of its characters, 0 when
// none was read. The engine is reset and the result emptied after it, whatever it found.
float cImaging::OrientationPassScore(EnumArg<TesseractDictionary> nDictionary, const std::string& sDictionaryPath,
                                     int32_t& count) {
  RecogniseRegion(nDictionary, sDictionaryPath, kOrientationWhiteList, true);
  count = OCRTesseractGetCharCount();
  float sum = 0;
  for (int32_t i = 1; i <= count; ++i) sum += OCRTesseractGetCharConfidence(i);
  const float score = count > 0 ? sum / static_cast<float>(count) : 0.0f;
  OcrReinit();
  OCRTesseractClear();
  return score;
}

// A further quarter turn clockwise of the band.
VexiroStatus cImaging::TurnCurrentImageQuarter() {
  return Rotate(Rotate90FlipNone);
}

int32_t cImaging::OCRTesseractGetOrientationEx(EnumArg<TesseractDictionary> nDictionary,
                                               const std::string& sDictionaryPath, float nAccuracyLevel) {
  if (RefusesCutPath(sDictionaryPath)) return 0;
  return AnswerRuntimeErrors(int32_t{0}, [&] { return BestReadingTurn(nDictionary, sDictionaryPath, nAccuracyLevel); });
}

int32_t cImaging::BestReadingTurn(EnumArg<TesseractDictionary> nDictionary, const std::string& sDictionaryPath,
                                  float nAccuracyLevel) {
  const float accuracy = std::clamp(nAccuracyLevel, 1.0f, 5.0f);
  const float divisor = 6.0f - accuracy;
  if (nNativeImage == 0) return 0;
  const int32_t height = GetHeight();
  const int32_t width = GetWidth();
  const double bandHeight = height / static_cast<double>(divisor);

  // The passes read the whole band as the current image; the user's image and region come back
  // on every path, also when a pass raises an error.
  struct Restore {
    cImaging& engine;
    int32_t image, mode;
    FilterArea area;
    vx::engine::ScopedImage band;
    ~Restore() {
      engine.nNativeImage = image;
      engine.nROIMode = mode;
      engine.ROIArea = area;
      band.Release();
    }
  } restore{*this, nNativeImage, nROIMode, ROIArea, vx::engine::ScopedImage()};

  const VexiroStatus cut = vx::engine::CloneImageArea(
      0, static_cast<int32_t>(std::nearbyint((height - bandHeight) / 2)), width,
      static_cast<int32_t>(std::nearbyint(bandHeight)), vx::engine::GetImagePixelFormatValue(nNativeImage),
      nNativeImage, *restore.band.put());
  if (cut != OK) return 0;
  nNativeImage = restore.band.get();
  nROIMode = 1;

  int32_t count = 0;
  const float firstScore = OrientationPassScore(nDictionary, sDictionaryPath, count);
  float bestScore = firstScore;
  int32_t result = 0;
  for (int32_t turn : kTurnResults) {
    if (TurnCurrentImageQuarter() != OK) break;
    const float score = OrientationPassScore(nDictionary, sDictionaryPath, count);
    if (count > 0 && score < bestScore) {
      bestScore = score;
      result = turn;
    }
  }
  if (result == 0 || bestScore == 0) return result;
  const float threshold = divisor < 2.5f ? 1.4f : 1.2f;
  return firstScore / bestScore >= threshold ? result : 0;
}

}  // namespace vexiro
