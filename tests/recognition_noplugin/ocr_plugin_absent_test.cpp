// Without the OCR plug-in on the search path: recognition raises a run-time error naming the
// missing file, the orientation passes give back the current image and region on their way
// out, and a searchable save or scanned document removes the file it had begun.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

#include "engine/runtime_error.h"
#include "platform/kernel/environment.h"
#include "support/required_tool.h"
#include "vexiro/imaging.h"
#include "support/font_cache_release.h"

namespace {

constexpr const char* kEnglishData = "/usr/share/tesseract-ocr/5/tessdata/eng.traineddata";

void ExpectMissingPluginError(const std::function<void()>& call, const char* what) {
  try {
    call();
    ADD_FAILURE() << what << ": no error raised";
  } catch (const vx::engine::RuntimeError& e) {
    EXPECT_NE(e.Description().find("vxocrplug.tesseract"), std::string::npos) << what << ": " << e.Description();
  }
}

TEST(OcrPluginAbsent, ErrorsNameThePluginAndLeaveNothingBehind) {
  ASSERT_EQ(vx::FindModulePath("vxocrplug.tesseract.dll"), "") << "this suite runs with an empty plug-in folder";
  VX_REQUIRE(std::filesystem::exists(kEnglishData), "eng.traineddata", "tesseract-ocr-eng");
  vexiro::cImaging engine;
  const int32_t id = engine.CreateNewImage(60, 40);
  ASSERT_NE(id, 0);
  engine.SetROI(5, 5, 10, 10);
  ExpectMissingPluginError([&] { engine.OCRTesseractDoOCR(vexiro::TesseractDictionaryEnglish, ""); }, "DoOCR");
  ExpectMissingPluginError([&] { engine.OCRTesseractGetOrientation(vexiro::TesseractDictionaryEnglish, ""); },
                           "orientation");
  EXPECT_EQ(engine.GetNativeImage(), id) << "the band is no longer current";

  const char* tmp = std::getenv("TMPDIR");
  const std::string pdf = std::string(tmp != nullptr ? tmp : "/tmp") + "/searchable.pdf";
  ExpectMissingPluginError([&] { engine.SaveAsPDFOCR(pdf, vexiro::TesseractDictionaryEnglish, ""); }, "save");
  EXPECT_FALSE(std::filesystem::exists(pdf)) << "no document cut short is left";

  // A scanned searchable document that meets the error goes with it; there is nothing to add to.
  const std::string scanned = std::string(tmp != nullptr ? tmp : "/tmp") + "/scanned.pdf";
  ASSERT_EQ(engine.TwainPdfOCRStart(scanned), vexiro::OK);
  ExpectMissingPluginError(
      [&] { engine.TwainAddVexiroImageToPdfOCR(id, vexiro::TesseractDictionaryEnglish, ""); }, "scan add");
  EXPECT_FALSE(std::filesystem::exists(scanned)) << "no document cut short is left";
  EXPECT_EQ(engine.TwainAddVexiroImageToPdfOCR(id, vexiro::TesseractDictionaryEnglish, ""), "");
  EXPECT_EQ(engine.GetStat(), vexiro::TwainPdfMustBeCreatedFirst);
  EXPECT_EQ(engine.TwainPdfOCRStop(), vexiro::TwainPdfMustBeCreatedFirst);
  engine.CloseImage(id);
}

}  // namespace
