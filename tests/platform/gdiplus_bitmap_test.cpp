// Bitmap creation over owned and borrowed memory, queries, pixels, clones and clone areas.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstring>
#include <vector>

#include "gdiplus_test_session.h"
#include "platform/gdiplus/image_handle_table.h"

using namespace gdiplus_test;

namespace {

class Bitmaps : public Session {};

constexpr PixelFormat kAllFormats[] = {
    PixelFormat1bppIndexed,  PixelFormat4bppIndexed,   PixelFormat8bppIndexed, PixelFormat16bppGrayScale,
    PixelFormat16bppRGB555,  PixelFormat16bppRGB565,   PixelFormat16bppARGB1555, PixelFormat24bppRGB,
    PixelFormat32bppRGB,     PixelFormat32bppARGB,     PixelFormat32bppPARGB,  PixelFormat48bppRGB,
    PixelFormat64bppARGB,    PixelFormat64bppPARGB};

TEST_F(Bitmaps, OwnedBitmapsAreZeroedWithRowsPaddedToFourBytes) {
  // Stride of a 5-pixel row per format, in the order of kAllFormats.
  const INT strides[] = {4, 4, 8, 12, 12, 12, 12, 16, 20, 20, 20, 32, 40, 40};
  for (size_t i = 0; i < std::size(kAllFormats); ++i) {
    const PixelFormat format = kAllFormats[i];
    BitmapPtr bitmap = Make(5, 3, format);
    ASSERT_TRUE(bitmap) << std::hex << format;
    EXPECT_EQ(FormatOf(bitmap.get()), format);
    EXPECT_EQ(WidthOf(bitmap.get()), 5u);
    EXPECT_EQ(HeightOf(bitmap.get()), 3u);
    BitmapData data;
    ASSERT_EQ(GdipBitmapLockBits(bitmap.get(), nullptr, ImageLockModeRead, format, &data), Ok);
    EXPECT_EQ(data.Stride, strides[i]) << std::hex << format;
    const auto* bytes = static_cast<const uint8_t*>(data.Scan0);
    EXPECT_TRUE(std::all_of(bytes, bytes + 3 * data.Stride, [](uint8_t b) { return b == 0; }));
    ASSERT_EQ(GdipBitmapUnlockBits(bitmap.get(), &data), Ok);

    UINT flags = 0;
    ASSERT_EQ(GdipGetImageFlags(bitmap.get(), &flags), Ok);
    EXPECT_EQ((flags & ImageFlagsHasAlpha) != 0, IsAlphaPixelFormat(format)) << std::hex << format;
  }
}

TEST_F(Bitmaps, DescribesANewBitmap) {
  BitmapPtr bitmap = Make(7, 2, PixelFormat24bppRGB);
  ImageType type = ImageTypeUnknown;
  ASSERT_EQ(GdipGetImageType(bitmap.get(), &type), Ok);
  EXPECT_EQ(type, ImageTypeBitmap);
  GUID raw;
  ASSERT_EQ(GdipGetImageRawFormat(bitmap.get(), &raw), Ok);
  EXPECT_TRUE(raw == ImageFormatMemoryBMP);
  REAL w = 0, h = 0, dpiX = 0, dpiY = 0;
  ASSERT_EQ(GdipGetImageDimension(bitmap.get(), &w, &h), Ok);
  EXPECT_EQ(w, 7.0f);
  EXPECT_EQ(h, 2.0f);
  ASSERT_EQ(GdipBitmapSetResolution(bitmap.get(), 300.0f, 72.5f), Ok);
  ASSERT_EQ(GdipGetImageHorizontalResolution(bitmap.get(), &dpiX), Ok);
  ASSERT_EQ(GdipGetImageVerticalResolution(bitmap.get(), &dpiY), Ok);
  EXPECT_EQ(dpiX, 300.0f);
  EXPECT_EQ(dpiY, 72.5f);
  for (REAL bad : {0.0f, -1.0f, NAN, INFINITY})
    EXPECT_EQ(GdipBitmapSetResolution(bitmap.get(), bad, 96.0f), InvalidParameter);
  EXPECT_EQ(GdipImageForceValidation(bitmap.get()), Ok);
  UINT width = 0;
  EXPECT_EQ(GdipGetImageWidth(nullptr, &width), InvalidParameter);
}

TEST_F(Bitmaps, RejectsBadCreationRequests) {
  std::vector<uint8_t> memory(4096);
  struct Case {
    INT w, h, stride;
    PixelFormat format;
    bool borrow;
    Status expected;
  };
  const Case cases[] = {
      {0, 1, 0, PixelFormat24bppRGB, false, InvalidParameter},
      {1, 0, 0, PixelFormat24bppRGB, false, InvalidParameter},
      {-3, 1, 0, PixelFormat24bppRGB, false, InvalidParameter},
      {1, 1, 0, PixelFormatUndefined, false, InvalidParameter},
      {1, 1, 0, PixelFormat32bppCMYK, false, InvalidParameter},
      {1, 1, 0, 0x00ABCDEF, false, InvalidParameter},
      {10, 2, 28, PixelFormat24bppRGB, true, InvalidParameter},  // 30 bytes needed per row
      {10, 2, 30, PixelFormat24bppRGB, true, InvalidParameter},  // not a multiple of 4
      {10, 2, 0, PixelFormat24bppRGB, true, InvalidParameter},
      {65536, 65536, 0, PixelFormat1bppIndexed, false, OutOfMemory},  // beyond 2^28 pixels
      {16384, 16384, 0, PixelFormat64bppARGB, false, OutOfMemory},   // 2 GiB of owned pixels
      {INT_MAX, INT_MAX, 0, PixelFormat8bppIndexed, false, OutOfMemory},
  };
  for (const Case& c : cases) {
    GpBitmap* bitmap = reinterpret_cast<GpBitmap*>(1);
    EXPECT_EQ(GdipCreateBitmapFromScan0(c.w, c.h, c.stride, c.format, c.borrow ? memory.data() : nullptr, &bitmap),
              c.expected)
        << c.w << "x" << c.h << " stride " << c.stride;
    EXPECT_EQ(bitmap, nullptr);
  }
  EXPECT_EQ(GdipCreateBitmapFromScan0(1, 1, 0, PixelFormat24bppRGB, nullptr, nullptr), InvalidParameter);
}

TEST_F(Bitmaps, BorrowedMemoryIsSharedWithTheCaller) {
  std::vector<uint32_t> memory(2 * 3, 0);
  BitmapPtr bitmap = Make(3, 2, PixelFormat32bppARGB, 12, memory.data());
  ASSERT_EQ(GdipBitmapSetPixel(bitmap.get(), 2, 1, 0x80102030), Ok);
  EXPECT_EQ(memory[5], 0x80102030u);
  memory[0] = 0xFFABCDEF;
  EXPECT_EQ(Pixel(bitmap.get(), 0, 0), 0xFFABCDEFu);
}

TEST_F(Bitmaps, PixelAccessChecksCoordinatesAndRefusesIndexedWrites) {
  BitmapPtr bitmap = Make(4, 3, PixelFormat16bppRGB565);
  ARGB c = 0;
  for (auto [x, y] : {std::pair{-1, 0}, {0, -1}, {4, 0}, {0, 3}, {INT_MIN, INT_MAX}}) {
    EXPECT_EQ(GdipBitmapGetPixel(bitmap.get(), x, y, &c), InvalidParameter);
    EXPECT_EQ(GdipBitmapSetPixel(bitmap.get(), x, y, 0), InvalidParameter);
  }
  ASSERT_EQ(GdipBitmapSetPixel(bitmap.get(), 3, 2, 0xFFFF0000), Ok);
  EXPECT_EQ(Pixel(bitmap.get(), 3, 2), 0xFFFF0000u);
  BitmapPtr indexed = Make(4, 3, PixelFormat8bppIndexed);
  EXPECT_EQ(GdipBitmapSetPixel(indexed.get(), 0, 0, 0xFFFFFFFF), InvalidParameter);
  EXPECT_EQ(Pixel(indexed.get(), 0, 0), 0xFF000000u);
}

// Colours every non-indexed format holds exactly come back from SetPixel unchanged.
TEST_F(Bitmaps, SetPixelThenGetPixelInEveryDirectFormat) {
  for (PixelFormat format : kAllFormats) {
    if (IsIndexedPixelFormat(format)) continue;
    BitmapPtr bitmap = Make(3, 1, format);
    const ARGB colours[] = {0xFFFFFFFF, 0xFF000000, IsAlphaPixelFormat(format) ? 0x00000000u : 0xFF000000u};
    for (INT x = 0; x < 3; ++x) ASSERT_EQ(GdipBitmapSetPixel(bitmap.get(), x, 0, colours[x]), Ok);
    for (INT x = 0; x < 3; ++x) EXPECT_EQ(Pixel(bitmap.get(), x, 0), colours[x]) << std::hex << format;
  }
}

TEST_F(Bitmaps, CloneIsADeepCopyOfEveryFrame) {
  std::vector<uint32_t> memory(4, 0xFF112233);
  BitmapPtr source = Make(2, 2, PixelFormat32bppARGB, 8, memory.data());
  PropertyItem item;
  char text[] = "caption";
  item.id = PropertyTagImageDescription;
  item.type = PropertyTagTypeASCII;
  item.length = sizeof(text);
  item.value = text;
  ASSERT_EQ(GdipSetPropertyItem(source.get(), &item), Ok);
  ASSERT_EQ(GdipBitmapSetResolution(source.get(), 150.0f, 150.0f), Ok);
  Frame second;
  ASSERT_EQ(MakeFrame(5, 1, PixelFormat1bppIndexed, second), Ok);
  source->frames.push_back(std::move(second));

  GpImage* raw = nullptr;
  ASSERT_EQ(GdipCloneImage(source.get(), &raw), Ok);
  ImagePtr clone(raw);
  memory[0] = 0;  // the clone owns its pixels
  EXPECT_EQ(Pixel(clone.get(), 0, 0), 0xFF112233u);
  UINT size = 0;
  EXPECT_EQ(GdipGetPropertyItemSize(clone.get(), PropertyTagImageDescription, &size), Ok);
  REAL dpi = 0;
  ASSERT_EQ(GdipGetImageHorizontalResolution(clone.get(), &dpi), Ok);
  EXPECT_EQ(dpi, 150.0f);
  UINT frames = 0;
  ASSERT_EQ(GdipImageGetFrameCount(clone.get(), &FrameDimensionPage, &frames), Ok);
  EXPECT_EQ(frames, 2u);
  ASSERT_EQ(GdipImageSelectActiveFrame(clone.get(), &FrameDimensionPage, 1), Ok);
  EXPECT_EQ(WidthOf(clone.get()), 5u);
  EXPECT_EQ(WidthOf(source.get()), 2u);
}

// Copying a frame object gives owned pixels of its own; a borrowing frame keeps borrowing.
TEST_F(Bitmaps, CopiedFramesPointAtTheirOwnPixels) {
  Frame owned;
  ASSERT_EQ(MakeFrame(3, 2, PixelFormat8bppIndexed, owned), Ok);
  owned.scan0[owned.stride + 1] = 7;
  Frame copy = owned;
  owned.scan0[owned.stride + 1] = 9;
  EXPECT_EQ(FrameRow(copy, 1)[1], 7);
  EXPECT_EQ(copy.palette.size(), 256u);

  std::vector<uint8_t> memory(8, 0);
  BitmapPtr borrowing = Make(2, 2, PixelFormat8bppIndexed, 4, memory.data());
  Frame shared = borrowing->frames[0];
  EXPECT_EQ(shared.scan0, memory.data());
}

TEST_F(Bitmaps, CloneAreaConvertsTheRectangle) {
  BitmapPtr source = Make(4, 3, PixelFormat24bppRGB);
  ASSERT_EQ(GdipBitmapSetPixel(source.get(), 1, 1, 0xFF123456), Ok);
  ASSERT_EQ(GdipBitmapSetPixel(source.get(), 2, 2, 0xFFFFFFFF), Ok);
  ASSERT_EQ(GdipBitmapSetResolution(source.get(), 200.0f, 100.0f), Ok);
  GpBitmap* raw = nullptr;
  ASSERT_EQ(GdipCloneBitmapAreaI(1, 1, 2, 2, PixelFormat8bppIndexed, source.get(), &raw), Ok);
  BitmapPtr area(raw);
  EXPECT_EQ(FormatOf(area.get()), PixelFormat8bppIndexed);
  EXPECT_EQ(WidthOf(area.get()), 2u);
  EXPECT_EQ(Pixel(area.get(), 0, 0), 0xFF003366u);  // nearest halftone entry
  EXPECT_EQ(Pixel(area.get(), 1, 1), 0xFFFFFFFFu);
  EXPECT_EQ(Pixel(area.get(), 1, 0), 0xFF000000u);
  REAL dpi = 0;
  ASSERT_EQ(GdipGetImageHorizontalResolution(area.get(), &dpi), Ok);
  EXPECT_EQ(dpi, 200.0f);

  ASSERT_EQ(GdipCloneBitmapArea(0.6f, 1.4f, 2.0f, 1.0f, PixelFormat32bppARGB, source.get(), &raw), Ok);
  BitmapPtr rounded(raw);
  EXPECT_EQ(Pixel(rounded.get(), 0, 0), 0xFF123456u);  // (0.6, 1.4) rounds to (1, 1)

  const GpRect outside[] = {{-1, 0, 1, 1}, {0, 0, 5, 1}, {3, 0, 2, 1}, {0, 0, 0, 1},
                            {INT_MAX, 0, 1, 1}, {1, 0, INT_MAX, 1}, {0, 2, 1, 2}};
  for (const GpRect& r : outside)
    EXPECT_EQ(GdipCloneBitmapAreaI(r.X, r.Y, r.Width, r.Height, PixelFormat24bppRGB, source.get(), &raw),
              InvalidParameter);
  EXPECT_EQ(GdipCloneBitmapArea(NAN, 0, 1, 1, PixelFormat24bppRGB, source.get(), &raw), InvalidParameter);
  EXPECT_EQ(GdipCloneBitmapArea(0, 0, 3e10f, 1, PixelFormat24bppRGB, source.get(), &raw), InvalidParameter);
}

TEST_F(Bitmaps, HandlesNamingAnImageDieWithIt) {
  BitmapPtr bitmap = Make(2, 2, PixelFormat32bppARGB);
  BitmapPtr other = Make(2, 2, PixelFormat32bppARGB);
  GpImage* image = bitmap.get();
  const vx::HANDLE32 hosts = vx::gdiplus::RegisterImageHandle(image);
  const vx::HANDLE32 lent = vx::gdiplus::LendImageHandle(image);
  const vx::HANDLE32 pixels = vx::gdiplus::LendPixelAddressHandle(image, 0x1000);
  const vx::HANDLE32 kept = vx::gdiplus::LendImageHandle(other.get());
  EXPECT_EQ(vx::gdiplus::LendImageHandle(image), lent) << "one handle per lent image";
  EXPECT_EQ(vx::gdiplus::FindImageHandle(hosts), image);
  EXPECT_EQ(vx::gdiplus::FindImageHandle(lent), nullptr) << "a lent image is not offered for adoption";
  EXPECT_EQ(vx::gdiplus::FindImageHandle(pixels), nullptr);
  EXPECT_EQ(vx::gdiplus::LookUpImageHandle(lent).image, image);
  EXPECT_EQ(vx::gdiplus::LookUpImageHandle(pixels).address, 0x1000);

  bitmap.reset();
  for (const vx::HANDLE32 handle : {hosts, lent, pixels})
    EXPECT_EQ(vx::gdiplus::LookUpImageHandle(handle).image, nullptr) << std::hex << handle;
  EXPECT_EQ(vx::gdiplus::LookUpImageHandle(kept).image, other.get()) << "another image's handle stays";
}

}  // namespace
