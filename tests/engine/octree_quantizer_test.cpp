#include "engine/routines/octree_quantizer.h"

#include <gtest/gtest.h>

#include "engine/saving_test_support.h"

namespace vx::engine {
namespace {

using namespace vx::engine::saving_test;
using engine::test_support::EngineTest;
using gdiplus::ARGB;

// Rows of width pixels (blue, green, red) padded to 4 bytes with `pad` bytes.
std::vector<uint8_t> Rows(const std::vector<std::vector<ARGB>>& rows, uint8_t pad = 0) {
  std::vector<uint8_t> bytes;
  for (const auto& row : rows) {
    for (ARGB c : row) bytes.insert(bytes.end(), {uint8_t(c), uint8_t(c >> 8), uint8_t(c >> 16)});
    while (bytes.size() % 4) bytes.push_back(pad);
  }
  return bytes;
}

std::vector<ARGB> OctreePalette() {
  std::vector<ARGB> palette;
  for (int32_t i = 0; i <= OctreeGetLeafCount(); ++i) {
    uint8_t b = 0, g = 0, r = 0;
    OctreeGetPaletteEntry(i, b, g, r);
    palette.push_back(0xFF000000u | uint32_t{r} << 16 | uint32_t{g} << 8 | b);
  }
  return palette;
}

uint8_t IndexOf(ARGB c) { return OctreeGetIndex(uint8_t(c), uint8_t(c >> 8), uint8_t(c >> 16)); }

// Few colours stay exact and are listed by their colour bits (red 4, green 2, blue 1 at each level).
TEST(Octree, PaletteFollowsTheColourBitsAndKeepsFewColoursExactly) {
  const std::vector<ARGB> row = {0xFFFFFFFF, 0xFFFF0000, 0xFF000000, 0xFF00FF00, 0xFF0000FF, 0xFF000000};
  const std::vector<uint8_t> bytes = Rows({row});
  OctreeQuantize(static_cast<int32_t>(bytes.size()), 1, static_cast<int32_t>(bytes.size()) - 18, bytes.data(), bytes.size(), 8, 8);
  EXPECT_EQ(OctreePalette(), (std::vector<ARGB>{0xFF000000, 0xFF0000FF, 0xFF00FF00, 0xFFFF0000, 0xFFFFFFFF}));
  EXPECT_EQ(IndexOf(0xFF000000), 0);
  EXPECT_EQ(IndexOf(0xFF0000FF), 1);
  EXPECT_EQ(IndexOf(0xFF00FF00), 2);
  EXPECT_EQ(IndexOf(0xFFFF0000), 3);
  EXPECT_EQ(IndexOf(0xFFFFFFFF), 4);
}

// Blues 0..8 inserted from the last pixel to the first: when the ninth colour arrives the node
// listed last at the deepest level (the one holding blues 0 and 1) folds into their floor mean.
TEST(Octree, ReductionFoldsTheLastListedDeepestNode) {
  std::vector<ARGB> row;
  for (uint32_t blue = 0; blue <= 8; ++blue) row.push_back(0xFF000000u | blue);
  const std::vector<uint8_t> bytes = Rows({row});
  OctreeQuantize(static_cast<int32_t>(bytes.size()), 1, static_cast<int32_t>(bytes.size()) - 27, bytes.data(), bytes.size(), 8, 8);
  EXPECT_EQ(OctreePalette(), (std::vector<ARGB>{0xFF000000, 0xFF000002, 0xFF000003, 0xFF000004, 0xFF000005,
                                                0xFF000006, 0xFF000007, 0xFF000008}));
  const uint8_t expected[] = {0, 0, 1, 2, 3, 4, 5, 6, 7};
  for (uint32_t blue = 0; blue <= 8; ++blue) EXPECT_EQ(IndexOf(0xFF000000u | blue), expected[blue]) << blue;
}

TEST(Octree, MeansAreFloored) {
  // Three greys that share every bit but the last two fold into one leaf at two colours.
  const std::vector<ARGB> row = {0xFF040404, 0xFF050505, 0xFF070707, 0xFFFFFFFF};
  const std::vector<uint8_t> bytes = Rows({row});
  OctreeQuantize(12, 1, 0, bytes.data(), bytes.size(), 2, 8);
  const std::vector<ARGB> palette = OctreePalette();
  ASSERT_EQ(palette.size(), 2u);
  EXPECT_EQ(palette[0], 0xFF050505u) << "(4 + 5 + 7) / 3 floored";
  EXPECT_EQ(palette[1], 0xFFFFFFFFu);
}

TEST(Octree, PaddingBytesNeverEnterTheTree) {
  const std::vector<uint8_t> bytes = Rows({{0xFF102030}, {0xFF102030}}, 0xAB);
  OctreeQuantize(4, 2, 1, bytes.data(), bytes.size(), 256, 8);
  EXPECT_EQ(OctreePalette(), (std::vector<ARGB>{0xFF102030}));
}

class ColorReduction : public EngineTest {};

TEST_F(ColorReduction, ColourCountIsClampedAndReportsThePaletteSize) {
  const ARGB colours[] = {0xFF000000, 0xFFFFFFFF, 0xFF808080};
  const int32_t id = MakeFilled(10, 3, gdiplus::PixelFormat24bppRGB, [&](int x, int) { return colours[x % 3]; });
  for (auto [asked, clamped] : {std::pair{3, 8}, std::pair{1000, 256}, std::pair{16, 16}}) {
    int32_t count = asked;
    int32_t newId = 0;
    gdiplus::ColorPalette palette;
    ASSERT_EQ(ReduceImageColors(id, newId, count, palette, false, 0), vexiro::OK);
    EXPECT_EQ(count, 3) << "asked " << asked << ", clamped to " << clamped;
    EXPECT_EQ(palette.Count, 3u);
    EXPECT_EQ(palette.Flags, uint32_t{gdiplus::PaletteFlagsHalftone});
    EXPECT_EQ(GetImagePixelFormatValue(newId), gdiplus::PixelFormat8bppIndexed);
    ReleaseImage(newId);
  }
  int32_t count = 3, newId = 0;
  gdiplus::ColorPalette palette;
  ReduceImageColors(987654, newId, count, palette, false, 0);
  EXPECT_EQ(count, 8) << "clamped before the identifier is looked at";
}

TEST_F(ColorReduction, OddWidthImageKeepsEveryColourAndIndex) {
  const ARGB colours[] = {0xFF102030, 0xFFC0FFEE, 0xFF0000FF, 0xFFABCDEF, 0xFF000001};
  const auto colour = [&](int x, int y) { return colours[(x * 3 + y) % 5]; };
  const int32_t id = MakeFilled(7, 5, gdiplus::PixelFormat32bppARGB, colour);
  int32_t count = 256, newId = 0;
  gdiplus::ColorPalette palette;
  ASSERT_EQ(ReduceImageColors(id, newId, count, palette, false, 0), vexiro::OK);
  EXPECT_EQ(count, 5);
  const std::vector<ARGB> pixels = ArgbPixelsOf(newId);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 7; ++x) ASSERT_EQ(pixels[static_cast<size_t>(y) * 7 + x], colour(x, y)) << x << "," << y;
}

TEST_F(ColorReduction, OneColourGivesOneEntryAndZeroIndices) {
  const int32_t id = MakeFilled(6, 4, gdiplus::PixelFormat24bppRGB, [](int, int) { return 0xFF336699u; });
  int32_t count = 256, newId = 0;
  gdiplus::ColorPalette palette;
  ASSERT_EQ(ReduceImageColors(id, newId, count, palette, false, 0), vexiro::OK);
  EXPECT_EQ(count, 1);
  EXPECT_EQ(palette.Entries[0], 0xFF336699u);
  gdiplus::BitmapData data;
  std::vector<uint8_t> indices(8 * 4, 0xEE);
  data.Stride = 8;
  data.Scan0 = indices.data();
  gdiplus::PixelFormat format = gdiplus::PixelFormat8bppIndexed;
  ASSERT_EQ(LockImageBits(newId, {0, 0, 6, 4}, gdiplus::ImageLockModeRead | gdiplus::ImageLockModeUserInputBuf, format, data),
            vexiro::OK);
  UnlockImageBits(newId, data);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 6; ++x) EXPECT_EQ(indices[static_cast<size_t>(y) * 8 + x], 0);
}

