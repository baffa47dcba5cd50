#include <gtest/gtest.h>

#include "engine/gdiplus_lifetime.h"
#include "processing/filter_test_support.h"
#include "processing/processing_test_access.h"

namespace vexiro {
namespace {

using namespace vx::processing::filter_test;
namespace gp = vx::gdiplus;

class PixelFormatMembers : public vx::engine::test_support::EngineTest {
 protected:
  cImaging& E() { return *engine_; }
  int32_t Current(std::vector<ARGB> pixels, int32_t w, int32_t h, gp::PixelFormat format = gp::PixelFormat32bppARGB) {
    const int32_t id = MakeImage(w, h, format);
    FillArgb(id, std::move(pixels));
    SavingTestAccess::SetCurrent(E(), id);
    return id;
  }
  int32_t CurrentId() { return SavingTestAccess::Current(E()); }
  gp::PixelFormat Format() { return vx::engine::GetImagePixelFormatValue(CurrentId()); }
  // Palette indices of the current image, one per pixel, row after row.
  std::vector<int> Indices() {
    const int32_t bits = vx::engine::PixelFormatBitDepthStrict(Format());
    const vexiro::FilterArea a = WholeOf(CurrentId());
    const std::vector<uint8_t> bytes = OwnBytes(CurrentId());
    const size_t rowBytes = (static_cast<size_t>(a.Width) * bits + 7) / 8;
    std::vector<int> out;
    for (int32_t y = 0; y < a.Height; ++y)
      for (int32_t x = 0; x < a.Width; ++x) {
        const size_t bit = static_cast<size_t>(x) * bits;
        const uint8_t b = bytes[y * rowBytes + bit / 8];
        out.push_back((b >> (8 - bits - bit % 8)) & ((1 << bits) - 1));
      }
    return out;
  }
};

TEST_F(PixelFormatMembers, BitonalThresholds) {
  // Nine pixels: the ninth lands in bit 7 of the row's second byte.
  const std::vector<ARGB> pixels = {0xFF7E7E7E, 0xFF7D7E7E, 0xFF7E7D7E, 0xFF7E7E7D, 0x00FFFFFF,
                                    0xFFFFFFFF, 0xFEFFFFFF, 0xFF000000, 0xFFFFFFFF};
  Current(pixels, 9, 1);
  ASSERT_EQ(E().ConvertTo1Bpp(), OK);
  EXPECT_EQ(Format(), gp::PixelFormat1bppIndexed);
  EXPECT_EQ(Indices(), (std::vector<int>{1, 0, 0, 0, 1, 1, 1, 0, 1})) << "alpha is not read";
  EXPECT_EQ(OwnBytes(CurrentId())[1], 0x80);
  Current(pixels, 9, 1);
  ASSERT_EQ(E().ConvertTo1BppFast(), OK);
  EXPECT_EQ(Indices(), (std::vector<int>{0, 0, 0, 0, 0, 1, 0, 0, 1})) << "only opaque white";
  EXPECT_EQ(E().GetStat(), OK);
}

TEST_F(PixelFormatMembers, FixedSixteenColours) {
  // (64, 64, 64) is as near to black as to grey 128; the lower index wins.
  Current({0xFF404040, 0xFFC0C0C0, 0xFFC80000, 0xFF00FFFF, 0xFF7F007F}, 5, 1);
  ASSERT_EQ(E().ConvertTo4Bpp16(), OK);
  EXPECT_EQ(Format(), gp::PixelFormat4bppIndexed);
  EXPECT_EQ(Indices(), (std::vector<int>{0, 8, 12, 11, 5}));
  const std::vector<ARGB> palette = PaletteEntries(CurrentId());
  ASSERT_EQ(palette.size(), 16u);
  EXPECT_EQ(palette[1], 0xFF000080u);
  EXPECT_EQ(palette[4], 0xFF800000u);
  EXPECT_EQ(palette[8], 0xFFC0C0C0u);
  // A one-pixel-wide image keeps its pixel in the high nibble.
  Current({0xFFFFFFFF}, 1, 1);
  ASSERT_EQ(E().ConvertTo4Bpp16(), OK);
  EXPECT_EQ(OwnBytes(CurrentId())[0], 0xF0);
}

TEST_F(PixelFormatMembers, CallersPalette) {
  std::vector<int32_t> colours;
  for (int i = 0; i < 20; ++i) colours.push_back(static_cast<int32_t>(0x80000000u | uint32_t(i * 12) << 16));
  BasicArray<int32_t> array({ArrayBound{3, 20}});
  array.Data() = colours;
  // Red 19 * 12 = 228 would be entry 19; only the first sixteen count, so 180 (entry 15) is nearest.
  Current({0xFF000000, 0xFFE40000, 0xFF0D0000}, 3, 1);
  ASSERT_EQ(E().ConvertTo4BppPal(array), OK);
  EXPECT_EQ(Indices(), (std::vector<int>{0, 15, 1}));
  const std::vector<ARGB> palette = PaletteEntries(CurrentId());
  ASSERT_EQ(palette.size(), 16u);
  EXPECT_EQ(palette[2], 0x80180000u) << "entries keep the caller's alpha";

  const int32_t id = Current({0xFF102030, 0xFF405060}, 2, 1);
  for (BasicArray<int32_t> empty : {BasicArray<int32_t>(), BasicArray<int32_t>({ArrayBound{0, 0}})}) {
    EXPECT_EQ(E().ConvertTo4BppPal(empty), InvalidParameter);
    EXPECT_EQ(E().GetStat(), InvalidParameter);
    EXPECT_EQ(CurrentId(), id);
    EXPECT_EQ(Format(), gp::PixelFormat32bppARGB);
    EXPECT_EQ(ArgbPixelsOf(id), (std::vector<ARGB>{0xFF102030, 0xFF405060}));
  }
}

TEST_F(PixelFormatMembers, ColourCubeAndGreys) {
  Current({0xFF1A19FF, 0xFF000000, 0xFFFFFFFF, 0xFF333333}, 4, 1);
  ASSERT_EQ(E().ConvertTo8Bpp216(), OK);
  EXPECT_EQ(Format(), gp::PixelFormat8bppIndexed);
  EXPECT_EQ(Indices(), (std::vector<int>{181, 0, 215, 43}));
  const std::vector<ARGB> cube = PaletteEntries(CurrentId());
  ASSERT_EQ(cube.size(), 216u);
  EXPECT_EQ(cube[181], 0xFF3300FFu);

  struct Case {
    VexiroStatus (cImaging::*member)();
    std::vector<int> greys;
  };
  // (1, 0, 18) weighs 1.5 and (3, 0, 54) 4.5: halves go to even.
  const std::vector<ARGB> pixels = {0xFF010012, 0xFF030036, 0xFF010100, 0xFF0A141E};
  const Case cases[] = {
      {&cImaging::ConvertTo8BppGrayScaleAdv, {2, 4, 1, 18}},
      {&cImaging::ConvertTo8BppGrayScale, {6, 19, 1, 20}},
  };
  for (const Case& c : cases) {
    Current(pixels, 4, 1);
    ASSERT_EQ((E().*c.member)(), OK);
    EXPECT_EQ(Indices(), c.greys);
    const std::vector<ARGB> ramp = PaletteEntries(CurrentId());
    ASSERT_EQ(ramp.size(), 256u);
    EXPECT_EQ(ramp[77], 0xFF4D4D4Du);
  }
}

TEST_F(PixelFormatMembers, EightBitResultsUnderAnOldPlatform) {
  auto& state = vx::engine::ThreadGdiplusState();
  const std::string version = state.GdiplusVersion;
  state.GdiplusVersion = "5.1";
  Current({0xFF000000, 0xFF0A141E}, 2, 1);
  const VexiroStatus s = E().ConvertTo8BppGrayScale();
  state.GdiplusVersion = version;
  ASSERT_EQ(s, OK);
  EXPECT_EQ(Format(), gp::PixelFormat8bppIndexed);
  EXPECT_EQ(Indices(), (std::vector<int>{0, 20}));
}

TEST_F(PixelFormatMembers, BitonalToGreySoftensTheProcessingRegion) {
  std::vector<ARGB> pixels(9, 0xFFFFFFFF);
  pixels[4] = 0xFF000000;
  Current(pixels, 3, 3, gp::PixelFormat1bppIndexed);
  ASSERT_EQ(E().ConvertBitonalToGrayScale(), OK);
  EXPECT_EQ(Format(), gp::PixelFormat8bppIndexed);
  // With 100 the centre weighs 1 against its four neighbours: (4 * 255 + 0) \ 5.
  EXPECT_EQ(Indices(), (std::vector<int>{255, 255, 255, 255, 204, 255, 255, 255, 255}));
}

TEST_F(PixelFormatMembers, IdentifierResolutionAndFormatSurviveEveryConverter) {
  struct Case {
    const char* name;
    VexiroStatus (cImaging::*member)();
    gp::PixelFormat format;
  };
  const Case cases[] = {
      {"1Bpp", &cImaging::ConvertTo1Bpp, gp::PixelFormat1bppIndexed},
      {"1BppFast", &cImaging::ConvertTo1BppFast, gp::PixelFormat1bppIndexed},
      {"4Bpp", &cImaging::ConvertTo4Bpp, gp::PixelFormat4bppIndexed},
      {"4Bpp16", &cImaging::ConvertTo4Bpp16, gp::PixelFormat4bppIndexed},
      {"4BppQ", &cImaging::ConvertTo4BppQ, gp::PixelFormat4bppIndexed},
      {"8Bpp216", &cImaging::ConvertTo8Bpp216, gp::PixelFormat8bppIndexed},
      {"8BppGrey", &cImaging::ConvertTo8BppGrayScale, gp::PixelFormat8bppIndexed},
      {"8BppGreyAdv", &cImaging::ConvertTo8BppGrayScaleAdv, gp::PixelFormat8bppIndexed},
      {"8BppQ", &cImaging::ConvertTo8BppQ, gp::PixelFormat8bppIndexed},
      {"555", &cImaging::ConvertTo16BppRGB555, gp::PixelFormat16bppRGB555},
      {"565", &cImaging::ConvertTo16BppRGB565, gp::PixelFormat16bppRGB565},
      {"24", &cImaging::ConvertTo24BppRGB, gp::PixelFormat24bppRGB},
      {"32", &cImaging::ConvertTo32BppARGB, gp::PixelFormat32bppARGB},
      {"32P", &cImaging::ConvertTo32BppPARGB, gp::PixelFormat32bppPARGB},
      {"32RGB", &cImaging::ConvertTo32BppRGB, gp::PixelFormat32bppRGB},
      {"48", &cImaging::ConvertTo48BppRGB, gp::PixelFormat48bppRGB},
      {"64", &cImaging::ConvertTo64BppARGB, gp::PixelFormat64bppPARGB},
  };
  for (const Case& c : cases) {
    const int32_t id = MakePhoto(7, 5, gp::PixelFormat24bppRGB);
    ASSERT_EQ(vx::engine::SetImageResolution(id, 123.5f, 77.25f), OK);
    SavingTestAccess::SetCurrent(E(), id);
    ASSERT_EQ((E().*c.member)(), OK) << c.name;
    EXPECT_EQ(CurrentId(), id) << c.name;
    EXPECT_EQ(Format(), c.format) << c.name;
    float h = 0, v = 0;
    vx::engine::GetImageHorizontalResolution(id, h);
    vx::engine::GetImageVerticalResolution(id, v);
    EXPECT_EQ(h, 123.5f) << c.name;
    EXPECT_EQ(v, 77.25f) << c.name;
  }
  const int32_t id = MakePhoto(7, 5, gp::PixelFormat24bppRGB);
  SavingTestAccess::SetCurrent(E(), id);
  ASSERT_EQ(E().Quantize8Bpp(3), OK);
  EXPECT_EQ(Format(), gp::PixelFormat8bppIndexed);
  EXPECT_LE(PaletteEntries(id).size(), 8u) << "at least 8 colours are asked for, never more";
}

TEST_F(PixelFormatMembers, DepthsAndStatuses) {
  const int32_t id = MakePhoto(4, 4, gp::PixelFormat24bppRGB);
  SavingTestAccess::SetCurrent(E(), id);
  const struct {
    int32_t depth;
    gp::PixelFormat format;
  } depths[] = {{1, gp::PixelFormat1bppIndexed},  {4, gp::PixelFormat4bppIndexed}, {8, gp::PixelFormat8bppIndexed},
                {16, gp::PixelFormat16bppRGB555}, {24, gp::PixelFormat24bppRGB},   {32, gp::PixelFormat32bppARGB},
                {48, gp::PixelFormat48bppRGB},    {64, gp::PixelFormat64bppPARGB}};
  for (const auto& d : depths) {
    SavingTestAccess::SetStat(E(), GenericError);
    ASSERT_EQ(E().ConvertToPixelFormatCR(d.depth), OK);
    EXPECT_EQ(E().GetStat(), OK) << "stored";
    EXPECT_EQ(Format(), d.format);
  }
  EXPECT_EQ(E().ConvertToPixelFormatCR(12), InvalidParameter);
  EXPECT_EQ(E().GetStat(), InvalidParameter);
  SavingTestAccess::SetStat(E(), GenericError);
  ASSERT_EQ(E().ConvertTo24BppRGB(), OK);
  EXPECT_EQ(E().GetStat(), GenericError) << "the one-line changes do not store their status";

  SavingTestAccess::SetCurrent(E(), 0);
  EXPECT_EQ(E().ConvertTo24BppRGB(), InvalidParameter);
  EXPECT_EQ(E().ConvertTo1Bpp(), GenericError);
  EXPECT_EQ(E().ConvertTo8BppGrayScale(), GenericError);
  EXPECT_EQ(E().ConvertBitonalToGrayScale(), InvalidParameter);
}

TEST_F(PixelFormatMembers, ConvertingToTheIndexedFormatTheImageHasKeepsItsPalette) {
  const std::vector<ARGB> colours = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF};
  for (auto format : {gp::PixelFormat8bppIndexed, gp::PixelFormat4bppIndexed}) {
    const int32_t id = MakeIndexed(3, 1, format, PaletteOf({colours[0], colours[1], colours[2]}), {2, 0, 1});
    SavingTestAccess::SetCurrent(E(), id);
    ASSERT_EQ(E().ConvertToPixelFormatCR(format == gp::PixelFormat8bppIndexed ? 8 : 4), OK);
    EXPECT_EQ(ArgbPixelsOf(id), (std::vector<ARGB>{colours[2], colours[0], colours[1]}));
  }
}

TEST_F(PixelFormatMembers, GreyMatchesImageMagick) {
  VX_REQUIRE_TOOL("convert");
  ScratchFolder folder;
  const std::string path = folder.File("photo.png");
  const int32_t id = MakePhoto(40, 30, gp::PixelFormat24bppRGB);
  SavingTestAccess::SetCurrent(E(), id);
  ASSERT_EQ(E().SaveAsPNG(path), OK);
  ASSERT_EQ(E().ConvertTo8BppGrayScale(), OK);
  const std::vector<ARGB> ours = ArgbPixelsOf(id);
  const std::string raw = Shell("convert '" + path + "' -grayscale Average -depth 8 gray:- 2>/dev/null");
  ASSERT_EQ(raw.size(), ours.size());
  for (size_t i = 0; i < ours.size(); ++i) EXPECT_NEAR(int(ours[i] & 0xFF), int(uint8_t(raw[i])), 1) << i;
}

}  // namespace
}  // namespace vexiro
