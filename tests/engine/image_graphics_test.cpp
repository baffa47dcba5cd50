#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <fstream>

#include "engine/gdiplus_lifetime.h"
#include "engine/image_graphics.h"
#include "engine/handles/images_from_handles.h"
#include "engine/routines/shared_routines.h"
#include "engine_test_support.h"
#include "platform/gdi/gdi.h"
#include "platform/kernel/environment.h"

namespace vx::engine {
namespace {

using namespace vx::gdiplus;
using test_support::EngineTest;
using test_support::MakeImage;

using ImageGraphics = EngineTest;

TEST_F(ImageGraphics, LentDeviceContextIsSharedAndReturned) {
  const int32_t id = MakeImage(4, 4, PixelFormat24bppRGB);
  HDC dc = 0, again = 0;
  ASSERT_EQ(GetImageDC(id, dc), vexiro::OK);
  ASSERT_NE(dc, 0u);
  GpGraphics* graphics = FindImageRecord(id)->DCGraphics;
  ASSERT_EQ(GetImageDC(id, again), vexiro::OK);
  EXPECT_EQ(again, dc);
  EXPECT_EQ(FindImageRecord(id)->DCGraphics, graphics) << "no second graphics object";
  // What GDI draws on the lent context reaches the image when it is given back.
  ASSERT_TRUE(BitBlt(dc, 0, 0, 2, 2, 0, 0, 0, WHITENESS));
  EXPECT_EQ(ReleaseImageDC(dc), vexiro::OK);
  EXPECT_EQ(FindImageRecord(id)->DC, 0u);
  ARGB c = 0;
  GetImagePixel(id, 1, 1, c);
  EXPECT_EQ(c, 0xFFFFFFFFu);
  GetImagePixel(id, 3, 3, c);
  EXPECT_EQ(c, 0xFF000000u);

  EXPECT_EQ(ReleaseImageDC(0xDEAD), vexiro::GenericError);
  EXPECT_EQ(GetImageDC(31337, dc), vexiro::GenericError);
  EXPECT_EQ(dc, 0u);
}

TEST_F(ImageGraphics, ReleasingAnImageReturnsItsLentContext) {
  const int32_t id = MakeImage(3, 3, PixelFormat32bppARGB);
  HDC dc = 0;
  ASSERT_EQ(GetImageDC(id, dc), vexiro::OK);
  EXPECT_EQ(ReleaseImage(id), vexiro::OK);  // the leak checker sees the context and graphics go
  EXPECT_EQ(ReleaseImageDC(dc), vexiro::GenericError);
}

TEST_F(ImageGraphics, GraphicsMarksModifiedAndIndexedImagesAreRefusedOnACurrentPlatform) {
  const int32_t id = MakeImage(3, 3, PixelFormat24bppRGB);
  GpGraphics* graphics = nullptr;
  ASSERT_EQ(GetImageGraphics(id, graphics), vexiro::OK);
  EXPECT_TRUE(FindImageRecord(id)->Modified);
  SetGraphicsFastMode(graphics);
  EXPECT_EQ(graphics->smoothing, SmoothingModeNone);
  EXPECT_EQ(graphics->interpolation, InterpolationModeNearestNeighbor);
  EXPECT_EQ(graphics->compositingQuality, CompositingQualityHighSpeed);
  EXPECT_EQ(graphics->pixelOffset, PixelOffsetModeNone);
  EXPECT_EQ(RotateWorldTransform(graphics, 90.0f, MatrixOrderAppend), vexiro::OK);
  GdipDeleteGraphics(graphics);

  const int32_t indexed = MakeImage(3, 3, PixelFormat8bppIndexed);
  EXPECT_NE(GetImageGraphics(indexed, graphics), vexiro::OK);
  EXPECT_EQ(graphics, nullptr);
  EXPECT_EQ(GetImagePixelFormatValue(indexed), PixelFormat8bppIndexed) << "not converted";
  EXPECT_EQ(GetImageGraphics(31337, graphics), vexiro::InvalidParameter);
}

TEST(ImageGraphicsOlderPlatform, IndexedImagesAreWidenedBeforeDrawing) {
  OverridePlatformVersionForTesting("5.1.3102.2180");
  {
    vexiro::cImaging engine;
    const int32_t id = MakeImage(3, 3, PixelFormat8bppIndexed);
    GpGraphics* graphics = nullptr;
    ASSERT_EQ(GetImageGraphics(id, graphics), vexiro::OK);
    EXPECT_EQ(GetImagePixelFormatValue(id), PixelFormat32bppARGB);
    GdipDeleteGraphics(graphics);
  }
  OverridePlatformVersionForTesting("");
}

// ---- Metafiles ----

void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v) { std::memcpy(&b[at], &v, 4); }

// An enhanced metafile of size x size pixels holding one rectangle (default pen and brush).
std::vector<uint8_t> RectangleEmf(uint32_t size, uint32_t l, uint32_t t, uint32_t r, uint32_t b) {
  std::vector<uint8_t> emf(88, 0);
  Put32(emf, 0, 1);
  Put32(emf, 4, 88);
  Put32(emf, 16, size - 1);
  Put32(emf, 20, size - 1);
  Put32(emf, 32, size * 10);  // frame in hundredths of a millimetre at 254 dpi
  Put32(emf, 36, size * 10);
  Put32(emf, 40, 0x464D4520);
  Put32(emf, 44, 0x10000);
  Put32(emf, 56, 8);
  Put32(emf, 72, 2540);
  Put32(emf, 76, 2540);
  Put32(emf, 80, 254);
  Put32(emf, 84, 254);
  auto record = [&](uint32_t type, std::vector<uint32_t> params) {
    const size_t at = emf.size();
    emf.resize(at + 8 + 4 * params.size());
    Put32(emf, at, type);
    Put32(emf, at + 4, static_cast<uint32_t>(8 + 4 * params.size()));
    for (size_t i = 0; i < params.size(); ++i) Put32(emf, at + 8 + 4 * i, params[i]);
  };
  record(43, {l, t, r, b});
  record(14, {0, 16, 20});
  Put32(emf, 48, static_cast<uint32_t>(emf.size()));
  Put32(emf, 52, 3);
  return emf;
}

TEST_F(ImageGraphics, MetafileFileIsRasterisedAtItsScale) {
  const std::vector<uint8_t> emf = RectangleEmf(50, 10, 10, 40, 40);
  const std::string path = GetTempFilePath();
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(emf.data()), static_cast<std::streamsize>(emf.size()));
  int32_t id = 0;
  ASSERT_EQ(CreateImageFromMetafileFile(path, 2.0f, id), vexiro::OK);
  int32_t w = 0, h = 0;
  GetImageWidth(id, w);
  GetImageHeight(id, h);
  EXPECT_EQ(w, 100);
  EXPECT_EQ(h, 100);
  EXPECT_EQ(GetImagePixelFormatValue(id), PixelFormat32bppARGB);
  EXPECT_EQ(FindImageRecord(id)->Kind, KindScan0);
  ARGB inside = 0, outside = 0;
  GetImagePixel(id, 50, 50, inside);
  GetImagePixel(id, 4, 4, outside);
  EXPECT_EQ(inside, 0xFFFFFFFFu) << "the default brush is white";
  EXPECT_EQ(outside >> 24, 0u) << "outside the drawing stays transparent";

