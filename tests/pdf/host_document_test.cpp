// Documents a host builds itself: page geometry in every unit, the settings' ranges, what happens
// to a document left open, the refusals of PdfNewPdfEx, and encrypted documents as readers open
// them.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "host_pdf_support.h"
#include "support/file_size_limit.h"

namespace vx::pdf::host_test {
namespace {

using vexiro::VexiroStatus;

// The unit, a page and margin given in it, and the boxes pdfinfo then reports in points.
struct GeometryCase {
  int32_t unit;
  float width, height, margin;
  const char* mediaBox;
  const char* cropBox;
};

TEST_F(HostPdfTest, PageSizeAndMarginArePointsOfTheChosenUnit) {
  VX_REQUIRE_TOOL("pdfinfo");
  const GeometryCase cases[] = {
      {1, 210, 297, 10, "0.00 0.00 595.28 841.89", "28.35 28.35 566.93 813.54"},  // A4 in millimetres
      {2, 21, 29.7f, 1, "0.00 0.00 595.28 841.89", "28.35 28.35 566.93 813.54"},
      {3, 8.5f, 11, 2, "0.00 0.00 612.00 792.00", "144.00 144.00 468.00 648.00"},
      {0, 300, 200, 0, "0.00 0.00 300.00 200.00", "0.00 0.00 300.00 200.00"},
  };
  for (const GeometryCase& c : cases) {
    SCOPED_TRACE(c.unit);
    const std::string path = scratch_.File("unit" + std::to_string(c.unit) + ".pdf");
    engine_->PdfSetMeasurementUnits(c.unit);
    ASSERT_TRUE(engine_->PdfNewPdf(path));
    engine_->PdfSetPageDimensions(c.width, c.height);
    engine_->PdfSetPageMargin(c.margin);
    EXPECT_FLOAT_EQ(engine_->PdfGetPageMargin(), c.margin);
    EXPECT_EQ(engine_->PdfNewPage(), 1);
    Save(path);
    EXPECT_EQ(InfoLine(path, "MediaBox"), c.mediaBox);
    EXPECT_EQ(InfoLine(path, "CropBox"), c.cropBox);
  }
  // Single precision of the double product, as the page tree carries it.
  const std::string a4 = scratch_.File("unit1.pdf");
  const std::string qdf = RunTool("qpdf --qdf " + Quoted(a4) + " -").text;
  EXPECT_NE(qdf.find("/MediaBox [\n    0\n    0\n    595.276\n    841.89\n  ]"), std::string::npos) << qdf;
}

TEST_F(HostPdfTest, UnknownUnitsAndOutOfRangeSettingsAreIgnored) {
  engine_->PdfSetMeasurementUnits(3);
  engine_->PdfSetMeasurementUnits(4);
  engine_->PdfSetMeasurementUnits(-1);
  ASSERT_TRUE(engine_->PdfNewPdf(scratch_.File("a.pdf")));
  engine_->PdfSetPageMargin(2);
  EXPECT_FLOAT_EQ(engine_->PdfGetPageMargin(), 2);  // still inches: 144 points inside
  engine_->PdfSetMeasurementUnits(0);
  EXPECT_FLOAT_EQ(engine_->PdfGetPageMargin(), 144);

  struct Setting {
    void (vexiro::cImaging::*set)(int32_t);
    int32_t (vexiro::cImaging::*get)();
    int32_t initial;
    std::vector<std::pair<int32_t, int32_t>> setAndExpect;
  };
  const Setting settings[] = {
      {&vexiro::cImaging::PdfSetCompressionLevel, &vexiro::cImaging::PdfGetCompressionLevel, 9,
       {{10, 9}, {-1, 9}, {5, 5}, {0, 0}, {9, 9}}},
      {&vexiro::cImaging::PdfSetJpegQuality, &vexiro::cImaging::PdfGetJpegQuality, 75,
       {{101, 75}, {-1, 75}, {100, 100}, {0, 0}}},
      {&vexiro::cImaging::PdfSetPageOrientation, &vexiro::cImaging::PdfGetPageOrientation, 0,
       {{2, 0}, {1, 1}, {-1, 1}, {0, 0}}},
  };
  for (const Setting& s : settings) {
    EXPECT_EQ((engine_.get()->*s.get)(), s.initial);
    for (const auto& [value, expected] : s.setAndExpect) {
      (engine_.get()->*s.set)(value);
      EXPECT_EQ((engine_.get()->*s.get)(), expected) << value;
    }
  }
  Save(scratch_.File("a.pdf"));
}

// Settings changed while a document is open reach its writer: the images added after them are
// encoded with them.
TEST_F(HostPdfTest, SettingsReachTheOpenDocument) {
  const std::string noise = scratch_.Draw("-size 160x160 xc:gray +noise Random", "noise.png");
  ASSERT_FALSE(noise.empty()) << "ImageMagick drew no fixture";
  std::vector<uintmax_t> sizes;
  for (int32_t quality : {100, 5}) {
    const std::string path = scratch_.File("q" + std::to_string(quality) + ".pdf");
    ASSERT_TRUE(engine_->PdfNewPdf(path));
    engine_->PdfSetJpegQuality(quality);
    engine_->PdfSetCompressionLevel(0);
    ASSERT_EQ(engine_->PdfAddImageFromFile(noise), 1);
    engine_->PdfDrawImage(1, 0, 0, 160, 160);
    Save(path);
    sizes.push_back(std::filesystem::file_size(path));
  }
  EXPECT_GT(sizes[0], sizes[1] * 3) << "quality 100 against 5";
  EXPECT_EQ(engine_->PdfGetJpegQuality(), 5);
  EXPECT_EQ(engine_->PdfGetCompressionLevel(), 0);
}

TEST_F(HostPdfTest, LandscapePagesAreTurned) {
  VX_REQUIRE_TOOL("pdfinfo");
  const std::string path = scratch_.File("landscape.pdf");
  ASSERT_TRUE(engine_->PdfNewPdf(path));
  engine_->PdfSetPageOrientation(1);
  engine_->PdfNewPage();
  Save(path);
  EXPECT_EQ(InfoLine(path, "Page rot"), "90");
}

// Without a document nothing is written, every answer is empty, and the last status stays.
TEST_F(HostPdfTest, WithoutADocumentMembersAnswerNothingAndWriteNothing) {
  const int32_t image = engine_->CreateNewImage(8, 8, 24);
  const std::string taken = scratch_.File("taken.pdf");
  std::ofstream(taken) << "mine";
  EXPECT_FALSE(engine_->PdfNewPdf(taken));
  ASSERT_EQ(engine_->GetStat(), vexiro::CanNotCreateFile);
  for (int round = 0; round < 2; ++round) {  // before any document, and after one was saved
    SCOPED_TRACE(round);
    vexiro::cImaging& e = *engine_;
    e.PdfSavePdf();
    EXPECT_EQ(e.PdfNewPage(), 0);
    EXPECT_EQ(e.PdfGetCurrentPage(), 0);
    EXPECT_EQ(e.PdfGetPageOrientation(), -1);
    EXPECT_EQ(e.PdfGetPageMargin(), 0.0f);
    EXPECT_FALSE(e.PdfSetMetadata("<x/>"));
    EXPECT_EQ(e.PdfAddFont("Liberation Sans"), 0);
    EXPECT_EQ(e.PdfAddImageFromVexiroImage(image), 0);
    EXPECT_EQ(e.PdfGetImageWidth(1), 0.0f);
    EXPECT_EQ(e.PdfGetImageHeight(1), 0.0f);
    EXPECT_EQ(e.PdfGetTextWidth("abc", 1, 12), 0.0f);
    e.PdfDrawLine(0, 0, 10, 10, 1);
    e.PdfDrawText(10, 10, "x", 1, 12);
    e.PdfDrawArc(10, 10, 5, 1);
    e.PdfSetTextColor(255);
    EXPECT_EQ(e.GetStat(), vexiro::CanNotCreateFile);
    if (round == 0) {
      ASSERT_TRUE(e.PdfNewPdf(scratch_.File("done.pdf")));
      Save(scratch_.File("done.pdf"));
    }
  }
  EXPECT_EQ(ReadFile(taken), "mine");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(scratch_.File("")), {}), 2);
  engine_->CloseImage(image);
}

