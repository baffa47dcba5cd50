// Print jobs through a private cupsd: the queue writes each job byte for byte, so the PDF the
// printer objects made is read back with pdfinfo (sheets), pdfimages (the pixels embedded) and a
// render at one pixel per millimetre (where the image landed, within a pixel).
#include <cstdlib>

#include "devices/print_test_support.h"

namespace {

using vxtest::Box;
using vxtest::PrintSuite;

constexpr const char* kA4 = "595.276 x 841.89";
constexpr float kMillimetreDpi = 25.4f;  // one pixel per millimetre

class PrintJob : public PrintSuite {
 protected:
  void SetUp() override {
    PrintSuite::SetUp();
    if (IsSkipped()) return;
    VX_REQUIRE_TOOL("pdfimages");
    VX_REQUIRE_TOOL("pdftoppm");
    VX_REQUIRE_TOOL("convert");
  }
  static void ExpectBox(const Box& box, int width, int height, int left, int top) {
    EXPECT_NEAR(box.width, width, 1);
    EXPECT_NEAR(box.height, height, 1);
    EXPECT_NEAR(box.left, left, 1);
    EXPECT_NEAR(box.top, top, 1);
  }
};

// The Part's sizes on A4 with 5 mm margins; positions are from the printable corner, so the
// rendered page shows them 5 mm further in.
TEST_F(PrintJob, SizesAndPositions) {
  struct Case {
    const char* what;
    int pixelWidth, pixelHeight;
    float dpi;
    int32_t alignment;
    char member;  // N natural, F fit, S by size
    float left, top, width, height;
    Box expected;
  };
  const Case cases[] = {
      {"natural size that fits", 150, 100, kMillimetreDpi, 3, 'N', 0, 0, 0, 0, {150, 100, 5, 5}},
      {"300 dpi pixels", 600, 300, 300, 3, 'N', 0, 0, 0, 0, {51, 25, 5, 5}},
      // 240 x 288: its right part runs over the edge of the paper.
      {"width too large by more", 250, 300, kMillimetreDpi, 3, 'N', 0, 0, 0, 0, {205, 288, 5, 5}},
      {"fitted up to the printable width", 20, 10, kMillimetreDpi, 3, 'F', 0, 0, 0, 0, {200, 100, 5, 5}},
      {"at a position and size", 7, 9, kMillimetreDpi, 3, 'S', 10, 20, 50, 40, {50, 40, 15, 25}},
      {"at a position, natural size", 30, 20, kMillimetreDpi, 3, 'S', 10, 20, 0, 0, {30, 20, 15, 25}},
      {"rounded half to even", 7, 9, kMillimetreDpi, 3, 'S', 10.5f, 11.5f, 50, 40, {50, 40, 15, 17}},
      // Without fitting the placement area is the whole paper, measured from the printable corner.
      {"middle right", 30, 20, kMillimetreDpi, 1, 'N', 0, 0, 0, 0, {25, 20, 185, 144}},
      {"bottom centre of the printable area", 30, 20, kMillimetreDpi, 9, 'F', 0, 0, 0, 0, {200, 133, 5, 159}},
      {"top centre keeps the top", 7, 9, kMillimetreDpi, 6, 'S', 10, 20, 50, 40, {50, 40, 85, 25}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    NewImage(c.pixelWidth, c.pixelHeight, c.dpi);
    engine_->PrintSetImageAlignment(c.alignment);
    const std::string pdf = PrintedFile("Alpha", [&] {
      if (c.member == 'N') engine_->PrintImage();
      if (c.member == 'F') engine_->PrintImageFit();
      if (c.member == 'S') engine_->PrintImageBySize(c.left, c.top, c.width, c.height);
    });
    ASSERT_FALSE(pdf.empty());
    EXPECT_EQ(engine_->PrintGetStat(), vexiro::PrinterOK);
    EXPECT_EQ(PageSizes(pdf), std::vector<std::string>{kA4});
    EXPECT_EQ(ImageSizes(pdf), std::vector<std::string>{std::to_string(c.pixelWidth) + "x" + std::to_string(c.pixelHeight)})
        << "embedded at its own pixels";
    const Box box = DarkBox(pdf);
    ExpectBox(box, c.expected.width, c.expected.height, c.expected.left, c.expected.top);
    engine_->RemoveAllImage();
  }
}

TEST_F(PrintJob, AutoRotationTurnsOnlyCrosswisePagesLargerThanThePaper) {
  struct Case {
    const char* what;
    int width, height;  // millimetres, at one pixel each
    const char* embedded;
    Box expected;
  };
  const Case cases[] = {
      // Reduced to 290 x 193.33, larger than the paper's width and lying across it: turned.
      {"landscape larger than portrait paper", 300, 200, "200x300", {193, 290, 5, 5}},
      // Reduced to 205 x 143.02: fits the paper, stays.
      {"landscape that fits once reduced", 215, 150, "215x150", {205, 143, 5, 5}},
      // A tall page over the paper's height lies the same way as the paper: never turned.
      {"tall page larger than the paper", 100, 400, "100x400", {98, 292, 5, 5}},
      {"portrait smaller than the paper", 100, 150, "100x150", {100, 150, 5, 5}},
  };
  engine_->PrintSetAutoRotation(true);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const int32_t id = NewImage(c.width, c.height, kMillimetreDpi);
    const std::string pdf = PrintedFile("Alpha", [&] { engine_->PrintImage(); });
    ASSERT_FALSE(pdf.empty());
    EXPECT_EQ(ImageSizes(pdf), std::vector<std::string>{c.embedded});
    ExpectBox(DarkBox(pdf), c.expected.width, c.expected.height, c.expected.left, c.expected.top);
    EXPECT_EQ(engine_->GetWidth(), c.width) << "the source is not turned";
    engine_->CloseImage(id);
  }
}

TEST_F(PrintJob, LandscapeSheetAndPostScriptQueue) {
  VX_REQUIRE_TOOL("ps2pdf");
  NewImage(40, 30, kMillimetreDpi);
  engine_->PrintSetOrientation(2);
  std::string pdf = PrintedFile("Alpha", [&] { engine_->PrintImage(); });
  ASSERT_FALSE(pdf.empty());
  EXPECT_EQ(PageSizes(pdf), std::vector<std::string>{"841.89 x 595.276"});
  ExpectBox(DarkBox(pdf), 40, 30, 5, 5);
  engine_->PrintSetOrientation(1);

  const std::string ps = PrintedFile("Post", [&] { EXPECT_TRUE(engine_->PrintImage2Printer("post")); });
  ASSERT_FALSE(ps.empty());
  EXPECT_EQ(vxtest::ReadFile(ps).substr(0, 4), "%!PS") << "a queue taking only PostScript gets PostScript";
  const std::string converted = (sandbox_->Scratch() / "post.pdf").string();
  ASSERT_EQ(std::system(("ps2pdf '" + ps + "' '" + converted + "'").c_str()), 0);
  EXPECT_EQ(PageSizes(converted), std::vector<std::string>{"595 x 842"}) << "A4 in whole points";
  ExpectBox(DarkBox(converted), 40, 30, 5, 5);
  std::filesystem::remove(converted);
}

TEST_F(PrintJob, PageRangeOfATiffDocument) {
  // Five pages of different widths, so each sheet shows which page it holds.
  const std::string tif = (sandbox_->Scratch() / "five.tif").string();
  std::string command = "convert";
  for (int page = 1; page <= 5; ++page) command += " -size " + std::to_string(10 * page) + "x20 xc:black";
  ASSERT_EQ(std::system((command + " '" + tif + "'").c_str()), 0);
  const int32_t doc = engine_->CreateImageFromFile(tif);
  std::filesystem::remove(tif);
  ASSERT_NE(doc, 0);
  ASSERT_EQ(engine_->TiffGetPageCount(doc), 5);

  engine_->PrintSetFromToPage(2, 9);
  std::string pdf = PrintedFile("Alpha", [&] { engine_->PrintImage(); });
  ASSERT_FALSE(pdf.empty());
  EXPECT_EQ(PageSizes(pdf).size(), 4u);
  EXPECT_EQ(ImageSizes(pdf), (std::vector<std::string>{"20x20", "30x20", "40x20", "50x20"}));
  EXPECT_EQ(engine_->TiffGetCurrentPage(doc), 5);

  // Without a range only the current page prints.
  engine_->PrintSetFromToPage(0, 0);
  pdf = PrintedFile("Alpha", [&] { engine_->PrintImage(); });
  EXPECT_EQ(ImageSizes(pdf), std::vector<std::string>{"50x20"});
  // A range the wrong way round is not usable: the current page again.
  engine_->PrintSetFromToPage(5, 2);
  pdf = PrintedFile("Alpha", [&] { engine_->PrintImage(); });
  EXPECT_EQ(ImageSizes(pdf), std::vector<std::string>{"50x20"});
  // A single-page image prints once whatever the range.
  NewImage(10, 10, kMillimetreDpi);
  engine_->PrintSetFromToPage(3, 4);
  pdf = PrintedFile("Alpha", [&] { engine_->PrintImage(); });
  EXPECT_EQ(PageSizes(pdf).size(), 1u);
}

// A job that fails sends nothing, and nothing of it rides along with the next job.
TEST_F(PrintJob, FailedJobsReachNoQueue) {
  VX_REQUIRE_TOOL("lpadmin");
  NewImage(30, 20, kMillimetreDpi);
  // A sheet narrower than its two margins has no printable area.
  engine_->PrintSetUserPaperSize(8, 100);
  ASSERT_NEAR(engine_->PrintGetPaperWidth(), 8, 0.05);
  EXPECT_TRUE(PrintedFile("Alpha", [&] { engine_->PrintImageFit(); }).empty());
  EXPECT_EQ(engine_->PrintGetStat(), vexiro::PrinterUnexpectedError);
  engine_->PrintSetStdPaperSize(9);

  // A queue that refuses the job after the page was drawn.
  const std::string env = "CUPS_SERVER='" + sandbox_->Socket() + "' ";
  ASSERT_EQ(std::system((env + "cupsreject Alpha").c_str()), 0);
  EXPECT_TRUE(PrintedFile("Alpha", [&] { engine_->PrintImage(); }).empty());
  EXPECT_EQ(engine_->PrintGetStat(), vexiro::PrinterUnexpectedError);
  ASSERT_EQ(std::system((env + "cupsaccept Alpha").c_str()), 0);
  const std::string pdf = PrintedFile("Alpha", [&] { engine_->PrintImage(); });
  ASSERT_FALSE(pdf.empty());
  EXPECT_EQ(engine_->PrintGetStat(), vexiro::PrinterOK);
  EXPECT_EQ(PageSizes(pdf).size(), 1u) << "the failed job's page went with it";

  // No current image: no job runs, so even this sheet cannot make it fail.
  vexiro::cImaging fresh;
  fresh.PrintSetUserPaperSize(8, 100);
  fresh.PrintImageFit();
  EXPECT_EQ(fresh.PrintGetStat(), vexiro::PrinterOK);
  fresh.PrintSetStdPaperSize(9);
}

TEST_F(PrintJob, PrintDialog) {
  NewImage(40, 30, kMillimetreDpi);
  engine_->PrintSetCopies(1);
  // The default provider cancels: nothing printed, nothing changed.
  const int before = sandbox_->JobCount();
  EXPECT_FALSE(engine_->PrintImageDialog());
  EXPECT_FALSE(engine_->PrintImageDialogFitHWND(77));
  EXPECT_EQ(sandbox_->JobCount(), before);
  EXPECT_EQ(engine_->PrintGetCopies(), 1);

  vx::printing::PrintDialogRecord offered;
  vx::printing::SetPrintDialogProvider([&](vx::printing::PrintDialogRecord& record) {
    offered = record;
    record.deviceName = "Alphabet";
    record.copies = 3;
    record.orientation = 2;
    record.duplex = 2;
    record.paperSize = 11;
    record.color = 1;
    record.printQuality = -4;
    record.defaultSource = 1;
    return true;
  });
  const std::string pdf = PrintedFile("Alphabet", [&] { EXPECT_TRUE(engine_->PrintImageDialogHWND(5)); });
  ASSERT_FALSE(pdf.empty());
  EXPECT_EQ(offered.owner, 5u);
  EXPECT_EQ(offered.flags, 0x1C0204u);
  EXPECT_EQ(offered.maxPage, 0) << "no page choice for a single page";
  EXPECT_EQ(engine_->PrintGetActivePrinter(), "Alphabet");
  EXPECT_EQ(engine_->PrintGetCopies(), 3);
  EXPECT_EQ(engine_->PrintGetOrientation(), 2);
  EXPECT_EQ(engine_->PrintGetPaperSize(), 11);
  EXPECT_EQ(engine_->PrintGetPaperBin(), 1);
  EXPECT_EQ(PageSizes(pdf), std::vector<std::string>{"595.276 x 419.528"}) << "A5 lying across";
  VX_REQUIRE_TOOL("ipptool");
  const std::string job = sandbox_->JobAttributes(sandbox_->JobCount());
  for (const char* expected : {"copies (integer) = 3", "sides (keyword) = two-sided-long-edge",
                               "media-source (keyword) = top", "print-color-mode (keyword) = monochrome"})
    EXPECT_NE(job.find(expected), std::string::npos) << expected;
  engine_->PrintSetOrientation(1);
}

}  // namespace
