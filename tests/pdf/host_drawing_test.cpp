// Drawing on host-built pages as readers see it: colour and width operators written only when
// they change (and always at a page's start), text and images where they were asked for, in the
// chosen unit, and the inputs that draw nothing.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <regex>
#include <sstream>

#include "control/script_engine.h"
#include "control/script_host.h"
#include "host_pdf_support.h"

namespace vx::pdf::host_test {
namespace {

// The colour and width operators of a page's content, in order.
std::vector<std::string> StateOperators(const std::vector<std::string>& lines) {
  static const std::regex state(R"(^[-0-9. ]+ (RG|rg|G|g|w)$)");
  std::vector<std::string> ops;
  std::copy_if(lines.begin(), lines.end(), std::back_inserter(ops),
               [](const std::string& l) { return std::regex_match(l, state); });
  return ops;
}

struct CacheCase {
  const char* name;
  std::function<void(vexiro::cImaging&)> draw;  // on a new document, page 1 begun by PdfNewPage
  std::vector<std::string> page1, page2;
};

TEST_F(HostPdfTest, ColourAndWidthOperatorsFollowWhatThePageHolds) {
  const CacheCase cases[] = {
      {"two equal lines", [](vexiro::cImaging& e) {
         e.PdfDrawLine(10, 10, 100, 10, 2, 255);
         e.PdfDrawLine(10, 20, 100, 20, 2, 255);
       }, {"1 0 0 RG", "2 w"}, {}},
      {"a circle between two lines", [](vexiro::cImaging& e) {
         e.PdfDrawLine(10, 10, 100, 10, 2);
         e.PdfDrawCircle(50, 50, 20, 5);
         e.PdfDrawLine(10, 20, 100, 20, 2);
       }, {"2 w", "5 w", "2 w"}, {}},
      {"width 0 on every new page", [](vexiro::cImaging& e) {
         e.PdfDrawLine(10, 10, 100, 10, 0);
         e.PdfNewPage();
         e.PdfDrawLine(10, 10, 100, 10, 0);
       }, {"0 w"}, {"0 w"}},
      {"text colour, then a fill of that colour", [](vexiro::cImaging& e) {
         e.PdfSetTextColor(255);
         e.PdfDrawText(10, 10, "red", e.PdfAddFont("Arial"), 12);
         e.PdfDrawFillRectangle(10, 30, 40, 20, 1, 255);
       }, {"1 0 0 rg", "1 w"}, {}},
      {"a new page starts black and forgets the text colour", [](vexiro::cImaging& e) {
         e.PdfSetTextColor(255);
         const int32_t font = e.PdfAddFont("Arial");
         e.PdfDrawText(10, 10, "red", font, 12);
         e.PdfDrawLine(10, 10, 100, 10, 1, 0xFF0000);
         e.PdfNewPage();
         e.PdfDrawText(10, 10, "black", font, 12);
         e.PdfDrawLine(10, 10, 100, 10, 1, 0xFF0000);
       }, {"1 0 0 rg", "0 0 1 RG", "1 w"}, {"0 0 1 RG", "1 w"}},
  };
  for (const CacheCase& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = scratch_.File("cache.pdf");
    ASSERT_TRUE(engine_->PdfNewPdf(path));
    engine_->PdfNewPage();
    c.draw(*engine_);
    Save(path);
    EXPECT_EQ(StateOperators(ContentLines(path, 1)), c.page1);
    EXPECT_EQ(StateOperators(ContentLines(path, 2)), c.page2);
    std::filesystem::remove(path);
  }
}

// A page that drawing begins, in a document after another, starts afresh too.
TEST_F(HostPdfTest, APageBegunByDrawingStartsWithoutCachedState) {
  const std::string first = scratch_.File("first.pdf"), second = scratch_.File("second.pdf");
  ASSERT_TRUE(engine_->PdfNewPdf(first));
  engine_->PdfDrawLine(10, 10, 100, 10, 3, 255);
  Save(first);
  ASSERT_TRUE(engine_->PdfNewPdf(second));
  engine_->PdfDrawLine(10, 10, 100, 10, 3, 255);
  engine_->PdfSetLineDash(3, 2);
  Save(second);
  EXPECT_EQ(StateOperators(ContentLines(first)), (std::vector<std::string>{"1 0 0 RG", "3 w"}));
  EXPECT_EQ(StateOperators(ContentLines(second)), (std::vector<std::string>{"1 0 0 RG", "3 w"}));
  EXPECT_EQ(ContentLines(second).back(), "[3 2] 0 d");
}

TEST_F(HostPdfTest, ShapesArePlacedInTheChosenUnit) {
  const std::string path = scratch_.File("units.pdf");
  ASSERT_TRUE(engine_->PdfNewPdf(path));
  engine_->PdfSetMeasurementUnits(2);  // centimetres
  engine_->PdfDrawCurve(1, 2, 3, 4, 5, 6, 2);
  engine_->PdfSetMeasurementUnits(3);  // inches
  engine_->PdfDrawRectangle(1, 1, 2, 0.5f, 4);
  engine_->PdfDrawFillCircle(2, 2, 1, 3, 0xFF00);
  Save(path);
  const std::vector<std::string> lines = ContentLines(path);
  const auto has = [&](const std::string& l) { return std::find(lines.begin(), lines.end(), l) != lines.end(); };
  EXPECT_TRUE(has("28.346 56.693 m")) << "the curve starts at its converted first point";
  EXPECT_TRUE(has("28.346 56.693 85.039 113.386 141.732 170.079 c"));
  EXPECT_TRUE(has("72 72 144 36 re"));
  EXPECT_TRUE(has("4 w")) << "border widths stay in points";
  EXPECT_TRUE(has("144 72 m")) << "the circle's lowest point, radius 72";
  EXPECT_TRUE(has("0 1 0 rg"));
  EXPECT_TRUE(has("f"));
}

// An arc whose end lies far past one turn is drawn as one turn, not as millions of segments.
TEST_F(HostPdfTest, ArcSweepsAreBoundedToOneTurn) {
  const std::string path = scratch_.File("arc.pdf");
  ASSERT_TRUE(engine_->PdfNewPdf(path));
  engine_->PdfDrawArc(200, 200, 50, 1, 0, 2000000000);
  engine_->PdfNewPage();
  engine_->PdfDrawArc(200, 200, 50, 1, 0, 90, 0.5f, true);
  Save(path);
  const auto segments = [](const std::vector<std::string>& lines) {
    return std::count_if(lines.begin(), lines.end(),
                         [](const std::string& l) { return l.size() > 2 && l.compare(l.size() - 2, 2, " l") == 0; });
  };
  EXPECT_EQ(segments(ContentLines(path, 1)), 361);
  EXPECT_EQ(segments(ContentLines(path, 2)), 92);  // 0..90 degrees and the way back to the centre
}

TEST_F(HostPdfTest, TextLandsWhereAskedAndCentredTextIsCentred) {
  VX_REQUIRE_TOOL("pdftotext");
  const std::string path = scratch_.File("text.pdf");
  ASSERT_TRUE(engine_->PdfNewPdf(path));
  engine_->PdfSetMeasurementUnits(1);  // millimetres
  const int32_t font = engine_->PdfAddFont("Arial");
  ASSERT_EQ(font, 1);
  engine_->PdfDrawText(20, 250, "Leftword", font, 12);
  engine_->PdfDrawTextAlign(105, 200, "Middleword", font, 12, 2);
  engine_->PdfDrawTextAlign(190, 150, "Rightword", font, 12, 1);
  const float width = engine_->PdfGetTextWidth("Middleword", font, 12);
  Save(path);
  const double mm = 72 / 25.4, pageHeight = 842;
  struct Expected {
    const char* word;
    double anchor;  // the x the alignment refers to, in points
    int alignment;
    double baseline;
  };
  const Expected expected[] = {{"Leftword", 20 * mm, 0, 250 * mm}, {"Middleword", 105 * mm, 2, 200 * mm},
                               {"Rightword", 190 * mm, 1, 150 * mm}};
  const std::vector<WordBox> words = Words(path);
  ASSERT_EQ(words.size(), 3u);
  for (size_t i = 0; i < 3; ++i) {
    const Expected& e = expected[i];
    const WordBox& w = words[i];
    EXPECT_EQ(w.word, e.word);
    const double x = e.alignment == 0 ? w.xMin : e.alignment == 1 ? w.xMax : (w.xMin + w.xMax) / 2;
    EXPECT_NEAR(x, e.anchor, 0.5) << e.word;
    EXPECT_LT(w.yMin, pageHeight - e.baseline) << e.word;
    EXPECT_GT(w.yMax, pageHeight - e.baseline) << e.word;
  }
  EXPECT_NEAR(width * mm, words[1].xMax - words[1].xMin, 0.5) << "the text width is in the unit";
}

TEST_F(HostPdfTest, ImagesAreDrawnInTheRectangleAskedAndMeasuredInTheUnit) {
  const std::string png = scratch_.Draw("-size 600x300 xc:red -units PixelsPerInch -density 300x150", "im.png");
  ASSERT_FALSE(png.empty()) << "ImageMagick drew no fixture";
  const std::string path = scratch_.File("image.pdf");
  ASSERT_TRUE(engine_->PdfNewPdf(path));
  EXPECT_EQ(engine_->PdfAddImageFromFile(scratch_.File("missing.png")), 0);
  ASSERT_EQ(engine_->PdfAddImageFromFile(png), 1);
  const int32_t stored = engine_->CreateNewImage(30, 20, 24, -16711936);
  ASSERT_EQ(engine_->PdfAddImageFromVexiroImage(stored), 2);
  EXPECT_EQ(engine_->PdfAddImageFromVexiroImage(stored + 1), 0);
  engine_->PdfSetMeasurementUnits(3);
  EXPECT_FLOAT_EQ(engine_->PdfGetImageWidth(1), 2);
  EXPECT_FLOAT_EQ(engine_->PdfGetImageHeight(1), 2);
  engine_->PdfSetMeasurementUnits(1);
  EXPECT_FLOAT_EQ(engine_->PdfGetImageWidth(1), 50.8f);
  engine_->PdfSetMeasurementUnits(0);
  EXPECT_FLOAT_EQ(engine_->PdfGetImageWidth(1), 144);
  EXPECT_EQ(engine_->PdfGetImageWidth(3), 0.0f);
  engine_->PdfSetMeasurementUnits(1);
  engine_->PdfDrawImage(1, 10, 10, 100, 50);
  engine_->PdfDrawImage(3, 10, 10, 100, 50);  // no such image: nothing drawn
  Save(path);
  const std::vector<std::string> lines = ContentLines(path);
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "283.46 0 0 141.73 28.35 28.35 cm"), 1);
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "/Img1 Do"), 1);
  EXPECT_EQ(std::count_if(lines.begin(), lines.end(), [](const std::string& l) { return l.find(" Do") != l.npos; }), 1);
  engine_->CloseImage(stored);
}