// Refusals leave no file and never touch an existing one.
TEST_F(HostPdfTest, RefusedDocumentsLeaveNoFileAndExistingFilesUntouched) {
  const std::string taken = scratch_.File("taken.pdf");
  std::ofstream(taken, std::ios::binary) << "%PDF-1.4 not ours\r\n";
  struct Refusal {
    std::string path;
    int32_t encryption;
    std::string user;
    VexiroStatus status;
  };
  const Refusal refusals[] = {
      {taken, 0, "", vexiro::CanNotCreateFile},
      {scratch_.File("no/such/folder.pdf"), 0, "", vexiro::CanNotCreateFile},
      {"", 0, "", vexiro::CanNotCreateFile},
      {scratch_.File("enc3.pdf"), 3, "", vexiro::InvalidParameter},
      {scratch_.File("enc-1.pdf"), -1, "", vexiro::InvalidParameter},
      {scratch_.File("pw.pdf"), 1, "\xE5\xAF\x86", vexiro::InvalidParameter},  // no Windows-1252 form
  };
  for (const Refusal& r : refusals) {
    SCOPED_TRACE(r.path + " " + std::to_string(r.encryption));
    engine_->PdfSetCompressionLevel(9);  // a member that leaves the status as it is
    EXPECT_FALSE(engine_->PdfNewPdfEx(r.path, "", "", "", "", "", static_cast<vexiro::PdfEncryption>(r.encryption),
                                      vexiro::PdfRightUndefined, r.user, "owner"));
    EXPECT_EQ(engine_->GetStat(), r.status);
    EXPECT_EQ(engine_->PdfGetCurrentPage(), 0);
    EXPECT_EQ(engine_->PdfNewPage(), 0);
  }
  EXPECT_EQ(ReadFile(taken), "%PDF-1.4 not ours\r\n");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(scratch_.File("")), {}), 1);
}

