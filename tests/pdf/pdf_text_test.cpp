// The writer's number and string forms, byte for byte.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "pdf/pdf_text.h"

namespace vx::pdf {
namespace {

TEST(PdfTextTest, NumbersRoundHalfToEvenInTheirForms) {
  struct Case {
    double value;
    const char* real3;
    const char* number2;
  };
  const double inf = std::numeric_limits<double>::infinity();
  const Case cases[] = {
      {0, "0", "0.00"},
      {595.2f, "595.2", "595.20"},
      {12.5, "12.5", "12.50"},
      {-1.0, "-1", "-1.00"},
      {0.0625, "0.062", "0.06"},    // the exact half goes to the even neighbour
      {0.125, "0.125", "0.12"},
      {2.5e-4, "0", "0.00"},         // below half a unit of the last decimal
      {-0.0001, "0", "0.00"},        // no negative zero
      {1e20, "100000000000000000000", "100000000000000000000.00"},
      {inf, "0", "0.00"},
      {-inf, "0", "0.00"},
      {std::nan(""), "0", "0.00"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FormatReal(c.value, 3), c.real3) << c.value;
    EXPECT_EQ(FormatNumber(c.value, 2), c.number2) << c.value;
  }
}

TEST(PdfTextTest, StringsAreEscapedSoEveryByteSurvives) {
  EXPECT_EQ(EscapeString("a\\b(c)\r\n"), "a\\\\b\\(c\\)\\r\\n");
  EXPECT_EQ(EscapeStringBinary("(\r)"), "\\(\r\\)");
  EXPECT_EQ(HexString(std::string("\x00\xAB\x7f", 3)), "00AB7F");
  EXPECT_EQ(EscapeName("Times New Roman,Bold"), "Times#20New#20Roman,Bold");
  EXPECT_EQ(EscapeName("A(b)#/\xE9"), "A#28b#29#23#2F#E9");
}

TEST(PdfTextTest, DocumentStringsUsePdfDocEncodingElseUtf16) {
  // Euro, en dash, left double quote: the codes PDFDocEncoding gives them, not Windows-1252's.
  EXPECT_EQ(PdfTextStringBytes("\xE2\x82\xAC \xE2\x80\x93 \xE2\x80\x9C"), "\xA0 \x85 \x8D");
  EXPECT_EQ(PdfTextStringBytes("A (b) & \xC3\xA9"), "A (b) & \xE9");
  EXPECT_EQ(PdfTextStringBytes("\xCE\xA9"), std::string("\xFE\xFF\x03\xA9", 4));  // Omega: no code there
  std::string ansi;
  EXPECT_TRUE(ExactAnsi("\xE2\x82\xAC", ansi));
  EXPECT_EQ(ansi, "\x80");
  EXPECT_FALSE(ExactAnsi("\xCE\xA9", ansi));
  EXPECT_EQ(XmlEscape("A <b> & \"c\"\r\n"), "A &lt;b&gt; &amp; &quot;c&quot;&#13;\n");
}

}  // namespace
}  // namespace vx::pdf
