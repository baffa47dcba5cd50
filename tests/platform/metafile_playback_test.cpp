#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "gdiplus_test_session.h"
#include "metafile_test_builders.h"
#include "platform/gdi/gdi.h"
#include "platform/gdiplus/graphics.h"
#include "platform/gdiplus/metafile.h"
#include "support/required_tool.h"
#include "support/font_cache_release.h"

namespace {

using namespace gdiplus_test;
using metafile_test::EmfBuilder;
using metafile_test::Ref;
using metafile_test::WmfBuilder;

constexpr uint32_t kStock = 0x80000000u;
constexpr uint32_t kNullPen = kStock | 8;

// Red rectangle, blue ellipse, green triangle and a thick black line, on a 100 x 100 frame.
std::vector<uint8_t> SceneEmf() {
  EmfBuilder emf(100);
  emf.Record(39, {1, 0, Ref(255, 0, 0), 0})  // brush 1: solid red
      .Record(37, {1})
      .Record(37, {kNullPen})
      .Record(43, {10, 10, 40, 40})            // rectangle
      .Record(39, {2, 0, Ref(0, 0, 255), 0})
      .Record(37, {2})
      .Record(42, {50, 10, 90, 50})            // ellipse
      .Record(39, {3, 0, Ref(0, 255, 0), 0})
      .Record(37, {3})
      .Points16(86, {10, 60, 40, 60, 25, 95})  // polygon16
      .Record(38, {4, 0, 4, 0, Ref(0, 0, 0)})  // pen 4: solid black, 4 wide
      .Record(37, {4})
      .Points32(4, {60, 75, 95, 75});          // polyline (32-bit)
  return emf.Finish();
}

// The same picture in a Windows metafile of 1000 logical units, with an object slot reused.
// A backdrop over the whole window makes readers that crop to the drawn area keep the frame.
std::vector<uint8_t> SceneWmf(bool backdrop = false) {
  WmfBuilder wmf(3);
  wmf.Record(0x0103, {8})                     // anisotropic mapping
      .Record(0x020B, {0, 0})                  // window origin
      .Record(0x020C, {1000, 1000});           // window extent (y, x)
  if (backdrop) {
    wmf.Record(0x02FC, {0, 0xC0C0, 0xC0, 0}).Record(0x012D, {0}).Record(0x041B, {1000, 1000, 0, 0});
    wmf.Record(0x01F0, {0});
  }
  wmf.Record(0x02FC, {0, 0x00FF, 0, 0})       // slot 0: red brush
      .Record(0x012D, {0})
      .Record(0x02FA, {5, 0, 0, 0, 0})         // slot 1: null pen
      .Record(0x012D, {1})
      .Record(0x041B, {400, 400, 100, 100})    // rectangle: bottom, right, top, left
      .Record(0x02FC, {0, 0, 0x00FF, 0})       // slot 2: blue brush
      .Record(0x012D, {2})
      .Record(0x0418, {500, 900, 100, 500})    // ellipse
      .Record(0x01F0, {0})                     // delete slot 0 (red)
      .Record(0x02FC, {0, 0xFF00, 0, 0})       // green brush takes the freed slot 0
      .Record(0x012D, {0})
      .Record(0x0324, {3, 100, 600, 400, 600, 250, 950});  // polygon
  return wmf.Finish();
}

class Metafile : public Session {
 protected:
  // Plays the image onto a white 32bppARGB bitmap of the given size.
  BitmapPtr Render(GpImage* image, INT size, InterpolationMode mode = InterpolationModeBilinear) {
    BitmapPtr target = Make(size, size, PixelFormat32bppARGB);
    GpGraphics* g = nullptr;
    EXPECT_EQ(GdipGetImageGraphicsContext(target.get(), &g), Ok);
    EXPECT_EQ(GdipGraphicsClear(g, 0xFFFFFFFF), Ok);
    EXPECT_EQ(GdipSetInterpolationMode(g, mode), Ok);
    EXPECT_EQ(GdipDrawImageRectI(g, image, 0, 0, size, size), Ok);
    GdipDeleteGraphics(g);
    return target;
  }

