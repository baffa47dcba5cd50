// Pages a document-capture user meets, read through the engine and the real linear reader: a
// symbol turned 45 degrees (read in a child process, so that an abort inside the reading library
// cannot take the suite down), symbols anywhere on A4 pages, pages turned by a few degrees or a
// quarter, add-ons and a NUL inside a value. zint draws the symbols, ImageMagick the pages, and
// zbarimg reads the same page as the second opinion where it can.
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <functional>
#include <string>

#include "recognition_test_support.h"

namespace {

using namespace vxtest::recognition;

// The child's exit code, or minus the signal that ended it.
int InChild(const std::function<int()>& work) {
  const pid_t child = fork();
  if (child == 0) _exit(work());
  int status = 0;
  if (child < 0 || waitpid(child, &status, 0) != child) return -1000;
  return WIFSIGNALED(status) ? -WTERMSIG(status) : WEXITSTATUS(status);
}

class LinearReaderPagesTest : public EngineTest {
 protected:
  // zint's symbol (its options and data), placed by convert on a white page, then `transform`ed.
  std::string Page(const std::string& zint, const std::string& size, int left, int top,
                    const std::string& transform = "") {
    const std::string symbol = scratch_ / "symbol.png", page = scratch_ / "page.png";
    bool ok = false;
    RunTool("zint " + zint + " -o " + Quote(symbol), &ok);
    EXPECT_TRUE(ok) << "zint drew nothing: " << zint;
    RunTool("convert -size " + size + " xc:white " + Quote(symbol) + " -geometry +" + std::to_string(left) + "+" +
                std::to_string(top) + " -composite -background white " + transform + " -type truecolor " + Quote(page),
            &ok);
    EXPECT_TRUE(ok) << "convert made no page";
    return page;
  }
  std::string ZbarValue(const std::string& page) {
    std::string out = RunTool("zbarimg -q --raw " + Quote(page));
    while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
    return out;
  }
  int32_t Corner(int32_t n, int k) {
    switch (k) {
      case 0: return engine_->Barcode1DReaderGetBarcodeX1(n);
      case 1: return engine_->Barcode1DReaderGetBarcodeY1(n);
      case 2: return engine_->Barcode1DReaderGetBarcodeX2(n);
      case 3: return engine_->Barcode1DReaderGetBarcodeY2(n);
      case 4: return engine_->Barcode1DReaderGetBarcodeX3(n);
      case 5: return engine_->Barcode1DReaderGetBarcodeY3(n);
      case 6: return engine_->Barcode1DReaderGetBarcodeX4(n);
      default: return engine_->Barcode1DReaderGetBarcodeY4(n);
    }
  }
  ScratchFolder scratch_;
};

// Read in both modes in a child: exit 0 when the thorough mode read exactly the expected value and
// the quick one (which reads no enlarged copy of a small page) ended well.
TEST_F(LinearReaderPagesTest, SymbolTurnedAnEighthReadsWithoutTakingTheHostDown) {
  VX_REQUIRE_TOOL("zint");
  VX_REQUIRE_TOOL("convert");
  const struct {
    const char* name;
    const char* zint;
    const char* value;
    const char* turn;
  } cases[] = {
      {"UPC-E at 45", "-b UPCE --scale=1.5 --height=50 -d 0914081", "09140811", "-rotate 45"},
      {"UPC-E at -45", "-b UPCE --scale=1.5 --height=50 -d 0914081", "09140811", "-rotate -45"},
      {"UPC-E at 135", "-b UPCE --scale=1.5 --height=50 -d 0914081", "09140811", "-rotate 135"},
      {"EAN-13 as tall as long at 45", "-b EANX --height=100 -d 400638133393", "4006381333931", "-rotate 45"},
      {"Code 128 as tall as long at 225", "-b CODE128 --height=110 -d Turned", "Turned", "-rotate 225"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string symbol = scratch_ / "symbol.png", page = scratch_ / "turned.png";
    bool ok = false;
    RunTool(std::string("zint ") + c.zint + " -o " + Quote(symbol), &ok);
    ASSERT_TRUE(ok);
    RunTool("convert " + Quote(symbol) + " -bordercolor white -border 60 -background white " + c.turn + " " + Quote(page),
            &ok);
    ASSERT_TRUE(ok);
    const int32_t id = engine_->CreateImageFromFile(page);
    ASSERT_NE(id, 0);
    const int outcome = InChild([&] {
      if (engine_->Barcode1DReaderDoScan(vexiro::BestSpeed) != vexiro::OK) return 10;
      if (engine_->Barcode1DReaderDoScan(vexiro::BestQuality) != vexiro::OK) return 10;
      const bool read = engine_->Barcode1DReaderGetBarcodeCount() == 1 && engine_->Barcode1DReaderGetBarcodeValue(1) == c.value;
      return read ? 0 : 1;
    });
    EXPECT_EQ(outcome, 0) << "negative: ended by that signal; 1: not read once; 10: a scan failed";
    engine_->CloseImage(id);
  }
}

// A4 at 200 dpi is 1654 x 2339 pixels: a symbol is read wherever it lies on the page.
TEST_F(LinearReaderPagesTest, UprightSymbolReadsAnywhereOnPagesOfEveryHeight) {
  VX_REQUIRE_TOOL("zint");
  VX_REQUIRE_TOOL("convert");
  const bool zbar = vxtest::OracleAvailable("zbarimg");
  const struct {
    int height;
    int top;
  } cases[] = {{1500, 300}, {2000, 1200}, {2339, 1200}, {2339, 1800}};
  for (const auto& c : cases) {
    SCOPED_TRACE("page height " + std::to_string(c.height) + ", symbol at " + std::to_string(c.top));
    const std::string page =
        Page("-b CODE128 --height=40 -d VKYtFoU63VDb", "1654x" + std::to_string(c.height), 400, c.top);
    if (zbar) EXPECT_EQ(ZbarValue(page), "VKYtFoU63VDb");
    const int32_t id = engine_->CreateImageFromFile(page);
    ASSERT_NE(id, 0);
    for (const auto mode : {vexiro::BestSpeed, vexiro::BestQuality}) {
      SCOPED_TRACE(mode);
      ASSERT_EQ(engine_->Barcode1DReaderDoScan(mode), vexiro::OK);
      ASSERT_EQ(engine_->Barcode1DReaderGetBarcodeCount(), 1);
      EXPECT_EQ(engine_->Barcode1DReaderGetBarcodeValue(1), "VKYtFoU63VDb");
      EXPECT_NEAR(engine_->Barcode1DReaderGetBarcodeX1(1), 400, 2);
      EXPECT_GE(engine_->Barcode1DReaderGetBarcodeY1(1), c.top);
      EXPECT_GT(engine_->Barcode1DReaderGetBarcodeY4(1) - engine_->Barcode1DReaderGetBarcodeY1(1), 40)
          << "the box spans the bars, 80 pixels tall";
    }
    engine_->CloseImage(id);
  }
}

// A page turned by a few degrees (convert turns clockwise) reports that turn as its skew, and the
// corners are the turned box: its top side runs at the skew, as long as the symbol, and corner 4
// lies below corner 1 across the bars.
TEST_F(LinearReaderPagesTest, PageTurnedByDegreesReportsTheSkewAndATurnedBox) {
  VX_REQUIRE_TOOL("zint");
  VX_REQUIRE_TOOL("convert");
  VX_REQUIRE_TOOL("identify");
  const std::string symbol = scratch_ / "symbol.png";
  const double symbolWidth = [&] {
    Page("-b CODE128 --height=120 -d Skewed-page", "100x100", 0, 0);
    return std::stod(RunTool("identify -format %w " + Quote(symbol)));
  }();
  const double cases[] = {0, 0.5, 2, 12, 30, -20, 93, 185};
  for (const double turn : cases) {
    SCOPED_TRACE("turned " + std::to_string(turn));
    std::string rotate = "-rotate " + std::to_string(turn);
    const std::string page = Page("-b CODE128 --height=120 -d Skewed-page", "700x600", 150, 150, rotate);
    const int32_t id = engine_->CreateImageFromFile(page);
    ASSERT_NE(id, 0);
    ASSERT_EQ(engine_->Barcode1DReaderDoScan(vexiro::BestQuality), vexiro::OK);
    ASSERT_EQ(engine_->Barcode1DReaderGetBarcodeCount(), 1);
    EXPECT_EQ(engine_->Barcode1DReaderGetBarcodeValue(1), "Skewed-page");
    const double expected = std::fmod(turn + 360, 360);
    double skew = engine_->Barcode1DReaderGetBarcodeSkewAngle(1);
    if (expected < 1 && skew > 359) skew -= 360;
    EXPECT_NEAR(skew, expected, turn == std::floor(turn / 90) * 90 ? 0 : 0.6);
    const double dx = Corner(1, 2) - Corner(1, 0), dy = Corner(1, 3) - Corner(1, 1);
    double side = std::atan2(dy, dx) * 180 / M_PI;
    if (side < -0.5) side += 360;
    EXPECT_NEAR(side, expected, 2) << "the top side runs at the skew";
    EXPECT_NEAR(std::hypot(dx, dy), symbolWidth, 4) << "the top side is as long as the symbol";
    const double ax = Corner(1, 6) - Corner(1, 0), ay = Corner(1, 7) - Corner(1, 1);
    EXPECT_NEAR(dx * ax + dy * ay, 0, 0.05 * std::hypot(dx, dy) * std::hypot(ax, ay)) << "the box is square";
    EXPECT_GT(dx * ay - dy * ax, 0) << "corner 4 lies below corner 1, clockwise";
    engine_->CloseImage(id);
  }
}

// The quick mode reads a page turned a quarter either way when its rows hold nothing.
TEST_F(LinearReaderPagesTest, QuickModeReadsPagesTurnedAQuarter) {
  VX_REQUIRE_TOOL("zint");
  VX_REQUIRE_TOOL("convert");
  const struct {
    const char* zint;
    const char* value;
  } symbols[] = {{"-b CODE128 -d Quarter-128", "Quarter-128"}, {"-b EANX -d 400638133393", "4006381333931"},
                 {"-b C25IND -d 2024613", "2024613"}};
  for (const auto& s : symbols)
    for (const double turn : {90.0, 270.0}) {
      SCOPED_TRACE(std::string(s.zint) + " turned " + std::to_string(turn));
      const int32_t id = engine_->CreateImageFromFile(Page(s.zint, "600x400", 100, 50, "-rotate " + std::to_string(turn)));
      ASSERT_NE(id, 0);
      ASSERT_EQ(engine_->Barcode1DReaderDoScan(vexiro::BestSpeed), vexiro::OK);
      ASSERT_EQ(engine_->Barcode1DReaderGetBarcodeCount(), 1);
      EXPECT_EQ(engine_->Barcode1DReaderGetBarcodeValue(1), s.value);
      EXPECT_EQ(engine_->Barcode1DReaderGetBarcodeSkewAngle(1), turn);
      engine_->CloseImage(id);
    }
}

// An add-on has corners of its own: beside its symbol, in the reading direction, as tall as its
// bars and 20 or 47 modules long.
TEST_F(LinearReaderPagesTest, AddOnsHaveTheirOwnCorners) {
  VX_REQUIRE_TOOL("zint");
  VX_REQUIRE_TOOL("convert");
  const struct {
    const char* data;
    const char* addOn;
    double modules;
    const char* turn;
  } cases[] = {{"123456789012+12", "12", 20, ""},
               {"123456789012+54321", "54321", 47, ""},
               {"123456789012+54321", "54321", 47, "-rotate 180"},
               {"1234567+12", "12", 20, ""}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.data) + " " + c.turn);
    const int32_t id = engine_->CreateImageFromFile(Page(std::string("-b EANX -d ") + c.data, "700x300", 40, 40, c.turn));
    ASSERT_NE(id, 0);
    ASSERT_EQ(engine_->Barcode1DReaderDoScan(vexiro::BestQuality), vexiro::OK);
    ASSERT_EQ(engine_->Barcode1DReaderGetBarcodeCount(), 2);
    ASSERT_EQ(engine_->Barcode1DReaderGetBarcodeValue(2), c.addOn);
    const bool turned = std::string(c.turn).size() > 0;
    const double mainLength = std::abs(Corner(1, 2) - Corner(1, 0));
    const double modules = std::string(c.data).find('+') == 12 ? 95 : 67;
    const double addOnLength = std::abs(Corner(2, 2) - Corner(2, 0));
    EXPECT_NEAR(addOnLength, mainLength / modules * c.modules, 3);
    // The add-on begins 7 to 12 modules after the symbol's last bar.
    const double gap = turned ? Corner(1, 2) - Corner(2, 0) : Corner(2, 0) - Corner(1, 2);
    EXPECT_GE(gap, 6 * mainLength / modules);
    EXPECT_LE(gap, 13 * mainLength / modules);
    EXPECT_GT(std::abs(Corner(2, 7) - Corner(2, 1)), 20) << "as tall as the add-on's bars";
    engine_->CloseImage(id);
  }
}

// The value crosses the plug-in interface as a NUL-terminated text, so a value holding a NUL ends
// there, as the README says; the characters before it are kept.
TEST_F(LinearReaderPagesTest, ValueHoldingANulEndsThere) {
  VX_REQUIRE_TOOL("zint");
  VX_REQUIRE_TOOL("convert");
  const int32_t id = engine_->CreateImageFromFile(Page("-b CODE128 --esc -d 'Hello\\0World'", "600x300", 50, 50));
  ASSERT_NE(id, 0);
  ASSERT_EQ(engine_->Barcode1DReaderDoScan(vexiro::BestSpeed), vexiro::OK);
  ASSERT_EQ(engine_->Barcode1DReaderGetBarcodeCount(), 1);
  EXPECT_EQ(engine_->Barcode1DReaderGetBarcodeValue(1), "Hello");
  engine_->CloseImage(id);
}

}  // namespace
