// The clipboard members and the loads from packed DIBs, pictures and the clipboard.
#include <cstring>

#include "engine/handles/images_from_handles.h"
#include "engine/load/loader.h"
#include "engine/loading_test_support.h"
#include "platform/gdi/gdi.h"
#include "platform/kernel/global_memory.h"
#include "platform/ole/picture.h"
#include "platform/user/user.h"

namespace vx::engine {
namespace {

using namespace test_support;
using namespace vx::gdiplus;

// A packed 1-bpp DIB of 8 x 2 pixels with the given palette, rows 0xF0 (left half first colour
// set) and the given pixels per metre.
HGLOBAL BilevelDib(uint32_t first, uint32_t second, int32_t pelsPerMetre) {
  const size_t bytes = 40 + 8 + 2 * 4;
  HGLOBAL block = GlobalAlloc(GHND, bytes);
  auto* p = static_cast<uint8_t*>(GlobalLock(block));
  const int32_t header[] = {40, 8, 2};
  std::memcpy(p, header, sizeof header);
  const uint16_t planesBits[] = {1, 1};
  std::memcpy(p + 12, planesBits, sizeof planesBits);
  std::memcpy(p + 24, &pelsPerMetre, 4);
  std::memcpy(p + 28, &pelsPerMetre, 4);
  std::memcpy(p + 40, &first, 4);
  std::memcpy(p + 44, &second, 4);
  p[48] = 0xF0;
  p[52] = 0xF0;
  GlobalUnlock(block);
  return block;
}

using ClipboardAndHandles = LoadingTest;

TEST_F(ClipboardAndHandles, PackedDibWithWhiteFirstTurnsBlackFirstAndLooksTheSame) {
  const HGLOBAL dib = BilevelDib(0x00FFFFFFu, 0x00000000u, 2000);  // white first
  int32_t id = 0;
  ASSERT_EQ(CreateImageFromPackedDIB(id, dib, false, true), vexiro::OK);
  ColorPalette palette;
  int32_t bytes = 0;
  GetImagePaletteSize(id, bytes);
  ASSERT_EQ(GetImagePalette(id, palette, bytes), vexiro::OK);
  EXPECT_EQ(palette.Entries[0], 0xFF000000u);
  EXPECT_EQ(palette.Entries[1], 0xFFFFFFFFu);
  ARGB left = 0, right = 0;
  GetImagePixel(id, 0, 0, left);
  GetImagePixel(id, 7, 0, right);
  EXPECT_EQ(left, 0xFF000000u) << "bit set, second colour: black as before";
  EXPECT_EQ(right, 0xFFFFFFFFu);
  float dpi = 0;
  GetImageHorizontalResolution(id, dpi);
  EXPECT_EQ(dpi, 51) << "50.8 rounded to whole dots";
  ReleaseImage(id);

  ASSERT_EQ(CreateImageFromPackedDIB(id, dib, true, false), vexiro::OK);
  GetImageHorizontalResolution(id, dpi);
  EXPECT_FLOAT_EQ(dpi, 50.8f);
  EXPECT_EQ(FindImageRecord(id)->DibHandle, dib) << "the kept handle is freed with the image";
  ReleaseImage(id);
  EXPECT_EQ(GlobalSize(dib), 0u);

  EXPECT_EQ(CreateImageFromPackedDIB(id, 0, false, false), vexiro::InvalidParameter);
  EXPECT_EQ(CreateImageFromPackedDIB(id, 0x7FFF1234, false, false), vexiro::GenericError);
}

TEST_F(ClipboardAndHandles, PicturesOfEveryKind) {
  const uint32_t pixels[4] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF};
  const HBITMAP bitmap = CreateBitmap(2, 2, 1, 32, pixels);
  ole::PICTDESC desc;
  desc.cbSizeofstruct = 16;
  desc.picType = ole::PICTYPE_BITMAP;
  desc.handle = bitmap;
  ole::ComPtr<ole::IPicture> picture;
  ASSERT_EQ(ole::OleCreatePictureIndirect(&desc, ole::IID_IPicture, 1, picture.put()), 0);
  const int32_t fromBitmap = engine_->CreateImageFromPicture(picture.get());
  ASSERT_NE(fromBitmap, 0);
  EXPECT_EQ(engine_->GetWidth(), 2);