  void ExpectScene(GpBitmap* b, INT size) {
    const double k = size / 100.0;
    auto at = [&](int x, int y) { return Pixel(b, int(x * k), int(y * k)); };
    EXPECT_EQ(at(25, 25), 0xFFFF0000u) << "rectangle";
    EXPECT_EQ(at(70, 30), 0xFF0000FFu) << "ellipse";
    EXPECT_EQ(at(52, 12), 0xFFFFFFFFu) << "outside the ellipse's curve";
    EXPECT_EQ(at(25, 70), 0xFF00FF00u) << "triangle";
    EXPECT_EQ(at(12, 90), 0xFFFFFFFFu) << "beside the triangle";
    EXPECT_EQ(at(5, 5), 0xFFFFFFFFu);
  }

  ImagePtr FromMemory(const std::vector<uint8_t>& bytes) {
    GpImage* image = nullptr;
    EXPECT_EQ(LoadMetafileFromMemory(bytes.data(), bytes.size(), &image), Ok);
    return ImagePtr(image);
  }
};

TEST_F(Metafile, EmfPlaysAtItsSizeAndScaled) {
  ImagePtr image = FromMemory(SceneEmf());
  ASSERT_NE(image, nullptr);
  ImageType type;
  GdipGetImageType(image.get(), &type);
  EXPECT_EQ(type, ImageTypeMetafile);
  EXPECT_EQ(WidthOf(image.get()), 100u);
  EXPECT_EQ(HeightOf(image.get()), 100u);
  REAL dpi = 0;
  GdipGetImageHorizontalResolution(image.get(), &dpi);
  EXPECT_FLOAT_EQ(dpi, 254.0f);
  GUID raw;
  GdipGetImageRawFormat(image.get(), &raw);
  EXPECT_EQ(raw, ImageFormatEMF);

  for (INT size : {100, 240}) {
    SCOPED_TRACE(size);
    BitmapPtr out = Render(image.get(), size);
    ExpectScene(out.get(), size);
    const double k = size / 100.0;
    EXPECT_EQ(Pixel(out.get(), int(80 * k), int(75 * k)), 0xFF000000u) << "the line";
  }
}

TEST_F(Metafile, RasterizedForCallersThatNeedPixels) {
  ImagePtr image = FromMemory(SceneEmf());
  GpBitmap* raw = nullptr;
  ASSERT_EQ(RasterizeMetafile(image.get(), 50, 50, &raw), Ok);
  BitmapPtr pixels(raw);
  EXPECT_EQ(Pixel(pixels.get(), 12, 12), 0xFFFF0000u);
  EXPECT_EQ(Pixel(pixels.get(), 2, 2), 0x00000000u) << "transparent where nothing is drawn";
  BitmapPtr notMetafile = Make(2, 2, PixelFormat24bppRGB);
  EXPECT_EQ(RasterizeMetafile(notMetafile.get(), 5, 5, &raw), InvalidParameter);
}

TEST_F(Metafile, WmfPlaysWithWindowMappingAndLowestFreeSlots) {
  const std::vector<uint8_t> placeable = WmfBuilder::Placeable(SceneWmf(), 1000, 1000, 1000);
  ImagePtr image = FromMemory(placeable);
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(WidthOf(image.get()), 1000u);
  GUID raw;
  GdipGetImageRawFormat(image.get(), &raw);
  EXPECT_EQ(raw, ImageFormatWMF);
  BitmapPtr out = Render(image.get(), 100);
  ExpectScene(out.get(), 100);
}

TEST_F(Metafile, FromHandlesWithOwnership) {
  const std::vector<uint8_t> emfBytes = SceneEmf();
  vx::HENHMETAFILE emf = vx::SetEnhMetaFileBits(static_cast<vx::UINT>(emfBytes.size()), emfBytes.data());
  GpMetafile* raw = nullptr;
  ASSERT_EQ(GdipCreateMetafileFromEmf(emf, vx::FALSE_, &raw), Ok);
  GdipDisposeImage(raw);
  EXPECT_EQ(vx::GetObjectType(emf), vx::OBJ_ENHMETAFILE) << "not handed over: the caller keeps it";
  ASSERT_EQ(GdipCreateMetafileFromEmf(emf, vx::TRUE_, &raw), Ok);
  ImagePtr owned(raw);
  ExpectScene(Render(owned.get(), 100).get(), 100);
  owned.reset();
  EXPECT_EQ(vx::GetObjectType(emf), 0u) << "handed over: deleted with the image";

  const std::vector<uint8_t> wmfBytes = SceneWmf();
  vx::HMETAFILE wmf = vx::SetMetaFileBitsEx(static_cast<vx::UINT>(wmfBytes.size()), wmfBytes.data());
  WmfPlaceableFileHeader header{};
  header.Key = kWmfPlaceableKey;
  header.BoundingBox = {0, 0, 1000, 1000};
  header.Inch = 1440;
  ASSERT_EQ(GdipCreateMetafileFromWmf(wmf, vx::TRUE_, &header, &raw), Ok);
  ImagePtr wmfImage(raw);
  REAL dpi = 0;
  GdipGetImageVerticalResolution(wmfImage.get(), &dpi);
  EXPECT_FLOAT_EQ(dpi, 1440.0f);
  ExpectScene(Render(wmfImage.get(), 100).get(), 100);
  ASSERT_EQ(GdipCreateMetafileFromWmf(wmf, vx::FALSE_, nullptr, &raw), Ok) << "sized by its window";
  EXPECT_EQ(WidthOf(raw), 1000u);
  GdipDisposeImage(raw);
  wmfImage.reset();
  EXPECT_EQ(vx::GetObjectType(wmf), 0u);
}

TEST_F(Metafile, FilesThroughTheMetafileCallAndTheGenericLoader) {
  const std::string dir = std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp";
  const std::string path = dir + "/scene.wmf";
  const std::vector<uint8_t> bytes = WmfBuilder::Placeable(SceneWmf(), 1000, 1000, 1000);
  FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
  GpMetafile* metafile = nullptr;
  EXPECT_EQ(GdipCreateMetafileFromFile(path.c_str(), &metafile), Ok);
  ImagePtr a(metafile);
  GpImage* loaded = nullptr;
  EXPECT_EQ(GdipLoadImageFromFile(path.c_str(), &loaded), Ok);
  ImagePtr b(loaded);
  std::remove(path.c_str());
  ASSERT_NE(b, nullptr);
  ImageType type;
  GdipGetImageType(b.get(), &type);
  EXPECT_EQ(type, ImageTypeMetafile);
  GpImage* clone = nullptr;
  ASSERT_EQ(GdipCloneImage(b.get(), &clone), Ok);
  ImagePtr c(clone);
  ExpectScene(Render(c.get(), 100).get(), 100);
  EXPECT_EQ(GdipCreateMetafileFromFile((dir + "/missing.emf").c_str(), &metafile), FileNotFound);
}

uint32_t Bits(float f) {
  uint32_t u;
  std::memcpy(&u, &f, 4);
  return u;
}

TEST_F(Metafile, PathsPolyPolygonsMappingAndWorldTransform) {
  EmfBuilder emf(100);
  emf.Record(37, {kNullPen}).Record(39, {1, 0, Ref(255, 0, 0), 0}).Record(37, {1});
  // A path: a triangle in the top-left corner, filled when the path ends.
  emf.Record(59, {}).Record(27, {0, 0}).Record(54, {30, 0}).Record(54, {0, 30}).Record(61, {}).Record(60, {});
  emf.Record(62, {0, 0, 30, 30});
  // Two squares in one polypolygon (16-bit), in blue.
  emf.Record(39, {2, 0, Ref(0, 0, 255), 0}).Record(37, {2});
  emf.Record(91, {0, 0, 0, 0, 2, 8, 4, 4, 0x00000046, 0x00000050, 0x000A0050, 0x000A0046, 0x0014005A, 0x00140064,
                  0x001E0064, 0x001E005A});
  // Anisotropic mapping: a window of 10 x 10 units onto a 100 x 100 viewport, then a world
  // translation of (2, 0) units: the green unit square at (3, 6) lands on (50..60, 60..70).
  emf.Record(17, {8}).Record(9, {10, 10}).Record(11, {100, 100});
  emf.Record(36, {Bits(1), 0, 0, Bits(1), Bits(2), 0, 4});
  emf.Record(39, {3, 0, Ref(0, 255, 0), 0}).Record(37, {3}).Record(43, {3, 6, 4, 7});
  // A hatched cross brush on an opaque yellow background fills a round rectangle.
  emf.Record(36, {0, 0, 0, 0, 0, 0, 1}).Record(25, {Ref(255, 255, 0)}).Record(18, {2});
  emf.Record(39, {4, 2, Ref(0, 0, 0), 4}).Record(37, {4}).Record(44, {0, 8, 4, 10, 1, 1});
  ImagePtr image = FromMemory(emf.Finish());
  BitmapPtr out = Render(image.get(), 100);
  EXPECT_EQ(Pixel(out.get(), 5, 5), 0xFFFF0000u) << "path interior";
  EXPECT_EQ(Pixel(out.get(), 25, 25), 0xFFFFFFFFu) << "beyond the path's diagonal";
  EXPECT_EQ(Pixel(out.get(), 75, 5), 0xFF0000FFu) << "first square";
  EXPECT_EQ(Pixel(out.get(), 95, 25), 0xFF0000FFu) << "second square";
  EXPECT_EQ(Pixel(out.get(), 85, 15), 0xFFFFFFFFu) << "between the squares";
  EXPECT_EQ(Pixel(out.get(), 55, 65), 0xFF00FF00u) << "mapped and translated";
  EXPECT_EQ(Pixel(out.get(), 35, 65), 0xFFFFFFFFu) << "where it would be without the translation";
  int black = 0, yellow = 0;
  for (int x = 5; x < 35; ++x) {
    const ARGB c = Pixel(out.get(), x, 90);
    black += c == 0xFF000000u;
    yellow += c == 0xFFFFFF00u;
  }
  EXPECT_GT(black, 0) << "hatch lines";
  EXPECT_GT(yellow, black) << "opaque background between them";
}

TEST_F(Metafile, PiesDashesAndAlphaBlending) {
  EmfBuilder emf(100);
  emf.Record(37, {kNullPen}).Record(39, {1, 0, Ref(255, 0, 0), 0}).Record(37, {1});
  emf.Record(47, {0, 0, 60, 60, 60, 30, 30, 0});  // pie from three o'clock to twelve, counter-clockwise
  emf.Record(38, {2, 1, 0, 0, 0}).Record(37, {2});  // a dashed cosmetic pen
  emf.Points32(4, {0, 80, 100, 80});
  // A red pixel stretched over (70, 40)-(100, 60) at half opacity.
  std::vector<uint32_t> blend = {0, 0, 0, 0, 70, 40, 30, 20, 128 << 16, 0, 0, Bits(1), 0, 0, Bits(1), 0, 0,
                                 0, 0, 108, 40, 148, 4, 1, 1};
  const std::vector<uint32_t> dib = {40, 1, 1, 1 | (32 << 16), 0, 4, 0, 0, 0, 0, 0xFFFF0000};
  blend.insert(blend.end(), dib.begin(), dib.end());
  emf.Record(114, blend);
  ImagePtr image = FromMemory(emf.Finish());
  BitmapPtr out = Render(image.get(), 100);
  EXPECT_EQ(Pixel(out.get(), 45, 15), 0xFFFF0000u) << "inside the pie's quarter";
  EXPECT_EQ(Pixel(out.get(), 15, 15), 0xFFFFFFFFu);
  EXPECT_EQ(Pixel(out.get(), 45, 45), 0xFFFFFFFFu);
  int ink = 0;
  for (int x = 2; x < 98; ++x) ink += (Pixel(out.get(), x, 80) & 0xFF) < 0x80;
  EXPECT_GT(ink, 40) << "dashes";
  EXPECT_LT(ink, 90) << "with gaps";
  const ARGB blended = Pixel(out.get(), 85, 50);
  EXPECT_EQ((blended >> 16) & 0xFF, 0xFFu);
  EXPECT_NEAR(static_cast<int>(blended & 0xFF), 127, 2);

  WmfBuilder wmf;
  wmf.Record(0x020C, {100, 100}).Record(0x02FC, {0, 0x00FF, 0, 0}).Record(0x012D, {0});
  wmf.Record(0x081A, {0, 30, 30, 60, 60, 60, 0, 0});  // end (30, 0), start (60, 30), box (0, 0)-(60, 60)
  ImagePtr pie = FromMemory(wmf.Finish());
  BitmapPtr wmfOut = Render(pie.get(), 100);
  EXPECT_EQ(Pixel(wmfOut.get(), 45, 15), 0xFFFF0000u);
  EXPECT_EQ(Pixel(wmfOut.get(), 15, 45), 0xFFFFFFFFu);
}

TEST_F(Metafile, PatternBrushTilesItsBitmapInDevicePixels) {
  // A 2 x 2 checkerboard of red and blue, bottom-up.
  std::vector<uint32_t> brush = {1, 0, 32, 40, 72, 16, 40, 2, 2, 1 | (32 << 16), 0, 16, 0, 0, 0, 0,
                                 0x00FF0000, 0x000000FF, 0x000000FF, 0x00FF0000};
  EmfBuilder emf(100);
  emf.Record(94, brush).Record(37, {1}).Record(37, {kNullPen}).Record(43, {0, 0, 100, 100});
  ImagePtr image = FromMemory(emf.Finish());
  BitmapPtr out = Render(image.get(), 100);
  const ARGB a = Pixel(out.get(), 10, 10), b = Pixel(out.get(), 11, 10);
  EXPECT_TRUE((a == 0xFFFF0000u && b == 0xFF0000FFu) || (a == 0xFF0000FFu && b == 0xFFFF0000u)) << std::hex << a;
  EXPECT_EQ(Pixel(out.get(), 11, 11), a);
  EXPECT_EQ(Pixel(out.get(), 57, 30), b) << "the tile repeats";
}

TEST_F(Metafile, StretchDibitsDrawsABitmapRecord) {
  // A 2 x 2 bottom-up 24-bit DIB: bottom row blue, green; top row red, white.
  // Bottom row bytes FF 00 00 | 00 FF 00 | pad, top row 00 00 FF | FF FF FF | pad.
  std::vector<uint32_t> dib = {40, 2, 2, 1 | (24 << 16), 0, 16, 0, 0, 0, 0,
                               0x000000FF, 0x000000FF, 0xFFFF0000, 0x0000FFFF};
  std::vector<uint32_t> record = {0, 0, 99, 99, 0, 0, 0, 0, 2, 2, 80, 40, 120, 16, 0, 0x00CC0020, 100, 100};
  record.insert(record.end(), dib.begin(), dib.end());
  EmfBuilder emf(100);
  emf.Record(81, record);
  ImagePtr image = FromMemory(emf.Finish());
  BitmapPtr out = Render(image.get(), 100, InterpolationModeNearestNeighbor);
  EXPECT_EQ(Pixel(out.get(), 25, 25), 0xFFFF0000u);
  EXPECT_EQ(Pixel(out.get(), 75, 25), 0xFFFFFFFFu);
  EXPECT_EQ(Pixel(out.get(), 25, 75), 0xFF0000FFu);
  EXPECT_EQ(Pixel(out.get(), 75, 75), 0xFF00FF00u);
}

TEST_F(Metafile, ClippingFollowsSavedStatesAndRegions) {
  EmfBuilder emf(100);
  emf.Record(39, {1, 0, Ref(255, 0, 0), 0}).Record(37, {1}).Record(37, {kNullPen});
  emf.Record(33, {})                                   // save
      .Record(30, {0, 0, 50, 100})                     // intersect: left half
      .Record(43, {0, 0, 100, 50})
      .Record(34, {0xFFFFFFFF})                        // restore: the clip goes with it
      .Record(29, {40, 60, 60, 80})                    // exclude a hole
      .Record(39, {2, 0, Ref(0, 0, 255), 0})
      .Record(37, {2})
      .Record(43, {0, 50, 100, 100})
      .Record(75, {48, 5, 32, 1, 1, 16, 80, 0, 100, 20, 80, 0, 100, 20})  // region replaces the clip
      .Record(39, {3, 0, Ref(0, 255, 0), 0})
      .Record(37, {3})
      .Record(43, {0, 0, 100, 100});
  ImagePtr image = FromMemory(emf.Finish());
  BitmapPtr out = Render(image.get(), 100);
  EXPECT_EQ(Pixel(out.get(), 25, 25), 0xFFFF0000u);
  EXPECT_EQ(Pixel(out.get(), 75, 25), 0xFFFFFFFFu) << "clipped by the intersection";
  EXPECT_EQ(Pixel(out.get(), 25, 70), 0xFF0000FFu) << "the restore lifted the intersection";
  EXPECT_EQ(Pixel(out.get(), 50, 70), 0xFFFFFFFFu) << "excluded";
  EXPECT_EQ(Pixel(out.get(), 90, 10), 0xFF00FF00u) << "inside the region";
  EXPECT_EQ(Pixel(out.get(), 70, 10), 0xFFFFFFFFu);
  EXPECT_EQ(Pixel(out.get(), 90, 70), 0xFF0000FFu) << "outside the region";
}

// Dark pixels inside and outside a rectangle of the bitmap.
std::pair<int, int> DarkPixels(GpBitmap* b, int size, int l, int t, int r, int bottom) {
  int inside = 0, outside = 0;
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x)
      if ((Pixel(b, x, y) & 0xFF) < 0x80) (x >= l && x < r && y >= t && y < bottom ? inside : outside)++;
  return {inside, outside};
}

