// Saving the current image and multi-page TIFF documents as PDF and PDF/A, judged by poppler,
// qpdf, ImageMagick and PDFBox Preflight.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <functional>
#include <limits>
#include <regex>

#include "control/binding.h"
#include "engine/engine_test_support.h"
#include "engine/image_store.h"
#include "pdf/saving/page_text.h"
#include "pdf_test_support.h"
#include "support/file_size_limit.h"
#include "support/preflight.h"
#include "support/required_tool.h"

namespace vx::pdf {
namespace {

using namespace test_support;
using vexiro::cImaging;
using vexiro::VexiroStatus;

struct Size {
  double width = 0, height = 0;
};

// Each page's size in points, as pdfinfo reports it.
std::vector<Size> PageSizes(const std::string& path) {
  const Output info = RunTool("pdfinfo -f 1 -l 999 " + Quoted(path));
  std::vector<Size> sizes;
  static const std::regex line("Page +\\d+ size: +([0-9.]+) x ([0-9.]+) pts");
  for (auto it = std::sregex_iterator(info.text.begin(), info.text.end(), line); it != std::sregex_iterator(); ++it)
    sizes.push_back({std::stod((*it)[1]), std::stod((*it)[2])});
  return sizes;
}

void ExpectPageSizes(const std::string& path, const std::vector<Size>& expected) {
  const std::vector<Size> sizes = PageSizes(path);
  ASSERT_EQ(sizes.size(), expected.size()) << path;
  for (size_t i = 0; i < sizes.size(); ++i) {
    EXPECT_NEAR(sizes[i].width, expected[i].width, 0.01) << "page " << i + 1;
    EXPECT_NEAR(sizes[i].height, expected[i].height, 0.01) << "page " << i + 1;
  }
}

void ExpectQpdfAccepts(const std::string& path, const std::string& password = "") {
  const Output check = RunTool("qpdf" + (password.empty() ? "" : " --password=" + password) + " --check " + Quoted(path));
  EXPECT_EQ(check.status, 0) << check.text;
}

void ExpectPreflightAccepts(const std::string& path) {
  const Output verdict = RunTool(vxtest::PreflightCommand(Quoted(path)));
  EXPECT_EQ(verdict.status, 0) << verdict.text;
}

class SavingAsPdfTest : public vx::engine::test_support::EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    VX_REQUIRE_TOOL("pdfinfo");
    VX_REQUIRE_TOOL("qpdf");
    VX_REQUIRE_TOOL("convert");
  }
  cImaging& engine() { return *engine_; }
  // Three pages of their own sizes and resolutions: 300x200 at 100 dpi, 150x400 at 50, 720x360 at 300.
  int32_t ThreePageDocument() {
    const std::string tiff = scratch_.Draw(
        "-units PixelsPerInch \\( -size 300x200 xc:red -set density 100 \\) "
        "\\( -size 150x400 xc:green -set density 50 \\) \\( -size 720x360 xc:blue -set density 300 \\) -compress lzw",
        "pages.tif");
    EXPECT_FALSE(tiff.empty());
    const int32_t id = engine().TiffCreateMultiPageFromFile(tiff);
    EXPECT_EQ(engine().TiffGetPageCount(id), 3);
    return id;
  }
  static std::vector<Size> ThreePageSizes() { return {{216, 144}, {216, 576}, {172.8, 86.4}}; }
  Scratch scratch_;
};

