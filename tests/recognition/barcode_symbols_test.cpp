// Symbols drawn by zint and dmtxwrite, read through the engine and the real reader plug-ins:
// values, types and corners, with zbarimg and dmtxread as the second opinion.
#include <cmath>
#include <regex>
#include <sstream>
#include <string>

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

TEST_F(BarcodeSymbolsTest, AddOnFollowsItsSymbolWithTheSameCorners) {
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
    EXPECT_EQ(engine_->Barcode1DReaderGetBarcodeX1(2), engine_->Barcode1DReaderGetBarcodeX1(1));
    EXPECT_EQ(engine_->Barcode1DReaderGetBarcodeY4(2), engine_->Barcode1DReaderGetBarcodeY4(1));
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

// dmtxread -v prints the corners (x, y) of the symbol's bottom-left, bottom-right, top-right and
// top-left, in that order, with y counted from the top.
std::vector<std::pair<double, double>> DmtxCorners(const std::string& text) {
  std::vector<std::pair<double, double>> corners;
  const std::regex corner(R"(Corner \d: \(([-0-9.]+), ([-0-9.]+)\))");
  for (std::sregex_iterator it(text.begin(), text.end(), corner), end; it != end; ++it)
    corners.emplace_back(std::stod((*it)[1]), std::stod((*it)[2]));
  return corners;
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

}  // namespace