TEST_F(Metafile, TextIsDrawnWithTheSelectedFontAndAlignment) {
  // "HI" in 40-unit Liberation Sans, its top-left at (10, 20); then right-aligned at x = 95 on the
  // baseline y = 90.
  std::vector<uint32_t> font = {1, static_cast<uint32_t>(-40), 0, 0, 0, 400, 0};
  const char16_t face[] = u"Liberation Sans";
  std::vector<uint32_t> faceWords(16, 0);
  std::memcpy(faceWords.data(), face, sizeof face);
  font.insert(font.end(), faceWords.begin(), faceWords.end());
  font.resize(font.size() + 8 + 23 * 4 / 4, 0);  // the rest of the extended record
  auto text = [](int32_t x, int32_t y) {
    // bounds, graphics mode, scales, then the text: reference, count, offset, options, box, dx
    std::vector<uint32_t> p = {0, 0, 0, 0, 1, 0, 0, uint32_t(x), uint32_t(y), 2, 76, 0, 0, 0, 0, 0, 84};
    p.push_back('H' | ('I' << 16));
    p.push_back(20);
    p.push_back(20);
    return p;
  };
  EmfBuilder emf(100);
  emf.Record(82, font).Record(37, {1}).Record(18, {1});  // transparent background
  emf.Record(84, text(10, 20));
  emf.Record(22, {2 | 24});  // right, baseline
  emf.Record(84, text(95, 90));
  ImagePtr image = FromMemory(emf.Finish());
  BitmapPtr out = Render(image.get(), 100);
  // The glyphs' ink lies below the font's ascent and inside the advance.
  const auto [first, notFirst] = DarkPixels(out.get(), 100, 8, 20, 52, 62);
  const auto [second, notSecond] = DarkPixels(out.get(), 100, 53, 58, 96, 91);
  EXPECT_GT(first, 60) << "the first text, hanging from its reference";
  EXPECT_GT(second, 60) << "the right-aligned text, ending at its reference, on the baseline";
  EXPECT_EQ(notFirst, second) << "no ink outside either text";
  EXPECT_EQ(notSecond, first);
}

