// The file skeleton: golden bytes of whole documents, the object layout, the refusals of
// NewPdf, and every file accepted by qpdf.
#include <gtest/gtest.h>

#include <regex>

#include "pdf/pdf_writer.h"
#include "pdf_test_support.h"
#include "support/file_size_limit.h"
#include "vexiro/imaging.h"

namespace vx::pdf {
namespace {

using namespace test_support;

class PdfDocumentTest : public ::testing::Test {
 protected:
  Scratch scratch_;
};

// Draws the plain page every golden file and layout test uses.
void DrawPlainPage(vexiro::cPDF& pdf) {
  pdf.BeginPage();
  pdf.SetLineWidth(1.5f);
  pdf.SetColorStroke(255);
  pdf.MoveTo(10, 20);
  pdf.LineTo(100.25f, 200, 1);
  float x = 50, y = 60, w = 40, h = 100, r = 50;
  int32_t paint = 5;
  pdf.Rectangle(x, y, w, h, paint, r);
  pdf.DrawCircle(300, 400, 25, 7);
}

TEST_F(PdfDocumentTest, PlainPageIsByteExact) {
  ASSERT_TRUE(ToolPresent("qpdf", "qpdf"));
  struct Case {
    const char* golden;
    bool compress;
  };
  for (const Case c : {Case{"plain_page.pdf", false}, Case{"plain_page_deflated.pdf", true}}) {
    auto pdf = FixedWriter();
    pdf->CompressData(c.compress);
    const std::string path = scratch_.File(c.golden);
    ASSERT_TRUE(pdf->NewPdf(path, "Title (1)", "Author", "Creator", "Keys", "Subject"));
    DrawPlainPage(*pdf);
    ASSERT_TRUE(pdf->ClosePdfFile());
    EXPECT_EQ(ReadFile(path), ReadFile(std::string(VEXIRO_TEST_DATA_DIR) + "/pdf/" + c.golden)) << c.golden;
    const Output check = RunTool("qpdf --check " + Quoted(path));
    EXPECT_EQ(check.status, 0) << check.text;
  }
}

TEST_F(PdfDocumentTest, PageContentOperatorsAreWrittenAsTheyAreAsked) {
  auto pdf = FixedWriter();
  pdf->CompressData(false);
  const std::string path = scratch_.File("ops.pdf");
  ASSERT_TRUE(pdf->NewPdf(path, "", "", "", "", ""));
  pdf->SetColorStroke(0);
  pdf->SetColorStroke(-255);
  pdf->SetColorFill(16711680);
  pdf->SetDash(0, 0);
  pdf->SetDash(3, 1.5f);
  pdf->SetTextMode(4);
  pdf->SetLineCap(3);
  pdf->SetLineJoin(2);
  pdf->DrawText(1, 2, "none", 1, 12);  // no font 1: nothing
  float x = 0, y = 0, w = 40, h = 100, r = 50;
  int32_t paint = 0;
  pdf->Rectangle(x, y, w, h, paint, r);
  EXPECT_EQ(r, 20) << "the radius is limited and written back";
  pdf->Arc(0, 0, 10, 0, 2, 1, false, 0, 1, 1);
  int32_t image = 1;
  pdf->DrawImg(image, 10, 20, 100.5f, 50);  // no image yet: nothing
  ASSERT_TRUE(pdf->ClosePdfFile());
  const std::string file = ReadFile(path);
  const std::string expected =
      "0 G\r\n1 G\r\n0 0 1 rg\r\n[ ] 0 d\r\n[3 1.5] 0 d\r\n2 j\r\nn\r\n20 0 m\r\n20 0 l\r\n31 0 40 9 40 20 c\r\n";
  EXPECT_NE(file.find(expected), std::string::npos) << file;
  EXPECT_NE(file.find("n\r\n0 0 m\r\n10 0 m\r\n10 0 l\r\n9.998 0.175 l\r\n9.994 0.349 l\r\nS\r\n"), std::string::npos) << file;
  EXPECT_EQ(file.find("Tr\r\n"), std::string::npos);
  EXPECT_EQ(file.find(" J\r\n"), std::string::npos);
  EXPECT_EQ(file.find("/Img1"), std::string::npos);
}

TEST_F(PdfDocumentTest, CrossReferenceLinesAreTwentyBytesAndPointAtTheirObjects) {
  auto pdf = FixedWriter();
  const std::string path = scratch_.File("xref.pdf");
  ASSERT_TRUE(pdf->NewPdf(path, "t", "a", "c", "k", "s"));
  DrawPlainPage(*pdf);
  pdf->BeginPage();
  ASSERT_TRUE(pdf->ClosePdfFile());
  const std::string file = ReadFile(path);
  const size_t xref = file.rfind("xref\r\n0 ");
  ASSERT_NE(xref, std::string::npos);
  const size_t first = file.find("0000000000 65535 f\r\n", xref);
  ASSERT_NE(first, std::string::npos);
  const size_t count = std::stoul(file.substr(xref + 8));
  for (size_t n = 1; n < count; ++n) {
    const std::string line = file.substr(first + 20 * n, 20);
    ASSERT_TRUE(std::regex_match(line, std::regex("[0-9]{10} 00000 n\r\n"))) << line;
    const size_t offset = std::stoul(line.substr(0, 10));
    EXPECT_EQ(file.compare(offset, std::to_string(n).size() + 6, std::to_string(n) + " 0 obj"), 0) << n;
  }
  EXPECT_EQ(file.substr(first + 20 * count, 9), "trailer\r\n");
}

TEST_F(PdfDocumentTest, ADocumentClosedBeforeAnyPageIsComplete) {
  ASSERT_TRUE(ToolPresent("qpdf", "qpdf"));
  auto pdf = FixedWriter();
  const std::string path = scratch_.File("empty.pdf");
  ASSERT_TRUE(pdf->NewPdf(path, "", "", "", "", ""));
  EXPECT_NE(pdf->PdfGetNativePdf(), 0);
  ASSERT_TRUE(pdf->ClosePdfFile());
  EXPECT_EQ(pdf->PdfGetNativePdf(), 0);
  EXPECT_EQ(pdf->Pages(), 1);
  const Output check = RunTool("qpdf --check " + Quoted(path));
  EXPECT_EQ(check.status, 0) << check.text;
  EXPECT_NE(ReadFile(path).find("<</ProcSet [/PDF/Text ]>>"), std::string::npos);
  EXPECT_FALSE(pdf->ClosePdfFile()) << "nothing left to close";
}

TEST_F(PdfDocumentTest, NewPdfRefusesAndCreatesNothing) {
  const std::string existing = scratch_.File("existing.pdf");
  std::ofstream(existing) << "keep";
  struct Case {
    std::string path;
    int32_t encryption;
    std::string password;
  };
  const Case cases[] = {
      {"", 0, ""},
      {existing, 0, ""},
      {scratch_.File("enc3.pdf"), 3, ""},
      {scratch_.File("enc-1.pdf"), -1, ""},
      {scratch_.File("omega.pdf"), 1, "\xCE\xA9"},  // Windows-1252 has no Omega
      {scratch_.File("nofolder/x.pdf"), 0, ""},
  };
  for (const Case& c : cases) {
    vexiro::cPDF pdf;
    EXPECT_FALSE(pdf.NewPdf(c.path, "", "", "", "", "", c.encryption, -1, c.password, "")) << c.path;
    EXPECT_EQ(pdf.PdfGetNativePdf(), 0);
    EXPECT_EQ(pdf.BeginPage(), 0) << "nothing is written without a file";
    if (c.path != existing && !c.path.empty()) {
      EXPECT_FALSE(FilePresent(c.path)) << c.path;
    }
  }
  EXPECT_EQ(ReadFile(existing), "keep");
}

TEST_F(PdfDocumentTest, InfoAndXmpCarryTheRealZoneAndIdentifiersDiffer) {
  struct Case {
    int32_t offset;
    const char* info;
    const char* xmp;
  };
  const Case cases[] = {{90, "D:20260307140509+01'30'", "2026-03-07T14:05:09+01:30"},
                        {-300, "D:20260307140509-05'00'", "2026-03-07T14:05:09-05:00"},
                        {0, "D:20260307140509+00'00'", "2026-03-07T14:05:09+00:00"}};
  for (const Case& c : cases) {
    auto pdf = FixedWriter(c.offset);
    pdf->PdfA(true);
    const std::string path = scratch_.File("zone" + std::to_string(c.offset) + ".pdf");
    ASSERT_TRUE(pdf->NewPdf(path, "", "", "", "", ""));
    ASSERT_TRUE(pdf->ClosePdfFile());
    const std::string file = ReadFile(path);
    EXPECT_NE(file.find(std::string("/CreationDate(") + c.info + ")"), std::string::npos) << c.info;
    EXPECT_NE(file.find(std::string("<xmp:CreateDate>") + c.xmp + "<"), std::string::npos) << c.xmp;
    std::smatch m;
    const std::string doc = file.substr(file.find("<xmpMM:DocumentID>"), 80);
    const std::string inst = file.substr(file.find("<xmpMM:InstanceID>"), 80);
    EXPECT_NE(doc.substr(18, 41), inst.substr(18, 41));
    ASSERT_TRUE(std::regex_search(file, m, std::regex("/ID\\[<([0-9A-F]{32})><([0-9A-F]{32})>\\]")));
    EXPECT_NE(m[1], m[2]);
  }
}

TEST_F(PdfDocumentTest, TwoWritersOfOneInstantGetDifferentIdentifiers) {
  // The default random source is the thread's generator, seeded once: no clock reseeding.
  std::string ids[2];
  for (int i = 0; i < 2; ++i) {
    vexiro::cPDF pdf;
    pdf.PdfA(true);
    const std::string path = scratch_.File("same" + std::to_string(i) + ".pdf");
    ASSERT_TRUE(pdf.NewPdf(path, "", "", "", "", ""));
    ASSERT_TRUE(pdf.ClosePdfFile());
    std::smatch m;
    const std::string file = ReadFile(path);
    ASSERT_TRUE(std::regex_search(file, m, std::regex("/ID\\[<[0-9A-F]{32}><[0-9A-F]{32}>\\]")));
    ids[i] = m[0];
  }
  EXPECT_NE(ids[0], ids[1]);
}

// A file cut short by the system is reported, so that a caller can remove it.
TEST_F(PdfDocumentTest, ClosingReportsAFailedWrite) {
  auto pdf = FixedWriter();
  pdf->CompressData(false);
  const std::string path = scratch_.File("cut.pdf");
  ASSERT_TRUE(pdf->NewPdf(path, "", "", "", "", ""));
  for (int i = 0; i < 2000; ++i) pdf->MoveTo(static_cast<float>(i), 1);
  bool closed = true;
  {
    const testing_support::FileSizeLimit limit(1000);
    ASSERT_TRUE(limit.Active());
    closed = pdf->ClosePdfFile();
  }
  EXPECT_FALSE(closed);
  EXPECT_EQ(pdf->PdfGetNativePdf(), 0) << "the file is closed all the same";
}

TEST_F(PdfDocumentTest, SettingsKeepTheirRanges) {
  vexiro::cPDF pdf;
  pdf.CompressLevel(10);
  pdf.CompressLevel(-1);
  EXPECT_EQ(pdf.CompressLevel(), 9);
  pdf.JpegQuality(101);
  pdf.JpegQuality(40);
  EXPECT_EQ(pdf.JpegQuality(), 40);
  pdf.PaperWidth(300);
  pdf.PaperSize(4);
  EXPECT_EQ(pdf.PaperWidth(), 300);
  pdf.PaperSize(2);
  EXPECT_EQ(pdf.PaperWidth(), 612);
  EXPECT_EQ(pdf.PaperHeight(), 792);
}

TEST(PdfRightsTest, CreateRightsAddsTheFlagsThatAreTrue) {
  vexiro::cImaging engine;
  EXPECT_EQ(engine.PdfCreateRights(false, false, false, false, false, false, false, false), vexiro::PdfRightCanView);
  EXPECT_EQ(engine.PdfCreateRights(false, true, false, false, false, false, false, false), 4);
  EXPECT_EQ(engine.PdfCreateRights(true, true, true, true, true, true, true, true), 255);
  EXPECT_EQ(engine.PdfCreateRights(true, false, true, false, false, false, false, true), 131);
}

}  // namespace
}  // namespace vx::pdf