// The picture a reader renders is the image, on a page of the image's physical size.
TEST_F(SavingAsPdfTest, AnImageFillsAPageOfItsPhysicalSize) {
  VX_REQUIRE_TOOL("pdftocairo");
  VX_REQUIRE_TOOL("compare");
  const std::string source = scratch_.Draw(
      "-size 1700x2200 gradient:navy-orange -fill white -draw 'circle 850,1100 850,600' -fill black "
      "-draw 'rectangle 100,100 500,300' -units PixelsPerInch -density 200 -type TrueColor",
      "page.png");
  ASSERT_FALSE(source.empty());
  ASSERT_NE(engine().CreateImageFromFile(source), 0);
  const std::string path = scratch_.File("page.pdf");
  ASSERT_TRUE(engine().SaveAsPDF(path)) << engine().GetStat();
  ExpectPageSizes(path, {{612, 792}});
  ExpectQpdfAccepts(path);

  const std::string rendered = scratch_.File("rendered");
  const Output render =
      RunTool("pdftocairo -png -singlefile -scale-to-x 1700 -scale-to-y 2200 " + Quoted(path) + " " + Quoted(rendered));
  ASSERT_EQ(render.status, 0) << render.text;
  const Output psnr = RunTool("compare -metric PSNR " + Quoted(source) + " " + Quoted(rendered + ".png") + " null:");
  EXPECT_GE(std::atof(psnr.text.c_str()), 24.0) << psnr.text;
}

// Every route to a multi-page TIFF gives one page per page image, each sized from its own
// pixels and resolution, and hands the document back on the page that was current.
TEST_F(SavingAsPdfTest, EveryPageOfATiffDocumentKeepsItsOwnSize) {
  struct Route {
    const char* name;
    bool pdfA;
    std::function<bool(cImaging&, int32_t, const std::string&)> save;
  };
  const Route routes[] = {
      {"PdfCreateFromMultipageTIFF", false,
       [](cImaging& e, int32_t id, const std::string& p) { return e.PdfCreateFromMultipageTIFF(id, p) == vexiro::OK; }},
      {"PdfACreateFromMultipageTIFF", true,
       [](cImaging& e, int32_t id, const std::string& p) { return e.PdfACreateFromMultipageTIFF(id, p) == vexiro::OK; }},
      {"SaveAsPDF", false, [](cImaging& e, int32_t, const std::string& p) { return e.SaveAsPDF(p); }},
      {"SaveAsPDFAEx", true, [](cImaging& e, int32_t, const std::string& p) { return e.SaveAsPDFAEx(p, "Pages"); }},
  };
  const bool preflight = vxtest::PreflightPresent();
  if (!preflight && vxtest::RunningUnderCi())
    ADD_FAILURE() << vxtest::MissingToolMessage("PDFBox Preflight", vxtest::kPreflightPackages);
  const int32_t document = ThreePageDocument();
  for (const Route& route : routes) {
    SCOPED_TRACE(route.name);
    ASSERT_EQ(engine().TiffSelectPage(document, 2), vexiro::OK);
    const std::string path = scratch_.File(std::string(route.name) + ".pdf");
    ASSERT_TRUE(route.save(engine(), document, path)) << engine().GetStat();
    ExpectPageSizes(path, ThreePageSizes());
    ExpectQpdfAccepts(path);
    EXPECT_EQ(engine().TiffGetCurrentPage(document), 2);
    EXPECT_EQ(engine().GetWidth(), 150) << "the current page is loaded again";
    if (route.pdfA && preflight) ExpectPreflightAccepts(path);
  }
}

TEST_F(SavingAsPdfTest, ASinglePageImageAsPdfAPassesPreflight) {
  VX_REQUIRE_PREFLIGHT();
  // A grey image with a palette and a bilevel one take other encodings than colour.
  for (const char* kind : {"-type TrueColor", "-type Grayscale", "-type Bilevel"}) {
    SCOPED_TRACE(kind);
    const std::string source = scratch_.Draw(std::string("-size 120x90 gradient:white-black -units PixelsPerInch "
                                                         "-density 150 ") + kind,
                                             "small.png");
    ASSERT_NE(engine().CreateImageFromFile(source), 0);
    const std::string path = scratch_.File("small.pdf");
    ASSERT_TRUE(engine().SaveAsPDFA(path, "Ein Titel \xC3\xA9")) << engine().GetStat();
    ExpectPageSizes(path, {{57.6, 43.2}});
    ExpectQpdfAccepts(path);
    ExpectPreflightAccepts(path);
    std::filesystem::remove(path);
    std::filesystem::remove(source);
  }
}

