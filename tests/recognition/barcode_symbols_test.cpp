// Symbols drawn by zint and dmtxwrite, read through the engine and the real reader plug-ins:
// values, types and corners, with zbarimg and dmtxread as the second opinion.
#include <cmath>
#include <random>
#include <regex>
#include <sstream>
#include <string>

#include "dmtxread_support.h"
#include "recognition_test_support.h"

namespace {

using namespace vxtest::recognition;
using vexiro::ImagingTestAccess;

struct LinearCase {
  const char* name;
  int zintSymbology;
  const char* zintOptions;  // "--vers=1" adds zint's check character where it is optional
  const char* data;
  const char* value;
  int32_t type;
  bool checksum;
  const char* zbarOptions;  // nullptr: zbar cannot read it
  const char* zbarValue;    // zbar's text for the same symbol
};

// zbar keeps Codabar's start and stop characters and reads UPC-A as EAN-13 unless told otherwise.
// Where a check character is optional, it stays in the value, as zbar gives it.
const LinearCase kLinearCases[] = {
    {"Codabar", 18, "", "A37859B", "A37859B", vexiro::Barcode1DReaderCodeabar, false, "", "A37859B"},
    {"Codabar with a check", 18, "--vers=1", "A37859B", "A37859+B", vexiro::Barcode1DReaderCodeabar, true, "",
     "A37859+B"},
    {"Code 39", 8, "", "CODE39", "CODE39", vexiro::Barcode1DReaderCode39, false, "", "CODE39"},
    {"Code 39 with a check", 8, "--vers=1", "CODE39", "CODE39W", vexiro::Barcode1DReaderCode39, true, "", "CODE39W"},
    {"Code 93", 25, "", "CODE93", "CODE93", vexiro::Barcode1DReaderCODE93, true, "", "CODE93"},
    {"Code 128", 20, "", "Hello-128", "Hello-128", vexiro::Barcode1DReaderCode128, true, "", "Hello-128"},
    {"Code 128 with a blank", 20, "", "Hello 128", "Hello 128", vexiro::Barcode1DReaderCode128, true, "",
     "Hello 128"},
    {"GS1-128", 16, "", "[01]12345678901231", "0112345678901231", vexiro::Barcode1DReaderEAN128, true, "",
     "0112345678901231"},
    {"EAN-8", 13, "", "1234567", "12345670", vexiro::Barcode1DReaderEAN8, true, "", "12345670"},
    {"EAN-13", 13, "", "123456789012", "1234567890128", vexiro::Barcode1DReaderEAN13, true, "", "1234567890128"},
    {"ITF", 3, "", "12345678", "12345678", vexiro::Barcode1DReaderInterleaved2of5, false, "", "12345678"},
    {"ITF with a check", 3, "--vers=1", "1234567", "12345670", vexiro::Barcode1DReaderInterleaved2of5, true, "",
     "12345670"},
    {"UPC-A", 34, "", "12345678901", "123456789012", vexiro::Barcode1DReaderUPCA, true, "-Supca.enable=1",
     "123456789012"},
    {"UPC-E", 37, "", "1234567", "12345670", vexiro::Barcode1DReaderUPCE, true, nullptr, nullptr},
};

std::string ZbarValue(const std::string& options, const std::string& file) {
  std::string out = RunTool("zbarimg -q --raw " + options + " " + Quote(file));
  while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
  return out;
}

class BarcodeSymbolsTest : public EngineTest {
 protected:
  // Draws a symbol with zint, then places it on a white page at (left, top); the page is loaded.
  int32_t LoadPlaced(int symbology, const std::string& data, int left, int top, const std::string& extra = "",
                     const std::string& pageSize = "600x400", const std::string& zintOptions = "") {
    const std::string symbol = scratch_ / "symbol.png";
    bool ok = false;
    RunTool("zint -b " + std::to_string(symbology) + " " + zintOptions + " -d " + Quote(data) + " -o " + Quote(symbol),
            &ok);
    EXPECT_TRUE(ok) << "zint drew nothing";
    const std::string page = scratch_ / "page.png";
    RunTool("convert -size " + pageSize + " xc:white " + Quote(symbol) + " -geometry +" + std::to_string(left) + "+" +
                std::to_string(top) + " -composite -type truecolor " + extra + " " + Quote(page),
            &ok);
    EXPECT_TRUE(ok) << "convert placed nothing";
    return engine_->CreateImageFromFile(page);
  }
  std::pair<int, int> SymbolSize() {
    std::istringstream size(RunTool("identify -format '%w %h' " + Quote(scratch_ / "symbol.png")));
    int w = 0, h = 0;
    size >> w >> h;
    return {w, h};
  }
  ScratchFolder scratch_;
};

TEST_F(BarcodeSymbolsTest, EachSymbologyReadsBackWithValueAndType) {
  VX_REQUIRE_TOOL("zint");
  VX_REQUIRE_TOOL("convert");
  const bool zbar = vxtest::OracleAvailable("zbarimg");
  for (const LinearCase& c : kLinearCases) {
    SCOPED_TRACE(c.name);
    const int32_t id = LoadPlaced(c.zintSymbology, c.data, 40, 30, "", "600x400", c.zintOptions);
    ASSERT_NE(id, 0);
    ASSERT_EQ(engine_->Barcode1DReaderDoScan(vexiro::BestSpeed), vexiro::OK);
    ASSERT_EQ(engine_->Barcode1DReaderGetBarcodeCount(), 1);
    EXPECT_EQ(engine_->Barcode1DReaderGetBarcodeValue(1), c.value);
    EXPECT_EQ(engine_->Barcode1DReaderGetBarcodeType(1), c.type);
    EXPECT_EQ(engine_->Barcode1DReaderBarcodeHasChecksum(1), c.checksum);
    EXPECT_EQ(engine_->Barcode1DReaderGetBarcodeSkewAngle(1), 0);
    if (zbar && c.zbarOptions != nullptr) {
      EXPECT_EQ(ZbarValue(c.zbarOptions, scratch_ / "page.png"), c.zbarValue);
    }
    // zbar told to verify Codabar's check character reads only a symbol whose check verifies.
    if (zbar && c.type == vexiro::Barcode1DReaderCodeabar) {
      const std::string verified = ZbarValue("-Scodabar.add-check=1 -Scodabar.emit-check=0", scratch_ / "page.png");
      EXPECT_EQ(!verified.empty(), c.checksum);
    }
    engine_->CloseImage(id);
  }
}

TEST_F(BarcodeSymbolsTest, AddOnFollowsItsSymbolWithCornersOfItsOwn) {
  VX_REQUIRE_TOOL("zint");
  VX_REQUIRE_TOOL("convert");
  struct AddOnCase {
    const char* data;
    const char* addOn;
    int32_t type;
  } cases[] = {{"123456789012+12", "12", vexiro::Barcode1DReaderADD2},
               {"123456789012+54321", "54321", vexiro::Barcode1DReaderADD5}};
  for (const AddOnCase& c : cases) {
    SCOPED_TRACE(c.data);
    const int32_t id = LoadPlaced(13, c.data, 40, 30);
    ASSERT_EQ(engine_->Barcode1DReaderDoScan(vexiro::BestQuality), vexiro::OK);
    ASSERT_EQ(engine_->Barcode1DReaderGetBarcodeCount(), 2) << "the bare read of the symbol is folded in";
    EXPECT_EQ(engine_->Barcode1DReaderGetBarcodeValue(1), "1234567890128");
    EXPECT_EQ(engine_->Barcode1DReaderGetBarcodeValue(2), c.addOn);
    EXPECT_EQ(engine_->Barcode1DReaderGetBarcodeType(2), c.type);
    EXPECT_FALSE(engine_->Barcode1DReaderBarcodeHasChecksum(2));
    EXPECT_GT(engine_->Barcode1DReaderGetBarcodeX1(2), engine_->Barcode1DReaderGetBarcodeX2(1))
        << "the add-on's corners are its own, after the symbol's (LinearReaderPagesTest measures them)";
    engine_->CloseImage(id);
  }
}

TEST_F(BarcodeSymbolsTest, CornersLieAtThePlacedBarsAndFollowTheRegion) {
  VX_REQUIRE_TOOL("zint");
  VX_REQUIRE_TOOL("convert");
  VX_REQUIRE_TOOL("identify");
  // Code 128 as zint draws it has no quiet zone: its first and last bars are the picture's edges.
  const int32_t id = LoadPlaced(20, "Hello-128", 100, 50);
  const auto [w, h] = SymbolSize();
  ASSERT_EQ(engine_->Barcode1DReaderDoScan(vexiro::BestSpeed), vexiro::OK);
  ASSERT_EQ(engine_->Barcode1DReaderGetBarcodeCount(), 1);
  const int32_t x1 = engine_->Barcode1DReaderGetBarcodeX1(1), y1 = engine_->Barcode1DReaderGetBarcodeY1(1);
  const int32_t x2 = engine_->Barcode1DReaderGetBarcodeX2(1), y2 = engine_->Barcode1DReaderGetBarcodeY2(1);
  const int32_t x3 = engine_->Barcode1DReaderGetBarcodeX3(1), y3 = engine_->Barcode1DReaderGetBarcodeY3(1);
  const int32_t x4 = engine_->Barcode1DReaderGetBarcodeX4(1), y4 = engine_->Barcode1DReaderGetBarcodeY4(1);
  EXPECT_NEAR(x1, 100, 1);
  EXPECT_NEAR(x4, 100, 1);
  EXPECT_NEAR(x2, 100 + w - 1, 1);
  EXPECT_NEAR(x3, 100 + w - 1, 1);
  EXPECT_EQ(y1, y2);
  EXPECT_EQ(y3, y4);
  EXPECT_GE(y1, 50);
  EXPECT_LE(y4, 50 + h - 1);
  EXPECT_LT(y1, y4) << "a linear symbol spans its first and last decoded scan line";

  // Within a region the corners are the region's own: its left and top are not added.
  ImagingTestAccess::SetRegion(*engine_, 80, 20, 400, 300);
  ASSERT_EQ(engine_->Barcode1DReaderDoScan(vexiro::BestSpeed), vexiro::OK);
  ASSERT_EQ(engine_->Barcode1DReaderGetBarcodeCount(), 1);
  EXPECT_EQ(engine_->Barcode1DReaderGetBarcodeX1(1), x1 - 80);
  EXPECT_EQ(engine_->Barcode1DReaderGetBarcodeX3(1), x3 - 80);
  EXPECT_GE(engine_->Barcode1DReaderGetBarcodeY1(1), 30);
  // A region without the symbol finds nothing.
  ImagingTestAccess::SetRegion(*engine_, 0, 0, 90, 400);
  EXPECT_EQ(engine_->Barcode1DReaderDoScan(vexiro::BestSpeed), vexiro::OK);
  EXPECT_EQ(engine_->Barcode1DReaderGetBarcodeCount(), 0);
  ImagingTestAccess::SetWholeImageRegion(*engine_);
  engine_->CloseImage(id);
}

TEST_F(BarcodeSymbolsTest, PageTurnedAQuarterReadsItsSkewInBestQuality) {
  VX_REQUIRE_TOOL("zint");
  VX_REQUIRE_TOOL("convert");
  const struct {
    const char* rotate;
    double skew;
  } cases[] = {{"-rotate 90", 90}, {"-rotate 270", 270}, {"-rotate 180", 180}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.rotate);
    const int32_t id = LoadPlaced(20, "Turned-128", 100, 50, c.rotate);
    ASSERT_EQ(engine_->Barcode1DReaderDoScan(vexiro::BestQuality), vexiro::OK);
    ASSERT_EQ(engine_->Barcode1DReaderGetBarcodeCount(), 1);
    EXPECT_EQ(engine_->Barcode1DReaderGetBarcodeValue(1), "Turned-128");
    EXPECT_EQ(engine_->Barcode1DReaderGetBarcodeSkewAngle(1), c.skew);
    engine_->CloseImage(id);
  }
}

