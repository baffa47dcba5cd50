// The invisible text layer and the plain text of OCR records, exactly: the words drawn with
// their positions, baselines and fitted sizes, read back from the page's uncompressed content.

#include <cmath>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "pdf/pdf_writer.h"
#include "recognition/ocr/ocr_text.h"
#include "recognition_test_support.h"
#include "support/font_cache_release.h"

namespace {

using namespace vxtest::recognition;
using vexiro::OcrCharInfo;
namespace gp = vx::gdiplus;

// A record with its box's left, right and bottom.
OcrCharInfo Char(int32_t code, int16_t line, int16_t spaces, int16_t left, int16_t right, int16_t bottom) {
  return OcrChar(code, line, spaces, 0, left, right, 0, bottom);
}

struct DrawnWord {
  float size, x, y;
  std::string text;
};

class TextLayerTest : public EngineTest {
 protected:
  // A page over an image of 600 x 300 pixels at these resolutions, with the layer's font.
  void Begin(int32_t dpiX, int32_t dpiY) {
    image_ = MakeImage(600, 300, gp::PixelFormat24bppRGB);
    vx::engine::SetImageResolution(image_, static_cast<float>(dpiX), static_cast<float>(dpiY));
    ASSERT_TRUE(pdf_.NewPdf(path_, "", "", "", "", ""));
    pdf_.CompressData(false);
    pdf_.PaperHeight(300.0f / dpiY * 72);
    pdf_.PaperWidth(600.0f / dpiX * 72);
    ASSERT_EQ(pdf_.LoadFont("Courier New", false, false), 1);
    ASSERT_EQ(pdf_.PdfAddImage(image_, 2), 1);
    pdf_.BeginPage();
    pdf_.SetTextMode(3);
  }
  // The words the layer drew, in order.
  std::vector<DrawnWord> Finish() {
    pdf_.EndPage();
    pdf_.ClosePdfFile();
    std::ifstream in(path_, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    const std::string file = bytes.str();
    std::vector<DrawnWord> words;
    const std::regex text("BT\\s+/Font1 ([0-9.]+) Tf\\s+([-0-9.]+) ([-0-9.]+) Td\\s+\\((.*?)\\) Tj\\s+ET");
    for (auto it = std::sregex_iterator(file.begin(), file.end(), text); it != std::sregex_iterator(); ++it)
      words.push_back({std::stof((*it)[1]), std::stof((*it)[2]), std::stof((*it)[3]), (*it)[4]});
    return words;
  }
  ScratchFolder scratch_;
  std::string path_ = scratch_ / "layer.pdf";
  vexiro::cPDF pdf_;
  int32_t image_ = 0;
};

TEST_F(TextLayerTest, WordsLinesAndTheirText) {
  Begin(200, 100);
  // "ab" then "cde" on line 1 (the second word starts with a blank), "fg" on line 2.
  const std::vector<OcrCharInfo> records = {
      Char('a', 1, 0, 20, 40, 100), Char('b', 1, 0, 42, 60, 102), Char('c', 1, 1, 100, 120, 110),
      Char('d', 1, 0, 122, 140, 110), Char('e', 1, 0, 142, 160, 110), Char('f', 2, 1, 30, 50, 200),
      Char('g', 2, 0, 52, 70, 230)};
  const std::string text = vexiro::DrawOcrTextLayer(records, pdf_, 1);
  EXPECT_EQ(text, "ab  cde\r\nfg");
  const std::vector<DrawnWord> words = Finish();
  ASSERT_EQ(words.size(), 3u);
  EXPECT_EQ(words[0].text, "ab ") << "a word followed on its line carries a blank";
  EXPECT_EQ(words[1].text, "cde");
  EXPECT_EQ(words[2].text, "fg");
  // x from the horizontal resolution, the baseline from the vertical one (216 points high).
  EXPECT_NEAR(words[0].x, 20.0 / 200 * 72, 0.01);
  EXPECT_NEAR(words[0].y, 216 - 101.0 / 100 * 72, 0.01) << "the mean bottom of a and b";
  EXPECT_NEAR(words[1].x, 100.0 / 200 * 72, 0.01);
  EXPECT_NEAR(words[2].y, 216 - 200.0 / 100 * 72, 0.01) << "g has a descender and is left out";
}

TEST_F(TextLayerTest, FontSizesBaselinesAndPlainText) {
  Begin(300, 300);
  const std::vector<OcrCharInfo> word = {Char('H', 1, 0, 0, 40, 90), Char('i', 1, 0, 45, 120, 96),
                                         Char('x', 1, 1, 200, 230, 90)};
  const float size = vexiro::FitOcrFontSize(word, 0, 300, pdf_);
  const double target = 120.0 / 300 * 72;
  // The size is 0.1 past the first step whose width reaches the box.
  EXPECT_GE(pdf_.TextWidth("Hi", 1, size - 0.1f), target);
  EXPECT_LT(pdf_.TextWidth("Hi", 1, size - 0.2f), target);
  EXPECT_NEAR(size * 10, std::round(size * 10), 1e-3) << "steps of 0.1";
  EXPECT_NEAR(vexiro::GetOcrBaselineY(word, 0, 300, pdf_), 72 - 93.0 / 300 * 72, 1e-9);
  EXPECT_GT(vexiro::FitOcrFontSize(word, 0, 0, pdf_), 0.1f) << "0 dpi counts as 72 and ends";
  const std::vector<OcrCharInfo> descenders = {Char('p', 1, 0, 0, 10, 50), Char('g', 1, 0, 10, 20, 70)};
  EXPECT_NEAR(vexiro::GetOcrBaselineY(descenders, 0, 300, pdf_), 72 - 50.0 / 300 * 72, 1e-9)
      << "all descenders: the first record's bottom";

  struct Case {
    std::vector<OcrCharInfo> records;
    std::string text;
  };
  const Case cases[] = {
      {{Char('a', 1, 0, 0, 0, 0), Char('b', 2, 0, 0, 0, 0), Char('c', 1, 0, 0, 0, 0)}, "a\r\nb\r\nc"},
      {{Char('a', 1, 0, 0, 0, 0), Char('b', 1, 3, 0, 0, 0)}, "a b"},
      {{Char(0x142, 1, 0, 0, 0, 0)}, "\u0142"},
  };
  for (const Case& c : cases) EXPECT_EQ(vexiro::BuildOcrText(c.records), c.text);
  Finish();
}

TEST_F(TextLayerTest, SingleRecordAndLettersOutsideTheCodePage) {
  Begin(300, 300);
  EXPECT_EQ(vexiro::DrawOcrTextLayer(std::vector<OcrCharInfo>{Char(0x142, 1, 0, 30, 60, 90)}, pdf_, 1), "\u0142");
  EXPECT_EQ(vexiro::DrawOcrTextLayer(std::vector<OcrCharInfo>{}, pdf_, 1), "");
  const std::vector<DrawnWord> words = Finish();
  ASSERT_EQ(words.size(), 1u);
  EXPECT_EQ(words[0].text, "?") << "the page's text is Windows-1252";
}

}  // namespace