  int32_t none = 5;
  EXPECT_NE(CreateImageFromMetafileFile(path, 0.0f, none), vexiro::OK);
  EXPECT_NE(CreateImageFromMetafileFile(path, std::nanf(""), none), vexiro::OK);
  EXPECT_EQ(none, 0);
  DeleteFileQuietly(path);
  EXPECT_NE(CreateImageFromMetafileFile(path, 1.0f, none), vexiro::OK);
  EXPECT_EQ(ImageSlotCount(), 1) << "nothing made on failure stays registered";
}

TEST_F(ImageGraphics, MetafileHandlesBecomeMetafileImages) {
  const std::vector<uint8_t> emf = RectangleEmf(20, 2, 2, 10, 10);
  const HENHMETAFILE handle = SetEnhMetaFileBits(static_cast<UINT>(emf.size()), emf.data());
  ASSERT_NE(handle, 0u);
  int32_t id = 0;
  ASSERT_EQ(CreateImageFromEmfHandle(handle, true, id), vexiro::OK);
  EXPECT_EQ(GetImageFormatName(id), "EMF");
  EXPECT_EQ(ReleaseImage(id), vexiro::OK);
  EXPECT_EQ(GetEnhMetaFileBits(handle, 0, nullptr), 0u) << "the image took the handle over and deleted it";

  int32_t none = 3;
  EXPECT_NE(CreateImageFromEmfHandle(0xBAD, false, none), vexiro::OK);
  EXPECT_NE(CreateImageFromWmfHandle(0xBAD, false, nullptr, none), vexiro::OK);
  EXPECT_EQ(none, 0);
}

}  // namespace
}  // namespace vx::engine
