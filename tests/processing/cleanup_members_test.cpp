// Border detection and cropping on small synthetic pages: margins, scanner edges, frames and
// uniform pages, in 24-bit, 1-bit and indexed formats.
#include <gtest/gtest.h>

#include <functional>
#include <limits>

#include "engine/store_internal.h"
#include "processing/filter_test_support.h"

namespace vexiro {
namespace {

using namespace vx::processing::filter_test;
namespace gp = vx::gdiplus;

constexpr ARGB kWhite = 0xFFFFFFFF, kBlack = 0xFF000000, kInk = 0xFF202020, kGrey = 0xFF808080;
constexpr ARGB kRed = 0xFFFF0000, kBlue = 0xFF0000FF;

// A rectangle of one colour painted on the page.
struct Band {
  int32_t x, y, w, h;
  ARGB colour;
};

// The text block of the test page: 12 white rows above it, 7 columns left, 5 right, 3 below.
constexpr Band kText{7, 12, 48, 25, kInk};
// The picture inside a frame 5 wide.
constexpr Band kInner{10, 10, 40, 20, kInk};
constexpr int32_t kW = 60, kH = 40;

std::function<ARGB(int32_t, int32_t)> Painter(ARGB background, std::vector<Band> bands) {
  return [background, bands](int32_t x, int32_t y) {
    ARGB c = background;
    for (const Band& b : bands)
      if (x >= b.x && x < b.x + b.w && y >= b.y && y < b.y + b.h) c = b.colour;
    return c;
  };
}

// Images registered in the thread's store; a released slot may stay in it, empty.
int32_t LiveImages() {
  int32_t n = 0;
  for (const vx::engine::ImageRecord& r : vx::engine::ThreadImages()) n += r.ImageID != 0;
  return n;
}

class CleanupMembers : public vx::engine::test_support::EngineTest {
 protected:
  cImaging& E() { return *engine_; }
  int32_t Current() { return SavingTestAccess::Current(E()); }
  void Page(int32_t w, int32_t h, ARGB background, std::vector<Band> bands,
            gp::PixelFormat format = gp::PixelFormat24bppRGB) {
    const int32_t id = MakeFilled(w, h, format, Painter(background, std::move(bands)));
    SavingTestAccess::SetCurrent(E(), id);
  }
  ARGB At(int32_t x, int32_t y) { return static_cast<ARGB>(E().PixelGetColor(x, y)); }
};

// ---- Borders cropped away ----

struct Probe {
  int32_t x, y;
  ARGB colour;
};

struct CropBorderCase {
  const char* what;
  std::vector<Band> bands;
  ARGB background;
  std::function<VexiroStatus(cImaging&)> run;
  VexiroStatus status;
  int32_t width, height;
  Probe probe;  // a pixel of the result that shows which part was kept
  gp::PixelFormat format = gp::PixelFormat24bppRGB;
};

const CropBorderCase kCropBorderCases[] = {
    {"white margins of 12 rows and 7 columns, 5 and 3 on the other sides", {kText}, kWhite,
     [](cImaging& e) { return e.CropWhiteBorders(); }, OK, 48, 25, {0, 0, kInk}},
    {"one grey pixel in the sixth row stops the top count there", {kText, {30, 5, 1, 1, kGrey}}, kWhite,
     [](cImaging& e) { return e.CropWhiteBorders(); }, OK, 48, 32, {23, 0, kGrey}},
    {"two skipped black rows count with the ten white ones after them", {kText, {0, 0, kW, 2, kBlack}}, kWhite,
     [](cImaging& e) { return e.CropWhiteBorders(100, 2); }, OK, kW, 25, {7, 0, kInk}},
    {"skipped rows followed by a black third row: nothing at the top", {kText, {0, 0, kW, 3, kBlack}}, kWhite,
     [](cImaging& e) { return e.CropWhiteBorders(100, 2); }, OK, kW, 37, {0, 0, kBlack}},
    {"confidence 90: a margin at distance 76 from white counts", {kText, {0, 0, kW, 12, 0xFFE6E6E5}}, kWhite,
     [](cImaging& e) { return e.CropWhiteBorders(90); }, OK, 48, 25, {0, 0, kInk}},
    {"confidence 90: distance 77 is too far", {kText, {0, 0, kW, 12, 0xFFE6E5E5}}, kWhite,
     [](cImaging& e) { return e.CropWhiteBorders(90); }, OK, kW, 37, {0, 0, 0xFFE6E5E5}},
    {"confidence 90: a margin row with 10 % ink still counts", {kText, {20, 3, 6, 1, kInk}}, kWhite,
     [](cImaging& e) { return e.CropWhiteBorders(90); }, OK, 48, 25, {0, 0, kInk}},
    {"confidence 90: a margin row with 12 % ink stops the count", {kText, {20, 3, 7, 1, kInk}}, kWhite,
     [](cImaging& e) { return e.CropWhiteBorders(90); }, OK, 48, 34, {13, 0, kInk}},
    {"black scanner edges of 3, 4, 5 and 2 lines",
     {kText, {0, 0, 4, kH, kBlack}, {0, 0, kW, 3, kBlack}, {55, 0, 5, kH, kBlack}, {0, 38, kW, 2, kBlack}}, kWhite,
     [](cImaging& e) { return e.CropBlackBorders(); }, OK, 51, 35, {3, 9, kInk}},
    {"a 1-bit page is cropped and stays 1-bit", {{7, 12, 48, 25, kBlack}}, kWhite,
     [](cImaging& e) { return e.CropWhiteBorders(); }, OK, 48, 25, {0, 0, kBlack}, gp::PixelFormat1bppIndexed},
    {"a red frame goes by the colour of corner 1",
     {{0, 0, kW, 5, kRed}, {0, 35, kW, 5, kRed}, {0, 0, 5, kH, kRed}, {55, 0, 5, kH, kRed}, kInner}, kWhite,
     [](cImaging& e) { return e.CropBordersEX(100, 1); }, OK, 50, 30, {0, 0, kWhite}},
    {"CropBorders accepts a frame line with 8 % noise",
     {{0, 0, kW, 5, kRed}, {0, 35, kW, 5, kRed}, {0, 0, 5, kH, kRed}, {55, 0, 5, kH, kRed}, kInner, {20, 0, 5, 1, kWhite}},
     kWhite, [](cImaging& e) { return e.CropBorders(); }, OK, 50, 30, {5, 5, kInk}},
    {"corner 3 takes the blue of the bottom right", {kText, {0, 36, kW, 4, kBlue}, {57, 0, 3, kH, kBlue}}, kWhite,
     [](cImaging& e) { return e.CropBordersEX(100, 3); }, OK, 57, 36, {56, 35, kWhite}},
    {"a corner outside 1..4 is corner 1", {kText, {0, 36, kW, 4, kBlue}, {57, 0, 3, kH, kBlue}}, kWhite,
     [](cImaging& e) { return e.CropBordersEX(100, 7); }, OK, kW, kH, {59, 39, kBlue}},
    {"a uniform page cannot lose every line: the crop fails and the page stays", {}, kGrey,
     [](cImaging& e) { return e.CropBordersEX(100, 1); }, InvalidParameter, kW, kH, {0, 0, kGrey}},
};

TEST_F(CleanupMembers, BordersCroppedAway) {
  for (const CropBorderCase& c : kCropBorderCases) {
    SCOPED_TRACE(c.what);
    Page(kW, kH, c.background, c.bands, c.format);
    const int32_t id = Current(), images = LiveImages();
    EXPECT_EQ(c.run(E()), c.status);
    EXPECT_EQ(E().GetStat(), c.status);
    EXPECT_EQ(Current(), id) << "the image keeps its identifier";
    EXPECT_EQ(LiveImages(), images) << "no image is left behind";
    EXPECT_EQ(E().GetWidth(), c.width);
    EXPECT_EQ(E().GetHeight(), c.height);
    EXPECT_EQ(E().GetPixelFormat(), static_cast<int32_t>(c.format));
    EXPECT_EQ(Hex(At(c.probe.x, c.probe.y)), Hex(c.probe.colour));
    vx::engine::ReleaseImage(id);
  }
}

TEST_F(CleanupMembers, PagesUnderTenPixelsAreLeftAlone) {
  using Member = std::function<VexiroStatus(cImaging&)>;
  const Member members[] = {
      [](cImaging& e) { return e.CropWhiteBorders(); }, [](cImaging& e) { return e.CropBlackBorders(); },
      [](cImaging& e) { return e.CropBlackBordersEx(); }, [](cImaging& e) { return e.CropBorders(); },
      [](cImaging& e) { return e.CropBordersEX(100, 2); }};
  for (const Member& run : members) {
    Page(9, kH, kWhite, {{3, 10, 3, 10, kBlack}});
    EXPECT_EQ(run(E()), OK);
    EXPECT_EQ(E().GetWidth(), 9);
    EXPECT_EQ(Hex(At(0, 0)), Hex(kWhite));
    vx::engine::ReleaseImage(Current());
  }
}

// Confidences and skip counts at the ends of the 32-bit range: the walk ends at the page's last
// line instead of wrapping, and the page stays as it was whenever nothing can be cut from it.
TEST_F(CleanupMembers, ExtremeConfidencesAndSkipCountsEndAtThePage) {
  using Member = std::function<VexiroStatus(cImaging&)>;
  constexpr int32_t kMax = std::numeric_limits<int32_t>::max(), kMin = std::numeric_limits<int32_t>::min();
  const struct {
    const char* what;
    Member run;
  } cases[] = {
      {"white, skip all", [](cImaging& e) { return e.CropWhiteBorders(-1, kMax); }},
      {"black, skip all", [](cImaging& e) { return e.CropBlackBorders(kMin, kMax); }},
      {"painted, skip all", [](cImaging& e) { return e.CropBlackBordersEx(kMax, kMax); }},
      {"every line counts: borders cross", [](cImaging& e) { return e.CropWhiteBorders(-1, 0); }},
      {"negative skip", [](cImaging& e) { return e.CropWhiteBorders(100, kMin); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Page(kW, kH, kWhite, {kText});
    c.run(E());
    EXPECT_EQ(E().GetWidth(), kW);
    EXPECT_EQ(E().GetHeight(), kH);
    EXPECT_EQ(Hex(At(kText.x, kText.y)), Hex(kInk));
    vx::engine::ReleaseImage(Current());
  }
}

// ---- Borders reported ----

struct ReportCase {
  const char* what;
  std::vector<Band> bands;
  ARGB background;
  int32_t confidence, corner;
  int32_t left, top, width, height;
};

const ReportCase kReportCases[] = {
    {"a red frame 5 wide", {{0, 0, kW, 5, kRed}, {0, 35, kW, 5, kRed}, {0, 0, 5, kH, kRed}, {55, 0, 5, kH, kRed}, kInner},
     kWhite, 100, 1, 5, 5, 50, 30},
    {"no border of the corner's colour", {{0, 0, 1, 1, kRed}}, kWhite, 100, 1, 0, 0, kW, kH},
    {"a uniform page: nothing found on either axis", {}, kGrey, 100, 1, 0, 0, kW, kH},
    {"one dark pixel is all that is left", {{30, 20, 1, 1, kInk}}, kGrey, 100, 1, 30, 20, 1, 1},
    {"columns meet, rows do not: the width is whole", {{0, 20, 7, 1, kInk}}, kGrey, 90, 1, 0, 20, kW, 1},
    {"a confidence outside 0..100 is 98", {kText, {20, 3, 1, 1, kInk}}, kWhite, 101, 1, 7, 12, 48, 25},
};

TEST_F(CleanupMembers, BordersReported) {
  for (const ReportCase& c : kReportCases) {
    SCOPED_TRACE(c.what);
    Page(kW, kH, c.background, c.bands);
    const std::vector<ARGB> before = ArgbPixelsOf(Current());
    int32_t left = -1, top = -1, width = -1, height = -1;
    EXPECT_EQ(E().CropBordersEX2(c.confidence, c.corner, left, top, width, height), OK);
    EXPECT_EQ((std::vector<int32_t>{left, top, width, height}),
              (std::vector<int32_t>{c.left, c.top, c.width, c.height}));
    EXPECT_EQ(ArgbPixelsOf(Current()), before) << "the image is left as it was";
    vx::engine::ReleaseImage(Current());
  }
}

// ---- Black borders painted white ----

gp::ColorPalette GreyPalette() {
  gp::ColorPalette p;
  p.Count = 256;
  for (uint32_t i = 0; i < 256; ++i) p.Entries[i] = 0xFF000000u | i << 16 | i << 8 | i;
  return p;
}

TEST_F(CleanupMembers, BlackBordersPaintedWhiteKeepSizeFormatAndPalette) {
  struct Case {
    gp::PixelFormat format;
    ARGB ink;
  };
  for (const Case& c : {Case{gp::PixelFormat24bppRGB, kInk}, Case{gp::PixelFormat32bppARGB, kInk},
                        Case{gp::PixelFormat1bppIndexed, kBlack}, Case{gp::PixelFormat8bppIndexed, kInk},
                        Case{gp::PixelFormat16bppGrayScale, kInk}}) {
    SCOPED_TRACE(c.format);
    const auto page = Painter(kWhite, {{7, 12, 48, 25, c.ink}, {0, 0, 4, kH, kBlack}, {0, 0, kW, 3, kBlack},
                                       {55, 0, 5, kH, kBlack}, {0, 38, kW, 2, kBlack}});
    const int32_t id = MakeImage(kW, kH, c.format);
    // The 8-bit page is a grey scan, whose palette must survive the painting.
    if (c.format == gp::PixelFormat8bppIndexed) vx::engine::SetImagePaletteRaw(id, GreyPalette());
    const int32_t shape = MakeFilled(kW, kH, gp::PixelFormat32bppARGB, page);
    FillArgb(id, ArgbPixelsOf(shape));
    vx::engine::ReleaseImage(shape);
    SavingTestAccess::SetCurrent(E(), id);
    const std::vector<ARGB> palette = PaletteEntries(id);
    vx::engine::SetImageResolution(id, 150, 300);

    EXPECT_EQ(E().CropBlackBordersEx(), OK);
    EXPECT_EQ(E().GetPixelFormat(), static_cast<int32_t>(c.format));
    EXPECT_EQ(PaletteEntries(id), palette);
    EXPECT_EQ(E().GetHorizontalResolution(), 150);
    EXPECT_EQ(E().GetVerticalResolution(), 300);
    const int32_t expected = MakeFilled(kW, kH, gp::PixelFormat32bppARGB, Painter(kWhite, {{7, 12, 48, 25, c.ink}}));
    EXPECT_EQ(ArgbPixelsOf(id), ArgbPixelsOf(expected)) << "only the black margins turned white";
    vx::engine::ReleaseImage(expected);
    vx::engine::ReleaseImage(id);
  }
}

// ---- Cropping to a rectangle ----

struct CropCase {
  const char* what;
  std::function<VexiroStatus(cImaging&)> run;
  VexiroStatus status;
  int32_t left, top, width, height;  // the part of the 40 x 100 original kept
};

const CropCase kCropCases[] = {
    {"CropTop(10) leaves rows 11..100", [](cImaging& e) { return e.CropTop(10); }, OK, 0, 10, 40, 90},
    {"CropBottom(7)", [](cImaging& e) { return e.CropBottom(7); }, OK, 0, 0, 40, 93},
    {"CropLeft(5)", [](cImaging& e) { return e.CropLeft(5); }, OK, 5, 0, 35, 100},
    {"CropRight(9)", [](cImaging& e) { return e.CropRight(9); }, OK, 0, 0, 31, 100},
    {"Crop to an inner rectangle", [](cImaging& e) { return e.Crop(3, 4, 20, 10); }, OK, 3, 4, 20, 10},
    {"a rectangle leaving the image", [](cImaging& e) { return e.Crop(30, 0, 20, 10); }, InvalidParameter, 0, 0, 40, 100},
    {"an empty rectangle", [](cImaging& e) { return e.Crop(0, 0, 0, 10); }, InvalidParameter, 0, 0, 40, 100},
    {"every line cropped", [](cImaging& e) { return e.CropTop(100); }, InvalidParameter, 0, 0, 40, 100},
    {"a line count no size can lose", [](cImaging& e) { return e.CropLeft(std::numeric_limits<int32_t>::min()); },
     InvalidParameter, 0, 0, 40, 100},
};

TEST_F(CleanupMembers, CropKeepsTheRectangleInTheImagesOwnFormat) {
  const gp::ColorPalette fourColours = PaletteOf({0xFF000000, 0xFF336699, 0xFFCC0000, 0xFFFFFFFF});
  const gp::ColorPalette twoColours = PaletteOf({0xFF000000, 0xFFFFFFFF});
  for (gp::PixelFormat format : {gp::PixelFormat24bppRGB, gp::PixelFormat8bppIndexed, gp::PixelFormat1bppIndexed}) {
    const gp::ColorPalette& palette = format == gp::PixelFormat1bppIndexed ? twoColours : fourColours;
    std::vector<uint8_t> indices(40 * 100);
    for (size_t i = 0; i < indices.size(); ++i) indices[i] = static_cast<uint8_t>((i * 7 + i / 40) % palette.Count);
    for (const CropCase& c : kCropCases) {
      SCOPED_TRACE(std::string(c.what) + ", format " + std::to_string(format));
      const int32_t id = format == gp::PixelFormat24bppRGB ? MakePhoto(40, 100, format)
                                                          : MakeIndexed(40, 100, format, palette, indices);
      SavingTestAccess::SetCurrent(E(), id);
      vx::engine::SetImageResolution(id, 200, 100);
      const std::vector<ARGB> original = ArgbPixelsOf(id);
      const std::vector<ARGB> originalPalette = PaletteEntries(id);
      const int32_t images = LiveImages();
      EXPECT_EQ(c.run(E()), c.status);
      EXPECT_EQ(E().GetStat(), c.status);
      EXPECT_EQ(Current(), id);
      EXPECT_EQ(LiveImages(), images) << "a failed crop leaves no clone behind";
      ASSERT_EQ(E().GetWidth(), c.width);
      ASSERT_EQ(E().GetHeight(), c.height);
      EXPECT_EQ(E().GetPixelFormat(), static_cast<int32_t>(format));
      EXPECT_EQ(PaletteEntries(id), originalPalette);
      EXPECT_EQ(E().GetHorizontalResolution(), 200);
      const std::vector<ARGB> kept = ArgbPixelsOf(id);
      for (int32_t y = 0; y < c.height; ++y)
        for (int32_t x = 0; x < c.width; ++x)
          ASSERT_EQ(kept[size_t(y) * c.width + x], original[size_t(y + c.top) * 40 + x + c.left]) << x << "," << y;
      vx::engine::ReleaseImage(id);
    }
  }
}

TEST_F(CleanupMembers, WithoutAnImageEveryMemberIsAGenericError) {
  using Member = std::function<VexiroStatus(cImaging&)>;
  int32_t l = 0, t = 0, w = 0, h = 0;
  const Member members[] = {
      [](cImaging& e) { return e.CropWhiteBorders(); },   [](cImaging& e) { return e.CropBlackBorders(); },
      [](cImaging& e) { return e.CropBlackBordersEx(); }, [](cImaging& e) { return e.CropBorders(); },
      [](cImaging& e) { return e.CropBordersEX(90); },    [&](cImaging& e) { return e.CropBordersEX2(90, 1, l, t, w, h); },
      [](cImaging& e) { return e.Crop(0, 0, 1, 1); },     [](cImaging& e) { return e.CropTop(1); },
      [](cImaging& e) { return e.CropBottom(1); },        [](cImaging& e) { return e.CropLeft(1); },
      [](cImaging& e) { return e.CropRight(1); }};
  for (const Member& run : members) {
    EXPECT_EQ(run(E()), GenericError);
    EXPECT_EQ(E().GetStat(), GenericError);
  }
}

}  // namespace
}  // namespace vexiro