// Scanners deliver 1-bit pages, and those reach the reader in another layout than colour ones. The
// page is large enough to get no upscaled second attempt, which would read a 24-bit copy.
TEST_F(BarcodeSymbolsTest, OneBitPageTurnedAQuarterReadsInBestQuality) {
  VX_REQUIRE_TOOL("zint");
  VX_REQUIRE_TOOL("convert");
  VX_REQUIRE_TOOL("zbarimg");
  const struct {
    const char* rotate;
    double skew;
  } cases[] = {{"-rotate 90", 90}, {"-rotate 270", 270}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.rotate);
    const int32_t id = LoadPlaced(20, "Bilevel-128", 100, 50, c.rotate, "800x600");
    ASSERT_EQ(engine_->ConvertTo1Bpp(), vexiro::OK);
    int32_t bits = 0;
    vx::engine::GetImageBitDepth(engine_->GetNativeImage(), bits);
    ASSERT_EQ(bits, 1);
    const std::string bilevel = scratch_ / "bilevel.tif";
    ASSERT_EQ(engine_->SaveAsTIFF(bilevel), vexiro::OK);
    EXPECT_EQ(ZbarValue("", bilevel), "Bilevel-128") << "the oracle reads the same 1-bit picture";
    ASSERT_EQ(engine_->Barcode1DReaderDoScan(vexiro::BestQuality), vexiro::OK);
    ASSERT_EQ(engine_->Barcode1DReaderGetBarcodeCount(), 1);
    EXPECT_EQ(engine_->Barcode1DReaderGetBarcodeValue(1), "Bilevel-128");
    EXPECT_EQ(engine_->Barcode1DReaderGetBarcodeSkewAngle(1), c.skew);
    engine_->CloseImage(id);
  }
}

