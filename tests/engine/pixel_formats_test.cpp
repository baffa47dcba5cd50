#include <gtest/gtest.h>

#include "engine/pixel_formats.h"

namespace vx::engine {
namespace {

using namespace vx::gdiplus;

TEST(PixelFormatTables, NamesAndDepths) {
  const struct {
    PixelFormat code;
    const char* name;
    int32_t bits;
  } cases[] = {
      {PixelFormat1bppIndexed, "1bppIndexed", 1},       {PixelFormat4bppIndexed, "4bppIndexed", 4},
      {PixelFormat8bppIndexed, "8bppIndexed", 8},       {PixelFormat16bppGrayScale, "16bppGrayScale", 16},
      {PixelFormat16bppRGB555, "16bppRGB555", 16},      {PixelFormat16bppRGB565, "16bppRGB565", 16},
      {PixelFormat16bppARGB1555, "16bppARGB1555", 16},  {PixelFormat24bppRGB, "24bppRGB", 24},
      {PixelFormat32bppRGB, "32bppRGB", 32},            {PixelFormat32bppARGB, "32bppARGB", 32},
      {PixelFormat32bppPARGB, "32bppPARGB", 32},        {PixelFormat48bppRGB, "48bppRGB", 48},
      {PixelFormat64bppARGB, "64bppARGB", 64},          {PixelFormat64bppPARGB, "64bppPARGB", 64},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(PixelFormatName(c.code), c.name);
    EXPECT_EQ(PixelFormatBitDepth(c.code), c.bits) << c.name;
    EXPECT_EQ(PixelFormatBitDepthStrict(c.code), c.bits) << c.name;
  }
  EXPECT_EQ(PixelFormatName(0x12345), "Undefined");
  EXPECT_EQ(PixelFormatBitDepth(0x12345), 32);
  EXPECT_EQ(PixelFormatBitDepthStrict(0x12345), 0);
  EXPECT_EQ(PixelFormatBitDepth(0), 0);
  EXPECT_EQ(PixelFormatBitDepthStrict(PixelFormat32bppCMYK), 0);
  EXPECT_TRUE(IsIndexedPixelFormat(PixelFormat4bppIndexed));
  EXPECT_FALSE(IsIndexedPixelFormat(PixelFormat16bppGrayScale));
  EXPECT_TRUE(IsAlphaPixelFormat(PixelFormat16bppARGB1555));
  EXPECT_FALSE(IsAlphaPixelFormat(PixelFormat32bppPARGB & ~PixelFormatAlpha));
}

TEST(PixelFormatTables, StrideAndRowBytes) {
  const struct {
    int32_t width, bits, stride, rowBytes;
  } cases[] = {
      {1, 1, 4, 1},       {32, 1, 4, 4},      {33, 1, 8, 5},    {1, 4, 16, 1},   {32, 4, 16, 16},
      {33, 4, 32, 17},    {1, 8, 4, 1},       {5, 8, 8, 5},     {1, 16, 4, 2},   {2, 16, 4, 4},
      {3, 16, 8, 6},      {1, 24, 4, 3},      {3, 24, 12, 9},   {5, 24, 16, 15}, {3, 32, 12, 12},
      {1, 48, 8, 6},      {2, 48, 16, 12},    {3, 48, 24, 18},  {3, 64, 24, 24}, {0, 24, 0, 0},
      {-4, 8, 0, 0},      {10, 0, 0, 0},      {10, 65, 0, 0},   {10, 12, 0, 0},
      // 1- and 4-bit strides are held in 16 bits: wider rows are outside the supported range.
      {262112, 1, 32764, 32764}, {262113, 1, 0, 32765},  {65504, 4, 32752, 32752}, {65505, 4, 0, 32753},
      {600000000, 32, 0, 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ComputeStride(c.width, c.bits), c.stride) << c.width << " px at " << c.bits;
    EXPECT_EQ(ComputeRowBytes(c.width, c.bits), c.rowBytes) << c.width << " px at " << c.bits;
  }
}

TEST(PixelFormatTables, ColourSpaceFromFlagsLaterFlagWins) {
  EXPECT_EQ(ColorSpaceCodeFromFlags(0), ImageColorSpaceUnknown);
  EXPECT_EQ(ColorSpaceCodeFromFlags(ImageFlagsColorSpaceRGB), ImageColorSpaceRGB);
  EXPECT_EQ(ColorSpaceCodeFromFlags(ImageFlagsColorSpaceRGB | ImageFlagsColorSpaceGRAY), ImageColorSpaceGRAY);
  EXPECT_EQ(ColorSpaceCodeFromFlags(ImageFlagsColorSpaceCMYK | ImageFlagsColorSpaceYCCK), ImageColorSpaceYCCK);
  EXPECT_EQ(ColorSpaceCodeFromFlags(ImageFlagsColorSpaceYCBCR | ImageFlagsHasAlpha), ImageColorSpaceYCBCR);
}

}  // namespace
}  // namespace vx::engine
