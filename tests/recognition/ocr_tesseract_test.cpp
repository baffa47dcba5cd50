// The OCR members over the real plug-in, on text ImageMagick draws in DejaVu Sans at 300 dpi,
// against the tesseract tool on the same pixels: the lines of its text, the boxes and
// confidences of its hOCR characters, crops, bilevel pages, accents, and the page orientation.

#include <ostream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "recognition_test_support.h"
#include "support/font_cache_release.h"

namespace {

using namespace vxtest::recognition;
using vexiro::ImagingTestAccess;

constexpr const char* kFont = "DejaVu-Sans";

struct HocrChar {
  int32_t left, top, right, bottom;
  double confidence;
};

// Draws lines of text black on white, `points` high at 300 dpi, as a 24-bit PNG.
bool DrawText(const std::string& path, int32_t width, int32_t height, const std::vector<std::string>& lines,
              int32_t points = 11) {
  std::string command = "convert -size " + std::to_string(width) + "x" + std::to_string(height) +
                        " xc:white -font " + kFont + " -density 300 -pointsize " + std::to_string(points) +
                        " -fill black";
  int32_t y = 90;
  for (const std::string& line : lines) {
    command += " -annotate +60+" + std::to_string(y) + " " + Quote(line);
    y += points * 300 / 72 * 3 / 2;
  }
  bool ok = false;
  RunTool(command + " -units PixelsPerInch -density 300 -type TrueColor PNG24:" + Quote(path), &ok);
  return ok;
}

std::vector<std::string> NonEmptyLines(const std::string& text, const std::string& separator) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find(separator, start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.find_first_not_of(" \f") != std::string::npos) lines.push_back(line);
    start = end + separator.size();
  }
  return lines;
}

std::vector<std::string> ToolLines(const std::string& image, const std::string& language = "eng") {
  return NonEmptyLines(RunTool("OMP_THREAD_LIMIT=1 tesseract " + Quote(image) + " - --psm 3 -l " + language), "\n");
}

std::vector<HocrChar> ToolCharacters(const std::string& image) {
  const std::string hocr =
      RunTool("OMP_THREAD_LIMIT=1 tesseract " + Quote(image) + " - --psm 3 -l eng -c hocr_char_boxes=1 hocr");
  std::vector<HocrChar> chars;
  const std::regex box("x_bboxes (-?\\d+) (-?\\d+) (-?\\d+) (-?\\d+); x_conf ([0-9.]+)");
  for (auto it = std::sregex_iterator(hocr.begin(), hocr.end(), box); it != std::sregex_iterator(); ++it) {
    const std::smatch& m = *it;
    chars.push_back({std::stoi(m[1]), std::stoi(m[2]), std::stoi(m[3]), std::stoi(m[4]), std::stod(m[5])});
  }
  return chars;
}

class TesseractOcrTest : public EngineTest {
 protected:
  void SetUp() override {
    VX_REQUIRE_TOOL("convert");
    VX_REQUIRE_TOOL("tesseract");
    EngineTest::SetUp();
  }
  int32_t Load(const std::string& path) {
    const int32_t id = engine_->CreateImageFromFile(path);
    EXPECT_NE(id, 0) << path;
    return id;
  }
  std::string Read(vexiro::TesseractDictionary dictionary = vexiro::TesseractDictionaryEnglish) {
    return engine_->OCRTesseractDoOCR(dictionary, "");
  }
  // The records of the last recognition as the tool's hOCR characters would show them.
  std::vector<HocrChar> Records() {
    std::vector<HocrChar> records;
    for (int32_t i = 1; i <= engine_->OCRTesseractGetCharCount(); ++i)
      records.push_back({engine_->OCRTesseractGetCharLeft(i), engine_->OCRTesseractGetCharTop(i),
                         engine_->OCRTesseractGetCharRight(i), engine_->OCRTesseractGetCharBottom(i),
                         100.0 - engine_->OCRTesseractGetCharConfidence(i)});
    return records;
  }
  void ExpectSameCharacters(const std::vector<HocrChar>& tool, const std::string& what) {
    const std::vector<HocrChar> ours = Records();
    ASSERT_EQ(ours.size(), tool.size()) << what;
    for (size_t i = 0; i < ours.size(); ++i) {
      EXPECT_EQ(ours[i].left, tool[i].left) << what << " character " << i;
      EXPECT_EQ(ours[i].top, tool[i].top) << what << " character " << i;
      EXPECT_EQ(ours[i].right, tool[i].right) << what << " character " << i;
      EXPECT_EQ(ours[i].bottom, tool[i].bottom) << what << " character " << i;
      EXPECT_NEAR(ours[i].confidence, tool[i].confidence, 0.5) << what << " character " << i;
    }
  }
  ScratchFolder scratch_;
};

