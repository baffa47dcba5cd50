// Format numbers and names, detection by content and name, multi-page open, and the rounding
// between dots per metre and dots per inch.
#include <fstream>

#include "plugin_test_support.h"
#include "support/required_tool.h"

namespace vx::engine {
namespace {

using namespace plugin_test;

TEST(PluginFormatNames, TableFromUnknownToJbigAndEmptyOutside) {
  const std::pair<int32_t, const char*> cases[] = {
      {-2, ""},      {-1, "UNKNOWN"}, {0, "BMP"},   {1, "ICO"},   {8, "PBMRAW"}, {12, "PGMRAW"}, {17, "TARGA"},
      {18, "TIFF"},  {19, "WBMP"},    {25, "GIF"},  {27, "FAXG3"}, {29, "EXR"},  {30, "J2K"},    {31, "JP2"},
      {34, "RAW"},   {35, "JBIG"},    {36, ""},     {1000, ""},
  };
  for (const auto& [format, name] : cases) EXPECT_EQ(PluginFormatName(format), name) << format;
}

TEST(PluginResolution, DotsPerMetreAndInchRoundByAddingOneHalfAndTruncating) {
  const std::pair<uint32_t, int32_t> toDpi[] = {{0, 0}, {2835, 72}, {3780, 96}, {11811, 300}, {5905, 150},
                                                {19, 0}, {20, 1}};
  for (const auto& [dpm, dpi] : toDpi) EXPECT_EQ(DotsPerMeterToDpi(dpm), dpi) << dpm;
  const std::pair<int32_t, uint32_t> toDpm[] = {{0, 0}, {-5, 0}, {1, 39}, {72, 2835}, {96, 3780}, {300, 11811}};
  for (const auto& [dpi, dpm] : toDpm) EXPECT_EQ(DpiToDotsPerMeter(dpi), dpm) << dpi;
  EXPECT_EQ(DpiToDotsPerMeter(INT32_MAX), UINT32_MAX);
}

class PluginDetection : public PluginBridgeTest {};

TEST_F(PluginDetection, ContentDecidesExceptThatANameSayingTiffWins) {
  VX_REQUIRE_TOOL("convert");
  struct Case {
    const char* file;
    const char* writeAs;
    int32_t expected;
  };
  const Case cases[] = {
      {"tiff.tif", "tiff:", PluginFormatTIFF},  {"png.tif", "png:", PluginFormatTIFF},
      {"tiff.png", "tiff:", PluginFormatTIFF},  {"jpeg.png", "jpeg:", PluginFormatJPEG},
      {"png.jpg", "png:", PluginFormatPNG},     {"pcx.dat", "pcx:", 10},
  };
  for (const Case& c : cases) {
    const std::string path = MakeFixture(folder_, c.file, std::string("-size 4x4 xc:red ") + c.writeAs + "{}");
    EXPECT_EQ(VximgplugGetFileFormat(path), c.expected) << c.file;
  }
  // Content the plug-in does not recognise is unknown whatever the name promises.
  for (const char* name : {"junk.jpg", "junk.tif", "empty.png"}) {
    std::ofstream(folder_ / name) << (std::string(name) == "empty.png" ? "" : "not an image at all, just text");
    EXPECT_EQ(VximgplugGetFileFormat(folder_ / name), PluginFormatUnknown) << name;
  }
  EXPECT_EQ(VximgplugGetFileFormat(folder_ / "missing.tif"), PluginFormatUnknown);
}

class PluginMultiPageOpen : public PluginBridgeTest {
 protected:
  struct Opened {
    uint32_t handle = 0, file = 0;
    bool multiPage = false;
  };
  Opened Open(const std::string& path, int32_t format) {
    Opened o;
    o.handle = VximgplugLoad(format, path, o.multiPage, o.file);
    return o;
  }
};

TEST_F(PluginMultiPageOpen, SeveralPagesStayOpenOnePageLoadsAsABitmap) {
  VX_REQUIRE_TOOL("convert");
  const std::string frames = "-size 6x4 xc:red xc:lime xc:blue ";
  const std::string tiff3 = MakeFixture(folder_, "three.tif", frames + "{}");
  const std::string gif3 = MakeFixture(folder_, "three.gif", frames + "{}");
  const std::string tiff1 = MakeFixture(folder_, "one.tif", "-size 6x4 xc:red {}");
  const VximgplugApi& api = Vximgplug();

  for (const auto& [path, format] : {std::pair{tiff3, PluginFormatTIFF}, std::pair{gif3, PluginFormatGIF}}) {
    Opened o = Open(path, format);
    ASSERT_NE(o.handle, 0u) << path;
    EXPECT_TRUE(o.multiPage);
    EXPECT_NE(o.file, 0u);
    EXPECT_EQ(api.GetPageCount(o.handle), 3);
    EXPECT_EQ(api.CloseMultiBitmap(o.handle, 0), 1);
    api.CloseFileHandle(o.file);
  }

  Opened single = Open(tiff1, PluginFormatTIFF);
  ASSERT_NE(single.handle, 0u);
  EXPECT_FALSE(single.multiPage);
  EXPECT_EQ(single.file, 0u) << "the file opened for the page count is closed again";
  EXPECT_EQ(api.GetWidth(single.handle), 6);
  EXPECT_EQ(api.GetPageCount(single.handle), 0) << "a plain bitmap, not a multi-page handle";
  api.Unload(single.handle);

  Opened unknown = Open(tiff1, PluginFormatUnknown);
  EXPECT_EQ(unknown.handle, 0u);
  Opened missing = Open(folder_ / "missing.tif", PluginFormatTIFF);
  EXPECT_EQ(missing.handle, 0u);
  EXPECT_FALSE(missing.multiPage);
  EXPECT_EQ(missing.file, 0u);
}

TEST_F(PluginMultiPageOpen, LockedPagesConvertAndGoBackToTheirFile) {
  VX_REQUIRE_TOOL("convert");
  const VximgplugApi& api = Vximgplug();
  for (const auto& [file, format] : {std::pair{"pages.tif", PluginFormatTIFF}, std::pair{"pages.gif", PluginFormatGIF}}) {
    const std::string path = MakeFixture(folder_, file, "-size 6x4 xc:red xc:blue -depth 8 {}");
    Opened o = Open(path, format);
    ASSERT_TRUE(o.multiPage) << file;
    for (int32_t page = 0; page < 2; ++page) {
      uint32_t bitmap = api.LockPage(o.handle, page);
      ASSERT_NE(bitmap, 0u);
      int32_t id = 0;
      bool released = false, locked = true;
      ASSERT_EQ(PluginBitmapToImage(bitmap, id, released, locked, o.handle, format), vexiro::OK) << file;
      if (released) {
        // Shown through a copy: the page goes back to its file now.
        api.UnlockPage(o.handle, bitmap, 0);
      } else {
        EXPECT_TRUE(locked) << "a page shown over its own pixels stays locked";
        SetImagePluginPage(id, bitmap, o.handle);
      }
      EXPECT_EQ(ColourClass(PixelAt(id, 0, 0)), page == 0 ? 'R' : 'B') << file;
      EXPECT_EQ(ReleaseImage(id), vexiro::OK);  // gives a held page lock back
    }
    EXPECT_EQ(api.CloseMultiBitmap(o.handle, 0), 1);
    api.CloseFileHandle(o.file);
  }
}

// The engine converts CMYK samples itself, through the file's profile: both formats hand them over.
TEST_F(PluginMultiPageOpen, JpegAndTiffKeepTheirCmykSamples) {
  VX_REQUIRE_TOOL("convert");
  const VximgplugApi& api = Vximgplug();
  for (const char* name : {"cmyk.tif", "cmyk.jpg"}) {
    const std::string path = MakeFixture(folder_, name, "-size 4x4 xc:red -colorspace CMYK -depth 8 {}");
    int32_t format = VximgplugGetFileFormat(path);
    bool multiPage = false;
    uint32_t file = 0;
    const uint32_t bitmap = VximgplugLoad(format, path, multiPage, file);
    ASSERT_NE(bitmap, 0u) << name;
    EXPECT_EQ(api.GetColorType(bitmap), 5) << name;
    EXPECT_EQ(api.GetBPP(bitmap), 32) << name;
    api.Unload(bitmap);
  }
}

// A page whose samples are rebuilt in another format (16-bit grey into 48 bits) is not shown
// over: the caller is told to give it back, and it can be locked anew afterwards.
TEST_F(PluginMultiPageOpen, ARebuiltPageIsGivenBack) {
  VX_REQUIRE_TOOL("convert");
  const std::string path = MakeFixture(
      folder_, "grey16.tif", "-size 4x4 gradient:white-black -size 4x4 gradient:black-white -depth 16 -colorspace Gray {}");
  Opened o = Open(path, PluginFormatTIFF);
  ASSERT_TRUE(o.multiPage);
  const VximgplugApi& api = Vximgplug();
  const uint32_t page = api.LockPage(o.handle, 0);
  ASSERT_NE(page, 0u);
  uint32_t bitmap = page;
  int32_t id = 0;
  bool released = false, locked = true;
  ASSERT_EQ(PluginBitmapToImage(bitmap, id, released, locked, o.handle, PluginFormatTIFF), vexiro::OK);
  EXPECT_EQ(bitmap, page);
  EXPECT_TRUE(released) << "the image does not use the page's pixels";
  EXPECT_EQ(GetImagePixelFormatValue(id), gdiplus::PixelFormat48bppRGB);
  EXPECT_EQ(ColourClass(PixelAt(id, 0, 0)), 'W');
  EXPECT_EQ(ColourClass(PixelAt(id, 0, 3)), 'K');
  ASSERT_TRUE(locked);
  api.UnlockPage(o.handle, page, 0);
  // The page is free again: it can be locked anew, and the file closes with nothing held.
  const uint32_t again = api.LockPage(o.handle, 0);
  EXPECT_NE(again, 0u);
  api.UnlockPage(o.handle, again, 0);
  EXPECT_EQ(ReleaseImage(id), vexiro::OK);
  EXPECT_EQ(api.CloseMultiBitmap(o.handle, 0), 1);
  api.CloseFileHandle(o.file);
}

}  // namespace
}  // namespace vx::engine
