// Fonts as readers see them: names, unembedded TrueType, the advance widths of the faces the
// Windows names stand for, and text that a reader extracts.
#include <fontconfig/fontconfig.h>
#include <gtest/gtest.h>

#include <regex>
#include <sstream>

#include "pdf_test_support.h"

namespace vx::pdf {
namespace {

using namespace test_support;

// Fontconfig keeps its caches behind offsets the leak checker cannot follow; hand them back.
class FontCacheRelease : public ::testing::Environment {
 public:
  void TearDown() override { FcFini(); }
};
const auto* const g_fontCacheRelease = ::testing::AddGlobalTestEnvironment(new FontCacheRelease);

class PdfFontsTest : public ::testing::Test {
 protected:
  Scratch scratch_;
};

// The /Widths array of font K's dictionary, indexed by character code.
std::vector<int> WidthsOf(const std::string& file, int k) {
  std::smatch m;
  const std::regex font("/Name/Font" + std::to_string(k) + "/BaseFont/[^/]+/FirstChar (\\d+)/LastChar \\d+/[^\\[]*\\[([^\\]]*)\\]");
  if (!std::regex_search(file, m, font)) return {};
  std::vector<int> widths(static_cast<size_t>(std::stoi(m[1])), 0);
  std::istringstream in(m[2].str());
  for (int w; in >> w;) widths.push_back(w);
  return widths;
}

TEST_F(PdfFontsTest, WindowsNamesGetTheirMetricCompatibleWidths) {
  ASSERT_TRUE(ToolPresent("pdffonts", "poppler-utils"));
  auto pdf = FixedWriter();
  const std::string path = scratch_.File("fonts.pdf");
  ASSERT_TRUE(pdf->NewPdf(path, "", "", "", "", ""));
  EXPECT_EQ(pdf->LoadFont("No Such Font Family", false, false), 0);
  ASSERT_EQ(pdf->LoadFont("arial", false, false), 1);
  ASSERT_EQ(pdf->LoadFont("times new roman", true, true), 2);
  ASSERT_EQ(pdf->LoadFont("CourierNew", false, false), 3);
  ASSERT_TRUE(pdf->ClosePdfFile());
  const std::string file = ReadFile(path);
  const std::vector<int> arial = WidthsOf(file, 1), times = WidthsOf(file, 2), courier = WidthsOf(file, 3);
  ASSERT_EQ(arial.size(), 256u);
  ASSERT_EQ(times.size(), 256u);
  ASSERT_EQ(courier.size(), 256u);
  // The published advance widths of the faces these names stand for, in 1/1000 em.
  struct Case {
    char c;
    int arial, timesBoldItalic;
  };
  const Case cases[] = {{' ', 278, 250}, {'A', 667, 667}, {'a', 556, 500}, {'W', 944, 889}, {'1', 556, 500}};
  for (const Case& c : cases) {
    EXPECT_EQ(arial[static_cast<unsigned char>(c.c)], c.arial) << c.c;
    EXPECT_EQ(times[static_cast<unsigned char>(c.c)], c.timesBoldItalic) << c.c;
    EXPECT_EQ(courier[static_cast<unsigned char>(c.c)], 600) << c.c;
  }
  EXPECT_EQ(arial[0x80], 556) << "the euro sign through Windows-1252";
  const Output fonts = RunTool("pdffonts " + Quoted(path));
  EXPECT_NE(fonts.text.find("Arial "), std::string::npos) << fonts.text;
  EXPECT_NE(fonts.text.find("TimesNewRoman,BoldItalic"), std::string::npos) << fonts.text;
  EXPECT_NE(fonts.text.find("CourierNew"), std::string::npos) << fonts.text;
  EXPECT_NE(file.find("/FontName /TimesNewRoman,BoldItalic\r/MissingWidth"), std::string::npos);
  EXPECT_EQ(std::regex_search(fonts.text, std::regex("TrueType +WinAnsi +yes")), false) << "not embedded";
}

TEST_F(PdfFontsTest, TextWidthFollowsTheTextState) {
  auto pdf = FixedWriter();
  ASSERT_TRUE(pdf->NewPdf(scratch_.File("width.pdf"), "", "", "", "", ""));
  const int32_t arial = pdf->LoadFont("Arial", false, false);
  ASSERT_EQ(arial, 1);
  EXPECT_EQ(pdf->TextWidth("", arial, 10), 0);
  EXPECT_EQ(pdf->TextWidth("A A", 2, 10), 0) << "unknown font";
  EXPECT_FLOAT_EQ(pdf->TextWidth("A A", arial, 10), 16.12f);
  pdf->BeginPage();
  pdf->SetWordSpacing(2);
  EXPECT_FLOAT_EQ(pdf->TextWidth("A A", arial, 10), 18.12f);
  pdf->SetTextHorizontalScaling(50);
  EXPECT_FLOAT_EQ(pdf->TextWidth("A A", arial, 10), 9.06f);
  ASSERT_TRUE(pdf->ClosePdfFile());
}

TEST_F(PdfFontsTest, DrawnTextIsFoundByAReader) {
  ASSERT_TRUE(ToolPresent("pdftotext", "poppler-utils"));
  auto pdf = FixedWriter();
  const std::string path = scratch_.File("text.pdf");
  ASSERT_TRUE(pdf->NewPdf(path, "", "", "", "", ""));
  const int32_t font = pdf->LoadFont("Times New Roman", false, false);
  pdf->DrawText(300, 700, "Right (aligned) \xE2\x82\xAC 5", font, 12, 1);
  pdf->DrawText(100, 500, "Turned", font, 20, 0, 90);
  ASSERT_TRUE(pdf->ClosePdfFile());
  const Output text = RunTool("pdftotext " + Quoted(path) + " -");
  EXPECT_NE(text.text.find("Right (aligned) \xE2\x82\xAC 5"), std::string::npos) << text.text;
  EXPECT_NE(text.text.find("Turned"), std::string::npos) << text.text;
  // The right-aligned text ends at x: its width is taken off before Td.
  const Output bbox = RunTool("pdftotext -bbox " + Quoted(path) + " -");
  EXPECT_TRUE(std::regex_search(bbox.text, std::regex("xMax=\"300\\.0+\" yMax=\"[0-9.]+\">5</word>"))) << bbox.text;
}

}  // namespace
}  // namespace vx::pdf
