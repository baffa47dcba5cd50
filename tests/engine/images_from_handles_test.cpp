#include <gtest/gtest.h>

#include "engine/handles/images_from_handles.h"
#include "engine_test_support.h"
#include "platform/gdi/gdi.h"
#include "platform/user/user.h"

namespace vx::engine {
namespace {

using namespace vx::gdiplus;
using test_support::EngineTest;
using test_support::MakeImage;

using ImagesFromHandles = EngineTest;

TEST_F(ImagesFromHandles, BitmapHandleRoundTrip) {
  const int32_t id = MakeImage(3, 2, PixelFormat32bppARGB);
  ASSERT_EQ(SetImagePixel(id, 2, 1, 0xFF336699u), vexiro::OK);
  HBITMAP handle = 0;
  ASSERT_EQ(CreateHBITMAPFromImage(id, handle, 0xFFFFFFFFu), vexiro::OK);
  ASSERT_NE(handle, 0u);
  int32_t back = 0;
  ASSERT_EQ(CreateImageFromBitmapHandle(handle, 0, back), vexiro::OK);
  EXPECT_EQ(FindImageRecord(back)->Kind, KindHBitmap);
  DeleteObject(handle);  // the image holds its own copy
  ARGB c = 0;
  EXPECT_EQ(GetImagePixel(back, 2, 1, c), vexiro::OK);
  EXPECT_EQ(c & 0xFFFFFF, 0x336699u);
}

TEST_F(ImagesFromHandles, IconHandleRoundTrip) {
  const int32_t id = MakeImage(4, 4, PixelFormat32bppARGB);
  ASSERT_EQ(SetImagePixel(id, 1, 1, 0xFFAA5500u), vexiro::OK);
  HICON icon = 0;
  ASSERT_EQ(CreateHICONFromImage(id, icon), vexiro::OK);
  int32_t back = 0;
  ASSERT_EQ(CreateImageFromIconHandle(icon, back), vexiro::OK);
  DestroyIcon(icon);
  EXPECT_EQ(FindImageRecord(back)->Kind, KindHIcon);
  ARGB c = 0;
  GetImagePixel(back, 1, 1, c);
  EXPECT_EQ(c, 0xFFAA5500u);
}

TEST_F(ImagesFromHandles, UnknownImagesAndHandles) {
  HBITMAP handle = 5;
  HICON icon = 5;
  EXPECT_EQ(CreateHBITMAPFromImage(5555, handle, 0), vexiro::InvalidParameter);
  EXPECT_EQ(handle, 0u);
  EXPECT_EQ(CreateHICONFromImage(5555, icon), vexiro::InvalidParameter);
  EXPECT_EQ(icon, 0u);
  int32_t id = 9;
  EXPECT_NE(CreateImageFromBitmapHandle(0xBAD, 0, id), vexiro::OK);
  EXPECT_EQ(id, 0);
  EXPECT_NE(CreateImageFromIconHandle(0xBAD, id), vexiro::OK);
  EXPECT_EQ(id, 0);
  EXPECT_EQ(ImageSlotCount(), 0);
}

}  // namespace
}  // namespace vx::engine

namespace vx::engine {
namespace {

using namespace vx::gdiplus;

TEST_F(ImagesFromHandles, CopyToTheClipboardAsABitmap) {
  const int32_t id = test_support::MakeImage(5, 4, PixelFormat24bppRGB);
  ASSERT_EQ(SetImagePixel(id, 4, 3, 0xFF0080FFu), vexiro::OK);
  EXPECT_EQ(CopyImageToClipboard(31337), vexiro::InvalidParameter);
  ASSERT_EQ(CopyImageToClipboard(id), vexiro::OK);
  ASSERT_TRUE(OpenClipboard(0));
  EXPECT_TRUE(IsClipboardFormatAvailable(CF_BITMAP));
  const HBITMAP onClipboard = GetClipboardData(CF_BITMAP);
  int32_t back = 0;
  ASSERT_EQ(CreateImageFromBitmapHandle(onClipboard, 0, back), vexiro::OK);
  ARGB c = 0;
  GetImagePixel(back, 4, 3, c);
  EXPECT_EQ(c & 0xFFFFFF, 0x0080FFu);
  EmptyClipboard();
  CloseClipboard();
}

}  // namespace
}  // namespace vx::engine

namespace vx::engine {
namespace {

using namespace vx::gdiplus;

TEST_F(ImagesFromHandles, PictureObjectOwnsABitmapOfTheImage) {
  const int32_t id = test_support::MakeImage(6, 3, PixelFormat32bppARGB);
  ASSERT_EQ(SetImagePixel(id, 5, 2, 0xFF204060u), vexiro::OK);
  ole::ComPtr<ole::IPicture> picture;
  EXPECT_EQ(GetImagePicture(31337, picture), vexiro::InvalidParameter);
  EXPECT_FALSE(picture);
  ASSERT_EQ(GetImagePicture(id, picture), vexiro::OK);
  ASSERT_TRUE(picture);
  int16_t type = 0;
  ASSERT_EQ(picture->get_Type(&type), S_OK);
  EXPECT_EQ(type, ole::PICTYPE_BITMAP);
  HANDLE32 handle = 0;
  ASSERT_EQ(picture->get_Handle(&handle), S_OK);
  int32_t back = 0;
  ASSERT_EQ(CreateImageFromBitmapHandle(handle, 0, back), vexiro::OK);
  ARGB c = 0;
  GetImagePixel(back, 5, 2, c);
  EXPECT_EQ(c & 0xFFFFFF, 0x204060u);
}

}  // namespace
}  // namespace vx::engine
