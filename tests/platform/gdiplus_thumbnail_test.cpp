// Thumbnails: size and format of the result and the quality of the scaling.
#include <gtest/gtest.h>

#include <cstdlib>

#include "gdiplus_test_session.h"

using namespace gdiplus_test;

namespace {

class Thumbnails : public Session {};

ImagePtr Thumbnail(GpImage* source, UINT w, UINT h) {
  GpImage* thumbnail = nullptr;
  EXPECT_EQ(GdipGetImageThumbnail(source, w, h, &thumbnail), Ok);
  return ImagePtr(thumbnail);
}

TEST_F(Thumbnails, HaveTheRequestedSizeIn32bppPargb) {
  BitmapPtr source = Make(64, 48, PixelFormat8bppIndexed);
  for (auto [w, h] : {std::pair{16u, 12u}, {1u, 1u}, {100u, 7u}, {200u, 150u}}) {
    ImagePtr thumbnail = Thumbnail(source.get(), w, h);
    EXPECT_EQ(WidthOf(thumbnail.get()), w);
    EXPECT_EQ(HeightOf(thumbnail.get()), h);
    EXPECT_EQ(FormatOf(thumbnail.get()), PixelFormat32bppPARGB);
  }
  ImagePtr standard = Thumbnail(source.get(), 0, 0);
  EXPECT_EQ(WidthOf(standard.get()), 120u);
  EXPECT_EQ(HeightOf(standard.get()), 120u);
  GpImage* none = nullptr;
  EXPECT_EQ(GdipGetImageThumbnail(source.get(), 10, 10, nullptr), InvalidParameter);
  EXPECT_EQ(GdipGetImageThumbnail(nullptr, 10, 10, &none), InvalidParameter);
}

TEST_F(Thumbnails, AverageAreasAndKeepEdges) {
  // Left half black, right half white, 40 x 20 down to 4 x 2: columns stay pure at the sides.
  BitmapPtr source = Make(40, 20, PixelFormat24bppRGB);
  for (INT y = 0; y < 20; ++y)
    for (INT x = 20; x < 40; ++x) ASSERT_EQ(GdipBitmapSetPixel(source.get(), x, y, 0xFFFFFFFF), Ok);
  ImagePtr thumbnail = Thumbnail(source.get(), 4, 2);
  EXPECT_EQ(Pixel(thumbnail.get(), 0, 0), 0xFF000000u);
  EXPECT_EQ(Pixel(thumbnail.get(), 3, 1), 0xFFFFFFFFu);

  // A fine checkerboard averages to mid grey.
  BitmapPtr checker = Make(32, 32, PixelFormat24bppRGB);
  for (INT y = 0; y < 32; ++y)
    for (INT x = (y % 2); x < 32; x += 2) ASSERT_EQ(GdipBitmapSetPixel(checker.get(), x, y, 0xFFFFFFFF), Ok);
  ImagePtr grey = Thumbnail(checker.get(), 4, 4);
  const ARGB c = Pixel(grey.get(), 1, 2);
  EXPECT_NEAR(static_cast<int>(c & 0xFF), 128, 3);
}

// Transparent pixels lend no colour to their opaque neighbours.
TEST_F(Thumbnails, TransparentPixelsDoNotBleed) {
  BitmapPtr source = Make(2, 1, PixelFormat32bppARGB);
  ASSERT_EQ(GdipBitmapSetPixel(source.get(), 0, 0, 0xFFFF0000), Ok);
  ASSERT_EQ(GdipBitmapSetPixel(source.get(), 1, 0, 0x0000FF00), Ok);
  ImagePtr thumbnail = Thumbnail(source.get(), 1, 1);
  const ARGB c = Pixel(thumbnail.get(), 0, 0);
  EXPECT_NEAR(static_cast<int>(c >> 24), 128, 1);
  EXPECT_EQ(c & 0x00FFFFFF, 0x00FF0000u);
}

}  // namespace