TEST_F(TesseractOcrTest, TextAndBoxesAsTheToolReadsThem) {
  const std::string page = scratch_ / "page.png";
  ASSERT_TRUE(DrawText(page, 1100, 420, {"Quick brown foxes jump", "over 12 lazy dogs today.", "Invoice 4711 paid"}));
  Load(page);
  const std::string text = Read();
  EXPECT_EQ(engine_->GetStat(), vexiro::OK);
  EXPECT_EQ(NonEmptyLines(text, "\r\n"), ToolLines(page));
  EXPECT_EQ(NonEmptyLines(text, "\r\n").size(), 3u);
  ExpectSameCharacters(ToolCharacters(page), "page");
  // Words: blanks only inside a line, lines counted from 1.
  EXPECT_EQ(engine_->OCRTesseractGetCharLine(1), 1);
  EXPECT_EQ(engine_->OCRTesseractGetCharSpaces(1), 0);
  EXPECT_EQ(engine_->OCRTesseractGetCharLine(engine_->OCRTesseractGetCharCount()), 3);

  // A region gives the records of the same crop, counted from the crop's corner.
  const std::string crop = scratch_ / "crop.png";
  RunTool("convert " + Quote(page) + " -crop 700x140+40+160 +repage " + Quote(crop));
  ImagingTestAccess::SetRegion(*engine_, 40, 160, 700, 140);
  const std::string cropped = Read();
  EXPECT_EQ(NonEmptyLines(cropped, "\r\n"), ToolLines(crop));
  ExpectSameCharacters(ToolCharacters(crop), "crop");
}

// Every field of every record, as the getters give it.
struct FullRecord {
  int32_t code, line, left, right, top, bottom, spaces;
  float confidence;
  bool operator==(const FullRecord&) const = default;
};

std::ostream& operator<<(std::ostream& out, const FullRecord& r) {
  return out << "{" << r.code << " line " << r.line << " " << r.left << "," << r.top << "-" << r.right << ","
             << r.bottom << " spaces " << r.spaces << " conf " << r.confidence << "}";
}

// A grey page reaches the engine as one channel, a page with any colour as three: the two must
// give the same records, and both the tool's text and boxes. The colour copy differs in one
// corner pixel only, a shade off white, which moves no threshold.
// Lines of 40-pixel text: saved without a resolution, the page reports 96 dpi, and tesseract told
// 96 reads it otherwise than its tool left to estimate the resolution (on a full page it drops
// most words). Where neither the file nor the host gave a resolution, the text is the tool's
// without --dpi; a given one is passed on, as the tool's --dpi does.
TEST_F(TesseractOcrTest, ResolutionIsPassedOnlyWhereTheFileOrTheHostGaveIt) {
  const struct {
    const char* name;
    const char* resolution;  // convert's options for the file's resolution
    float hostDpi;           // set by the host after loading, 0 for none
    const char* toolDpi;     // the tool's options that match
  } cases[] = {
      {"no resolution", "-define png:exclude-chunk=pHYs", 0, ""},
      {"300 dpi in the file", "-units PixelsPerInch -density 300", 0, ""},
      {"200 dpi set by the host", "-define png:exclude-chunk=pHYs", 200, "--dpi 200"},
  };
  const std::string page = scratch_ / "letter.png";
  const auto toolLines = [&](const std::string& options) {
    return NonEmptyLines(RunTool("OMP_THREAD_LIMIT=1 tesseract " + Quote(page) + " - --psm 3 -l eng " + options), "\n");
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::string command = "convert -size 2480x1000 xc:white -font DejaVu-Sans -pointsize 40 -fill black";
    for (int line = 0; line < 10; ++line)
      command += " -annotate +150+" + std::to_string(150 + 80 * line) + " " +
                 Quote("Line " + std::to_string(line) + " of the letter, with words in it for the skew test.");
    bool ok = false;
    RunTool(command + " " + c.resolution + " -type TrueColor PNG24:" + Quote(page), &ok);
    ASSERT_TRUE(ok);
    const std::vector<std::string> tool = toolLines(c.toolDpi);
    ASSERT_GE(tool.size(), 10u);
    if (c.hostDpi == 0 && std::string(c.resolution).find("exclude") != std::string::npos)
      ASSERT_NE(toolLines("--dpi 96"), tool) << "the page shows a resolution wrongly given";
    const int32_t id = Load(page);
    if (c.hostDpi > 0) ASSERT_EQ(engine_->SetHorizontalResolution(c.hostDpi), vexiro::OK);
    EXPECT_EQ(NonEmptyLines(Read(), "\r\n"), tool);
    engine_->CloseImage(id);
  }
}

