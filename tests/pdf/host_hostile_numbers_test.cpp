// Absurd numbers from the host: whatever a drawing or page member is given, the finished file is
// one that readers take (qpdf checks it), every number of its page content lies within the ±32767
// of PDF 1.3/1.4 reals, and a number that stands for nothing (NaN, infinity) is refused with
// InvalidParameter instead of being written as something else.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <functional>
#include <limits>
#include <regex>

#include "host_pdf_support.h"
#include "support/file_size_limit.h"

namespace vx::pdf::host_test {
namespace {

constexpr float kHuge = 1e38f;
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

// Every number of every content line, as a reader would parse it.
std::vector<double> ContentNumbers(const std::vector<std::string>& lines) {
  static const std::regex number("(^|[\\s\\[])(-?[0-9]*\\.?[0-9]+)(?=[\\s\\]]|$)");
  std::vector<double> numbers;
  for (const std::string& line : lines)
    for (auto it = std::sregex_iterator(line.begin(), line.end(), number); it != std::sregex_iterator(); ++it)
      numbers.push_back(std::strtod((*it)[2].str().c_str(), nullptr));
  return numbers;
}

using Drawing = std::function<void(vexiro::cImaging&)>;

struct HugeCase {
  const char* name;
  Drawing draw;
};

TEST_F(HostPdfTest, HugeFiniteNumbersAreClampedToWhatReadersTake) {
  const HugeCase cases[] = {
      {"line", [](vexiro::cImaging& e) { e.PdfDrawLine(0, 0, 1e19f, 100, 1); }},
      {"line in inches", [](vexiro::cImaging& e) { e.PdfSetMeasurementUnits(3); e.PdfDrawLine(0, 0, kHuge, -kHuge, 1); }},
      {"spacing", [](vexiro::cImaging& e) { e.PdfSetCharSpacing(kHuge); e.PdfSetWordSpacing(-kHuge); }},
      {"scaling", [](vexiro::cImaging& e) { e.PdfSetTextHorizontalScaling(kHuge); }},
      {"rounded rectangle", [](vexiro::cImaging& e) { e.PdfDrawRectangle(10, 10, kHuge, kHuge, kHuge, 0, kHuge); }},
      {"circle", [](vexiro::cImaging& e) { e.PdfDrawFillCircle(-kHuge, kHuge, kHuge, 1, 255); }},
      {"arc", [](vexiro::cImaging& e) { e.PdfDrawArc(100, 100, kHuge, 1, 0, 90, kHuge); }},
      {"curve", [](vexiro::cImaging& e) { e.PdfDrawCurve(kHuge, 0, 0, kHuge, -kHuge, 0, 1); }},
      {"dash", [](vexiro::cImaging& e) { e.PdfSetLineDash(kHuge, kHuge); }},
  };
  for (const HugeCase& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = scratch_.File(std::string(c.name) + ".pdf");
    ASSERT_TRUE(engine_->PdfNewPdf(path));
    c.draw(*engine_);
    EXPECT_EQ(engine_->GetStat(), vexiro::OK);
    Save(path);
    const std::vector<double> numbers = ContentNumbers(ContentLines(path));
    EXPECT_FALSE(numbers.empty());
    for (double n : numbers) EXPECT_LE(std::fabs(n), 32767) << n;
    engine_ = std::make_unique<vexiro::cImaging>();
  }
}

TEST_F(HostPdfTest, NumbersThatStandForNothingAreRefusedAndNotWritten) {
  const HugeCase cases[] = {
      {"line", [](vexiro::cImaging& e) { e.PdfDrawLine(0, kNaN, 10, 10, 1); }},
      {"width", [](vexiro::cImaging& e) { e.PdfDrawLine(0, 0, 10, 10, kInf); }},
      {"spacing", [](vexiro::cImaging& e) { e.PdfSetCharSpacing(-kInf); }},
      {"word spacing", [](vexiro::cImaging& e) { e.PdfSetWordSpacing(kNaN); }},
      {"scaling", [](vexiro::cImaging& e) { e.PdfSetTextHorizontalScaling(kNaN); }},
      {"rectangle", [](vexiro::cImaging& e) { e.PdfDrawFillRectangle(0, 0, 10, 10, 1, 0, kNaN); }},
      {"circle", [](vexiro::cImaging& e) { e.PdfDrawCircle(kInf, 0, 5, 1); }},
      {"arc ratio", [](vexiro::cImaging& e) { e.PdfDrawArc(0, 0, 5, 1, 0, 90, kNaN); }},
      {"curve", [](vexiro::cImaging& e) { e.PdfDrawCurve(0, 0, 0, 0, kNaN, 0, 1); }},
      {"dash", [](vexiro::cImaging& e) { e.PdfSetLineDash(kNaN, 1); }},
  };
  for (const HugeCase& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = scratch_.File(std::string(c.name) + "-nan.pdf");
    ASSERT_TRUE(engine_->PdfNewPdf(path));
    engine_->PdfNewPage();
    c.draw(*engine_);
    EXPECT_EQ(engine_->GetStat(), vexiro::InvalidParameter);
    Save(path);
    EXPECT_TRUE(ContentLines(path).empty()) << "nothing of the refused call reaches the page";
    engine_ = std::make_unique<vexiro::cImaging>();  // a fresh last status for the next case
  }
}

// The boxes of the page: a size of nothing is refused, one beyond PDF's largest page is cut to it,
// and a margin over half the page leaves a crop box inside the media box all the same.
TEST_F(HostPdfTest, PageBoxesStayWithinPdfsPageLimits) {
  VX_REQUIRE_TOOL("pdfinfo");
  struct Case {
    float width, height, margin;
    vexiro::VexiroStatus status;
    const char* mediaBox;
    const char* cropBox;
  };
  const Case cases[] = {
      {1e19f, 842, 0, vexiro::OK, "0.00 0.00 14400.00 842.00", "0.00 0.00 14400.00 842.00"},
      {0, 842, 0, vexiro::InvalidParameter, "0.00 0.00 595.20 842.00", "0.00 0.00 595.20 842.00"},
      {-10, -20, 0, vexiro::InvalidParameter, "0.00 0.00 595.20 842.00", "0.00 0.00 595.20 842.00"},
      {kNaN, 842, 0, vexiro::InvalidParameter, "0.00 0.00 595.20 842.00", "0.00 0.00 595.20 842.00"},
      {1, 1, 0, vexiro::OK, "0.00 0.00 3.00 3.00", "0.00 0.00 3.00 3.00"},
      {200, 100, 80, vexiro::OK, "0.00 0.00 200.00 100.00", "49.50 49.50 150.50 50.50"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height) + ", " + std::to_string(c.margin));
    const std::string path = scratch_.File("box.pdf");
    ASSERT_TRUE(engine_->PdfNewPdf(path));
    engine_->PdfSetPageDimensions(c.width, c.height);
    EXPECT_EQ(engine_->GetStat(), c.status);
    engine_->PdfSetPageMargin(c.margin);
    engine_->PdfNewPage();
    Save(path);
    EXPECT_EQ(InfoLine(path, "MediaBox"), c.mediaBox);
    EXPECT_EQ(InfoLine(path, "CropBox"), c.cropBox);
    engine_ = std::make_unique<vexiro::cImaging>();  // a fresh last status for the next case
    std::filesystem::remove(path);
  }
  ASSERT_TRUE(engine_->PdfNewPdf(scratch_.File("margin.pdf")));
  engine_->PdfSetPageMargin(-5);
  EXPECT_EQ(engine_->GetStat(), vexiro::InvalidParameter);
  EXPECT_FLOAT_EQ(engine_->PdfGetPageMargin(), 0) << "the refused margin is not kept";
  Save(scratch_.File("margin.pdf"));
}

// A rectangle given from its far corner is the same rectangle: its radius is cut to half of its
// real sides, and its corners curve inward.
TEST_F(HostPdfTest, ARoundedRectangleOfNegativeSidesIsTheSameRectangle) {
  const std::string forward = scratch_.File("forward.pdf"), backward = scratch_.File("backward.pdf");
  ASSERT_TRUE(engine_->PdfNewPdf(forward));
  engine_->PdfDrawRectangle(10, 20, 100, 40, 1, 0, 30);
  Save(forward);
  ASSERT_TRUE(engine_->PdfNewPdf(backward));
  engine_->PdfDrawRectangle(110, 60, -100, -40, 1, 0, 30);
  Save(backward);
  const std::vector<std::string> lines = ContentLines(backward);
  EXPECT_EQ(lines, ContentLines(forward));
  ASSERT_GE(lines.size(), 4u);
  EXPECT_NE(std::find(lines.begin(), lines.end(), "30 20 m"), lines.end()) << "radius cut to 20";
}

// A document that does not reach the disk whole leaves no file: not when the save fails, not when
// nothing could be written at all, and an image whose bytes did not reach the file is no image.
TEST_F(HostPdfTest, ADocumentThatCannotBeWrittenLeavesNoFile) {
  VX_REQUIRE_TOOL("convert");
  const std::string picture = scratch_.File("noise.png");
  ASSERT_EQ(RunTool("convert -size 200x200 plasma: -type TrueColor " + Quoted(picture)).status, 0);

  const std::string empty = scratch_.File("empty.pdf");
  ASSERT_TRUE(engine_->PdfNewPdf(empty));
  {
    testing_support::FileSizeLimit limit(0);
    ASSERT_TRUE(limit.Active());
    engine_->PdfSavePdf();
  }
  EXPECT_EQ(engine_->GetStat(), vexiro::Win32Error);
  EXPECT_FALSE(std::filesystem::exists(empty)) << "no 0-byte file stays behind";

  engine_ = std::make_unique<vexiro::cImaging>();
  const std::string withImage = scratch_.File("image.pdf");
  const int32_t image = engine_->CreateImageFromFile(picture);
  ASSERT_NE(image, 0);
  ASSERT_TRUE(engine_->PdfNewPdf(withImage));
  {
    testing_support::FileSizeLimit limit(4096);
    ASSERT_TRUE(limit.Active());
    EXPECT_EQ(engine_->PdfAddImageFromVexiroImage(image), 0) << "its bytes never reached the file";
    engine_->PdfSavePdf();
  }
  EXPECT_EQ(engine_->GetStat(), vexiro::Win32Error);
  EXPECT_FALSE(std::filesystem::exists(withImage)) << "no truncated file stays behind";

  ASSERT_TRUE(engine_->PdfNewPdf(withImage)) << "the name is free again";
  EXPECT_EQ(engine_->PdfAddImageFromFile(picture), 1);
  Save(withImage);
}

}  // namespace
}  // namespace vx::pdf::host_test
