// Handles handed out for the current image, read back through the platform, and the current
// image's pixels copied to and from typed arrays of each shape.
#include <gtest/gtest.h>

#include "engine/handles/images_from_handles.h"
#include "engine/handles/packed_dib.h"
#include "engine/image_store.h"
#include "engine/saving_test_support.h"
#include "platform/gdi/gdi.h"
#include "platform/kernel/global_memory.h"
#include "platform/ole/picture.h"

namespace vexiro {
namespace {

using namespace vx::engine::saving_test;
using vx::gdiplus::ARGB;

// 3 x 2, opaque, every pixel a different colour.
ARGB Colour(int32_t x, int32_t y) { return 0xFF000000u | (0x30u * x + 0x10u) << 16 | (0x50u * y + 0x20u) << 8 | (0x11u * (x + 3 * y)); }

class HandleMembers : public vx::engine::test_support::EngineTest {
 protected:
  cImaging& E() { return *engine_; }
  int32_t MakeCurrent(vx::gdiplus::PixelFormat format = vx::gdiplus::PixelFormat32bppARGB) {
    const int32_t id = MakeFilled(3, 2, format, Colour);
    SavingTestAccess::SetCurrent(E(), id);
    return id;
  }
  std::vector<ARGB> Expected() {
    std::vector<ARGB> v;
    for (int32_t y = 0; y < 2; ++y)
      for (int32_t x = 0; x < 3; ++x) v.push_back(Colour(x, y));
    return v;
  }
};

TEST_F(HandleMembers, BitmapIconAndDibHandOutsReadBackPixelForPixel) {
  MakeCurrent();
  struct Case {
    const char* what;
    std::function<VexiroStatus(int32_t&)> readBack;  // makes an image from a fresh hand-out and frees it
  };
  const Case cases[] = {
      {"bitmap",
       [&](int32_t& id) {
         const int32_t h = E().GetHBitmap();
         EXPECT_NE(h, 0);
         const VexiroStatus s = vx::engine::CreateImageFromBitmapHandle(static_cast<vx::HBITMAP>(h), 0, id);
         E().DeleteHBitmap(h);
         EXPECT_EQ(vx::GetObjectType(static_cast<vx::HGDIOBJ>(h)), 0u) << "the bitmap is freed";
         return s;
       }},
      {"icon",
       [&](int32_t& id) {
         const int32_t h = E().GetHICON();
         EXPECT_NE(h, 0);
         const VexiroStatus s = vx::engine::CreateImageFromIconHandle(static_cast<vx::HICON>(h), id);
         E().DeleteHICON(h);
         vx::ICONINFO info;
         EXPECT_FALSE(vx::GetIconInfo(static_cast<vx::HICON>(h), &info)) << "the icon is destroyed";
         return s;
       }},
      {"picture",
       [&](int32_t& id) {
         uint32_t h = E().GetPicture();
         EXPECT_NE(h, 0u);
         vx::HANDLE32 bitmap = 0;
         vx::ole::FindPicture(h)->get_Handle(&bitmap);
         const VexiroStatus s = vx::engine::CreateImageFromBitmapHandle(bitmap, 0, id);
         E().DeletePictureObject(h);
         EXPECT_EQ(vx::GetObjectType(bitmap), 0u) << "the picture's bitmap is deleted";
         EXPECT_TRUE(vx::ole::RevokePicture(h)) << "the picture itself stays the host's";
         return s;
       }},
      {"packed DIB",
       [&](int32_t& id) {
         const int32_t h = E().GetDib();
         EXPECT_NE(h, 0);
         const void* block = vx::GlobalLock(static_cast<vx::HGLOBAL>(h));
         const VexiroStatus s =
             vx::engine::CreateImageFromPackedDIBBlock(block, vx::GlobalSize(static_cast<vx::HGLOBAL>(h)), id);
         vx::GlobalUnlock(static_cast<vx::HGLOBAL>(h));
         E().RemoveDib(h);
         EXPECT_EQ(vx::GlobalLock(static_cast<vx::HGLOBAL>(h)), nullptr) << "the block is freed";
         return s;
       }},
  };
  for (const Case& c : cases) {
    int32_t id = 0;
    ASSERT_EQ(c.readBack(id), OK) << c.what;
    EXPECT_EQ(E().GetStat(), OK) << c.what;
    std::vector<ARGB> got = ArgbPixelsOf(id);
    for (ARGB& p : got) p |= 0xFF000000u;  // a DIB of 24 bits carries no alpha
    EXPECT_EQ(got, Expected()) << c.what;
    vx::engine::ReleaseImage(id);
  }
}

TEST_F(HandleMembers, WithoutAnImageHandOutsAreZeroAndPixelMembersFail) {
  EXPECT_EQ(E().GetHBitmap(), 0);
  EXPECT_NE(E().GetStat(), OK);
  EXPECT_EQ(E().GetDib(), 0);
  EXPECT_EQ(E().PixelGetColor(0, 0), 0);
  EXPECT_EQ(E().GetStat(), GenericError);
  BasicArray<int32_t> longs;
  EXPECT_EQ(E().GetPixelArray1D(longs, 0, 0, 1, 1), GenericError);
  EXPECT_EQ(longs.size(), 0u);
}

TEST_F(HandleMembers, PicturesOfUnknownImagesAreRefused) {
  EXPECT_EQ(E().GetPictureFromVexiroImage(12345), 0u);
  EXPECT_EQ(E().GetStat(), InvalidParameter);
}

// Drawing on the lent context reaches the image when the context is released.
TEST_F(HandleMembers, DeviceContextRoundTrip) {
  const int32_t id = MakeCurrent();
  const int32_t dc = E().GetVexiroImageDC(id);
  ASSERT_NE(dc, 0);
  EXPECT_EQ(E().GetVexiroImageDC(id), dc) << "the same context until released";
  const uint32_t blue = 0xFF0000FFu;
  const vx::HBITMAP source = vx::CreateBitmap(1, 1, 1, 32, &blue);
  const vx::HDC memory = vx::CreateCompatibleDC(0);
  const vx::HGDIOBJ old = vx::SelectObject(memory, source);
  EXPECT_TRUE(vx::BitBlt(static_cast<vx::HDC>(dc), 2, 1, 1, 1, memory, 0, 0, vx::SRCCOPY));
  vx::SelectObject(memory, old);
  vx::DeleteDC(memory);
  vx::DeleteObject(source);
  ASSERT_EQ(E().ReleaseVexiroImageDC(dc), OK);
  EXPECT_EQ(ArgbPixelsOf(id)[5] & 0xFFFFFFu, 0x0000FFu);
  EXPECT_EQ(ArgbPixelsOf(id)[0], Colour(0, 0));
  EXPECT_EQ(E().ReleaseVexiroImageDC(dc), GenericError) << "released twice";
  EXPECT_EQ(E().GetVexiroImageDC(999), 0);
  EXPECT_EQ(E().GetStat(), GenericError);
  EXPECT_NE(E().GetVexiroImageDC(id), 0) << "a new context after the release";
}

TEST_F(HandleMembers, SinglePixelsAndTheStride) {
  const int32_t id = MakeCurrent();
  EXPECT_EQ(E().GetNativeImage(), id);
  EXPECT_EQ(static_cast<ARGB>(E().PixelGetColor(2, 1)), Colour(2, 1));
  ASSERT_EQ(E().PixelSetColor(1, 0, static_cast<int32_t>(0x80123456u)), OK);
  EXPECT_EQ(ArgbPixelsOf(id)[1], 0x80123456u);
  E().PixelGetColor(3, 0);
  EXPECT_EQ(E().GetStat(), InvalidParameter);
  EXPECT_EQ(E().GetImageStride(), 12);
  EXPECT_EQ(E().GetGdiplusImage(), reinterpret_cast<intptr_t>(vx::engine::GetGpImage(id)));
  const auto* bits = reinterpret_cast<const uint32_t*>(E().GetImageBits());
  ASSERT_NE(bits, nullptr);
  EXPECT_EQ(bits[2], Colour(2, 0)) << "the first row as the image holds it";
  EXPECT_EQ(E().CreateImageFromGdiPlusImage(E().GetGdiplusImage()), 0) << "the store owns it already";
  EXPECT_EQ(E().GetStat(), InvalidParameter);
  EXPECT_EQ(E().GetNativeImage(), id);
}

TEST_F(HandleMembers, ArraysOfEachShapeReadTheRectangleInTheirOrder) {
  MakeCurrent();
  // The 2 x 2 rectangle from (1, 0).
  const ARGB a = Colour(1, 0), b = Colour(2, 0), c = Colour(1, 1), d = Colour(2, 1);
  auto bytes = [](ARGB p, int n) {
    std::vector<uint8_t> v;
    for (int i = 0; i < n; ++i) v.push_back(static_cast<uint8_t>(p >> (8 * i)));
    return v;
  };
  auto concat = [](std::initializer_list<std::vector<uint8_t>> parts) {
    std::vector<uint8_t> v;
    for (const auto& p : parts) v.insert(v.end(), p.begin(), p.end());
    return v;
  };
  BasicArray<int32_t> oneD, twoD;
  ASSERT_EQ(E().GetPixelArray1D(oneD, 1, 0, 2, 2), OK);
  EXPECT_EQ(oneD.Data(), (std::vector<int32_t>{int32_t(a), int32_t(b), int32_t(c), int32_t(d)}));
  ASSERT_EQ(E().GetPixelArray2D(twoD, 1, 0, 2, 2), OK);
  EXPECT_EQ(twoD.UBound(1), 1);
  EXPECT_EQ(twoD.UBound(2), 1);
  EXPECT_EQ(static_cast<ARGB>(twoD(1, 0)), b);
  EXPECT_EQ(static_cast<ARGB>(twoD(0, 1)), c);

  BasicArray<uint8_t> argb, rgb, channels;
  ASSERT_EQ(E().GetPixelArrayBytesARGB(argb, 1, 0, 2, 2), OK);
  EXPECT_EQ(argb.Data(), concat({bytes(a, 4), bytes(b, 4), bytes(c, 4), bytes(d, 4)}));
  ASSERT_EQ(E().GetPixelArrayBytesRGB(rgb, 1, 0, 2, 2), OK);
  EXPECT_EQ(rgb.Data(), concat({bytes(a, 3), bytes(b, 3), bytes(c, 3), bytes(d, 3)})) << "rows of 6 bytes, no padding";
  ASSERT_EQ(E().GetPixelArrayARGB(channels, 1, 0, 2, 2), OK);
  EXPECT_EQ(channels.Rank(), 3);
  EXPECT_EQ(channels(2, 0, 1), static_cast<uint8_t>(c >> 16)) << "red of (1, 1)";

  BasicArray<uint8_t> indices;
  EXPECT_EQ(E().GetPixelArray8bpp1D(indices, 0, 0, 1, 1), UnsupportedPixelFormat);
}

// A larger array keeps its bounds, and the rectangle lies packed from its first element (rows of
// 4 x width bytes, x fastest), whatever its first dimension: hosts index it as that buffer.
TEST_F(HandleMembers, LargerArraysKeepTheirBoundsAndHoldTheRowsPackedFromTheFirstElement) {
  const int32_t id = MakeCurrent();
  BasicArray<int32_t> wide({ArrayBound{5, 4}, ArrayBound{-1, 3}});
  ASSERT_EQ(E().GetPixelArray2D(wide, 0, 0, 3, 2), OK);
  EXPECT_EQ(wide.LBound(1), 5);
  EXPECT_EQ(wide.UBound(1), 8);
  EXPECT_EQ(wide.LBound(2), -1);
  const std::vector<int32_t>& flat = wide.Data();
  for (int32_t y = 0; y < 2; ++y)
    for (int32_t x = 0; x < 3; ++x) EXPECT_EQ(static_cast<ARGB>(flat[size_t(y * 3 + x)]), Colour(x, y)) << x << "," << y;
  EXPECT_EQ(static_cast<ARGB>(wide(8, -1)), Colour(0, 1)) << "the second row starts in the first row's spare element";
  for (size_t i = 6; i < flat.size(); ++i) EXPECT_EQ(flat[i], 0) << "past the rectangle: untouched, " << i;

  BasicArray<uint8_t> channels({ArrayBound{0, 5}, ArrayBound{0, 5}, ArrayBound{0, 2}});
  ASSERT_EQ(E().GetPixelArrayARGB(channels, 0, 0, 3, 2), OK);
  EXPECT_EQ(channels.UBound(1), 4) << "five channels are enough";
  const size_t blueOf21 = (1 * 3 + 2) * 4;
  EXPECT_EQ(channels.Data()[blueOf21], static_cast<uint8_t>(Colour(2, 1)));
  EXPECT_EQ(channels.Data()[blueOf21 + 2], static_cast<uint8_t>(Colour(2, 1) >> 16)) << "red of (2, 1)";

  // Writing reads the same layout back: element i of the array is pixel i of the rectangle.
  BasicArray<int32_t> big({ArrayBound{0, 5}, ArrayBound{0, 5}});
  for (size_t i = 0; i < big.size(); ++i) big.Data()[i] = static_cast<int32_t>(0xFF000000u | (i * 0x0A0B0Cu));
  ASSERT_EQ(E().SetPixelArray(big, 0, 0, 3, 2), OK);
  const std::vector<ARGB> pixels = ArgbPixelsOf(id);
  for (size_t i = 0; i < 6; ++i) EXPECT_EQ(pixels[i], 0xFF000000u | (i * 0x0A0B0Cu)) << i;
  BasicArray<uint8_t> packedBytes({ArrayBound{0, 24}});
  ASSERT_EQ(E().GetPixelArrayBytesARGB(packedBytes, 0, 0, 3, 2), OK);
  BasicArray<uint8_t> cube({ArrayBound{0, 4}, ArrayBound{0, 3}, ArrayBound{0, 2}});
  ASSERT_EQ(E().GetPixelArrayARGB(cube, 0, 0, 3, 2), OK);
  EXPECT_EQ(cube.Data(), packedBytes.Data()) << "(channel, x, y) over the same bytes";
}

TEST_F(HandleMembers, WritesComeBackAndUndersizedArraysAreRefused) {
  const int32_t id = MakeCurrent();
  const std::vector<ARGB> before = ArgbPixelsOf(id);
  struct Refused {
    const char* what;
    std::function<VexiroStatus()> call;
  };
  BasicArray<int32_t> shortLongs({ArrayBound{0, 3}});
  BasicArray<int32_t> narrow2D({ArrayBound{0, 1}, ArrayBound{0, 2}});
  BasicArray<uint8_t> shortBytes({ArrayBound{0, 11}});
  BasicArray<uint8_t> threeChannels({ArrayBound{0, 3}, ArrayBound{0, 2}, ArrayBound{0, 2}});
  const Refused refused[] = {
      {"1D longs for 2 x 2", [&] { return E().SetPixelArray(shortLongs, 0, 0, 2, 2); }},
      {"2D one column wide", [&] { return E().SetPixelArray(narrow2D, 0, 0, 2, 2); }},
      {"ARGB bytes for 3 pixels", [&] { return E().SetPixelArrayBytesARGB(shortBytes, 0, 0, 2, 2); }},
      {"RGB bytes, one short", [&] { return E().SetPixelArrayBytesRGB(shortBytes, 0, 0, 2, 2); }},
      {"three channels", [&] { return E().SetPixelArrayARGB(threeChannels, 0, 0, 2, 2); }},
      {"rectangle outside", [&] { return E().SetPixelArray(shortLongs, 2, 1, 2, 2); }},
      {"empty rectangle", [&] { return E().SetPixelArray(shortLongs, 0, 0, 0, 1); }},
  };
  for (const Refused& r : refused) {
    EXPECT_EQ(r.call(), InvalidParameter) << r.what;
    EXPECT_EQ(ArgbPixelsOf(id), before) << r.what;
  }

  BasicArray<int32_t> two({ArrayBound{0, 2}, ArrayBound{0, 1}});
  two(0, 0) = static_cast<int32_t>(0xFF0000FFu);
  two(1, 0) = static_cast<int32_t>(0x8000FF00u);
  ASSERT_EQ(E().SetPixelArray(two, 1, 1, 2, 1), OK);
  BasicArray<uint8_t> rgb = BasicArray<uint8_t>::FromVector({1, 2, 3});
  ASSERT_EQ(E().SetPixelArrayBytesRGB(rgb, 0, 0, 1, 1), OK);
  const std::vector<ARGB> got = ArgbPixelsOf(id);
  EXPECT_EQ(got[4], 0xFF0000FFu);
  EXPECT_EQ(got[5], 0x8000FF00u);
  EXPECT_EQ(got[0], 0xFF030201u);
}

TEST_F(HandleMembers, EightBitIndicesRoundTrip) {
  vx::gdiplus::ColorPalette palette;
  palette.Count = 4;
  for (uint32_t i = 0; i < 4; ++i) palette.Entries[i] = 0xFF000000u | i * 0x404040u;
  const int32_t id = MakeIndexed(3, 2, vx::gdiplus::PixelFormat8bppIndexed, palette,
                                                           {0, 1, 2, 3, 2, 1});
  SavingTestAccess::SetCurrent(E(), id);
  BasicArray<uint8_t> indices;
  ASSERT_EQ(E().GetPixelArray8bpp1D(indices, 0, 0, 3, 2), OK);
  EXPECT_EQ(indices.Data(), (std::vector<uint8_t>{0, 1, 2, 3, 2, 1}));
  indices(0) = 3;
  ASSERT_EQ(E().SetPixelArray8bpp1D(indices, 0, 0, 3, 2), OK);
  BasicArray<uint8_t> again;
  ASSERT_EQ(E().GetPixelArray8bpp1D(again, 0, 0, 3, 2), OK);
  EXPECT_EQ(again(0), 3);
}

}  // namespace
}  // namespace vexiro