TEST_F(TesseractOcrTest, GreyPageReadsAsTheSamePageInColour) {
  const std::string drawn = scratch_ / "drawn.png";
  std::vector<std::string> lines;
  for (int i = 0; i < 6; ++i) lines.push_back("Line " + std::to_string(i + 1) + " of the page, words 4711 and 0815.");
  ASSERT_TRUE(DrawText(drawn, 1500, 720, lines));
  const std::string grey = scratch_ / "grey.png";
  const std::string colour = scratch_ / "colour.png";
  bool ok = false;
  RunTool("convert " + Quote(drawn) + " -colorspace Gray -define png:color-type=0 -depth 8 PNG:" + Quote(grey), &ok);
  ASSERT_TRUE(ok);
  RunTool("convert " + Quote(drawn) + " -fill \"rgb(255,255,254)\" -draw \"point 0,0\" -type TrueColor PNG24:" +
              Quote(colour),
          &ok);
  ASSERT_TRUE(ok);
  ASSERT_NE(RunTool("file " + Quote(grey)).find("8-bit grayscale"), std::string::npos);

  std::vector<std::vector<FullRecord>> results;
  for (const std::string& file : {grey, colour, drawn}) {
    const int32_t id = Load(file);
    const std::string text = Read();
    EXPECT_EQ(engine_->GetStat(), vexiro::OK) << file;
    EXPECT_EQ(NonEmptyLines(text, "\r\n"), ToolLines(file)) << file;
    EXPECT_EQ(NonEmptyLines(text, "\r\n").size(), lines.size()) << file;
    ExpectSameCharacters(ToolCharacters(file), file);
    std::vector<FullRecord> records;
    for (int32_t i = 1; i <= engine_->OCRTesseractGetCharCount(); ++i)
      records.push_back({engine_->OCRTesseractGetCharCode(i), engine_->OCRTesseractGetCharLine(i),
                         engine_->OCRTesseractGetCharLeft(i), engine_->OCRTesseractGetCharRight(i),
                         engine_->OCRTesseractGetCharTop(i), engine_->OCRTesseractGetCharBottom(i),
                         engine_->OCRTesseractGetCharSpaces(i), engine_->OCRTesseractGetCharConfidence(i)});
    results.push_back(records);
    engine_->CloseImage(id);
  }
  ASSERT_EQ(results[0].size(), lines.size() * 32) << "the non-blank characters of the lines";
  EXPECT_EQ(results[0], results[1]) << "grey file against the colour copy";
  EXPECT_EQ(results[2], results[1]) << "24-bit grey file against the colour copy";
}

TEST_F(TesseractOcrTest, MinIsWhiteBilevelPageReadsAsTheGreyPage) {
  const std::string page = scratch_ / "page.png";
  const std::string tiff = scratch_ / "page.tif";
  ASSERT_TRUE(DrawText(page, 1000, 300, {"Bilevel pages read", "the same way"}));
  bool ok = false;
  RunTool("convert " + Quote(page) + " -threshold 50% -type bilevel -define tiff:photometric=min-is-white " +
              "-compress group4 " + Quote(tiff),
          &ok);
  ASSERT_TRUE(ok);
  ASSERT_NE(RunTool("tiffinfo " + Quote(tiff)).find("min-is-white"), std::string::npos);
  Load(tiff);
  ASSERT_EQ(engine_->GetPixelDepth(), 1);
  EXPECT_EQ(NonEmptyLines(Read(), "\r\n"), ToolLines(page));
}

