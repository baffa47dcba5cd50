// Plug-in bitmaps and images into one another: pixel-format choice, transparency, palettes,
// metadata both ways and the resolution rule.
#include <cstring>

#include "platform/gdi/gdi.h"

#include "plugin_test_support.h"
#include "support/required_tool.h"

namespace vx::engine {
namespace {

using namespace plugin_test;
using gdiplus::PixelFormat;
using test_support::MakeImage;
using test_support::PaletteOf;
using test_support::WriteRow;

class PluginToImage : public PluginBridgeTest {};

// A palette image with a transparent entry arrives as 32 bits with its alpha, the right way up
// both from a top-row-first format (PNG) and a bottom-row-first one (GIF).
TEST_F(PluginToImage, TransparentPaletteEntriesKeepTheirAlpha) {
  VX_REQUIRE_TOOL("convert");
  for (const char* file : {"t.png", "t.gif"}) {
    const std::string writeAs = std::string(file) == "t.png" ? "png8:{}" : "{}";
    const std::string path = MakeFixture(folder_, file, "-size 4x4 xc:red -size 4x4 xc:none -append " + writeAs);
    int32_t id = 0, format = 0;
    ASSERT_EQ(LoadThroughBridge(path, id, format), vexiro::OK) << file;
    EXPECT_EQ(GetImagePixelFormatValue(id), gdiplus::PixelFormat32bppARGB) << file;
    EXPECT_EQ(PixelAt(id, 1, 1), 0xFFFF0000u) << file;
    EXPECT_EQ(PixelAt(id, 1, 6) >> 24, 0u) << file;
    ReleaseImage(id);
  }
}

TEST_F(PluginToImage, ResolutionFromThePluginAndFromTagsWhenThePluginSaysOnly72) {
  VX_REQUIRE_TOOL("convert");
  const std::string tiff = MakeFixture(folder_, "r.tif", "-size 4x4 xc:red -units PixelsPerInch -density 200x100 {}");
  int32_t id = 0, format = 0;
  ASSERT_EQ(LoadThroughBridge(tiff, id, format), vexiro::OK);
  float h = 0, v = 0;
  GetImageHorizontalResolution(id, h);
  GetImageVerticalResolution(id, v);
  EXPECT_FLOAT_EQ(h, 200);
  EXPECT_FLOAT_EQ(v, 100);
  ReleaseImage(id);

  VX_REQUIRE_TOOL("exiftool");
  const std::string jpeg = MakeFixture(folder_, "r.jpg", "-size 4x4 xc:red -units PixelsPerInch -density 72 {}");
  ASSERT_TRUE(RunQuiet("exiftool -overwrite_original -EXIF:XResolution=300 -EXIF:YResolution=150 "
                       "-EXIF:ResolutionUnit=inches '" + jpeg + "'"));
  ASSERT_EQ(LoadThroughBridge(jpeg, id, format), vexiro::OK);
  GetImageHorizontalResolution(id, h);
  GetImageVerticalResolution(id, v);
  EXPECT_FLOAT_EQ(h, 300);
  EXPECT_FLOAT_EQ(v, 150);
  ReleaseImage(id);
}

TEST_F(PluginToImage, DibSectionCopiesThePixelsAndHonoursUnload) {
  const VximgplugApi& api = Vximgplug();
  const uint8_t rows[2][4] = {{0x80, 0, 0, 0}, {0x00, 0, 0, 0}};  // 1-bit, 2 x 2, top row first
  uint32_t bitmap = api.ConvertFromRawBits(&rows[0][0], 2, 2, 4, 1, 0, 0, 0, 1);
  ASSERT_NE(bitmap, 0u);
  EXPECT_EQ(PluginBitmapToHBitmap(0, 0, false), 0u);
  const HBITMAP section = PluginBitmapToHBitmap(bitmap, 0, true);
  ASSERT_NE(section, 0u);
  EXPECT_EQ(api.GetWidth(bitmap), 0) << "unloaded";
  BITMAP info{};
  ASSERT_NE(vx::GetObject(section, sizeof info, &info), 0);
  EXPECT_EQ(info.bmWidth, 2);
  EXPECT_EQ(info.bmHeight, 2);
  EXPECT_EQ(info.bmBitsPixel, 1);
  vx::DeleteObject(section);

  // A header announcing colour masks would be read past what the plug-in hands over: refused.
  const uint16_t pixels[2] = {0xF800, 0x001F};
  const uint32_t masked = api.ConvertFromRawBits(reinterpret_cast<const uint8_t*>(pixels), 2, 1, 4, 16, 0xF800,
                                                 0x07E0, 0x001F, 1);
  ASSERT_NE(masked, 0u);
  EXPECT_EQ(PluginBitmapToHBitmap(masked, 0, false), 0u);
  api.Unload(masked);
}

class ImageToPlugin : public PluginBridgeTest {};

TEST_F(ImageToPlugin, PixelFormatsPalettesAndAlpha) {
  const VximgplugApi& api = Vximgplug();
  struct Case {
    PixelFormat format;
    int32_t pluginBpp;
  };
  const Case cases[] = {{gdiplus::PixelFormat1bppIndexed, 1},  {gdiplus::PixelFormat4bppIndexed, 4},
                        {gdiplus::PixelFormat8bppIndexed, 8},  {gdiplus::PixelFormat16bppRGB565, 16},
                        {gdiplus::PixelFormat24bppRGB, 24},    {gdiplus::PixelFormat32bppRGB, 24},
                        {gdiplus::PixelFormat32bppARGB, 32},   {gdiplus::PixelFormat32bppPARGB, 32}};
  // (New images are fully transparent, so 32bppARGB keeps its alpha here.)
  for (const Case& c : cases) {
    const int32_t id = MakeImage(5, 3, c.format);
    uint32_t bitmap = 0;
    ASSERT_EQ(ImageToPluginBitmap(id, bitmap), vexiro::OK) << PixelFormatName(c.format);
    EXPECT_EQ(api.GetBPP(bitmap), c.pluginBpp) << PixelFormatName(c.format);
    EXPECT_EQ(api.GetWidth(bitmap), 5);
    EXPECT_EQ(api.GetHeight(bitmap), 3);
    api.Unload(bitmap);
    ReleaseImage(id);
  }
  for (PixelFormat wide : {gdiplus::PixelFormat48bppRGB, gdiplus::PixelFormat64bppARGB}) {
    const int32_t id = MakeImage(2, 2, wide);
    uint32_t bitmap = 0;
    EXPECT_EQ(ImageToPluginBitmap(id, bitmap), vexiro::UnsupportedImageFormat);
    EXPECT_EQ(bitmap, 0u);
    ReleaseImage(id);
  }
  uint32_t none = 0;
  EXPECT_EQ(ImageToPluginBitmap(12345, none), vexiro::InvalidParameter);
  EXPECT_EQ(none, 0u);
}

TEST_F(ImageToPlugin, TransparentPixelsKeepThirtyTwoBitsAndPaletteAlphaGivesTheTransparentIndex) {
  const VximgplugApi& api = Vximgplug();
  const int32_t argb = MakeImage(2, 1, gdiplus::PixelFormat32bppARGB);
  uint32_t bitmap = 0;
  WriteRow(argb, 0, {0, 0, 0xFF, 0xFF, 0xFF, 0, 0, 0xFF});  // opaque red, opaque blue
  ASSERT_EQ(ImageToPluginBitmap(argb, bitmap), vexiro::OK);
  EXPECT_EQ(api.GetBPP(bitmap), 24) << "alpha that says nothing is dropped";
  api.Unload(bitmap);
  WriteRow(argb, 0, {0, 0, 0xFF, 0xFF, 0, 0, 0, 0});  // opaque red, transparent
  ASSERT_EQ(ImageToPluginBitmap(argb, bitmap), vexiro::OK);
  EXPECT_EQ(api.GetBPP(bitmap), 32);
  api.Unload(bitmap);
  ReleaseImage(argb);

  const int32_t indexed = MakeImage(4, 1, gdiplus::PixelFormat8bppIndexed);
  ASSERT_EQ(SetImagePalette(indexed, PaletteOf({0xFF000000, 0x00FFFFFF, 0xFFFF0000, 0x0000FF00})), vexiro::OK);
  ASSERT_EQ(ImageToPluginBitmap(indexed, bitmap), vexiro::OK);
  const auto* palette = static_cast<const uint8_t*>(api.GetPalette(bitmap));
  ASSERT_NE(palette, nullptr);
  EXPECT_EQ(palette[2 * 4 + 2], 0xFF) << "entry 2 is red";
  EXPECT_EQ(palette[3 * 4 + 1], 0xFF) << "entry 3 is green";
  EXPECT_EQ(api.IsTransparent(bitmap), 1);
  api.Unload(bitmap);
  ReleaseImage(indexed);
}

TEST_F(ImageToPlugin, PropertyItemsAndResolutionTravelBothWays) {
  const VximgplugApi& api = Vximgplug();
  const int32_t id = MakeImage(3, 3, gdiplus::PixelFormat24bppRGB);
  ASSERT_EQ(SetImageResolution(id, 300, 149.6f), vexiro::OK);
  char artist[] = "Vexiro";
  gdiplus::PropertyItem item;
  item.id = 0x013B;  // Artist
  item.length = sizeof artist;
  item.type = gdiplus::PropertyTagTypeASCII;
  item.value = artist;
  ASSERT_EQ(gdiplus::GdipSetPropertyItem(GetGpImage(id), &item), gdiplus::Ok);

  uint32_t bitmap = 0;
  ASSERT_EQ(ImageToPluginBitmap(id, bitmap), vexiro::OK);
  EXPECT_EQ(PluginGetDpiX(bitmap), 300);
  EXPECT_EQ(PluginGetDpiY(bitmap), 150);
  std::vector<VximgplugTagRecord> tags;
  ASSERT_GT(PluginEnumerateMetadata(PluginModelExif, bitmap, tags), 0);
  const VximgplugTagRecord* found = nullptr;
  for (const auto& t : tags)
    if (t.id == 0x013B) found = &t;
  ASSERT_NE(found, nullptr);
  EXPECT_STREQ(static_cast<const char*>(found->value), "Vexiro");
  ReleaseImage(id);

  // And back: the tag becomes a property item of the new image, the resolution comes along.
  int32_t back = 0;
  bool released = false, locked = false;
  ASSERT_EQ(PluginBitmapToImage(bitmap, back, released, locked, 0, PluginFormatTIFF), vexiro::OK);
  gdiplus::UINT size = 0;
  ASSERT_EQ(gdiplus::GdipGetPropertyItemSize(GetGpImage(back), 0x013B, &size), gdiplus::Ok);
  std::vector<uint8_t> buffer(size);
  auto* read = reinterpret_cast<gdiplus::PropertyItem*>(buffer.data());
  ASSERT_EQ(gdiplus::GdipGetPropertyItem(GetGpImage(back), 0x013B, size, read), gdiplus::Ok);
  EXPECT_STREQ(static_cast<const char*>(read->value), "Vexiro");
  float h = 0;
  GetImageHorizontalResolution(back, h);
  EXPECT_FLOAT_EQ(h, 300);
  if (released) {
    api.Unload(bitmap);
  } else {
    SetImagePluginBitmap(back, bitmap);
  }
  ReleaseImage(back);

  std::vector<VximgplugTagRecord> untouched(1);
  untouched[0].id = 77;
  const uint32_t empty = api.ConvertFromRawBits(std::vector<uint8_t>(12).data(), 1, 1, 4, 24, 0, 0, 0, 1);
  EXPECT_EQ(PluginEnumerateMetadata(PluginModelIptc, empty, untouched), 0);
  EXPECT_EQ(untouched.size(), 1u);
  EXPECT_EQ(untouched[0].id, 77);
  api.Unload(empty);
}

}  // namespace
}  // namespace vx::engine
