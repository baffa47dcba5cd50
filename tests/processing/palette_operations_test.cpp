#include <gtest/gtest.h>

#include "engine/saving_test_support.h"

namespace vexiro {
namespace {

using namespace vx::engine;
using namespace vx::engine::saving_test;
using test_support::PaletteOf;
using vx::gdiplus::ARGB;

class PaletteMembers : public test_support::EngineTest {
 protected:
  cImaging& E() { return *engine_; }
  int32_t MakeCurrentIndexed(std::initializer_list<ARGB> palette, vx::gdiplus::PixelFormat format =
                                                                    vx::gdiplus::PixelFormat8bppIndexed) {
    const int32_t id = MakeIndexed(4, 2, format, PaletteOf(palette), {0, 1, 0, 1, 1, 0, 1, 0});
    SavingTestAccess::SetCurrent(E(), id);
    return id;
  }
  std::vector<int32_t> Palette() {
    BasicArray<int32_t> colors;
    int32_t count = 0;
    EXPECT_EQ(E().ColorPaletteGet(colors, count), OK);
    return std::vector<int32_t>(colors.Data().begin(), colors.Data().begin() + count);
  }
  static BasicArray<int32_t> ArrayOf(std::vector<int32_t> values, int32_t lower = 0) {
    BasicArray<int32_t> a({ArrayBound{lower, static_cast<int32_t>(values.size())}});
    a.Data() = std::move(values);
    return a;
  }
};

TEST_F(PaletteMembers, EveryMemberRefusesImagesThatAreNotIndexed) {
  for (int32_t current : {0, MakeImage(2, 2, vx::gdiplus::PixelFormat24bppRGB)}) {
    SavingTestAccess::SetCurrent(E(), current);
    BasicArray<int32_t> colors;
    int32_t count = 7;
    EXPECT_EQ(E().ColorPaletteGet(colors, count), NotIndexedPixelFormat);
    EXPECT_EQ(count, 0);
    BasicArray<int32_t> one = ArrayOf({-1});
    EXPECT_EQ(E().ColorPaletteSet(one), NotIndexedPixelFormat);
    EXPECT_EQ(E().ColorPaletteGetEntrie(0), 0);
    EXPECT_EQ(E().ColorPaletteGetColorsCount(), 0);
    EXPECT_EQ(E().ColorPaletteGetType(), ColorPaletteTypeUndefined);
    EXPECT_EQ(E().GetStat(), NotIndexedPixelFormat);
    EXPECT_EQ(E().ColorPaletteSwapEntries(0, 1), NotIndexedPixelFormat);
    EXPECT_EQ(E().ColorPaletteSetTransparentColor(), NotIndexedPixelFormat);
    EXPECT_EQ(E().ColorPaletteGetTransparentColor(), 0);
    EXPECT_FALSE(E().ColorPaletteHasTransparentColor());
    EXPECT_EQ(E().ColorPaletteConvertToHalftone(), current == 0 ? GenericError : NotIndexedPixelFormat);
  }
}

TEST_F(PaletteMembers, ReadingEntriesCountAndType) {
  MakeCurrentIndexed({ARGB(0xFF112233), ARGB(0xFF445566)});
  EXPECT_EQ(Palette(), (std::vector<int32_t>{int32_t(0xFF112233), int32_t(0xFF445566)}));
  EXPECT_EQ(E().ColorPaletteGetEntrie(1), int32_t(0xFF445566));
  for (int32_t outside : {-1, 2}) {
    SavingTestAccess::SetStat(E(), GenericError);
    EXPECT_EQ(E().ColorPaletteGetEntrie(outside), 0);
    EXPECT_EQ(E().GetStat(), OK);
  }
  EXPECT_EQ(E().ColorPaletteGetColorsCount(), 2);
}

TEST_F(PaletteMembers, SettingChoosesFlagsByAlphaAndKeepsPixels) {
  const int32_t id = MakeCurrentIndexed({ARGB(0xFF000000), ARGB(0xFFFFFFFF)});
  struct Case {
    std::vector<int32_t> colors;
    int32_t lower;
    ColorPaletteType type;
  };
  const Case cases[] = {
      {{int32_t(0xFFFF0000), int32_t(0xFF00FF00)}, 0, ColorPaletteTypeHalfTone},
      {{int32_t(0xFEFF0000), int32_t(0xFF00FF00), int32_t(0xFF0000FF)}, 5, ColorPaletteTypeHasAlpha},
  };
  for (const Case& c : cases) {
    BasicArray<int32_t> a = ArrayOf(c.colors, c.lower);
    ASSERT_EQ(E().ColorPaletteSet(a), OK);
    EXPECT_EQ(Palette(), c.colors);
    EXPECT_EQ(E().ColorPaletteGetType(), c.type);
    const std::vector<ARGB> pixels = ArgbPixelsOf(id);
    EXPECT_EQ(pixels[1], ARGB(c.colors[1])) << "pixels keep their indices";
  }
  EXPECT_TRUE(FindImageRecord(id)->Modified);
}

TEST_F(PaletteMembers, SettingMoreThan256EntriesIsRefusedAndChangesNothing) {
  MakeCurrentIndexed({ARGB(0xFF000000), ARGB(0xFFFFFFFF)});
  BasicArray<int32_t> big = ArrayOf(std::vector<int32_t>(257, int32_t(0xFF123456)));
  EXPECT_EQ(E().ColorPaletteSet(big), InvalidParameter);
  EXPECT_EQ(Palette(), (std::vector<int32_t>{int32_t(0xFF000000), int32_t(0xFFFFFFFF)}));
  BasicArray<int32_t> empty;
  EXPECT_EQ(E().ColorPaletteSet(empty), OK);
  EXPECT_EQ(E().ColorPaletteGetColorsCount(), 2);
}

TEST_F(PaletteMembers, SwappingEntries) {
  MakeCurrentIndexed({ARGB(0xFF000001), ARGB(0xFF000002), ARGB(0xFF000003)});
  EXPECT_EQ(E().ColorPaletteSwapEntries(0, 2), OK);
  EXPECT_EQ(Palette(), (std::vector<int32_t>{int32_t(0xFF000003), int32_t(0xFF000002), int32_t(0xFF000001)}));
  for (auto [a, b] : {std::pair{-1, 0}, std::pair{0, 3}}) {
    EXPECT_EQ(E().ColorPaletteSwapEntries(a, b), InvalidParameter);
    EXPECT_EQ(Palette(), (std::vector<int32_t>{int32_t(0xFF000003), int32_t(0xFF000002), int32_t(0xFF000001)}));
  }
}

TEST_F(PaletteMembers, HalftoneFlagIsAddedToTheFlags) {
  const int32_t id = MakeCurrentIndexed({ARGB(0xFF000000), ARGB(0xFFFFFFFF)});
  vx::gdiplus::ColorPalette grey = PaletteOf({0xFF000000, 0xFFFFFFFF});
  grey.Flags = vx::gdiplus::PaletteFlagsGrayScale;
  SetImagePaletteRaw(id, grey);
  EXPECT_EQ(E().ColorPaletteConvertToHalftone(), OK);
  EXPECT_EQ(E().ColorPaletteGetType(), ColorPaletteTypeGrayScale | ColorPaletteTypeHalfTone);
  EXPECT_EQ(Palette(), (std::vector<int32_t>{int32_t(0xFF000000), int32_t(0xFFFFFFFF)}));
}

TEST_F(PaletteMembers, TransparentColourReplacesEveryMatchAndTheLaterOneIsReported) {
  MakeCurrentIndexed({ARGB(0xFF0000FF), ARGB(0xFFFFFFFF), ARGB(0xFF0000FF)});
  EXPECT_FALSE(E().ColorPaletteHasTransparentColor());
  EXPECT_EQ(E().ColorPaletteSetTransparentColor(int32_t(0xFF0000FF)), OK);
  EXPECT_EQ(Palette(), (std::vector<int32_t>{0x000000FF, int32_t(0xFFFFFFFF), 0x000000FF}));
  EXPECT_TRUE(E().ColorPaletteHasTransparentColor());
  EXPECT_EQ(E().ColorPaletteGetTransparentColor(), 0x000000FF);
  EXPECT_EQ(E().ColorPaletteGetType(), ColorPaletteTypeHasAlpha);
}

// An absent colour joins the palette as a new entry, so no pixel changes colour.
TEST_F(PaletteMembers, AbsentTransparentColourIsAppendedWhenThereIsRoom) {
  const int32_t id = MakeCurrentIndexed({ARGB(0xFF000000), ARGB(0xFFFFFFFF)});
  EXPECT_EQ(E().ColorPaletteSetTransparentColor(), OK) << "opaque black is present: replaced";
  EXPECT_EQ(Palette(), (std::vector<int32_t>{0x00000000, int32_t(0xFFFFFFFF)}));
  EXPECT_EQ(E().ColorPaletteSetTransparentColor(int32_t(0xFF00FF00)), OK);
  EXPECT_EQ(Palette(), (std::vector<int32_t>{0x00000000, int32_t(0xFFFFFFFF), 0x0000FF00}));
  EXPECT_EQ(ArgbPixelsOf(id)[1], 0xFFFFFFFFu);

  // A full palette (two entries at one bit, 256 at eight) is left as it is.
  const int32_t bilevel = MakeIndexed(2, 1, vx::gdiplus::PixelFormat1bppIndexed, PaletteOf({0xFF000000, 0xFFFFFFFF}), {0, 1});
  SavingTestAccess::SetCurrent(E(), bilevel);
  EXPECT_EQ(E().ColorPaletteSetTransparentColor(int32_t(0xFF00FF00)), OK);
  EXPECT_EQ(Palette(), (std::vector<int32_t>{int32_t(0xFF000000), int32_t(0xFFFFFFFF)}));
}

}  // namespace
}  // namespace vexiro