  HICON icon = 0;
  ASSERT_EQ(CreateHICONFromImage(fromBitmap, icon), vexiro::OK);
  ole::PICTDESC iconDesc;
  iconDesc.cbSizeofstruct = 12;
  iconDesc.picType = ole::PICTYPE_ICON;
  iconDesc.handle = icon;
  ole::ComPtr<ole::IPicture> iconPicture;
  ASSERT_EQ(ole::OleCreatePictureIndirect(&iconDesc, ole::IID_IPicture, 1, iconPicture.put()), 0);
  EXPECT_NE(engine_->CreateImageFromPicture(iconPicture.get()), 0);
  EXPECT_EQ(engine_->GetHeight(), 2);

  // An empty Windows metafile: header and end record, nothing drawn, so all white.
  const uint16_t wmf[] = {1, 9, 0x0300, 12, 0, 0, 3, 0, 0, 3, 0, 0};
  const HMETAFILE metafile = SetMetaFileBitsEx(sizeof wmf, reinterpret_cast<const BYTE*>(wmf));
  ASSERT_NE(metafile, 0);
  ole::PICTDESC wmfDesc;
  wmfDesc.picType = ole::PICTYPE_METAFILE;
  wmfDesc.handle = metafile;
  wmfDesc.xExt = 2540;
  wmfDesc.yExt = 1270;
  ole::ComPtr<ole::IPicture> wmfPicture;
  ASSERT_EQ(ole::OleCreatePictureIndirect(&wmfDesc, ole::IID_IPicture, 1, wmfPicture.put()), 0);
  const int32_t fromMetafile = engine_->CreateImageFromPicture(wmfPicture.get());
  ASSERT_NE(fromMetafile, 0) << engine_->GetStat();
  EXPECT_GT(engine_->GetWidth(), engine_->GetHeight());
  ARGB white = 0;
  GetImagePixel(fromMetafile, 0, 0, white);
  EXPECT_EQ(white, 0xFFFFFFFFu) << "drawn on opaque white";
  EXPECT_EQ(GetImagePixelFormatValue(fromMetafile), PixelFormat32bppRGB);

  EXPECT_EQ(engine_->CreateImageFromPicture(nullptr), 0);
  EXPECT_EQ(engine_->GetStat(), vexiro::InvalidParameter);
}

TEST_F(ClipboardAndHandles, CopyThenCreateFromTheClipboard) {
  const int32_t image = engine_->CreateNewImage(9, 5, 24, static_cast<int32_t>(0xFF00FF00u));
  ASSERT_EQ(engine_->CopyToClipboard(), vexiro::OK);
  const int32_t back = engine_->CreateImageFromClipboard();
  ASSERT_NE(back, 0);
  EXPECT_EQ(engine_->GetWidth(), 9);
  EXPECT_EQ(engine_->GetHeight(), 5);
  ARGB argb = 0;
  GetImagePixel(back, 4, 4, argb);
  EXPECT_EQ(argb, 0xFF00FF00u);

  engine_->SetNativeImage(image);
  EXPECT_EQ(engine_->CopyRegionToClipboard(2, 1, 3, 2), vexiro::OK);
  engine_->CreateImageFromClipboard();
  EXPECT_EQ(engine_->GetWidth(), 3);
  engine_->SetNativeImage(image);
  EXPECT_NE(engine_->CopyRegionToClipboard(8, 4, 10, 10), vexiro::OK) << "outside the image";
  engine_->CreateImageFromClipboard();
  EXPECT_EQ(engine_->GetWidth(), 3) << "the clipboard kept what it had";

  engine_->SetNativeImage(0);
  EXPECT_EQ(engine_->CopyRegionToClipboard(0, 0, 1, 1), vexiro::GenericError);
  engine_->DeleteClipboardData();
  EXPECT_EQ(engine_->CreateImageFromClipboard(), 0);
  EXPECT_EQ(engine_->GetStat(), vexiro::GenericError);
}

TEST_F(ClipboardAndHandles, ADibOnTheClipboardIsReadFirst) {
  ASSERT_TRUE(OpenClipboard(0));
  EmptyClipboard();
  ASSERT_NE(SetClipboardData(CF_DIB, BilevelDib(0x00000000u, 0x00FFFFFFu, 3780)), 0);
  CloseClipboard();
  const int32_t id = engine_->CreateImageFromClipboard();
  ASSERT_NE(id, 0);
  EXPECT_EQ(engine_->GetPixelFormat(), static_cast<int32_t>(PixelFormat1bppIndexed));
  EXPECT_EQ(engine_->GetWidth(), 8);
  engine_->DeleteClipboardData();
}

}  // namespace
}  // namespace vx::engine