TEST_F(Metafile, WmfTextOut) {
  WmfBuilder wmf(2);
  wmf.Record(0x020C, {100, 100})
      .Record(0x02FB, {-40, 0, 0, 0, 700, 0, 0, 0, 'A' | ('r' << 8), 'i' | ('a' << 8), 'l', 0})
      .Record(0x012D, {0})
      .Record(0x0102, {1})
      .Record(0x0521, {2, 'H' | ('I' << 8), 20, 10});
  ImagePtr image = FromMemory(wmf.Finish());
  ASSERT_NE(image, nullptr);
  BitmapPtr out = Render(image.get(), 100);
  auto [inside, outside] = DarkPixels(out.get(), 100, 8, 20, 62, 62);
  EXPECT_GT(inside, 60);
  EXPECT_EQ(outside, 0);
}

TEST_F(Metafile, ImageMagickDrawsTheSameWmf) {
  // An independent reader of Windows metafiles renders the same bytes; the scene must agree.
  VX_REQUIRE(std::system("convert -list format 2>/dev/null | grep -q ' WMF '") == 0, "ImageMagick's WMF reader", "libmagickcore-6.q16-6-extra");
  const std::string dir = std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp";
  const std::string path = dir + "/external.wmf";
  const std::vector<uint8_t> bytes = WmfBuilder::Placeable(SceneWmf(true), 1000, 1000, 1000);
  FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
  const std::string command = "convert -density 100 -background white " + path + " -flatten -depth 8 rgb:- 2>/dev/null";
  FILE* pipe = popen(command.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::vector<uint8_t> rgb(100 * 100 * 3);
  const size_t got = std::fread(rgb.data(), 1, rgb.size(), pipe);
  pclose(pipe);
  std::remove(path.c_str());
  ASSERT_EQ(got, rgb.size()) << "expected a 100 x 100 rendering";
  ImagePtr image = FromMemory(bytes);
  BitmapPtr ours = Render(image.get(), 100);
  for (auto [x, y] : {std::pair{25, 25}, {70, 30}, {25, 70}, {5, 5}, {52, 12}, {12, 90}}) {
    const uint8_t* p = &rgb[(y * 100 + x) * 3];
    const ARGB theirs = 0xFF000000u | (p[0] << 16) | (p[1] << 8) | p[2];
    EXPECT_EQ(Pixel(ours.get(), x, y), theirs) << x << "," << y;
  }
}

}  // namespace
