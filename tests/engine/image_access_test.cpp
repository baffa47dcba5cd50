#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "engine_test_support.h"

namespace vx::engine {
namespace {

using namespace vx::gdiplus;
using test_support::EngineTest;
using test_support::MakeImage;

using ImageAccess = EngineTest;

TEST_F(ImageAccess, QueriesOfAnUnknownIdentifier) {
  int32_t n = 7;
  float f = 7;
  EXPECT_EQ(GetImageWidth(4711, n), vexiro::InvalidParameter);
  EXPECT_EQ(n, 0);
  EXPECT_EQ(GetImageHeight(4711, n), vexiro::InvalidParameter);
  EXPECT_EQ(GetImageHorizontalResolution(4711, f), vexiro::InvalidParameter);
  EXPECT_EQ(f, 0);
  EXPECT_EQ(GetImagePaletteSize(4711, n), vexiro::InvalidParameter);
  EXPECT_EQ(GetImagePropertyCount(4711, n), vexiro::InvalidParameter);
  EXPECT_EQ(GetImageColorSpaceCode(4711, n), vexiro::InvalidParameter);
  EXPECT_EQ(GetImageBitDepthStrict(4711), 0);
  EXPECT_EQ(SetImagePixel(4711, 0, 0, 0), vexiro::InvalidParameter);
  EXPECT_EQ(SetImageResolution(4711, 96, 96), vexiro::InvalidParameter);
  EXPECT_EQ(RotateFlipImage(4711, Rotate90FlipNone), vexiro::InvalidParameter);
  intptr_t scan0 = 1;
  EXPECT_EQ(ReadImageScan0(4711, scan0), vexiro::InvalidParameter);
  EXPECT_EQ(scan0, 0);
}

TEST_F(ImageAccess, SizeFormatAndNames) {
  const int32_t id = MakeImage(17, 5, PixelFormat16bppGrayScale);
  int32_t w = 0, h = 0, bits = 0, stride = 0;
  EXPECT_EQ(GetImageWidth(id, w), vexiro::OK);
  EXPECT_EQ(GetImageHeight(id, h), vexiro::OK);
  EXPECT_EQ(w, 17);
  EXPECT_EQ(h, 5);
  EXPECT_EQ(GetImageBitDepth(id, bits), vexiro::OK);
  EXPECT_EQ(bits, 16);
  std::string name;
  EXPECT_EQ(GetPixelFormatName(id, name), vexiro::OK);
  EXPECT_EQ(name, "16bppGrayScale");
  EXPECT_EQ(GetImageFormatName(id), "Memory BMP");
  EXPECT_EQ(ReadImageStride(id, stride), vexiro::OK);
  EXPECT_GE(stride, 34);
}

TEST_F(ImageAccess, ResolutionIsWrittenAsAFittingRational) {
  const int32_t id = MakeImage(2, 2, PixelFormat24bppRGB);
  const struct {
    float dpi;
    uint32_t numerator, denominator;
  } cases[] = {
      {300.0f, 300, 1},      {72.5f, 725, 10},         {0.001f, 1, 1000},
      {2.0e9f, 2000000000, 1}, {1234.5678f, 12345677, 10000},
  };
  for (const auto& c : cases) {
    ASSERT_EQ(SetImageResolution(id, c.dpi, 150.0f), vexiro::OK) << c.dpi;
    float h = 0, v = 0;
    GetImageHorizontalResolution(id, h);
    GetImageVerticalResolution(id, v);
    EXPECT_FLOAT_EQ(h, c.dpi);
    EXPECT_FLOAT_EQ(v, 150.0f);
    int32_t size = 0;
    ASSERT_EQ(GetImagePropertyItemSize(id, PropertyTagXResolution, size), vexiro::OK);
    std::vector<uint64_t> buffer((static_cast<size_t>(size) + 7) / 8);
    auto* item = reinterpret_cast<PropertyItem*>(buffer.data());
    ASSERT_EQ(GdipGetPropertyItem(GetGpImage(id), PropertyTagXResolution, static_cast<UINT>(size), item), Ok);
    ASSERT_EQ(item->length, 8u);
    EXPECT_EQ(item->type, PropertyTagTypeRational);
    uint32_t fraction[2];
    std::memcpy(fraction, item->value, 8);
    EXPECT_LE(fraction[0], static_cast<uint32_t>(std::numeric_limits<int32_t>::max()));
    EXPECT_LE(fraction[1], 1000000000u);
    EXPECT_NEAR(static_cast<double>(fraction[0]) / fraction[1], c.dpi, c.dpi * 1e-6) << c.dpi;
  }
}

TEST_F(ImageAccess, NonFiniteOrNonPositiveResolutionIsRefused) {
  const int32_t id = MakeImage(2, 2, PixelFormat24bppRGB);
  ASSERT_EQ(SetImageResolution(id, 200, 200), vexiro::OK);
  const float bad[] = {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                       -std::numeric_limits<float>::infinity(), 0.0f, -72.0f, 3.0e9f, 1.0e38f};
  for (float dpi : bad) {
    EXPECT_EQ(SetImageResolution(id, dpi, 96), vexiro::InvalidParameter) << dpi;
    EXPECT_EQ(SetImageResolution(id, 96, dpi), vexiro::InvalidParameter) << dpi;
  }
  float h = 0;
  GetImageHorizontalResolution(id, h);
  EXPECT_EQ(h, 200.0f) << "a refused resolution changes nothing";
}

// Pixels of a 1-bit image as text rows of '0' and '1'.
std::vector<std::string> BitRows(int32_t id) {
  int32_t w = 0, h = 0;
  GetImageWidth(id, w);
  GetImageHeight(id, h);
  std::vector<std::string> rows;
  for (int32_t y = 0; y < h; ++y) {
    std::string row;
    for (int32_t x = 0; x < w; ++x) {
      ARGB c = 0;
      GetImagePixel(id, x, y, c);
      row += (c & 0xFFFFFF) ? '1' : '0';
    }
    rows.push_back(row);
  }
  return rows;
}

TEST_F(ImageAccess, HalfTurnOfABitonalImageEqualsTwoQuarterTurns) {
  const int32_t a = MakeImage(3, 2, PixelFormat1bppIndexed);
  test_support::WriteRow(a, 0, {0b10000000});
  test_support::WriteRow(a, 1, {0b01100000});
  const int32_t b = MakeImage(3, 2, PixelFormat1bppIndexed);
  test_support::WriteRow(b, 0, {0b10000000});
  test_support::WriteRow(b, 1, {0b01100000});
  ASSERT_EQ(BitRows(a), (std::vector<std::string>{"100", "011"}));
  EXPECT_EQ(RotateFlipImage(a, Rotate180FlipNone), vexiro::OK);
  EXPECT_EQ(RotateFlipImage(b, Rotate90FlipNone), vexiro::OK);
  EXPECT_EQ(RotateFlipImage(b, Rotate90FlipNone), vexiro::OK);
  EXPECT_EQ(BitRows(a), (std::vector<std::string>{"110", "001"}));
  EXPECT_EQ(BitRows(a), BitRows(b));
}

TEST_F(ImageAccess, RotatingOwnedPixelsNeverLeavesADanglingBuffer) {
  const int32_t stride = ComputeStride(3, 32);
  auto* pixels = static_cast<uint32_t*>(GdipAlloc(static_cast<size_t>(stride) * 2));
  ASSERT_NE(pixels, nullptr);
  for (int i = 0; i < 6; ++i) pixels[i] = 0xFF000000u | static_cast<uint32_t>(i);
  int32_t id = 0;
  ASSERT_EQ(CreateImageFromScan0(3, 2, stride, PixelFormat32bppARGB, reinterpret_cast<intptr_t>(pixels), id, true),
            vexiro::OK);
  EXPECT_EQ(RotateFlipImage(id, Rotate90FlipNone), vexiro::OK);
  int32_t w = 0;
  GetImageWidth(id, w);
  EXPECT_EQ(w, 2);
  ARGB c = 0;
  EXPECT_EQ(GetImagePixel(id, 1, 0, c), vexiro::OK);
  EXPECT_EQ(c, 0xFF000000u) << "after a quarter turn clockwise the old top-left is top-right";
  const ImageRecord* r = FindImageRecord(id);
  ASSERT_NE(r, nullptr);
  if (r->OwnsPixelBuffer) {
    intptr_t scan0 = 0;
    ReadImageScan0(id, scan0);
    EXPECT_EQ(r->PixelBuffer, scan0) << "an owned buffer is the one the image uses";
  } else {
    EXPECT_EQ(r->PixelBuffer, 0) << "a freed buffer is not left in the record";
  }
  // Release must not free anything twice (the address checker watches).
  EXPECT_EQ(ReleaseImage(id), vexiro::OK);
}

TEST_F(ImageAccess, WriteLockMarksTheImageModified) {
  const int32_t id = MakeImage(4, 4, PixelFormat32bppARGB);
  EXPECT_FALSE(FindImageRecord(id)->Modified);
  std::vector<uint32_t> buffer(16, 0);
  ASSERT_EQ(test_support::LockWholeArgb(id, buffer, ImageLockModeRead), vexiro::OK);
  EXPECT_FALSE(FindImageRecord(id)->Modified) << "reading changes nothing";
  std::fill(buffer.begin(), buffer.end(), 0xFF00FF00u);
  ASSERT_EQ(test_support::LockWholeArgb(id, buffer, ImageLockModeWrite), vexiro::OK);
  EXPECT_TRUE(FindImageRecord(id)->Modified);
  ARGB c = 0;
  GetImagePixel(id, 3, 3, c);
  EXPECT_EQ(c, 0xFF00FF00u);
}

TEST_F(ImageAccess, PaletteChangesMarkOrNot) {
  const int32_t id = MakeImage(2, 2, PixelFormat1bppIndexed);
  const ColorPalette p = test_support::PaletteOf({0xFF112233u, 0xFF445566u});
  EXPECT_EQ(SetImagePaletteRaw(id, p), vexiro::OK);
  EXPECT_FALSE(FindImageRecord(id)->Modified);
  EXPECT_EQ(SetImagePalette(id, p), vexiro::OK);
  EXPECT_TRUE(FindImageRecord(id)->Modified);
  int32_t bytes = 0;
  ASSERT_EQ(GetImagePaletteSize(id, bytes), vexiro::OK);
  EXPECT_EQ(bytes, 8 + 2 * 4);
  ColorPalette back;
  ASSERT_EQ(GetImagePalette(id, back, bytes), vexiro::OK);
  EXPECT_EQ(back.Entries[1], 0xFF445566u);
}

}  // namespace
}  // namespace vx::engine
