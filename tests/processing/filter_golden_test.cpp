#include <gtest/gtest.h>

#include "processing/filter_golden_cases.h"
#include "processing/filter_test_support.h"

namespace vx::processing {
namespace {

using namespace filter_test;

class FilterGolden : public engine::test_support::EngineTest {};

TEST_F(FilterGolden, EveryDeterministicFilterMatchesItsTable) {
  ExpectGoldenTable(kGoldenCases, kGoldenFixture, 4,
                    [](const GoldenCase& c) { return Params{c.p1, c.p2, c.p3, c.p4, c.f1, c.f2, c.f3}; });
}

TEST_F(FilterGolden, PatternReplacementFindsRedInTheCopyAndGreenBlueInTheArray) {
  // An all-white neighbourhood is replaced; the replacement of one block then decides whether
  // the overlapping blocks to its right still match.
  struct Case {
    ARGB replacement;
    std::vector<ARGB> row;  // every row of the 5 x 3 result
  };
  const ARGB white = 0xFFFFFFFF;
  const Case cases[] = {
      // Red stays 255 in the copy and green and blue stay 255 in the array: all three blocks match.
      {0xFF00FFFF, {0xFF00FFFF, 0xFF00FFFF, 0xFF00FFFF, 0xFF00FFFF, 0xFF00FFFF}},
      // Green and blue of the first block become 0 in the array: the next blocks fail.
      {0xFFFF0000, {0xFFFF0000, 0xFFFF0000, 0xFFFF0000, white, white}},
  };
  for (const Case& c : cases) {
    FilterPattern pattern;
    pattern.fill(white);
    for (int k = 9; k < 18; ++k) pattern[k] = c.replacement;
    SetFilterPattern(pattern);
    const int32_t id = MakeFilled(5, 3, gdiplus::PixelFormat32bppARGB, [&](int32_t, int32_t) { return white; });
    ASSERT_EQ(Filter(FilterIDMatrix3x3, id), vexiro::OK);
    const std::vector<ARGB> got = ArgbPixelsOf(id);
    for (int32_t y = 0; y < 3; ++y)
      EXPECT_EQ(std::vector<ARGB>(got.begin() + 5 * y, got.begin() + 5 * y + 5), c.row) << std::hex << c.replacement;
    engine::ReleaseImage(id);
  }
}

TEST_F(FilterGolden, Measures) {
  struct Case {
    int32_t filter;
    double p2;
    std::vector<ARGB> pixels;
    double expected;
  };
  const ARGB white = 0xFFFFFFFF, black = 0xFF000000;
  std::vector<ARGB> page(1000, white);
  page[0] = 0x00FFFFFF;
  std::vector<ARGB> onePercent = page, lessThanOne = page;
  for (int i = 0; i < 10; ++i) onePercent[100 + i] = black;
  for (int i = 0; i < 9; ++i) lessThanOne[100 + i] = black;
  const Case cases[] = {
      {FilterIDIsGrayscale, 0, {0xFF101010, 0x00202020}, 1.0},
      {FilterIDIsGrayscale, 0, {0xFF101010, 0xFF101011}, 0.0},
      {59, 0, {white, black, 0x00000000}, 1.0},
      {59, 0, {white, 0xFFFF0000}, 0.0},
      {FilterIDIsBlank, 99, onePercent, 0.0},   // 99.0 is not above 99
      {FilterIDIsBlank, 99, lessThanOne, 1.0},  // 99.1
      {FilterIDCountColor,
       static_cast<double>(static_cast<int32_t>(0xFF102030)),
       {0xFF102030, 0xFE102030, 0xFF102030},
       2.0},
      // Means 127.5 -> 128 and 0.5 -> 0 (halves to even): alpha 255, red 128, green 0, blue 2.
      {FilterIDGetAverageColor, 0, {0xFFFF0001, 0xFF000103}, static_cast<double>(static_cast<int32_t>(0xFF800002))},
  };
  for (const Case& c : cases) {
    const int32_t n = static_cast<int32_t>(c.pixels.size());
    const int32_t id = MakeImage(n, 1, gdiplus::PixelFormat32bppARGB);
    FillArgb(id, c.pixels);
    double result = -7;
    ASSERT_EQ(Filter(c.filter, id, {0, c.p2}, &result), vexiro::OK) << c.filter;
    EXPECT_EQ(result, c.expected) << c.filter;
    EXPECT_EQ(ArgbPixelsOf(id), c.pixels) << "measures change nothing";
    engine::ReleaseImage(id);
  }
}

TEST_F(FilterGolden, BlankTestOfOneBitImagesCountsIndexZeroAsDark) {
  std::vector<uint8_t> indices(200, 1);
  indices[3] = indices[150] = 0;  // 1 % dark
  const int32_t id = MakeIndexed(200, 1, gdiplus::PixelFormat1bppIndexed, PaletteOf({0xFF000000, 0xFFFFFFFF}), indices);
  double result = -1;
  ASSERT_EQ(Filter(FilterIDIsBlank, id, {0, 98.9}, &result), vexiro::OK);
  EXPECT_EQ(result, 1.0);
  ASSERT_EQ(Filter(FilterIDIsBlank, id, {0, 99}, &result), vexiro::OK);
  EXPECT_EQ(result, 0.0);
}

}  // namespace
}  // namespace vx::processing