// The 2 of 5 symbologies zint draws, each read in both modes, upright and turned half round, in
// the thorough mode turned a quarter, and as if scanned; zint's optional check digit verifies.
TEST_F(BarcodeSymbolsTest, ZintTwoOfFiveSymbolsReadWithTypeValueAndCorners) {
  VX_REQUIRE_TOOL("zint");
  VX_REQUIRE_TOOL("convert");
  VX_REQUIRE_TOOL("identify");
  const struct {
    const char* name;
    int zintSymbology;
    int32_t type;
  } symbologies[] = {{"Industrial", 7, vexiro::Barcode1DReaderIndustrial2of5},
                     {"IATA", 4, vexiro::Barcode1DReaderIata2of5},
                     {"Matrix", 2, vexiro::Barcode1DReaderMatrix2of5},
                     {"Data Logic", 6, vexiro::Barcode1DReaderDataLogic2of5}};
  const struct {
    const char* zintOptions;
    const char* value;
    bool checksum;
  } contents[] = {{"", "2024613", false}, {"--vers=1", "20246136", true}};
  // The page shrunk and blurred stands for a print scanned: element widths are no longer whole
  // multiples of a module.
  const struct {
    const char* transform;
    double skew;
    vexiro::Barcode1DReaderScanMode mode;
    bool placedCorners;
  } placements[] = {{"", 0, vexiro::BestSpeed, true},
                    {"", 0, vexiro::BestQuality, true},
                    {"-rotate 180", 180, vexiro::BestSpeed, false},
                    {"-rotate 90", 90, vexiro::BestQuality, false},
                    {"-rotate 270", 270, vexiro::BestQuality, false},
                    {"-resize 70% -blur 0x0.8", 0, vexiro::BestSpeed, false}};
  for (const auto& symbology : symbologies) {
    for (const auto& content : contents) {
      for (const auto& placement : placements) {
        if (content.checksum && &placement != &placements[0]) continue;  // the check needs one reading
        SCOPED_TRACE(std::string(symbology.name) + " " + content.zintOptions + " " + placement.transform + " mode " +
                     std::to_string(placement.mode));
        const int32_t id =
            LoadPlaced(symbology.zintSymbology, "2024613", 100, 50, placement.transform, "600x400", content.zintOptions);
        ASSERT_EQ(engine_->Barcode1DReaderDoScan(placement.mode), vexiro::OK);
        ASSERT_EQ(engine_->Barcode1DReaderGetBarcodeCount(), 1);
        EXPECT_EQ(engine_->Barcode1DReaderGetBarcodeType(1), symbology.type);
        EXPECT_EQ(engine_->Barcode1DReaderGetBarcodeValue(1), content.value);
        EXPECT_EQ(engine_->Barcode1DReaderBarcodeHasChecksum(1), content.checksum);
        EXPECT_EQ(engine_->Barcode1DReaderGetBarcodeSkewAngle(1), placement.skew);
        if (placement.placedCorners) {
          // Upright, the first and last bars are the placed picture's edges, as for the others.
          const auto [w, h] = SymbolSize();
          EXPECT_NEAR(engine_->Barcode1DReaderGetBarcodeX1(1), 100, 1);
          EXPECT_NEAR(engine_->Barcode1DReaderGetBarcodeX4(1), 100, 1);
          EXPECT_NEAR(engine_->Barcode1DReaderGetBarcodeX2(1), 100 + w - 1, 1);
          EXPECT_NEAR(engine_->Barcode1DReaderGetBarcodeX3(1), 100 + w - 1, 1);
          EXPECT_GE(engine_->Barcode1DReaderGetBarcodeY1(1), 50);
          EXPECT_EQ(engine_->Barcode1DReaderGetBarcodeY1(1), engine_->Barcode1DReaderGetBarcodeY2(1));
          EXPECT_LT(engine_->Barcode1DReaderGetBarcodeY1(1), engine_->Barcode1DReaderGetBarcodeY4(1));
          EXPECT_LE(engine_->Barcode1DReaderGetBarcodeY4(1), 50 + h - 1);
        }
        if (placement.skew == 180) {
          // Turned half round, the symbol's own top-left corner is the page's lower right one.
          const auto [w, h] = SymbolSize();
          EXPECT_NEAR(engine_->Barcode1DReaderGetBarcodeX1(1), 600 - 100 - 1, 1);
          EXPECT_NEAR(engine_->Barcode1DReaderGetBarcodeX2(1), 600 - 100 - w, 1);
          EXPECT_GT(engine_->Barcode1DReaderGetBarcodeY1(1), engine_->Barcode1DReaderGetBarcodeY4(1));
          EXPECT_LE(engine_->Barcode1DReaderGetBarcodeY1(1), 400 - 50 - 1);
        }
        engine_->CloseImage(id);
      }
    }
  }
}

