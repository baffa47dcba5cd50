#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <thread>
#include <cstdlib>
#include <string>

#include "gdi_test_support.h"
#include "platform/gdi/gdi.h"
#include "platform/user/user.h"

namespace vx {
namespace {

using testing::MakeDibInfo;

// A 32-bit top-down DIB section selected into a fresh memory context.
struct Canvas {
  HDC dc = 0;
  HBITMAP bitmap = 0;
  HGDIOBJ previous = 0;
  uint32_t* px = nullptr;
  int width;
  Canvas(int w, int h, int bits = 32) : width(w) {
    dc = CreateCompatibleDC(0);
    auto info = MakeDibInfo(w, -h, bits, bits == 1 ? std::vector<uint32_t>{0xFF000000, 0xFFFFFFFF} : std::vector<uint32_t>{});
    void* mem = nullptr;
    bitmap = CreateDIBSection(dc, info.get(), DIB_RGB_COLORS, &mem, 0, 0);
    px = static_cast<uint32_t*>(mem);
    previous = SelectObject(dc, bitmap);
  }
  ~Canvas() {
    SelectObject(dc, previous);
    DeleteDC(dc);
    DeleteObject(bitmap);
  }
  uint32_t at(int x, int y) const { return px[y * width + x] & 0xFFFFFF; }
};

TEST(GdiContext, ScreenCapabilities) {
  HDC screen = GetDC(0);
  ASSERT_NE(screen, 0u);
  EXPECT_EQ(GetDeviceCaps(screen, LOGPIXELSX), 96);
  EXPECT_EQ(GetDeviceCaps(screen, LOGPIXELSY), 96);
  EXPECT_EQ(GetDeviceCaps(screen, BITSPIXEL), 32);
  EXPECT_EQ(GetDeviceCaps(screen, HORZRES), kScreenWidth);
  EXPECT_EQ(GetDeviceCaps(screen, VERTRES), kScreenHeight);
  EXPECT_EQ(GetObjectType(screen), OBJ_DC);
  // The screen reads like a memory context: a capture of its corner gives black pixels.
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP capture = CreateCompatibleBitmap(screen, 2, 2);
  HGDIOBJ old = SelectObject(memory, capture);
  EXPECT_EQ(BitBlt(memory, 0, 0, 2, 2, screen, kScreenWidth - 2, kScreenHeight - 2, SRCCOPY), TRUE_);
  EXPECT_EQ(SelectObject(screen, capture), 0u) << "nothing is selected into the screen";
  SelectObject(memory, old);
  DeleteDC(memory);
  EXPECT_EQ(DeleteObject(capture), TRUE_);
  EXPECT_EQ(GetDC(5), 0u) << "no windows here";
  EXPECT_EQ(DeleteDC(screen), FALSE_) << "the screen context is released, not deleted";
  EXPECT_EQ(ReleaseDC(0, screen), 1);
  EXPECT_EQ(GetDeviceCaps(screen, LOGPIXELSX), 0);
}

TEST(GdiContext, BitmapLivesInOneContextAndCannotBeDeletedWhileSelected) {
  HDC a = CreateCompatibleDC(0), b = CreateCompatibleDC(0);
  EXPECT_EQ(GetObjectType(a), OBJ_MEMDC);
  HBITMAP bitmap = CreateBitmap(4, 4, 1, 32, nullptr);
  const HGDIOBJ stock = SelectObject(a, bitmap);
  ASSERT_NE(stock, 0u);
  BITMAP bm{};
  GetObject(stock, sizeof bm, &bm);
  EXPECT_EQ(bm.bmBitsPixel, 1) << "a memory context starts with a monochrome 1x1 bitmap";
  EXPECT_EQ(SelectObject(b, bitmap), 0u);
  EXPECT_EQ(DeleteObject(bitmap), FALSE_);
  EXPECT_EQ(GetCurrentObject(a, OBJ_BITMAP), bitmap);
  EXPECT_EQ(DeleteDC(a), TRUE_);
  EXPECT_NE(SelectObject(b, bitmap), 0u) << "deleting the context let the bitmap go";
  DeleteDC(b);
  EXPECT_EQ(DeleteObject(bitmap), TRUE_);
  EXPECT_EQ(DeleteObject(stock), TRUE_) << "stock objects accept deletion and stay";
  EXPECT_EQ(GetObject(stock, sizeof bm, &bm), static_cast<int>(sizeof bm));
}

TEST(GdiContext, CompatibleBitmapFollowsTheContext) {
  HDC memory = CreateCompatibleDC(0);
  BITMAP bm{};
  HBITMAP mono = CreateCompatibleBitmap(memory, 8, 8);
  GetObject(mono, sizeof bm, &bm);
  EXPECT_EQ(bm.bmBitsPixel, 1);
  HDC screen = GetDC(0);
  HBITMAP colour = CreateCompatibleBitmap(screen, 8, 8);
  GetObject(colour, sizeof bm, &bm);
  EXPECT_EQ(bm.bmBitsPixel, 32);
  EXPECT_EQ(bm.bmWidthBytes, 32);
  DeleteObject(mono);
  DeleteObject(colour);
  DeleteDC(memory);
  ReleaseDC(0, screen);
}

TEST(GdiBlit, CopyStretchAndMirror) {
  Canvas src(2, 2), dst(4, 4);
  src.px[0] = 0xFF0000;
  src.px[1] = 0x00FF00;
  src.px[2] = 0x0000FF;
  src.px[3] = 0xFFFFFF;
  ASSERT_EQ(StretchBlt(dst.dc, 0, 0, 4, 4, src.dc, 0, 0, 2, 2, SRCCOPY), TRUE_);
  EXPECT_EQ(dst.at(0, 0), 0xFF0000u);
  EXPECT_EQ(dst.at(1, 1), 0xFF0000u);
  EXPECT_EQ(dst.at(2, 0), 0x00FF00u);
  EXPECT_EQ(dst.at(3, 3), 0xFFFFFFu);
  ASSERT_EQ(StretchBlt(dst.dc, 2, 0, -2, 1, src.dc, 0, 0, 2, 1, SRCCOPY), TRUE_);
  EXPECT_EQ(dst.at(0, 0), 0x00FF00u) << "a negative width mirrors";
  EXPECT_EQ(dst.at(1, 0), 0xFF0000u);
  ASSERT_EQ(BitBlt(dst.dc, 3, 3, 5, 5, src.dc, 0, 0, SRCCOPY), TRUE_) << "clipped at the edge";
  EXPECT_EQ(dst.at(3, 3), 0xFF0000u);
  ASSERT_EQ(BitBlt(dst.dc, -1000000, -1000000, 2000000000, 2000000000, 0, 0, 0, WHITENESS), TRUE_);
  EXPECT_EQ(dst.at(2, 2), 0xFFFFFFu);
  EXPECT_EQ(BitBlt(dst.dc, 0, 0, 1, 1, 0, 0, 0, SRCCOPY), FALSE_) << "a copy needs a source";
}

TEST(GdiBlit, ColourToMonochromeMaskAndBack) {
  // The icon-mask recipe: the source background colour becomes white (1) in a monochrome copy;
  // inverted and ANDed into the colour picture, it blackens the transparent pixels.
  Canvas colour(3, 1);
  colour.px[0] = 0xFF00FF;
  colour.px[1] = 0x123456;
  colour.px[2] = 0xFF00FF;
  HDC maskDc = CreateCompatibleDC(0);
  HBITMAP mask = CreateBitmap(3, 1, 1, 1, nullptr);
  HGDIOBJ old = SelectObject(maskDc, mask);
  SetBkColor(colour.dc, RGB(0xFF, 0x00, 0xFF));
  ASSERT_EQ(BitBlt(maskDc, 0, 0, 3, 1, colour.dc, 0, 0, SRCCOPY), TRUE_);
  HDC screen = GetDC(0);
  auto info = MakeDibInfo(3, -1, 32);
  uint32_t bits[3];
  GetDIBits(screen, mask, 0, 1, bits, info.get(), DIB_RGB_COLORS);
  EXPECT_EQ(bits[0] & 0xFFFFFF, 0xFFFFFFu);
  EXPECT_EQ(bits[1] & 0xFFFFFF, 0x000000u);
  EXPECT_EQ(bits[2] & 0xFFFFFF, 0xFFFFFFu);
  SetBkColor(colour.dc, RGB(255, 255, 255));
  ASSERT_EQ(BitBlt(colour.dc, 0, 0, 3, 1, maskDc, 0, 0, NOTSRCCOPY), TRUE_);
  // Monochrome to colour: 0 bits take the text colour (black), 1 bits the background (white).
  EXPECT_EQ(colour.at(0, 0), 0x000000u);
  EXPECT_EQ(colour.at(1, 0), 0xFFFFFFu);
  SelectObject(maskDc, old);
  DeleteDC(maskDc);
  DeleteObject(mask);
  ReleaseDC(0, screen);
}

TEST(GdiPalette, EntriesRoundTrip) {
  struct {
    WORD version = 0x300, count = 3;
    PALETTEENTRY entries[3] = {{1, 2, 3, 0}, {4, 5, 6, 0}, {7, 8, 9, 0}};
  } logical;
  HPALETTE palette = CreatePalette(reinterpret_cast<LOGPALETTE*>(&logical));
  ASSERT_NE(palette, 0u);
  EXPECT_EQ(GetObjectType(palette), OBJ_PAL);
  WORD count = 0;
  EXPECT_EQ(GetObject(palette, sizeof count, &count), 2);
  EXPECT_EQ(count, 3);
  PALETTEENTRY out[4] = {};
  EXPECT_EQ(GetPaletteEntries(palette, 1, 4, out), 2u);
  EXPECT_EQ(out[1].peBlue, 9);
  EXPECT_EQ(DeleteObject(palette), TRUE_);
}

TEST(GdiIcon, KeepsPrivateCopiesAndHandsOutNewOnes) {
  HBITMAP mask = CreateBitmap(4, 4, 1, 1, nullptr);
  HBITMAP colour = CreateBitmap(4, 4, 1, 32, nullptr);
  ICONINFO info;
  info.hbmMask = mask;
  info.hbmColor = colour;
  HICON icon = CreateIconIndirect(&info);
  ASSERT_NE(icon, 0u);
  DeleteObject(mask);
  DeleteObject(colour);
  ICONINFO out{};
  ASSERT_EQ(GetIconInfo(icon, &out), TRUE_);
  EXPECT_NE(out.hbmMask, mask);
  BITMAP bm{};
  ASSERT_EQ(GetObject(out.hbmColor, sizeof bm, &bm), static_cast<int>(sizeof bm));
  EXPECT_EQ(bm.bmBitsPixel, 32);
  DeleteObject(out.hbmMask);
  DeleteObject(out.hbmColor);
  EXPECT_EQ(DeleteObject(icon), TRUE_) << "an icon handed to DeleteObject is freed, not leaked";
  EXPECT_EQ(DestroyIcon(icon), FALSE_);

  HBITMAP oddMask = CreateBitmap(4, 3, 1, 1, nullptr);
  ICONINFO mono;
  mono.hbmMask = oddMask;
  EXPECT_EQ(CreateIconIndirect(&mono), 0u) << "a monochrome icon needs AND and XOR halves";
  DeleteObject(oddMask);
}

std::vector<BYTE> MinimalEmf() {
  std::vector<BYTE> emf(108, 0);
  auto put = [&](size_t at, uint32_t v) { std::memcpy(&emf[at], &v, 4); };
  put(0, 1);
  put(4, 88);
  put(40, 0x464D4520);
  put(44, 0x10000);
  put(48, 108);
  put(52, 2);
  put(88, 14);  // EMR_EOF
  put(92, 20);
  return emf;
}

TEST(GdiMetafileHandles, BitsRoundTripAndKindsStayApart) {
  const std::vector<BYTE> emf = MinimalEmf();
  HENHMETAFILE handle = SetEnhMetaFileBits(static_cast<UINT>(emf.size()), emf.data());
  ASSERT_NE(handle, 0u);
  EXPECT_EQ(GetObjectType(handle), OBJ_ENHMETAFILE);
  EXPECT_EQ(GetEnhMetaFileBits(handle, 0, nullptr), emf.size());
  std::vector<BYTE> small(10);
  EXPECT_EQ(GetEnhMetaFileBits(handle, 10, small.data()), 0u);
  std::vector<BYTE> back(emf.size());
  EXPECT_EQ(GetEnhMetaFileBits(handle, static_cast<UINT>(back.size()), back.data()), emf.size());
  EXPECT_EQ(back, emf);
  EXPECT_EQ(DeleteMetaFile(handle), FALSE_) << "an enhanced metafile is not a Windows metafile";
  EXPECT_EQ(DeleteEnhMetaFile(handle), TRUE_);

  const BYTE wmf[18 + 6] = {1, 0, 9, 0, 0, 3, 12, 0, 0, 0, 0, 0, 3, 0, 0, 0, 0, 0, 3, 0, 0, 0, 0, 0};
  HMETAFILE wmfHandle = SetMetaFileBitsEx(sizeof wmf, wmf);
  ASSERT_NE(wmfHandle, 0u);
  EXPECT_EQ(GetMetaFileBitsEx(wmfHandle, 0, nullptr), sizeof wmf);
  EXPECT_EQ(DeleteMetaFile(wmfHandle), TRUE_);

  EXPECT_EQ(SetEnhMetaFileBits(10, emf.data()), 0u);
  EXPECT_EQ(SetMetaFileBitsEx(sizeof wmf, emf.data()), 0u);
}

TEST(GdiMetafileHandles, EnhancedMetafileFromFile) {
  const std::string path = std::string(std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp") + "/gdi_test.emf";
  const std::vector<BYTE> emf = MinimalEmf();
  FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  std::fwrite(emf.data(), 1, emf.size(), f);
  std::fclose(f);
  HENHMETAFILE handle = GetEnhMetaFile(path.c_str());
  std::remove(path.c_str());
  ASSERT_NE(handle, 0u);
  EXPECT_EQ(GetEnhMetaFileBits(handle, 0, nullptr), emf.size());
  DeleteEnhMetaFile(handle);
  EXPECT_EQ(GetEnhMetaFile("/nonexistent/x.emf"), 0u);
}

}  // namespace
}  // namespace vx

namespace vx {
namespace {

TEST(GdiContext, ThreadsShareTheTablesSafely) {
  // Objects live in process-wide tables: threads making, using and freeing their own objects
  // while another hands one bitmap between contexts must leave every handle consistent.
  HBITMAP shared = CreateBitmap(8, 8, 1, 32, nullptr);
  std::vector<std::thread> threads;
  std::atomic<int> failures{0};
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&] {
      for (int i = 0; i < 100; ++i) {
        HDC dc = CreateCompatibleDC(0);
        HBITMAP own = CreateBitmap(4, 4, 1, 32, nullptr);
        HGDIOBJ old = SelectObject(dc, own);
        if (!BitBlt(dc, 0, 0, 4, 4, 0, 0, 0, WHITENESS)) ++failures;
        if (SelectObject(dc, shared)) SelectObject(dc, old);
        SelectObject(dc, old);
        DeleteDC(dc);
        if (!DeleteObject(own)) ++failures;
      }
    });
  }
  for (auto& t : threads) t.join();
  EXPECT_EQ(failures.load(), 0);
  EXPECT_EQ(DeleteObject(shared), TRUE_) << "no context kept the shared bitmap";
}

TEST(GdiClipboard, EmptyingFreesGdiObjectsWithGdiDeleters) {
  HBITMAP bitmap = CreateBitmap(2, 2, 1, 32, nullptr);
  const std::vector<BYTE> emf = MinimalEmf();
  HENHMETAFILE enhanced = SetEnhMetaFileBits(static_cast<UINT>(emf.size()), emf.data());
  ASSERT_EQ(OpenClipboard(0), TRUE_);
  EmptyClipboard();
  ASSERT_EQ(SetClipboardData(CF_BITMAP, bitmap), bitmap);
  ASSERT_EQ(SetClipboardData(CF_ENHMETAFILE, enhanced), enhanced);
  EXPECT_EQ(EmptyClipboard(), TRUE_);
  CloseClipboard();
  EXPECT_EQ(GetObjectType(bitmap), 0u);
  EXPECT_EQ(GetObjectType(enhanced), 0u);
}

}  // namespace
}  // namespace vx
