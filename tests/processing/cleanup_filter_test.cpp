// The bitonal clean-up filters on small drawn pages: '#' black, '.' white, 'g' grey.
#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <string>

#include "processing/filter_test_support.h"
#include "processing/six_by_six_golden_cases.h"

namespace vx::processing {
namespace {

using namespace filter_test;

class CleanupFilters : public engine::test_support::EngineTest {};

using Page = std::vector<std::string>;

ARGB PixelOf(char c) { return c == '#' ? 0xFF000000u : c == 'g' ? 0xFF808080u : 0xFFFFFFFFu; }
char CharOf(ARGB v) { return v == 0xFF000000u ? '#' : v == 0xFFFFFFFFu ? '.' : v == 0xFF808080u ? 'g' : '?'; }

int32_t Draw(const Page& page) {
  return MakeFilled(static_cast<int32_t>(page[0].size()), static_cast<int32_t>(page.size()),
                    gdiplus::PixelFormat32bppARGB, [&](int32_t x, int32_t y) { return PixelOf(page[y][x]); });
}

Page Read(int32_t id) {
  const vexiro::FilterArea a = WholeOf(id);
  const std::vector<ARGB> px = ArgbPixelsOf(id);
  Page page(a.Height, std::string(a.Width, ' '));
  for (int32_t y = 0; y < a.Height; ++y)
    for (int32_t x = 0; x < a.Width; ++x) page[y][x] = CharOf(px[y * a.Width + x]);
  return page;
}

struct Case {
  const char* what;
  int32_t filter;
  double p1, p2;
  Page before, after;
};

const Case kCases[] = {
    {"parasite 4: a lone dot goes", 64, 1, 0,
     {".....", ".....", "..#..", ".....", "....."},
     {".....", ".....", ".....", ".....", "....."}},
    {"parasite 4: a dot in the first row stays, a 2x2 square stays", 64, 1, 0,
     {"..#...", "......", "...##.", "...##.", "......"},
     {"..#...", "......", "...##.", "...##.", "......"}},
    {"parasite 2x2: an isolated square goes", 70, 1, 0,
     {"......", "......", "..##..", "..##..", "......", "......"},
     {"......", "......", "......", "......", "......", "......"}},
    {"parasite 2x2: a square touching another black pixel stays", 70, 1, 0,
     {"......", "......", "..##..", "..###.", "......", "......"},
     {"......", "......", "..##..", "..###.", "......", "......"}},
    {"dilate 8: a dot becomes a 3x3 square", 62, 1, 0,
     {".....", ".....", "..#..", ".....", "....."},
     {".....", ".###.", ".###.", ".###.", "....."}},
    {"dilate 4: a dot becomes a cross", 62, 2, 0,
     {".....", ".....", "..#..", ".....", "....."},
     {".....", "..#..", ".###.", "..#..", "....."}},
    {"dilate vertical: a dot becomes a bar of 3", 62, 3, 0,
     {".....", ".....", "..#..", ".....", "....."},
     {".....", "..#..", "..#..", "..#..", "....."}},
    {"dilate, unknown mode: nothing", 62, 4, 0,
     {".....", ".....", "..#..", ".....", "....."},
     {".....", ".....", "..#..", ".....", "....."}},
    {"erode 4: a 2-pixel line goes, a 3x3 block keeps only its centre, grey turns white", 65, 1, 0,
     {"........", ".##.###.", ".##.###.", ".##.###.", ".##.....", "....g...", "........"},
     {"........", "........", ".....#..", "........", "........", "........", "........"}},
    {"erode 8: a 3x3 block keeps its centre", 65, 2, 0,
     {".......", ".###...", ".###...", ".###...", "......."},
     {".......", ".......", "..#....", ".......", "......."}},
    {"fill hole across: a one-pixel gap in a row closes, the first row too", 66, 1, 0,
     {"#.#..", ".....", "##.##", ".....", "#..#."},
     {"###..", ".....", "#####", ".....", "#..#."}},
    {"fill hole down: a one-pixel gap in a column closes", 66, 2, 0,
     {"#.#..", "....#", "#.#..", "....#", "....."},
     {"#.#..", "#.#.#", "#.#.#", "....#", "....."}},
    {"remove lines 1 across: a thin vertical line goes, a wide shape stays", 69, 1, 1,
     {"..#......", "..#..###.", "..#..###.", "..#......"},
     {".........", ".....###.", ".....###.", "........."}},
    {"remove lines 1 down: a lone dot goes", 69, 2, 1,
     {".....", ".....", "..#..", ".....", "....."},
     {".....", ".....", ".....", ".....", "....."}},
    {"remove lines 2 down: a two-pixel horizontal line goes", 69, 2, 2,
     {"......", "######", "######", "......", ".##...", ".##...", ".##..."},
     {"......", "......", "......", "......", ".##...", ".##...", ".##..."}},
    {"remove lines 3 down: a thick line goes only from the third row on", 69, 2, 3,
     {"....", "####", "####", "####", "....", "####", "####", "####", "....", "...."},
     {"....", "####", "####", "####", "....", "....", "....", "....", "....", "...."}},
    {"remove lines, unknown width: nothing", 69, 1, 4,
     {"......", ".####.", "......"},
     {"......", ".####.", "......"}},
    {"despeckle: a white dot in black goes, a straight edge stays", 61, 0, 0,
     {"#####...", "#####...", "##.##...", "#####...", "#####..."},
     {"#####...", "#####...", "#####...", "#####...", "#####..."}},
};

TEST_F(CleanupFilters, EachCleanupMatchesItsDrawnResult) {
  for (const Case& c : kCases) {
    const int32_t id = Draw(c.before);
    ASSERT_EQ(Filter(c.filter, id, {c.p1, c.p2}), vexiro::OK) << c.what;
    EXPECT_EQ(Read(id), c.after) << c.what;
    engine::ReleaseImage(id);
  }
}

TEST_F(CleanupFilters, AreasTooSmallForTheirNeighbourhoodStayUnchanged) {
  for (int32_t filter : {25, 26, 27, 61, 63, 64, 70, 24}) {
    const int32_t id = Draw({"#.#.", ".#.#"});
    ASSERT_EQ(Filter(filter, id, {1, 1}), vexiro::OK) << filter;
    EXPECT_EQ(Read(id), (Page{"#.#.", ".#.#"})) << filter;
    engine::ReleaseImage(id);
  }
}

TEST_F(CleanupFilters, GreyMorphologyAndDistortionsMatchTheirTables) {
  ExpectGoldenTable(kSixBySixCases, kSixBySixFixture, 6,
                    [](const SixBySixCase& c) { return Params{c.p1, c.p2, c.p3}; });
}

}  // namespace
}  // namespace vx::processing