// Thin strokes and digit runs of print are no 2 of 5 symbol, whose start patterns are weak.
TEST_F(BarcodeSymbolsTest, PageOfPrintedTextHoldsNoSymbol) {
  VX_REQUIRE_TOOL("convert");
  const std::string page = scratch_ / "text.png";
  bool ok = false;
  RunTool("convert -size 900x500 xc:white -font Liberation-Sans -pointsize 20 -annotate +20+60 " +
              Quote("Illinois 1111 lll III iii ||| ::: 1234567890\nMinimum illumination 11.11 lllllll IIIIIIII") +
              " -pointsize 36 -annotate +20+300 " + Quote("|||| |||| |l|l|l| 1l1l1l1 IlIlIlIl 0123456789") +
              " -type bilevel " + Quote(page),
          &ok);
  ASSERT_TRUE(ok);
  const int32_t id = engine_->CreateImageFromFile(page);
  ASSERT_NE(id, 0);
  for (const auto mode : {vexiro::BestSpeed, vexiro::BestQuality}) {
    SCOPED_TRACE(mode);
    ASSERT_EQ(engine_->Barcode1DReaderDoScan(mode), vexiro::OK);
    EXPECT_EQ(engine_->Barcode1DReaderGetBarcodeCount(), 0) << engine_->Barcode1DReaderGetBarcodeValue(1);
  }
  engine_->CloseImage(id);
}