// A document left open is finished, not abandoned half-written: by the next document and by the
// engine's end.
TEST_F(HostPdfTest, ADocumentLeftOpenIsFinished) {
  VX_REQUIRE_TOOL("pdftotext");
  VX_REQUIRE_TOOL("pdfinfo");
  const std::string first = scratch_.File("first.pdf"), second = scratch_.File("second.pdf");
  ASSERT_TRUE(engine_->PdfNewPdf(first));
  const int32_t font = engine_->PdfAddFont("Arial");
  ASSERT_EQ(font, 1);
  engine_->PdfDrawText(72, 700, "FirstDocument", font, 12);
  ASSERT_TRUE(engine_->PdfNewPdf(second));
  ExpectSound(first);
  EXPECT_NE(RunTool("pdftotext " + Quoted(first) + " -").text.find("FirstDocument"), std::string::npos);

  engine_->PdfAddFont("Arial");
  engine_->PdfDrawText(72, 700, "SecondDocument", 1, 12);
  engine_->PdfNewPage();
  engine_.reset();
  ExpectSound(second);
  EXPECT_NE(RunTool("pdftotext " + Quoted(second) + " -").text.find("SecondDocument"), std::string::npos);
  EXPECT_EQ(InfoLine(second, "Pages"), "2");
}

TEST_F(HostPdfTest, PagesCountAndEndPageChangesNothing) {
  VX_REQUIRE_TOOL("pdftotext");
  const std::string path = scratch_.File("pages.pdf");
  ASSERT_TRUE(engine_->PdfNewPdf(path));
  EXPECT_TRUE(engine_->PdfSetMetadata("<?xpacket begin=\"\"?><x:xmpmeta xmlns:x=\"adobe:ns:meta/\"/><?xpacket end=\"w\"?>"));
  EXPECT_EQ(engine_->PdfGetCurrentPage(), 0);
  EXPECT_EQ(engine_->PdfNewPage(), 1);
  EXPECT_FALSE(engine_->PdfSetMetadata("<late/>"));
  const int32_t font = engine_->PdfAddFont("Arial");
  engine_->PdfDrawText(72, 700, "before", font, 12);
  engine_->PdfEndPage();
  engine_->PdfDrawText(72, 650, "after", font, 12);
  EXPECT_EQ(engine_->PdfGetCurrentPage(), 1);
  EXPECT_EQ(engine_->PdfNewPage(), 2);
  EXPECT_EQ(engine_->PdfGetCurrentPage(), 2);
  Save(path);
  const std::string pageOne = RunTool("pdftotext -f 1 -l 1 " + Quoted(path) + " -").text;
  EXPECT_NE(pageOne.find("before"), std::string::npos);
  EXPECT_NE(pageOne.find("after"), std::string::npos);
  const std::string file = ReadFile(path);
  EXPECT_NE(file.find("/Metadata 5 0 R"), std::string::npos);
  EXPECT_EQ(file.find("<late/>"), std::string::npos);
}