// Document information goes in as given, the short forms' producer never; protection turns
// PDF/A off and needs the password.
TEST_F(SavingAsPdfTest, DocumentInformationAndProtection) {
  ASSERT_NE(engine().CreateImageFromFile(scratch_.Draw("-size 40x30 xc:teal", "teal.png")), 0);
  const std::string plain = scratch_.File("plain.pdf");
  ASSERT_TRUE(engine().SaveAsPDF(plain, "The title", "The creator", "The author", "Not the producer"));
  const Output info = RunTool("pdfinfo " + Quoted(plain));
  EXPECT_NE(info.text.find("The title"), std::string::npos) << info.text;
  EXPECT_NE(info.text.find("The creator"), std::string::npos);
  EXPECT_NE(info.text.find("The author"), std::string::npos);
  EXPECT_EQ(ReadFile(plain).find("Not the producer"), std::string::npos);

  const std::string locked = scratch_.File("locked.pdf");
  ASSERT_TRUE(engine().SaveAsPDFEx(locked, "Locked", "", "", "", "", vexiro::PdfEncryption128BitRC4,
                                   vexiro::PdfRightCanPrint, "user", "owner"));
  const std::string file = ReadFile(locked);
  EXPECT_EQ(file.substr(0, 8), "%PDF-1.4");
  EXPECT_EQ(file.find("/Metadata"), std::string::npos);
  ExpectQpdfAccepts(locked, "user");
  EXPECT_NE(RunTool("qpdf --password=wrong --check " + Quoted(locked)).status, 0);
}

// What a call must refuse, the status it leaves, and that no file stays or changes.
TEST_F(SavingAsPdfTest, BadInputLeavesNoFileAndExistingFilesAlone) {
  const std::string existing = scratch_.File("existing.pdf");
  { std::ofstream(existing) << "not to be touched"; }
  const std::string fresh = scratch_.File("fresh.pdf");
  const std::string unreachable = scratch_.File("no/such/folder.pdf");

  struct Case {
    const char* name;
    std::function<int32_t(cImaging&, int32_t plain, int32_t document)> call;  // the member's result
    int32_t result;
    VexiroStatus status;
    const std::string* target;
  };
  const Case cases[] = {
      {"identifier 0", [&](cImaging& e, int32_t, int32_t) { return e.PdfCreateFromMultipageTIFF(0, fresh); }, 2,
       vexiro::InvalidParameter, &fresh},
      {"not a document", [&](cImaging& e, int32_t plain, int32_t) { return e.PdfACreateFromMultipageTIFF(plain, fresh); },
       22, vexiro::UnsupportedImageFormat, &fresh},
      {"existing, image", [&](cImaging& e, int32_t, int32_t) { return int32_t{e.SaveAsPDF(existing)}; }, 0,
       vexiro::CanNotCreateFile, &existing},
      {"existing, PDF/A", [&](cImaging& e, int32_t, int32_t) { return int32_t{e.SaveAsPDFAEx(existing)}; }, 0,
       vexiro::CanNotCreateFile, &existing},
      {"existing, document",
       [&](cImaging& e, int32_t, int32_t document) { return e.PdfCreateFromMultipageTIFF(document, existing); }, 41,
       vexiro::CanNotCreateFile, &existing},
      {"folder missing", [&](cImaging& e, int32_t, int32_t) { return int32_t{e.SaveAsPDF(unreachable)}; }, 0,
       vexiro::CanNotCreateFile, &unreachable},
      {"encryption 3",
       [&](cImaging& e, int32_t, int32_t) {
         return int32_t{e.SaveAsPDFEx(fresh, "", "", "", "", "", static_cast<vexiro::PdfEncryption>(3))};
       },
       0, vexiro::InvalidParameter, &fresh},
      {"password outside Windows-1252",
       [&](cImaging& e, int32_t, int32_t document) {
         return e.PdfCreateFromMultipageTIFFEx(document, fresh, "", "", "", "", "", vexiro::PdfEncryption40BitRC4,
                                               vexiro::PdfRightUndefined, "\xE4\xB8\xAD");
       },
       2, vexiro::InvalidParameter, &fresh},
  };
  const int32_t document = ThreePageDocument();
  const int32_t plain = engine().CreateImageFromFile(scratch_.Draw("-size 40x30 xc:teal", "teal.png"));
  ASSERT_NE(plain, 0);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.call(engine(), plain, document), c.result);
    EXPECT_EQ(engine().GetStat(), c.status);
    if (c.target == &existing)
      EXPECT_EQ(ReadFile(existing), "not to be touched");
    else
      EXPECT_FALSE(FilePresent(*c.target));
  }
}