// A symbol is read only where a human would trust it: a sliver a few pixels tall reads on too
// few lines, and a 2 of 5 symbol on the picture's edge (which its weak start and stop patterns
// would take for a quiet zone) may be cut off; the same symbols taller and clear of the edge are
// read. The library's readers keep reading symbols drawn flush with the picture, as zint draws them.
TEST_F(BarcodeSymbolsTest, ASymbolIsReadOnlyWhenTallEnoughAndClearOfTheEdge) {
  VX_REQUIRE_TOOL("zint");
  VX_REQUIRE_TOOL("convert");
  VX_REQUIRE_TOOL("identify");
  enum class Place { Clear, LeftEdge, RightEdge };
  const struct {
    const char* name;
    int zintSymbology;
    const char* data;
    int height;  // in modules
    Place place;
    bool read;
  } cases[] = {
      {"Codabar", 18, "A37859B", 1, Place::Clear, false},      {"Codabar", 18, "A37859B", 20, Place::Clear, true},
      {"Code 128", 20, "Hello-128", 1, Place::Clear, false},   {"Code 128", 20, "Hello-128", 20, Place::Clear, true},
      {"Code 128", 20, "Hello-128", 20, Place::LeftEdge, true}, {"Industrial", 7, "2024613", 1, Place::Clear, false},
      {"Industrial", 7, "2024613", 20, Place::Clear, true},    {"Industrial", 7, "2024613", 20, Place::LeftEdge, false},
      {"Industrial", 7, "2024613", 20, Place::RightEdge, false}, {"Data Logic", 6, "2024613", 1, Place::Clear, false},
      {"Data Logic", 6, "2024613", 20, Place::Clear, true},    {"Data Logic", 6, "2024613", 20, Place::LeftEdge, false},
      {"Matrix", 2, "2024613", 20, Place::RightEdge, false},   {"IATA", 4, "2024613", 20, Place::LeftEdge, false},
      {"IATA", 4, "2024613", 20, Place::RightEdge, false},
  };
  for (const auto& c : cases) {
    const std::string options = "--notext --height=" + std::to_string(c.height);
    int left = 40, pageWidth = 600;
    if (c.place == Place::LeftEdge) left = 0;
    if (c.place == Place::RightEdge) {
      engine_->CloseImage(LoadPlaced(c.zintSymbology, c.data, left, 30, "", "600x200", options));
      pageWidth = left + SymbolSize().first;
    }
    for (const auto mode : {vexiro::BestSpeed, vexiro::BestQuality}) {
      SCOPED_TRACE(std::string(c.name) + " " + options + " at " + std::to_string(left) + " on " +
                   std::to_string(pageWidth) + " mode " + std::to_string(mode));
      const int32_t id =
          LoadPlaced(c.zintSymbology, c.data, left, 30, "", std::to_string(pageWidth) + "x200", options);
      ASSERT_NE(id, 0);
      ASSERT_EQ(engine_->Barcode1DReaderDoScan(mode), vexiro::OK);
      EXPECT_EQ(engine_->Barcode1DReaderGetBarcodeCount(), c.read ? 1 : 0) << engine_->Barcode1DReaderGetBarcodeValue(1);
      engine_->CloseImage(id);
    }
  }
}