TEST_F(TesseractOcrTest, AccentsInGermanAndFrench) {
  struct Case {
    vexiro::TesseractDictionary dictionary;
    const char* language;
    const char* line;
  };
  const Case cases[] = {{vexiro::TesseractDictionaryGerman, "deu", "Die Größe über dem Maß"},
                        {vexiro::TesseractDictionaryFrench, "fra", "Un élève était à côté de moi"}};
  for (const Case& c : cases) {
    const std::string page = scratch_ / (std::string(c.language) + ".png");
    ASSERT_TRUE(DrawText(page, 1100, 220, {c.line}, 12));
    const int32_t id = Load(page);
    const std::string text = Read(c.dictionary);
    EXPECT_EQ(text, c.line) << c.language;
    EXPECT_EQ(NonEmptyLines(text, "\r\n"), ToolLines(page, c.language)) << c.language;
    engine_->CloseImage(id);
  }
}

TEST_F(TesseractOcrTest, OrientationOfTurnedPages) {
  const std::string page = scratch_ / "upright.png";
  std::vector<std::string> lines;
  for (int i = 0; i < 8; ++i) lines.push_back("Line " + std::to_string(i + 1) + " of turned text");
  ASSERT_TRUE(DrawText(page, 620, 640, lines, 8));
  struct Case {
    int32_t degrees;
    int32_t result;
    bool userRectangle;
  };
  for (const Case& c : {Case{0, 0, false}, Case{90, 1, false}, Case{180, 2, false}, Case{270, 3, false},
                        Case{90, 1, true}}) {
    const std::string turned = scratch_ / ("turned" + std::to_string(c.degrees) + ".png");
    RunTool("convert " + Quote(page) + " -rotate " + std::to_string(c.degrees) + " " + Quote(turned));
    const int32_t id = Load(turned);
    if (c.userRectangle) ImagingTestAccess::SetRegion(*engine_, 0, 0, 40, 40);
    EXPECT_EQ(engine_->OCRTesseractGetOrientation(vexiro::TesseractDictionaryEnglish, ""), c.result)
        << c.degrees << (c.userRectangle ? " with a user rectangle" : "");
    EXPECT_EQ(engine_->GetNativeImage(), id);
    engine_->CloseImage(id);
    ImagingTestAccess::SetWholeImageRegion(*engine_);
  }
}

struct PdfWord {
  double xMin, yMin, xMax, yMax;
  std::string text;
};

std::vector<PdfWord> PdfWords(const std::string& pdf) {
  const std::string html = RunTool("pdftotext -bbox " + Quote(pdf) + " -");
  std::vector<PdfWord> words;
  const std::regex word("<word xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\" xMax=\"([0-9.]+)\" yMax=\"([0-9.]+)\">([^<]*)</word>");
  for (auto it = std::sregex_iterator(html.begin(), html.end(), word); it != std::sregex_iterator(); ++it)
    words.push_back({std::stod((*it)[1]), std::stod((*it)[2]), std::stod((*it)[3]), std::stod((*it)[4]), (*it)[5]});
  return words;
}

struct ToolWord {
  int32_t left, top, width, height;
  std::string text;
};

std::vector<ToolWord> ToolWords(const std::string& image) {
  std::istringstream tsv(RunTool("OMP_THREAD_LIMIT=1 tesseract " + Quote(image) + " - --psm 3 -l eng tsv"));
  std::vector<ToolWord> words;
  std::string line;
  while (std::getline(tsv, line)) {
    std::vector<std::string> f;
    std::istringstream fields(line);
    for (std::string field; std::getline(fields, field, '\t');) f.push_back(field);
    if (f.size() < 12 || f[0] != "5" || f[11].find_first_not_of(' ') == std::string::npos) continue;
    words.push_back({std::stoi(f[6]), std::stoi(f[7]), std::stoi(f[8]), std::stoi(f[9]), f[11]});
  }
  return words;
}

// The layer's text keeps a word's own blank beside the one that separates words.
std::vector<std::string> SingleBlankLines(const std::string& text) {
  std::vector<std::string> lines = NonEmptyLines(text, "\r\n");
  for (std::string& line : lines) line = std::regex_replace(line, std::regex(" +"), " ");
  return lines;
}