TEST_F(SavingAsPdfTest, WithoutACurrentImageNothingHappens) {
  const std::string path = scratch_.File("none.pdf");
  ASSERT_EQ(engine().PdfCreateFromMultipageTIFF(0, path), vexiro::InvalidParameter);
  for (bool pdfA : {false, true}) {
    EXPECT_FALSE(pdfA ? engine().SaveAsPDFA(path) : engine().SaveAsPDFEx(path));
    EXPECT_EQ(engine().GetStat(), vexiro::InvalidParameter) << "the last status stays";
    EXPECT_FALSE(FilePresent(path));
  }
}

// A page that cannot be read back, or a write that fails, leaves no partial file behind.
TEST_F(SavingAsPdfTest, AFailedSaveRemovesTheFileItMade) {
  const int32_t document = ThreePageDocument();
  vx::engine::ImageRecord* record = vx::engine::FindImageRecord(document);
  ASSERT_NE(record, nullptr);
  ASSERT_EQ(record->PageFiles.size(), 3u);
  std::filesystem::remove(record->PageFiles[2]);
  const std::string path = scratch_.File("broken.pdf");
  EXPECT_EQ(engine().PdfCreateFromMultipageTIFF(document, path), vexiro::PdfErrorAddingImage);
  EXPECT_EQ(engine().GetStat(), vexiro::PdfErrorAddingImage);
  EXPECT_FALSE(FilePresent(path));
  EXPECT_EQ(engine().TiffGetCurrentPage(document), 1);

  ASSERT_NE(engine().CreateImageFromFile(scratch_.Draw("-size 300x300 plasma: -type TrueColor", "noise.png")), 0);
  const std::string cut = scratch_.File("cut.pdf");
  {
    vx::testing_support::FileSizeLimit limit(3000);
    ASSERT_TRUE(limit.Active());
    EXPECT_FALSE(engine().SaveAsPDF(cut));
  }
  EXPECT_EQ(engine().GetStat(), vexiro::CanNotCreateFile);
  EXPECT_FALSE(FilePresent(cut));
}

// A resolution a page size cannot be computed from counts as 72 dpi, on both paths: the image's
// own resolution and the whole number the writer keeps (0.4 dpi rounds to 0 there), which
// the multi-page and scan routes size their pages from.
TEST_F(SavingAsPdfTest, AResolutionNotAboveZeroCountsAs72Dpi) {
  struct Case {
    double dpi;
    float points;
  };
  for (const Case& c : {Case{0, 144}, Case{-3, 144}, Case{std::numeric_limits<double>::quiet_NaN(), 144},
                        Case{std::numeric_limits<double>::infinity(), 144}, Case{144, 72}, Case{96, 108}})
    EXPECT_FLOAT_EQ(PixelsToPoints(144, c.dpi), c.points) << c.dpi;

  // The scan document sizes its pages from the writer's whole numbers.
  const int32_t id = engine().CreateNewImage(144, 72, 24);
  ASSERT_NE(id, 0);
  ASSERT_EQ(engine().SetHorizontalResolution(0.4f), vexiro::OK);
  ASSERT_EQ(engine().SetVerticalResolution(0.4f), vexiro::OK);
  const std::string path = scratch_.File("tiny.pdf");
  ASSERT_EQ(engine().TwainPdfStart(path), vexiro::OK);
  ASSERT_EQ(engine().TwainAddVexiroImageToPdf(id), vexiro::OK);
  ASSERT_EQ(engine().TwainPdfStop(), vexiro::OK);
  ExpectPageSizes(path, {{144, 72}});
  ExpectQpdfAccepts(path);
}