// Salt and pepper noise is no symbol: a thousand small pages of scattered dots, light on dark and
// dark on light, sparse to dense, in dots of one and of a few pixels, give no symbol in either mode.
TEST_F(BarcodeSymbolsTest, SaltNoisePagesHoldNoSymbol) {
  std::mt19937 random(4307);
  int pagesWithSymbols = 0;
  std::string seen;
  for (int page = 0; page < 1000; ++page) {
    const int width = 48 + static_cast<int>(random() % 161), height = 32 + static_cast<int>(random() % 97);
    const int dot = 1 + static_cast<int>(random() % 3);
    const uint32_t percent = 2 + random() % 60;
    const bool lightDots = page % 2 == 0;
    const int32_t ground = static_cast<int32_t>(lightDots ? 0xFF000000u : 0xFFFFFFFFu);
    const int32_t ink = static_cast<int32_t>(lightDots ? 0xFFFFFFFFu : 0xFF000000u);
    std::vector<int32_t> pixels(static_cast<size_t>(width) * height, ground);
    for (int y = 0; y < height; y += dot)
      for (int x = 0; x < width; x += dot) {
        if (random() % 100 >= percent) continue;
        for (int dy = 0; dy < dot && y + dy < height; ++dy)
          for (int dx = 0; dx < dot && x + dx < width; ++dx) pixels[static_cast<size_t>(y + dy) * width + x + dx] = ink;
      }
    const int32_t id = engine_->CreateNewImage(width, height, 24);
    ASSERT_NE(id, 0);
    auto array = vexiro::BasicArray<int32_t>::FromVector(std::move(pixels));
    ASSERT_EQ(engine_->SetPixelArray(array, 0, 0, width, height), vexiro::OK);
    bool found = false;
    for (const auto mode : {vexiro::BestSpeed, vexiro::BestQuality}) {
      ASSERT_EQ(engine_->Barcode1DReaderDoScan(mode), vexiro::OK);
      for (int32_t n = 1; n <= engine_->Barcode1DReaderGetBarcodeCount(); ++n) {
        found = true;
        seen += "page " + std::to_string(page) + " mode " + std::to_string(mode) + ": type " +
                std::to_string(engine_->Barcode1DReaderGetBarcodeType(n)) + " \"" +
                engine_->Barcode1DReaderGetBarcodeValue(n) + "\"\n";
      }
    }
    pagesWithSymbols += found;
    engine_->CloseImage(id);
  }
  EXPECT_EQ(pagesWithSymbols, 0) << seen;
}

// Symbols no outside tool draws, painted here from their definitions: element patterns bar
// first, "n" narrow and "w" wide, drawn 2 and 5 pixels wide.
class HandMadeTwoOfFiveTest : public EngineTest {
 protected:
  static std::string TwoOfFiveDigit(char digit) {
    static const char* const kTable[10] = {"nnwwn", "wnnnw", "nwnnw", "wwnnn", "nnwnw",
                                           "wnwnn", "nwwnn", "nnnww", "wnnwn", "nwnwn"};
    return kTable[digit - '0'];
  }
  // Industrial 2 of 5: the digits in five bars, each followed by a narrow space.
  static std::string Industrial(const std::string& digits) {
    std::string elements = "wnwnnn";
    for (char d : digits)
      for (char bar : TwoOfFiveDigit(d)) elements += std::string(1, bar) + "n";
    return elements + "wnnnw";
  }
  // BCD Matrix: the Matrix 2 of 5 frame, each digit in binary (weights 1, 2, 4, 8) with an odd
  // parity element, then a narrow gap.
  static std::string BcdMatrix(const std::string& digits) {
    std::string elements = "wnnnnn";
    for (char d : digits) {
      const int value = d - '0';
      int wide = 0;
      for (int bit = 0; bit < 4; ++bit) {
        const bool set = (value >> bit) & 1;
        elements += set ? 'w' : 'n';
        wide += set;
      }
      elements += wide % 2 == 0 ? "wn" : "nn";
    }
    return elements + "wnnnn";
  }
  // The elements painted at (left, top) in the ink colour over the ground colour, with a quiet
  // zone of 12 narrow widths of ground around them; returns the symbol's width.
  int Paint(const std::string& elements, int left, int top, int height, int32_t ink, int32_t ground) {
    int width = 0;
    for (char e : elements) width += e == 'w' ? kWide : kNarrow;
    EXPECT_EQ(engine_->DrawFillRectangle(left - kQuiet, top - kQuiet, width + 2 * kQuiet, height + 2 * kQuiet, ground),
              vexiro::OK);
    int x = left;
    for (size_t i = 0; i < elements.size(); ++i) {
      const int w = elements[i] == 'w' ? kWide : kNarrow;
      if (i % 2 == 0) EXPECT_EQ(engine_->DrawFillRectangle(x, top, w, height, ink), vexiro::OK);
      x += w;
    }
    return width;
  }
  static constexpr int kNarrow = 2, kWide = 5, kQuiet = 12 * kNarrow;
  static constexpr int32_t kBlack = static_cast<int32_t>(0xFF000000u), kWhite = static_cast<int32_t>(0xFFFFFFFFu);
};

