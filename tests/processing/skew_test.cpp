// Skew measure on synthetic text pages turned by ImageMagick, 24-bit and 1-bit, and the rule that
// accepts or rejects the strongest lines.
#include <gtest/gtest.h>

#include <cmath>

#include "processing/cleanup/skew_detection.h"
#include "processing/filter_test_support.h"

namespace vexiro {
namespace {

using namespace vx::processing::filter_test;
namespace gp = vx::gdiplus;
using vx::processing::cAutoDeskew;

constexpr int32_t kPageW = 400, kPageH = 300;

// Lines of "words": dark bars 5 pixels high whose lower edges share a baseline every 22 rows.
ARGB TextPage(int32_t x, int32_t y) {
  const int32_t line = (y - 30) / 22, inLine = (y - 30) % 22;
  if (y < 30 || y >= kPageH - 30 || inLine >= 5 || x < 20 || x >= kPageW - 20) return 0xFFFFFFFF;
  // Word lengths 12..39 and gaps of 8 follow one another along the line.
  int32_t start = 20 + (line * 13) % 17;
  for (int32_t word = 0; start < kPageW - 20; ++word) {
    const int32_t length = 12 + (word * 11 + line * 5) % 28;
    if (x >= start && x < start + length) return 0xFF101010;
    start += length + 8;
  }
  return 0xFFFFFFFF;
}

class SkewMeasure : public vx::engine::test_support::EngineTest {
 protected:
  cImaging& E() { return *engine_; }
  void Current(int32_t id) { SavingTestAccess::SetCurrent(E(), id); }

  // The text page turned clockwise by `degrees` about its centre, the corners white, loaded back
  // as the current image at 24 bits, 1 bit or as 8-bit grey.
  void TurnedPage(double degrees, int32_t depth) {
    const bool oneBit = depth == 1;
    Current(MakeFilled(kPageW, kPageH, gp::PixelFormat24bppRGB, TextPage));
    const std::string flat = folder_.File("flat.png"), turned = folder_.File("turned.png");
    ASSERT_EQ(E().SaveAsPNG(flat), OK);
    vx::engine::ReleaseImage(SavingTestAccess::Current(E()));
    const std::string output = oneBit ? " -threshold 50% -type bilevel 'png:" : " 'png24:";
    Shell("convert '" + flat + "' -background white -rotate " + std::to_string(degrees) +
          " -gravity center -extent 400x300 +repage" + output + turned + "'");
    ASSERT_NE(E().CreateImageFromFile(turned), 0);
    if (depth == 8) ASSERT_EQ(E().ConvertTo8BppGrayScale(), OK);
    ASSERT_EQ(E().GetPixelDepth(), depth);
  }
  bool CornersWhite() {
    const int32_t w = E().GetWidth() - 1, h = E().GetHeight() - 1;
    for (auto [x, y] : {std::pair{0, 0}, std::pair{w, 0}, std::pair{0, h}, std::pair{w, h}})
      if (static_cast<ARGB>(E().PixelGetColor(x, y)) != 0xFFFFFFFFu) return false;
    return true;
  }

