// Another image drawn onto the current one: opacity, colour key, clip polygon, logical
// operators and skew, on small fixtures of plain colours.
#include <gtest/gtest.h>

#include <functional>

#include "engine/saving_test_support.h"
#include "platform/gdiplus/graphics.h"
#include "processing/processing_test_access.h"

namespace vexiro {
namespace {

using namespace vx::engine;
using namespace vx::engine::saving_test;
namespace gp = vx::gdiplus;

constexpr ARGB kWhite = 0xFFFFFFFFu, kBlack = 0xFF000000u, kBlue = 0xFF0000FFu, kRed = 0xFFFF0000u;

class Composition : public test_support::EngineTest {
 protected:
  cImaging& E() { return *engine_; }
  // A plain current image of `colour`.
  int32_t Target(int32_t w, int32_t h, ARGB colour = kWhite) {
    const int32_t id = Plain(w, h, colour);
    SavingTestAccess::SetCurrent(E(), id);
    return id;
  }
  static int32_t Plain(int32_t w, int32_t h, ARGB colour, gp::PixelFormat format = gp::PixelFormat32bppARGB) {
    return MakeFilled(w, h, format, [colour](int32_t, int32_t) { return colour; });
  }
  ARGB Pixel(int32_t id, int32_t x, int32_t y) {
    ARGB c = 0;
    EXPECT_EQ(GetImagePixel(id, x, y, c), OK);
    return c;
  }
  static BasicArray<int32_t> Points(std::vector<int32_t> values) {
    BasicArray<int32_t> a({ArrayBound{0, static_cast<int32_t>(values.size())}});
    a.Data() = std::move(values);
    return a;
  }
};

TEST_F(Composition, DrawImageScalesIntoTheDestination) {
  const int32_t target = Target(30, 20);
  const int32_t source = Plain(5, 5, kBlue);
  ASSERT_EQ(E().DrawImage(source, 10, 4, 10, 10, InterpolationModeNearestNeighbor), OK);
  EXPECT_EQ(Pixel(target, 10, 4), kBlue);
  EXPECT_EQ(Pixel(target, 19, 13), kBlue);
  EXPECT_EQ(Pixel(target, 9, 4), kWhite);
  EXPECT_EQ(Pixel(target, 20, 13), kWhite);
  EXPECT_EQ(Pixel(target, 19, 14), kWhite);
  EXPECT_EQ(E().DrawImage(987654, 0, 0, 5, 5), InvalidParameter) << "an unknown source";
}

// An image drawn onto itself reads its pixels as they were before the drawing.
TEST_F(Composition, AnImageDrawnOntoItselfIsDrawnFromACopy) {
  const auto stripes = [](int32_t x, int32_t) { return x % 2 ? kBlack : kWhite; };
  const int32_t id = MakeFilled(16, 4, gp::PixelFormat32bppARGB, stripes);
  SavingTestAccess::SetCurrent(E(), id);
  ASSERT_EQ(E().DrawImageRect(id, 1, 0, 15, 4, 0, 0, 15, 4, InterpolationModeNearestNeighbor), OK);
  for (int32_t x = 1; x < 16; ++x) EXPECT_EQ(Pixel(id, x, 2), stripes(x - 1, 0)) << x;
  EXPECT_EQ(ImageSlotCount(), 1) << "the copy is released";
}

TEST_F(Composition, TransparencyBlendsAndLeavesTheSourceAlone) {
  const int32_t target = Target(20, 20);
  const int32_t source = Plain(10, 10, kBlack);
  // A processing rectangle set for the current image must not limit what the clone gets.
  ProcessingTestAccess::SetRegion(E(), {0, 0, 2, 2});
  ASSERT_EQ(E().DrawImageTransparency(source, 128, 0, 0, 20, 20), OK);
  EXPECT_EQ(ProcessingTestAccess::Region(E()).Width, 2) << "the host's rectangle stays";
  const ARGB corner = Pixel(target, 1, 1), far = Pixel(target, 15, 15);
  EXPECT_EQ(corner, far) << "the whole source is half transparent";
  const int32_t grey = int32_t(far & 0xFF);
  EXPECT_GT(grey, 60);
  EXPECT_LT(grey, 200);
  EXPECT_EQ(Pixel(source, 3, 3), kBlack) << "the source is unchanged";
  EXPECT_EQ(ImageSlotCount(), 2) << "the clone is closed";
  EXPECT_EQ(E().DrawImageTransparency(55555, 128, 0, 0, 5, 5), InvalidParameter);
  EXPECT_EQ(ImageSlotCount(), 2);
}

TEST_F(Composition, ColourKeyLeavesKeyedPixelsOut) {
  const auto halves = [](int32_t x, int32_t) { return x < 5 ? kRed : kBlue; };
  const int32_t source = MakeFilled(10, 10, gp::PixelFormat24bppRGB, halves);
  std::vector<std::vector<ARGB>> results;
  for (const bool ex : {false, true}) {
    const int32_t target = Target(10, 10);
    ASSERT_EQ(ex ? E().DrawImageTransparencyColorEx(source, int32_t(kRed), 100.0f, 0, 0, 10, 10)
                 : E().DrawImageTransparencyColor(source, int32_t(kRed), 0, 0, 10, 10),
              OK);
    EXPECT_EQ(Pixel(target, 2, 5), kWhite) << "the keyed half lets the target through";
    EXPECT_EQ(Pixel(target, 8, 5), kBlue);
    results.push_back(ArgbPixelsOf(target));
  }
  EXPECT_EQ(results[0], results[1]) << "the plain member is the Ex member with threshold 100";
}

TEST_F(Composition, ClipPolygonLimitsTheDrawing) {
  const int32_t target = Target(40, 40);
  const int32_t source = Plain(40, 40, kBlue);
  BasicArray<int32_t> triangle = Points({0, 0, 39, 0, 0, 39});
  ASSERT_EQ(E().DrawImageClipped(source, triangle), OK);
  EXPECT_EQ(Pixel(target, 5, 5), kBlue);
  EXPECT_EQ(Pixel(target, 35, 35), kWhite);
  EXPECT_EQ(Pixel(target, 30, 20), kWhite);
  EXPECT_EQ(Pixel(target, 10, 20), kBlue);
}

TEST_F(Composition, LogicalOperators) {
  struct Case {
    int32_t op;
    ARGB expected;
  };
  // The current image's alpha takes part as any other bits do.
  const ARGB current = 0x80336699u, drawn = 0xFF0F0F0Fu;
  const Case cases[] = {{0, 0x80030609u}, {1, 0xFF3F6F9Fu}, {2, 0x7F3C6996u}, {7, current}};
  for (const Case& c : cases) {
    const int32_t target = Target(12, 8, current);
    const int32_t source = Plain(4, 4, drawn);
    ASSERT_EQ(E().DrawImageOP(source, 2, 2, 6, 4, c.op, InterpolationModeNearestNeighbor), OK) << c.op;
    EXPECT_EQ(Pixel(target, 2, 2), c.expected) << c.op;
    EXPECT_EQ(Pixel(target, 7, 5), c.expected) << c.op;
    EXPECT_EQ(Pixel(target, 8, 5), current) << c.op;
    EXPECT_EQ(Pixel(target, 7, 6), current) << c.op;
    ReleaseImage(target);
    ReleaseImage(source);
  }
  // OR with white gives white; XOR of an image with itself gives transparent black.
  const int32_t target = MakeFilled(9, 7, gp::PixelFormat32bppARGB, [](int32_t x, int32_t y) { return 0xFF000000u | ARGB(x * 999 + y); });
  SavingTestAccess::SetCurrent(E(), target);
  ASSERT_EQ(E().DrawImageOP(target, 0, 0, 9, 7, 2), OK);
  for (const ARGB p : ArgbPixelsOf(target)) ASSERT_EQ(p, 0u);
  const int32_t white = Plain(3, 3, kWhite);
  ASSERT_EQ(E().DrawImageOP(white, 0, 0, 9, 7, 1), OK);
  for (const ARGB p : ArgbPixelsOf(target)) ASSERT_EQ(p, kWhite);
}

// Both rectangles must lie inside their images; nothing changes otherwise.
TEST_F(Composition, OperatorRectanglesAreBounded) {
  struct Case {
    const char* what;
    int32_t dl, dt, dw, dh, sl, st, sw, sh;
    VexiroStatus expected;
  };
  const Case cases[] = {
      {"ends at the right edge", 10, 0, 10, 5, 0, 0, 4, 4, OK},
      {"one pixel further", 11, 0, 10, 5, 0, 0, 4, 4, InvalidParameter},
      {"past the bottom", 0, 6, 5, 5, 0, 0, 4, 4, InvalidParameter},
      {"negative destination", -1, 0, 5, 5, 0, 0, 4, 4, InvalidParameter},
      {"negative source", 0, 0, 5, 5, 0, -2, 4, 4, InvalidParameter},
      {"source past its image", 0, 0, 5, 5, 1, 0, 4, 4, InvalidParameter},
      {"empty destination", 0, 0, 0, 5, 0, 0, 4, 4, InvalidParameter},
      {"empty source", 0, 0, 5, 5, 0, 0, 4, 0, InvalidParameter},
  };
  const int32_t target = Target(20, 10);
  const int32_t source = Plain(4, 4, kBlack);
  for (const Case& c : cases) {
    const std::vector<ARGB> before = ArgbPixelsOf(target);
    EXPECT_EQ(E().DrawImageOPRect(source, c.dl, c.dt, c.dw, c.dh, c.sl, c.st, c.sw, c.sh, 0), c.expected) << c.what;
    if (c.expected != OK) {
      EXPECT_EQ(ArgbPixelsOf(target), before) << c.what;
    }
  }
  EXPECT_EQ(Pixel(target, 19, 4), kBlack);
  EXPECT_EQ(ImageSlotCount(), 2) << "no temporary bitmap stays";
}

TEST_F(Composition, SkewingMapsCornersOntoAParallelogram) {
  const int32_t target = Target(40, 40);
  const int32_t source = Plain(10, 10, kBlue);
  ASSERT_EQ(E().DrawImageSkewing(source, 10, 10, 30, 10, 20, 30, InterpolationModeNearestNeighbor), OK);
  EXPECT_EQ(Pixel(target, 12, 12), kBlue);
  EXPECT_EQ(Pixel(target, 28, 12), kBlue);
  EXPECT_EQ(Pixel(target, 12, 27), kWhite) << "left of the slanted edge";
  EXPECT_EQ(Pixel(target, 25, 27), kBlue);
  EXPECT_EQ(Pixel(target, 37, 20), kWhite) << "right of the slanted edge";
}

// A graphics cannot draw on indexed images: composition still lands on them, and the image keeps
// its identifier, its format and its palette.
TEST_F(Composition, IndexedCurrentImagesAreDrawnOnThroughACopy) {
  const int32_t source = Plain(30, 30, kBlack);
  BasicArray<int32_t> square = Points({10, 10, 19, 10, 19, 19, 10, 19});
  const std::function<VexiroStatus()> members[] = {
      [&] { return E().DrawImage(source, 10, 10, 10, 10, InterpolationModeNearestNeighbor); },
      [&] { return E().DrawImageClipped(source, square); },
      [&] { return E().DrawImageSkewing(source, 10, 10, 20, 10, 10, 20, InterpolationModeNearestNeighbor); },
  };
  for (const gp::PixelFormat format : {gp::PixelFormat1bppIndexed, gp::PixelFormat8bppIndexed}) {
    for (size_t m = 0; m < std::size(members); ++m) {
      SCOPED_TRACE("format " + std::to_string(format) + ", member " + std::to_string(m));
      const int32_t target = Plain(30, 30, kWhite, format);
      SavingTestAccess::SetCurrent(E(), target);
      ASSERT_EQ(members[m](), OK);
      EXPECT_EQ(GetImagePixelFormatValue(target), format);
      EXPECT_EQ(Pixel(target, 12, 12), kBlack);
      EXPECT_EQ(Pixel(target, 5, 5), kWhite);
      EXPECT_EQ(Pixel(target, 25, 25), kWhite);
      EXPECT_EQ(ReleaseImage(target), OK);
    }
  }
  EXPECT_EQ(ImageSlotCount(), 1) << "only the source is left";
}

TEST_F(Composition, MembersWithoutACurrentImage) {
  const int32_t source = Plain(4, 4, kBlue);
  BasicArray<int32_t> points = Points({0, 0, 3, 0, 0, 3});
  const std::function<VexiroStatus()> members[] = {
      [&] { return E().DrawImage(source, 0, 0, 4, 4); },
      [&] { return E().DrawImageTransparency(source, 10, 0, 0, 4, 4); },
      [&] { return E().DrawImageTransparencyColor(source, -1, 0, 0, 4, 4); },
      [&] { return E().DrawImageClipped(source, points); },
      [&] { return E().DrawImageOP(source, 0, 0, 4, 4, 1); },
      [&] { return E().DrawImageSkewing(source, 0, 0, 4, 0, 0, 4); },
  };
  for (const auto& member : members) {
    SavingTestAccess::SetStat(E(), OK);
    EXPECT_EQ(member(), GenericError);
    EXPECT_EQ(E().GetStat(), GenericError);
  }
  EXPECT_EQ(ImageSlotCount(), 1);
}

}  // namespace
}  // namespace vexiro