TEST_F(HandMadeTwoOfFiveTest, InvertedAndBcdMatrixSymbolsReadInBothModes) {
  const struct {
    const char* name;
    std::string elements;
    int32_t ink, ground;
    int32_t type;
  } symbols[] = {
      {"inverted 2 of 5: Industrial as a negative print", Industrial("4711"), kWhite, kBlack,
       vexiro::Barcode1DReaderInverted2of5},
      {"BCD Matrix", BcdMatrix("0123456789"), kBlack, kWhite, vexiro::Barcode1DReaderBcdMatrix},
  };
  const char* values[] = {"4711", "0123456789"};
  for (size_t k = 0; k < std::size(symbols); ++k) {
    const auto& s = symbols[k];
    for (const auto mode : {vexiro::BestSpeed, vexiro::BestQuality}) {
      SCOPED_TRACE(std::string(s.name) + " mode " + std::to_string(mode));
      const int32_t id = engine_->CreateNewImage(500, 200, 24, kWhite);
      ASSERT_NE(id, 0);
      const int width = Paint(s.elements, 60, 40, 80, s.ink, s.ground);
      ASSERT_EQ(engine_->Barcode1DReaderDoScan(mode), vexiro::OK);
      ASSERT_EQ(engine_->Barcode1DReaderGetBarcodeCount(), 1);
      EXPECT_EQ(engine_->Barcode1DReaderGetBarcodeType(1), s.type);
      EXPECT_EQ(engine_->Barcode1DReaderGetBarcodeValue(1), values[k]);
      EXPECT_EQ(engine_->Barcode1DReaderGetBarcodeSkewAngle(1), 0);
      EXPECT_NEAR(engine_->Barcode1DReaderGetBarcodeX1(1), 60, 1);
      EXPECT_NEAR(engine_->Barcode1DReaderGetBarcodeX3(1), 60 + width - 1, 1);
      EXPECT_GE(engine_->Barcode1DReaderGetBarcodeY1(1), 40);
      EXPECT_LE(engine_->Barcode1DReaderGetBarcodeY3(1), 40 + 80 - 1);
      engine_->CloseImage(id);
    }
  }
}

TEST_F(BarcodeSymbolsTest, DataMatrixSymbolsReadWithRowsColumnsAndCorners) {
  VX_REQUIRE_TOOL("dmtxwrite");
  VX_REQUIRE_TOOL("dmtxread");
  VX_REQUIRE_TOOL("convert");
  const struct {
    const char* name;
    const char* text;
    const char* size;
    const char* turn;
    int32_t rows, columns;
  } cases[] = {
      {"square", "Hello DM", "", "", 14, 14},
      {"rectangle", "Rect symbol", "-s 12x36", "", 12, 36},
      {"turned", "Turned symbol", "", "-background white -rotate 30", 16, 16},
  };
  ScratchFolder scratch;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string symbol = scratch / "dm.png", page = scratch / "dmpage.png";
    bool ok = false;
    RunTool("printf %s " + Quote(c.text) + " | dmtxwrite " + c.size + " -o " + Quote(symbol), &ok);
    ASSERT_TRUE(ok);
    RunTool("convert " + Quote(symbol) + " " + c.turn + " -type truecolor " + Quote(page), &ok);
    ASSERT_TRUE(ok);
    // dmtxread prints its details on standard error.
    const auto expected = DmtxCorners(RunTool("sh -c " + Quote("dmtxread -v " + Quote(page) + " 2>&1")));
    ASSERT_EQ(expected.size(), 4u);
    const int32_t id = engine_->CreateImageFromFile(page);
    ASSERT_EQ(engine_->BarcodeDataMatrixReaderDoScan(vexiro::BestSpeed), vexiro::OK);
    ASSERT_EQ(engine_->BarcodeDataMatrixReaderGetBarcodeCount(), 1);
    EXPECT_EQ(engine_->BarcodeDataMatrixReaderGetBarcodeValue(1), c.text);
    EXPECT_EQ(engine_->BarcodeDataMatrixReaderGetBarcodeRows(1), c.rows);
    EXPECT_EQ(engine_->BarcodeDataMatrixReaderGetBarcodeColumns(1), c.columns);
    // X1, Y1 is the symbol's top-left, then clockwise: dmtxread's corners 3, 2, 1, 0.
    const int32_t got[8] = {
        engine_->BarcodeDataMatrixReaderGetBarcodeX1(1), engine_->BarcodeDataMatrixReaderGetBarcodeY1(1),
        engine_->BarcodeDataMatrixReaderGetBarcodeX2(1), engine_->BarcodeDataMatrixReaderGetBarcodeY2(1),
        engine_->BarcodeDataMatrixReaderGetBarcodeX3(1), engine_->BarcodeDataMatrixReaderGetBarcodeY3(1),
        engine_->BarcodeDataMatrixReaderGetBarcodeX4(1), engine_->BarcodeDataMatrixReaderGetBarcodeY4(1)};
    for (int k = 0; k < 4; ++k) {
      EXPECT_NEAR(got[2 * k], expected[3 - k].first, 1.0) << "corner " << k + 1;
      EXPECT_NEAR(got[2 * k + 1], expected[3 - k].second, 1.0) << "corner " << k + 1;
    }
    engine_->CloseImage(id);
  }
}

