// The plug-in as a loaded module: its version export, every operation bound by name, handles
// that name nothing, and the conversions the engine's bridge relies on.
#include "vximgplug_support.h"
#include "support/required_tool.h"

using namespace vximgplug_test;

namespace {

TEST(Module, ExportsVersionAndEveryOperation) {
  const VximgplugApi& api = Api();
  ASSERT_NE(api.VxPluginVersion, nullptr);
  const std::string version = api.VxPluginVersion();
  int parts[4];
  char tail = 0;
  ASSERT_EQ(std::sscanf(version.c_str(), "%d.%d.%d.%d%c", &parts[0], &parts[1], &parts[2], &parts[3], &tail), 4);
  EXPECT_GT(parts[0], 0);
#define VXIMGPLUG_CHECK(name, result, params) EXPECT_NE(reinterpret_cast<void*>(api.name), nullptr) << #name;
  VXIMGPLUG_OPERATIONS(VXIMGPLUG_CHECK)
#undef VXIMGPLUG_CHECK
}

TEST(Module, HandlesThatNameNothing) {
  const VximgplugApi& api = Api();
  for (uint32_t handle : {0u, 1u << 31, 0xFFFFFFFFu}) {
    EXPECT_EQ(api.GetWidth(handle), 0);
    EXPECT_EQ(api.GetBits(handle), nullptr);
    EXPECT_EQ(api.GetInfo(handle), nullptr);
    EXPECT_EQ(api.GetPalette(handle), nullptr);
    EXPECT_EQ(api.GetColorType(handle), -1);
    EXPECT_EQ(api.GetPhotoMetric(handle), -1);
    EXPECT_EQ(api.ConvertTo24Bits(handle), 0u);
    EXPECT_EQ(api.TmoReinhard05(handle, 0, 0, 0, 0), 0u);
    EXPECT_EQ(api.FlipVertical(handle), 0);
    EXPECT_EQ(api.GetTagKey(handle), 0u);
    api.Unload(handle);
    api.UnlockPage(handle, handle, 1);
    api.AppendPage(handle, handle);
    api.SetDotsPerMeterX(handle, 5);
    api.DestroyICCProfile(handle);
    api.CloseFileHandle(handle);
    api.FindCloseMetadata(handle);
    api.DeleteTag(handle);
  }
  // An unloaded bitmap's handle is not handed out again.
  std::vector<uint8_t> pixel(4, 0);
  const uint32_t first = api.ConvertFromRawBits(pixel.data(), 1, 1, 4, 24, 0, 0, 0, 1);
  api.Unload(first);
  const uint32_t second = api.ConvertFromRawBits(pixel.data(), 1, 1, 4, 24, 0, 0, 0, 1);
  EXPECT_NE(first, second);
  EXPECT_EQ(api.GetWidth(first), 0);
  api.Unload(second);
}

TEST(RawBits, RefusesSizesAndPitchesThatDoNotFit) {
  const VximgplugApi& api = Api();
  std::vector<uint8_t> rows(64, 0);
  EXPECT_EQ(api.ConvertFromRawBits(rows.data(), 4, 2, 11, 24, 0, 0, 0, 1), 0u);  // pitch < 12
  EXPECT_EQ(api.ConvertFromRawBits(rows.data(), 0, 2, 12, 24, 0, 0, 0, 1), 0u);
  EXPECT_EQ(api.ConvertFromRawBits(rows.data(), 70000, 1, 210000, 24, 0, 0, 0, 1), 0u);
  EXPECT_EQ(api.ConvertFromRawBits(rows.data(), 4, 2, 12, 7, 0, 0, 0, 1), 0u);
  EXPECT_EQ(api.ConvertFromRawBits(nullptr, 4, 2, 12, 24, 0, 0, 0, 1), 0u);
  // A negative pitch walks upwards from the first row given.
  std::vector<uint8_t> two(8, 0);
  two[4] = 0xFF;  // the second row in memory: blue
  BitmapHandle bitmap(api.ConvertFromRawBits(two.data() + 4, 1, 2, -4, 24, 0, 0, 0, 1));
  ASSERT_TRUE(bitmap);
  EXPECT_EQ(PixelAt(bitmap.get(), 0, 0), 0x0000FFu);
  EXPECT_EQ(PixelAt(bitmap.get(), 0, 1), 0u);
}

// The bridge's conversions: 16-bit grey to 8-bit grey, HDR tone-mapped to 24 bits, palette
// transparency to 32 bits, and bilevel images whose white is 0 inverted.
TEST(Conversions, WhatTheBridgeAsksFor) {
  VX_REQUIRE_TOOL("convert");
  const VximgplugApi& api = Api();
  TempFolder folder;
  const std::string grey16 = folder / "g16.png", hdr = folder / "a.hdr", fax = folder / "a.g3";
  ASSERT_TRUE(RunQuiet("convert -size 4x3 gradient:black-white -depth 16 -colorspace Gray png:" + grey16));
  ASSERT_TRUE(RunQuiet("convert -size 4x3 gradient:red-blue " + hdr));
  ASSERT_TRUE(RunQuiet("convert -size 10x5 pattern:checkerboard -monochrome g3:" + fax));

  BitmapHandle g16(api.LoadU(13, grey16.c_str(), 0));
  ASSERT_EQ(api.GetImageType(g16.get()), 2);
  BitmapHandle g8(api.ConvertToGreyscale(g16.get()));
  EXPECT_EQ(api.GetBPP(g8.get()), 8);
  EXPECT_EQ(api.GetColorType(g8.get()), 1);
  BitmapHandle scaled(api.ConvertToType(g16.get(), 1, 1));
  EXPECT_EQ(api.GetBPP(scaled.get()), 8);

  BitmapHandle radiance(api.LoadU(26, hdr.c_str(), 0));
  ASSERT_EQ(api.GetImageType(radiance.get()), 11);
  BitmapHandle mapped(api.TmoReinhard05(radiance.get(), 0, 0, 0, 0));
  EXPECT_EQ(api.GetBPP(mapped.get()), 24);
  EXPECT_EQ(api.GetImageType(mapped.get()), 1);

  BitmapHandle faxPage(api.LoadU(27, fax.c_str(), 0));
  ASSERT_TRUE(faxPage);
  EXPECT_EQ(api.GetPhotoMetric(faxPage.get()), 0);  // white is 0
  const uint8_t before = api.GetBits(faxPage.get())[0];
  EXPECT_EQ(api.Invert(faxPage.get()), 1);
  EXPECT_EQ(api.GetBits(faxPage.get())[0], static_cast<uint8_t>(~before));

  std::vector<uint8_t> indices(8, 1);
  BitmapHandle palette(api.ConvertFromRawBits(indices.data(), 2, 2, 4, 8, 0, 0, 0, 1));
  EXPECT_EQ(api.IsTransparent(palette.get()), 0);
  api.SetTransparentIndex(palette.get(), 1);
  EXPECT_EQ(api.IsTransparent(palette.get()), 1);
  EXPECT_GE(api.GetTransparencyCount(palette.get()), 2);
  BitmapHandle rgba(api.ConvertTo32Bits(palette.get()));
  EXPECT_EQ(api.GetBPP(rgba.get()), 32);
  EXPECT_EQ(api.GetColorType(rgba.get()), 4);
  EXPECT_EQ(api.GetBits(rgba.get())[3], 0);  // alpha of the transparent index
}

}  // namespace
