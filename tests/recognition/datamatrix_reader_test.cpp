// The DataMatrix reader on real-world pictures and on symbols drawn by zint and dmtxwrite: every
// symbol read once, with its value as stored, its rows and columns, and its corners where dmtxread
// reads the symbol too; nothing on a photo without a symbol. Both scan modes read alike.
#include <algorithm>
#include <array>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "dmtxread_support.h"
#include "recognition_test_support.h"

namespace {

using namespace vxtest::recognition;

constexpr vexiro::BarcodeDataMatrixReaderScanMode kModes[] = {vexiro::BestSpeed, vexiro::BestQuality};

std::string DataPath(const std::string& name) { return std::string(VEXIRO_TEST_DATA_DIR) + "/datamatrix/" + name; }

std::string FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class DataMatrixReaderTest : public EngineTest {
 protected:
  std::array<int32_t, 8> Corners(int32_t n) {
    return {engine_->BarcodeDataMatrixReaderGetBarcodeX1(n), engine_->BarcodeDataMatrixReaderGetBarcodeY1(n),
            engine_->BarcodeDataMatrixReaderGetBarcodeX2(n), engine_->BarcodeDataMatrixReaderGetBarcodeY2(n),
            engine_->BarcodeDataMatrixReaderGetBarcodeX3(n), engine_->BarcodeDataMatrixReaderGetBarcodeY3(n),
            engine_->BarcodeDataMatrixReaderGetBarcodeX4(n), engine_->BarcodeDataMatrixReaderGetBarcodeY4(n)};
  }

  // The one symbol of the current image, read in both modes alike.
  void ExpectOneSymbol(const std::string& value, int32_t rows, int32_t columns) {
    for (const auto mode : kModes) {
      SCOPED_TRACE(mode == vexiro::BestSpeed ? "BestSpeed" : "BestQuality");
      ASSERT_EQ(engine_->BarcodeDataMatrixReaderDoScan(mode), vexiro::OK);
      ASSERT_EQ(engine_->BarcodeDataMatrixReaderGetBarcodeCount(), 1);
      EXPECT_EQ(engine_->BarcodeDataMatrixReaderGetBarcodeValue(1), value);
      EXPECT_EQ(engine_->BarcodeDataMatrixReaderGetBarcodeRows(1), rows);
      EXPECT_EQ(engine_->BarcodeDataMatrixReaderGetBarcodeColumns(1), columns);
    }
  }

  static std::pair<int, int> PictureSize(const std::string& picture) {
    std::istringstream size(RunTool("identify -format '%w %h' " + Quote(picture)));
    int width = 0, height = 0;
    size >> width >> height;
    return {width, height};
  }

  // The corners of symbol 1 beside the box of `symbol`, drawn unturned at (40, 40) on the page.
  void ExpectCornersOfPlacedSymbol(const std::string& symbol, bool mirrored) {
    const auto [width, height] = PictureSize(symbol);
    const int left = 40, top = 40, right = 40 + width, bottom = 40 + height;
    using Box = std::array<int32_t, 8>;
    const Box box = mirrored ? Box{right, top, left, top, left, bottom, right, bottom}
                             : Box{left, top, right, top, right, bottom, left, bottom};
    const auto got = Corners(1);
    for (int k = 0; k < 8; ++k) EXPECT_NEAR(got[k], box[k], 2) << "coordinate " << k;
  }

  // The corners of symbol 1 beside dmtxread's of the same symbol, read from `page` cropped to
  // `crop` (ImageMagick geometry, "" for the whole page) and moved back by (dx, dy): X1, Y1 is
  // the symbol's top-left, then clockwise, which are dmtxread's corners 3, 2, 1, 0.
  void ExpectCornersAsDmtxread(const std::string& page, const std::string& crop = "", int dx = 0, int dy = 0) {
    ScratchFolder scratch;
    std::string input = page;
    if (!crop.empty()) {
      input = scratch / "crop.png";
      bool ok = false;
      RunTool("convert " + Quote(page) + " -crop " + crop + " +repage " + Quote(input), &ok);
      ASSERT_TRUE(ok);
    }
    const auto expected = DmtxreadSymbols(input, 10);
    ASSERT_EQ(expected.size(), 1u) << "dmtxread reads the symbol";
    ASSERT_EQ(expected[0].corners.size(), 4u);
    EXPECT_EQ(engine_->BarcodeDataMatrixReaderGetBarcodeRows(1), expected[0].rows);
    EXPECT_EQ(engine_->BarcodeDataMatrixReaderGetBarcodeColumns(1), expected[0].columns);
    const auto got = Corners(1);
    for (int k = 0; k < 4; ++k) {
      EXPECT_NEAR(got[2 * k], expected[0].corners[3 - k].first + dx, 2.0) << "corner " << k + 1;
      EXPECT_NEAR(got[2 * k + 1], expected[0].corners[3 - k].second + dy, 2.0) << "corner " << k + 1;
    }
  }
};

// Pictures from a public corpus of phone photos, scans and labels: a rectangular-extension size,
// a GS1 symbol whose group separators stay in its value, low contrast and tilted, a
// mirrored symbol and a small symbol in a wide scene.
TEST_F(DataMatrixReaderTest, RealWorldPicturesReadWithValuesAsStoredAndTheirSizes) {
  const struct {
    const char* name;
    int32_t rows, columns;
  } cases[] = {
      {"dmre-48x24", 24, 48},
      {"gs1-32x32", 32, 32},
      {"low-contrast-tilted", 40, 40},
      {"mirrored-36x12", 12, 36},
      {"small-in-wide-scene", 22, 22},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string picture = DataPath(std::string(c.name) + ".png");
    const std::string value = FileBytes(DataPath(std::string(c.name) + ".txt"));
    ASSERT_FALSE(value.empty());
    const int32_t id = engine_->CreateImageFromFile(picture);
    ASSERT_NE(id, 0);
    ExpectOneSymbol(value, c.rows, c.columns);
    engine_->CloseImage(id);
  }
}

TEST_F(DataMatrixReaderTest, GroupSeparatorsStayAndCornersMatchDmtxread) {
  VX_REQUIRE_TOOL("dmtxread");
  const std::string picture = DataPath("gs1-32x32.png");
  const int32_t id = engine_->CreateImageFromFile(picture);
  ASSERT_EQ(engine_->BarcodeDataMatrixReaderDoScan(vexiro::BestSpeed), vexiro::OK);
  ASSERT_EQ(engine_->BarcodeDataMatrixReaderGetBarcodeCount(), 1);
  EXPECT_NE(engine_->BarcodeDataMatrixReaderGetBarcodeValue(1).find('\x1D'), std::string::npos);
  ExpectCornersAsDmtxread(picture);
  engine_->CloseImage(id);
}

// The mirrored symbol's solid finder edges run along the picture's left column and bottom row,
// its twelve rows across the picture: its own top-left is the picture's bottom right, and its
// corners run the other way round on the picture.
TEST_F(DataMatrixReaderTest, MirroredSymbolGivesItsOwnCorners) {
  const int32_t id = engine_->CreateImageFromFile(DataPath("mirrored-36x12.png"));
  ASSERT_EQ(engine_->BarcodeDataMatrixReaderDoScan(vexiro::BestSpeed), vexiro::OK);
  ASSERT_EQ(engine_->BarcodeDataMatrixReaderGetBarcodeCount(), 1);
  const int32_t expected[8] = {70, 188, 70, 8, 10, 8, 10, 188};
  const auto got = Corners(1);
  for (int k = 0; k < 8; ++k) EXPECT_NEAR(got[k], expected[k], 2) << "coordinate " << k;
  engine_->CloseImage(id);
}

// An A4 page at 300 dpi with linear symbols, a QR code and text around one large DataMatrix
// symbol: read at once, with dmtxread's corners for the symbol's own part of the page.
TEST_F(DataMatrixReaderTest, WholePageAmongOtherSymbolsReadsItsOneSymbol) {
  const std::string page = DataPath("a4-page-five-symbols.png");
  const int32_t id = engine_->CreateImageFromFile(page);
  ASSERT_NE(id, 0);
  ExpectOneSymbol("DM-Hello-2024", 16, 16);
  if (vxtest::OracleAvailable("dmtxread") && vxtest::OracleAvailable("convert"))
    ExpectCornersAsDmtxread(page, "600x600+100+2200", 100, 2200);
  engine_->CloseImage(id);
}

TEST_F(DataMatrixReaderTest, PhotoWithoutSymbolGivesNone) {
  const int32_t id = engine_->CreateImageFromFile(DataPath("no-symbol-photo-480.png"));
  ASSERT_NE(id, 0);
  for (const auto mode : kModes) {
    ASSERT_EQ(engine_->BarcodeDataMatrixReaderDoScan(mode), vexiro::OK);
    EXPECT_EQ(engine_->BarcodeDataMatrixReaderGetBarcodeCount(), 0);
  }
  engine_->CloseImage(id);
}

// Symbols drawn by zint (or dmtxwrite) into symbol.png, turned or dressed by ImageMagick, placed on
// a white page at (40, 40), the page dressed in turn; dmtxread is the second opinion on the
// corners where it reads the symbol, the size zint was told to draw on the rows and columns.
TEST_F(DataMatrixReaderTest, DrawnSymbolsReadInEveryShapeAndCondition) {
  VX_REQUIRE_TOOL("zint");
  VX_REQUIRE_TOOL("convert");
  const bool dmtxread = vxtest::OracleAvailable("dmtxread");
  const struct {
    const char* name;
    const char* draw;  // zint's options, or a dmtxwrite command line
    const char* data;
    const char* turn;   // applied to the symbol
    const char* size;   // of the page
    const char* dress;  // applied to the page
    const char* file;   // the page's file name, its suffix the format
    const char* value;
    int32_t rows, columns;
    bool dmtxreadReads;
  } cases[] = {
      {"square", "--square --vers=6 --scale=3", "Square twenty", "", "300x300", "", "p.png", "Square twenty", 20, 20,
       true},
      {"rectangle", "--vers=28 --scale=3", "Rect 12x36", "", "300x200", "", "p.png", "Rect 12x36", 12, 36, true},
      {"rectangular extension 24 x 48", "--dmre --vers=44 --scale=3", "Rectangular extension 24x48", "", "400x200", "",
       "p.png", "Rectangular extension 24x48", 24, 48, false},
      {"rectangular extension 8 x 64", "--dmre --vers=32 --scale=3", "DMRE 8x64", "", "500x200", "", "p.png",
       "DMRE 8x64", 8, 64, false},
      {"mirrored", "--vers=4 --scale=4", "Mirrored", "-flop", "300x300", "", "p.png", "Mirrored", 16, 16, false},
      {"turned 30 degrees", "--vers=8 --scale=4", "Turned thirty degrees", "-background white -rotate 30", "400x400",
       "", "p.png", "Turned thirty degrees", 24, 24, true},
      {"upside down", "--vers=27 --scale=4", "Upside down", "-rotate 180", "400x300", "", "p.png", "Upside down", 12,
       26, true},
      {"JPEG at quality 25", "--vers=10 --scale=4", "JPEG compressed at quality 25", "", "400x400", "-quality 25",
       "p.jpg", "JPEG compressed at quality 25", 32, 32, true},
      {"low contrast", "--vers=7 --scale=4", "Low contrast", "", "300x300", "+level 40%,62%", "p.png", "Low contrast",
       22, 22, true},
      // Grain that ZXing reads through only at half size, and dmtxread at full size.
      {"grainy", "--vers=10 --scale=2", "Hard case number one", "-bordercolor white -border 4", "300x300",
       "-seed 1 -attenuate 2.2 +noise Gaussian", "p.png", "Hard case number one", 32, 32, true},
      {"GS1", "--gs1 --square --vers=6 --scale=4", "[01]09501101530003[10]AB-123[17]140704", "", "300x300", "",
       "p.png", "010950110153000310AB-123\x1D" "17140704", 20, 20, true},
      {"binary data up to its NUL", "--esc --vers=5 --scale=4", "Before\\0After", "", "300x300", "", "p.png", "Before",
       18, 18, true},
      {"dmtxwrite", "dmtxwrite -m 4 -d 5", "Written by dmtxwrite", "", "300x300", "", "p.png", "Written by dmtxwrite",
       18, 18, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ScratchFolder scratch;
    const std::string symbol = scratch / "symbol.png", page = scratch / c.file;
    const std::string draw = std::string(c.draw);
    const bool byDmtxwrite = draw.rfind("dmtxwrite", 0) == 0;
    bool ok = false;
    RunTool(byDmtxwrite ? "printf %s " + Quote(c.data) + " | " + draw + " -o " + Quote(symbol)
                        : "zint -b 71 " + draw + " -d " + Quote(c.data) + " -o " + Quote(symbol),
            &ok);
    ASSERT_TRUE(ok) << "the symbol is drawn";
    RunTool("convert -size " + std::string(c.size) + " xc:white \\( " + Quote(symbol) + " " + c.turn +
                " \\) -geometry +40+40 -composite " + c.dress + " -type truecolor " + Quote(page),
            &ok);
    ASSERT_TRUE(ok) << "the page is composed";
    const int32_t id = engine_->CreateImageFromFile(page);
    ASSERT_NE(id, 0);
    ExpectOneSymbol(c.value, c.rows, c.columns);
    if (dmtxread && c.dmtxreadReads) ExpectCornersAsDmtxread(page);
    // Where dmtxread cannot read the symbol (rectangular extension, mirrored), its place on the
    // page says where the corners are: a mirrored symbol's top-left is the page's top right.
    if (!c.dmtxreadReads) ExpectCornersOfPlacedSymbol(symbol, std::string(c.turn) == "-flop");
    engine_->CloseImage(id);
  }
}

// Six zint symbols (four and six pixels a module) on an A4 page at 300 dpi between blocks of text
// lines, the page then dressed by ImageMagick's `dress` (a mask or noise).
std::string TextPageWithSixSymbols(const ScratchFolder& scratch, const std::string& dress) {
  std::string command = "convert -size 2480x3508 xc:white";
  for (int i = 0; i < 6; ++i) {
    const std::string symbol = scratch / ("s" + std::to_string(i) + ".png");
    bool ok = false;
    RunTool("zint -b 71 --scale=" + std::to_string(2 + i % 2) + " -d " +
                Quote("Page symbol " + std::to_string(i)) + " -o " + Quote(symbol),
            &ok);
    if (!ok) return "";
    command += " " + Quote(symbol) + " -geometry +" + std::to_string(300 + i % 2 * 1200) + "+" +
               std::to_string(400 + i / 2 * 1100) + " -composite";
  }
  command += " -font DejaVu-Sans -pointsize 30 -fill black";
  for (int block = 0; block < 3; ++block)
    for (int line = 0; line < 10; ++line)
      command += " -annotate +250+" + std::to_string(700 + block * 1100 + line * 60) + " " +
                 Quote("Line " + std::to_string(line) + " of the letter, with words and numbers 4711 and 0815 in it.");
  const std::string page = scratch / "page.png";
  bool ok = false;
  RunTool(command + " " + dress + " -density 300 -units PixelsPerInch -type truecolor " + Quote(page), &ok);
  return ok ? page : "";
}

// Pages that defeated the reader: specks and salt and pepper over a page of text, a hundred
// equal symbols, a large white page with one symbol, and a one-pixel checkerboard that holds
// nothing and is costly to look at, the last two also 12000 pixels a side in 8-bit grey, whose
// preparation once took longer than the reader's whole bound. Each scan answers with every symbol once. The modes differ
// only on small pictures where nothing is found, which none of these is: one mode is read.
TEST_F(DataMatrixReaderTest, SpeckledBusyAndLargePagesGiveEverySymbolOnce) {
  VX_REQUIRE_TOOL("zint");
  VX_REQUIRE_TOOL("convert");
  VX_REQUIRE(std::system("/usr/bin/python3 -c 'import PIL' 2>/dev/null") == 0, "Pillow", "python3-pil");
  ScratchFolder scratch;
  const std::vector<std::string> six = {"Page symbol 0", "Page symbol 1", "Page symbol 2",
                                        "Page symbol 3", "Page symbol 4", "Page symbol 5"};
  // 0.1 % of the pixels turned black: a mask of white noise thresholded at 99.9 %, multiplied in.
  const std::string specks =
      "\\( -size 2480x3508 xc:gray50 -seed 1 +noise Random -channel G -separate +channel -threshold 99.9% -negate \\)"
      " -compose multiply -composite";
  const std::string saltAndPepper = "-colorspace gray -seed 2 -attenuate 0.15 +noise Impulse";
  const std::string largePage = scratch / "large.png", symbol = scratch / "one.png";
  const std::string hugePage = scratch / "huge.png", hugeBoard = scratch / "board.png";
  bool ok = false;
  RunTool("zint -b 71 --scale=5 -d 'Alone on a large page' -o " + Quote(symbol), &ok);
  ASSERT_TRUE(ok);
  RunTool("convert -size 4000x4000 xc:white " + Quote(symbol) + " -geometry +2000+2000 -composite " + Quote(largePage),
          &ok);
  ASSERT_TRUE(ok);
  // 12000 x 12000 grey (8 bits) pages, past ImageMagick's pixel limit here: Pillow draws them.
  RunTool("/usr/bin/python3 -c \"import sys; from PIL import Image; page = Image.new('L', (12000, 12000), 255); "
          "page.paste(Image.open(sys.argv[1]).convert('L'), (6000, 6000)); page.save(sys.argv[2], compress_level=1); "
          "a, b = bytes([0, 255]) * 6000, bytes([255, 0]) * 6000; "
          "Image.frombytes('L', (12000, 12000), (a + b) * 6000).save(sys.argv[3], compress_level=1)\" " +
              Quote(symbol) + " " + Quote(hugePage) + " " + Quote(hugeBoard),
          &ok);
  ASSERT_TRUE(ok);
  const struct {
    const char* name;
    std::string page;
    std::vector<std::string> values;
  } cases[] = {
      {"text page with dust specks", TextPageWithSixSymbols(scratch, specks), six},
      {"text page with salt and pepper", TextPageWithSixSymbols(scratch, saltAndPepper), six},
      {"a hundred equal symbols", DataPath("hundred-equal-symbols.png"),
       std::vector<std::string>(100, "HELLO DM 12345")},
      {"4000 x 4000 white page with one symbol", largePage, {"Alone on a large page"}},
      {"4000 x 4000 one-pixel checkerboard", DataPath("checkerboard-1px.png"), {}},
      {"12000 x 12000 grey page with one symbol", hugePage, {"Alone on a large page"}},
      {"12000 x 12000 grey one-pixel checkerboard", hugeBoard, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_FALSE(c.page.empty()) << "the page is made";
    const int32_t id = engine_->CreateImageFromFile(c.page);
    ASSERT_NE(id, 0);
    {
      ASSERT_EQ(engine_->BarcodeDataMatrixReaderDoScan(vexiro::BestSpeed), vexiro::OK);
      const int32_t count = engine_->BarcodeDataMatrixReaderGetBarcodeCount();
      std::vector<std::string> values;
      std::vector<std::pair<int32_t, int32_t>> places;
      for (int32_t n = 1; n <= count; ++n) {
        values.push_back(engine_->BarcodeDataMatrixReaderGetBarcodeValue(n));
        places.emplace_back(engine_->BarcodeDataMatrixReaderGetBarcodeX1(n),
                            engine_->BarcodeDataMatrixReaderGetBarcodeY1(n));
      }
      std::sort(values.begin(), values.end());
      EXPECT_EQ(values, c.values);
      std::sort(places.begin(), places.end());
      EXPECT_EQ(std::adjacent_find(places.begin(), places.end()), places.end()) << "each symbol once";
    }
    engine_->CloseImage(id);
  }
}

// An 8-bit picture goes to the reader as it is: through a grey ramp, a grey table in another
// order and a colour table it gives the symbols, values and corners of its 24-bit form.
TEST_F(DataMatrixReaderTest, EightBitPicturesReadAsTheirTrueColourForm) {
  VX_REQUIRE_TOOL("convert");
  ScratchFolder scratch;
  const struct {
    const char* name;
    const char* source;
    const char* dress;  // ImageMagick options that make the 8-bit form
  } cases[] = {
      {"grey ramp, photo", "low-contrast-tilted.png", "-colorspace gray -define png:color-type=0 -define png:bit-depth=8"},
      {"grey ramp, scene", "small-in-wide-scene.png", "-colorspace gray -define png:color-type=0 -define png:bit-depth=8"},
      {"grey table", "low-contrast-tilted.png", "-colorspace gray -define png:color-type=3"},
      {"colour table", "small-in-wide-scene.png", "+level-colors navy,lightyellow -colors 200 -define png:color-type=3"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string indexed = scratch / "indexed.png", trueColour = scratch / "true.png";
    bool ok = false;
    RunTool("convert " + Quote(DataPath(c.source)) + " " + c.dress + " " + Quote(indexed), &ok);
    ASSERT_TRUE(ok);
    RunTool("convert " + Quote(indexed) + " -define png:color-type=2 " + Quote(trueColour), &ok);
    ASSERT_TRUE(ok);
    std::vector<std::pair<std::string, std::array<int32_t, 8>>> read[2];
    for (int form = 0; form < 2; ++form) {
      const int32_t id = engine_->CreateImageFromFile(form == 0 ? indexed : trueColour);
      ASSERT_EQ(engine_->GetPixelFormat(), form == 0 ? vexiro::PixelFormat8bppIndexed : vexiro::PixelFormat24bppRGB);
      ASSERT_EQ(engine_->BarcodeDataMatrixReaderDoScan(vexiro::BestQuality), vexiro::OK);
      for (int32_t n = 1; n <= engine_->BarcodeDataMatrixReaderGetBarcodeCount(); ++n)
        read[form].emplace_back(engine_->BarcodeDataMatrixReaderGetBarcodeValue(n), Corners(n));
      engine_->CloseImage(id);
    }
    EXPECT_EQ(read[0].size(), 1u);
    EXPECT_EQ(read[0], read[1]);
  }
}

// Symbols are told apart by where they lie, not by what they hold.
TEST_F(DataMatrixReaderTest, TwoEqualSymbolsApartAreBothRead) {
  VX_REQUIRE_TOOL("zint");
  VX_REQUIRE_TOOL("convert");
  ScratchFolder scratch;
  const std::string symbol = scratch / "symbol.png", page = scratch / "page.png";
  bool ok = false;
  RunTool("zint -b 71 --vers=6 --scale=4 -d Twin -o " + Quote(symbol), &ok);
  ASSERT_TRUE(ok);
  RunTool("convert -size 600x300 xc:white " + Quote(symbol) + " -geometry +40+40 -composite " + Quote(symbol) +
              " -geometry +340+60 -composite -type truecolor " + Quote(page),
          &ok);
  ASSERT_TRUE(ok);
  const int32_t id = engine_->CreateImageFromFile(page);
  ASSERT_EQ(engine_->BarcodeDataMatrixReaderDoScan(vexiro::BestSpeed), vexiro::OK);
  ASSERT_EQ(engine_->BarcodeDataMatrixReaderGetBarcodeCount(), 2);
  const int32_t lefts[2] = {engine_->BarcodeDataMatrixReaderGetBarcodeX1(1),
                            engine_->BarcodeDataMatrixReaderGetBarcodeX1(2)};
  EXPECT_NEAR(std::min(lefts[0], lefts[1]), 40, 2);
  EXPECT_NEAR(std::max(lefts[0], lefts[1]), 340, 2);
  for (int32_t n = 1; n <= 2; ++n) EXPECT_EQ(engine_->BarcodeDataMatrixReaderGetBarcodeValue(n), "Twin");
  engine_->CloseImage(id);
}

// Every size zint draws, at four pixels a module: the rows and columns are the drawing's own.
TEST_F(DataMatrixReaderTest, EverySizeGivesItsRowsAndColumns) {
  VX_REQUIRE_TOOL("zint");
  VX_REQUIRE_TOOL("convert");
  ScratchFolder scratch;
  const std::string symbol = scratch / "symbol.png", page = scratch / "page.png";
  for (int version = 1; version <= 48; ++version) {
    SCOPED_TRACE("zint version " + std::to_string(version));
    bool ok = false;
    RunTool("zint -b 71 --dmre --scale=2 --vers=" + std::to_string(version) + " -d A -o " + Quote(symbol), &ok);
    ASSERT_TRUE(ok);
    RunTool("convert " + Quote(symbol) + " -bordercolor white -border 12 -type truecolor " + Quote(page), &ok);
    ASSERT_TRUE(ok);
    const auto [width, height] = PictureSize(symbol);
    const int32_t id = engine_->CreateImageFromFile(page);
    ASSERT_EQ(engine_->BarcodeDataMatrixReaderDoScan(vexiro::BestSpeed), vexiro::OK);
    ASSERT_EQ(engine_->BarcodeDataMatrixReaderGetBarcodeCount(), 1);
    EXPECT_EQ(engine_->BarcodeDataMatrixReaderGetBarcodeRows(1), height / 4);
    EXPECT_EQ(engine_->BarcodeDataMatrixReaderGetBarcodeColumns(1), width / 4);
    engine_->CloseImage(id);
  }
}

// A small symbol (3.4 mm) in a corner of an A4 page at 300 dpi, among linear symbols and lines of
// text; the processing region around it reads it with the same corners, relative to the region.
TEST_F(DataMatrixReaderTest, SmallSymbolOnAWholePageAmongLinearSymbolsAndText) {
  VX_REQUIRE_TOOL("zint");
  VX_REQUIRE_TOOL("convert");
  ScratchFolder scratch;
  const std::string matrix = scratch / "m.png", code128 = scratch / "c.png", ean = scratch / "e.png",
                    page = scratch / "page.png";
  bool ok = false;
  RunTool("zint -b 71 --vers=3 --scale=2 -d 'Small one' -o " + Quote(matrix), &ok);
  ASSERT_TRUE(ok);
  RunTool("zint -b 20 --scale=3 -d 'Linear-128' -o " + Quote(code128), &ok);
  ASSERT_TRUE(ok);
  RunTool("zint -b 13 --scale=3 -d 123456789012 -o " + Quote(ean), &ok);
  ASSERT_TRUE(ok);
  RunTool("convert -size 2480x3508 xc:white " + Quote(code128) + " -geometry +300+300 -composite " + Quote(ean) +
              " -geometry +1300+300 -composite " + Quote(matrix) +
              " -geometry +2100+3100 -composite -font DejaVu-Sans -pointsize 40 -fill black"
              " -annotate +300+1200 'Words and numbers 4711 0815 on a page with symbols'"
              " -annotate +300+1400 'A second line of text, and a third below it' -annotate +300+1600 'Third line'"
              " -density 300 -units PixelsPerInch -type truecolor " +
              Quote(page),
          &ok);
  ASSERT_TRUE(ok);
  const int32_t id = engine_->CreateImageFromFile(page);
  ASSERT_NE(id, 0);
  ExpectOneSymbol("Small one", 14, 14);
  const auto whole = Corners(1);
  EXPECT_NEAR(whole[0], 2100, 2);
  EXPECT_NEAR(whole[1], 3100, 2);
  vexiro::ImagingTestAccess::SetRegion(*engine_, 2000, 3000, 300, 300);
  ASSERT_EQ(engine_->BarcodeDataMatrixReaderDoScan(vexiro::BestSpeed), vexiro::OK);
  ASSERT_EQ(engine_->BarcodeDataMatrixReaderGetBarcodeCount(), 1);
  const auto inRegion = Corners(1);
  for (int k = 0; k < 8; ++k) EXPECT_EQ(inRegion[k], whole[k] - (k % 2 == 0 ? 2000 : 3000)) << "coordinate " << k;
  engine_->CloseImage(id);
}

}  // namespace
