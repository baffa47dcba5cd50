#include <gtest/gtest.h>

#include <random>

#include "gdiplus_test_session.h"
#include "metafile_test_builders.h"
#include "platform/gdi/gdi.h"
#include "platform/gdiplus/graphics.h"
#include "platform/gdiplus/metafile.h"

namespace {

using namespace gdiplus_test;
using metafile_test::EmfBuilder;
using metafile_test::PutU32;
using metafile_test::Ref;
using metafile_test::WmfBuilder;

class HostileMetafile : public Session {
 protected:
  Status Load(const std::vector<uint8_t>& bytes, ImagePtr& out) {
    GpImage* image = nullptr;
    const Status s = LoadMetafileFromMemory(bytes.data(), bytes.size(), &image);
    out.reset(image);
    return s;
  }
  // Draws onto a small white bitmap; returns the drawing status.
  Status Draw(GpImage* image, BitmapPtr& target) {
    target = Make(40, 40, PixelFormat24bppRGB);
    GpGraphics* g = nullptr;
    EXPECT_EQ(GdipGetImageGraphicsContext(target.get(), &g), Ok);
    GdipGraphicsClear(g, 0xFFFFFFFF);
    const Status s = GdipDrawImageRectI(g, image, 0, 0, 40, 40);
    GdipDeleteGraphics(g);
    return s;
  }
};

// A red rectangle over the whole frame after the record under test shows that playback went on.
std::vector<uint8_t> EmfWith(const std::vector<uint32_t>& hostile, uint32_t type) {
  EmfBuilder emf(40);
  emf.Record(type, hostile);
  emf.Record(39, {1, 0, Ref(255, 0, 0), 0}).Record(37, {1}).Record(43, {0, 0, 40, 40});
  return emf.Finish();
}

TEST_F(HostileMetafile, BrokenRecordChainsAreRefusedWithAStatus) {
  std::vector<uint8_t> good = EmfWith({1, 2}, 10);
  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
  };
  std::vector<Case> cases;
  cases.push_back({"cut inside a record", std::vector<uint8_t>(good.begin(), good.end() - 6)});
  cases.push_back({"record size zero", good});
  PutU32(cases.back().bytes, 88 + 4, 0);
  cases.push_back({"record size past the end", good});
  PutU32(cases.back().bytes, 88 + 4, 0x7FFFFFF0);
  cases.push_back({"record size not a multiple of four", good});
  PutU32(cases.back().bytes, 88 + 4, 13);
  cases.push_back({"header shorter than its fields", good});
  PutU32(cases.back().bytes, 4, 40);
  cases.push_back({"nothing but a signature", std::vector<uint8_t>(good.begin(), good.begin() + 44)});
  std::vector<uint8_t> wmf = WmfBuilder().Record(0x020C, {10, 10}).Record(0x041B, {5, 5, 0, 0}).Finish();
  cases.push_back({"WMF record of size zero", wmf});
  PutU32(cases.back().bytes, 18, 0);
  cases.push_back({"WMF record past the end", wmf});
  PutU32(cases.back().bytes, 18, 0x40000000);
  cases.push_back({"WMF without any size", WmfBuilder().Record(0x041B, {5, 5, 0, 0}).Finish()});
  for (const Case& c : cases) {
    ImagePtr image;
    EXPECT_EQ(Load(c.bytes, image), UnknownImageFormat) << c.what;
    EXPECT_EQ(image, nullptr) << c.what;
    vx::HENHMETAFILE handle = vx::SetEnhMetaFileBits(static_cast<vx::UINT>(c.bytes.size()), c.bytes.data());
    if (handle) {
      GpMetafile* metafile = nullptr;
      EXPECT_EQ(GdipCreateMetafileFromEmf(handle, vx::TRUE_, &metafile), InvalidParameter) << c.what;
      vx::DeleteEnhMetaFile(handle);
    }
  }
}

