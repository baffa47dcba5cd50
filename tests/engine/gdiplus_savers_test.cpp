#include "engine/save/gdiplus_savers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "engine/save/encoder_table.h"
#include "engine/gdiplus_lifetime.h"
#include "engine/plugin/bridge.h"
#include "engine/saving_test_support.h"
#include "platform/gdiplus/image_object.h"
#include "support/required_tool.h"

namespace vx::engine {
namespace {

using namespace saving_test;
using test_support::EngineTest;
using test_support::PaletteOf;
using test_support::ToolAvailable;
namespace gp = gdiplus;

class PlatformSavers : public EngineTest {
 protected:
  void TearDown() override {
    ThreadGdiplusState().GdiplusVersion = savedVersion_;
    EngineTest::TearDown();
  }
  static void SetRawResolution(int32_t id, float h, float v) {
    auto* bitmap = dynamic_cast<gp::GpBitmap*>(GetGpImage(id));
    bitmap->current().dpiX = h;
    bitmap->current().dpiY = v;
  }
  static std::pair<float, float> Resolution(int32_t id) {
    float h = 0, v = 0;
    GetImageHorizontalResolution(id, h);
    GetImageVerticalResolution(id, v);
    return {h, v};
  }
  ScratchFolder scratch_;
  std::string savedVersion_ = ThreadGdiplusState().GdiplusVersion;
};

int32_t Picture(int32_t w, int32_t h, gp::PixelFormat format) {
  return MakeFilled(w, h, format, [](int x, int y) {
    return 0xFF000000u | static_cast<uint32_t>(x * 23 % 256) << 16 | static_cast<uint32_t>(y * 45 % 256) << 8 | 0x40;
  });
}

// The mean absolute difference of the colour channels of two pictures of one size.
double MeanChannelDifference(const std::vector<gp::ARGB>& a, const std::vector<gp::ARGB>& b) {
  if (a.size() != b.size() || a.empty()) return 1e9;
  double sum = 0;
  for (size_t i = 0; i < a.size(); ++i)
    for (int shift : {0, 8, 16}) sum += std::abs(int((a[i] >> shift) & 0xFF) - int((b[i] >> shift) & 0xFF));
  return sum / (3.0 * static_cast<double>(a.size()));
}

std::string TiffInfo(const std::string& path) { return Shell("tiffinfo '" + path + "' 2>/dev/null"); }

TEST_F(PlatformSavers, PrepareForSaveRaisesTinyResolutionsOnly) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  struct Case {
    float h, v, wantH, wantV;
  };
  const Case cases[] = {
      {0.3f, 0.3f, 0.51f, 0.51f},  // 1.7 is the first factor reaching 0.5
      {0.3f, 300.0f, 0.51f, 510.0f},
      {72.0f, 72.0f, 72.0f, 72.0f},
      {0.5f, 0.5f, 0.5f, 0.5f},
      {0.0f, 300.0f, 0.0f, 300.0f},  // no factor can raise these: left as they are
      {-2.0f, 0.3f, -2.0f, 0.3f},
  };
  for (const Case& c : cases) {
    const int32_t id = MakeImage(2, 2, gp::PixelFormat24bppRGB);
    SetRawResolution(id, c.h, c.v);
    PrepareForSave(id);
    const auto [h, v] = Resolution(id);
    EXPECT_FLOAT_EQ(h, c.wantH) << c.h << " x " << c.v;
    EXPECT_FLOAT_EQ(v, c.wantV) << c.h << " x " << c.v;
    ReleaseImage(id);
  }
  const int32_t id = MakeImage(2, 2, gp::PixelFormat24bppRGB);
  SetRawResolution(id, nan, 0.3f);
  PrepareForSave(id);
  EXPECT_TRUE(std::isnan(Resolution(id).first));
}

TEST_F(PlatformSavers, PrepareForSaveRemovesTheGpsPointerAndKeepsOtherItems) {
  const int32_t id = MakeImage(2, 2, gp::PixelFormat24bppRGB);
  uint32_t pointer = 26;
  char text[] = "kept";
  gp::PropertyItem gps{0x882A, 4, gp::PropertyTagTypeLong, &pointer};
  gp::PropertyItem description{0x010E, sizeof text, gp::PropertyTagTypeASCII, text};
  ASSERT_EQ(SetImagePropertyItem(id, gps, false), vexiro::OK);
  ASSERT_EQ(SetImagePropertyItem(id, description, false), vexiro::OK);
  EXPECT_FALSE(FindImageRecord(id)->Modified);
  PrepareForSave(id);
  gp::UINT size = 0;
  EXPECT_EQ(gp::GdipGetPropertyItemSize(GetGpImage(id), 0x882A, &size), gp::PropertyNotFound);
  EXPECT_EQ(gp::GdipGetPropertyItemSize(GetGpImage(id), 0x010E, &size), gp::Ok);
  ASSERT_EQ(SetImagePropertyItem(id, gps, true), vexiro::OK);
  EXPECT_TRUE(FindImageRecord(id)->Modified);
}

TEST_F(PlatformSavers, JpegQualityIsClampedOrLeftToTheEncoder) {
  VX_REQUIRE_TOOL("identify");
  const int32_t id = Picture(32, 16, gp::PixelFormat24bppRGB);
  struct Case {
    int32_t quality;
    std::string seen;
  };
  for (const Case& c : {Case{150, "100"}, Case{-1, "75"}, Case{90, "90"}, Case{0, "1"}}) {
    const std::string path = scratch_.File("q.jpg");
    ASSERT_EQ(SaveAsJPEGFile(id, path, c.quality, false), vexiro::OK);
    EXPECT_EQ(Shell("identify -format %Q '" + path + "'"), c.seen) << c.quality;
  }
}

// Without the plug-in a grey image goes to the platform encoder, which is given every quality of
// 0 or more as it stands; the plug-in reads 0 as "default".
TEST_F(PlatformSavers, GreyJpegFallsBackToThePlatformEncoder) {
  VX_REQUIRE_TOOL("identify");
  gp::ColorPalette grey;
  grey.Count = 256;
  for (uint32_t i = 0; i < 256; ++i) grey.Entries[i] = 0xFF000000u | i * 0x010101u;
  std::vector<uint8_t> indices(16 * 8);
  for (size_t i = 0; i < indices.size(); ++i) indices[i] = static_cast<uint8_t>(i * 2);
  const int32_t id = MakeIndexed(16, 8, gp::PixelFormat8bppIndexed, grey, indices);
  struct Case {
    bool disablePlugin;
    int32_t quality;
    std::string seen;
  };
  const std::string pluginDefault = IsVximgplugAvailable() ? "75" : "1";
  for (const Case& c : {Case{false, 0, pluginDefault}, Case{true, 0, "1"}, Case{true, 40, "40"}, Case{true, -1, "75"},
                        Case{true, 250, "100"}}) {
    const std::string path = scratch_.File("grey.jpg");
    ASSERT_EQ(SaveAsJPEGFile(id, path, c.quality, c.disablePlugin), vexiro::OK);
    EXPECT_EQ(Shell("identify -format %Q '" + path + "'"), c.seen) << c.disablePlugin << " " << c.quality;
  }
}

// The plug-in reads its JPEG flags as the quality: out-of-range qualities must not reach it as
// other flags.
TEST(PluginJpegShortcut, QualityIsClampedIntoThePluginsRange) {
  const std::pair<int32_t, int32_t> cases[] = {{-5, 0}, {-1, 0}, {0, 0}, {1, 1}, {75, 75}, {100, 100}, {150, 100}, {0x8000, 100}};
  for (auto [quality, flags] : cases) EXPECT_EQ(PluginJpegFlags(quality), flags) << quality;
}

TEST_F(PlatformSavers, TiffCompressionAndDepthRules) {
  VX_REQUIRE_TOOL("tiffinfo");
  struct Case {
    gp::PixelFormat format;
    int32_t compression, depth;
    const char* version;
    const char* scheme;
    const char* layout;  // bits per sample and samples per pixel as tiffinfo prints them
  };
  const char* bilevel = "Bits/Sample: 1";
  const char* rgb = "Samples/Pixel: 3";
  const char* indexed8 = "Bits/Sample: 8";
  const Case cases[] = {
      {gp::PixelFormat1bppIndexed, CompressionCCITT4, 0, "6.1", "CCITT Group 4", bilevel},
      {gp::PixelFormat1bppIndexed, CompressionRLE, 0, "6.1", "PackBits", bilevel},
      {gp::PixelFormat24bppRGB, CompressionCCITT4, 0, "6.1", "LZW", rgb},
      {gp::PixelFormat24bppRGB, CompressionCCITT3, 0, "6.1", "LZW", rgb},
      {gp::PixelFormat24bppRGB, CompressionCCITT4, 1, "6.1", "CCITT Group 4", bilevel},
      {gp::PixelFormat24bppRGB, CompressionCCITT4, 1, "5.1", "LZW", rgb},  // the depth is dropped
      {gp::PixelFormat24bppRGB, CompressionNone, 16, "6.1", "None", rgb},   // 16 is written as 24
      {gp::PixelFormat24bppRGB, CompressionLZW, 8, "5.1", "LZW", rgb},
      {gp::PixelFormat24bppRGB, CompressionLZW, 8, "6.1", "LZW", "palette color"},
      {gp::PixelFormat24bppRGB, CompressionLZW, 32, "5.1", "LZW", "Samples/Pixel: 4"},
      {gp::PixelFormat8bppIndexed, CompressionCCITT4, 0, "6.1", "LZW", indexed8},
  };
  for (const Case& c : cases) {
    ThreadGdiplusState().GdiplusVersion = c.version;
    const int32_t id = Picture(9, 5, c.format);
    const std::string path = scratch_.File("rule.tif");
    ASSERT_EQ(SaveAsTIFFFile(id, path, c.compression, c.depth), vexiro::OK) << c.compression << "/" << c.depth;
    const std::string info = TiffInfo(path);
    EXPECT_NE(info.find(std::string("Compression Scheme: ") + c.scheme), std::string::npos) << info;
    EXPECT_NE(info.find(c.layout), std::string::npos) << c.version << " depth " << c.depth << "\n" << info;
    ReleaseImage(id);
  }
  EXPECT_EQ(EffectiveTiffCompression(CompressionCCITT4, 0, 1), CompressionCCITT4);
  EXPECT_EQ(EffectiveTiffCompression(CompressionRLE, 4, 1), CompressionLZW);
  EXPECT_EQ(EffectiveTiffCompression(CompressionNone, 24, 24), CompressionNone);
}

// The JPEG and TIFF savers raise a tiny resolution before writing, and the image remembers it.
TEST_F(PlatformSavers, TinyResolutionIsRaisedInTheWrittenFile) {
  VX_REQUIRE_TOOL("tiffinfo");
  const int32_t id = Picture(4, 4, gp::PixelFormat24bppRGB);
  SetRawResolution(id, 0.3f, 0.3f);
  ClearImageModified(id);
  const std::string path = scratch_.File("tiny.tif");
  ASSERT_EQ(SaveAsTIFFFile(id, path, CompressionLZW, 0), vexiro::OK);
  EXPECT_NE(TiffInfo(path).find("Resolution: 0.51, 0.51 pixels/inch"), std::string::npos) << TiffInfo(path);
  EXPECT_TRUE(FindImageRecord(id)->Modified);
  if (!ToolAvailable("identify")) return;
  SetRawResolution(id, 0.3f, 300.0f);
  const std::string jpeg = scratch_.File("tiny.jpg");
  ASSERT_EQ(SaveAsJPEGFile(id, jpeg, 80, false), vexiro::OK);
  const std::string density = Shell("identify -format '%x %y' '" + jpeg + "'");
  EXPECT_EQ(density.rfind("0.51", 0), 0u) << density;
  EXPECT_EQ(density.substr(density.size() - 4), " 510") << density;
}

// Every simple format at every depth, read back by an independent decoder.
TEST_F(PlatformSavers, EachFormatRoundTripsAtEachDepth) {
  VX_REQUIRE_TOOL("convert");
  using Saver = VexiroStatus (*)(int32_t, const std::string&);
  struct Format {
    const char* name;
    Saver save;
    const char* magick;
    bool lossless;
  };
  const Format formats[] = {
      {"bmp", SaveAsBmpFile, "BMP3", true},
      {"png", SaveAsPNGFile, "PNG", true},
      {"gif", SaveAsGIFFile, "GIF", false},
      {"jpg", [](int32_t id, const std::string& p) { return SaveAsJPEGFile(id, p, 100, true); }, "JPEG", false},
      {"tif", [](int32_t id, const std::string& p) { return SaveAsTIFFFile(id, p, 0, 0); }, "TIFF", true},
  };
  const gp::PixelFormat depths[] = {gp::PixelFormat1bppIndexed, gp::PixelFormat4bppIndexed, gp::PixelFormat8bppIndexed,
                                    gp::PixelFormat24bppRGB, gp::PixelFormat32bppARGB};
  for (const Format& f : formats) {
    for (gp::PixelFormat format : depths) {
      const int32_t id = Picture(11, 6, format);
      const std::string path = scratch_.File(std::string("round.") + f.name);
      ASSERT_EQ(f.save(id, path), vexiro::OK) << f.name << " " << format;
      EXPECT_EQ(Shell("identify -format '%m %w %h' '" + path + "'"), std::string(f.magick) + " 11 6") << f.name;
      const bool exact = f.lossless || (f.name == std::string("gif") && IsIndexedPixelFormat(format));
      if (exact) EXPECT_EQ(PixelsByImageMagick(path), ArgbPixelsOf(id)) << f.name << " " << format;
      if (f.name == std::string("jpg")) EXPECT_LT(MeanChannelDifference(PixelsByImageMagick(path), ArgbPixelsOf(id)), 20.0) << format;
      ReleaseImage(id);
    }
  }
}

TEST_F(PlatformSavers, MissingEncoderIsAnUnknownFormatAndWritesNothing) {
  const int32_t id = Picture(2, 2, gp::PixelFormat24bppRGB);
  ClearEncoderTable();
  const std::string path = scratch_.File("none");
  EXPECT_EQ(SaveAsBmpFile(id, path), vexiro::UnknownImageFormat);
  EXPECT_EQ(SaveAsGIFFile(id, path), vexiro::UnknownImageFormat);
  EXPECT_EQ(SaveAsPNGFile(id, path), vexiro::UnknownImageFormat);
  EXPECT_EQ(SaveAsJPEGFile(id, path, 75, false), vexiro::UnknownImageFormat);
  EXPECT_EQ(SaveAsTIFFFile(id, path, 2, 0), vexiro::UnknownImageFormat);
  EXPECT_EQ(TiffBeginMultiPage(id, path, 2), vexiro::UnknownImageFormat);
  EXPECT_FALSE(FileExists(path));
  BuildEncoderTable();
  EXPECT_EQ(SaveAsBmpFile(987654, path), vexiro::InvalidParameter) << "an unknown image reaches the platform as none";
}

TEST_F(PlatformSavers, MultiPageTiffPagesShareTheFirstPagesCompression) {
  VX_REQUIRE_TOOL("tiffinfo");
  const int32_t first = Picture(8, 4, gp::PixelFormat1bppIndexed);
  const int32_t second = Picture(5, 3, gp::PixelFormat1bppIndexed);
  const std::string path = scratch_.File("pages.tif");
  ASSERT_EQ(TiffBeginMultiPage(first, path, CompressionCCITT4), vexiro::OK);
  EXPECT_EQ(FindImageRecord(first)->TiffCompression, CompressionCCITT4);
  ASSERT_EQ(TiffSaveAddPage(first, second), vexiro::OK);
  EncoderParameterBlock flush;
  flush.Add(gp::EncoderSaveFlag, gp::EncoderValueFlush);
  ASSERT_EQ(gp::GdipSaveAdd(GetGpImage(first), flush.Get()), gp::Ok);
  const std::string info = TiffInfo(path);
  size_t pages = 0;
  for (size_t at = 0; (at = info.find("CCITT Group 4", at)) != std::string::npos; ++at) ++pages;
  EXPECT_EQ(pages, 2u) << info;

  const int32_t colour = Picture(3, 3, gp::PixelFormat24bppRGB);
  const std::string colourPath = scratch_.File("colour.tif");
  ASSERT_EQ(TiffBeginMultiPage(colour, colourPath, CompressionCCITT4), vexiro::OK);
  EXPECT_EQ(FindImageRecord(colour)->TiffCompression, CompressionLZW);
  gp::GdipSaveAdd(GetGpImage(colour), flush.Get());
}

}  // namespace
}  // namespace vx::engine
