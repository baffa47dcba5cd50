// PDF/A-1b output as PDFBox Preflight judges it, and what its metadata holds.
#include <gtest/gtest.h>

#include <regex>

#include "pdf_test_support.h"
#include "support/preflight.h"

namespace vx::pdf {
namespace {

using namespace test_support;

Output Preflight(const std::string& path) { return RunTool(vxtest::PreflightCommand(Quoted(path))); }

class PdfATest : public ::testing::Test {
 protected:
  Scratch scratch_;
};

TEST_F(PdfATest, PreflightAcceptsADocumentWithEscapedAndAccentedStrings) {
  VX_REQUIRE_PREFLIGHT();
  auto pdf = FixedWriter();
  pdf->PdfA(true);
  pdf->XMP("<caller packet/>");  // PDF/A writes its own packet
  const std::string path = scratch_.File("pdfa.pdf");
  const std::string title = "A (b) & \xC3\xA9 \xE2\x82\xAC";
  ASSERT_TRUE(pdf->NewPdf(path, title, "Au<thor>", "Creator \xE2\x80\x93", "k\r\ney", "\xE2\x80\x9CSubject\xE2\x80\x9D"));
  pdf->SetTextMode(3);
  const int32_t font = pdf->LoadFont("Courier New", false, false);
  ASSERT_EQ(font, 1);
  pdf->DrawText(10, 10, "Invisible text", font, 12);
  pdf->DrawCircle(100, 100, 50, 1);
  ASSERT_TRUE(pdf->ClosePdfFile());
  const Output verdict = Preflight(path);
  EXPECT_EQ(verdict.status, 0) << verdict.text;

  const std::string file = ReadFile(path);
  EXPECT_EQ(file.substr(0, 16), "%PDF-1.4\r%\xE2\xE3\xCF\xD3\r\n");
  EXPECT_EQ(file.find("caller packet"), std::string::npos);
  EXPECT_NE(file.find("<rdf:li xml:lang=\"x-default\">A (b) &amp; \xC3\xA9 \xE2\x82\xAC</rdf:li>"), std::string::npos);
  EXPECT_NE(file.find("/Title(A \\(b\\) & \xE9 \xA0)"), std::string::npos) << "PDFDocEncoding in Info";
  // /Length counts the packet's bytes.
  std::smatch m;
  ASSERT_TRUE(std::regex_search(file, m, std::regex("/Subtype/XML/Length (\\d+)/Type/Metadata>>stream\r\n")));
  const size_t start = static_cast<size_t>(m.position(0) + m.length(0));
  const size_t length = std::stoul(m[1]);
  EXPECT_EQ(file.substr(start + length, 11), "\r\nendstream");
}

TEST_F(PdfATest, ACallersPacketGoesOutAsGivenAndEncryptionTurnsPdfAOff) {
  struct Case {
    int32_t encryption;
    bool pdfA;
    const char* header;
  };
  for (const Case& c : {Case{0, false, "%PDF-1.3"}, Case{1, true, "%PDF-1.3"}}) {
    auto pdf = FixedWriter();
    pdf->PdfA(c.pdfA);
    pdf->XMP("<x:packet>\xC3\xA9</x:packet>");
    const std::string path = scratch_.File("xmp.pdf");
    ASSERT_TRUE(pdf->NewPdf(path, "", "", "", "", "", c.encryption, -1, "", ""));
    ASSERT_TRUE(pdf->ClosePdfFile());
    const std::string file = ReadFile(path);
    EXPECT_EQ(file.substr(0, 8), c.header);
    EXPECT_NE(file.find("/Metadata 5 0 R"), std::string::npos);
    EXPECT_EQ(file.find("/OutputIntents"), std::string::npos);
    EXPECT_EQ(file.find("/ID["), std::string::npos);
    EXPECT_EQ(file.find("<x:packet>\xC3\xA9</x:packet>") != std::string::npos, c.encryption == 0);
    EXPECT_NE(file.find("<</Subtype/XML/Length 23/Type/Metadata>>stream"), std::string::npos);
    std::filesystem::remove(path);
  }
}

TEST_F(PdfATest, GoldenFilesOfPdfAAndBothEncryptions) {
  ASSERT_TRUE(ToolPresent("qpdf", "qpdf"));
  struct Case {
    const char* golden;
    bool pdfA;
    int32_t encryption;
  };
  for (const Case& c : {Case{"pdfa.pdf", true, 0}, Case{"rc4_40.pdf", false, 1}, Case{"rc4_128.pdf", false, 2}}) {
    auto pdf = FixedWriter();
    pdf->PdfA(c.pdfA);
    const std::string path = scratch_.File(c.golden);
    ASSERT_TRUE(pdf->NewPdf(path, "Golden (1)", "Author", "Creator", "Keys", "Subject", c.encryption, 4 + 1, "user",
                            "owner"));
    pdf->SetColorFill(-128);
    pdf->DrawCircle(300, 400, 25, 4);
    ASSERT_TRUE(pdf->ClosePdfFile());
    EXPECT_EQ(ReadFile(path), ReadFile(std::string(VEXIRO_TEST_DATA_DIR) + "/pdf/" + c.golden)) << c.golden;
    const Output check = RunTool("qpdf --password=user --check " + Quoted(path));
    EXPECT_EQ(check.status, 0) << check.text;
  }
}

}  // namespace
}  // namespace vx::pdf