TEST_F(HostileMetafile, RecordsThatLieAboutTheirContentAreSkipped) {
  struct Case {
    const char* what;
    uint32_t type;
    std::vector<uint32_t> params;
  } cases[] = {
      {"polygon16 with four billion points", 86, {0, 0, 0, 0, 0xFFFFFFFF, 0x00050005}},
      {"polyline with more points than bytes", 4, {0, 0, 0, 0, 1000, 1, 2}},
      {"polypolygon with a huge polygon count", 8, {0, 0, 0, 0, 0x40000000, 3, 3}},
      {"polypolygon whose counts exceed the total", 91, {0, 0, 0, 0, 1, 2, 500, 0, 0}},
      {"bitmap offsets past the record", 81, {0, 0, 9, 9, 0, 0, 0, 0, 2, 2, 0xFFFFFF00, 40, 0xFFFFFFF0, 16, 0, 0x00CC0020, 9, 9}},
      {"bitmap header with a huge colour count", 81,
       {0, 0, 9, 9, 0, 0, 0, 0, 1, 1, 80, 40, 120, 4, 0, 0x00CC0020, 9, 9, 40, 1, 1, 1 | (8 << 16), 0, 0, 0, 0,
        100000, 0, 0}},
      {"bitmap bits shorter than its rows", 81,
       {0, 0, 9, 9, 0, 0, 0, 0, 64, 64, 80, 40, 120, 4, 0, 0x00CC0020, 9, 9, 40, 64, 64, 1 | (32 << 16), 0, 0, 0, 0,
        0, 0, 0}},
      {"object index far past the table", 37, {0x7FFFFFFF}},
      {"pen into a slot past the table", 38, {0xFFFFFFF0, 0, 1, 0, 0}},
      {"restore of a state never saved", 34, {0x80000000}},
      {"world transform of infinities", 35, {0x7F800000, 0, 0, 0x7F800000, 0, 0}},
      {"window extent of zero", 9, {0, 0}},
      {"record cut short of its fields", 43, {}},
      {"clip region with more rectangles than bytes", 75, {48, 1, 32, 1, 0x10000000, 16, 0, 0, 40, 40, 0, 0, 40, 40}},
      {"clip region larger than its record", 75, {0xFFFFFF00, 5, 32, 1, 1, 16}},
      {"alpha blend with its bitmap past the record", 114,
       {0, 0, 0, 0, 0, 0, 9, 9, 128 << 16, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xFFFFFFF0, 40, 0x10, 0xFFFFFFFF, 1, 1}},
      {"pie in an empty box", 47, {5, 5, 5, 5, 0, 0, 9, 9}},
      {"pattern brush whose bitmap overruns", 94, {1, 0, 32, 0xFFFFFFFF, 72, 16}},
      {"text of two billion characters", 84, {0, 0, 0, 0, 1, 0, 0, 5, 5, 0x7FFFFFFF, 76, 0, 0, 0, 0, 0, 0, 0x41}},
      {"text whose string lies past the record", 84, {0, 0, 0, 0, 1, 0, 0, 5, 5, 2, 0xFFFFFFF0, 0, 0, 0, 0, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    ImagePtr image;
    ASSERT_EQ(Load(EmfWith(c.params, c.type), image), Ok) << c.what;
    BitmapPtr target;
    EXPECT_EQ(Draw(image.get(), target), Ok) << c.what;
    EXPECT_EQ(Pixel(target.get(), 20, 20), 0xFFFF0000u) << c.what << ": later records still play";
  }
}

TEST_F(HostileMetafile, WmfRecordsThatLieAreSkipped) {
  struct Case {
    const char* what;
    uint16_t function;
    std::vector<int32_t> params;
  } cases[] = {
      {"polygon of 30000 points in two words", 0x0324, {30000, 1, 1}},
      {"polypolygon of 65535 polygons", 0x0538, {-1}},
      {"stretched DIB whose header is cut", 0x0F43, {0x0020, 0x00CC, 0, 2, 2, 0, 0, 40, 40, 0, 0, 40, 1}},
      {"select of a slot never made", 0x012D, {9000}},
      {"text of 30000 characters in one word", 0x0521, {30000, 0x4141}},
      {"extended text with a box and no string", 0x0A32, {5, 5, 200, 6, 0, 0}},
  };
  for (const Case& c : cases) {
    WmfBuilder wmf;
    wmf.Record(0x020C, {40, 40}).Record(c.function, c.params);
    wmf.Record(0x02FC, {0, 0x00FF, 0, 0}).Record(0x012D, {0}).Record(0x041B, {40, 40, 0, 0});
    ImagePtr image;
    ASSERT_EQ(Load(wmf.Finish(), image), Ok) << c.what;
    BitmapPtr target;
    EXPECT_EQ(Draw(image.get(), target), Ok) << c.what;
    EXPECT_EQ(Pixel(target.get(), 20, 20), 0xFFFF0000u) << c.what;
  }
}

// One record of most kinds the player reads, to give the mutations something to break.
std::vector<uint8_t> RichEmf() {
  EmfBuilder emf(40);
  const std::vector<uint32_t> dib = {40, 2, 2, 1 | (32 << 16), 0, 16, 0, 0, 0, 0, 0xFF, 0xFF00, 0xFF0000, 0xFFFFFF};
  std::vector<uint32_t> stretch = {0, 0, 9, 9, 0, 0, 0, 0, 2, 2, 80, 40, 120, 16, 0, 0x00CC0020, 20, 20};
  stretch.insert(stretch.end(), dib.begin(), dib.end());
  std::vector<uint32_t> pattern = {2, 0, 32, 40, 72, 16};
  pattern.insert(pattern.end(), dib.begin(), dib.end());
  std::vector<uint32_t> font = {3, static_cast<uint32_t>(-12), 0, 0, 0, 700, 0};
  font.resize(font.size() + 8 + 16, 0);
  emf.Record(81, stretch).Record(94, pattern).Record(37, {2}).Record(82, font).Record(37, {3});
  emf.Record(33, {}).Record(30, {2, 2, 30, 30}).Record(47, {0, 0, 30, 30, 30, 15, 15, 0}).Record(34, {0xFFFFFFFF});
  emf.Record(75, {32, 5, 32, 1, 1, 16, 0, 0, 20, 20, 0, 0, 20, 20});
  emf.Record(84, {0, 0, 0, 0, 1, 0, 0, 5, 5, 2, 76, 2, 0, 0, 9, 9, 84, 'A' | ('B' << 16), 7, 7});
  emf.Record(59, {}).Record(27, {1, 1}).Record(54, {20, 5}).Record(61, {}).Record(60, {}).Record(64, {0, 0, 0, 0});
  emf.Record(35, {0x3F800000, 0, 0, 0x3F800000, 0, 0}).Points16(91, {});
  return emf.Finish();
}

TEST_F(HostileMetafile, MutatedMetafilesNeverCrash) {
  // Deterministic byte mutations of both formats: each either loads and draws, or is refused.
  std::mt19937 random(1234);
  const std::vector<std::vector<uint8_t>> seeds = {
      EmfWith({0, 0, 0, 0, 3, 0x00050005, 0x00200010, 0x00100030}, 86),
      RichEmf(),
      WmfBuilder::Placeable(WmfBuilder(3)
                                .Record(0x020C, {100, 100})
                                .Record(0x02FC, {0, 0x00FF, 0, 0})
                                .Record(0x012D, {0})
                                .Record(0x0324, {3, 10, 10, 90, 10, 50, 90})
                                .Record(0x0418, {80, 80, 20, 20})
                                .Record(0x0A32, {10, 10, 2, 6, 0, 0, 50, 50, 'A' | ('B' << 8)})
                                .Record(0x081A, {0, 30, 30, 60, 60, 60, 0, 0})
                                .Record(0x0F43, {0x0020, 0x00CC, 0, 1, 1, 0, 0, 9, 9, 0, 0,  // a 1 x 1 DIB:
                                                 40, 0, 1, 0, 1, 0, 1, 24, 0, 0, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                                 0x00FF, 0})
                                .Finish(),
                            100, 100, 96)};
  int loaded = 0;
  for (int i = 0; i < 900; ++i) {
    std::vector<uint8_t> bytes = seeds[i % seeds.size()];
    const int flips = 1 + static_cast<int>(random() % 6);
    for (int k = 0; k < flips; ++k) bytes[random() % bytes.size()] = static_cast<uint8_t>(random());
    ImagePtr image;
    if (Load(bytes, image) != Ok) continue;
    ++loaded;
    BitmapPtr target;
    Draw(image.get(), target);
  }
  EXPECT_GT(loaded, 0);
}

// A metafile whose frame claims a picture beyond the limits of any decoded picture (65535 pixels
// a side, 2^28 pixels) is refused before playback, through every way a metafile is made.
std::vector<uint8_t> EmfOfFrame(uint32_t width, uint32_t height) {
  std::vector<uint8_t> emf = EmfBuilder(10).Finish();
  PutU32(emf, 16, width - 1);  // bounds, inclusive
  PutU32(emf, 20, height - 1);
  PutU32(emf, 32, width * 10);  // frame, in hundredths of a millimetre at 254 dpi
  PutU32(emf, 36, height * 10);
  return emf;
}

TEST_F(HostileMetafile, FramesBeyondThePictureLimitsAreRefused) {
  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
    bool withinLimits;
  } cases[] = {
      {"EMF 200000 x 1000", EmfOfFrame(200000, 1000), false},
      {"EMF 1000 x 70000", EmfOfFrame(1000, 70000), false},
      {"EMF 20000 x 20000", EmfOfFrame(20000, 20000), false},
      {"EMF 65535 x 16", EmfOfFrame(65535, 16), true},
      {"placeable WMF 65535 x 65535",
       WmfBuilder::Placeable(WmfBuilder().Finish(), 32767, 32767, 96), false},
  };
  // The placeable header's box starts at its left and top fields: the last case spans them all.
  std::memcpy(&cases[4].bytes[6], "\x00\x80\x00\x80", 4);
  for (Case& c : cases) {
    ImagePtr image;
    const Status s = Load(c.bytes, image);
    EXPECT_EQ(s == Ok, c.withinLimits) << c.what;
    if (s == Ok) {
      UINT width = 0;
      GdipGetImageWidth(image.get(), &width);
      EXPECT_LE(width, 65535u) << c.what;
    }
    if (c.bytes[0] != 1) continue;  // an EMF: also through a handle
    vx::HENHMETAFILE handle = vx::SetEnhMetaFileBits(static_cast<vx::UINT>(c.bytes.size()), c.bytes.data());
    ASSERT_NE(handle, 0u) << c.what;
    GpMetafile* metafile = nullptr;
    EXPECT_EQ(GdipCreateMetafileFromEmf(handle, vx::TRUE_, &metafile) == Ok, c.withinLimits) << c.what;
    if (metafile) GdipDisposeImage(metafile);
    else vx::DeleteEnhMetaFile(handle);
  }
}

}  // namespace
