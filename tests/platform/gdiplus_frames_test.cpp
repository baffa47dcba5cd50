// Frames: the frame dimension of a bitmap, frame counts, and selection of the active frame.
#include <gtest/gtest.h>

#include "gdiplus_test_session.h"

using namespace gdiplus_test;

namespace {

class Frames : public Session {};

// A bitmap with three frames of different sizes along `dimension`.
BitmapPtr ThreeFrames(const GUID& dimension) {
  BitmapPtr bitmap = Make(10, 10, PixelFormat24bppRGB);
  for (INT side : {20, 30}) {
    Frame frame;
    EXPECT_EQ(MakeFrame(side, side + 1, PixelFormat8bppIndexed, frame), Ok);
    bitmap->frames.push_back(std::move(frame));
  }
  bitmap->frameDimension = dimension;
  return bitmap;
}

TEST_F(Frames, ReportOneDimensionAndItsFrameCount) {
  for (const GUID* dimension : {&FrameDimensionPage, &FrameDimensionTime}) {
    BitmapPtr bitmap = ThreeFrames(*dimension);
    UINT dimensions = 0;
    ASSERT_EQ(GdipImageGetFrameDimensionsCount(bitmap.get(), &dimensions), Ok);
    EXPECT_EQ(dimensions, 1u);
    GUID list[2];
    EXPECT_EQ(GdipImageGetFrameDimensionsList(bitmap.get(), list, 2), InvalidParameter);
    ASSERT_EQ(GdipImageGetFrameDimensionsList(bitmap.get(), list, 1), Ok);
    EXPECT_TRUE(list[0] == *dimension);
    UINT count = 0;
    ASSERT_EQ(GdipImageGetFrameCount(bitmap.get(), dimension, &count), Ok);
    EXPECT_EQ(count, 3u);
    const GUID& other = *dimension == FrameDimensionPage ? FrameDimensionTime : FrameDimensionPage;
    EXPECT_EQ(GdipImageGetFrameCount(bitmap.get(), &other, &count), InvalidParameter);
    EXPECT_EQ(GdipImageGetFrameCount(bitmap.get(), &FrameDimensionResolution, &count), InvalidParameter);
  }
  BitmapPtr single = Make(1, 1, PixelFormat24bppRGB);
  UINT count = 0;
  ASSERT_EQ(GdipImageGetFrameCount(single.get(), &FrameDimensionPage, &count), Ok);
  EXPECT_EQ(count, 1u);
}

TEST_F(Frames, SelectionChangesWhatEveryCallSees) {
  BitmapPtr bitmap = ThreeFrames(FrameDimensionTime);
  ASSERT_EQ(GdipImageSelectActiveFrame(bitmap.get(), &FrameDimensionTime, 2), Ok);
  EXPECT_EQ(WidthOf(bitmap.get()), 30u);
  EXPECT_EQ(HeightOf(bitmap.get()), 31u);
  EXPECT_EQ(FormatOf(bitmap.get()), PixelFormat8bppIndexed);
  INT paletteSize = 0;
  ASSERT_EQ(GdipGetImagePaletteSize(bitmap.get(), &paletteSize), Ok);
  EXPECT_EQ(paletteSize, 1032);

  EXPECT_EQ(GdipImageSelectActiveFrame(bitmap.get(), &FrameDimensionTime, 3), InvalidParameter);
  EXPECT_EQ(GdipImageSelectActiveFrame(bitmap.get(), &FrameDimensionPage, 0), InvalidParameter);
  EXPECT_EQ(GdipImageSelectActiveFrame(bitmap.get(), nullptr, 0), InvalidParameter);
  EXPECT_EQ(WidthOf(bitmap.get()), 30u);

  BitmapData data;
  ASSERT_EQ(GdipBitmapLockBits(bitmap.get(), nullptr, ImageLockModeRead, PixelFormat32bppARGB, &data), Ok);
  EXPECT_EQ(GdipImageSelectActiveFrame(bitmap.get(), &FrameDimensionTime, 0), WrongState);
  ASSERT_EQ(GdipBitmapUnlockBits(bitmap.get(), &data), Ok);
  ASSERT_EQ(GdipImageSelectActiveFrame(bitmap.get(), &FrameDimensionTime, 0), Ok);
  EXPECT_EQ(FormatOf(bitmap.get()), PixelFormat24bppRGB);
}

}  // namespace