// The text layer is drawn invisibly over the image, on the image's own page.
TEST_F(SavingAsPdfTest, APageWithATextLayerDrawsTheImageUnderInvisibleText) {
  const int32_t id = engine().CreateImageFromFile(scratch_.Draw("-size 200x100 xc:white -units PixelsPerInch -density 100", "w.png"));
  ASSERT_NE(id, 0);
  for (bool withText : {false, true}) {
    SCOPED_TRACE(withText);
    auto writer = FixedWriter();
    const std::string path = scratch_.File("layer.pdf");
    ASSERT_TRUE(writer->NewPdf(path, "", "", "", "", ""));
    ASSERT_EQ(writer->LoadFont("Courier New", false, false), 1);
    ASSERT_EQ(writer->PdfAddImage(id, 2), 1);
    const PageCharacters characters{{'H', 1, 10, 30, 20, 60, 0, 1}};
    const TextLayerPainter painter = [](const PageCharacters& chars, vexiro::cPDF& pdf, int32_t image) {
      pdf.DrawText(static_cast<float>(chars[0].Left), 50, "Hi", 1, 12);
      return "Hi on " + std::to_string(image);
    };
    const std::string text = WritePdfImagePage(*writer, 1, WriterImagePageSize(*writer, 1),
                                               withText ? &characters : nullptr, withText ? &painter : nullptr);
    EXPECT_EQ(text, withText ? "Hi on 1" : "");
    ASSERT_TRUE(writer->ClosePdfFile());
    ExpectPageSizes(path, {{144, 72}});
    const Output qdf = RunTool("qpdf --qdf --object-streams=disable " + Quoted(path) + " -");
    const size_t mode = qdf.text.find("3 Tr");
    const size_t image = qdf.text.find("/Img1 Do");
    const size_t shown = qdf.text.find("(Hi) Tj");
    ASSERT_NE(image, std::string::npos) << qdf.text;
    if (withText) {
      EXPECT_LT(mode, image);
      EXPECT_NE(shown, std::string::npos);
      EXPECT_LT(image, shown);
    } else {
      EXPECT_EQ(mode, std::string::npos);
    }
    std::filesystem::remove(path);
  }
}

}  // namespace
}  // namespace vx::pdf

namespace vx::pdf {
namespace {

// Scripts reach every member of these routes by name.
TEST(SavingAsPdfBindings, EveryMemberIsBound) {
  for (const char* member : {"SaveAsPDF", "SaveAsPDFEx", "SaveAsPDFA", "SaveAsPDFAEx", "PdfCreateFromMultipageTIFF",
                             "PdfCreateFromMultipageTIFFEx", "PdfACreateFromMultipageTIFF",
                             "PdfACreateFromMultipageTIFFEx", "TwainPdfStart", "TwainPdfStartEx",
                             "TwainAddVexiroImageToPdf", "TwainPdfStop"}) {
    const vx::control::MemberDesc* m = vx::control::MemberTable::Instance().Find(member);
    ASSERT_NE(m, nullptr) << member;
    EXPECT_NE(vx::control::BindingRegistry::Instance().Find(typeid(vexiro::cImaging), m->index), nullptr) << member;
  }
}

}  // namespace
}  // namespace vx::pdf