  ScratchFolder folder_;
};

struct TurnCase {
  double degrees;
  int32_t depth;
};
const TurnCase kTurns[] = {{3, 24}, {-3, 24}, {3, 1}, {-3, 1}, {-3, 8}};

TEST_F(SkewMeasure, TurnedTextPagesMeasureWithinAFifthOfADegree) {
  VX_REQUIRE_TOOL("convert");
  for (const TurnCase c : kTurns) {
    SCOPED_TRACE(std::to_string(c.degrees) + " degrees, " + std::to_string(c.depth) + " bits");
    TurnedPage(c.degrees, c.depth);
    EXPECT_NEAR(E().GetSkewAngle(), c.degrees, 0.2);
    EXPECT_EQ(E().GetStat(), OK);
    vx::engine::ReleaseImage(SavingTestAccess::Current(E()));
  }
}

TEST_F(SkewMeasure, AutoDeskewTurnsPagesBackKeepingSizeDepthAndWhiteCorners) {
  VX_REQUIRE_TOOL("convert");
  for (const TurnCase c : kTurns) {
    SCOPED_TRACE(std::to_string(c.degrees) + " degrees, " + std::to_string(c.depth) + " bits");
    TurnedPage(c.degrees, c.depth);
    ASSERT_TRUE(CornersWhite());
    EXPECT_EQ(E().AutoDeskew(), OK);
    EXPECT_EQ(E().GetWidth(), kPageW);
    EXPECT_EQ(E().GetHeight(), kPageH);
    EXPECT_EQ(E().GetPixelDepth(), c.depth);
    if (c.depth == 8) EXPECT_EQ(E().ColorPaletteGetType() & ColorPaletteTypeGrayScale, ColorPaletteTypeGrayScale);
    EXPECT_TRUE(CornersWhite()) << "what the turn uncovers is white";
    EXPECT_NEAR(E().GetSkewAngle(), 0.0, 0.2);
    vx::engine::ReleaseImage(SavingTestAccess::Current(E()));
  }
}

TEST_F(SkewMeasure, AutoDeskewLeavesLevelPagesAndRefusesSmallOnes) {
  Current(MakeFilled(kPageW, kPageH, gp::PixelFormat24bppRGB, TextPage));
  const std::vector<ARGB> level = ArgbPixelsOf(SavingTestAccess::Current(E()));
  EXPECT_EQ(E().AutoDeskew(), OK);
  EXPECT_EQ(ArgbPixelsOf(SavingTestAccess::Current(E())), level);
  vx::engine::ReleaseImage(SavingTestAccess::Current(E()));

  Current(MakeFilled(50, kPageH, gp::PixelFormat24bppRGB, TextPage));
  const std::vector<ARGB> narrow = ArgbPixelsOf(SavingTestAccess::Current(E()));
  EXPECT_EQ(E().AutoDeskew(), Aborted);
  EXPECT_EQ(E().GetStat(), Aborted);
  EXPECT_EQ(ArgbPixelsOf(SavingTestAccess::Current(E())), narrow);
  vx::engine::ReleaseImage(SavingTestAccess::Current(E()));

  Current(0);
  EXPECT_EQ(E().AutoDeskew(), GenericError);
}

TEST_F(SkewMeasure, PagesWithoutLinesOrTooSmall) {
  struct Case {
    const char* what;
    int32_t w, h;
    VexiroStatus status;
  };
  for (const Case& c : {Case{"a blank page has no skew, not the first angle searched", 120, 90, OK},
                        Case{"50 pixels wide", 50, 90, Aborted},
                        Case{"50 pixels high", 120, 50, Aborted},
                        Case{"51 pixels a side is enough", 51, 51, OK}}) {
    SCOPED_TRACE(c.what);
    Current(MakeFilled(c.w, c.h, gp::PixelFormat32bppARGB, [](int32_t, int32_t) { return 0xFFFFFFFFu; }));
    EXPECT_EQ(E().GetSkewAngle(), 0.0);
    EXPECT_EQ(E().GetStat(), c.status);
    vx::engine::ReleaseImage(SavingTestAccess::Current(E()));
  }
  Current(0);
  EXPECT_EQ(E().GetSkewAngle(), 0.0);
  EXPECT_EQ(E().GetStat(), GenericError);
}

TEST_F(SkewMeasure, LevelTextIsNotSkewed) {
  Current(MakeFilled(kPageW, kPageH, gp::PixelFormat24bppRGB, TextPage));
  EXPECT_EQ(E().GetSkewAngle(), 0.0);
  EXPECT_EQ(E().GetStat(), OK);
}

TEST(SkewAgreement, TheStrongestLinesMustAgree) {
  struct Case {
    const char* what;
    std::vector<double> angles;
    double accepted;
  };
  const Case cases[] = {
      {"five at 1 and five at 3: mean 2, spread 2", {1, 1, 1, 1, 1, 3, 3, 3, 3, 3}, 2.0},
      {"five at 0.2 and five at 1.2: spread 1 exceeds the mean 0.7", {0.2, 0.2, 0.2, 0.2, 0.2, 1.2, 1.2, 1.2, 1.2, 1.2}, 0},
      {"a spread of 4 is too wide", {-1, -1, -1, -1, -1, 3, 3, 3, 3, 3}, 0},
      {"all at -20", std::vector<double>(10, -20.0), -20.0},
      {"three lines only are averaged among themselves", {-2.0, -2.2, -2.4}, -2.2},
      {"no line at all", {}, 0},
  };
  for (const Case& c : cases) EXPECT_NEAR(cAutoDeskew::AgreedAngle(c.angles), c.accepted, 1e-9) << c.what;
}

}  // namespace
}  // namespace vexiro