namespace vx::processing {
namespace {

using namespace filter_test;

class DistortionFilters : public engine::test_support::EngineTest {};

// Whole-image distortions paint what receives nothing white; inside a smaller area those pixels
// keep what they had.
TEST_F(DistortionFilters, PixelsThatReceiveNothingTurnWhiteOnlyOnTheWholeImage) {
  const ARGB red = 0xFFFF0000, white = 0xFFFFFFFF;
  struct Case {
    int32_t filter;
    double p1;
  };
  for (const Case c : {Case{55, 100}, Case{56, 0}}) {
    for (const bool whole : {true, false}) {
      const int32_t id = MakeFilled(9, 9, gdiplus::PixelFormat32bppARGB, [&](int32_t, int32_t) { return red; });
      vexiro::FilterArea area = whole ? WholeOf(id) : vexiro::FilterArea{0, 0, 8, 8};
      ASSERT_EQ(FilterIn(c.filter, id, area, {c.p1}), vexiro::OK);
      const std::vector<ARGB> got = ArgbPixelsOf(id);
      EXPECT_EQ(std::count(got.begin(), got.end(), white) > 0, whole) << c.filter << " whole " << whole;
      engine::ReleaseImage(id);
    }
  }
}

TEST_F(DistortionFilters, ArgumentsThatStopTheFilterLeaveTheImageUnchanged) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  struct Case {
    const char* what;
    int32_t filter, height;
    Params p;
  };
  const Case cases[] = {
      {"rounded mirror on one row", 56, 1, {}},
      {"twirl of no number", 55, 6, {nan}},
      {"swirl of no number", 57, 6, {nan}},
      {"waves of a huge amplitude", 37, 6, {0, 1e300, 1}},
      {"waves of no number", 38, 6, {0, nan, 1}},
      {"dilate of no number", 62, 6, {nan}},
      {"remove lines of a huge width", 69, 6, {1, 1e300}},
  };
  for (const Case& c : cases) {
    const int32_t id = MakePhoto(6, c.height);
    const std::vector<ARGB> before = ArgbPixelsOf(id);
    EXPECT_EQ(Filter(c.filter, id, c.p), vexiro::GenericError) << c.what;
    EXPECT_EQ(ArgbPixelsOf(id), before) << c.what;
    engine::ReleaseImage(id);
  }
}

}  // namespace
}  // namespace vx::processing
