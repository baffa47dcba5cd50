#include "processing/color/color_values.h"

#include <gtest/gtest.h>

#include <tuple>

#include "engine/engine_test_support.h"

namespace vexiro {
namespace {

using vx::processing::cColor;

class ColorValues : public vx::engine::test_support::EngineTest {
 protected:
  cImaging& E() { return *engine_; }
};

TEST_F(ColorValues, PackingAndSplittingArgbAndColorref) {
  EXPECT_EQ(cColor::MakeARGB(255, 255, 0, 0), static_cast<int32_t>(0xFFFF0000));
  cColor c;
  c.SetFromCOLORREF(0x000000FF);
  EXPECT_EQ(c.GetValue(), static_cast<int32_t>(0xFFFF0000));

  uint8_t r = 0, g = 0, b = 0, a = 0;
  E().ColorGetRGBFromRGBValue(0x00332211, r, g, b);
  EXPECT_EQ(std::tie(r, g, b), std::make_tuple(uint8_t{0x11}, uint8_t{0x22}, uint8_t{0x33}));
  E().ColorGetARGBFromARGBValue(static_cast<int32_t>(0x80112233), a, r, g, b);
  EXPECT_EQ(std::tie(a, r, g, b), std::make_tuple(uint8_t{0x80}, uint8_t{0x11}, uint8_t{0x22}, uint8_t{0x33}));
  int32_t la = 0, lr = 0, lg = 0, lb = 0;
  E().ColorGetARGBFromARGBValuel(static_cast<int32_t>(0xFE010203), la, lr, lg, lb);
  EXPECT_EQ(std::tie(la, lr, lg, lb), std::make_tuple(0xFE, 1, 2, 3));

  struct Case {
    int32_t a, r, g, b, argb;
  };
  const Case cases[] = {
      {300, -5, 10, 20, static_cast<int32_t>(0xFF000A14)},
      {0, 255, 256, -1, 0x00FFFF00},
      {128, 1, 2, 3, static_cast<int32_t>(0x80010203)},
  };
  for (const Case& k : cases) EXPECT_EQ(E().argb(k.a, k.r, k.g, k.b), k.argb) << k.a << " " << k.r;
  EXPECT_EQ(E().GetRGB(0x11, 0x22, 0x33), 0x00332211);
  EXPECT_EQ(E().GetRGB(300, 0, -4), 0xFF) << "components are limited, never spilled into a neighbour";
}

TEST_F(ColorValues, CmykTableRoundsHalvesToEven) {
  struct Case {
    uint8_t r, g, b, c, m, y, k;
  };
  // (5, 6, 6): cyan 255/6 = 42.5 becomes 42; (1, 2, 2): 127.5 becomes 128.
  const Case cases[] = {
      {0, 0, 0, 255, 255, 255, 255},   {255, 255, 255, 0, 0, 0, 0},     {255, 0, 0, 0, 255, 255, 0},
      {10, 100, 200, 242, 128, 0, 55}, {200, 150, 100, 0, 64, 128, 55}, {1, 2, 3, 170, 85, 0, 252},
      {128, 64, 32, 0, 128, 191, 127}, {5, 6, 6, 42, 0, 0, 249},        {1, 2, 2, 128, 0, 0, 253},
  };
  for (const Case& k : cases) {
    uint8_t c = 0, m = 0, y = 0, black = 0;
    E().ColorRGBtoCMYK(k.r, k.g, k.b, c, m, y, black);
    EXPECT_EQ(std::tie(c, m, y, black), std::tie(k.c, k.m, k.y, k.k)) << int(k.r) << "," << int(k.g) << "," << int(k.b);
  }
  struct Back {
    uint8_t c, m, y, k, r, g, b;
  };
  const Back backs[] = {
      {100, 50, 25, 10, 149, 197, 221}, {128, 128, 128, 128, 63, 63, 63}, {1, 254, 127, 3, 251, 1, 126}};
  for (const Back& k : backs) {
    uint8_t r = 0, g = 0, b = 0;
    E().ColorCMYKtoRGB(k.c, k.m, k.y, k.k, r, g, b);
    EXPECT_EQ(std::tie(r, g, b), std::tie(k.r, k.g, k.b)) << int(k.c);
  }
}

TEST_F(ColorValues, CmyAndCmykRoundTripOverTheCube) {
  for (int r = 0; r < 256; r += 3)
    for (int g = 0; g < 256; g += 5)
      for (int b = 0; b < 256; b += 7) {
        uint8_t c = 0, m = 0, y = 0, k = 0, r2 = 0, g2 = 0, b2 = 0;
        E().ColorRGBtoCMY(uint8_t(r), uint8_t(g), uint8_t(b), c, m, y);
        ASSERT_EQ(std::tie(c, m, y), std::make_tuple(uint8_t(255 - r), uint8_t(255 - g), uint8_t(255 - b)));
        E().ColorCMYtoRGB(c, m, y, r2, g2, b2);
        ASSERT_EQ(std::tie(r2, g2, b2), std::make_tuple(uint8_t(r), uint8_t(g), uint8_t(b)));
        E().ColorRGBtoCMYK(uint8_t(r), uint8_t(g), uint8_t(b), c, m, y, k);
        E().ColorCMYKtoRGB(c, m, y, k, r2, g2, b2);
        ASSERT_EQ(std::tie(r2, g2, b2), std::make_tuple(uint8_t(r), uint8_t(g), uint8_t(b)))
            << r << "," << g << "," << b;
      }
}

TEST_F(ColorValues, HslTableAndRoundTrip) {
  struct Case {
    uint8_t r, g, b;
    float h, s, l;
  };
  // Expected values computed independently in single precision.
  const Case cases[] = {
      {0, 0, 255, 4.0f, 1.0f, 0.5f},
      {128, 128, 128, 0.0f, 0.0f, 0.501960813999176f},
      {255, 255, 0, 1.0f, 1.0f, 0.5f},
      {255, 0, 1, -0.003921568859368563f, 1.0f, 0.5f},
      {10, 100, 200, 3.526315689086914f, 0.9047619104385376f, 0.4117647111415863f},
      {200, 150, 100, 0.5000000596046448f, 0.476190447807312f, 0.5882353186607361f},
  };
  for (const Case& k : cases) {
    float h = 9, s = 9, l = 9;
    E().ColorRGBtoHSL(k.r, k.g, k.b, h, s, l);
    EXPECT_EQ(std::tie(h, s, l), std::tie(k.h, k.s, k.l)) << int(k.r) << "," << int(k.g) << "," << int(k.b);
  }
  float h = 0, s = 0, l = 0;
  E().ColorRGBtoHSLl(300, -2, 0, h, s, l);
  EXPECT_EQ(std::tie(h, s, l), std::make_tuple(0.0f, 1.0f, 0.5f)) << "inputs are limited to the byte range";

  for (int r = 0; r < 256; r += 3)
    for (int g = 0; g < 256; g += 5)
      for (int b = 0; b < 256; b += 7) {
        uint8_t r2 = 0, g2 = 0, b2 = 0;
        E().ColorRGBtoHSL(uint8_t(r), uint8_t(g), uint8_t(b), h, s, l);
        E().ColorHSLtoRGB(h, s, l, r2, g2, b2);
        ASSERT_EQ(std::tie(r2, g2, b2), std::make_tuple(uint8_t(r), uint8_t(g), uint8_t(b)))
            << r << "," << g << "," << b;
      }
}

TEST_F(ColorValues, HslToRgbSextantsHalvesAndOutOfRange) {
  struct Case {
    float h, s, l;
    int32_t r, g, b;
  };
  const float halfOf2 = 2.5f / 255, halfOf0 = 0.5f / 255, halfOf1 = 1.5f / 255;
  const Case cases[] = {
      {0.0f, 1.0f, 0.5f, 255, 0, 0},     {2.0f, 0.5f, 0.5f, 64, 191, 64}, {-0.5f, 1.0f, 0.5f, 255, 0, 128},
      {4.5f, 1.0f, 0.5f, 128, 0, 255},   {3.0f, 1.0f, 0.5f, 0, 255, 255}, {1.5f, 1.0f, 0.25f, 64, 128, 0},
      {0.0f, 0.0f, halfOf0, 0, 0, 0},    {0.0f, 0.0f, halfOf1, 2, 2, 2},  {0.0f, 0.0f, halfOf2, 2, 2, 2},
      {0.0f, 0.0f, 1.5f, 255, 255, 255}, {0.0f, 0.0f, -1.0f, 0, 0, 0},
  };
  for (const Case& k : cases) {
    int32_t r = -1, g = -1, b = -1;
    E().ColorHSLtoRGBl(k.h, k.s, k.l, r, g, b);
    EXPECT_EQ(std::tie(r, g, b), std::tie(k.r, k.g, k.b)) << k.h << " " << k.s << " " << k.l;
  }
  EXPECT_EQ(vx::processing::WrapHue240(201), -39);
  EXPECT_EQ(vx::processing::WrapHue240(200), 200);
}

TEST_F(ColorValues, MembersLeaveTheLastStatusAlone) {
  E().CreateImageFromFile("/nonexistent/none.png");
  const VexiroStatus before = E().GetStat();
  ASSERT_NE(before, OK);
  uint8_t r, g, b;
  E().ColorCMYtoRGB(1, 2, 3, r, g, b);
  E().argb(1, 2, 3, 4);
  EXPECT_EQ(E().GetStat(), before);
}

}  // namespace
}  // namespace vexiro