// A document that did not reach the disk whole is not reported as saved, nor left behind; one
// that did leaves the last status as it was.
TEST_F(HostPdfTest, ASaveThatFailsToWriteIsReported) {
  const std::string path = scratch_.File("cut.pdf");
  ASSERT_TRUE(engine_->PdfNewPdf(path));
  for (int i = 0; i < 400; ++i) engine_->PdfDrawLine(i, 0, i, 800, 1, i * 97);
  {
    vx::testing_support::FileSizeLimit limit(512);
    ASSERT_TRUE(limit.Active());
    engine_->PdfSavePdf();
  }
  EXPECT_EQ(engine_->GetStat(), vexiro::Win32Error);
  EXPECT_EQ(engine_->PdfGetCurrentPage(), 0) << "the document is closed all the same";
  EXPECT_FALSE(std::filesystem::exists(path)) << "the cut file is removed, not left to pass for a PDF";

  ASSERT_TRUE(engine_->PdfNewPdf(scratch_.File("whole.pdf")));
  Save(scratch_.File("whole.pdf"));
  EXPECT_EQ(engine_->GetStat(), vexiro::Win32Error) << "a save that succeeds leaves the last status";
}

// Encrypted documents open with either password, in qpdf and in poppler, and not with a wrong one.
TEST_F(HostPdfTest, EncryptedDocumentsOpenWithEitherPassword) {
  VX_REQUIRE_TOOL("pdftotext");
  for (vexiro::PdfEncryption encryption : {vexiro::PdfEncryption40BitRC4, vexiro::PdfEncryption128BitRC4}) {
    SCOPED_TRACE(encryption);
    const std::string path = scratch_.File("enc" + std::to_string(encryption) + ".pdf");
    ASSERT_TRUE(engine_->PdfNewPdfEx(path, "Title", "Author", "", "", "", encryption,
                                     engine_->PdfCreateRights(true, false, false, false, false, false, false, false),
                                     "user", "owner"));
    const int32_t font = engine_->PdfAddFont("Arial");
    engine_->PdfDrawText(72, 700, "Confidential", font, 14);
    Save(path, "user");
    for (const char* password : {"user", "owner"}) {
      const std::string plain = scratch_.File("plain.pdf");
      const Output decrypted =
          RunTool("qpdf --password=" + std::string(password) + " --decrypt " + Quoted(path) + " " + Quoted(plain));
      EXPECT_EQ(decrypted.status, 0) << password << decrypted.text;
      ExpectSound(plain);
      std::filesystem::remove(plain);
    }
    EXPECT_NE(RunTool("qpdf --password=wrong --decrypt " + Quoted(path) + " " + Quoted(scratch_.File("x.pdf"))).status, 0);
    std::filesystem::remove(scratch_.File("x.pdf"));
    for (const char* option : {"-upw user", "-opw owner"}) {
      const std::string words = RunTool("pdftotext " + std::string(option) + " " + Quoted(path) + " -").text;
      EXPECT_NE(words.find("Confidential"), std::string::npos) << option << words;
    }
    const Output wrong = RunTool("pdftotext -upw wrong " + Quoted(path) + " -");
    EXPECT_NE(wrong.status, 0);
    EXPECT_EQ(wrong.text.find("Confidential"), std::string::npos);
  }
}

}  // namespace
}  // namespace vx::pdf::host_test
