#include <gtest/gtest.h>

#include "engine/gdiplus_lifetime.h"
#include "engine/routines/random_generator.h"
#include "processing/filter_test_support.h"

namespace vx::processing {
namespace {

using namespace filter_test;
using gdiplus::PixelFormat1bppIndexed;
using gdiplus::PixelFormat4bppIndexed;
using gdiplus::PixelFormat8bppIndexed;

class FilterEngine : public engine::test_support::EngineTest {};

TEST_F(FilterEngine, NegativeOfOneBitImageFlipsOnlyTheIndices) {
  const std::vector<uint8_t> indices = {0, 1, 1, 0, 0, 0, 1, 1, 1, 0,  //
                                        1, 1, 0, 0, 1, 0, 1, 0, 0, 1};
  for (auto palette : {PaletteOf({0xFF000000, 0xFFFFFFFF}), PaletteOf({0xFFFF0000, 0xFF00FF00})}) {
    const int32_t id = MakeIndexed(10, 2, PixelFormat1bppIndexed, palette, indices);
    const std::vector<ARGB> before = PaletteEntries(id);
    ASSERT_EQ(Filter(FilterIDNegative, id), vexiro::OK);
    const std::vector<ARGB> after = ArgbPixelsOf(id);
    for (size_t i = 0; i < indices.size(); ++i) EXPECT_EQ(after[i], palette.Entries[1 - indices[i]]) << i;
    EXPECT_EQ(PaletteEntries(id), before);
  }
}

TEST_F(FilterEngine, ColouredPaletteRouteChangesOnlyThePalette) {
  struct Case {
    gdiplus::PixelFormat format;
    int32_t filter;
    double p1;
    ARGB entry0, entry1;  // the palette after the filter
  };
  const Case cases[] = {
      {PixelFormat8bppIndexed, FilterIDNegative, 0, 0xFFEFDFCF, 0x80FF00FF},
      {PixelFormat4bppIndexed, FilterIDNegative, 0, 0xFFEFDFCF, 0x80FF00FF},
      {PixelFormat4bppIndexed, FilterIDBrightness, 100, 0xFF204060, 0x8000FF00},
  };
  for (const Case& c : cases) {
    const std::vector<uint8_t> indices = {0, 1, 1, 0, 1, 0};
    const int32_t id = MakeIndexed(3, 2, c.format, PaletteOf({0xFF102030, 0x8000FF00}), indices);
    const std::vector<uint8_t> pixelsBefore = OwnBytes(id);
    ASSERT_EQ(Filter(c.filter, id, {c.p1}), vexiro::OK);
    EXPECT_EQ(OwnBytes(id), pixelsBefore) << "indices stay";
    const std::vector<ARGB> palette = PaletteEntries(id);
    ASSERT_EQ(palette.size(), 2u);
    EXPECT_EQ(palette[0], c.entry0) << c.filter;
    EXPECT_EQ(palette[1], c.entry1) << c.filter;
    EXPECT_EQ(engine::GetImagePixelFormatValue(id), c.format);
  }
}

TEST_F(FilterEngine, GreyEightBitWriteBack) {
  // The identity ramp: each new index is 255 minus the old grey level.
  gdiplus::ColorPalette ramp;
  ramp.Count = 256;
  for (uint32_t i = 0; i < 256; ++i) ramp.Entries[i] = 0xFF000000u | i * 0x010101u;
  const int32_t id = MakeIndexed(4, 1, PixelFormat8bppIndexed, ramp, {0, 10, 200, 255});
  ASSERT_EQ(Filter(FilterIDNegative, id), vexiro::OK);
  EXPECT_EQ(OwnBytes(id), (std::vector<uint8_t>{255, 245, 55, 0}));

  // Four greys: blue is no index here; every pixel takes the nearest entry.
  const int32_t four = MakeIndexed(4, 1, PixelFormat8bppIndexed,
                                   PaletteOf({0xFF000000, 0xFF555555, 0xFFAAAAAA, 0xFFFFFFFF}), {0, 1, 2, 3});
  ASSERT_EQ(Filter(FilterIDNegative, four), vexiro::OK);
  EXPECT_EQ(OwnBytes(four), (std::vector<uint8_t>{3, 2, 1, 0}));
  ASSERT_EQ(Filter(FilterIDBrightness, four, {-60}), vexiro::OK);  // 255 -> 102, 170 -> 68, 85 -> 34
  EXPECT_EQ(OwnBytes(four), (std::vector<uint8_t>{1, 1, 0, 0}));
}

TEST_F(FilterEngine, ColouredEightBitUnderAnOldPlatformTakesTheFirstNearestEntry) {
  auto& state = engine::ThreadGdiplusState();
  const std::string version = state.GdiplusVersion;
  state.GdiplusVersion = "5.1.3102.2180";
  // Blue becomes red 255, equally near to entries 1 and 2; the lower index wins. The image stays
  // 8-bit: the platform is not asked to write 32-bit pixels into it.
  const int32_t id =
      MakeIndexed(3, 1, PixelFormat8bppIndexed, PaletteOf({0xFF0000FF, 0xFFFE0000, 0xFFFF0100, 0xFF00FF00}), {0, 3, 1});
  ASSERT_EQ(Filter(16, id, {4}), vexiro::OK);  // red and blue exchanged
  state.GdiplusVersion = version;
  EXPECT_EQ(engine::GetImagePixelFormatValue(id), PixelFormat8bppIndexed);
  EXPECT_EQ(OwnBytes(id), (std::vector<uint8_t>{1, 3, 0}));
}

TEST_F(FilterEngine, OneBitWriteBackKeepsThePaletteOrder) {
  const std::vector<uint8_t> indices = {0, 1, 1, 0, 1, 0, 0, 1, 1};
  for (bool whiteFirst : {false, true}) {
    const auto palette = whiteFirst ? PaletteOf({0xFFFFFFFF, 0xFF000000}) : PaletteOf({0xFF000000, 0xFFFFFFFF});
    const int32_t id = MakeIndexed(9, 1, PixelFormat1bppIndexed, palette, indices);
    const std::vector<ARGB> before = ArgbPixelsOf(id);
    ASSERT_EQ(Filter(12, id), vexiro::OK);  // grey leaves black and white as they are
    EXPECT_EQ(ArgbPixelsOf(id), before) << "white first: " << whiteFirst;
    // Only a blue of exactly 255 stays light: red turns dark.
    ASSERT_EQ(Filter(41, id), vexiro::OK);
    for (ARGB p : ArgbPixelsOf(id)) EXPECT_EQ(p, 0xFF000000u);
  }
}

TEST_F(FilterEngine, UnknownNumbersAndBadRectanglesLeaveTheImageAlone) {
  const int32_t id = MakePhoto(6, 5);
  engine::ClearImageModified(id);
  const std::vector<ARGB> before = ArgbPixelsOf(id);
  for (int32_t unknown : {0, -1, 21, 22, 23, 71, 1000}) {
    double result = -7;
    EXPECT_EQ(Filter(unknown, id, {}, &result), vexiro::OK) << unknown;
    EXPECT_EQ(result, -7);
  }
  // An empty rectangle is nothing to do, not an error; one reaching outside the image is refused.
  struct AreaCase {
    vexiro::FilterArea area;
    vexiro::VexiroStatus status;
  };
  const AreaCase areas[] = {{{0, 0, 0, 5}, vexiro::OK},          {{0, 0, 6, -1}, vexiro::OK},
                            {{1, 1, 0, 2}, vexiro::OK},          {{9, 9, -3, 0}, vexiro::OK},
                            {{1, 0, 6, 5}, vexiro::InvalidParameter}, {{0, 4, 6, 2}, vexiro::InvalidParameter},
                            {{-1, 0, 2, 2}, vexiro::InvalidParameter}};
  for (const AreaCase& c : areas) {
    const vexiro::FilterArea& a = c.area;
    SCOPED_TRACE(testing::Message() << a.X << "," << a.Y << "," << a.Width << "," << a.Height);
    for (int32_t filter : {1, 2, 14}) EXPECT_EQ(FilterIn(filter, id, a, {50}), c.status) << filter;
    double result = -7;
    EXPECT_EQ(FilterIn(FilterIDIsGrayscale, id, a, {}, &result), c.status);
    EXPECT_EQ(result, 0.0) << "a test that did not run answers False";
  }
  // The counting measures leave their result alone over an empty rectangle.
  for (int32_t measure : {FilterIDCountColor, FilterIDCountTransparent, FilterIDGetAverageColor}) {
    double result = -7;
    EXPECT_EQ(FilterIn(measure, id, {1, 1, 0, 2}, {}, &result), vexiro::OK) << measure;
    EXPECT_EQ(result, -7) << measure;
  }
  const int32_t oneBit = MakeIndexed(9, 1, PixelFormat1bppIndexed, PaletteOf({0xFF000000, 0xFFFFFFFF}),
                                     {0, 1, 1, 0, 1, 0, 0, 1, 1});
  const std::vector<ARGB> oneBitBefore = ArgbPixelsOf(oneBit);
  EXPECT_EQ(FilterIn(FilterIDNegative, oneBit, {0, 0, 0, 1}), vexiro::OK) << "the 1-bit route too";
  EXPECT_EQ(ArgbPixelsOf(oneBit), oneBitBefore);
  const int32_t indexed = MakeIndexed(2, 1, PixelFormat8bppIndexed, PaletteOf({0xFF102030, 0xFF405060}), {0, 1});
  EXPECT_EQ(FilterIn(FilterIDNegative, indexed, {0, 0, 3, 1}), vexiro::InvalidParameter);
  EXPECT_EQ(PaletteEntries(indexed), (std::vector<ARGB>{0xFF102030, 0xFF405060})) << "no palette written";
  EXPECT_EQ(ArgbPixelsOf(id), before);
  EXPECT_FALSE(IsModified(id));
  EXPECT_EQ(FilterIn(1, 0, {0, 0, 2, 2}), vexiro::InvalidParameter) << "no image";
}

TEST_F(FilterEngine, ArithmeticFaultsReturnGenericErrorWithoutWriting) {
  // Sharpening by 10^7 overflows only at pixels with a bright channel, after darker ones are done.
  const struct {
    int32_t filter;
    Params p;
  } faults[] = {
      {1, {-8}},          {6, {-1}},  {33, {105}},           {20, {0}},     {31, {-100}},
      {14, {2147483600}}, {1, {3e9}}, {39, {0, 2147483647}}, {29, {1.5e9}}, {17, {2147483600}},
      {1, {1e7}},
  };
  for (auto format : {gdiplus::PixelFormat32bppARGB, gdiplus::PixelFormat24bppRGB}) {
    const int32_t id = MakePhoto(5, 5, format);
    const std::vector<ARGB> before = ArgbPixelsOf(id);
    engine::ClearImageModified(id);
    for (const auto& f : faults) EXPECT_EQ(Filter(f.filter, id, f.p), vexiro::GenericError) << f.filter;
    EXPECT_EQ(ArgbPixelsOf(id), before) << format;
    EXPECT_FALSE(IsModified(id)) << format;
  }
}

// The 3 x 3 filters run over a 24-bit image's own rows (rows of 13 pixels lie 40 bytes apart);
// each must give the bytes the 32-bit working array gives, over the whole image and over a
// rectangle whose rows start mid-row, and leave the image marked as changed.
TEST_F(FilterEngine, ThreeByThreeFiltersOver24BitRowsMatchThe32BitRoute) {
  const struct {
    int32_t filter;
    double p1;
  } cases[] = {{1, 0}, {1, 12}, {3, 0}, {5, 0}, {6, 3}, {33, 20}, {33, 130}};
  const vexiro::FilterArea areas[] = {{0, 0, 13, 9}, {2, 1, 9, 6}, {4, 3, 3, 3}};
  for (const auto& c : cases) {
    bool changed = false;  // so that the comparison is not between two untouched images
    for (const vexiro::FilterArea& area : areas) {
      const int32_t wide = MakePhoto(13, 9, gdiplus::PixelFormat32bppARGB);
      const int32_t narrow = MakePhoto(13, 9, gdiplus::PixelFormat24bppRGB);
      const std::vector<ARGB> before = ArgbPixelsOf(narrow);
      engine::ClearImageModified(narrow);
      ASSERT_EQ(FilterIn(c.filter, wide, area, {c.p1}), vexiro::OK) << c.filter;
      ASSERT_EQ(FilterIn(c.filter, narrow, area, {c.p1}), vexiro::OK) << c.filter;
      EXPECT_TRUE(IsModified(narrow)) << c.filter;
      EXPECT_EQ(ArgbPixelsOf(narrow), ArgbPixelsOf(wide)) << "filter " << c.filter << " p " << c.p1 << " at "
                                                          << area.X << "," << area.Y;
      changed = changed || ArgbPixelsOf(narrow) != before;
      EXPECT_EQ(engine::GetImagePixelFormatValue(narrow), gdiplus::PixelFormat24bppRGB);
    }
    EXPECT_TRUE(changed) << c.filter;
  }
}

TEST_F(FilterEngine, ARectangleTouchesOnlyItsPixels) {
  const vexiro::FilterArea area{2, 1, 5, 4};
  for (int32_t filter : {1, 2, 3, 4, 5, 7, 8, 9, 12, 13, 15, 17, 19, 20, 28, 29, 33, 34, 52, 58}) {
    for (auto format : {gdiplus::PixelFormat32bppARGB, gdiplus::PixelFormat24bppRGB}) {
      const int32_t id = MakePhoto(9, 7, format);
      const std::vector<ARGB> before = ArgbPixelsOf(id);
      ASSERT_EQ(FilterIn(filter, id, area, {3, 0, 0, 0}), vexiro::OK) << filter;
      const std::vector<ARGB> after = ArgbPixelsOf(id);
      bool changedInside = false;
      for (int32_t y = 0; y < 7; ++y)
        for (int32_t x = 0; x < 9; ++x) {
          const size_t i = static_cast<size_t>(y) * 9 + x;
          const bool inside = x >= 2 && x < 7 && y >= 1 && y < 5;
          if (!inside) EXPECT_EQ(after[i], before[i]) << "filter " << filter << " at " << x << "," << y;
          changedInside = changedInside || (inside && after[i] != before[i]);
        }
      if (filter != 52) EXPECT_TRUE(changedInside) << filter;
    }
  }
}

TEST_F(FilterEngine, ARectangleOfAnIndexedImageTouchesOnlyItsIndices) {
  // Rectangles that start and end inside a byte of 1- and 4-bit rows.
  const vexiro::FilterArea area{3, 1, 9, 2};
  struct Case {
    gdiplus::PixelFormat format;
    int32_t filter;
    gdiplus::ColorPalette palette;
  };
  gdiplus::ColorPalette ramp;
  ramp.Count = 256;
  for (uint32_t i = 0; i < 256; ++i) ramp.Entries[i] = 0xFF000000u | i * 0x010101u;
  const auto bw = PaletteOf({0xFF000000, 0xFFFFFFFF});
  const auto greys = PaletteOf({0xFF000000, 0xFF555555, 0xFFAAAAAA, 0xFFFFFFFF});
  const Case cases[] = {{PixelFormat1bppIndexed, FilterIDNegative, bw},
                        {PixelFormat1bppIndexed, 12, bw},
                        {PixelFormat4bppIndexed, FilterIDNegative, greys},
                        {PixelFormat8bppIndexed, FilterIDNegative, ramp}};
  for (const Case& c : cases) {
    std::vector<uint8_t> indices;
    for (int i = 0; i < 15 * 4; ++i) indices.push_back(static_cast<uint8_t>((i * 7 + i / 15) % c.palette.Count));
    const int32_t id = MakeIndexed(15, 4, c.format, c.palette, indices);
    const std::vector<ARGB> before = ArgbPixelsOf(id);
    ASSERT_EQ(FilterIn(c.filter, id, area), vexiro::OK);
    const std::vector<ARGB> after = ArgbPixelsOf(id);
    for (int32_t y = 0; y < 4; ++y)
      for (int32_t x = 0; x < 15; ++x) {
        const size_t i = static_cast<size_t>(y) * 15 + x;
        const bool inside = x >= 3 && x < 12 && y >= 1 && y < 3;
        if (!inside)
          EXPECT_EQ(after[i], before[i]) << c.format << " at " << x << "," << y;
        else if (c.filter == FilterIDNegative)
          EXPECT_EQ(after[i], before[i] ^ 0x00FFFFFFu) << c.format << " at " << x << "," << y;
        else
          EXPECT_EQ(after[i], before[i]);
      }
  }
}

TEST_F(FilterEngine, CountAndAverageWriteNothingBack) {
  const int32_t id = MakePhoto(4, 3, gdiplus::PixelFormat48bppRGB);
  const std::vector<uint8_t> before = OwnBytes(id);
  engine::ClearImageModified(id);
  double count = -1, average = -1;
  ASSERT_EQ(Filter(FilterIDCountColor, id, {0, static_cast<double>(static_cast<int32_t>(ArgbPixelsOf(id)[0]))}, &count),
            vexiro::OK);
  EXPECT_GE(count, 1.0);
  ASSERT_EQ(Filter(FilterIDGetAverageColor, id, {}, &average), vexiro::OK);
  EXPECT_LT(average, 0) << "opaque: alpha sets the sign bit";
  EXPECT_EQ(OwnBytes(id), before) << "48-bit samples are not truncated to 8 bits";
  EXPECT_FALSE(IsModified(id));
}

TEST_F(FilterEngine, CountTransparentPaintsAndWritesBack) {
  const int32_t id = MakeFilled(3, 1, gdiplus::PixelFormat32bppARGB,
                                [](int32_t x, int32_t) { return x == 1 ? 0xFF123456u : 0x00ABCDEFu; });
  double count = 0;
  ASSERT_EQ(Filter(FilterIDCountTransparent, id, {}, &count), vexiro::OK);
  EXPECT_EQ(count, 2.0);
  EXPECT_EQ(ArgbPixelsOf(id), (std::vector<ARGB>{0x000000FF, 0xFF123456, 0x000000FF}));
}

TEST_F(FilterEngine, RandomFiltersKeepAlphaRangeAndRepeatWithTheSeed) {
  for (int32_t filter : {4, 29}) {
    std::vector<ARGB> first;
    for (int run = 0; run < 2; ++run) {
      const int32_t id = MakeFilled(12, 9, gdiplus::PixelFormat32bppARGB, [](int32_t x, int32_t y) {
        return static_cast<uint32_t>(x * 20 + y) << 24 | 0x00808080u | static_cast<uint32_t>(x * 21);
      });
      const std::vector<ARGB> before = ArgbPixelsOf(id);
      engine::SeedRandomGenerator(1234);
      ASSERT_EQ(Filter(filter, id, {filter == 4 ? 3.0 : 40.0}), vexiro::OK);
      const std::vector<ARGB> after = ArgbPixelsOf(id);
      for (size_t i = 0; i < after.size(); ++i) EXPECT_EQ(after[i] >> 24, before[i] >> 24);
      if (filter == 29)
        for (size_t i = 0; i < after.size(); ++i)
          for (int shift : {0, 8, 16}) {
            const int d = static_cast<int>((after[i] >> shift) & 0xFF) - static_cast<int>((before[i] >> shift) & 0xFF);
            EXPECT_TRUE(d >= -40 && d <= 41) << d;  // c + 81u - 40 with u in [0, 1)
          }
      EXPECT_NE(after, before);
      if (run == 0)
        first = after;
      else
        EXPECT_EQ(after, first) << "the same seed gives the same picture";
    }
  }
}

}  // namespace
}  // namespace vx::processing
