// Shared fixture of the imaging platform tests: a started platform and owned bitmaps.
#pragma once
#include <gtest/gtest.h>

#include <memory>

#include "platform/gdiplus/gdiplus_flat.h"

namespace gdiplus_test {

using namespace vx::gdiplus;

class Session : public ::testing::Test {
 protected:
  void SetUp() override {
    GdiplusStartupInput input;
    ASSERT_EQ(GdiplusStartup(&token_, &input, nullptr), Ok);
  }
  void TearDown() override { GdiplusShutdown(token_); }
  uint32_t token_ = 0;
};

struct Disposer {
  void operator()(GpImage* image) const { GdipDisposeImage(image); }
};
using BitmapPtr = std::unique_ptr<GpBitmap, Disposer>;
using ImagePtr = std::unique_ptr<GpImage, Disposer>;

inline BitmapPtr Make(INT w, INT h, PixelFormat format, INT stride = 0, void* scan0 = nullptr) {
  GpBitmap* bitmap = nullptr;
  EXPECT_EQ(GdipCreateBitmapFromScan0(w, h, stride, format, static_cast<BYTE*>(scan0), &bitmap), Ok);
  return BitmapPtr(bitmap);
}

inline ARGB Pixel(GpImage* image, INT x, INT y) {
  ARGB c = 0;
  EXPECT_EQ(GdipBitmapGetPixel(static_cast<GpBitmap*>(image), x, y, &c), Ok);
  return c;
}

inline UINT WidthOf(GpImage* image) {
  UINT w = 0;
  EXPECT_EQ(GdipGetImageWidth(image, &w), Ok);
  return w;
}

inline UINT HeightOf(GpImage* image) {
  UINT h = 0;
  EXPECT_EQ(GdipGetImageHeight(image, &h), Ok);
  return h;
}

inline PixelFormat FormatOf(GpImage* image) {
  PixelFormat f = 0;
  EXPECT_EQ(GdipGetImagePixelFormat(image, &f), Ok);
  return f;
}

}  // namespace gdiplus_test
