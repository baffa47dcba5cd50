#include <gtest/gtest.h>

#include <functional>
#include <sstream>

#include "control/script_engine.h"
#include "control/script_host.h"
#include "engine/image_access.h"
#include "engine/saving_test_support.h"
#include "platform/gdi/gdi.h"
#include "platform/gdi_test_support.h"
#include "processing/draw/display.h"
#include "support/font_cache_release.h"

namespace vexiro {
namespace {

using namespace vx::engine;
using namespace vx::engine::saving_test;

constexpr int32_t kBlack = -16777216, kWhite = -1;
constexpr ARGB kInk = 0xFF000000, kPaper = 0xFFFFFFFF;

class Drawing : public test_support::EngineTest {
 protected:
  cImaging& E() { return *engine_; }
  int32_t Canvas(int32_t w, int32_t h, float dpi = 96) {
    const int32_t id = MakeImage(w, h, vx::gdiplus::PixelFormat24bppRGB);
    EXPECT_EQ(SetImageResolution(id, dpi, dpi), OK);
    SavingTestAccess::SetCurrent(E(), id);
    EXPECT_EQ(E().DrawFillRectangle(0, 0, w, h, kWhite), OK);
    return id;
  }
  ARGB Pixel(int32_t id, int32_t x, int32_t y) {
    ARGB c = 0;
    EXPECT_EQ(GetImagePixel(id, x, y, c), OK);
    return c;
  }
  std::vector<ARGB> Pixels(int32_t id, int32_t w, int32_t h) {
    std::vector<ARGB> out;
    for (int32_t y = 0; y < h; ++y)
      for (int32_t x = 0; x < w; ++x) out.push_back(Pixel(id, x, y));
    return out;
  }
  // The smallest rectangle holding every pixel that is not paper; Width 0 when there is none.
  FilterArea Ink(int32_t id, int32_t w, int32_t h) {
    int32_t l = w, t = h, r = -1, b = -1;
    for (int32_t y = 0; y < h; ++y)
      for (int32_t x = 0; x < w; ++x)
        if (Pixel(id, x, y) != kPaper) l = std::min(l, x), r = std::max(r, x), t = std::min(t, y), b = std::max(b, y);
    return r < 0 ? FilterArea{} : FilterArea{l, t, r - l + 1, b - t + 1};
  }
  static BasicArray<int32_t> Points(std::vector<int32_t> values) {
    BasicArray<int32_t> a({ArrayBound{0, static_cast<int32_t>(values.size())}});
    a.Data() = std::move(values);
    return a;
  }
};

TEST_F(Drawing, MembersWithoutACurrentImage) {
  BasicArray<int32_t> points = Points({0, 0, 5, 5});
  int32_t end = kBlack;
  const std::function<VexiroStatus()> members[] = {
      [&] { return E().DrawLine(0, 0, 5, 5, 1); },
      [&] { return E().DrawFillRectangle(0, 0, 5, 5); },
      [&] { return E().DrawCurves(points, 1); },
      [&] { return E().DrawGradientCurves(points, 1, kBlack, end); },
      [&] { return E().DrawGrid(0, 0, 5, 5, 1, 1, 1); },
      [&] { return E().DrawSpotLight(5, 5, 3, 3, 5, 5, 0, kBlack, kWhite); },
      [&] { return E().DrawText("x", 0, 0, 10); },
      [&] { return E().DrawTextBox("x", 0, 0, 10, 10, 10); },
  };
  for (const auto& m : members) {
    SavingTestAccess::SetStat(E(), OK);
    EXPECT_EQ(m(), GenericError);
    EXPECT_EQ(E().GetStat(), GenericError);
  }
  EXPECT_EQ(E().GetTextWidth("x", "Arial", 10, 0), 0.0f);
  EXPECT_EQ(E().DisplayImageOnHDC(1, 0, 0, 1, 1), InvalidParameter);
  EXPECT_EQ(E().GetStat(), InvalidParameter);
}

TEST_F(Drawing, GeometryTheMembersWorkOut) {
  struct Case {
    const char* what;
    std::function<VexiroStatus(cImaging&)> draw;
    FilterArea ink;
  };
  const Case cases[] = {
      // Centre (50, 50), diameter 21: the square (40, 40, 21, 21), outline on x = 40 .. 61.
      {"circle by its centre", [](cImaging& e) { return e.DrawCircle(50, 50, 21, kBlack); }, {40, 40, 22, 22}},
      // Aliased fills take the pixels whose centres lie inside: 41 .. 60 of the square 40 .. 61.
      {"filled circle", [](cImaging& e) { return e.DrawFillCircle(50, 50, 21, kBlack); }, {41, 41, 20, 20}},
      // Steps of 0 are 2-pixel steps.
      {"grid with steps 0", [](cImaging& e) { return e.DrawGrid(10, 10, 10, 4, 0, 0, 1); }, {10, 10, 11, 5}},
      // Quarter turn: the width runs down from the anchor, the height to its left.
      {"rotated fill by 90", [](cImaging& e) { return e.DrawRotatedFillRectangle(90, 30, 20, 10, 5); },
       {25, 20, 5, 10}},
      {"rotated fill by 0", [](cImaging& e) { return e.DrawRotatedFillRectangle(0, 30, 20, 10, 5); },
       {30, 20, 10, 5}},
      // Seven elements: three points, the seventh ignored.
      {"polygon of 7 elements",
       [](cImaging& e) {
         BasicArray<int32_t> p = Points({10, 10, 30, 10, 30, 20, 90});
         return e.DrawFillPolygon(p, kBlack, 0);
       },
       {10, 10, 20, 10}},
  };
  for (const Case& c : cases) {
    const int32_t id = Canvas(100, 100);
    ASSERT_EQ(c.draw(E()), OK) << c.what;
    const FilterArea ink = Ink(id, 100, 100);
    EXPECT_EQ(std::tie(ink.X, ink.Y, ink.Width, ink.Height), std::tie(c.ink.X, c.ink.Y, c.ink.Width, c.ink.Height))
        << c.what << ": " << ink.X << "," << ink.Y << " " << ink.Width << "x" << ink.Height;
  }
  // Grid of width 10 with step 5: vertical lines at 10, 15 and 20 only.
  const int32_t id = Canvas(40, 40);
  ASSERT_EQ(E().DrawGrid(10, 10, 10, 10, 5, 100, 1), OK);
  for (int32_t x = 9; x <= 21; ++x) EXPECT_EQ(Pixel(id, x, 15) == kInk, x == 10 || x == 15 || x == 20) << x;
}

TEST_F(Drawing, EquivalentCallsDrawTheSamePixels) {
  const struct {
    const char* what;
    std::function<VexiroStatus(cImaging&)> a, b;
  } pairs[] = {
      {"radius above 90 is 90", [](cImaging& e) { return e.DrawRoundedRectangle(5, 5, 200, 190, 200, 1); },
       [](cImaging& e) { return e.DrawRoundedRectangle(5, 5, 200, 190, 90, 1); }},
      {"negative radius is 0", [](cImaging& e) { return e.DrawFillRoundedRectangle(5, 5, 50, 40, -3); },
       [](cImaging& e) { return e.DrawFillRectangle(5, 5, 50, 40); }},
      {"rotation by 0 is a plain fill", [](cImaging& e) { return e.DrawRotatedFillRectangle(0, 7, 9, 30, 20); },
       [](cImaging& e) { return e.DrawFillRectangle(7, 9, 30, 20); }},
  };
  for (const auto& p : pairs) {
    const int32_t first = Canvas(220, 220);
    ASSERT_EQ(p.a(E()), OK) << p.what;
    const int32_t second = Canvas(220, 220);
    ASSERT_EQ(p.b(E()), OK) << p.what;
    EXPECT_EQ(Pixels(first, 220, 220), Pixels(second, 220, 220)) << p.what;
  }
}

TEST_F(Drawing, ArrowsGradientsSpotlightsAndRefusals) {
  int32_t id = Canvas(60, 40);
  ASSERT_EQ(E().DrawLineArrow(50, 20, 10, 20, 2), OK);
  EXPECT_EQ(Pixel(id, 15, 18), kInk) << "the head sits at the destination";
  EXPECT_EQ(Pixel(id, 45, 18), kPaper);

  id = Canvas(60, 40);
  ASSERT_EQ(E().DrawGradientLine(0, 20, 59, 20, 3, kBlack, int32_t(0xFF0000FF)), OK);
  EXPECT_LT(Pixel(id, 1, 20) & 0xFF, 0x20u);
  EXPECT_GT(Pixel(id, 57, 20) & 0xFF, 0xE0u);

  id = Canvas(60, 60);
  ASSERT_EQ(E().DrawSpotLight(30, 30, 20, 15, 25, 28, 0, int32_t(0xFFFFFF00), int32_t(0xFF0000FF)), OK);
  const ARGB hot = Pixel(id, 25, 28);
  EXPECT_GT((hot >> 16) & 0xFF, 0xF0u);
  EXPECT_GT((hot >> 8) & 0xFF, 0xF0u);
  EXPECT_LT(hot & 0xFF, 0x10u);
  EXPECT_EQ(Pixel(id, 5, 5), kPaper);

  BasicArray<int32_t> one = Points({4});
  EXPECT_EQ(E().DrawCurves(one, 1), InvalidParameter);
  EXPECT_EQ(E().DrawGrid(0, 0, 10, 10, 1, 1, -1), InvalidParameter) << "a refused pen";
  EXPECT_EQ(E().DrawTexturedLine(0, 0, 10, 10, 2, "/nonexistent/texture.png"), FileNotFound);
}

// Boxes whose corners leave the 32-bit range are refused and draw nothing; one that only
// reaches far beyond the image is drawn as asked.
TEST_F(Drawing, ShapeBoxesAtTheRangesEndsAreRefusedUnwrapped) {
  constexpr int32_t kMax = INT32_MAX, kMin = INT32_MIN;
  const struct {
    const char* what;
    std::function<VexiroStatus(cImaging&)> call;
  } refused[] = {
      {"filled circle", [](cImaging& e) { return e.DrawFillCircle(kMin, 0, kMax, kBlack); }},
      {"circle", [](cImaging& e) { return e.DrawCircle(kMin, 5, kMax, kBlack, 3); }},
      {"circle of negative diameter", [](cImaging& e) { return e.DrawCircle(kMax, 5, kMin, kBlack); }},
      {"spotlight twice the radius",
       [](cImaging& e) { return e.DrawSpotLight(0, 0, kMax, 5, 0, 0, 0, kBlack, kBlack); }},
      {"spotlight left of the range",
       [](cImaging& e) { return e.DrawSpotLight(kMin, 5, 1, 1, 0, 0, 0, kBlack, kBlack); }},
      {"rotated rectangle turned past the range",
       [](cImaging& e) { return e.DrawRotatedRectangle(45, kMax, kMax, 5, 5, 1); }},
  };
  const int32_t id = Canvas(20, 20);
  for (const auto& c : refused) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(c.call(E()), InvalidParameter);
    EXPECT_EQ(Ink(id, 20, 20).Width, 0);
  }
  ASSERT_EQ(E().DrawFillCircle(0, 0, kMax, kBlack), OK) << "a circle far larger than the image";
  EXPECT_EQ(Pixel(id, 19, 19), kInk);
}

// The grid draws only the lines that reach the image, as far as they reach it: the pixels match
// every line of the asked area drawn one by one, translucent overlaps included, and an area at
// the range's end takes lines in proportion to the image.
TEST_F(Drawing, GridIsClippedToTheImageWithTheSamePixels) {
  constexpr int32_t kW = 40, kH = 30, kTranslucent = 0x80204080;
  const struct {
    int32_t left, top, width, height, stepX, stepY, pen;
  } grids[] = {{-1000, -500, 3000, 2000, 7, 5, 3}, {-3, 4, 60, 20, 4, 3, 9}, {35, -20, -10, 100, 1, 6, 2}};
  for (const auto& g : grids) {
    SCOPED_TRACE(testing::Message() << "grid at " << g.left << "," << g.top);
    const int32_t expected = Canvas(kW, kH);
    for (int64_t x = g.left; x <= int64_t{g.left} + g.width; x += g.stepX)
      E().DrawLine(int32_t(x), g.top, int32_t(x), g.top + g.height, g.pen, kTranslucent);
    for (int64_t y = g.top; y <= int64_t{g.top} + g.height; y += g.stepY)
      E().DrawLine(g.left, int32_t(y), g.left + g.width, int32_t(y), g.pen, kTranslucent);
    const int32_t drawn = Canvas(kW, kH);
    ASSERT_EQ(E().DrawGrid(g.left, g.top, g.width, g.height, g.stepX, g.stepY, g.pen, kTranslucent), OK);
    EXPECT_EQ(Pixels(drawn, kW, kH), Pixels(expected, kW, kH));
  }
  const int32_t whole = Canvas(kW, kH);
  ASSERT_EQ(E().DrawGrid(INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX, 1, 1, 1), OK);
  ASSERT_EQ(E().DrawGrid(0, 0, INT32_MAX, INT32_MAX, 1, 1, 1), OK);
  EXPECT_EQ(Ink(whole, kW, kH).Width, kW);
  EXPECT_EQ(Pixel(whole, kW - 1, kH - 1), kInk);
}

// One rule for every text member: a font whose em passes 65535 pixels (50,000 points at 96 dpi)
// is refused before anything is drawn or measured, and a font at that size is drawn.
TEST_F(Drawing, TextBeyondTheLargestEmIsRefusedByEveryMember) {
  const int32_t texture = MakeImage(4, 4, vx::gdiplus::PixelFormat24bppRGB);
  const struct {
    const char* what;
    std::function<VexiroStatus(cImaging&, int32_t)> call;
  } members[] = {
      {"DrawText", [](cImaging& e, int32_t size) { return e.DrawText("Hg", 0, 0, size); }},
      {"DrawTextBackColor", [](cImaging& e, int32_t size) { return e.DrawTextBackColor("Hg", 0, 0, size); }},
      {"DrawRotatedText", [](cImaging& e, int32_t size) { return e.DrawRotatedText(10, "Hg", 0, 0, size); }},
      {"DrawRotatedTextBackColor",
       [](cImaging& e, int32_t size) { return e.DrawRotatedTextBackColor(10, "Hg", 0, 0, size); }},
      {"DrawTextBox", [](cImaging& e, int32_t size) { return e.DrawTextBox("Hg", 0, 0, 30, 20, size); }},
      {"DrawTextGradient",
       [](cImaging& e, int32_t size) { return e.DrawTextGradient("Hg", 0, 0, kBlack, kWhite, size); }},
      {"DrawTextTextureFromVexiroImage",
       [texture](cImaging& e, int32_t size) { return e.DrawTextTextureFromVexiroImage("Hg", 0, 0, texture, size); }},
  };
  for (const auto& m : members) {
    SCOPED_TRACE(m.what);
    const int32_t id = Canvas(30, 20, 96);
    EXPECT_EQ(m.call(E(), 50000), InvalidParameter);
    EXPECT_EQ(Ink(id, 30, 20).Width, 0);
    E().FontSetUnit(2);
    EXPECT_EQ(m.call(E(), 65536), InvalidParameter);
    EXPECT_EQ(m.call(E(), 65535), OK);
    E().FontSetUnit(3);
  }
  EXPECT_EQ(E().GetTextWidth("Hg", "Arial", 50000, 0), 0.0f);
  EXPECT_EQ(E().GetStat(), InvalidParameter);
}

TEST_F(Drawing, TextSizesFollowTheUnitAndTheResolution) {
  Canvas(50, 50, 96);
  const float screen = E().GetTextHeight("Hg", "Arial", 12, 0);
  EXPECT_NEAR(screen, 16 * 2355.0 / 2048, 0.05) << "12 points at 96 dpi: 16 pixels an em";
  Canvas(50, 50, 300);
  EXPECT_NEAR(E().GetTextHeight("Hg", "Arial", 12, 0) / screen, 300.0 / 96, 1e-3);
  E().FontSetUnit(2);
  EXPECT_EQ(E().FontGetUnit(), 2);
  const float pixels = E().GetTextHeight("Hg", "Arial", 16, 0);
  EXPECT_NEAR(pixels, screen, 1e-3) << "16 pixels whatever the resolution";
  EXPECT_GT(E().GetTextWidth("ab  ", "Arial", 16, 0), E().GetTextWidth("ab", "Arial", 16, 0));

  SavingTestAccess::SetStat(E(), OK);
  EXPECT_EQ(E().DrawText("x", 0, 0, 10, 0, kBlack, "No Such Family 42"), FontFamilyNotFound);
  EXPECT_EQ(E().GetTextWidth("x", "No Such Family 42", 10, 0), 0.0f);
  EXPECT_EQ(E().GetStat(), FontFamilyNotFound);
  EXPECT_FALSE(E().FontIsStyleAvailable("No Such Family 42", 0));
  EXPECT_EQ(E().GetStat(), FontFamilyNotFound);
  EXPECT_TRUE(E().FontIsStyleAvailable("Arial", 3));
  const int32_t count = E().FontGetCount();
  EXPECT_GT(count, 0);
  EXPECT_EQ(E().FontGetName(0), "");
  EXPECT_EQ(E().FontGetName(count + 1), "");
  EXPECT_NE(E().FontGetName(1), "");
}

TEST_F(Drawing, TextIsPlacedWhereTheMembersSay) {
  E().FontSetUnit(2);
  // The back box is exactly the measured box.
  int32_t id = Canvas(200, 80);
  const float w = E().GetTextWidth("Box", "Arial", 20, 0), h = E().GetTextHeight("Box", "Arial", 20, 0);
  ASSERT_EQ(E().DrawTextBackColor("Box", 10, 10, 20, 0, kWhite, "Arial", int32_t(0xFF00FF00)), OK);
  const FilterArea back = Ink(id, 200, 80);
  EXPECT_EQ(back.X, 10);
  EXPECT_EQ(back.Y, 10);
  EXPECT_NEAR(back.Width, w, 1.0);
  EXPECT_NEAR(back.Height, h, 1.0);

  // Centred in its box by default, at the top-left with alignment 0.
  for (int32_t alignment : {1, 0}) {
    id = Canvas(200, 100);
    ASSERT_EQ(E().DrawTextBox("Mid", 20, 10, 160, 80, 16, alignment), OK);
    const FilterArea ink = Ink(id, 200, 100);
    if (alignment == 1) {
      EXPECT_NEAR(ink.X + ink.Width / 2.0, 100, 3);
      EXPECT_NEAR(ink.Y + ink.Height / 2.0, 50, 4);
    } else {
      EXPECT_LT(ink.X, 28);
      EXPECT_LT(ink.Y, 16);
    }
  }
  // Text longer than the box wraps onto more lines.
  id = Canvas(200, 200);
  ASSERT_EQ(E().DrawTextBox("one two three four", 10, 10, 70, 180, 16, 0), OK);
  EXPECT_GT(Ink(id, 200, 200).Height, 2 * 20) << "three lines";

  // A quarter turn writes downward from the anchor.
  id = Canvas(100, 200);
  ASSERT_EQ(E().DrawRotatedText(90, "Downward", 60, 20, 16), OK);
  const FilterArea turned = Ink(id, 100, 200);
  EXPECT_GT(turned.Height, 3 * turned.Width);
  EXPECT_GE(turned.Y, 20);
  EXPECT_LE(turned.X + turned.Width, 61);

  // Gradient text runs from the start colour on the left to the end colour on the right.
  id = Canvas(300, 60);
  ASSERT_EQ(E().DrawTextGradient("MMMMMMMM", 5, 5, int32_t(0xFFFF0000), int32_t(0xFF0000FF), 30), OK);
  const FilterArea all = Ink(id, 300, 60);
  ARGB left = 0, right = 0;
  for (int32_t y = all.Y; y < all.Y + all.Height; ++y) {
    if (Pixel(id, all.X + 1, y) != kPaper) left = Pixel(id, all.X + 1, y);
    if (Pixel(id, all.X + all.Width - 2, y) != kPaper) right = Pixel(id, all.X + all.Width - 2, y);
  }
  EXPECT_GT((left >> 16) & 0xFF, left & 0xFF);
  EXPECT_GT(right & 0xFF, (right >> 16) & 0xFF);

  // Texture text takes the texture's pixels; an unknown texture image draws nothing.
  const int32_t texture = MakeImage(4, 4, vx::gdiplus::PixelFormat24bppRGB);
  id = Canvas(200, 60);
  SavingTestAccess::SetCurrent(E(), texture);
  ASSERT_EQ(E().DrawFillRectangle(0, 0, 4, 4, int32_t(0xFF00FF00)), OK);
  SavingTestAccess::SetCurrent(E(), id);
  ASSERT_EQ(E().DrawTextTextureFromVexiroImage("HH", 5, 5, texture, 30), OK);
  EXPECT_GT(Ink(id, 200, 60).Width, 20);
  EXPECT_EQ(Pixel(id, Ink(id, 200, 60).X, Ink(id, 200, 60).Y + 5) | 0xFF000000u, 0xFF00FF00u);
  id = Canvas(200, 60);
  EXPECT_NE(E().DrawTextTextureFromVexiroImage("HH", 5, 5, 987654321, 30), OK);
  EXPECT_EQ(Ink(id, 200, 60).Width, 0);
}

TEST_F(Drawing, DisplayOnAMemoryDeviceContextReplicatesPixels) {
  // A 3 x 2 image of distinct colours shown at twice its size.
  const int32_t id = MakeImage(3, 2, vx::gdiplus::PixelFormat24bppRGB);
  for (int32_t y = 0; y < 2; ++y)
    for (int32_t x = 0; x < 3; ++x) ASSERT_EQ(SetImagePixel(id, x, y, 0xFF000000u | (x * 0x500000u) | (y * 0x90u)), OK);
  SavingTestAccess::SetCurrent(E(), id);
  vx::HDC dc = vx::CreateCompatibleDC(0);
  auto info = vx::testing::MakeDibInfo(10, -6, 32);
  void* bits = nullptr;
  vx::HBITMAP dib = vx::CreateDIBSection(dc, info.get(), vx::DIB_RGB_COLORS, &bits, 0, 0);
  vx::HGDIOBJ old = vx::SelectObject(dc, dib);
  ASSERT_EQ(E().DisplayImageOnHDC(static_cast<int32_t>(dc), 2, 1, 6, 4, 5), OK);
  const auto* px = static_cast<const uint32_t*>(bits);
  for (int32_t y = 0; y < 6; ++y)
    for (int32_t x = 0; x < 10; ++x) {
      const bool inside = x >= 2 && x < 8 && y >= 1 && y < 5;
      const ARGB want = inside ? (0x000000u | ((x - 2) / 2) * 0x500000u | ((y - 1) / 2) * 0x90u) : 0u;
      EXPECT_EQ(px[y * 10 + x] & 0xFFFFFF, want) << x << "," << y;
    }
  // A source rectangle: the right column only, stretched over the whole context.
  ASSERT_EQ(E().DisplayImageRectOnHDC(static_cast<int32_t>(dc), 0, 0, 10, 6, 2, 0, 1, 2, 5), OK);
  EXPECT_EQ(px[0] & 0xFFFFFF, 0xA00000u);
  EXPECT_EQ(px[59] & 0xFFFFFF, 0xA00090u);
  vx::SelectObject(dc, old);
  vx::DeleteObject(dib);
  vx::DeleteDC(dc);

  // Window 0 stands for the screen: the image lands there, and the screen context asked for
  // is given back with the graphics.
  ASSERT_EQ(E().DisplayImageOnHwnd(0, 0, 0, 6, 4, 5), OK);
  vx::HDC screen = vx::GetDC(0);
  vx::HDC copy = vx::CreateCompatibleDC(0);
  void* copyBits = nullptr;
  auto one = vx::testing::MakeDibInfo(1, 1, 32);
  vx::HBITMAP pixel = vx::CreateDIBSection(copy, one.get(), vx::DIB_RGB_COLORS, &copyBits, 0, 0);
  vx::HGDIOBJ was = vx::SelectObject(copy, pixel);
  ASSERT_TRUE(vx::BitBlt(copy, 0, 0, 1, 1, screen, 5, 3, vx::SRCCOPY));
  EXPECT_EQ(*static_cast<uint32_t*>(copyBits) & 0xFFFFFF, 0xA00090u);
  vx::SelectObject(copy, was);
  vx::DeleteObject(pixel);
  vx::DeleteDC(copy);
  vx::ReleaseDC(0, screen);

  // Image to image: destination 0 is refused before anything is touched; a 2x nearest copy.
  EXPECT_EQ(vx::draw::DrawImageRectHQ(0, id, {0, 0, 6, 4}, {0, 0, 3, 2}, 5), GenericError);
  const int32_t big = MakeImage(6, 4, vx::gdiplus::PixelFormat24bppRGB);
  ASSERT_EQ(vx::draw::DrawImageRectHQ(big, id, {0, 0, 6, 4}, {0, 0, 3, 2}, 5), OK);
  for (int32_t y = 0; y < 4; ++y)
    for (int32_t x = 0; x < 6; ++x) EXPECT_EQ(Pixel(big, x, y), Pixel(id, x / 2, y / 2)) << x << "," << y;
}

// The members answer through dispatch by name: arrays by reference, defaults, the font unit.
TEST(DrawingScript, MembersRunFromAScript) {
  vx::control::ScriptEngine engine;
  std::ostringstream out;
  vx::control::ScriptHost host(engine.Dispatcher(), out);
  const std::string script =
      "id = CreateNewImage(120, 60, 24, -1)\n"
      "p = Array(10, 10, 50, 10, 30, 40)\n"
      "print DrawFillPolygon(p, -16777216, 0), DrawPolygon(p, 2)\n"
      "FontSetUnit 2\n"
      "print FontGetUnit(), DrawText(\"Hi\", 60, 5, 20), GetTextHeight(\"Hi\", \"Arial\", 20, 0) > 20\n"
      "print BarCodeDraw128(\"A1\", 10, 45, 14), BarCodeGetWidth128(\"A1\", 35), BarCodeIsValidEAN13(\"\")\n"
      "print DrawText(\"x\", 0, 0, 10, 0, -16777216, \"No Such Family 42\"), GetStat()\n";
  ASSERT_TRUE(host.Run(script)) << host.Error();
  EXPECT_EQ(out.str(), "0 0\n2 0 True\n0 57 False\n14 14\n");
}

}  // namespace
}  // namespace vexiro