bool InfoHas(const std::string& info, const std::string& pattern) { return std::regex_search(info, std::regex(pattern)); }

class SearchablePdfTest : public TesseractOcrTest {
 protected:
  void SetUp() override {
    VX_REQUIRE_TOOL("qpdf");
    VX_REQUIRE_TOOL("pdfinfo");
    VX_REQUIRE_TOOL("pdftotext");
    TesseractOcrTest::SetUp();
  }
  std::string Info(const std::string& pdf) { return RunTool("pdfinfo " + Quote(pdf)); }
  std::string PageText(const std::string& pdf, int page) {
    const std::string number = std::to_string(page);
    return RunTool("pdftotext -f " + number + " -l " + number + " " + Quote(pdf) + " -");
  }
  bool Checks(const std::string& pdf) {
    bool ok = false;
    RunTool("qpdf --check " + Quote(pdf), &ok);
    return ok;
  }
};

TEST_F(SearchablePdfTest, WordsLieWhereTheToolFindsThem) {
  const std::string page = scratch_ / "page.png";
  ASSERT_TRUE(DrawText(page, 1100, 420, {"Searchable pages keep", "their words in place 42"}));
  Load(page);
  const std::string pdf = scratch_ / "page.pdf";
  const std::string text = engine_->SaveAsPDFOCR(pdf, vexiro::TesseractDictionaryEnglish, "");
  EXPECT_EQ(engine_->GetStat(), vexiro::OK);
  EXPECT_EQ(SingleBlankLines(text), ToolLines(page));
  ASSERT_TRUE(Checks(pdf));
  std::smatch size;
  const std::string info = Info(pdf);
  ASSERT_TRUE(std::regex_search(info, size, std::regex("Page size: +([0-9.]+) x ([0-9.]+) pts"))) << info;
  EXPECT_NEAR(std::stod(size[1]), 1100.0 / 300 * 72, 0.01);
  EXPECT_NEAR(std::stod(size[2]), 420.0 / 300 * 72, 0.01);

  const std::vector<ToolWord> tool = ToolWords(page);
  const std::vector<PdfWord> words = PdfWords(pdf);
  ASSERT_EQ(words.size(), tool.size());
  ASSERT_FALSE(words.empty());
  for (size_t i = 0; i < words.size(); ++i) {
    EXPECT_EQ(words[i].text, tool[i].text) << i;
    EXPECT_NEAR(words[i].xMin, tool[i].left * 72.0 / 300, 1.5) << tool[i].text;
    const double centre = (words[i].yMin + words[i].yMax) / 2;
    EXPECT_GE(centre, tool[i].top * 72.0 / 300) << tool[i].text;
    EXPECT_LE(centre, (tool[i].top + tool[i].height) * 72.0 / 300) << tool[i].text;
  }

  // An existing path is left as it is.
  const std::string before = RunTool("md5sum " + Quote(pdf));
  EXPECT_EQ(engine_->SaveAsPDFOCR(pdf, vexiro::TesseractDictionaryEnglish, ""), "");
  EXPECT_EQ(engine_->GetStat(), vexiro::CanNotCreateFile);
  EXPECT_EQ(RunTool("md5sum " + Quote(pdf)), before);
}

