// The searchable scanned document against the scripted plug-in: each image recognised whole as
// it is added, each page carrying its own characters placed by its own resolutions, and the
// documents that must not stay behind (stopped empty, restarted, refused, left at engine end).

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "fake_ocr_support.h"
#include "support/font_cache_release.h"

namespace {

using namespace vxtest::recognition;
namespace gp = vx::gdiplus;

struct DrawnWord {
  double size, x, y;
  std::string text;
};

struct PdfPage {
  double width = 0, height = 0;
  std::vector<DrawnWord> words;
};

// A record with its box's left, right and bottom.
OcrCharInfo Char(int32_t code, int16_t spaces, int16_t left, int16_t right, int16_t bottom) {
  return OcrChar(code, 1, spaces, 0, left, right, 0, bottom);
}

// The pages of a file as qpdf lays them out uncompressed: each page's box and the invisible
// words its content draws.
std::vector<PdfPage> ReadPages(const std::string& pdf, const std::string& expanded) {
  bool ok = false;
  RunTool("qpdf --qdf --object-streams=disable " + Quote(pdf) + " " + Quote(expanded), &ok);
  EXPECT_TRUE(ok) << pdf;
  std::ifstream in(expanded, std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  std::filesystem::remove(expanded);
  const std::string file = bytes.str();
  // qpdf marks each page's object and each page's content with a comment of its own.
  const auto section = [&file](const std::string& mark) {
    const size_t at = file.find(mark);
    if (at == std::string::npos) return std::string();
    return file.substr(at, file.find("\n%% ", at + mark.size()) - at);
  };
  static const std::regex box("/MediaBox \\[\\s*0\\s+0\\s+([0-9.]+)\\s+([0-9.]+)\\s*\\]");
  static const std::regex word("BT\\s+/Font1 ([0-9.]+) Tf\\s+([-0-9.]+) ([-0-9.]+) Td\\s+\\((.*?)\\) Tj\\s+ET");
  std::vector<PdfPage> pages;
  for (int n = 1;; ++n) {
    const std::string object = section("%% Page " + std::to_string(n) + "\n");
    if (object.empty()) break;
    PdfPage page;
    std::smatch m;
    if (std::regex_search(object, m, box)) page = {std::stod(m[1]), std::stod(m[2]), {}};
    const std::string content = section("%% Contents for page " + std::to_string(n) + "\n");
    for (auto it = std::sregex_iterator(content.begin(), content.end(), word); it != std::sregex_iterator(); ++it)
      page.words.push_back({std::stod((*it)[1]), std::stod((*it)[2]), std::stod((*it)[3]), (*it)[4]});
    pages.push_back(page);
  }
  return pages;
}

class ScanPdfOcrTest : public FakeOcrTest {
 protected:
  void SetUp() override {
    VX_REQUIRE_TOOL("qpdf");
    FakeOcrTest::SetUp();
  }
  int32_t Image(int32_t width, int32_t height, float dpiX, float dpiY) {
    const int32_t id = MakeImage(width, height, gp::PixelFormat24bppRGB);
    vx::engine::SetImageResolution(id, dpiX, dpiY);
    return id;
  }
  std::string Add(vexiro::cImaging& engine, int32_t id) {
    return engine.TwainAddVexiroImageToPdfOCR(id, vexiro::TesseractDictionaryEnglish, Folder());
  }
  std::string Add(int32_t id) { return Add(*engine_, id); }
  std::vector<PdfPage> Pages(const std::string& pdf) { return ReadPages(pdf, scratch_ / "expanded.pdf"); }
  static bool Exists(const std::string& path) { return std::filesystem::exists(path); }
};

TEST_F(ScanPdfOcrTest, EachPageCarriesItsOwnCharactersOverItsOwnPixels) {
  struct Scan {
    const char* name;
    int32_t width, height;
    float dpiX, dpiY;
    std::vector<OcrCharInfo> records;
    int32_t pluginResult;
    std::string text;
    vexiro::VexiroStatus status;
    double pageWidth, pageHeight;
    std::vector<DrawnWord> words;  // sizes are not compared
  };
  const Scan scans[] = {
      {"two words at 200 x 100 dpi",
       600, 300, 200, 100,
       {Char('a', 0, 20, 40, 100), Char('b', 0, 42, 60, 102), Char('c', 1, 100, 120, 110)}, 0,
       "ab c", vexiro::OK, 216, 216,
       {{0, 20.0 / 200 * 72, 216 - 101.0 / 100 * 72, "ab"}, {0, 100.0 / 200 * 72, 216 - 110.0 / 100 * 72, "c"}}},
      {"failed recognition keeps the picture only", 400, 200, 300, 300, Spell("zz", 0), 500, "",
       vexiro::OCRDictionaryNotFound, 96, 48, {}},
      {"a resolution that rounds to 0 counts as 72 dpi", 144, 72, 0.4f, 0.4f, {Char('x', 0, 10, 30, 50)}, 0, "x",
       vexiro::OK, 144, 72, {{0, 10, 72 - 50, "x"}}},
      {"a lone ~ is nothing read", 100, 100, 300, 300, {OcrChar(126)}, 0, "", vexiro::OK, 24, 24, {}},
  };
  const std::string pdf = scratch_ / "batch.pdf";
  ASSERT_EQ(engine_->TwainPdfOCRStart(pdf, "Batch"), vexiro::OK);
  for (const Scan& s : scans) {
    const int32_t id = Image(s.width, s.height, s.dpiX, s.dpiY);
    fake_.Answer(s.records, s.pluginResult);
    EXPECT_EQ(Add(id), s.text) << s.name;
    EXPECT_EQ(engine_->GetStat(), s.status) << s.name;
    EXPECT_EQ(LastCall().width, s.width) << s.name << ": the whole image is read";
    EXPECT_EQ(LastCall().height, s.height) << s.name;
  }
  EXPECT_EQ(engine_->TwainPdfOCRStop(), vexiro::OK) << "the last add's status";

  const std::vector<PdfPage> pages = Pages(pdf);
  ASSERT_EQ(pages.size(), std::size(scans));
  for (size_t i = 0; i < pages.size(); ++i) {
    const Scan& s = scans[i];
    EXPECT_NEAR(pages[i].width, s.pageWidth, 0.001) << s.name;
    EXPECT_NEAR(pages[i].height, s.pageHeight, 0.001) << s.name;
    ASSERT_EQ(pages[i].words.size(), s.words.size()) << s.name;
    for (size_t w = 0; w < s.words.size(); ++w) {
      EXPECT_EQ(pages[i].words[w].text, s.words[w].text) << s.name;
      EXPECT_NEAR(pages[i].words[w].x, s.words[w].x, 0.001) << s.name << " " << s.words[w].text;
      EXPECT_NEAR(pages[i].words[w].y, s.words[w].y, 0.001) << s.name << " " << s.words[w].text;
      EXPECT_GT(pages[i].words[w].size, 0) << s.name;
    }
  }
}

TEST_F(ScanPdfOcrTest, DocumentsThatMustNotStayAndCallsOutOfOrder) {
  const int32_t id = Image(64, 32, 300, 300);
  const std::string empty = scratch_ / "empty.pdf";
  const std::string restarted = scratch_ / "restarted.pdf";
  const std::string second = scratch_ / "second.pdf";
  const std::string existing = scratch_ / "existing.pdf";
  const std::string abandoned = scratch_ / "abandoned.pdf";
  std::ofstream(existing) << "kept";

  // Nothing open: nothing is recognised.
  EXPECT_EQ(Add(id), "");
  EXPECT_EQ(engine_->GetStat(), vexiro::TwainPdfMustBeCreatedFirst);
  EXPECT_EQ(engine_->TwainPdfOCRStop(), vexiro::TwainPdfMustBeCreatedFirst);
  EXPECT_EQ(fake_.CallCount(), 0);

  // Stopped without a page: the file goes and the last status stays.
  ASSERT_EQ(engine_->TwainPdfOCRStart(empty), vexiro::OK);
  EXPECT_TRUE(Exists(empty));
  EXPECT_EQ(Add(0), "");
  EXPECT_EQ(engine_->GetStat(), vexiro::InvalidParameter);
  EXPECT_EQ(engine_->TwainPdfOCRStop(), vexiro::InvalidParameter);
  EXPECT_FALSE(Exists(empty));

  // Restarted: the first document goes, and its page's text does not pass to the new one.
  ASSERT_EQ(engine_->TwainPdfOCRStart(restarted), vexiro::OK);
  fake_.Answer({Char('o', 0, 1, 9, 20)});
  EXPECT_EQ(Add(id), "o");
  ASSERT_EQ(engine_->TwainPdfOCRStart(second), vexiro::OK);
  EXPECT_FALSE(Exists(restarted));
  fake_.Answer(Spell("zz", 0), 7);
  EXPECT_EQ(Add(id), "");
  EXPECT_EQ(engine_->TwainPdfOCRStop(), vexiro::GenericError);
  const std::vector<PdfPage> pages = Pages(second);
  ASSERT_EQ(pages.size(), 1u);
  EXPECT_TRUE(pages[0].words.empty());

  // The plain document is another one: stopping it leaves the searchable one open.
  ASSERT_EQ(engine_->TwainPdfOCRStart(empty), vexiro::OK);
  EXPECT_EQ(engine_->TwainPdfStop(), vexiro::TwainPdfMustBeCreatedFirst);
  EXPECT_EQ(Add(id), "");
  EXPECT_EQ(engine_->GetStat(), vexiro::OK);
  EXPECT_EQ(engine_->TwainPdfOCRStop(), vexiro::OK);
  EXPECT_EQ(Pages(empty).size(), 1u);

  // A refused start leaves the file alone, and there is no document to add to.
  EXPECT_EQ(engine_->TwainPdfOCRStartEx(existing), vexiro::CanNotCreateFile);
  EXPECT_EQ(engine_->GetStat(), vexiro::CanNotCreateFile);
  const int32_t calls = fake_.CallCount();
  EXPECT_EQ(Add(id), "");
  EXPECT_EQ(engine_->GetStat(), vexiro::TwainPdfMustBeCreatedFirst);
  EXPECT_EQ(fake_.CallCount(), calls);
  std::ifstream kept(existing);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), "kept");

  // An engine that ends with the document open takes it with it.
  {
    vexiro::cImaging other;
    ASSERT_EQ(other.TwainPdfOCRStart(abandoned), vexiro::OK);
    fake_.Answer({Char('q', 0, 1, 9, 20)});
    EXPECT_EQ(Add(other, id), "q");
  }
  EXPECT_FALSE(Exists(abandoned));
}

}  // namespace
