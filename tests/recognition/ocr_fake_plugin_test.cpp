// The engine's side of OCR against a scripted plug-in that records what it is handed: the text
// rules, the getters, the pixels and their depth, the data-file test, the engine resets, and the
// orientation passes with their band, scores and thresholds.
#include <cmath>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "fake_ocr_support.h"
#include "recognition/ocr/ocr_bridge.h"

namespace {

using namespace vxtest::recognition;
using vexiro::ImagingTestAccess;
using vexiro::OcrCharInfo;
namespace gp = vx::gdiplus;

TEST_F(FakeOcrTest, ResultTextFollowsLinesAndBlanks) {
  struct Case {
    const char* name;
    std::vector<OcrCharInfo> records;
    std::string text;
    int32_t count;
  };
  const std::vector<Case> cases = {
      {"lines 1, 1, 3 break once", {OcrChar('a'), OcrChar('b'), OcrChar('c', 3)}, "ab\r\nc", 3},
      {"blanks repeat", {OcrChar('a'), OcrChar('b', 1, 2)}, "a  b", 2},
      {"blanks of the first character lead", {OcrChar('a', 1, 1), OcrChar('b')}, " ab", 2},
      {"a smaller line adds nothing", {OcrChar('a', 2), OcrChar('b', 1), OcrChar('c', 2)}, "\r\nabc", 3},
      {"Windows-1252 above 127", {OcrChar(0x80), OcrChar(0xE9)}, "\u20AC\u00E9", 2},
      {"code points above 255 are kept", {OcrChar(0x142), OcrChar(0x1EA1)}, "\u0142\u1EA1", 2},
      {"a lone ~ is nothing", {OcrChar('~')}, "", 0},
      {"~ among others is a character", {OcrChar('~'), OcrChar('~')}, "~~", 2},
  };
  Current(20, 10, gp::PixelFormat24bppRGB);
  for (const Case& c : cases) {
    fake_.Answer(c.records);
    EXPECT_EQ(Read(), c.text) << c.name;
    EXPECT_EQ(engine_->OCRTesseractGetCharCount(), c.count) << c.name;
    EXPECT_EQ(engine_->GetStat(), vexiro::OK) << c.name;
  }
}

TEST_F(FakeOcrTest, GettersReadRecordsAndAnswerZeroOutside) {
  Current(20, 10, gp::PixelFormat24bppRGB);
  fake_.Answer({OcrChar('x', 2, 1, 255, -3, 40, -2, 30), OcrChar('y', 7, 0, 0, 5, 6, 7, 8), OcrChar('z', 7, 0, 128)});
  Read();
  ASSERT_EQ(engine_->OCRTesseractGetCharCount(), 3);
  ImagingTestAccess::SetStatus(*engine_, vexiro::Aborted);
  EXPECT_EQ(engine_->OCRTesseractGetCharCode(1), 'x');
  EXPECT_EQ(engine_->OCRTesseractGetCharLine(1), 2);
  EXPECT_EQ(engine_->OCRTesseractGetCharSpaces(1), 1);
  EXPECT_EQ(engine_->OCRTesseractGetCharLeft(1), -3) << "sign-extended";
  EXPECT_EQ(engine_->OCRTesseractGetCharTop(1), -2);
  EXPECT_EQ(engine_->OCRTesseractGetCharRight(1), 40);
  EXPECT_EQ(engine_->OCRTesseractGetCharBottom(1), 30);
  EXPECT_EQ(engine_->OCRTesseractGetCharConfidence(1), 100.0f);
  EXPECT_EQ(engine_->OCRTesseractGetCharConfidence(2), 0.0f);
  EXPECT_EQ(engine_->OCRTesseractGetCharConfidence(3), 128.0f / 255.0f * 100.0f);
  EXPECT_EQ(engine_->OCRTesseractGetCharBottom(2), 8);
  for (int32_t outside : {0, 4, -1}) {
    EXPECT_EQ(engine_->OCRTesseractGetCharCode(outside), 0) << outside;
    EXPECT_EQ(engine_->OCRTesseractGetCharLine(outside), 0) << outside;
    EXPECT_EQ(engine_->OCRTesseractGetCharLeft(outside), 0) << outside;
    EXPECT_EQ(engine_->OCRTesseractGetCharConfidence(outside), 100.0f) << outside;
  }
  EXPECT_EQ(engine_->GetStat(), vexiro::Aborted) << "getters leave the last status";
  engine_->OCRTesseractClear();
  EXPECT_EQ(engine_->OCRTesseractGetCharCount(), 0);
  EXPECT_EQ(engine_->OCRTesseractGetCharCode(1), 0);
  EXPECT_EQ(engine_->GetStat(), vexiro::Aborted);
}

TEST_F(FakeOcrTest, PixelsGoOverUnpaddedInTwoDepths) {
  struct Case {
    gp::PixelFormat format;
    int32_t bits, stride;
  };
  const Case cases[] = {{gp::PixelFormat1bppIndexed, 1, 2},  {gp::PixelFormat4bppIndexed, 24, 30},
                        {gp::PixelFormat8bppIndexed, 24, 30}, {gp::PixelFormat16bppRGB565, 24, 30},
                        {gp::PixelFormat24bppRGB, 24, 30},    {gp::PixelFormat32bppARGB, 24, 30},
                        {gp::PixelFormat48bppRGB, 24, 30}};
  for (const Case& c : cases) {
    const int32_t id = Current(10, 3, c.format, 200);
    Read();
    const VxFakeOcrCall& call = LastCall();
    EXPECT_EQ(call.bitsPerPixel, c.bits) << c.format;
    EXPECT_EQ(call.stride, c.stride) << c.format;
    EXPECT_EQ(call.width, 10);
    EXPECT_EQ(call.height, 3);
    EXPECT_EQ(call.dpi, 200);
    EXPECT_EQ(call.singleBlock, 0);
    EXPECT_EQ(call.reservedNonZero, 0);
    EXPECT_EQ(call.whiteListIsNull, 0) << "an empty list is an empty text, not a null";
    engine_->CloseImage(id);
  }
  // Colour rows go as blue, green, red.
  const int32_t colour = Current(2, 1, gp::PixelFormat24bppRGB);
  vx::engine::SetImagePixel(colour, 1, 0, 0xFF102030);
  Read();
  EXPECT_EQ(std::vector<uint8_t>(LastCall().pixels, LastCall().pixels + 6), (std::vector<uint8_t>{0, 0, 0, 0x30, 0x20, 0x10}));
}

// The plug-in is told a resolution only where the file or the host gave one: 0 lets it estimate.
TEST_F(FakeOcrTest, ResolutionGoesOverOnlyWhereGiven) {
  VX_REQUIRE_TOOL("convert");
  const struct {
    const char* name;
    const char* resolution;  // convert's options
    float hostDpi;           // set through the member after loading, 0 for none
    int32_t dpi;
  } cases[] = {{"PNG without one", "-define png:exclude-chunk=pHYs", 0, 0},
               {"PNG at 300 dpi", "-units PixelsPerInch -density 300", 0, 300},
               {"TIFF at 200 dpi", "-units PixelsPerInch -density 200", 0, 200},
               {"PNG without one, the host sets 240", "-define png:exclude-chunk=pHYs", 240, 240},
               {"BMP without one", "-units Undefined -density 0", 0, 0}};
  const char* extensions[] = {"png", "png", "tif", "png", "bmp"};
  for (size_t k = 0; k < std::size(cases); ++k) {
    const auto& c = cases[k];
    SCOPED_TRACE(c.name);
    const std::string file = scratch_ / (std::string("page.") + extensions[k]);
    bool ok = false;
    RunTool(std::string("convert -size 40x20 xc:white ") + c.resolution + " -type TrueColor " + Quote(file), &ok);
    ASSERT_TRUE(ok);
    const int32_t id = engine_->CreateImageFromFile(file);
    ASSERT_NE(id, 0);
    if (c.hostDpi > 0) ASSERT_EQ(engine_->SetHorizontalResolution(c.hostDpi), vexiro::OK);
    Read();
    EXPECT_EQ(LastCall().dpi, c.dpi);
    engine_->CloseImage(id);
  }
}

TEST_F(FakeOcrTest, BilevelRowsCarryOneForTheLighterColour) {
  // Entry 0 black (the usual palette) and entry 0 white (a min-is-white file): the same picture,
  // a black pixel at the left of a white row, reaches the plug-in the same way.
  for (const bool minIsWhite : {false, true}) {
    const int32_t id = Current(10, 1, gp::PixelFormat1bppIndexed);
    gp::ColorPalette palette;
    palette.Count = 2;
    palette.Entries[0] = minIsWhite ? 0xFFFFFFFF : 0xFF000000;
    palette.Entries[1] = minIsWhite ? 0xFF000000 : 0xFFFFFFFF;
    ASSERT_EQ(vx::engine::SetImagePalette(id, palette), vexiro::OK);
    gp::BitmapData data{};
    gp::PixelFormat format = gp::PixelFormat1bppIndexed;
    ASSERT_EQ(vx::engine::LockImageBits(id, gp::GpRect{0, 0, 10, 1}, gp::ImageLockModeWrite, format, data), vexiro::OK);
    auto* row = static_cast<uint8_t*>(data.Scan0);
    row[0] = minIsWhite ? 0x80 : 0x7F;
    row[1] = minIsWhite ? 0x00 : 0xFF;
    vx::engine::UnlockImageBits(id, data);
    Read();
    const VxFakeOcrCall& call = LastCall();
    ASSERT_EQ(call.stride, 2);
    EXPECT_EQ(call.pixels[0], 0x7F) << (minIsWhite ? "min-is-white" : "min-is-black");
    EXPECT_EQ(call.pixels[1] & 0xC0, 0xC0) << (minIsWhite ? "min-is-white" : "min-is-black");
    engine_->CloseImage(id);
  }
}

TEST_F(FakeOcrTest, RegionIsTheRectangleHandedOver) {
  const int32_t id = Current(40, 30, gp::PixelFormat24bppRGB);
  vx::engine::SetImagePixel(id, 12, 7, 0xFF010203);
  ImagingTestAccess::SetRegion(*engine_, 12, 7, 5, 4);
  Read();
  EXPECT_EQ(LastCall().width, 5);
  EXPECT_EQ(LastCall().height, 4);
  EXPECT_EQ(std::vector<uint8_t>(LastCall().pixels, LastCall().pixels + 3), (std::vector<uint8_t>{3, 2, 1}));

  // A rectangle outside the image: the lock's status, nothing read, the old result gone.
  fake_.Answer(Spell("ab", 0));
  ImagingTestAccess::SetRegion(*engine_, 0, 0, 5, 4);
  EXPECT_EQ(Read(), "ab");
  const int32_t calls = fake_.CallCount();
  ImagingTestAccess::SetRegion(*engine_, 38, 0, 5, 4);
  EXPECT_EQ(Read(), "");
  EXPECT_EQ(engine_->GetStat(), vexiro::InvalidParameter);
  EXPECT_EQ(engine_->OCRTesseractGetCharCount(), 0);
  EXPECT_EQ(fake_.CallCount(), calls);
}

TEST_F(FakeOcrTest, SidesOverSixteenBitsAreRefused) {
  Current(32768, 1, gp::PixelFormat1bppIndexed);
  EXPECT_EQ(Read(), "");
  EXPECT_EQ(engine_->GetStat(), vexiro::InvalidParameter);
  EXPECT_EQ(fake_.CallCount(), 0);
}

TEST_F(FakeOcrTest, LanguageFolderAndWhiteListAsTheyReachThePlugin) {
  Current(8, 8, gp::PixelFormat24bppRGB);
  const std::pair<int32_t, const char*> languages[] = {{0, "deu"}, {1, "frk"}, {2, "eng"}, {3, "fra"}, {4, "ita"},
                                                       {5, "nld"}, {6, "por"}, {7, "spa"}, {8, "vie"}, {9, "pol"},
                                                       {10, "eng"}, {-1, "eng"}};
  for (const auto& [dictionary, code] : languages) {
    Read(static_cast<vexiro::TesseractDictionary>(dictionary));
    EXPECT_STREQ(LastCall().language, code) << dictionary;
  }
  EXPECT_EQ(vexiro::GetTesseractLanguageCode(1), "deu-f");

  const std::string folder = Folder();  // ends in "/"
  const std::string bare = folder.substr(0, folder.size() - 1);
  std::string backslashed = "  " + bare + "\\  ";
  for (const std::string& given : {folder, bare, backslashed}) {
    engine_->OCRTesseractDoOCR(vexiro::TesseractDictionaryEnglish, given);
    EXPECT_EQ(engine_->GetStat(), vexiro::OK) << given;
    EXPECT_EQ(LastCall().folder, folder) << given;
  }
  setenv("TESSDATA_PREFIX", bare.c_str(), 1);
  engine_->OCRTesseractDoOCR(vexiro::TesseractDictionaryEnglish, "  ");
  unsetenv("TESSDATA_PREFIX");
  EXPECT_EQ(LastCall().folder, folder) << "an empty folder is TESSDATA_PREFIX";
  EXPECT_EQ(vexiro::NormaliseDictionaryFolder(""), "/usr/share/tesseract-ocr/5/tessdata/");

  Read(vexiro::TesseractDictionaryPolish, "\u0142\u00F3d\u017A");
  EXPECT_STREQ(LastCall().whiteList, "\u0142\u00F3d\u017A") << "white lists pass as UTF-8";
}

TEST_F(FakeOcrTest, FailuresReportTheirStatusAndKeepNothing) {
  Current(8, 8, gp::PixelFormat24bppRGB);
  fake_.Answer(Spell("ok", 10));
  ASSERT_EQ(Read(), "ok");
  struct Case {
    const char* name;
    int32_t pluginResult;
    std::string folder;
    vexiro::VexiroStatus status;
    bool reachesPlugin;
  };
  const std::string missing = Folder() + "absent/";
  const Case cases[] = {
      {"data file missing", 0, missing, vexiro::OCRDictionaryNotFound, false},
      {"data unusable", 500, Folder(), vexiro::OCRDictionaryNotFound, true},
      {"recognition failed", 7, Folder(), vexiro::GenericError, true},
  };
  for (const Case& c : cases) {
    const int32_t before = fake_.CallCount();
    fake_.Answer(Spell("zz", 0), c.pluginResult);
    EXPECT_EQ(engine_->OCRTesseractDoOCR(vexiro::TesseractDictionaryEnglish, c.folder), "") << c.name;
    EXPECT_EQ(engine_->GetStat(), c.status) << c.name;
    EXPECT_EQ(engine_->OCRTesseractGetCharCount(), 0) << c.name;
    EXPECT_EQ(fake_.CallCount() - before, c.reachesPlugin ? 1 : 0) << c.name;
    if (!c.reachesPlugin) fake_.Reset();
  }
  // Without a current image: GenericError, and the last result stays.
  fake_.Answer(Spell("kept", 10));
  Read();
  engine_->SetNativeImage(0);
  EXPECT_EQ(Read(), "");
  EXPECT_EQ(engine_->GetStat(), vexiro::GenericError);
  EXPECT_EQ(engine_->OCRTesseractGetCharCount(), 4);
}

TEST_F(FakeOcrTest, EngineIsResetOnlyForAnotherImage) {
  const int32_t a = MakeImage(8, 8, gp::PixelFormat24bppRGB);
  const int32_t b = MakeImage(8, 8, gp::PixelFormat24bppRGB);
  engine_->SetNativeImage(a);
  Read();
  const int32_t first = fake_.ReinitCount();
  Read();
  EXPECT_EQ(fake_.ReinitCount(), first) << "the same image twice";
  for (int i = 0; i < 3; ++i) {
    engine_->SetNativeImage(i % 2 == 0 ? b : a);
    Read();
  }
  EXPECT_EQ(fake_.ReinitCount(), first + 3) << "alternating images reset every time";
}

class FakeOrientationTest : public FakeOcrTest {
 protected:
  // Queues four passes, unrotated first, each reading `count` characters at `confidence`.
  void Passes(std::vector<std::pair<int32_t, int16_t>> passes) {
    for (const auto& [count, confidence] : passes) fake_.Answer(Spell(std::string(static_cast<size_t>(count), 'a'), confidence));
  }
};

TEST_F(FakeOrientationTest, BandGeometryFollowsTheAccuracy) {
  struct Case {
    float accuracy;
    int32_t bandHeight;
  };
  // 700 rows: a fifth 140, the whole 700, 700 / 3.5 = 200.
  const Case cases[] = {{0, 140}, {1, 140}, {9, 700}, {5, 700}, {2.5f, 200}};
  const int32_t id = Current(60, 700, gp::PixelFormat24bppRGB);
  vx::engine::SetImagePixel(id, 0, 250, 0xFF0000FF);  // top row of the middle band of 200
  for (const Case& c : cases) {
    fake_.Reset();
    engine_->OCRTesseractGetOrientationEx(vexiro::TesseractDictionaryEnglish, Folder(), c.accuracy);
    ASSERT_EQ(fake_.CallCount(), 4) << c.accuracy;
    const VxFakeOcrCall& upright = *fake_.Call(0);
    EXPECT_EQ(upright.width, 60) << c.accuracy;
    EXPECT_EQ(upright.height, c.bandHeight) << c.accuracy;
    EXPECT_EQ(upright.singleBlock, 1);
    EXPECT_STREQ(upright.whiteList, "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ");
    EXPECT_EQ(fake_.Call(1)->width, c.bandHeight) << "a quarter turn";
    EXPECT_EQ(fake_.Call(2)->width, 60);
    EXPECT_EQ(fake_.Call(3)->width, c.bandHeight);
    if (c.bandHeight == 200) EXPECT_EQ(upright.pixels[0], 0xFF) << "the band starts at row 250";
  }
}

TEST_F(FakeOrientationTest, ScoresThresholdsAndTies) {
  struct Case {
    const char* name;
    float accuracy;
    std::vector<std::pair<int32_t, int16_t>> passes;
    int32_t result;
  };
  const std::vector<Case> cases = {
      {"upright best", 2.5f, {{3, 20}, {3, 60}, {3, 80}, {3, 90}}, 0},
      {"after one turn: 270", 2.5f, {{3, 120}, {3, 60}, {3, 80}, {3, 90}}, 3},
      {"after two turns: 180", 2.5f, {{3, 120}, {3, 110}, {3, 50}, {3, 90}}, 2},
      {"after three turns: 90", 2.5f, {{3, 120}, {3, 110}, {3, 100}, {3, 40}}, 1},
      {"a tie keeps the earlier pass", 2.5f, {{3, 120}, {3, 60}, {3, 60}, {3, 60}}, 3},
      {"equal to upright does not win", 2.5f, {{3, 60}, {3, 60}, {3, 60}, {3, 60}}, 0},
      {"ratio over 1.2 turns", 2.5f, {{3, 121}, {3, 100}, {3, 110}, {3, 110}}, 3},
      {"ratio below 1.2 is upright", 2.5f, {{3, 119}, {3, 100}, {3, 110}, {3, 110}}, 0},
      {"strict accuracy asks 1.4", 4.0f, {{3, 139}, {3, 100}, {3, 110}, {3, 110}}, 0},
      {"strict accuracy, over 1.4", 4.0f, {{3, 141}, {3, 100}, {3, 110}, {3, 110}}, 3},
      {"accuracy 3.5 still asks 1.2", 3.5f, {{3, 121}, {3, 100}, {3, 110}, {3, 110}}, 3},
      {"a perfect turned pass stands", 2.5f, {{3, 1}, {3, 0}, {3, 110}, {3, 110}}, 3},
      {"nothing upright is upright", 2.5f, {{0, 0}, {3, 10}, {3, 10}, {3, 10}}, 0},
      {"a pass reading nothing never wins", 2.5f, {{3, 120}, {0, 0}, {3, 90}, {3, 110}}, 2},
      {"scores over 32,767 characters", 2.5f, {{40000, 120}, {40000, 60}, {3, 110}, {3, 110}}, 3},
  };
  Current(40, 40, gp::PixelFormat24bppRGB);
  for (const Case& c : cases) {
    fake_.Reset();
    Passes(c.passes);
    EXPECT_EQ(engine_->OCRTesseractGetOrientationEx(vexiro::TesseractDictionaryEnglish, Folder(), c.accuracy), c.result)
        << c.name;
    EXPECT_EQ(engine_->OCRTesseractGetCharCount(), 0) << c.name;
    EXPECT_GE(fake_.ReinitCount(), 4) << c.name << ": reset after every pass";
  }
}

TEST_F(FakeOrientationTest, ImageAndRegionComeBack) {
  const int32_t id = Current(50, 90, gp::PixelFormat24bppRGB);
  const int32_t live = LiveImageCount();
  ImagingTestAccess::SetRegion(*engine_, 5, 5, 10, 10);
  Passes({{3, 120}, {3, 60}, {3, 80}, {3, 90}});
  EXPECT_EQ(engine_->OCRTesseractGetOrientation(vexiro::TesseractDictionaryEnglish, Folder()), 3);
  EXPECT_EQ(fake_.Call(0)->width, 50) << "the passes read the whole band, not the user's rectangle";
  EXPECT_EQ(engine_->GetNativeImage(), id);
  EXPECT_EQ(LiveImageCount(), live) << "the band is released";
  // The user's rectangle is still in force for the next recognition.
  fake_.Answer(Spell("r", 0));
  Read();
  EXPECT_EQ(LastCall().width, 10);
  EXPECT_EQ(LastCall().height, 10);

  // A failing dictionary inside the passes changes nothing either.
  EXPECT_EQ(engine_->OCRTesseractGetOrientation(vexiro::TesseractDictionaryEnglish, Folder() + "absent"), 0);
  EXPECT_EQ(engine_->GetStat(), vexiro::OCRDictionaryNotFound);
  EXPECT_EQ(engine_->GetNativeImage(), id);
  EXPECT_EQ(LiveImageCount(), live);

  engine_->SetNativeImage(0);
  EXPECT_EQ(engine_->OCRTesseractGetOrientation(vexiro::TesseractDictionaryEnglish, Folder()), 0);
}

}  // namespace
