#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "gdiplus_test_session.h"
#include "metafile_test_builders.h"
#include "platform/gdi/gdi.h"
#include "platform/gdiplus/graphics.h"
#include "platform/gdiplus/metafile.h"

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

TEST_F(Metafile, ImageMagickDrawsTheSameWmf) {
  // An independent reader of Windows metafiles renders the same bytes; the scene must agree.
  if (std::system("convert -list format 2>/dev/null | grep -q ' WMF '") != 0) GTEST_SKIP() << "no WMF reader";
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