// Pages with several symbols (square, rectangular, turned, small, beside text) at 300 dpi, where
// the least symbol edge is 30 pixels: the reader reports what the library's own scan of the
// whole page reports, as dmtxread runs it, symbol for symbol and in the same order.
TEST_F(BarcodeSymbolsTest, DataMatrixPagesGiveWhatAWholePageScanGivesInItsOrder) {
  VX_REQUIRE_TOOL("dmtxwrite");
  VX_REQUIRE_TOOL("dmtxread");
  VX_REQUIRE_TOOL("convert");
  struct Placed {
    const char* text;
    const char* write;  // dmtxwrite's options
    const char* turn;   // convert's options for the symbol alone
    int left, top;
  };
  const struct {
    const char* name;
    const char* size;
    std::vector<Placed> symbols;
    const char* extra;  // drawn on the page after the symbols
  } pages[] = {
      {"four squares on white", "1240x1754",
       {{"Symbol 0", "-m 8", "", 150, 200}, {"Symbol 1", "-m 8", "", 650, 200}, {"Symbol 2", "-m 8", "", 150, 950},
        {"Symbol 3", "-m 8", "", 650, 950}},
       ""},
      {"turned, small and rectangular beside text", "1200x1500",
       {{"Turned thirty", "-d 4", "-background white -rotate 30", 80, 60},
        {"Turned back", "-d 4", "-background white -rotate -75", 700, 500},
        {"Small", "-d 4", "", 200, 900},
        {"A rectangle", "-s 16x48", "", 500, 1200},
        {"Large one of many modules", "-d 9", "", 650, 40}},
       "-font DejaVu-Sans -pointsize 24 -fill black -annotate +60+600 'Words and numbers 4711 0815 beside symbols' "
       "-annotate +60+700 'and a second line of text to scan through'"},
  };
  ScratchFolder scratch;
  for (const auto& p : pages) {
    SCOPED_TRACE(p.name);
    const std::string page = scratch / "page.png";
    std::string compose = "convert -size " + std::string(p.size) + " xc:white";
    for (size_t i = 0; i < p.symbols.size(); ++i) {
      const Placed& s = p.symbols[i];
      const std::string drawn = scratch / ("s" + std::to_string(i) + ".png");
      bool ok = false;
      RunTool("printf %s " + Quote(s.text) + " | dmtxwrite " + s.write + " -o " + Quote(drawn), &ok);
      ASSERT_TRUE(ok) << s.text;
      RunTool("convert " + Quote(drawn) + " " + s.turn + " " + Quote(drawn), &ok);
      ASSERT_TRUE(ok) << s.text;
      compose += " " + Quote(drawn) + " -geometry +" + std::to_string(s.left) + "+" + std::to_string(s.top) + " -composite";
    }
    bool ok = false;
    RunTool(compose + " " + p.extra + " -density 300 -units PixelsPerInch -type truecolor " + Quote(page), &ok);
    ASSERT_TRUE(ok);
    const auto expected = DmtxreadSymbols(page, 30);
    ASSERT_EQ(expected.size(), p.symbols.size()) << "dmtxread should find every symbol";
    const int32_t id = engine_->CreateImageFromFile(page);
    ASSERT_EQ(engine_->BarcodeDataMatrixReaderDoScan(vexiro::BestSpeed), vexiro::OK);
    ASSERT_EQ(engine_->BarcodeDataMatrixReaderGetBarcodeCount(), static_cast<int32_t>(expected.size()));
    for (int32_t n = 1; n <= static_cast<int32_t>(expected.size()); ++n) {
      const DmtxSymbol& e = expected[n - 1];
      SCOPED_TRACE(e.value);
      EXPECT_EQ(engine_->BarcodeDataMatrixReaderGetBarcodeValue(n), e.value);
      EXPECT_EQ(engine_->BarcodeDataMatrixReaderGetBarcodeRows(n), e.rows);
      EXPECT_EQ(engine_->BarcodeDataMatrixReaderGetBarcodeColumns(n), e.columns);
      ASSERT_EQ(e.corners.size(), 4u);
      const int32_t got[8] = {
          engine_->BarcodeDataMatrixReaderGetBarcodeX1(n), engine_->BarcodeDataMatrixReaderGetBarcodeY1(n),
          engine_->BarcodeDataMatrixReaderGetBarcodeX2(n), engine_->BarcodeDataMatrixReaderGetBarcodeY2(n),
          engine_->BarcodeDataMatrixReaderGetBarcodeX3(n), engine_->BarcodeDataMatrixReaderGetBarcodeY3(n),
          engine_->BarcodeDataMatrixReaderGetBarcodeX4(n), engine_->BarcodeDataMatrixReaderGetBarcodeY4(n)};
      for (int k = 0; k < 4; ++k) {
        EXPECT_NEAR(got[2 * k], e.corners[3 - k].first, 1.0) << "corner " << k + 1;
        EXPECT_NEAR(got[2 * k + 1], e.corners[3 - k].second, 1.0) << "corner " << k + 1;
      }
    }
    engine_->CloseImage(id);
  }
}

}  // namespace
