// Helpers of the format plug-in bridge tests: an engine with the plug-in bound, fixtures written
// by ImageMagick, and a file loaded through the bridge into a registered image.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "engine/image_access.h"
#include "engine/image_store.h"
#include "engine/plugin/api.h"
#include "engine/plugin/bridge.h"
#include "engine_test_support.h"
#include "plugins/vximgplug_support.h"

namespace vx::engine::plugin_test {

using vximgplug_test::HaveTool;
using vximgplug_test::RunQuiet;
using vximgplug_test::Shell;
using vximgplug_test::TempFolder;

class PluginBridgeTest : public test_support::EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    // Another suite of this executable may have replaced the store's release hooks.
    InstallVximgplugReleaseHooks();
    ASSERT_TRUE(IsVximgplugAvailable()) << "the plug-in is expected on VEXIRO_PLUGIN_PATH";
  }
  TempFolder folder_;
};

// Writes `name` in the folder with ImageMagick ("{}" in the arguments stands for the path).
inline std::string MakeFixture(const TempFolder& folder, const std::string& name, std::string arguments) {
  const std::string path = folder / name;
  arguments.replace(arguments.find("{}"), 2, path);
  EXPECT_TRUE(RunQuiet("convert " + arguments)) << arguments;
  return path;
}

// Loads a single-page file through the bridge as the file loader does: the record keeps the
// plug-in bitmap when the image uses its pixels, otherwise the bitmap is unloaded at once.
inline VexiroStatus LoadThroughBridge(const std::string& path, int32_t& id, int32_t& format) {
  id = 0;
  format = VximgplugGetFileFormat(path);
  bool multiPage = false;
  uint32_t file = 0;
  uint32_t bitmap = VximgplugLoad(format, path, multiPage, file);
  if (bitmap == 0) return vexiro::OutOfMemory;
  if (multiPage) {
    Vximgplug().CloseMultiBitmap(bitmap, 0);
    Vximgplug().CloseFileHandle(file);
    return vexiro::NotImplemented;
  }
  bool released = false, lockedPage = false;
  const VexiroStatus status = PluginBitmapToImage(bitmap, id, released, lockedPage, 0, format);
  if (released || status != vexiro::OK) {
    Vximgplug().Unload(bitmap);
  } else {
    SetImagePluginBitmap(id, bitmap);
  }
  if (status == vexiro::OK) SetImageFormatName(id, PluginFormatName(format));
  return status;
}

inline gdiplus::ARGB PixelAt(int32_t id, int32_t x, int32_t y) {
  gdiplus::ARGB argb = 0;
  EXPECT_EQ(GetImagePixel(id, x, y, argb), vexiro::OK);
  return argb;
}

// Colour classes robust to lossy coding: which channel dominates, or dark / light.
inline char ColourClass(gdiplus::ARGB argb) {
  const int r = (argb >> 16) & 0xFF, g = (argb >> 8) & 0xFF, b = argb & 0xFF;
  if (r > 160 && g > 160 && b > 160) return 'W';
  if (r < 90 && g < 90 && b < 90) return 'K';
  if (r >= g && r >= b) return 'R';
  if (b >= r && b >= g) return 'B';
  return 'G';
}

}  // namespace vx::engine::plugin_test
