// Without the OCR plug-in on the search path: every recognising member answers GenericError with
// its empty result and throws nothing at a C++ caller, the orientation passes give back the
// current image and region on their way out, and a searchable save or scanned document removes
// the file it had begun. A script host meets the same failure as a run-time error naming the
// missing file by its Linux name, on the line of the call.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

#include "platform/kernel/environment.h"
#include "support/required_tool.h"
#include "support/test_servers.h"
#include "vexiro/imaging.h"
#include "support/font_cache_release.h"

namespace {

constexpr const char* kEnglishData = "/usr/share/tesseract-ocr/5/tessdata/eng.traineddata";

// The member must answer, not throw: an exception escaping it fails the test here.
template <class Result, class Call>
void ExpectMissingPluginStatus(vexiro::cImaging& engine, Call call, Result empty, const char* what) {
  Result result{};
  EXPECT_NO_THROW(result = call()) << what;
  EXPECT_EQ(result, empty) << what;
  EXPECT_EQ(engine.GetStat(), vexiro::GenericError) << what;
}

TEST(OcrPluginAbsent, ErrorsNameThePluginAndLeaveNothingBehind) {
  ASSERT_EQ(vx::FindModulePath("vxocrplug.tesseract.dll"), "") << "this suite runs with an empty plug-in folder";
  VX_REQUIRE(std::filesystem::exists(kEnglishData), "eng.traineddata", "tesseract-ocr-eng");
  vexiro::cImaging engine;
  const int32_t id = engine.CreateNewImage(60, 40);
  ASSERT_NE(id, 0);
  engine.SetROI(5, 5, 10, 10);
  constexpr auto kEnglish = vexiro::TesseractDictionaryEnglish;
  ExpectMissingPluginStatus(
      engine, [&] { return engine.OCRTesseractDoOCR(kEnglish, ""); }, std::string(), "DoOCR");
  EXPECT_EQ(engine.OCRTesseractGetCharCount(), 0);
  ExpectMissingPluginStatus(
      engine, [&] { return engine.OCRTesseractGetOrientation(kEnglish, ""); }, int32_t{0}, "orientation");
  EXPECT_EQ(engine.GetNativeImage(), id) << "the band is no longer current";

  const char* tmp = std::getenv("TMPDIR");
  const std::string pdf = std::string(tmp != nullptr ? tmp : "/tmp") + "/searchable.pdf";
  ExpectMissingPluginStatus(
      engine, [&] { return engine.SaveAsPDFOCR(pdf, kEnglish, ""); }, std::string(), "save");
  EXPECT_FALSE(std::filesystem::exists(pdf)) << "no document cut short is left";

  // A scanned searchable document that meets the error goes with it; there is nothing to add to.
  const std::string scanned = std::string(tmp != nullptr ? tmp : "/tmp") + "/scanned.pdf";
  ASSERT_EQ(engine.TwainPdfOCRStart(scanned), vexiro::OK);
  ExpectMissingPluginStatus(
      engine, [&] { return engine.TwainAddVexiroImageToPdfOCR(id, kEnglish, ""); }, std::string(), "scan add");
  EXPECT_FALSE(std::filesystem::exists(scanned)) << "no document cut short is left";
  EXPECT_EQ(engine.TwainAddVexiroImageToPdfOCR(id, vexiro::TesseractDictionaryEnglish, ""), "");
  EXPECT_EQ(engine.GetStat(), vexiro::TwainPdfMustBeCreatedFirst);
  EXPECT_EQ(engine.TwainPdfOCRStop(), vexiro::TwainPdfMustBeCreatedFirst);
  engine.CloseImage(id);
}

// The scanning members that call the scanning plug-in without checking for it first answer the
// same way.
TEST(OcrPluginAbsent, ScanningMembersAnswerWithoutThePluginToo) {
  ASSERT_EQ(vx::FindModulePath("vxtwain.dll"), "") << "this suite runs with an empty plug-in folder";
  vexiro::cImaging engine;
  ExpectMissingPluginStatus(engine, [&] { return engine.TwainGetSourceCount(); }, int32_t{0}, "source count");
  ExpectMissingPluginStatus(engine, [&] { return engine.TwainGetCurrentSourceName(); }, std::string(), "source name");
  ExpectMissingPluginStatus(engine, [&] { return engine.TwainEndXfer(); }, false, "end transfer");
}

std::string LibraryFolder() {
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&vx::FindModulePath), &info) == 0 || info.dli_fname == nullptr) return "";
  return std::filesystem::path(info.dli_fname).parent_path().string();
}

// A script host still meets the failure as the run-time error it is, on the line of the call,
// naming the file a user would look for.
TEST(OcrPluginAbsent, ScriptHostReportsTheMissingFileOnTheLineOfTheCall) {
  struct Case {
    const char* script;
    const char* error;
  };
  const Case cases[] = {
      {"id = CreateNewImage(60, 40)\nprint OCRTesseractDoOCR(2, \"\")\n",
       "line 2: OCRTesseractDoOCR: run-time error 53: File not found: vxocrplug.tesseract.so"},
      {"print 1\nprint TwainGetSourceCount()\n",
       "line 2: TwainGetSourceCount: run-time error 53: File not found: vxtwain.so"},
  };
  for (const Case& c : cases) {
    const std::string command = "printf '%s' '" + std::string(c.script) + "' | LD_LIBRARY_PATH='" + LibraryFolder() +
                                "' '" VEXIRO_HOST_PATH "' 2>&1";
    const std::string output = vxtest::CommandOutput(command);
    EXPECT_NE(output.find(c.error), std::string::npos) << c.script << "\n" << output;
  }
}

}  // namespace
