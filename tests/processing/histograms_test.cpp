#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "processing/filter_test_support.h"
#include "processing/processing_test_access.h"

namespace vexiro {
namespace {

using namespace vx::processing::filter_test;

class Histograms : public vx::engine::test_support::EngineTest {
 protected:
  cImaging& E() { return *engine_; }
  int32_t MakeCurrent(int32_t id) {
    SavingTestAccess::SetCurrent(E(), id);
    return id;
  }
  static int32_t At(const BasicArray<int32_t>& a, int32_t v) { return a(v); }
};

TEST_F(Histograms, CountsEveryChannelOfTheWholeImage) {
  const ARGB black = 0xFF000000, white = 0xFFFFFFFF, red = 0xFFFF0000;
  MakeCurrent(MakeFilled(2, 2, vx::gdiplus::PixelFormat24bppRGB,
                         [&](int32_t x, int32_t y) { return y == 0 ? (x == 0 ? black : white) : red; }));
  ProcessingTestAccess::SetRegion(E(), {0, 0, 1, 1});  // histograms count the whole image
  BasicArray<int32_t> a, r, g, b;
  ASSERT_EQ(E().HistogramGetARGB(a, r, g, b), OK);
  for (const BasicArray<int32_t>* h : {&a, &r, &g, &b}) {
    ASSERT_EQ(h->Rank(), 1);
    EXPECT_EQ(h->LBound(1), 0);
    EXPECT_EQ(h->UBound(1), 255);
  }
  EXPECT_EQ(At(a, 255), 4);
  EXPECT_EQ(At(r, 255), 3);
  EXPECT_EQ(At(r, 0), 1);
  EXPECT_EQ(At(g, 0), 3);
  EXPECT_EQ(At(g, 255), 1);
  EXPECT_EQ(At(b, 0), 3);
  EXPECT_EQ(At(b, 255), 1);
  EXPECT_EQ(At(r, 128), 0);
}

TEST_F(Histograms, CountsAccumulateInArraysThatCoverTheBins) {
  MakeCurrent(MakeFilled(3, 2, vx::gdiplus::PixelFormat32bppARGB, [](int32_t x, int32_t) { return 0x80102030u + x; }));
  BasicArray<int32_t> red;
  ASSERT_EQ(E().HistogramGetRed(red), OK);
  EXPECT_EQ(At(red, 0x10), 6);
  ASSERT_EQ(E().HistogramGetRed(red), OK);
  EXPECT_EQ(At(red, 0x10), 12) << "a second call adds";

  struct Case {
    BasicArray<int32_t> start;
    int32_t expectedAt0x30;  // the blue count afterwards
  };
  BasicArray<int32_t> big({ArrayBound{0, 300}});
  big(0x30) = 5;
  BasicArray<int32_t> shifted({ArrayBound{1, 300}});
  shifted(0x30) = 5;
  BasicArray<int32_t> small({ArrayBound{0, 255}});
  small(0x30) = 5;
  Case cases[] = {
      {big, 2 + 5}, {shifted, 2}, {small, 2}, {BasicArray<int32_t>({ArrayBound{0, 16}, ArrayBound{0, 16}}), 2}};
  for (Case& c : cases) {
    ASSERT_EQ(E().HistogramGetBlue(c.start), OK);
    EXPECT_EQ(c.start(0x30), c.expectedAt0x30);
    EXPECT_EQ(c.start.LBound(1), 0) << "an array not covering 0..255 from 0 is made anew";
  }
  BasicArray<int32_t> alpha;
  ASSERT_EQ(E().HistogramGetAlpha(alpha), OK);
  EXPECT_EQ(At(alpha, 0x80), 6);
  BasicArray<int32_t> green;
  ASSERT_EQ(E().HistogramGetGreen(green), OK);
  EXPECT_EQ(At(green, 0x20), 6);
}

// A failure an earlier member left stands: the channel histograms count nothing and hand it back;
// the arrays are still made ready. The palette histogram asks the image itself and runs anyway.
TEST_F(Histograms, AnEarlierFailureStopsTheChannelHistograms) {
  MakeCurrent(MakeIndexed(2, 1, vx::gdiplus::PixelFormat8bppIndexed, PaletteOf({0xFF000000, 0xFFFFFFFF}), {1, 1}));
  BasicArray<int32_t> kept({ArrayBound{0, 256}});
  kept(0) = 7;
  struct Case {
    const char* name;
    std::function<VexiroStatus(BasicArray<int32_t>&)> call;
  };
  const Case cases[] = {
      {"ARGB", [&](BasicArray<int32_t>& h) { BasicArray<int32_t> r, g, b; return E().HistogramGetARGB(h, r, g, b); }},
      {"red", [&](BasicArray<int32_t>& h) { return E().HistogramGetRed(h); }},
      {"green", [&](BasicArray<int32_t>& h) { return E().HistogramGetGreen(h); }},
      {"blue", [&](BasicArray<int32_t>& h) { return E().HistogramGetBlue(h); }},
      {"alpha", [&](BasicArray<int32_t>& h) { return E().HistogramGetAlpha(h); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    for (VexiroStatus earlier : {GenericError, OutOfMemory, Win32Error}) {
      SavingTestAccess::SetStat(E(), earlier);
      BasicArray<int32_t> fresh;
      EXPECT_EQ(c.call(fresh), earlier);
      EXPECT_EQ(E().GetStat(), earlier);
      ASSERT_EQ(fresh.size(), 256u) << "made ready all the same";
      EXPECT_EQ(std::count(fresh.Data().begin(), fresh.Data().end(), 0), 256);
      EXPECT_EQ(c.call(kept), earlier);
      EXPECT_EQ(At(kept, 0), 7);
      EXPECT_EQ(At(kept, 255), 0);
    }
  }
  SavingTestAccess::SetStat(E(), GenericError);
  BasicArray<int32_t> pal;
  EXPECT_EQ(E().HistogramGet8Bpp(pal), OK);
  EXPECT_EQ(At(pal, 1), 2);
  BasicArray<int32_t> red;
  EXPECT_EQ(E().HistogramGetRed(red), OK) << "once a member succeeded";
  EXPECT_EQ(At(red, 255), 2);
}

TEST_F(Histograms, PaletteIndicesOfEightBitImagesOnly) {
  BasicArray<int32_t> untouched({ArrayBound{0, 3}});
  untouched(1) = 9;
  for (auto format : {vx::gdiplus::PixelFormat24bppRGB, vx::gdiplus::PixelFormat1bppIndexed}) {
    MakeCurrent(MakeImage(5, 3, format));
    EXPECT_EQ(E().HistogramGet8Bpp(untouched), NotIndexedPixelFormat);
    EXPECT_EQ(E().GetStat(), NotIndexedPixelFormat);
    EXPECT_EQ(untouched.size(), 3u);
    EXPECT_EQ(untouched(1), 9);
  }
  // Five pixels a row leave three bytes of padding in every row: they are not counted.
  MakeCurrent(MakeIndexed(5, 2, vx::gdiplus::PixelFormat8bppIndexed, PaletteOf({0xFF000000, 0xFFFFFFFF, 0xFF808080}),
                          {0, 1, 2, 2, 2, 1, 1, 0, 0, 0}));
  BasicArray<int32_t> pal;
  ASSERT_EQ(E().HistogramGet8Bpp(pal), OK);
  EXPECT_EQ(At(pal, 0), 4);
  EXPECT_EQ(At(pal, 1), 3);
  EXPECT_EQ(At(pal, 2), 3);
}

TEST_F(Histograms, NoCurrentImage) {
  BasicArray<int32_t> a, r, g, b;
  EXPECT_EQ(E().HistogramGetARGB(a, r, g, b), GenericError);
  EXPECT_EQ(a.size(), 256u);
  EXPECT_EQ(E().HistogramGet8Bpp(a), GenericError);
}

}  // namespace
}  // namespace vexiro