// A key colour within a summed channel distance of 3 makes that entry the key colour with
// alpha 0; at 4 nothing changes.
TEST_F(ColorReduction, KeyColourWithinThreeBecomesTransparent) {
  const int32_t id = MakeFilled(4, 1, gdiplus::PixelFormat24bppRGB,
                                [](int x, int) { return x % 2 ? 0xFF646464u : 0xFFFFFFFFu; });
  struct Case {
    int32_t keyRef;  // 0x00BBGGRR
    bool transparent;
  };
  for (const Case& c : {Case{0x00656465, true}, Case{0x00636363, true}, Case{0x00666565, false}}) {
    int32_t count = 256, newId = 0;
    gdiplus::ColorPalette palette;
    ASSERT_EQ(ReduceImageColors(id, newId, count, palette, true, c.keyRef), vexiro::OK);
    const ARGB key = static_cast<uint32_t>(c.keyRef & 0xFF) << 16 | (c.keyRef & 0xFF00) | ((c.keyRef >> 16) & 0xFF);
    if (c.transparent) {
      EXPECT_EQ(palette.Entries[0], key) << "the key colour itself with alpha 0";
      EXPECT_EQ(palette.Flags, uint32_t{gdiplus::PaletteFlagsHalftone | gdiplus::PaletteFlagsHasAlpha});
    } else {
      EXPECT_EQ(palette.Entries[0], 0xFF646464u);
      EXPECT_EQ(palette.Flags, uint32_t{gdiplus::PaletteFlagsHalftone});
    }
    int32_t bytes = 0;
    GetImagePaletteSize(newId, bytes);
    gdiplus::ColorPalette set;
    GetImagePalette(newId, set, bytes);
    EXPECT_EQ(set.Entries[0], palette.Entries[0]) << "the image carries the palette reported";
    ReleaseImage(newId);
  }
}

}  // namespace
}  // namespace vx::engine