// An unknown font gives 0, and text in font 0 leaves the page untouched, colour included.
TEST_F(HostPdfTest, TextInAnUnknownFontDrawsNothing) {
  const std::string path = scratch_.File("nofont.pdf");
  ASSERT_TRUE(engine_->PdfNewPdf(path));
  EXPECT_EQ(engine_->PdfAddFont("No Such Family 42"), 0);
  engine_->PdfSetTextColor(255);
  engine_->PdfDrawText(10, 10, "nothing", 0, 12);
  engine_->PdfDrawTextAlign(10, 10, "nothing", 7, 12, 2);
  EXPECT_EQ(engine_->PdfGetCurrentPage(), 0) << "no page was begun for it";
  Save(path);
  EXPECT_TRUE(ContentLines(path).empty());
}

// The members answer by name from a script, with the table's defaults.
TEST_F(HostPdfTest, MembersRunFromAScript) {
  VX_REQUIRE_TOOL("pdfinfo");
  const std::string path = scratch_.File("script.pdf");
  vx::control::ScriptEngine engine;
  std::ostringstream out;
  vx::control::ScriptHost host(engine.Dispatcher(), out);
  const std::string script =
      "PdfSetMeasurementUnits 1\n"
      "expect PdfNewPdfEx(\"" + path + "\", \"Title\", nPdfEncryption:=2, sUserpassWord:=\"u\", sOwnerPassword:=\"o\")\n"
      "PdfSetPageDimensions 210, 297\n"
      "PdfSetPageMargin 5\n"
      "f = PdfAddFont(\"Arial\", True)\n"
      "print PdfNewPage(), f, PdfGetPageOrientation(), PdfGetPageMargin()\n"
      "PdfSetTextColor 255\n"
      "PdfDrawTextAlign 105, 148, \"Scripted\", f, 20, 2\n"
      "PdfDrawArc 105, 100, 20, 1, nEndAngle:=180, bPie:=True\n"
      "PdfDrawRectangle 10, 10, 50, 20, 1, nRay:=3\n"
      "PdfSavePdf\n"
      "print PdfGetCurrentPage(), PdfNewPdf(\"" + path + "\"), GetStat()\n";
  ASSERT_TRUE(host.Run(script)) << host.Error();
  EXPECT_EQ(out.str(), "1 1 0 5\n0 False 41\n");
  ExpectSound(path, "u");
  EXPECT_NE(RunTool("pdftotext -upw u " + Quoted(path) + " -").text.find("Scripted"), std::string::npos);
  EXPECT_EQ(InfoLine(path, "MediaBox", "-upw u"), "0.00 0.00 595.28 841.89");
}

}  // namespace
}  // namespace vx::pdf::host_test