TEST_F(SearchablePdfTest, TwoPagesAndAMissingDictionary) {
  const std::string first = scratch_ / "first.png";
  const std::string second = scratch_ / "second.png";
  const std::string tiff = scratch_ / "pages.tif";
  ASSERT_TRUE(DrawText(first, 900, 260, {"First page words"}));
  ASSERT_TRUE(DrawText(second, 900, 260, {"Second page words"}));
  RunTool("convert " + Quote(first) + " " + Quote(second) + " -compress lzw " + Quote(tiff));
  const int32_t id = Load(tiff);
  ASSERT_TRUE(engine_->TiffIsMultiPage(id));
  const std::string pdf = scratch_ / "pages.pdf";
  const std::string text = engine_->PdfOCRCreateFromMultipageTIFF(id, pdf, vexiro::TesseractDictionaryEnglish, "");
  EXPECT_EQ(engine_->GetStat(), vexiro::OK);
  EXPECT_EQ(SingleBlankLines(text), std::vector<std::string>{"First page wordsSecond page words"})
      << "pages joined with nothing between";
  ASSERT_TRUE(Checks(pdf));
  EXPECT_TRUE(InfoHas(Info(pdf), "Pages: +2\n"));
  EXPECT_NE(PageText(pdf, 1).find("First page words"), std::string::npos);
  EXPECT_NE(PageText(pdf, 2).find("Second page words"), std::string::npos);

  // Without the dictionary: one page with its picture and no text, and the dictionary's status;
  // the multi-page form leaves no file.
  ScratchFolder empty;
  const std::string alone = scratch_ / "alone.pdf";
  engine_->TiffSelectPage(id, 1);
  EXPECT_EQ(engine_->SaveAsPDFOCR(alone, vexiro::TesseractDictionaryEnglish, empty / ""), "");
  EXPECT_EQ(engine_->GetStat(), vexiro::OCRDictionaryNotFound);
  ASSERT_TRUE(Checks(alone));
  EXPECT_TRUE(InfoHas(Info(alone), "Pages: +1\n"));
  EXPECT_EQ(RunTool("pdftotext " + Quote(alone) + " -").find_first_not_of(" \n\f"), std::string::npos);
  const std::string none = scratch_ / "none.pdf";
  EXPECT_EQ(engine_->PdfOCRCreateFromMultipageTIFF(id, none, vexiro::TesseractDictionaryEnglish, empty / ""), "");
  EXPECT_EQ(engine_->GetStat(), vexiro::OCRDictionaryNotFound);
  EXPECT_FALSE(std::filesystem::exists(none)) << "a document without its pages is removed";

  engine_->SetNativeImage(0);
  EXPECT_EQ(engine_->SaveAsPDFOCR(scratch_ / "nothing.pdf", vexiro::TesseractDictionaryEnglish, ""), "");
  EXPECT_EQ(engine_->GetStat(), vexiro::InvalidParameter);
}

// A scanned batch collected into a searchable document: each add returns what the tool reads on
// that image, each page takes its image's size and finds its own words.
TEST_F(SearchablePdfTest, ScannedBatchIsSearchable) {
  struct Scan {
    std::string image;
    int32_t width, height;
    std::string line;
  };
  const Scan scans[] = {{scratch_ / "first.png", 900, 260, "Scanned batch words"},
                        {scratch_ / "second.png", 760, 300, "Another sheet here"}};
  const std::string pdf = scratch_ / "batch.pdf";
  ASSERT_EQ(engine_->TwainPdfOCRStart(pdf, "Batch"), vexiro::OK);
  for (const Scan& s : scans) {
    ASSERT_TRUE(DrawText(s.image, s.width, s.height, {s.line}));
    const std::string text =
        engine_->TwainAddVexiroImageToPdfOCR(Load(s.image), vexiro::TesseractDictionaryEnglish, "");
    EXPECT_EQ(engine_->GetStat(), vexiro::OK);
    EXPECT_EQ(SingleBlankLines(text), ToolLines(s.image));
  }
  ASSERT_EQ(engine_->TwainPdfOCRStop(), vexiro::OK);
  ASSERT_TRUE(Checks(pdf));
  const std::string info = RunTool("pdfinfo -f 1 -l 2 " + Quote(pdf));
  EXPECT_TRUE(InfoHas(info, "Pages: +2\n")) << info;
  for (int page : {1, 2}) {
    const Scan& s = scans[page - 1];
    std::smatch size;
    const std::regex pageSize("Page +" + std::to_string(page) + " size: +([0-9.]+) x ([0-9.]+) pts");
    ASSERT_TRUE(std::regex_search(info, size, pageSize)) << info;
    EXPECT_NEAR(std::stod(size[1]), s.width * 72.0 / 300, 0.01);
    EXPECT_NEAR(std::stod(size[2]), s.height * 72.0 / 300, 0.01);
    EXPECT_NE(PageText(pdf, page).find(s.line), std::string::npos) << s.line;
  }

  // A document stopped without a scan leaves no file.
  const std::string empty = scratch_ / "empty.pdf";
  ASSERT_EQ(engine_->TwainPdfOCRStart(empty), vexiro::OK);
  EXPECT_EQ(engine_->TwainPdfOCRStop(), vexiro::OK);
  EXPECT_FALSE(std::filesystem::exists(empty));
}

}  // namespace
