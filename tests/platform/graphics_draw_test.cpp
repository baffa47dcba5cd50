#include <gtest/gtest.h>

#include <cstdlib>

#include "gdi_test_support.h"
#include "gdiplus_test_session.h"
#include "platform/gdi/gdi.h"
#include "platform/gdiplus/graphics.h"

namespace {

using namespace gdiplus_test;
using vx::testing::MakeDibInfo;

struct GraphicsDeleter {
  void operator()(GpGraphics* g) const { GdipDeleteGraphics(g); }
};
using GraphicsPtr = std::unique_ptr<GpGraphics, GraphicsDeleter>;

class Graphics : public Session {
 protected:
  GraphicsPtr On(GpBitmap* bitmap) {
    GpGraphics* g = nullptr;
    EXPECT_EQ(GdipGetImageGraphicsContext(bitmap, &g), Ok);
    return GraphicsPtr(g);
  }
  // A 2 x 2 source: red, green / blue, white.
  BitmapPtr Quad() {
    BitmapPtr b = Make(2, 2, PixelFormat32bppARGB);
    GdipBitmapSetPixel(b.get(), 0, 0, 0xFFFF0000);
    GdipBitmapSetPixel(b.get(), 1, 0, 0xFF00FF00);
    GdipBitmapSetPixel(b.get(), 0, 1, 0xFF0000FF);
    GdipBitmapSetPixel(b.get(), 1, 1, 0xFFFFFFFF);
    return b;
  }
};

TEST_F(Graphics, RefusedOnFormatsThePlatformRefuses) {
  const struct {
    PixelFormat format;
    Status expected;
  } cases[] = {
      {PixelFormat1bppIndexed, OutOfMemory}, {PixelFormat4bppIndexed, OutOfMemory},
      {PixelFormat8bppIndexed, OutOfMemory}, {PixelFormat16bppARGB1555, OutOfMemory},
      {PixelFormat16bppGrayScale, OutOfMemory}, {PixelFormat16bppRGB565, Ok},
      {PixelFormat24bppRGB, Ok}, {PixelFormat32bppPARGB, Ok}, {PixelFormat48bppRGB, Ok},
      {PixelFormat64bppARGB, Ok},
  };
  for (const auto& c : cases) {
    BitmapPtr b = Make(3, 3, c.format);
    GpGraphics* g = reinterpret_cast<GpGraphics*>(1);
    EXPECT_EQ(GdipGetImageGraphicsContext(b.get(), &g), c.expected) << std::hex << c.format;
    if (c.expected != Ok) {
      EXPECT_EQ(g, nullptr);
    }
    if (g) GdipDeleteGraphics(g);
  }
}

TEST_F(Graphics, ClearReachesEveryPixelInTheBitmapsOwnFormat) {
  for (PixelFormat format : {PixelFormat24bppRGB, PixelFormat16bppRGB565, PixelFormat64bppARGB}) {
    // 5000 pixels wide: the drawing runs in several tiles.
    BitmapPtr b = Make(5000, 2, format);
    GraphicsPtr g = On(b.get());
    ASSERT_EQ(GdipRotateWorldTransform(g.get(), 30, MatrixOrderAppend), Ok);
    ASSERT_EQ(GdipGraphicsClear(g.get(), 0xFFFF0000), Ok);
    EXPECT_EQ(Pixel(b.get(), 0, 0), 0xFFFF0000u);
    EXPECT_EQ(Pixel(b.get(), 4999, 1), 0xFFFF0000u) << "clearing ignores the transform";
  }
}

TEST_F(Graphics, DrawImageRectScalesAndTouchesOnlyItsRectangle) {
  BitmapPtr source = Quad();
  BitmapPtr target = Make(12, 12, PixelFormat24bppRGB);
  GraphicsPtr g = On(target.get());
  GdipGraphicsClear(g.get(), 0xFF808080);
  ASSERT_EQ(GdipSetInterpolationMode(g.get(), InterpolationModeNearestNeighbor), Ok);
  ASSERT_EQ(GdipDrawImageRectI(g.get(), source.get(), 2, 2, 8, 8), Ok);
  EXPECT_EQ(Pixel(target.get(), 2, 2), 0xFFFF0000u);
  EXPECT_EQ(Pixel(target.get(), 5, 5), 0xFFFF0000u);
  EXPECT_EQ(Pixel(target.get(), 6, 5), 0xFF00FF00u);
  EXPECT_EQ(Pixel(target.get(), 5, 6), 0xFF0000FFu);
  EXPECT_EQ(Pixel(target.get(), 9, 9), 0xFFFFFFFFu);
  EXPECT_EQ(Pixel(target.get(), 1, 1), 0xFF808080u);
  EXPECT_EQ(Pixel(target.get(), 10, 10), 0xFF808080u);

  ASSERT_EQ(GdipSetInterpolationMode(g.get(), InterpolationModeHighQualityBicubic), Ok);
  ASSERT_EQ(GdipDrawImageRect(g.get(), source.get(), 0, 0, 12, 12), Ok);
  EXPECT_EQ(Pixel(target.get(), 0, 0), 0xFFFF0000u) << "corners stay pure";
  const ARGB middle = Pixel(target.get(), 5, 0);
  EXPECT_GT((middle >> 16) & 0xff, 0x80u) << "smoothed between red and green";
  EXPECT_GT((middle >> 8) & 0xff, 0x10u);
  EXPECT_EQ(GdipSetInterpolationMode(g.get(), InterpolationModeInvalid), InvalidParameter);
}

TEST_F(Graphics, AlphaComposesAndRotationPlacesTheImage) {
  BitmapPtr target = Make(10, 10, PixelFormat24bppRGB);
  GraphicsPtr g = On(target.get());
  GdipGraphicsClear(g.get(), 0xFF0000FF);
  BitmapPtr half = Make(1, 1, PixelFormat32bppARGB);
  GdipBitmapSetPixel(half.get(), 0, 0, 0x80FF0000);
  ASSERT_EQ(GdipDrawImageRectI(g.get(), half.get(), 0, 0, 10, 10), Ok);
  const ARGB blended = Pixel(target.get(), 5, 5);
  EXPECT_NEAR(static_cast<int>((blended >> 16) & 0xff), 128, 2);
  EXPECT_NEAR(static_cast<int>(blended & 0xff), 127, 2);

  // Quarter turn: x goes down, y goes left. The 2 x 1 image at (0, -10, 10, 5) lands on the
  // right half, its left (red) pixel on top.
  GdipGraphicsClear(g.get(), 0xFFFFFFFF);
  BitmapPtr pair = Make(2, 1, PixelFormat24bppRGB);
  GdipBitmapSetPixel(pair.get(), 0, 0, 0xFFFF0000);
  GdipBitmapSetPixel(pair.get(), 1, 0, 0xFF00FF00);
  GdipSetInterpolationMode(g.get(), InterpolationModeNearestNeighbor);
  ASSERT_EQ(GdipRotateWorldTransform(g.get(), 90, MatrixOrderPrepend), Ok);
  ASSERT_EQ(GdipDrawImageRectI(g.get(), pair.get(), 0, -10, 10, 5), Ok);
  EXPECT_EQ(Pixel(target.get(), 7, 2), 0xFFFF0000u);
  EXPECT_EQ(Pixel(target.get(), 7, 7), 0xFF00FF00u);
  EXPECT_EQ(Pixel(target.get(), 2, 2), 0xFFFFFFFFu);
}

TEST_F(Graphics, DeviceContextLendsTheBitmapAndBringsGdiDrawingBack) {
  BitmapPtr target = Make(4, 1, PixelFormat32bppARGB);
  GdipBitmapSetPixel(target.get(), 0, 0, 0x40102030);
  GdipBitmapSetPixel(target.get(), 3, 0, 0x00000000);
  GraphicsPtr g = On(target.get());
  vx::HDC dc = 0;
  ASSERT_EQ(GdipGetDC(g.get(), &dc), Ok);
  ASSERT_NE(dc, 0u);
  vx::HDC again = 0;
  EXPECT_EQ(GdipGetDC(g.get(), &again), ObjectBusy);
  EXPECT_EQ(GdipGraphicsClear(g.get(), 0xFF000000), ObjectBusy);

  // GDI paints pixels 1 and 2 yellow through the lent context.
  vx::HDC src = vx::CreateCompatibleDC(0);
  auto info = MakeDibInfo(1, 1, 24);
  void* bits = nullptr;
  vx::HBITMAP yellow = vx::CreateDIBSection(src, info.get(), vx::DIB_RGB_COLORS, &bits, 0, 0);
  static_cast<uint8_t*>(bits)[1] = static_cast<uint8_t*>(bits)[2] = 0xFF;
  vx::HGDIOBJ old = vx::SelectObject(src, yellow);
  ASSERT_EQ(vx::StretchBlt(dc, 1, 0, 2, 1, src, 0, 0, 1, 1, vx::SRCCOPY), vx::TRUE_);
  vx::SelectObject(src, old);
  vx::DeleteDC(src);
  vx::DeleteObject(yellow);

  EXPECT_EQ(GdipReleaseDC(g.get(), dc + 1), InvalidParameter);
  ASSERT_EQ(GdipReleaseDC(g.get(), dc), Ok);
  EXPECT_EQ(vx::GetObjectType(dc), 0u) << "the lent context is gone";
  EXPECT_EQ(Pixel(target.get(), 0, 0), 0x40102030u) << "untouched pixels keep their alpha";
  EXPECT_EQ(Pixel(target.get(), 1, 0), 0xFFFFFF00u);
  EXPECT_EQ(Pixel(target.get(), 2, 0), 0xFFFFFF00u);
  EXPECT_EQ(Pixel(target.get(), 3, 0), 0x00000000u);
  EXPECT_EQ(GdipGraphicsClear(g.get(), 0xFF000000), Ok);
}

TEST_F(Graphics, OnTheBitmapOfAMemoryContext) {
  vx::HDC dc = vx::CreateCompatibleDC(0);
  auto info = MakeDibInfo(3, -3, 24);
  void* bits = nullptr;
  vx::HBITMAP dib = vx::CreateDIBSection(dc, info.get(), vx::DIB_RGB_COLORS, &bits, 0, 0);
  vx::HGDIOBJ old = vx::SelectObject(dc, dib);
  GpGraphics* raw = nullptr;
  ASSERT_EQ(GdipCreateFromHDC(dc, &raw), Ok);
  GraphicsPtr g(raw);
  ASSERT_EQ(GdipGraphicsClear(g.get(), 0xFF112233), Ok);
  const auto* px = static_cast<const uint8_t*>(bits);
  EXPECT_EQ(px[0], 0x33);
  EXPECT_EQ(px[1], 0x22);
  EXPECT_EQ(px[2], 0x11);
  vx::HDC lent = 0;
  ASSERT_EQ(GdipGetDC(g.get(), &lent), Ok);
  EXPECT_EQ(lent, dc);
  EXPECT_EQ(GdipReleaseDC(g.get(), lent), Ok);
  g.reset();
  vx::SelectObject(dc, old);
  vx::DeleteDC(dc);
  vx::DeleteObject(dib);
  EXPECT_EQ(GdipCreateFromHDC(dc, &raw), OutOfMemory);
}

TEST(GraphicsNotStarted, AnswersNotInitialized) {
  GpGraphics* g = nullptr;
  EXPECT_EQ(GdipGetImageGraphicsContext(nullptr, &g), GdiplusNotInitialized);
  EXPECT_EQ(GdipGraphicsClear(nullptr, 0), GdiplusNotInitialized);
}

}  // namespace
